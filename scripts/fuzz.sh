#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a few seconds each, starting
# from the seed corpus in fuzz/corpus/<target> when there is one.
#   scripts/fuzz.sh BUILD_DIR [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/fuzz.sh BUILD_DIR [SECONDS]}
seconds=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
shopt -s nullglob
for fuzzer in "$build"/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="$work/$name"
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/$name" ]; then cp -r "fuzz/corpus/$name/." "$corpus/"; fi
  echo "-- $name"
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=0 "$corpus" >"$work/$name.log" 2>&1; then
    tail -50 "$work/$name.log"
    status=1
  fi
done
exit $status
