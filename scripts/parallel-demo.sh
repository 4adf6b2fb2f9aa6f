#!/usr/bin/env bash
# One list in N shards at once on this machine through GNU parallel, the
# shard tables then merged into the table one run writes:
#   scripts/parallel-demo.sh LIST N OUT [batch options...]
#   scripts/parallel-demo.sh domains.txt 4 results.xlsx --rest-every 20 --rest-seconds 3
# OUT's suffix (txt, csv, xlsx) is the shards' format too. MORVANE names the
# executable (default: this checkout's build/morvane when it is built, else
# morvane on the PATH). Shards on one machine cannot
# share the SQLite ledger, so they run without one unless the options name
# a ledger server (--ledger postgresql://...). Exits as parallel does (the
# number of shards that did not end with 0) once the merge is written.
set -euo pipefail
list=${1:?list file}
count=${2:?number of shards}
out=${3:?merged table}
shift 3
built=$(cd "$(dirname "$0")/.." && pwd)/build/morvane
[ -x "$built" ] || built=morvane
morvane=${MORVANE:-$built}
format=${out##*.}
case $format in txt | csv | xlsx) ;; *) format=txt ;; esac
ledger=(--no-ledger)
for option in "$@"; do [[ $option == --ledger* ]] && ledger=(); done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
seq 0 $((count - 1)) | parallel --will-cite --quote "$morvane" batch "$list" --shard "{}/$count" -q \
    "${ledger[@]}" --out "$work/shard-{}.$format" "$@" || status=$?
shards=()
for ((i = 0; i < count; i++)); do shards+=("$work/shard-$i.$format"); done
"$morvane" merge "$out" "${shards[@]}"
exit "$status"
