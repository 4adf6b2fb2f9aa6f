#!/usr/bin/env bash
# Cross-builds Morvane for Windows x64 on Debian 12, runs the whole test
# suite under Wine, and writes the portable zip and the NSIS installer into
# build-windows/. Everything comes from Debian's packages and source packages.
#
#   bash scripts/windows.sh           everything; the suite's result is printed last
#   bash scripts/windows.sh --cache   only the packages and the cached libraries
#
# The cross-built Qt (qtbase 6.4.2, the same version as the host's moc, rcc
# and uic) and the static libxlsxwriter, libxml2 and minizip are kept in
# $MORVANE_WINDOWS_CACHE (default ~/.cache/morvane-windows), each in a folder
# named by a hash of the Debian source versions, the compiler and the
# configure line; a change to any of them builds a new folder. The first run
# takes 20 to 45 minutes, almost all of it Qt; later runs a few minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$ROOT/build-windows
CACHE=${MORVANE_WINDOWS_CACHE:-$HOME/.cache/morvane-windows}
JOBS=${JOBS:-$(nproc)}
DISPLAY_NUM=${MORVANE_WINDOWS_DISPLAY:-122}
NICE="nice -n ${MORVANE_WINDOWS_NICE:-19}"
mode=all
case "${1:-}" in
    "") ;;
    --cache) mode=cache ;;
    *) echo "usage: bash scripts/windows.sh [--cache]" >&2; exit 2 ;;
esac
mkdir -p "$OUT" "$CACHE/src"
TIMINGS=$OUT/timings.txt
: > "$TIMINGS"
START=$(date +%s)
stage() { echo "== $(date -u +%H:%M:%S) +$(($(date +%s) - START))s $*" | tee -a "$TIMINGS"; }

# ------------------------------------------------------------ packages
stage packages
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          libz-mingw-w64-dev wine64 wine nsis fonts-wqy-microhei imagemagick xvfb x11-utils
          xdotool openbox dpkg-dev build-essential tcl ninja-build cmake zip unzip python3
          qt6-base-dev qt6-base-dev-tools qt6-translations-l10n locales)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The source packages need deb-src next to each deb entry of the system's
# own sources.
if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Version: 6\.4\.2'; then
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && grep -q '^Suites:.*bookworm' "$f" &&
            $sudo sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    done
    if [ -f /etc/apt/sources.list ]; then
        grep '^deb .*bookworm' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            $sudo tee /etc/apt/sources.list.d/morvane-deb-src.list > /dev/null
    fi
    need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
    $sudo apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q \
        --no-install-recommends "${missing[@]}"
fi
# Wine takes its code page from the Unix locale: a Chinese Windows' 936
# needs zh_CN.UTF-8 to exist.
locale -a 2> /dev/null | grep -qi '^zh_CN\.utf-\?8$' || $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
case "$(dpkg-query -W -f='${Version}' qt6-base-dev)" in
    6.4.2*) ;;
    *) echo "the cross build needs the host's qt6-base-dev 6.4.2 (for moc, rcc, uic)" >&2; exit 1 ;;
esac

# Versions of what apt-get source would fetch, without fetching it.
srcver() { apt-get source --print-uris "$1" | sed -n "s/^'[^']*' $1_\(.*\)\.dsc .*/\1/p"; }
QTBASE_V=$(srcver qt6-base)
SQLITE_V=$(srcver sqlite3)
XLSX_V=$(srcver libxlsxwriter)
XML2_V=$(srcver libxml2)
MINGW_V=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
ZLIB_V=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)
HOSTQT_V=$(dpkg-query -W -f='${Version}' qt6-base-dev)

HOST_QT_PREFIX=$(qtpaths6 --query QT_INSTALL_PREFIX)
HOST_QT_CMAKE_DIR=$(dirname "$(dirname "$(dpkg -L qt6-base-dev | grep '/Qt6Config.cmake$' | head -1)")")
WINE64=$(dpkg -L wine64 | grep '/lib/.*/wine64$' | head -1) # Debian keeps it out of PATH
MINGW_RT1=$(dirname "$(x86_64-w64-mingw32-gcc-posix -print-file-name=libgcc_s_seh-1.dll)")
MINGW_RT2=$(dirname "$(realpath "$(x86_64-w64-mingw32-gcc-posix -print-file-name=libwinpthread-1.dll)")")
MINGW_SYSROOT=$(dirname "$MINGW_RT2")
ZLIB_A=$(realpath "$(x86_64-w64-mingw32-gcc-posix -print-file-name=libz.a)")
CJK_FONT=$(dpkg -L fonts-wqy-microhei | grep '\.ttc$' | head -1)
for v in HOST_QT_PREFIX HOST_QT_CMAKE_DIR WINE64 MINGW_RT1 MINGW_RT2 MINGW_SYSROOT ZLIB_A CJK_FONT; do
    [ -e "${!v}" ] || { echo "not found: $v=${!v}" >&2; exit 1; }
done

# ------------------------------------------------------------ cache keys
# -qt-freetype: the offscreen platform the tests run on needs it.
# -no-feature-tabletevent: Debian's tarball drops wintab.
# -no-feature-xml: only QtXml goes; QXmlStreamReader stays in QtCore.
QT_CONFIGURE=(-xplatform win32-g++ -release -shared -nomake examples -nomake tests
              -no-opengl -no-feature-vulkan -no-dbus -no-icu -no-openssl -schannel
              -no-feature-printsupport -no-feature-xml -no-feature-direct2d
              -no-feature-tabletevent -no-feature-androiddeployqt
              -qt-freetype -qt-harfbuzz -no-zstd -no-libjpeg -qt-libpng -qt-zlib
              -qt-pcre -qt-doubleconversion
              -sql-sqlite -qt-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql -no-sql-ibase
              -no-sql-oci -no-sql-db2)
# With -no-feature-direct2d, 6.4.2's Windows platform plugin still refers
# to the DirectWrite font database, which Gui then leaves out.
QT_PATCH='qwindowsintegration.cpp: directwrite3 && direct2d'
LIBS_CMAKE="minizip: static ioapi.c unzip.c of zlib's source; xlsxwriter: static, mingw zlib; libxml2: static, html xpath tree output, no iconv/icu/lzma/zlib/http/ftp; threads (without them 2.9.14 does not build against the posix mingw)"
key() { printf '%s\n' "$@" | sha256sum | cut -c1-12; }
QT_KEY=$(key "$QTBASE_V" "$SQLITE_V" "$MINGW_V" "$HOSTQT_V" "${QT_CONFIGURE[*]}" "$QT_PATCH")
LIBS_KEY=$(key "$XLSX_V" "$XML2_V" "$MINGW_V" "$ZLIB_V" "$LIBS_CMAKE")
QT=$CACHE/qt-6.4.2-$QT_KEY
LIBS=$CACHE/libs-$LIBS_KEY
TOOLCHAIN=$CACHE/toolchain-mingw64-posix.cmake
echo "cross Qt: $QT"
echo "libraries: $LIBS"

cat > "$TOOLCHAIN.new" << EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The posix thread model: Qt 6 uses std::thread and std::mutex.
set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH $MINGW_SYSROOT $LIBS)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
cmp -s "$TOOLCHAIN.new" "$TOOLCHAIN" && rm "$TOOLCHAIN.new" || mv "$TOOLCHAIN.new" "$TOOLCHAIN"

# ------------------------------------------------------------ sources
fetch_source() { # fetch_source PACKAGE VERSION -> prints the unpacked folder
    local dir
    dir=$(ls -d "$CACHE/src/$1-${2%%-*}"*/ 2> /dev/null | head -1 || true)
    if [ -z "$dir" ] || [ ! -f "$CACHE/src/$1_$2.dsc" ]; then
        rm -rf "$CACHE/src/$1"[-_]*
        (cd "$CACHE/src" && apt-get source "$1" > "$1.fetch.log" 2>&1)
        dir=$(ls -d "$CACHE/src/$1-${2%%-*}"*/ | head -1)
    fi
    echo "${dir%/}"
}
# Debian has no mingw minizip: its reading half is built from zlib's own
# source, the newest version the archive serves.
zlib_source() {
    local v dir
    dir=$(ls -d "$CACHE/src/zlib-"*/ 2> /dev/null | head -1 || true)
    if [ -z "$dir" ]; then
        for v in $(apt-cache showsrc zlib | sed -n 's/^Version: //p' | sort -ruV); do
            (cd "$CACHE/src" && apt-get source "zlib=$v" > zlib.fetch.log 2>&1) && break
        done
        dir=$(ls -d "$CACHE/src/zlib-"*/ | head -1)
    fi
    echo "${dir%/}"
}

# ------------------------------------------------------------ qtbase (the long part)
if [ ! -f "$QT/.complete" ]; then
    stage "sources"
    QTSRC=$(fetch_source qt6-base "$QTBASE_V")
    SQLSRC=$(fetch_source sqlite3 "$SQLITE_V")
    # Debian's +dfsg tarball drops src/3rdparty/sqlite: regenerate the
    # amalgamation from Debian's sqlite3 source.
    if [ ! -f "$QTSRC/src/3rdparty/sqlite/sqlite3.c" ]; then
        stage "sqlite amalgamation"
        mkdir -p "$SQLSRC/bld"
        (cd "$SQLSRC/bld" && $NICE ../configure --disable-tcl > configure.log 2>&1 &&
            $NICE make sqlite3.c sqlite3.h > make.log 2>&1)
        mkdir -p "$QTSRC/src/3rdparty/sqlite"
        cp "$SQLSRC/bld/sqlite3.c" "$SQLSRC/bld/sqlite3.h" "$SQLSRC/src/sqlite3ext.h" \
            "$QTSRC/src/3rdparty/sqlite/"
    fi
    F=$QTSRC/src/plugins/platforms/windows/qwindowsintegration.cpp
    sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' "$F"
    [ "$(grep -c 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' "$F")" = 2 ] ||
        { echo "the qwindowsintegration.cpp guard did not apply" >&2; exit 1; }

    stage "qtbase configure"
    QTBUILD=$CACHE/build-qtbase-$QT_KEY # kept until done: a second run goes on from it
    mkdir -p "$QTBUILD"
    if [ ! -f "$QTBUILD/build.ninja" ]; then
        (cd "$QTBUILD" && $NICE "$QTSRC/configure" -prefix "$QT" -qt-host-path "$HOST_QT_PREFIX" \
            "${QT_CONFIGURE[@]}" -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
            -DQT_HOST_PATH_CMAKE_DIR="$HOST_QT_CMAKE_DIR" > configure.log 2>&1) ||
            { tail -40 "$QTBUILD/configure.log"; exit 1; }
    fi
    stage "qtbase build (the long part: 15 to 40 minutes)"
    $NICE cmake --build "$QTBUILD" --parallel "$JOBS" > "$QTBUILD/build.log" 2>&1 ||
        { tail -40 "$QTBUILD/build.log"; exit 1; }
    $NICE cmake --install "$QTBUILD" --strip > "$QTBUILD/install.log" 2>&1
    touch "$QT/.complete"
    rm -rf "$QTBUILD"
    du -sh "$QT" | tee -a "$TIMINGS"
fi

# ------------------------------------------------------------ libxlsxwriter, libxml2, minizip (static)
if [ ! -f "$LIBS/.complete" ]; then
    stage "libxlsxwriter, libxml2, minizip"
    XLSXSRC=$(fetch_source libxlsxwriter "$XLSX_V")
    XML2SRC=$(fetch_source libxml2 "$XML2_V")
    rm -rf "$LIBS" "$CACHE/build-libs"
    cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release
           -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$LIBS")
    $NICE cmake -S "$XLSXSRC" -B "$CACHE/build-libs/xlsxwriter" "${cross[@]}" \
        -DZLIB_LIBRARY="$ZLIB_A" -DZLIB_INCLUDE_DIR="$MINGW_SYSROOT/include" > /dev/null
    $NICE cmake --build "$CACHE/build-libs/xlsxwriter" --parallel "$JOBS" > /dev/null
    cmake --install "$CACHE/build-libs/xlsxwriter" > /dev/null
    $NICE cmake -S "$XML2SRC" -B "$CACHE/build-libs/libxml2" "${cross[@]}" \
        -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF \
        -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF \
        -DLIBXML2_WITH_THREADS=ON -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF \
        -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_CATALOG=OFF \
        -DLIBXML2_WITH_DEBUG=OFF > /dev/null
    $NICE cmake --build "$CACHE/build-libs/libxml2" --parallel "$JOBS" > /dev/null
    cmake --install "$CACHE/build-libs/libxml2" > /dev/null
    # minizip reads shard workbooks back (morvane merge); Morvane gives it
    # its own file functions, so neither iowin32.c nor zip.c is needed.
    ZLIBSRC=$(zlib_source)
    mkdir -p "$CACHE/build-libs/minizip" "$LIBS/include/minizip" "$LIBS/lib/pkgconfig"
    for c in ioapi unzip; do
        $NICE x86_64-w64-mingw32-gcc-posix -O2 -c "$ZLIBSRC/contrib/minizip/$c.c" -o "$CACHE/build-libs/minizip/$c.o"
    done
    x86_64-w64-mingw32-ar rcs "$LIBS/lib/libminizip.a" "$CACHE/build-libs/minizip/"*.o
    cp "$ZLIBSRC/contrib/minizip/ioapi.h" "$ZLIBSRC/contrib/minizip/unzip.h" "$LIBS/include/minizip/"
    printf '%s\n' "prefix=$LIBS" 'Name: minizip' "Description: zip reading, from zlib's contrib/minizip" \
        "Version: ${ZLIB_V%%+*}" 'Libs: -L${prefix}/lib -lminizip -lz' 'Cflags: -I${prefix}/include/minizip' \
        > "$LIBS/lib/pkgconfig/minizip.pc"
    rm -rf "$CACHE/build-libs"
    touch "$LIBS/.complete"
fi
if [ "$mode" = cache ]; then
    stage "cache ready"
    exit 0
fi

# ------------------------------------------------------------ Wine
export PATH=$(dirname "$WINE64"):$PATH
# No Mono or Gecko prompts, and no launchers in the host's menus.
export WINEPREFIX=$OUT/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/wqy-microhei.ttc" ]; then
    stage "wine prefix"
    $NICE wine64 wineboot -i > /dev/null 2>&1 || true
    wineserver -w
    # Without a CJK font in the prefix every Chinese glyph is a box.
    cp "$CJK_FONT" "$WINEPREFIX/drive_c/windows/Fonts/wqy-microhei.ttc"
    wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
        /v 'WenQuanYi Micro Hei & WenQuanYi Micro Hei Mono (TrueType)' /t REG_SZ /d wqy-microhei.ttc /f > /dev/null
    wineserver -w
fi
# Wine links the prefix's Desktop, Documents, ... to the Unix home: real
# folders keep the shortcuts and files of these runs inside the prefix.
for link in "$WINEPREFIX/drive_c/users/$(id -un)"/*; do
    [ -L "$link" ] && rm "$link" && mkdir "$link"
done
# Qt's own Chinese texts: the same 6.4.2 files as the Linux build's.
mkdir -p "$QT/translations"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm /usr/share/qt6/translations/qt_zh_CN.qm "$QT/translations/"

# ------------------------------------------------------------ Morvane
stage "morvane build"
VERSION=$(sed -n 's/^project(Morvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DLL_DIRS=("$QT/bin" "$MINGW_RT1" "$MINGW_RT2" "$MINGW_SYSROOT/lib")
# The tests find every DLL in one folder: a list in WINEPATH does not
# survive CTest's environment lists. The mingw runtime and zlib go beside
# Qt's own DLLs, where Qt still finds its plugins.
for d in "${DLL_DIRS[@]:1}"; do
    for f in "$d"/*.dll; do [ -e "$f" ] && cp -u "$f" "$QT/bin/"; done
done
winepath="Z:$QT/bin"
# Wine hands a WINEQT_X variable to the program as QT_X; QtTest reports to
# standard error only when told. The offscreen platform reads fonts from a
# folder; Chinese Windows' code page (936) is what the program meets there.
test_env="WINEPATH=$winepath;WINEDEBUG=-all;WINEQT_FORCE_STDERR_LOGGING=1;WINEQT_QPA_PLATFORM=offscreen"
test_env+=";WINEQT_QPA_FONTDIR=Z:$(dirname "$CJK_FONT");LC_ALL=zh_CN.UTF-8"
PKG_CONFIG_LIBDIR=$LIBS/lib/pkgconfig $NICE "$QT/bin/qt-cmake" -S "$ROOT" -B "$OUT/build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DMORVANE_BUILD_BENCH=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE64" -DMORVANE_TEST_PATH_PREFIX=Z: \
    -DMORVANE_TEST_ENVIRONMENT="$test_env" > "$OUT/configure.log" ||
    { tail -30 "$OUT/configure.log"; exit 1; }
$NICE cmake --build "$OUT/build" --parallel "$JOBS" > "$OUT/build.log" 2>&1 ||
    { grep -B2 -A12 -m3 'error' "$OUT/build.log" | head -60; exit 1; }

# ------------------------------------------------------------ the portable folder, the zip, the installer
stage "package"
PORTABLE=$OUT/Morvane
deploy() { # the exe, Qt's plugins, and every DLL they import that is not Windows' own
    local dll d f key
    local -A seen=()
    local -a queue
    rm -rf "$PORTABLE"
    mkdir -p "$PORTABLE"/{platforms,sqldrivers,styles,tls,translations}
    cp "$OUT/build/morvane.exe" "$PORTABLE/"
    cp "$QT/plugins/platforms/qwindows.dll" "$PORTABLE/platforms/"
    cp "$QT/plugins/sqldrivers/qsqlite.dll" "$PORTABLE/sqldrivers/"
    cp "$QT/plugins/styles/qwindowsvistastyle.dll" "$PORTABLE/styles/"
    cp "$QT/plugins/tls/qschannelbackend.dll" "$PORTABLE/tls/"
    cp "$QT"/translations/*_zh_CN.qm "$PORTABLE/translations/"
    printf '[Paths]\r\nPrefix=.\r\nPlugins=.\r\nTranslations=translations\r\n' > "$PORTABLE/qt.conf"
    queue=("$PORTABLE/morvane.exe" "$PORTABLE"/*/*.dll)
    while [ ${#queue[@]} -gt 0 ]; do
        f=${queue[0]}
        queue=("${queue[@]:1}")
        for dll in $(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p' | tr -d '\r'); do
            key=${dll,,}
            [ -n "${seen[$key]:-}" ] && continue
            seen[$key]=1
            for d in "${DLL_DIRS[@]}"; do
                if [ -f "$d/$dll" ]; then
                    cp "$d/$dll" "$PORTABLE/"
                    queue+=("$PORTABLE/$dll")
                    break
                fi
            done
        done
    done
    # Debian's mingw runtime DLLs carry their debug information.
    x86_64-w64-mingw32-strip --strip-unneeded "$PORTABLE"/*.dll "$PORTABLE"/*.exe "$PORTABLE"/*/*.dll
}
deploy
ZIP=$OUT/morvane-$VERSION-windows-x64.zip
SETUP=$OUT/morvane-$VERSION-setup.exe
rm -f "$ZIP"
(cd "$OUT" && zip -q -r -9 "$ZIP" Morvane)
# The uninstaller removes exactly the files installed, so a folder the user
# chose keeps anything else in it.
(cd "$PORTABLE" && find . -type f | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|' &&
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|') \
    > "$OUT/installed-files.nsh"
$NICE makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" -DSOURCE="$PORTABLE" -DOUTFILE="$SETUP" \
    -DICON="$ROOT/dist/windows/morvane.ico" -DFILELIST="$OUT/installed-files.nsh" \
    "$ROOT/dist/windows/morvane.nsi" > "$OUT/nsis.log" ||
    { cat "$OUT/nsis.log"; exit 1; }

# ------------------------------------------------------------ installed, used and removed under Wine
stage "driven check (scripts/windows-check.sh)"
bash "$ROOT/scripts/windows-check.sh" > "$OUT/check.log" 2>&1 || { cat "$OUT/check.log"; exit 1; }

# ------------------------------------------------------------ the test suite under Wine
stage "tests under Wine"
set +e
# From a terminal (script's), so that Wine gives the tests a console and
# Ctrl+C can reach the command line's child processes.
(cd "$OUT/build" && script -qec "ctest --output-on-failure -j$JOBS --timeout 900 > '$OUT/ctest.log' 2>&1" /dev/null)
tests_rc=$?
set -e
stage "done"
ls -la "$ZIP" "$SETUP" | tee -a "$TIMINGS"
grep -E '^ *[0-9]+/[0-9]+ Test|Skipped|\*\*\*Failed|Not Run' "$OUT/ctest.log" | sed 's/^ *//' | tail -40
echo "The suite under Wine (build-windows/ctest.log):"
grep -E 'tests passed|tests failed|Total Test time' "$OUT/ctest.log"
exit $tests_rc
