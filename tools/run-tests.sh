#!/bin/bash
# Builds and runs every test: the core's unit tests natively (with sanitizers),
# then Orbisette.scr and the Wine harness, which plays the screen-saver host
# under Wine on a virtual display. --quick leaves out the slow suite (half a
# minute of watching a run's memory); other arguments go to the Wine harness
# (for example --gtest_filter='Run.*').
set -euo pipefail
cd "$(dirname "$0")/.."
harness_args=()
for a in "$@"; do
  if [ "$a" = "--quick" ]; then harness_args+=("--gtest_filter=-Slow*"); else harness_args+=("$a"); fi
done
log=$(mktemp /tmp/orbisette-tests.XXXXXX)
trap 'rm -f "$log"' EXIT

echo "== unit tests (native) =="
cmake --preset native >/dev/null
cmake --build --preset native
cmake --build --preset native --target check-format
echo "== layers, names and function lengths (tools/check-code.sh, clang-tidy) =="
tools/check-code.sh
ctest --preset native 2>&1 | tee -a "$log"

# 10 s per target keeps this short (the committed seeds first, then new
# inputs); the long run is tests/fuzz/run-fuzzers.sh 600.
echo "== fuzzing the readers (libFuzzer, 10 s per target) =="
tests/fuzz/run-fuzzers.sh 10 2>&1 | tee -a "$log"

echo "== Orbisette.scr and the Wine harness (MinGW-w64) =="
cmake --preset mingw >/dev/null
cmake --build --preset mingw
tests/e2e/check-imports.sh build/mingw/Orbisette.scr

echo "== end-to-end tests under Wine =="
tests/e2e/run-under-wine.sh build/mingw ${harness_args[@]+"${harness_args[@]}"} 2>&1 | tee -a "$log"

# One closing line over both layers.
unit_passed=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' "$log" | awk '{print $1-$2}')
unit_failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of.*/\1/p' "$log")
wine_passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | awk '{s+=$1} END {print s+0}')
wine_skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$log" | awk '{s+=$1} END {print s+0}')
shots=$(grep -c '^screenshot check: 1 passed' "$log" || true)
total=$(( ${unit_passed:-0} + wine_passed + shots ))
echo
fuzzed=$(grep -c '_fuzzer: .* executions, .*, clean$' "$log" || true)
echo "unit: ${unit_passed:-0} passed, ${unit_failed:-0} failed; fuzz targets: ${fuzzed} clean; wine harness: ${wine_passed} passed, ${wine_skipped} skipped; screenshot: ${shots} passed"
echo "${total} passed, 0 failed"
