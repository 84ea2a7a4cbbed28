# A PostgreSQL server for the tests of one build tree: Debian's server, its cluster in a
# folder of the build tree, listening on 127.0.0.1 on a free port. Its unix socket lies in a
# short private folder of its own under /tmp, made when the server starts and removed when
# it is stopped: a socket's path is at most 107 bytes, which a checkout in a deep folder
# would pass. Sourced by scripts/test and tests/database/test-server.
#
# The folder holds, besides the cluster (data/) and the server's log (server.log):
#   connection  the ODBC connection string of the test database, without its password
#   password    the password of the tests' role (made at random with the cluster)
#   odbc/       the ODBC drivers' settings for the tests (ODBCSYSINI)
#   owner       the process that started the server: "PID START-TIME"
#   socket      the folder of the server's unix socket (psql -h, for its owner's commands)
# A test reads the first two; each test works in a schema of its own, so that every test
# program, and every lane of a parallel run, can share the one server.
#
# The server belongs to the process that started it, and only that process's stop ends it:
# scripts/test starts it for its whole run, and the fixture of ctest reuses it then, or
# starts and stops it itself when ctest runs alone. A watcher stops it within seconds when
# its owner ends without stopping it (a run that was killed); should the server outlive
# both, the next start stops it and starts it again.
#
# PostgreSQL refuses to run as root: as root, the server's commands run as Debian's
# `postgres` user, on a folder that user owns.

TARSIL_POSTGRES_ROLE=tarsil
TARSIL_POSTGRES_DATABASE=tarsil_tests

tarsil_postgres_bin() {
  local bin
  bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
  if [ -z "$bin" ] || [ ! -x "$bin/pg_ctl" ]; then
    echo "postgres: no PostgreSQL server found in /usr/lib/postgresql: install postgresql" >&2
    return 1
  fi
  printf '%s' "$bin"
}

# Runs a server command as the user the cluster belongs to. Without the descriptor of the
# start's lock: the server would hold the lock for as long as it runs.
tarsil_postgres_as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@" 9>&-
  else
    "$@" 9>&-
  fi
}

# "PID START-TIME" of a running process (the start time tells a reused PID apart), or nothing.
tarsil_process_identity() {
  local pid="$1" stat
  stat="$(cat "/proc/$pid/stat" 2>/dev/null)" || return 0
  # The command name, in parentheses, may hold spaces: the fields are counted after it,
  # where the third field of the line comes first and the start time is the 22nd.
  # shellcheck disable=SC2086
  set -- ${stat##*) }
  printf '%s %s' "$pid" "${20}"
}

tarsil_postgres_running() {
  local dir="$1" bin
  bin="$(tarsil_postgres_bin)" || return 1
  [ -f "$dir/data/PG_VERSION" ] && tarsil_postgres_as_owner "$bin/pg_ctl" status -D "$dir/data" >/dev/null 2>&1
}

# A port nobody listens on now. Another program may take it before the server does, so
# the start tries again with another.
tarsil_free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# What the cluster is made with: a cluster made another way is made again.
tarsil_postgres_configuration() {
  sha256sum "${BASH_SOURCE[0]}" | cut -c1-16
}

tarsil_postgres_make_cluster() {
  local dir="$1" bin="$2"
  rm -rf "$dir"
  mkdir -p "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
  chmod 700 "$dir"
  local password
  password="$(head -c 18 /dev/urandom | base64 | tr -d '/+=')"
  printf '%s\n' "$password" >"$dir/initdb-password"
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir/initdb-password"
  if ! tarsil_postgres_as_owner "$bin/initdb" -D "$dir/data" -U "$TARSIL_POSTGRES_ROLE" \
         --pwfile="$dir/initdb-password" --auth-local=trust --auth-host=scram-sha-256 \
         -E UTF8 --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1; then
    rm -f "$dir/initdb-password"
    echo "postgres: initdb failed; its output is in $dir/initdb.log" >&2
    return 1
  fi
  rm -f "$dir/initdb-password"
  # A self-signed certificate of the cluster's own, so that a connection may ask for SSL
  # (sslmode=require) as a team's would.
  if ! tarsil_postgres_as_owner openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
         -days 3650 -subj /CN=127.0.0.1 -keyout "$dir/data/server.key" -out "$dir/data/server.crt" \
         >"$dir/openssl.log" 2>&1 || ! tarsil_postgres_as_owner chmod 600 "$dir/data/server.key"; then
    echo "postgres: the server's certificate could not be made; openssl's output is in $dir/openssl.log" >&2
    return 1
  fi
  # Tests want speed, not durability: a lost test database is made again. The socket's
  # folder, made anew at each start, is named in socket.conf (tarsil_postgres_socket_folder).
  cat >>"$dir/data/postgresql.conf" <<EOF
ssl = on
listen_addresses = '127.0.0.1'
include = 'socket.conf'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 60
shared_buffers = 16MB
EOF
  printf '%s\n' "$password" >"$dir/password"
  chmod 600 "$dir/password"
}

# Makes the private folder of the server's unix socket, owned by the server's user, and
# names it in the cluster's settings and in DIR/socket. It stays while the server is
# stopped and started again on the same settings, until tarsil_postgres_release.
tarsil_postgres_socket_folder() {
  local dir="$1" socket
  socket="$(tarsil_postgres_as_owner mktemp -d /tmp/tarsil-pg.XXXXXXXX)" || return 1
  printf "unix_socket_directories = '%s'\n" "$socket" | tarsil_postgres_as_owner tee "$dir/data/socket.conf" >/dev/null
  printf '%s\n' "$socket" >"$dir/socket"
}

# Removes the socket's folder named in DIR/socket, once its server has stopped.
tarsil_postgres_socket_remove() {
  local dir="$1" socket
  socket="$(cat "$dir/socket" 2>/dev/null)" || return 0
  case "$socket" in
    /tmp/tarsil-pg.*) rm -rf "$socket" ;;
  esac
  rm -f "$dir/socket"
}

# Starts the server on a free port; tries other ports when one is taken meanwhile.
tarsil_postgres_launch() {
  local dir="$1" bin="$2" port
  for _ in 1 2 3 4 5; do
    port="$(tarsil_free_port)"
    if tarsil_postgres_as_owner "$bin/pg_ctl" start -D "$dir/data" -l "$dir/server.log" -w -t 60 \
         -o "-p $port" >/dev/null 2>&1; then
      printf '%s' "$port"
      return 0
    fi
  done
  echo "postgres: the server did not start; its log is $dir/server.log" >&2
  return 1
}

tarsil_postgres_halt() {
  local dir="$1" mode="${2:-fast}" bin
  bin="$(tarsil_postgres_bin)" || return 1
  [ -f "$dir/data/PG_VERSION" ] || return 0
  tarsil_postgres_thaw "$dir" # a frozen server heeds no stop
  tarsil_postgres_as_owner "$bin/pg_ctl" stop -D "$dir/data" -m "$mode" -w -t 30 >/dev/null 2>&1 ||
    tarsil_postgres_as_owner "$bin/pg_ctl" stop -D "$dir/data" -m immediate -w -t 30 >/dev/null 2>&1 || true
}

# The running server's processes: the postmaster (the first line of its postmaster.pid)
# and its children, the backends among them.
tarsil_postgres_processes() {
  local dir="$1" postmaster stat line
  postmaster="$(head -n 1 "$dir/data/postmaster.pid" 2>/dev/null)" || return 0
  [ -n "$postmaster" ] && [ -d "/proc/$postmaster" ] || return 0
  printf '%s\n' "$postmaster"
  for stat in /proc/[0-9]*/stat; do
    { read -r line <"$stat"; } 2>/dev/null || continue
    # After the command name, in parentheses: the state, then the parent's PID.
    # shellcheck disable=SC2086
    set -- ${line##*) }
    [ "${2:-}" = "$postmaster" ] && printf '%s\n' "${stat//[^0-9]/}"
  done
  return 0
}

# Freezes the server (SIGSTOP on all its processes), as a server behind a network gone
# silent: its connections stay open and the system takes what is sent on them, but nothing
# answers. Thawed with SIGCONT.
tarsil_postgres_freeze() {
  # shellcheck disable=SC2046
  kill -STOP $(tarsil_postgres_processes "$1") 2>/dev/null || true
}
tarsil_postgres_thaw() {
  # shellcheck disable=SC2046
  kill -CONT $(tarsil_postgres_processes "$1") 2>/dev/null || true
}

# The machine's ODBC drivers as the tests see them (unixODBC reads them from the folder that
# ODBCSYSINI names): the same drivers, with their logs off. Debian registers the PostgreSQL
# driver with its log on, which leaves a file in /tmp for every process that connects.
tarsil_odbc_settings() {
  local folder="$1" drivers
  drivers="$(odbcinst -j 2>/dev/null | sed -n 's/^DRIVERS\.*: //p')"
  if [ ! -f "$drivers" ]; then
    echo "postgres: no ODBC drivers registered: install odbc-postgresql" >&2
    return 1
  fi
  mkdir -p "$folder"
  sed -E 's/^(CommLog|Debug)[[:space:]]*=.*/\1=0/' "$drivers" >"$folder/odbcinst.ini"
}

# tarsil_postgres_start DIR OWNER_PID: a server in DIR for the tests, owned by OWNER_PID
# unless a live owner already runs one there.
tarsil_postgres_start() {
  local dir="$1" owner="$2"
  mkdir -p "$(dirname "$dir")"
  (
    flock -w 300 9 || { echo "postgres: waited too long for $dir.lock" >&2; exit 1; }
    bin="$(tarsil_postgres_bin)" || exit 1
    if tarsil_postgres_running "$dir"; then
      holder="$(cat "$dir/owner" 2>/dev/null)"
      if [ -n "$holder" ] && [ "$(tarsil_process_identity "${holder%% *}")" = "$holder" ]; then
        exit 0
      fi
      # Left behind by a run that ended without stopping it.
      tarsil_postgres_halt "$dir" immediate
    fi
    rm -f "$dir/owner" "$dir/connection"
    tarsil_postgres_socket_remove "$dir"
    made=false
    if [ "$(cat "$dir/.tarsil-ready" 2>/dev/null)" != "$(tarsil_postgres_configuration)" ]; then
      tarsil_postgres_make_cluster "$dir" "$bin" || exit 1
      made=true
    fi
    tarsil_postgres_socket_folder "$dir" || exit 1
    port="$(tarsil_postgres_launch "$dir" "$bin")" || exit 1
    if $made; then
      tarsil_postgres_as_owner "$bin/createdb" -h "$(cat "$dir/socket")" -p "$port" -U "$TARSIL_POSTGRES_ROLE" \
        "$TARSIL_POSTGRES_DATABASE" || exit 1
      tarsil_postgres_configuration >"$dir/.tarsil-ready"
    fi
    identity="$(tarsil_process_identity "$owner")"
    printf '%s' "$identity" >"$dir/owner"
    # Stopped also when its owner is killed before it can stop it. (Detached from the
    # caller's output, which ctest waits on.)
    tarsil_postgres_watch "$dir" "$identity" </dev/null >/dev/null 2>&1 9>&- &
    tarsil_odbc_settings "$dir/odbc" || exit 1
    printf 'Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%s;Database=%s;Uid=%s;\n' \
      "$port" "$TARSIL_POSTGRES_DATABASE" "$TARSIL_POSTGRES_ROLE" >"$dir/connection"
  ) 9>"$dir.lock"
}

# tarsil_postgres_stop DIR OWNER_PID: stops the server in DIR if OWNER_PID started it.
tarsil_postgres_stop() {
  tarsil_postgres_release "$1" "$(tarsil_process_identity "$2")"
}

# Stops the server in DIR if the owner of that identity ("PID START-TIME") started it.
tarsil_postgres_release() {
  local dir="$1" identity="$2"
  [ -d "$dir" ] && [ -n "$identity" ] || return 0
  (
    flock -w 300 9 || exit 1
    [ "$(cat "$dir/owner" 2>/dev/null)" = "$identity" ] || exit 0
    tarsil_postgres_halt "$dir"
    tarsil_postgres_socket_remove "$dir"
    rm -f "$dir/owner" "$dir/connection"
  ) 9>"$dir.lock"
}

# Waits for the owner to end, then stops its server if it is still running.
tarsil_postgres_watch() {
  local dir="$1" identity="$2"
  while [ "$(tarsil_process_identity "${identity%% *}")" = "$identity" ] &&
        [ "$(cat "$dir/owner" 2>/dev/null)" = "$identity" ]; do
    sleep 2
  done
  tarsil_postgres_release "$dir" "$identity"
}
