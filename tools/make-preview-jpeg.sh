#!/bin/bash
# Makes assets/preview.jpg, the still picture the preview shows in the host's
# box, from the program itself: builds Orbisette.scr, runs it under Wine on a
# virtual display over a desktop-like background, photographs the balls at work
# and keeps the shot as a 152 x 112 baseline JFIF JPEG with three components.
# The balls start at random places, so every run gives a new picture.
# Usage: tools/make-preview-jpeg.sh   (needs the packages of tools/install-deps.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
picture=$root/assets/preview.jpg
# The screen has the picture's proportions (8 x 152 by 8 x 112): scaling down
# neither stretches nor crops it.
screen=1216x896

jpeg() {  # jpeg IN OUT: the picture's one stored form
  convert "$1" -resize '152x112!' -strip -interlace none -colorspace sRGB -type TrueColor \
    -sampling-factor 1x1,1x1,1x1 -quality 90 "JPEG:$2"
}

# The .scr carries the picture, so a first build needs one to be there.
[ -f "$picture" ] || jpeg xc:black "$picture"
cmake --preset mingw >/dev/null
cmake --build --preset mingw

source tools/wine-env.sh
wine_prefix  # a temporary one, whose folder holds the program and the pictures too
work=$WINEPREFIX
# The default settings (speed 15, balls rebound, no music): nothing but the balls.
mkdir "$work/app"
cp "$root/build/mingw/Orbisette.scr" "$root/build/mingw/Orbisette.dll" "$work/app/"

wine_on_display "$screen" bash -s "$work" "$screen" "$root" <<'HEADLESS'
set -euo pipefail
work=$1 screen=$2
source "$3/tools/wine-env.sh"
# A desktop: wallpaper, two application windows with title bars, a taskbar.
convert -size "$screen" gradient:'#5b8fc7-#16324f' \
  -fill '#f2f2f2' -stroke '#9aa5b1' -strokewidth 2 -draw 'rectangle 100,90 660,500' \
  -fill '#2f6fb0' -stroke none -draw 'rectangle 100,90 660,124' \
  -fill '#c8d3de' -draw 'rectangle 130,160 620,190' -draw 'rectangle 130,220 520,250' \
  -fill '#ffffff' -stroke '#9aa5b1' -strokewidth 2 -draw 'rectangle 560,360 1110,780' \
  -fill '#3c8c5a' -stroke none -draw 'rectangle 560,360 1110,394' \
  -fill '#d0d7de' -draw 'rectangle 0,848 1216,896' \
  -fill '#2f6fb0' -draw 'rectangle 8,856 100,888' "$work/desktop.png"
wine "$work/app/Orbisette.scr" /s &
wine_shoot "$work/desktop.png" "$work/shot.png" 2  # the balls move on over the new desktop
HEADLESS

jpeg "$work/shot.png" "$picture"
# What the preview relies on: its size, baseline (not progressive), three components.
check=$(identify -format '%m %wx%h %[interlace] %[channels] %[colorspace]' "$picture")
echo "assets/preview.jpg: $check, $(stat -c %s "$picture") bytes"
[ "$check" = "JPEG 152x112 None srgb sRGB" ] || { echo "unexpected picture: $check" >&2; exit 1; }
[ "$(head -c 10 "$picture" | tail -c 4)" = JFIF ] || { echo "no JFIF header" >&2; exit 1; }
# Build the new picture into the .scr.
cmake --build --preset mingw --target Orbisette
