#!/usr/bin/env bash
# scripts/parallel-demo.sh finds this checkout's build/morvane without being
# told, against the loopback stand-in services. Skipped (77) when the build
# is elsewhere or a morvane on the PATH would hide the fault.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
[ -x "$src/build/morvane" ] || exit 77
PATH=/usr/bin:/bin
! command -v morvane >/dev/null || exit 77
work=$(mktemp -d)
server=""
trap '[ -n "$server" ] && kill "$server"; rm -rf "$work"' EXIT
python3 "$src/scripts/fake_services.py" >"$work/port" &
server=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
printf 'a.example\nb.example\nc.example\n' >"$work/list.txt"
export HOME=$work MORVANE_STATS_HOST=127.0.0.1:$(cat "$work/port") MORVANE_SEARCH_HOST=127.0.0.1:$(cat "$work/port")
env -u MORVANE bash "$src/scripts/parallel-demo.sh" "$work/list.txt" 2 "$work/out.txt" --rest-every 0
[ "$(grep -c . "$work/out.txt")" -eq 3 ]
echo "parallel-demo ran build/morvane: 3 rows merged"
