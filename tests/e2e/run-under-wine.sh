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

export WINEPREFIX=$(mktemp -d /tmp/orbisette-wine.XXXXXX)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install prompts in a fresh prefix
cleanup() {
  # The music tests start a sound server and recorders on the host and note each
  # one's pid in the prefix; end any that a failed test left running.
  for pidfile in "$WINEPREFIX"/music-e2e/*.pid; do
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
  done
  wineserver -k 2>/dev/null || true
  # A test that stopped half-way may leave a file or folder it made unwritable.
  chattr -R -i "$WINEPREFIX/drive_c/orbisette-e2e" 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

xvfb-run -a -s '-screen 0 1024x768x24' bash -s "$harness" "$e2e_dir" "$build_dir" "$@" <<'INNER'
set -u
harness=$1 e2e_dir=$2 build_dir=$3
shift 3
wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits for each hidden or destroyed window unless
# its windows are unmanaged; with it, input and window ends are immediate.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
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
