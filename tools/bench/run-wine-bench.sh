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
source tools/wine-env.sh
wine_prefix
wine_on_display 1024x768 bash -c '
  timeout -k 10 300 wine build/mingw/orbisette_wine_bench.exe
  timeout -k 10 300 wine build/mingw/orbisette_figures_bench.exe || true'  # figures, not a verdict
