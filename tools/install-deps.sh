#!/bin/bash
# Installs what building and testing Orbisette needs on Debian 12 or 13: the native
# toolchain with clang-format and clang-tidy, the test libraries, MinGW-w64,
# Wine, a virtual X display, the Japanese locale for the code page 932 checks,
# and for the music tests a sound server with a null sink, its recorder (parec)
# and the tools that make the test tones (and for Wine 10, GStreamer's plugins,
# through which it plays MP3), and the picture and sound libraries whose header
# readers the fuzz targets compare ours with. Safe to run again.
set -euo pipefail
packages=(
  cmake g++ make clang-format clang-tidy googletest libgtest-dev libbenchmark-dev libpng-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils imagemagick fonts-ipafont-gothic locales
  e2fsprogs  # chattr: the tests make files and folders that cannot be written
  pulseaudio pulseaudio-utils sox lame
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good  # Wine 10 plays MP3 through GStreamer
  clang libclang-rt-dev  # the fuzz targets: clang with libFuzzer and the sanitizers
  libturbojpeg0-dev libgif-dev libtiff-dev libsndfile1-dev  # the libraries the header fuzzers compare with
)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
echo "dependencies ready"
