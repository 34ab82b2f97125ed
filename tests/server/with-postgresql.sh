#!/usr/bin/env bash
# Runs a test executable against a PostgreSQL cluster started for it in a temporary folder.
# Usage: with-postgresql.sh TEST_EXECUTABLE [ARGS...]
# The cluster listens only on a socket in that folder; as root it runs as the user "nobody"
# (PostgreSQL refuses to run as root). Exits 77 (skipped) only when PostgreSQL is not installed.
set -euo pipefail
bin=${QKDRIVER_TEST_PGBIN:-/usr/lib/postgresql/15/bin}
if [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
    echo "SKIPPED: PostgreSQL is not installed (no $bin/initdb); install the package postgresql"
    exit 77
fi
tmp=$(mktemp -d)
as=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$tmp"
    as=(runuser -u nobody --)
fi
stop() {
    "${as[@]}" "$bin/pg_ctl" -D "$tmp/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$tmp"
}
trap stop EXIT
if ! "${as[@]}" "$bin/initdb" -D "$tmp/data" -U qk -A trust >"$tmp/initdb.log" 2>&1; then
    cat "$tmp/initdb.log"
    exit 1
fi
if ! "${as[@]}" "$bin/pg_ctl" -D "$tmp/data" -l "$tmp/server.log" -w \
        -o "-k $tmp -c listen_addresses= -c fsync=off" start >/dev/null; then
    cat "$tmp/server.log"
    exit 1
fi
export QKDRIVER_TEST_PGHOST=$tmp QKDRIVER_TEST_PGDATA=$tmp/data QKDRIVER_TEST_PGBIN=$bin
"$@"
