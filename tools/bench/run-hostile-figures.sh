#!/bin/bash
# Hostile ball pictures, music files and settings files as a run meets them,
# under Wine with a sound server: each one's outcome, time to it, resident peak,
# CPU after it and time from Escape to the end (tools/bench/hostile_figures.cpp).
# Given a commit (not -), that commit's Orbisette.scr is built in a worktree of
# its own and measured first, then this checkout's; the worktree goes at the end.
# FILTER measures only the cases whose name holds it. Prints figures, judges nothing.
# Usage: tools/bench/run-hostile-figures.sh [COMMIT|-] [FILTER]
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Orbisette orbisette_hostile_figures >/dev/null
source tools/wine-env.sh
wine_prefix
builds=()
if [ "${1:--}" != - ]; then
  old=$(mktemp -d /tmp/orbisette-at.XXXXXX)
  trap 'wine_cleanup; git worktree remove --force "$old" >/dev/null 2>&1; rm -rf "$old"' EXIT
  git worktree add --detach -q "$old" "$1"
  (cd "$old" && cmake --preset mingw >/dev/null && cmake --build --preset mingw --target Orbisette >/dev/null)
  cp build/mingw/orbisette_hostile_figures.exe "$old/build/mingw/"
  builds+=("$old/build/mingw")
fi
builds+=("$PWD/build/mingw")
for build in "${builds[@]}"; do
  echo "== $( [ "$build" = "$PWD/build/mingw" ] && echo "this checkout" || echo "commit $1" ) =="
  wine_on_display 1024x768 timeout -k 10 1800 wine "$build/orbisette_hostile_figures.exe" ${2:+"$2"} || true  # figures, not a verdict
done
