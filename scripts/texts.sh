#!/usr/bin/env bash
# Brings i18n/morvane_zh_CN.ts up to date with the messages in the code:
# a new tr() text comes in unfinished, to be given its Chinese there; a text
# gone from the code leaves. With --check, changes nothing and fails when
# the file is behind the code or a text has no Chinese (a test runs this).
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=/usr/lib/qt6/bin/lupdate
[ -x "$lupdate" ] || lupdate=$(command -v lupdate-qt6 || command -v lupdate)
ts=i18n/morvane_zh_CN.ts
sources=(fetch queries batch detail ledger sheets cli window app)
if [ "${1:-}" != --check ]; then
    "$lupdate" -silent -locations none -no-obsolete "${sources[@]}" -ts "$ts"
    unfinished=$(grep -c 'type="unfinished"' "$ts" || true)
    [ "$unfinished" -eq 0 ] || echo "$ts: $unfinished texts to translate (type=\"unfinished\")"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/now.ts"
"$lupdate" -silent -locations none -no-obsolete "${sources[@]}" -ts "$work/now.ts"
if ! diff -u "$ts" "$work/now.ts"; then
    echo "$ts is behind the code: run bash scripts/texts.sh and translate what it marks unfinished"
    exit 1
fi
if grep -n -B2 'type="unfinished"' "$ts"; then
    echo "$ts: the texts above have no Chinese yet"
    exit 1
fi
echo "$ts: every text of the code has its Chinese"
