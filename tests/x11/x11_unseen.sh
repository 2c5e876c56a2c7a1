#!/usr/bin/env bash
# Nothing burns when nobody can see it: the hack in a window of its own stops
# making frames while its window is unmapped or covered by another, and burns
# again as soon as it can be seen. Every frame is a request to the X server,
# so a hack that writes nothing to its connection for a few seconds draws
# nothing.
source "$(dirname "${BASH_SOURCE[0]}")/x11_lib.sh"

start_display 800x600
# Outlines everywhere, so the whole window burns.
convert -size 400x300 xc:black -stroke white -strokewidth 6 \
  -draw "line 0,75 400,75" -draw "line 0,150 400,150" -draw "line 0,225 400,225" \
  -draw "line 100,0 100,300" -draw "line 200,0 200,300" -draw "line 300,0 300,300" grid.jpg
"$HACK" -style default-wood -background grid.jpg >"$WORK/hack.log" 2>&1 &
HACK_PID=$!
STARTED+=("$HACK_PID")
window_shown() { WID=$(xdotool search --onlyvisible --name '^Emberdell$' 2>/dev/null | head -n 1) && [[ -n $WID ]]; }
wait_for 30 window_shown || fail "the hack's window did not appear"
wait_for 30 fire_at_least 5 "$WID" || fail "the hack does not burn its window"

# Bytes the hack wrote (to the X server: it writes nowhere else) in 3 s.
written_over_3s() {
  local before
  before=$(awk '/^wchar:/ { print $2 }' "/proc/$HACK_PID/io")
  sleep 3
  echo $(($(awk '/^wchar:/ { print $2 }' "/proc/$HACK_PID/io") - before))
}
# The window burns again: a new look at it differs from the first.
differs_from() { [[ "$(capture "$WID" | md5sum)" != "$1" ]]; }
burns_again() {
  local first
  first=$(capture "$WID" | md5sum)
  wait_for 5 differs_from "$first"
}
idle() {  # WHAT
  local sent
  sent=$(written_over_3s)
  ((sent == 0)) || fail "$1: the hack sent $sent bytes to the X server in 3 s"
  kill -0 "$HACK_PID" 2>/dev/null || fail "$1: the hack ended"
}

# Seen, the frames go to the server: the measure can tell.
SEEN=$(written_over_3s)
((SEEN > 0)) || fail "the burning hack sent nothing to the X server"

xdotool windowunmap --sync "$WID"
sleep 0.5  # a frame under way may still end
idle "unmapped"
xdotool windowmap --sync "$WID"
wait_for 10 fire_at_least 5 "$WID" || fail "mapped again, the hack does not burn"
burns_again || fail "mapped again, the picture stands still"

# Another window over the whole of the hack's.
xlogo -geometry 1000x800+0+0 >/dev/null 2>&1 &
COVER=$!
STARTED+=("$COVER")
covered() { xdotool search --onlyvisible --class xlogo >/dev/null 2>&1; }
wait_for 10 covered || fail "the covering window did not appear"
sleep 0.5
idle "covered"
kill "$COVER"
wait "$COVER" 2>/dev/null || true
wait_for 10 fire_at_least 5 "$WID" || fail "uncovered, the hack does not burn"
burns_again || fail "uncovered, the picture stands still"
echo "unmapped and covered the hack drew nothing; seen again it burned (seen: $SEEN bytes sent in 3 s)"

# Unseen, with no DPMS (Xvfb has none), the hack sleeps with no time-out; a
# stop signal must still end it at once. Wanted within 100 ms; the bound is
# looser so that a busy machine does not fail it, and the time is printed.
ends_on_sigterm() {  # PID WHAT
  local from
  from=$(now_ms)
  kill -TERM "$1"
  WAIT_POLL=0.01 wait_for 5 gone "$1" || fail "$2: still running 5 s after SIGTERM"
  echo "$2: ended $(($(now_ms) - from)) ms after SIGTERM"
}
xdotool windowunmap --sync "$WID"
wait_for 10 asleep "$HACK_PID" || fail "unmapped, the hack does not sleep"
ends_on_sigterm "$HACK_PID" "unmapped"

# The signal comes after the hack's last look at its stop flag, just before
# it starts to sleep (a preloaded ppoll sends it): it must not be lost.
[[ -f ${EMBERDELL_STOP_BEFORE_WAIT:-} ]] || fail "no stop_before_wait library (build the emberdell_stop_before_wait target)"
start_host host-hidden IsUnviewable -xrm 'xlogo.mappedWhenManaged: false'
EMBERDELL_STOP_MARK="$WORK/stop-sent" LD_PRELOAD=$EMBERDELL_STOP_BEFORE_WAIT \
  "$HACK" -window-id "$HOST_WIN" -style default-wood -background grid.jpg >"$WORK/hack-hidden.log" 2>&1 &
HIDDEN_PID=$!
STARTED+=("$HIDDEN_PID")
WAIT_POLL=0.01 wait_for 30 test -e "$WORK/stop-sent" || fail "the hack never waited on its connection"
Sent=$(now_ms)
WAIT_POLL=0.01 wait_for 5 gone "$HIDDEN_PID" ||
  fail "a SIGTERM just before the wait was lost: the hack still sleeps 5 s later"
echo "SIGTERM just before the wait: ended within $(($(now_ms) - Sent)) ms"
