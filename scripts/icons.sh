#!/usr/bin/env bash
# Renders the icon's PNG sizes from dist/icons/hicolor/scalable/apps/morvane.svg
# into dist/icons/hicolor/<n>x<n>/apps/. The PNGs are committed, so a build
# never needs the converter; run this after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || bash scripts/deps.sh librsvg2-bin
icons=dist/icons/hicolor
for n in 16 22 24 32 48 64 128 256; do
    mkdir -p "$icons/${n}x$n/apps"
    rsvg-convert -w "$n" -h "$n" "$icons/scalable/apps/morvane.svg" -o "$icons/${n}x$n/apps/morvane.png"
done
echo "icons: $(ls $icons/*/apps/morvane.png | wc -l) sizes written"
