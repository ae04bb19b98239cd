#!/bin/bash
# The run's figures under Wine against the floor program (ten layered windows
# moved every tick and nothing else): start-up time, ticks per second and CPU per
# tick, side by side with their ratio; then the run's ticks and CPU with and
# without an MP3 playing, and the preview's start time and memory. Builds the
# mingw preset first.
# Usage: tools/bench/run-wine-bench.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Orbisette orbisette_wine_bench orbisette_figures_bench floor_program >/dev/null
export WINEPREFIX=$(mktemp -d /tmp/orbisette-bench.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  wineboot -i >/dev/null 2>&1
  wine reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
  timeout -k 10 300 wine build/mingw/orbisette_wine_bench.exe
  timeout -k 10 300 wine build/mingw/orbisette_figures_bench.exe
  for pidfile in "$WINEPREFIX"/music-e2e/*.pid; do [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null; done
  wineserver -k 2>/dev/null || true'
