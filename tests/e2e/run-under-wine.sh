#!/bin/bash
# Runs the end-to-end tests on a virtual display in a private Wine prefix: the
# screenshot check, the Wine harness in the default locale, and the harness's
# settings-format and dialog checks again with the ANSI code page 932. Leaves no Wine
# process or X server behind. Usage: run-under-wine.sh BUILD_DIR [gtest args...]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
shift
e2e_dir=$(cd "$(dirname "$0")" && pwd)
harness="$build_dir/orbisette_e2e.exe"
[ -f "$harness" ] || { echo "no harness at $harness: build the mingw preset first" >&2; exit 2; }

source "$e2e_dir/../../tools/wine-env.sh"
wine_prefix

wine_on_display 1024x768 bash -s "$harness" "$e2e_dir" "$build_dir" "$@" <<'INNER'
set -u
harness=$1 e2e_dir=$2 build_dir=$3
shift 3
status=0
echo "== the screenshot check =="
timeout -k 10 120 "$e2e_dir/screenshot-check.sh" "$build_dir" "$build_dir/screenshots/balls-over-magenta.png" || status=$?
# One pass of the harness; says "broken pass" when it ended without its count
# (a crash, a time-out), or when a pass that exists to run its tests ran none
# (all skipped: the code page 932 pass without its locale, say).
pass() {
  local name=$1 seconds=$2 must_run=$3 out
  shift 3
  out=$(mktemp)
  timeout -k 10 "$seconds" "$@" 2>&1 | tee "$out"
  local code=${PIPESTATUS[0]}
  [ "$code" -eq 0 ] || status=$code
  if ! grep -q '^\[  PASSED  \] [0-9]* test' "$out"; then
    echo "broken pass: $name ended without its count (status $code)"; status=1
  elif [ "$must_run" = must-run ] && grep -q '^\[  PASSED  \] 0 test' "$out"; then
    echo "broken pass: $name ran no test"; status=1
  fi
  rm -f "$out"
  wineserver -k 2>/dev/null; wineserver -w
}
echo "== the Wine harness =="
pass "the Wine harness" 1500 may-skip wine "$harness" --gtest_color=no "$@"
echo "== the settings format under code page 932 =="
# (left out when a filter names only other tests)
filter=""
for a in "$@"; do case $a in --gtest_filter=*) filter=${a#--gtest_filter=} ;; esac; done
if [ -z "$filter" ] || [ "${filter#-}" != "$filter" ] || [[ $filter == *CodePage932* ]]; then
  LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 pass "the code page 932 pass" 300 must-run \
    wine "$harness" --gtest_color=no --gtest_filter='CodePage932*'
fi
exit $status
INNER
