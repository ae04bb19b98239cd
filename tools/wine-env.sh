# The Wine environment of the tests, the run script, the soak and the benchmarks,
# sourced by each: a prefix of its own, a virtual display, and windows that no
# window manager is waited on for. Also the ball windows as the X server shows
# them, and a screenshot over a desktop picture.
wine_env_script=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-env.sh

# wine_prefix [DIR]: exports WINEPREFIX (a new temporary folder unless DIR is
# given) and Wine's quiet settings: no debug output, no Mono/Gecko install prompts.
wine_prefix() {
  WINEPREFIX=${1:-$(mktemp -d /tmp/orbisette-wine.XXXXXX)}
  export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# wine_boot: makes the prefix ready (the first time takes about 15 s). Without a
# window manager Wine waits about 2 s for each window it hides or destroys
# unless its windows are unmanaged; with them input and window ends are immediate.
wine_boot() {
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
}

# wine_on_display SCREEN COMMAND [ARG...]: COMMAND on a virtual display of SCREEN
# (WIDTHxHEIGHT, 24-bit colour) once the prefix is booted there; Wine's processes
# end before the display does. Its stdin reaches COMMAND (a script for bash -s).
wine_on_display() {
  local screen=$1
  shift
  xvfb-run -a -s "-screen 0 ${screen}x24" bash -c \
    'source "$0"; wine_boot </dev/null; "$@"; status=$?; wineserver -k 2>/dev/null; exit $status' "$wine_env_script" "$@"
}

# wine_cleanup: ends what a run in the prefix left behind (the sound server and
# recorders whose pids the music tests note there, Wine's processes), makes
# writable what a test made unwritable, and removes the prefix.
wine_cleanup() {
  local pidfile
  for pidfile in "$WINEPREFIX"/music-e2e/*.pid; do
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
  done
  wineserver -k 2>/dev/null || true
  chattr -R -i "$WINEPREFIX/drive_c/orbisette-e2e" 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}

# wine_ball_windows: "LEFT TOP" of each 147 x 147 window mapped on the display.
wine_ball_windows() {
  local id geometry
  xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) .* \(147x147+-\{0,1\}[0-9]*+-\{0,1\}[0-9]*\) .*/\1 \2/p' |
    while read -r id geometry; do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' &&
        sed 's/147x147+\(-\{0,1\}[0-9]*\)+\(-\{0,1\}[0-9]*\)/\1 \2/' <<<"$geometry" || true
    done
}

# wine_wait_balls: waits up to 30 s for all ten ball windows; false if they never show.
wine_wait_balls() {
  local shown=0
  for _ in $(seq 1 150); do
    shown=$(wine_ball_windows | wc -l)
    [ "$shown" -ge 10 ] && return 0
    sleep 0.2
  done
  echo "the ball windows did not appear ($shown of 10)" >&2
  return 1
}

# wine_screenshot DESKTOP OUT SECONDS: lays the picture DESKTOP on the root
# window (Wine paints it black as it starts, so only once Wine is up), lets
# the windows draw over it for SECONDS and takes the screen into OUT.
wine_screenshot() {
  display -window root "$1" || true  # sets the background, then reports 1
  sleep "$3"
  mkdir -p "$(dirname "$2")"
  import -window root "$2"
}
