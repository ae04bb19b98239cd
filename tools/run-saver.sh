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

export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
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
mkdir -p "$(dirname "$shot")"
xvfb-run -a -s '-screen 0 1024x768x24' bash -s "$root" "$shot" <<'HEADLESS'
set -euo pipefail
root=$1 shot=$2
wineboot -i >/dev/null 2>&1
# No window manager here: unmanaged windows need no waiting on one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
# A desktop to float over: a wallpaper gradient with two application windows.
desktop=$(mktemp /tmp/orbisette-desktop.XXXXXX.png)
convert -size 1024x768 gradient:'#5b8fc7-#16324f' \
  -fill '#f2f2f2' -stroke '#9aa5b1' -draw 'rectangle 90,80 560,420' \
  -fill '#2f6fb0' -stroke none -draw 'rectangle 90,80 560,108' \
  -fill '#ffffff' -stroke '#9aa5b1' -draw 'rectangle 480,300 930,640' \
  -fill '#3c8c5a' -stroke none -draw 'rectangle 480,300 930,328' \
  -fill '#d0d7de' -draw 'rectangle 0,728 1024,768' "$desktop"
wine "$root/build/mingw/Orbisette.scr" /s &
for _ in $(seq 1 100); do
  shown=0
  for id in $(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) .* 147x147+.*/\1/p'); do
    xwininfo -id "$id" | grep -q 'Map State: IsViewable' && shown=$((shown + 1))
  done
  [ $shown -ge 10 ] && break
  sleep 0.2
done
# The wallpaper goes down once Wine is up, which paints the root black as it starts.
display -window root "$desktop" || true  # sets the background, then reports 1
sleep 2
import -window root "$shot"
wineserver -k 2>/dev/null || true
rm -f "$desktop"
HEADLESS
echo "screenshot of the run: $shot"
