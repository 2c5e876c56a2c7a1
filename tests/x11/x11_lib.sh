# Shared by the X11 scenarios: an Xvfb of the scenario's own on a free
# display, waiting with deadlines, looking at the screen, and a clean-up
# that stops only the processes the scenario started.
set -euo pipefail

HACK=${EMBERDELL_HACK:?the emberdell program}
WORK=${EMBERDELL_WORK:?a folder for this scenario}
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK"

STARTED=()  # pids to stop on the way out, newest last
cleanup() {
  local status=$? i
  set +e
  for ((i = ${#STARTED[@]} - 1; i >= 0; i--)); do
    kill "${STARTED[i]}" 2>/dev/null
    wait "${STARTED[i]}" 2>/dev/null
  done
  exit "$status"
}
trap cleanup EXIT
# ctest's time limit and Ctrl-C end the scenario through the same clean-up.
trap 'exit 143' TERM
trap 'exit 130' INT

fail() { echo "FAIL: $*" >&2; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
WAIT_POLL=0.2

# An Xvfb of the scenario's own, of SIZE (800x600), from the scenario's own
# range of display numbers, so scenarios run side by side.
start_display() {
  XVFB_LOG="$WORK/xvfb.log" start_xvfb "${EMBERDELL_DISPLAY_FIRST:-400}" 599 -noreset -screen 0 "${1}x24" ||
    fail "no X display could be started"
  STARTED+=("$XVFB_PID")
}

# The capture (of the root, or of window $1) shrunk to 80 x 60, one
# "R G B" line a pixel, top row first.
capture() {
  local target=(-root)
  [[ $# -gt 0 ]] && target=(-id "$1")
  xwd "${target[@]}" -silent 2>/dev/null | convert xwd:- -scale 80x60\! -depth 8 rgb:- 2>/dev/null |
    od -An -v -tu1 -w3
}

# Share (percent) of the capture's pixels in flame colours: red leading,
# bright enough, green below red and blue below green (the wood style).
fire_percent() {
  capture "$@" | awk '{ n++; if ($1 > 120 && $1 > $2 && $2 >= $3) f++ }
                      END { if (n == 0) print 0; else print int(100 * f / n) }'
}

# Share of pixels that are not near black, in any colour (a random style may be blue).
lit_percent() {
  capture "$@" | awk '{ n++; if ($1 + $2 + $3 > 120) f++ }
                      END { if (n == 0) print 0; else print int(100 * f / n) }'
}

# The colour of pixel X,Y of the 80 x 60 capture as "R G B".
pixel_at() {  # X Y [WINDOW]
  local x=$1 y=$2
  shift 2
  capture "$@" | awk -v i=$((y * 80 + x + 1)) 'NR == i { print $1, $2, $3 }'
}

fire_at_least() { (($(fire_percent "${@:2}") >= $1)); }
lit_at_least() { (($(lit_percent "${@:2}") >= $1)); }
gone() { ! kill -0 "$1" 2>/dev/null; }

# Milliseconds on a clock that only goes forward enough for a scenario: the
# shell's own, to the microsecond.
now_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((10#$t / 1000)); }

# start_host TITLE STATE [XLOGO-ARGUMENTS...]: an xlogo standing in for a
# program that hands its drawing area over. Sets HOST_PID, HOST_SHELL (the top
# level) and HOST_WIN (the drawing area, a child of the top level, in decimal)
# once the drawing area's map state is STATE. With -xrm
# 'xlogo.mappedWhenManaged: false' the top level stays unmapped, so the
# drawing area is mapped but IsUnviewable.
start_host() {
  local title=$1 state=$2
  shift 2
  xlogo -title "$title" -geometry 400x300+10+10 -bg black -fg black "$@" 2>"$WORK/xlogo-$title.err" &
  HOST_PID=$!
  STARTED+=("$HOST_PID")
  HOST_SHELL="" HOST_WIN=""
  wait_for 30 _host_up "$title" "$state" ||
    fail "the host window $title did not appear: $(grep -v xlogo32 "$WORK/xlogo-$title.err")"
}
_host_up() {
  HOST_SHELL=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
  [[ -n $HOST_SHELL ]] || return 1
  HOST_WIN=$(xwininfo -children -id "$HOST_SHELL" | awk '/^ +0x/ { print $1; exit }')
  [[ -n $HOST_WIN ]] && HOST_WIN=$((HOST_WIN)) && xwininfo -id "$HOST_WIN" | grep -q "Map State: $2\$"
}

# Some client (the hack, in these scenarios) has asked for window $1's
# visibility changes.
wants_visibility() { xwininfo -events -id "$1" 2>/dev/null | grep -q VisibilityChange; }
# Process $1 sleeps in a poll: an unseen hack waiting for the server.
asleep() { [[ $(cat "/proc/$1/wchan" 2>/dev/null) == *poll* ]]; }
