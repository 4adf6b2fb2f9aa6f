#!/usr/bin/env bash
# Installs what building and running Morvane needs on Debian 12, only what
# is missing, and any further packages named as arguments. Uses sudo when
# not run as root.
set -euo pipefail

# postgresql: the shared-ledger tests start a throw-away server of their own.
# parallel: the command line's tests run shards at once through GNU parallel.
# desktop-file-utils, appstream: the tests validate the launcher and the
# AppStream file; dpkg-dev: cpack's dpkg-shlibdeps finds the package's
# library dependencies. libxml2-dev: its HTML parser and XPath read the page
# rules that name an element. libminizip-dev: merge reads shard workbooks.
# python3: CI's check of function lengths.
packages=(build-essential cmake qt6-base-dev libgl-dev libbenchmark-dev libqt6sql6-sqlite
          pkg-config libxlsxwriter-dev zlib1g-dev libxml2-dev libqt6sql6-psql postgresql parallel
          fonts-wqy-microhei fonts-noto-cjk qt6-translations-l10n desktop-file-utils appstream dpkg-dev
          qt6-l10n-tools libminizip-dev python3 "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
