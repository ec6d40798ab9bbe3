#!/usr/bin/env bash
# A private CUPS server for tests and the demo. It never touches the
# system's CUPS: its configuration, cache, spool, state and logs all live in
# the given folder, it listens on a free loopback port only, and it shares,
# browses and advertises nothing.
#
#   cups-private.sh start DIR
#       Starts cupsd (foreground daemon, run in the background, pid in
#       DIR/cupsd.pid), waits until it answers and prints the value for
#       CUPS_SERVER ("127.0.0.1:PORT"). DIR must exist; when run as root the
#       daemon drops to lp, so DIR is made reachable for lp.
#   cups-private.sh stop DIR
#       Stops the server started in DIR (no error when none runs).
#   cups-private.sh add-queue DIR NAME DEVICE-URI [PPD]
#       Adds an enabled, accepting, unshared queue; a raw queue when no PPD
#       is given (deprecated in CUPS 2.4 but still working).
#   cups-private.sh add-filter DIR PROGRAM...
#       Puts printer driver filters (programs a PPD names in *cupsFilter2)
#       into the server's filter folder, where its queues find them.
#   cups-private.sh env DIR
#       Prints the export lines for a shell: eval "$(cups-private.sh env DIR)".
#
# The server runs its filters and backends from a folder of its own
# (DIR/serverbin): links to everything of the system's CUPS (backends,
# filters, helper programs) plus the driver filters added to it. With
# CUPS_PRIVATE_FILTERS (programs separated by ":") set, start adds those
# filters at once.
#
# Clients of this server need two variables:
#   CUPS_SERVER=127.0.0.1:PORT      which server to talk to
#   CUPS_SERVERROOT=DIR/client      where libcups reads client.conf and the
#                                   machine-wide lpoptions instead of
#                                   /etc/cups. Per-user options stay in
#                                   ~/.cups/lpoptions (also for root), which
#                                   nothing here writes.
# DIR/client/client.conf names the server too, so CUPS_SERVERROOT alone is
# enough for libcups programs.
set -euo pipefail

die() { echo "cups-private.sh: $*" >&2; exit 1; }

usage() {
  sed -n '2,/^set -euo/p' "$0" | sed -e '/^set -euo/d' -e 's/^# \{0,1\}//' >&2
  exit 2
}

abs_dir() {
  [ -d "$1" ] || die "no such folder: $1"
  (cd "$1" && pwd -P)
}

client_env() {
  local dir=$1
  [ -f "$dir/server" ] || die "no private server was started in $dir"
  export CUPS_SERVER
  CUPS_SERVER=$(cat "$dir/server")
  export CUPS_SERVERROOT="$dir/client"
  export CUPS_STATEDIR="$dir/run"
  export CUPS_CACHEDIR="$dir/cache"
}

answers() {
  # lpstat -r exits 0 whether or not the scheduler runs; check its text.
  lpstat -h "$1" -r 2>/dev/null | grep -q '^scheduler is running'
}

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

system_serverbin() {
  local bin
  bin=$(cups-config --serverbin 2>/dev/null || true)
  [ -d "$bin" ] || bin=/usr/lib/cups
  [ -d "$bin/filter" ] || die "the system's CUPS programs are not in $bin"
  echo "$bin"
}

# The server's program folder: links to the system's, with a filter folder
# of its own so that driver filters can be added without touching the
# system's.
make_serverbin() {
  local dir=$1 system entry
  system=$(system_serverbin)
  rm -rf "$dir/serverbin"
  mkdir -p "$dir/serverbin/filter"
  chmod 0755 "$dir/serverbin" "$dir/serverbin/filter"
  for entry in "$system"/*; do
    [ "$(basename "$entry")" = filter ] && continue
    ln -s "$entry" "$dir/serverbin/"
  done
  for entry in "$system"/filter/*; do
    [ -e "$entry" ] && ln -s "$entry" "$dir/serverbin/filter/"
  done
  return 0
}

# Copies (not links): cupsd runs filters as lp and, started as root, only
# programs that root owns in a folder only root may write to.
install_filters() {
  local dir=$1 program
  shift
  [ -d "$dir/serverbin/filter" ] || die "no private server was started in $dir"
  for program in "$@"; do
    [ -n "$program" ] || continue
    [ -f "$program" ] && [ -x "$program" ] || die "no such filter program: $program"
    install -m 0755 "$program" "$dir/serverbin/filter/$(basename "$program")"
  done
}

write_config() {
  local dir=$1 port=$2
  local owner_lines=""
  if [ "$(id -u)" -eq 0 ]; then
    owner_lines=$'User lp\nGroup lp'
  fi
  cat >"$dir/etc/cups-files.conf" <<EOF
# Private test server: every path inside $dir.
ServerRoot $dir/etc
ServerBin $dir/serverbin
CacheDir $dir/cache
StateDir $dir/run
RequestRoot $dir/spool
TempDir $dir/spool/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/run/printcap
FileDevice No
FatalErrors config listen
Sandboxing relaxed
$owner_lines
EOF
  cat >"$dir/etc/cupsd.conf" <<EOF
LogLevel warn
MaxLogSize 0
Listen 127.0.0.1:$port
ServerName 127.0.0.1
ServerAlias *
HostNameLookups Off
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
PreserveJobHistory Yes
PreserveJobFiles No
MaxJobs 0
DefaultAuthType None
DefaultPolicy default
<Location />
  Order allow,deny
  Allow from 127.0.0.1
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cat >"$dir/client/client.conf" <<EOF
ServerName 127.0.0.1:$port
EOF
  # The network backends ask the printer's SNMP port (161) for its page
  # counter before and after each job. The virtual printers answer SNMP on a
  # port of their own, so every job would first wait out those queries
  # (about 4 s); a community without a name turns them off.
  printf 'Community\n' >"$dir/etc/snmp.conf"
  chmod 0644 "$dir/etc/snmp.conf"
}

start() {
  local dir
  dir=$(abs_dir "$1")
  if [ -f "$dir/cupsd.pid" ] && kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null; then
    die "a private server already runs in $dir"
  fi
  command -v cupsd >/dev/null || PATH="$PATH:/usr/sbin:/sbin"
  command -v cupsd >/dev/null || die "cupsd not found (install cups-daemon)"

  # lpstat below must not read the system's client configuration either.
  export CUPS_SERVERROOT="$dir/client"
  mkdir -p "$dir/etc/ppd" "$dir/cache" "$dir/run" "$dir/spool/tmp" "$dir/log" "$dir/client"
  make_serverbin "$dir"
  local filters=()
  IFS=: read -r -a filters <<<"${CUPS_PRIVATE_FILTERS:-}"
  install_filters "$dir" "${filters[@]}"
  if [ "$(id -u)" -eq 0 ]; then
    # The daemon runs its filters and backends as lp: every folder on the
    # way to DIR must be traversable for lp.
    chmod o+x "$dir"
    chgrp lp "$dir/cache" "$dir/run" "$dir/spool" "$dir/spool/tmp" "$dir/log"
    chmod 0775 "$dir/cache" "$dir/run" "$dir/log"
    chmod 0710 "$dir/spool"
    chmod 01770 "$dir/spool/tmp"
  fi

  local attempt port pid
  for attempt in $(seq 1 20); do
    port=$(( 20000 + (RANDOM * 32768 + RANDOM) % 40000 ))
    if port_in_use "$port"; then continue; fi
    write_config "$dir" "$port"
    : >"$dir/log/error_log"
    # Foreground mode keeps the pid known; setsid detaches the daemon from
    # the caller's terminal and process group (it may fork, so the shell
    # records its own pid just before it becomes cupsd).
    rm -f "$dir/cupsd.pid"
    setsid sh -c 'echo $$ >"$1/cupsd.pid"; exec cupsd -f -c "$1/etc/cupsd.conf" -s "$1/etc/cups-files.conf"' \
      sh "$dir" </dev/null >>"$dir/log/daemon.out" 2>&1 &
    local i
    for i in $(seq 1 50); do
      [ -s "$dir/cupsd.pid" ] && break
      sleep 0.02
    done
    pid=$(cat "$dir/cupsd.pid" 2>/dev/null || echo 0)
    for i in $(seq 1 100); do
      if ! kill -0 "$pid" 2>/dev/null; then break; fi
      if answers "127.0.0.1:$port"; then
        # Make sure the answer came from our daemon, not from someone who
        # took the port meanwhile.
        if grep -q 'Unable to open listen socket' "$dir/log/error_log" 2>/dev/null; then break; fi
        echo "127.0.0.1:$port" >"$dir/server"
        start_watcher "$dir" "$pid"
        echo "127.0.0.1:$port"
        return 0
      fi
      sleep 0.1
    done
    # Could not bind or did not answer: clean up and try another port.
    if [ "$pid" != 0 ]; then
      kill -KILL "$pid" 2>/dev/null || true
      for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.02; done
    fi
    rm -f "$dir/cupsd.pid"
  done
  echo "--- error_log ---" >&2
  cat "$dir/log/error_log" "$dir/log/daemon.out" >&2 2>/dev/null || true
  die "could not start a private cupsd in $dir"
}

# With CUPS_PRIVATE_OWNER_PID set, the server does not outlive that process
# (a test executable killed by a time-out leaves no daemon behind); with
# CUPS_PRIVATE_REMOVE_DIR=1 as well, DIR is removed after it.
start_watcher() {
  local dir=$1 pid=$2 owner=${CUPS_PRIVATE_OWNER_PID:-} remove=${CUPS_PRIVATE_REMOVE_DIR:-0}
  [ -n "$owner" ] || return 0
  setsid sh -c 'while kill -0 "$1" 2>/dev/null && kill -0 "$2" 2>/dev/null; do sleep 1; done
                kill -0 "$1" 2>/dev/null && exit 0
                kill -0 "$2" 2>/dev/null && "$3" stop "$4"
                [ "$5" = 1 ] && rm -rf "$4"' \
    sh "$owner" "$pid" "$0" "$dir" "$remove" </dev/null >/dev/null 2>&1 &
}

is_our_cupsd() {
  local dir=$1 pid=$2
  [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "-c $dir/etc/cupsd.conf"
}

stop() {
  local dir
  dir=$(abs_dir "$1")
  [ -f "$dir/cupsd.pid" ] || return 0
  local pid
  pid=$(cat "$dir/cupsd.pid")
  # Only stop the process when it still is our cupsd (pids get reused).
  if is_our_cupsd "$dir" "$pid"; then
    kill -TERM "$pid" 2>/dev/null || true
    local i
    for i in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$dir/cupsd.pid" "$dir/server"
}

add_queue() {
  local dir name uri ppd
  dir=$(abs_dir "$1"); name=$2; uri=$3; ppd=${4:-}
  client_env "$dir"
  command -v lpadmin >/dev/null || PATH="$PATH:/usr/sbin:/sbin"
  local args=(-h "$CUPS_SERVER" -p "$name" -v "$uri" -o printer-is-shared=false)
  if [ -n "$ppd" ]; then
    [ -f "$ppd" ] || die "no such PPD: $ppd"
    args+=(-P "$ppd")
  fi
  # -E after -p enables the queue and lets it accept jobs. lpadmin warns
  # that raw queues and PPD files are deprecated; the queue works anyway.
  local out
  if ! out=$(lpadmin "${args[@]}" -E 2>&1); then
    echo "$out" >&2
    die "queue $name was not created"
  fi
  if [ -n "$out" ]; then echo "$out" | grep -v 'deprecated' >&2 || true; fi
  lpstat -h "$CUPS_SERVER" -a "$name" 2>/dev/null | grep -q "^$name accepting" \
    || die "queue $name was not created"
}

print_env() {
  local dir
  dir=$(abs_dir "$1")
  client_env "$dir"
  printf 'export CUPS_SERVER=%q\n' "$CUPS_SERVER"
  printf 'export CUPS_SERVERROOT=%q\n' "$CUPS_SERVERROOT"
  printf 'export CUPS_STATEDIR=%q\n' "$CUPS_STATEDIR"
  printf 'export CUPS_CACHEDIR=%q\n' "$CUPS_CACHEDIR"
}

case "${1:-}" in
  start) [ $# -eq 2 ] || usage; start "$2" ;;
  stop) [ $# -eq 2 ] || usage; stop "$2" ;;
  add-queue) [ $# -eq 4 ] || [ $# -eq 5 ] || usage; add_queue "$2" "$3" "$4" "${5:-}" ;;
  add-filter) [ $# -ge 3 ] || usage; d=$(abs_dir "$2"); shift 2; install_filters "$d" "$@" ;;
  env) [ $# -eq 2 ] || usage; print_env "$2" ;;
  *) usage ;;
esac
