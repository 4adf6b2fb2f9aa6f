#!/usr/bin/env bash
# Installs the build tree under a throw-away prefix and checks that exactly
# the program and its desktop files land there, and that the program runs.
set -euo pipefail
build=${1:?build folder}
version=${2:?version}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(bin/morvane share/applications/io.github.morvane.Morvane.desktop
          share/metainfo/io.github.morvane.Morvane.metainfo.xml share/icons/hicolor/scalable/apps/morvane.svg
          share/doc/morvane/copyright share/doc/morvane/changelog.gz)
for n in 16 22 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${n}x$n/apps/morvane.png"); done
# Nothing else: no tests, benchmarks or libraries of the build.
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f -printf '%P\n' | sort)
[ -x "$prefix/bin/morvane" ]
"$prefix/bin/morvane" --version | grep -qx "Morvane $version"
grep -qx "Icon=morvane" "$prefix/share/applications/io.github.morvane.Morvane.desktop"
grep -qx "Exec=morvane" "$prefix/share/applications/io.github.morvane.Morvane.desktop"
# The desktop finds the running window by its class, the application name.
grep -qx "StartupWMClass=Morvane" "$prefix/share/applications/io.github.morvane.Morvane.desktop"
# The changelog's latest entry is this version.
zcat "$prefix/share/doc/morvane/changelog.gz" | head -n1 | grep -q "^morvane ($version) "
echo "install tree: ${#expected[@]} files as expected"
