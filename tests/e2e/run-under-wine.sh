#!/bin/bash
# Runs the Wine harness on a virtual display in a private Wine prefix, twice:
# once in the default locale, once with the ANSI code page 932 for the
# cross-checks of the settings file format. Leaves no Wine process or X server
# behind. Usage: run-under-wine.sh BUILD_DIR [gtest args...]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
shift
harness="$build_dir/orbisette_e2e.exe"
[ -f "$harness" ] || { echo "no harness at $harness: build the mingw preset first" >&2; exit 2; }

export WINEPREFIX=$(mktemp -d /tmp/orbisette-wine.XXXXXX)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install prompts in a fresh prefix
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

inner=$(mktemp /tmp/orbisette-wine-inner.XXXXXX.sh)
trap 'cleanup; rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
set -u
harness=$1; shift
wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits for each hidden or destroyed window unless
# its windows are unmanaged; with it, input and window ends are immediate.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
status=0
timeout -k 10 1500 wine "$harness" --gtest_color=no "$@" || status=$?
wineserver -k 2>/dev/null; wineserver -w
if [ $status -eq 0 ]; then
  echo "== the settings format under code page 932 =="
  LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 timeout -k 10 300 wine "$harness" --gtest_color=no --gtest_filter='CodePage932.*' || status=$?
fi
wineserver -k 2>/dev/null
exit $status
INNER
xvfb-run -a -s '-screen 0 1024x768x24' bash "$inner" "$harness" "$@"
