#!/usr/bin/env bash
# A throw-away PostgreSQL cluster on a loopback port, for the shared
# ledger's tests and benchmarks, and for trying a shared run by hand:
#   scripts/pgtest.sh start DIR PORT [postgres options]   (creates DIR/data when new)
#   scripts/pgtest.sh stop DIR
#   scripts/pgtest.sh sql DIR PORT DATABASE STATEMENT   (prints the rows, unaligned)
# The ledger then opens postgresql://morvane@127.0.0.1:PORT/postgres.
# Role morvane is trusted; role secret, once created, must give its password.
# The server refuses to run as root, so as root it runs as nobody.
# Exits 3 when PostgreSQL is not installed (scripts/deps.sh installs it).
set -euo pipefail
action=${1:?start, stop or sql}
dir=$(realpath -m "${2:?folder}")

bin=""
if command -v initdb >/dev/null && command -v pg_ctl >/dev/null; then
    bin=$(dirname "$(realpath "$(command -v pg_ctl)")") # psql beside it, even through links
else
    for b in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V); do bin=$b; done
fi
[ -n "$bin" ] && [ -x "$bin/initdb" ] || { echo "PostgreSQL is not installed" >&2; exit 3; }

server() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}

case $action in
start)
    port=${3:?port}
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown nobody: "$dir"
    cd "$dir"
    if [ ! -f data/PG_VERSION ]; then
        server "$bin/initdb" -D data -U morvane --auth=trust --no-sync --locale=C --encoding=UTF8 >initdb.log
        printf '%s\n' "local all all trust" "host all secret 127.0.0.1/32 scram-sha-256" \
            "host all all 127.0.0.1/32 trust" >data/pg_hba.conf
    fi
    server "$bin/pg_ctl" -D data -l log -o "-k $dir -p $port -h 127.0.0.1 ${*:4}" -w start >/dev/null
    ;;
stop)
    cd "$dir"
    server "$bin/pg_ctl" -D data -m fast -w stop >/dev/null
    ;;
sql)
    "$bin/psql" -h 127.0.0.1 -p "${3:?port}" -U morvane -d "${4:?database}" -tAq -v ON_ERROR_STOP=1 -c "${5:?statement}"
    ;;
*)
    echo "start, stop or sql" >&2
    exit 2
    ;;
esac
