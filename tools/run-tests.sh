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
# Every stage runs whatever an earlier one found; the closing line counts
# what passed and what failed, and the status says whether anything failed.
status=0

echo "== unit tests (native) =="
cmake --preset native >/dev/null
cmake --build --preset native
cmake --build --preset native --target check-format || status=1
echo "== layers, names and function lengths (tools/check-code.sh, clang-tidy) =="
tools/check-code.sh || status=1
ctest --preset native 2>&1 | tee -a "$log" || status=1

# 10 s per target keeps this short (the committed seeds first, then new
# inputs); the long run is tests/fuzz/run-fuzzers.sh 600.
echo "== fuzzing the readers (libFuzzer, 10 s per target) =="
tests/fuzz/run-fuzzers.sh 10 2>&1 | tee -a "$log" || status=1

echo "== Orbisette.scr and the Wine harness (MinGW-w64) =="
cmake --preset mingw >/dev/null
cmake --build --preset mingw
tests/e2e/check-imports.sh build/mingw/Orbisette.scr || status=1

echo "== end-to-end tests under Wine =="
tests/e2e/run-under-wine.sh build/mingw ${harness_args[@]+"${harness_args[@]}"} 2>&1 | tee -a "$log" || status=1

# One closing line over every layer, counted from what each printed.
sum() { sed -n "s/$1/\1/p" "$log" | awk '{s+=$1} END {print s+0}'; }
unit_failed=$(sum '.*tests passed, \([0-9]*\) tests failed out of.*')
unit_passed=$(( $(sum '.*tests passed, [0-9]* tests failed out of \([0-9]*\).*') - unit_failed ))
fuzz_clean=$(grep -c '_fuzzer: .* executions, .*, clean$' "$log" || true)
fuzz_failed=$(grep -c '_fuzzer: .* executions, .*, FAILED' "$log" || true)
wine_passed=$(sum '^\[  PASSED  \] \([0-9]*\) test.*')
wine_failed=$(sum '^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below.*')
wine_skipped=$(sum '^\[  SKIPPED \] \([0-9]*\) test.*')
shots_passed=$(sum '^screenshot check: \([0-9]*\) passed.*')
shots_failed=$(sum '^screenshot check: [0-9]* passed, \([0-9]*\) failed.*')
broken=$(grep -c '^broken pass: ' "$log" || true)  # a pass that ended without its count, or ran nothing
passed=$(( unit_passed + fuzz_clean + wine_passed + shots_passed ))
failed=$(( unit_failed + fuzz_failed + wine_failed + shots_failed + broken ))
if [ "$failed" -eq 0 ] && [ "$status" -ne 0 ]; then failed=1; fi  # a check with no count of its own failed
echo
echo "unit: $unit_passed passed, $unit_failed failed; fuzz targets: $fuzz_clean clean, $fuzz_failed failed;" \
  "wine harness: $wine_passed passed, $wine_failed failed, $wine_skipped skipped; screenshot: $shots_passed passed," \
  "$shots_failed failed; passes broken: $broken"
echo "$passed passed, $failed failed, $wine_skipped skipped"
[ "$failed" -eq 0 ]
