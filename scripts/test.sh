#!/usr/bin/env bash
# Set up this machine, build, and run every test: on SQLite, and on a throwaway
# PostgreSQL server started here (Unix socket in a temporary folder), stopped at the end.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages "${VESK_PACKAGES[@]}" postgresql
build_vesk
build_vesk_sanitized
deliver_files

PG_BIN="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
PG_DIR="$(mktemp -d /tmp/vesk-pg.XXXXXX)"
PG_USER=postgres
run_pg() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u "$PG_USER" -- "$@"; else sudo -u "$PG_USER" "$@"; fi
}
stop_pg() {
    run_pg "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -m fast stop >/dev/null 2>&1 || true
    as_root rm -rf "$PG_DIR"
}
trap stop_pg EXIT
as_root chown "$PG_USER" "$PG_DIR"
run_pg "$PG_BIN/initdb" -D "$PG_DIR/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
run_pg "$PG_BIN/pg_ctl" -D "$PG_DIR/data" -l "$PG_DIR/log" -w \
    -o "-k $PG_DIR -c listen_addresses='' -c fsync=off -c max_connections=100" start >/dev/null
echo "== PostgreSQL $("$PG_BIN/postgres" --version | awk '{print $3}') on socket $PG_DIR"

export VESK_TEST_PG="Provider=PostgreSQL;Data Source=$PG_DIR;User ID=postgres;Initial Catalog=postgres"
# The outage test restarts the server in the middle of a session.
if [ "$(id -u)" -eq 0 ]; then PG_AS=(runuser -u "$PG_USER" --); else PG_AS=(sudo -u "$PG_USER"); fi
export VESK_TEST_PG_RESTART="${PG_AS[*]} $PG_BIN/pg_ctl -D $PG_DIR/data -l $PG_DIR/log -m fast -w restart >/dev/null"
echo "== the optimised build"
(cd "$VESK_BUILD" && ctest --output-on-failure --parallel "$(nproc)" "$@")
echo "== the Debian package, installed and started once with a fresh home folder"
(cd "$VESK_BUILD" && cpack -G DEB -B "$VESK_BUILD/package-out" >/dev/null)
VESK_DEB="$(ls "$VESK_BUILD"/package-out/vesk_*_amd64.deb)"
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$VESK_DEB" >/dev/null
VESK_HOME="$(mktemp -d /tmp/vesk-home.XXXXXX)"
# The login window waits for the operator: the program is stopped once it had time to start.
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$VESK_HOME" QT_QPA_PLATFORM=offscreen timeout 15 /usr/bin/vesk || true
if [ ! -f "$VESK_HOME/.local/share/vesk/vesk/data.mdb" ]; then
    echo "the installed program made no database in the user's data folder" >&2
    exit 1
fi
echo "== installed: $(basename "$VESK_DEB"); first start made $VESK_HOME/.local/share/vesk/vesk/data.mdb"
rm -rf "$VESK_HOME"
as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q vesk >/dev/null
echo "== the Debug build with sanitizers"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$VESK_ROOT/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1"
(cd "$VESK_SANITIZED_BUILD" && ctest --output-on-failure --parallel "$(nproc)" "$@")
