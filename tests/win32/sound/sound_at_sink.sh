#!/usr/bin/env bash
# What a listener hears of a full-screen run: Emberdell.scr runs under Wine
# while the monitor of the PulseAudio null sink is recorded, and the levels of
# that recording, per 100 ms, are checked:
#   - "Play Fire Sound" on: the fire reaches the sink, rises over its first
#     half second, holds, and dies away on exit instead of stopping dead;
#   - "Play Fire Sound" off: the sink stays silent;
#   - no sound server for the run: it still starts and ends cleanly, silent.
# Runs in the Wine prefix and on the display that scripts/test set up.
#   sound_at_sink.sh PATH/TO/Emberdell.scr
set -euo pipefail
SCR=$(realpath "$1")
source "$(dirname "${BASH_SOURCE[0]}")/sink_lib.sh"

write_settings() {
  printf '[Main]\r\nPlay Fire Sound=%s\r\nFire Volume=100\r\nPlay Chimes Sound=1\r\nAllow Fadeout=1\r\nFadeout=700\r\n' \
    "$1" >"$SHARED_INI"
}

# --- waiting and measuring ---------------------------------------------------
scr_window() { xdotool search --name '^Emberdell Screensaver$' >/dev/null 2>&1; }
scr_gone() { ! kill -0 "$SCR_PID" 2>/dev/null || [[ $(ps -o stat= -p "$SCR_PID") == Z* ]]; }

# The first window at or after $1 louder than silence, or -1.
first_sound() { levels | awk -v from="$1" -v quiet=$SILENT 'NR - 1 >= from && $1 > quiet { print NR - 1; found = 1; exit } END { if (!found) print -1 }'; }
sound_after() { (($(first_sound "$1") >= 0)); }

# Starts the run with the environment given as arguments; the window index at
# which it started goes to START.
start_run() {
  START=$(($(recorded) / WINDOW_BYTES))
  env "$@" wine "$SCR" /s >/dev/null 2>&1 &
  SCR_PID=$!
}

# Ends the run with a key, as a user would; the window index of the key goes
# to EXIT_AT. Fails unless the run ends with exit code 0.
end_run() {
  EXIT_AT=$(($(recorded) / WINDOW_BYTES))
  xdotool key space
  wait_for 30 scr_gone || { echo "FAIL: the run is still going 30 s after a key"; exit 1; }
  local Code=0
  wait "$SCR_PID" || Code=$?
  SCR_PID=""
  ((Code == 0)) || { echo "FAIL: the run ended with exit code $Code"; exit 1; }
}

FAILED=0
fail() {
  echo "FAIL: $*"
  FAILED=1
}

# --- the fire sound on ---------------------------------------------------------
echo "== Play Fire Sound on"
write_settings 1
start_recording
start_run
wait_for 60 sound_after "$START" || { show_levels "$START"; echo "FAIL: no sound reached the sink"; exit 1; }
ONSET=$(first_sound "$START")
# Two seconds of full sound, then a key.
wait_for 30 recorded_beyond $(((ONSET + 25) * WINDOW_BYTES)) || { echo "FAIL: the recording stalled"; exit 1; }
end_run
wait_for 30 recorded_beyond $(((EXIT_AT + 20) * WINDOW_BYTES)) || { echo "FAIL: the recording stalled"; exit 1; }
stop_recording_sink
show_levels "$START"
echo "sound from window $((ONSET - START)), key at window $((EXIT_AT - START))"
levels | awk -v onset="$ONSET" -v key="$EXIT_AT" -v quiet=$SILENT '
  { l[NR - 1] = $1; n = NR }
  function mean(a, b,   i, s) { for (i = a; i <= b; ++i) s += l[i]; return s / (b - a + 1) }
  END {
    if (key - onset < 15) { print "FAIL: the key came before the sound had settled"; exit 1 }
    full = mean(onset + 10, key - 1)
    rise1 = mean(onset, onset + 1); rise2 = mean(onset + 2, onset + 3)
    last = -1
    for (i = key; i < n; ++i) if (l[i] > quiet) last = i
    printf "full level %.0f; first 200 ms %.0f, next 200 ms %.0f\n", full, rise1, rise2
    bad = 0
    if (full < 200) { print "FAIL: the fire is too quiet at the sink"; bad = 1 }
    # The device may start late; the fade-in starts with it, not on the clock.
    if (l[onset] > 0.25 * full) { printf "FAIL: the first 100 ms at %.0f, over a quarter of the full level\n", l[onset]; bad = 1 }
    # The recording swings twofold between 100 ms windows, and on a loaded
    # machine the steps of the fade reach the sink bunched up (its second window
    # has been seen at a third of the full level), so the fade shows only as
    # a quiet start that grows. Without one, the second window is at full
    # level and the first 200 ms are well over 0.4 of it.
    if (!(rise1 < 0.4 * full && rise1 < rise2)) {
      print "FAIL: the level does not rise over the first half second"; bad = 1
    }
    if (last < 0 || last - key >= 15) {
      print "FAIL: the sound did not end within 1.5 s of the key"; bad = 1
    } else {
      tail = mean(last > key + 2 ? last - 2 : key, last)
      printf "sound ends %d ms after the key; its last 300 ms at %.0f\n", (last - key + 1) * 100, tail
      if (tail >= 0.3 * full) { print "FAIL: the sound stops dead instead of fading"; bad = 1 }
    }
    exit bad
  }' || FAILED=1

# Runs that must leave the sink silent, in the environment given.
expect_silent_run() {
  start_recording
  start_run "$@"
  wait_for 60 scr_window || { echo "FAIL: the run never showed its window"; exit 1; }
  # A second of the run before the key: well past the half-second fade-in.
  local Shown=$(($(recorded) / WINDOW_BYTES))
  wait_for 30 recorded_beyond $(((Shown + 10) * WINDOW_BYTES)) || { echo "FAIL: the recording stalled"; exit 1; }
  end_run
  wait_for 30 recorded_beyond $(((EXIT_AT + 5) * WINDOW_BYTES)) || { echo "FAIL: the recording stalled"; exit 1; }
  stop_recording_sink
  show_levels "$START"
  sound_after "$START" && fail "sound reached the sink"
  return 0
}

echo "== Play Fire Sound off"
write_settings 0
expect_silent_run

echo "== no sound server for the run"
write_settings 1
expect_silent_run PULSE_SERVER="unix:$WORK/no-server" ALSA_CONFIG_PATH=/dev/null

exit "$FAILED"
