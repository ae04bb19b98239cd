#!/bin/bash
# Builds Orbisette.scr and runs it under Wine as the screen-saver host would
# (/s). On your display, the balls float over your desktop until you move the
# mouse or press Escape. Without a display it runs on a virtual one over a
# desktop-like background and leaves a screenshot behind.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Orbisette

source tools/wine-env.sh
wine_prefix "${WINEPREFIX:-$root/build/wine-prefix}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "preparing the Wine prefix $WINEPREFIX (once, about 15 s)"
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  wineboot -i >/dev/null 2>&1
  echo "Orbisette is running: move the mouse or press Escape to end it."
  wine "$root/build/mingw/Orbisette.scr" /s
  wineserver -w
  exit 0
fi

shot="$root/build/screenshots/orbisette-run.png"
wine_on_display 1024x768 bash -s "$root" "$shot" <<'HEADLESS'
set -euo pipefail
root=$1 shot=$2
source "$root/tools/wine-env.sh"
# A desktop to float over: a wallpaper gradient with two application windows.
desktop=$(mktemp /tmp/orbisette-desktop.XXXXXX.png)
convert -size 1024x768 gradient:'#5b8fc7-#16324f' \
  -fill '#f2f2f2' -stroke '#9aa5b1' -draw 'rectangle 90,80 560,420' \
  -fill '#2f6fb0' -stroke none -draw 'rectangle 90,80 560,108' \
  -fill '#ffffff' -stroke '#9aa5b1' -draw 'rectangle 480,300 930,640' \
  -fill '#3c8c5a' -stroke none -draw 'rectangle 480,300 930,328' \
  -fill '#d0d7de' -draw 'rectangle 0,728 1024,768' "$desktop"
wine "$root/build/mingw/Orbisette.scr" /s &
wine_shoot "$desktop" "$shot" 2 || true
rm -f "$desktop"
HEADLESS
echo "screenshot of the run: $shot"
