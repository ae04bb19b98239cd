#!/bin/bash
# The soak under Wine: a run of MINUTES (default 10) at speed 60 with rebound on,
# on a 1024 x 768 and on a 3840 x 2160 virtual screen, reporting resident memory,
# handles and open files every 30 s, the farthest any ball window strayed
# outside the screen and the time from Escape to the process's end; then, on the
# smaller screen, the dialog opened and closed and the preview started and ended
# CYCLES times (default 200) with the host side's handles and memory. Builds the
# mingw preset first. Prints figures, judges nothing.
# Usage: tools/bench/run-soak.sh [MINUTES] [CYCLES]
set -euo pipefail
minutes=${1:-10}
cycles=${2:-200}
seconds=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')
cd "$(dirname "$0")/../.."
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Orbisette orbisette_soak >/dev/null
source tools/wine-env.sh
wine_prefix
limit=$((seconds + 120))
status=0
for screen in 1024x768 3840x2160; do
  wine_on_display "$screen" bash -s "$seconds" "$cycles" "$screen" "$limit" <<'INNER' || status=$?
  seconds=$1 cycles=$2 screen=$3 limit=$4
  status=0
  timeout -k 10 "$limit" wine build/mingw/orbisette_soak.exe run "$seconds" || status=$?
  if [ "$screen" = 1024x768 ]; then
    timeout -k 10 $((cycles * 20 + 60)) wine build/mingw/orbisette_soak.exe cycles "$cycles" || status=$?
  fi
  exit $status
INNER
done
exit $status
