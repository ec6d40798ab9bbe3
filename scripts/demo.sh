#!/usr/bin/env bash
# The demo command: installs what is needed, builds, and opens plotcare on
# two virtual printers through a private CUPS server:
#   "Corvan-Max-7100"  an ORVEX Corvan Max 7100 on the network channel (SNMP)
#   "QZ-7100"          an ORVEX QZ-7100 on the local channel
# The printers' drivers are registered in a private machine-wide settings
# root. Closing plotcare stops everything the demo started; what the
# printers "printed" stays in the demo folder it names.
#
#   scripts/demo.sh          opens plotcare (Corvan Max 7100 build)
#   scripts/demo.sh --qz     opens plotcare-qz (QZ-7100 build)
#
# Without a display, run it under a virtual one: xvfb-run -a scripts/demo.sh
# PLOTCARE_BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

PROGRAM=plotcare
case "${1:-}" in
  --qz) PROGRAM=plotcare-qz ;;
  "") ;;
  -h|--help) sed -n '2,/^set -euo/p' "$0" | sed -e '/^set -euo/d' -e 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "usage: scripts/demo.sh [--qz]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
BUILD=${PLOTCARE_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target plotcare plotcare-qz vprinter vprinter-ctl tqapi krset32 \
  orvex-register-drivers plotcare_settings
OUT=$(cd "$BUILD" && pwd)/out

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "There is no display to open plotcare's window on (DISPLAY and WAYLAND_DISPLAY are not set)."
  echo "Run the demo under a virtual X server instead:"
  echo "    xvfb-run -a scripts/demo.sh $*"
  echo "(Debian package xvfb; add -s '-screen 0 1280x1024x24' for a larger screen.)"
  exit 1
fi

DEMO=$(mktemp -d "${TMPDIR:-/tmp}/plotcare-demo.XXXXXX")
VPIDS=()
cleanup() {
  local pid
  for pid in "${VPIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${VPIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  scripts/cups-private.sh stop "$DEMO/cups" >/dev/null 2>&1 || true
  echo "Demo stopped. The printers' output is in $DEMO/corvan/output and $DEMO/qz/output."
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# One virtual printer per model; each writes its ports when it is ready.
start_printer() {
  local name=$1 model=$2
  mkdir -p "$DEMO/$name"
  "$OUT/vprinter" --state "$DEMO/$name" --model "$model" --ports-file "$DEMO/$name.ports" \
    >"$DEMO/$name.log" 2>&1 &
  VPIDS+=($!)
}
port_of() { sed -n "s/^$2=//p" "$DEMO/$1.ports"; }
start_printer corvan corvan
start_printer qz qz
for name in corvan qz; do
  for _ in $(seq 100); do [ -s "$DEMO/$name.ports" ] && break; sleep 0.1; done
  [ -s "$DEMO/$name.ports" ] || { echo "the virtual printer '$name' did not start:" >&2; cat "$DEMO/$name.log" >&2; exit 1; }
done

# The private CUPS server with one queue per printer; it runs the driver's
# filter on PDF jobs (sample sheets).
mkdir -p "$DEMO/cups"
CUPS_PRIVATE_FILTERS="$OUT/driver/orvex-sheetfilter" scripts/cups-private.sh start "$DEMO/cups" >/dev/null
eval "$(scripts/cups-private.sh env "$DEMO/cups")"
scripts/cups-private.sh add-queue "$DEMO/cups" Corvan-Max-7100 \
  "socket://127.0.0.1:$(port_of corvan raw)/?tqsnmp=$(port_of corvan snmp)" "$OUT/driver/ovcm7100.ppd"
scripts/cups-private.sh add-queue "$DEMO/cups" QZ-7100 \
  "socket://127.0.0.1:$(port_of qz raw)/?tqlocal=$(port_of qz local)&tqsnmp=off" "$OUT/driver/ovqz7100.ppd"

# The drivers, registered with the status monitor in a private root.
export PLOTCARE_SYSTEM_CONFIG_DIR=$DEMO/machine
"$OUT/driver/orvex-register-drivers" >/dev/null

echo "Private CUPS server: $CUPS_SERVER (queues Corvan-Max-7100 and QZ-7100)."
echo "Virtual printers: control ports $(port_of corvan control) (Corvan Max 7100) and $(port_of qz control) (QZ-7100);"
echo "  try: $OUT/vprinter-ctl $(port_of corvan control) FAULT ink-low 2"
echo "Opening $PROGRAM; closing it ends the demo."
"$OUT/$PROGRAM" || true
