#!/usr/bin/env bash
# Renders the icon's PNG sizes from dist/icons/hicolor/scalable/apps/morvane.svg
# into dist/icons/hicolor/<n>x<n>/apps/, and those into the Windows
# icon dist/windows/morvane.ico. The PNGs and the icon are committed, so a build
# never needs the converter; run this after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || bash scripts/deps.sh librsvg2-bin
icons=dist/icons/hicolor
for n in 16 22 24 32 48 64 128 256; do
    mkdir -p "$icons/${n}x$n/apps"
    rsvg-convert -w "$n" -h "$n" "$icons/scalable/apps/morvane.svg" -o "$icons/${n}x$n/apps/morvane.png"
done
# The Windows icon (the exe, the shortcuts, the installer) from the same PNGs.
command -v convert >/dev/null || bash scripts/deps.sh imagemagick
convert $(for n in 16 24 32 48 64 128 256; do echo "$icons/${n}x$n/apps/morvane.png"; done) dist/windows/morvane.ico
echo "icons: $(ls $icons/*/apps/morvane.png | wc -l) sizes written, and dist/windows/morvane.ico"
