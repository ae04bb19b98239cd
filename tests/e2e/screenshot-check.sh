#!/bin/bash
# Looks at the run the way a person would: a screenshot of the virtual display
# with the saver's balls standing still (speed 0) over a magenta desktop. The
# corners of each ball window must show the desktop, its centre the ball.
# Runs inside the virtual display and Wine prefix set up by run-under-wine.sh.
# Usage: screenshot-check.sh BUILD_DIR OUT_PNG
set -euo pipefail
source "$(dirname "$0")/../../tools/wine-env.sh"
build_dir=$1
out=$2
app=$(mktemp -d /tmp/orbisette-shot.XXXXXX)
trap 'rm -rf "$app"' EXIT
cp "$build_dir/Orbisette.scr" "$build_dir/Orbisette.dll" "$app/"
# [Section] with the speed key (code page 932 bytes) set to 0: the balls stay put.
printf '[Section]\r\n\x88\xDA\x93\xAE\x91\xAC\x93\x78= 0\r\n' > "$app/Orbisette.ini"

convert -size "$(xwininfo -root | sed -n 's/.*geometry \([0-9]*x[0-9]*\).*/\1/p')" xc:'#ff00ff' "$app/desktop.png"
wine "$app/Orbisette.scr" /s &
wine_shoot "$app/desktop.png" "$out" 1 || true  # 1 s for the last window's picture to reach the screen
mapfile -t balls < <(wine_ball_windows)  # left and top of each
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

width=$(identify -format '%w' "$out")
height=$(identify -format '%h' "$out")
# Every window corner that no other ball window covers must show the desktop;
# every centre that no other window covers must show the ball.
covered() {  # covered X Y SELF: is (X, Y) inside a ball window other than SELF?
  local k ox oy
  for ((k = 0; k < ${#balls[@]}; k++)); do
    [ "$k" -eq "$3" ] && continue
    read -r ox oy <<<"${balls[$k]}"
    (( $1 >= ox && $1 < ox + 147 && $2 >= oy && $2 < oy + 147 )) && return 0
  done
  return 1
}
pixel() { convert "$out" -format "%[hex:p{$1,$2}]" info: | cut -c1-6; }
corners=0 clear=0 centres=0 painted=0 wrong=""
for ((i = 0; i < ${#balls[@]}; i++)); do
  read -r x y <<<"${balls[$i]}"
  for point in "2 2" "144 2" "2 144" "144 144" "60 60"; do
    read -r dx dy <<<"$point"
    px=$((x + dx)) py=$((y + dy))
    (( px >= 0 && py >= 0 && px < width && py < height )) || continue
    covered $px $py $i && continue
    colour=$(pixel $px $py)
    if [ "$point" = "60 60" ]; then
      centres=$((centres + 1))
      if [ "$colour" != "FF00FF" ]; then painted=$((painted + 1)); else wrong+=" centre($px,$py)=$colour"; fi
    else
      corners=$((corners + 1))
      if [ "$colour" = "FF00FF" ]; then clear=$((clear + 1)); else wrong+=" corner($px,$py)=$colour"; fi
    fi
  done
done
echo "screenshot $out: ${#balls[@]} ball windows; $clear of $corners uncovered window corners show the desktop, $painted of $centres uncovered centres show a ball"
[ -z "$wrong" ] || echo "pixels that are wrong:$wrong"
status=0
[ ${#balls[@]} -eq 10 ] || { echo "FAILED: expected 10 ball windows"; status=1; }
[ $corners -ge 4 ] && [ $clear -eq $corners ] || { echo "FAILED: a ball window's corner hides the desktop"; status=1; }
[ $centres -ge 1 ] && [ $painted -eq $centres ] || { echo "FAILED: a ball is not drawn"; status=1; }
[ $status -eq 0 ] && echo "screenshot check: 1 passed, 0 failed" || echo "screenshot check: 0 passed, 1 failed"
exit $status
