# The Wine set-up every script under Wine shares (the test runner, the run script,
# the preview picture, the soak and the benchmarks), sourced by each: a prefix of
# its own, a virtual display, unmanaged windows; and the ball windows on it.

# wine_prefix [DIR]: exports WINEPREFIX, DIR or else a new temporary one that
# wine_cleanup removes at the script's exit, and Wine's quiet settings.
wine_prefix() {
  [ $# -gt 0 ] || trap wine_cleanup EXIT
  export WINEPREFIX=${1:-$(mktemp -d /tmp/orbisette-wine.XXXXXX)} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# wine_on_display SCREEN COMMAND [ARG...]: COMMAND (with this stdin) on a virtual display of
# SCREEN (WIDTHxHEIGHT) in the prefix booted there, Wine ended before the display. With no window
# manager, unmanaged windows spare the 2 s Wine waits on one for each window it hides or destroys.
wine_on_display() {
  local screen=$1
  shift
  xvfb-run -a -s "-screen 0 ${screen}x24" bash -c 'wineboot -i </dev/null >/dev/null 2>&1
    wine reg add "HKCU\Software\Wine\X11 Driver" /v Managed /d N /f </dev/null >/dev/null 2>&1
    wineserver -w; "$@"; status=$?; wineserver -k 2>/dev/null; exit $status' wine_on_display "$@"
}

# wine_cleanup: ends what ran in the prefix (Wine, the sound server and recorders whose pids the
# music tests note there), makes writable what a test made unwritable, and removes the prefix.
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

# wine_shoot DESKTOP OUT SECONDS: once the ten ball windows show (30 s at most), lays the picture
# DESKTOP on the root window (Wine paints it black as it starts), lets the windows draw for
# SECONDS and takes the screen into OUT. False when the balls never showed.
wine_shoot() {
  local shown=0
  for _ in $(seq 1 150); do
    shown=$(wine_ball_windows | wc -l)
    [ "$shown" -ge 10 ] && break
    sleep 0.2
  done
  display -window root "$1" || true  # sets the background, then reports 1
  sleep "$3"
  mkdir -p "$(dirname "$2")"
  import -window root "$2"
  [ "$shown" -ge 10 ] || { echo "the ball windows did not appear ($shown of 10)" >&2; return 1; }
}
