#!/usr/bin/env bash
# A private PostgreSQL 15 for the tests that run on a server register.
#   test_server.sh start FILE   initialises a cluster in a fresh temporary folder, starts it on a
#                               Unix socket in that folder (no TCP) and writes the libpq options
#                               that reach it (host=... port=... user=...) into FILE;
#   test_server.sh stop FILE    stops that server and removes its folder and FILE.
# PostgreSQL refuses to run as root: under root the server runs as nobody.
set -euo pipefail
bin=/usr/lib/postgresql/15/bin
action=$1
file=$2
port=5432
role=corvane

as_owner() {
  if [ "$(id -u)" = 0 ]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

stop_server() {
  [ -f "$file" ] || return 0
  local dir
  dir=$(sed -E 's/.*host=([^ ]+).*/\1/' "$file")
  # Only a folder this script made is ever removed.
  case "$dir" in
  /tmp/corvane-pg.*)
    [ -d "$dir/data" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
  esac
  rm -f "$file"
}

start_server() {
  # A server a killed run left behind goes first.
  stop_server
  local dir
  dir=$(mktemp -d /tmp/corvane-pg.XXXXXX)
  [ "$(id -u)" = 0 ] && chown nobody: "$dir"
  if ! as_owner "$bin/initdb" -D "$dir/data" -U "$role" --auth=trust --no-sync -E UTF8 --locale=C.UTF-8 \
    >"$dir/initdb.log" 2>&1; then
    cat "$dir/initdb.log" >&2
    rm -rf "$dir"
    exit 1
  fi
  # Durability is no concern of a server that lives for one test run.
  if ! as_owner "$bin/pg_ctl" -D "$dir/data" -w -l "$dir/server.log" \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir' -p $port -c fsync=off \
        -c synchronous_commit=off -c full_page_writes=off -c shared_buffers=16MB \
        -c max_connections=60 -c dynamic_shared_memory_type=mmap" start >/dev/null; then
    cat "$dir/server.log" >&2
    rm -rf "$dir"
    exit 1
  fi
  printf 'host=%s port=%s user=%s\n' "$dir" "$port" "$role" >"$file"
}

case "$action" in
start) start_server ;;
stop) stop_server ;;
*)
  echo "usage: $0 start|stop FILE" >&2
  exit 2
  ;;
esac
