#!/usr/bin/env bash
# The Windows build used as a user would, under Wine with Xvfb and openbox,
# against the loopback stand-in services (scripts/fake_services.py): what
# scripts/screenshots.sh does for Linux. scripts/windows.sh runs it after
# packaging; it needs build-windows/ as that leaves it.
#
#   bash scripts/windows-check.sh            check, pictures in build-windows/shots/
#   bash scripts/windows-check.sh --readme   and copy the pictures to docs/windows-*.png
#
# 1. The installer, silently, for this user: the Start-menu and desktop
#    shortcuts and the Apps & Features entry are there, the installed program
#    opens its window; uninstalled, only the user's data is left. Then for
#    every user, and uninstalled with /REMOVEDATA: nothing is left.
# 2. The portable zip unpacked into a folder whose name has Chinese
#    characters and a space: a single-site scan and a batch of three rows in
#    the window, its GBK save compared byte for byte with the Linux build's
#    (build/morvane, when built), and morvane.exe batch on the command line:
#    the same exit codes as on Linux, and an XLSX table.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$ROOT/build-windows
SHOTS=$OUT/shots
VERSION=$(sed -n 's/^project(Morvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
SETUP=$OUT/morvane-$VERSION-setup.exe
ZIP=$OUT/morvane-$VERSION-windows-x64.zip
DISPLAY_NUM=${MORVANE_WINDOWS_DISPLAY:-122}
[ -f "$SETUP" ] && [ -f "$ZIP" ] || { echo "run scripts/windows.sh first" >&2; exit 1; }

WINE64=$(dpkg -L wine64 | grep '/lib/.*/wine64$' | head -1)
export PATH=$(dirname "$WINE64"):$PATH
export WINEPREFIX=$OUT/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A Chinese Windows: code page 936 for the command line's messages.
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
C=$WINEPREFIX/drive_c
PROFILE=$C/users/$(id -un)
work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2> /dev/null || true; done
    wineserver -k 2> /dev/null || true
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() { # check WHAT COMMAND...: one line per check, the run fails at the end if any did
    local what=$1
    shift
    if "$@"; then echo "ok    $what"; else echo "FAIL  $what"; failures=$((failures + 1)); fi
}
rm -rf "$SHOTS"
mkdir -p "$SHOTS"

Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
export DISPLAY=:$DISPLAY_NUM
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
openbox > /dev/null 2>&1 &
pids+=($!)
python3 scripts/fake_services.py --log "$work/requests" > "$work/port" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
touch "$work/requests"
host=127.0.0.1:$(cat "$work/port")
export MORVANE_STATS_HOST=$host MORVANE_SEARCH_HOST=$host MORVANE_UPDATE_URL=http://$host/update.htm

window=""
open_window() { # open_window EXE: starts the program and waits for its window
    wine64 "$1" > "$work/window.log" 2>&1 &
    pids+=($!)
    window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Morvane ' | head -n1)
    sleep 3 # the window settles where it fits the screen
}
close_window() { # as a user closes it: Wine ignores an X window simply destroyed
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4 2> /dev/null || true
    timeout 60 wineserver -w || { echo "      the window did not close: stopped"; wineserver -k; }
}
click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.5
}
settle() { # until the services have had no request for a while
    local quiet=0 count last=-1
    while [ "$quiet" -lt "${1:-15}" ]; do
        count=$(wc -l < "$work/requests")
        if [ "$count" = "$last" ] && [ "$count" -gt 0 ]; then quiet=$((quiet + 1)); else quiet=0; fi
        last=$count
        sleep 0.3
    done
}
shoot() { # the window with openbox's frame
    xdotool mousemove 1270 1010
    sleep 0.5
    local x y w h left right top bottom
    read -r x y w h < <(xwininfo -id "$window" | awk -F: '/Absolute upper-left X|Absolute upper-left Y|Width|Height/ {
        printf "%d ", $2 } END { print "" }')
    read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | grep -o '[0-9][0-9, ]*' | tr -d ,)
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" \
        +repage "$SHOTS/$1"
    echo "      picture $SHOTS/$1"
}
key_exists() { wine64 reg query "$1" > /dev/null 2>&1; }

# ------------------------------------------------------------ 1. the installer
echo "== the installer, for this user"
# The window's save appends: a result file left by an earlier run goes first.
rm -rf "$C/users/Public/Desktop/Morvane.lnk" "$PROFILE/AppData/Local/Morvane" "$PROFILE/Documents/批量结果.txt"
wine64 reg delete 'HKCU\Software\Morvane' /f > /dev/null 2>&1 || true
UNINSTALL='Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvane'
wine64 "$SETUP" /S /CurrentUser
wineserver -w
INSTALLED=$PROFILE/AppData/Local/Programs/Morvane
STARTMENU=$PROFILE/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Morvane.lnk
check "installed into the user's programs" test -f "$INSTALLED/morvane.exe"
check "a Start-menu entry" test -f "$STARTMENU"
check "a desktop shortcut" test -f "$PROFILE/Desktop/Morvane.lnk"
check "in Apps & Features, for this user" key_exists "HKCU\\$UNINSTALL"
open_window "C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Morvane\\morvane.exe"
check "the installed program opens its window" test -n "$window"
shoot windows-installed.png
close_window
check "the ledger in %LOCALAPPDATA%" test -f "$PROFILE/AppData/Local/Morvane/Morvane/ledger.sqlite"
check "settings in the registry" key_exists 'HKCU\Software\Morvane\Morvane'
wine64 "$INSTALLED/uninstall.exe" /S /CurrentUser
wineserver -w
sleep 1
wineserver -w
check "uninstalled: the program's folder is gone" test ! -e "$INSTALLED"
check "uninstalled: the shortcuts are gone" test ! -e "$STARTMENU" -a ! -e "$PROFILE/Desktop/Morvane.lnk"
check "uninstalled: gone from Apps & Features" eval '! key_exists "HKCU\\$UNINSTALL"'
check "uninstalled: the user's ledger stays" test -f "$PROFILE/AppData/Local/Morvane/Morvane/ledger.sqlite"
check "uninstalled: the user's settings stay" key_exists 'HKCU\Software\Morvane\Morvane'

echo "== the installer, for every user (an administrator)"
wine64 "$SETUP" /S /AllUsers
wineserver -w
check "installed into Program Files" test -f "$C/Program Files/Morvane/morvane.exe"
check "in Apps & Features, for the machine" key_exists "HKLM\\$UNINSTALL"
wine64 "$C/Program Files/Morvane/uninstall.exe" /S /AllUsers /REMOVEDATA
wineserver -w
sleep 1
wineserver -w
check "uninstalled with /REMOVEDATA: nothing is left" \
    test ! -e "$C/Program Files/Morvane" -a ! -e "$PROFILE/AppData/Local/Morvane"
check "uninstalled with /REMOVEDATA: no settings" eval '! key_exists "HKCU\Software\Morvane"'

# ------------------------------------------------------------ 2. the portable zip
echo "== the portable zip, from a folder named 绿色 软件"
PORTABLE_DIR=$C/绿色\ 软件
rm -rf "$PORTABLE_DIR"
mkdir -p "$PORTABLE_DIR"
(cd "$PORTABLE_DIR" && unzip -q "$ZIP")
EXE='C:\绿色 软件\Morvane\morvane.exe'
open_window "$EXE"
check "the window opens from the folder" test -n "$window"
click 576 28 # 开  始: the single-site scan of the example domain
settle
shoot windows-site.png

click 672 28  # 批量查询
click 140 80  # the list box
xdotool key ctrl+a
for domain in www.sina.com.cn www.163.com www.sohu.com; do
    xdotool type --delay 5 "$domain"
    xdotool key Return
done
click 344 52  # 手动导入
click 344 148 # 开始
settle 20
click 720 88 # 保存域名+结果
click 784 65 # 确认保存
sleep 1
shoot windows-batch.png
xdotool key Return # the message that it was saved
sleep 0.5
close_window
SAVED=$PROFILE/Documents/批量结果.txt
check "the batch saved to the documents folder" test -s "$SAVED"
printf 'www.sina.com.cn\r\nwww.163.com\r\nwww.sohu.com\r\n' > "$work/list.txt"
cp "$work/list.txt" "$PORTABLE_DIR/list.txt"
if [ -x build/morvane ]; then
    build/morvane batch "$work/list.txt" --out "$work/linux.txt" --no-ledger --rest-every=0 -q || true
    check "the GBK save is byte for byte the Linux build's" cmp "$SAVED" "$work/linux.txt"
else
    echo "skip  the GBK save against the Linux build's (build/morvane is not built)"
fi

cli() { # cli ARGS...: morvane.exe from the portable folder; prints its exit code
    local rc=0
    (cd "$PORTABLE_DIR" && wine64 "$EXE" "$@" > /dev/null 2>> "$work/cli.log") || rc=$?
    echo "$rc"
}
linux() {
    local rc=0
    (cd "$PORTABLE_DIR" && "$ROOT/build/morvane" "$@" > /dev/null 2>> "$work/cli.log") || rc=$?
    echo "$rc"
}
same_code() { # same_code EXPECTED ARGS...
    local expected=$1 windows
    shift
    windows=$(cli "$@")
    [ -x build/morvane ] && [ "$(linux "$@")" != "$expected" ] && return 1
    [ "$windows" = "$expected" ]
}
check "batch: 0 when every cell was fetched" same_code 0 batch list.txt --out 表格.xlsx --no-ledger --rest-every=0 -q
# grep reads the whole list: with -q, pipefail would catch unzip's broken pipe.
check "batch: an XLSX table" eval 'unzip -l "$PORTABLE_DIR/表格.xlsx" | grep xl/worksheets/sheet1.xml > /dev/null'
check "batch: 2 for a list that is not there" same_code 2 batch missing.txt --no-ledger -q
check "batch: 2 for a word it does not know" same_code 2 batch list.txt --no-such-option
printf 'www.sina.com.cn\r\nblocked.example.cn\r\nwww.163.com\r\n' > "$PORTABLE_DIR/blocked.txt"
check "batch: 3 when the search engine blocks the run" same_code 3 batch blocked.txt --no-ledger --rest-every=0 -q
no_server() { # its messages are in the console's code page, 936
    (cd "$PORTABLE_DIR" && wine64 "$EXE" batch list.txt --ledger postgresql://u@127.0.0.1/m -q 2> "$work/pg.log") &&
        return 1
    iconv -f GBK -t UTF-8 < "$work/pg.log" | grep -q "Windows 版不支持共享记录库"
}
check "batch: says plainly that postgresql:// ledgers are not in this build" no_server

if [ "${1:-}" = --readme ]; then
    cp "$SHOTS"/windows-*.png docs/
    echo "pictures copied to docs/"
fi
echo "$failures checks failed"
[ "$failures" = 0 ]
