#!/bin/sh
# Builds the libFuzzer harnesses with clang in build-fuzz/ and runs each for a number of runs.
#   tools/fuzz.sh [RUNS] [HARNESS ...]    (default 100000 runs of every harness)
# Harnesses: PathCurveFuzz, DxfReaderFuzz, DxfRoundTripFuzz. Inputs that crash, hang or fail a
# check land in build-fuzz/artifacts/; the grown corpus stays in build-fuzz/corpus/<harness>/.
# Extra libFuzzer flags can be given in FUZZ_FLAGS (e.g. FUZZ_FLAGS="-max_total_time=600").
set -eu
cd "$(dirname "$0")/.."
RUNS=${1:-100000}
[ $# -gt 0 ] && shift
HARNESSES=${*:-"PathCurveFuzz DxfReaderFuzz DxfRoundTripFuzz"}
BUILD=build-fuzz

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DVELROK_FUZZ=ON -DVELROK_GUI=OFF -DVELROK_BENCH=OFF -DVELROK_WERROR=ON >/dev/null
# shellcheck disable=SC2086
cmake --build "$BUILD" -j 2 --target $HARNESSES

mkdir -p "$BUILD/artifacts"
for h in $HARNESSES; do
  corpus="$BUILD/corpus/$h"
  mkdir -p "$corpus"
  seeds=""
  dict=""
  case $h in
    Dxf*) seeds="tests/fuzz/seeds tests/data/dxf tests/data/dxf/broken examples"
          dict="-dict=tests/fuzz/dxf.dict" ;;
  esac
  existing=""
  for s in $seeds; do [ -d "$s" ] && existing="$existing $s"; done
  echo "== $h: $RUNS runs"
  # shellcheck disable=SC2086
  "$BUILD/bin/$h" -runs="$RUNS" -timeout=10 -rss_limit_mb=2048 -max_len=65536 $dict \
      -artifact_prefix="$BUILD/artifacts/$h-" -print_final_stats=1 ${FUZZ_FLAGS:-} "$corpus" $existing
done
