#!/usr/bin/env bash
# Tries the Debian package on a fresh Debian 12, as root:
#   scripts/package-check.sh build/morvane_1.1_amd64.deb [ROOT]
# Makes ROOT (default /tmp/morvane-pkgroot) with debootstrap unless it holds
# a system already, installs the package there with apt-get, runs the
# version, the launcher's command (offscreen, stopped after 3 s) and a batch
# against scripts/fake_services.py on loopback, then removes and purges the
# package and checks that none of its own paths is left. The root is deleted
# at the end unless KEEP_ROOT=1. Uses the network for Debian's packages only,
# from the mirror the machine's own apt sources name.
set -euo pipefail
# The machine's own Debian mirror: the first archive (not a security one) its apt sources name,
# in the one-line form (sources.list, *.list) or the deb822 form (*.sources).
# "--mirror [FOLDER]" only prints it (FOLDER: in place of /etc/apt).
mirror_of() {
    local apt=$1 file
    for file in "$apt/sources.list" "$apt"/sources.list.d/*.list "$apt"/sources.list.d/*.sources; do
        if [ -f "$file" ]; then cat "$file" && echo; fi
    done | awk '
        function take(uri, suites) { if (uri != "" && suites !~ /security/) { print uri; found = 1; exit } }
        $1 == "deb" { for (i = 2; i < NF; i++) if ($i ~ /^[a-z+]+:\/\//) { take($i, $(i + 1)); break }; next }
        tolower($1) == "uris:" { uri = $2 }
        tolower($1) == "suites:" { suites = $0 }
        NF == 0 { take(uri, suites); uri = ""; suites = "" }
        END { if (!found) take(uri, suites) }'
}
if [ "${1:-}" = --mirror ]; then
    mirror_of "${2:-/etc/apt}"
    exit 0
fi
deb=$(realpath "${1:?the .deb}")
root=${2:-/tmp/morvane-pkgroot}
here=$(cd "$(dirname "$0")" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "run as root" >&2; exit 2; }
command -v debootstrap >/dev/null || bash "$here/deps.sh" debootstrap
mirror=$(mirror_of /etc/apt)
[ -n "$mirror" ] || { echo "no Debian archive in /etc/apt's sources: the root needs one" >&2; exit 2; }
if [ ! -x "$root/usr/bin/apt-get" ]; then
    echo "== debootstrap bookworm $root $mirror"
    debootstrap bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 || {
        tail "$root.debootstrap.log" >&2
        exit 1
    }
fi

server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null || true
    mountpoint -q "$root/proc" && umount "$root/proc"
    # Never delete through a mount point into the host.
    if [ "${KEEP_ROOT:-0}" != 1 ] && ! findmnt -rno TARGET | grep -q "^$root/"; then
        rm -rf "$root" "$root.debootstrap.log"
    fi
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
cp /etc/resolv.conf "$root/etc/resolv.conf"
printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$mirror" "$mirror" >"$root/etc/apt/sources.list"
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d" # no services start in the root
chmod +x "$root/usr/sbin/policy-rc.d"
cp "$deb" "$root/tmp/"
printf 'www.sina.com.cn\r\nwww.163.com\r\n' >"$root/tmp/domains.txt"

# The root shares the host's loopback, so the stand-in services run here.
python3 "$here/fake_services.py" >"$root/tmp/port" &
server=$!
for _ in $(seq 50); do [ -s "$root/tmp/port" ] && break; sleep 0.1; done

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive bash -euo pipefail -c "$1"; }
in_root '
cd /tmp
echo "== apt-get install -y ./morvane_*.deb"
apt-get update -q >/dev/null
apt-get install -y -q ./morvane_*.deb >install.log 2>&1 || { tail -20 install.log; exit 1; }
grep -E "^(The following NEW|[0-9]+ upgraded)" install.log
dpkg-query -W -f="\${Package} \${Version} \${Status}\n" morvane
echo "== dpkg -L morvane"
dpkg -L morvane | grep -vx "/." | tee files.txt
echo "== morvane --version"
QT_QPA_PLATFORM=offscreen morvane --version
exec=$(sed -n "s/^Exec=//p" /usr/share/applications/io.github.morvane.Morvane.desktop)
echo "== the launcher: $exec (offscreen, stopped after 3 s)"
mkdir -p /tmp/home
status=0
HOME=/tmp/home QT_QPA_PLATFORM=offscreen timeout 3 $exec 2>window.err || status=$?
cat window.err
[ "$status" -eq 124 ] || { echo "the window ended with $status before 3 s"; exit 1; }
echo "still running after 3 s: stopped (status 124), no crash"
echo "== morvane batch against 127.0.0.1:$(cat port)"
HOME=/tmp/home MORVANE_STATS_HOST=127.0.0.1:$(cat port) MORVANE_SEARCH_HOST=127.0.0.1:$(cat port) \
    morvane batch domains.txt -q --out results.txt
iconv -f GBK -t UTF-8 results.txt
echo "== apt-get remove -y morvane"
apt-get remove -y -q morvane >remove.log 2>&1 || { tail remove.log; exit 1; }
grep -E "^Removing" remove.log
left=0
while read -r path; do
    [ -e "$path" ] || continue
    # Folders other packages own or fill (/usr, /usr/share/...) stay.
    if [ -d "$path" ] && { dpkg -S "$path" >/dev/null 2>&1 || [ -n "$(ls -A "$path")" ]; }; then continue; fi
    echo "left behind: $path"
    left=1
done <files.txt
[ "$left" -eq 0 ] && echo "none of the package'"'"'s own $(grep -c . files.txt) paths is left"
echo "== apt-get purge -y morvane"
apt-get purge -y -q morvane 2>&1 | grep -E "^(Purging|[0-9]+ upgraded)" || true
dpkg-query -W -f="\${Status}\n" morvane 2>&1 || true
exit "$left"
'
