#!/usr/bin/env bash
# XSCREENSAVER_WINDOW (decimal) and -window-id (hex) draw into a window that
# another program made, follow its resize, and end when it is destroyed.
. "$(dirname "$0")/x11_lib.sh"
start_display 800x600

# Outlines everywhere: a grid, so any part of a resized window has sparks.
convert -size 400x300 xc:black -stroke white -strokewidth 6 \
  -draw "line 0,75 400,75" -draw "line 0,150 400,150" -draw "line 0,225 400,225" \
  -draw "line 100,0 100,300" -draw "line 200,0 200,300" -draw "line 300,0 300,300" grid.jpg

window_size() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }

for How in env hex; do
  # xlogo's drawing area (the child of its top-level window) stands in for
  # the window a host program hands over; the top level is what gets resized.
  start_host "host-$How" IsViewable
  Owner=$HOST_PID Shell=$HOST_SHELL Win=$HOST_WIN
  if [[ $How == env ]]; then
    XSCREENSAVER_WINDOW=$Win "$HACK" -background grid.jpg -style default-wood 2>hack.err &
  else
    "$HACK" -window-id "$(printf '0x%x' "$Win")" -background grid.jpg -style default-wood 2>hack.err &
  fi
  Pid=$!
  STARTED+=("$Pid")
  wait_for 60 fire_at_least 5 "$Win" || fail "$How: no fire in the window ($(fire_percent "$Win")%)"

  # Bigger: the fire must reach the new bottom-right part too.
  # Asked again while it has not grown: xlogo may still be settling its own size.
  grow() {
    xdotool windowsize "$Shell" 700 500
    [[ $(window_size "$Win") == 700x500 ]]
  }
  wait_for 20 grow || fail "$How: the window did not grow (it is $(window_size "$Win"))"
  corner_burns() {
    xwd -id "$Win" -silent | convert xwd:- -crop 200x150+500+350 -scale 20x15\! -depth 8 rgb:- | od -An -v -tu1 -w3 |
      awk '$1 > 120 { f++ } END { exit !(f >= 5) }'
  }
  wait_for 60 corner_burns || fail "$How: the grown part of the window does not burn"
  kill -0 "$Pid" || fail "$How: the hack ended on the resize: $(cat hack.err)"

  # The owner goes and takes the window with it: the hack ends by itself.
  kill "$Owner"
  wait "$Owner" 2>/dev/null || true
  wait_for 15 gone "$Pid" || fail "$How: still running after its window was destroyed"
  Status=0
  wait "$Pid" || Status=$?
  ((Status == 0)) || fail "$How: status $Status when its window went: $(cat hack.err)"
done
echo "XSCREENSAVER_WINDOW and -window-id draw into the window, follow its resize and end with it"

# A window inside a top level that is not mapped yet is mapped itself but
# unviewable; when the top level maps, all it hears is a VisibilityNotify.
# The top level maps once the hack waits, unseen, and no sooner than 2 s
# after its start; then the window burns at once (seen on this machine in well
# under a second; the bound is loose for a busy machine).
start_host host-later IsUnviewable -xrm 'xlogo.mappedWhenManaged: false'
"$HACK" -window-id "$(printf '0x%x' "$HOST_WIN")" -background grid.jpg -style default-wood 2>hack.err &
Pid=$!
STARTED+=("$Pid")
Start=$(now_ms)
waits_unseen() { asleep "$Pid" && wants_visibility "$HOST_WIN" && (($(now_ms) - Start >= 2000)); }
wait_for 30 waits_unseen || fail "unviewable: the hack does not wait for its window: $(cat hack.err)"
xdotool windowmap --sync "$HOST_SHELL"
Mapped=$(now_ms)
WAIT_POLL=0.05 wait_for 10 fire_at_least 1 "$HOST_WIN" ||
  fail "unviewable: no fire in the window 10 s after its top level mapped"
echo "a window whose top level mapped 2 s late burned $(($(now_ms) - Mapped)) ms after the map"
