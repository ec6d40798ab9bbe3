#!/usr/bin/env bash
# The test command: installs what is needed, then builds and runs every test
# in a normal build and in an AddressSanitizer/UBSan build, and runs each
# fuzz target for a short while. Exits non-zero on the first failure.
#   FUZZ_SECONDS=N   seconds per fuzz target (default 10; 0 skips fuzzing)
#   JOBS=N           build and test parallelism (default: number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-10}

scripts/install-deps.sh

export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ROOT/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_build() { # dir, cmake options...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

echo "== normal build"
run_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest -j "$JOBS" --output-on-failure --timeout 300)

echo "== AddressSanitizer/UBSan build"
run_build build-asan -DCMAKE_BUILD_TYPE=Debug -DPLOTCARE_SANITIZE=ON -DPLOTCARE_BENCH=OFF
(cd build-asan && ctest -j "$JOBS" --output-on-failure --timeout 600)

if [ "$FUZZ_SECONDS" != 0 ]; then
  echo "== fuzz targets (${FUZZ_SECONDS}s each)"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLOTCARE_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j "$JOBS" --target fuzzers
  scripts/fuzz.sh build-fuzz "$FUZZ_SECONDS"
fi
echo "== all tests passed"
