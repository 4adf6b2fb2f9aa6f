; The Windows installer: the portable folder (scripts/windows.sh) into the
; user's programs (no administrator rights needed) or, for an administrator,
; into Program Files for every user; a Start-menu entry, an optional desktop
; shortcut, and an uninstaller in Apps & Features that keeps the user's
; ledger and settings unless asked to remove them.
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.1 -DSOURCE=<folder> -DOUTFILE=<exe> -DICON=<ico> morvane.nsi
;
; Silent: setup.exe /S [/CurrentUser | /AllUsers] [/D=<folder>];
; uninstall.exe /S keeps the user's data, /S /REMOVEDATA removes it too.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define APP "Morvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

Name "${APP}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\morvane.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; The system's language picks the texts: Chinese, else English.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString ProgramSection ${LANG_SIMPCHINESE} "Morvane 程序"
LangString ProgramSection ${LANG_ENGLISH} "Morvane program"
LangString DesktopSection ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString DesktopSection ${LANG_ENGLISH} "Desktop shortcut"
LangString UnProgramSection ${LANG_SIMPCHINESE} "删除程序"
LangString UnProgramSection ${LANG_ENGLISH} "Remove the program"
LangString UnDataSection ${LANG_SIMPCHINESE} "同时删除我的查询记录和设置"
LangString UnDataSection ${LANG_ENGLISH} "Also remove my ledger and settings"
LangString Description ${LANG_SIMPCHINESE} "域名 SEO 批量查询"
LangString Description ${LANG_ENGLISH} "SEO checks of web domains"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${APP} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${APP}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Morvane maintainers"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${APP} ${VERSION} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${APP}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "Morvane maintainers"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Section "!$(ProgramSection)" Program
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\morvane.exe" "" "$INSTDIR\morvane.exe" 0 \
    SW_SHOWNORMAL "" "$(Description)"

  ; Apps & Features, under this user's or the machine's key as installed.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morvane.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S /$MultiUser.InstallMode'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(DesktopSection)" Desktop
  CreateShortcut "$DESKTOP\${APP}.lnk" "$INSTDIR\morvane.exe" "" "$INSTDIR\morvane.exe" 0 \
    SW_SHOWNORMAL "" "$(Description)"
SectionEnd

Section "un.$(UnProgramSection)" UnProgram
  SectionIn RO
  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$DESKTOP\${APP}.lnk"
  ; Only what the installer put there: the folder goes when nothing else is left in it.
  !include "${FILELIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

; The ledger, diagnostics, page rules and settings of the user who uninstalls;
; the result files in the documents are the user's own and stay.
Section /o "un.$(UnDataSection)" UnData
  SetShellVarContext current
  RMDir /r "$LOCALAPPDATA\${APP}"
  DeleteRegKey HKCU "Software\${APP}"
SectionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ; Asked for on the command line: the data goes too.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnData}
  ${EndIf}
FunctionEnd
