#!/usr/bin/env bash
# The sound dialog's Test button as a listener hears it: the settings window
# of Emberdell.scr runs under Wine, its sound dialog is opened and worked with
# keys, and the monitor of the PulseAudio null sink is recorded:
#   - "Test" on the fire sound: the fire reaches the sink;
#   - the volume slider at 0 % silences the test at once, at 100 % it is back;
#   - "Stop": the sink falls silent within a short time;
#   - "Test" again and Esc: closing the dialog silences it too.
# Runs in the Wine prefix and on the display that scripts/test set up.
#   sound_dialog_at_sink.sh PATH/TO/Emberdell.scr
set -euo pipefail

SCR=$(realpath "$1")
SINK=${EMBERDELL_SINK:-emberdell_null}
SKIP=77
RATE=8000           # recorded as mono s16le: 16,000 bytes a second
WINDOW_BYTES=1600   # one level per 100 ms
SILENT=1            # RMS at or below this is digital silence with rounding
LOUD=200            # the fire at full volume is far above this

for Tool in wine winepath parec pactl xdotool od awk; do
  command -v "$Tool" >/dev/null || { echo "skipped: $Tool is missing"; exit $SKIP; }
done
pactl list short sinks 2>/dev/null | awk -v s="$SINK" '$2 == s { found = 1 } END { exit !found }' ||
  { echo "skipped: no sink $SINK on the sound server"; exit $SKIP; }

WORK=$(mktemp -d)
PAREC_PID=""
SCR_PID=""
# The settings window writes the file it read when it closes: the shared one
# (the per-user one is moved aside meanwhile) is put back as it was.
SHARED_INI="$(winepath -u 'C:\windows' 2>/dev/null)/Emberdell Screensaver.ini"
APPDATA_WIN=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
PER_USER_INI="$(winepath -u "$APPDATA_WIN" 2>/dev/null)/Emberdell/Emberdell Screensaver.ini"
for Ini in "$SHARED_INI" "$PER_USER_INI"; do
  [[ -f "$Ini" ]] && mv "$Ini" "$WORK/$(basename "$(dirname "$Ini")").saved"
done

cleanup() {
  local Status=$?
  set +e
  [[ -n "$SCR_PID" ]] && kill "$SCR_PID" 2>/dev/null && wait "$SCR_PID" 2>/dev/null
  [[ -n "$PAREC_PID" ]] && kill "$PAREC_PID" 2>/dev/null && wait "$PAREC_PID" 2>/dev/null
  for Ini in "$SHARED_INI" "$PER_USER_INI"; do
    rm -f "$Ini"
    local Saved="$WORK/$(basename "$(dirname "$Ini")").saved"
    [[ -f "$Saved" ]] && mv "$Saved" "$Ini"
  done
  rm -rf "$WORK"
  exit "$Status"
}
trap cleanup EXIT

printf '[Main]\r\nPlay Fire Sound=1\r\nFire Volume=100\r\nPlay Chimes Sound=0\r\nShow Preview=0\r\n' >"$SHARED_INI"

wait_for() {
  local Deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < Deadline)) || return 1
    sleep 0.05
  done
}

recorded() { stat -c %s "$WORK/rec.raw" 2>/dev/null || echo 0; }
recorded_beyond() { (($(recorded) >= $1)); }
now() { echo $(($(recorded) / WINDOW_BYTES)); }
shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
gone() { ! shown "$1"; }

# RMS of every 100 ms of the recording, one a line.
levels() {
  od -An -v -t d2 -w2 "$WORK/rec.raw" |
    awk -v n=$((WINDOW_BYTES / 2)) '{ s += $1 * $1 } ++c == n { printf "%.1f\n", sqrt(s / n); s = c = 0 }'
}
# Three windows in a row from $1 on above LOUD.
loud_after() { levels | awk -v from="$1" -v loud=$LOUD 'NR - 1 >= from { run = $1 > loud ? run + 1 : 0; if (run == 3) { found = 1; exit } } END { exit !found }'; }
# The first window from $1 on that starts five silent ones in a row, or -1.
silence_from() {
  levels | awk -v from="$1" -v quiet=$SILENT '
    NR - 1 >= from { if ($1 <= quiet) { if (!run++) start = NR - 1; if (run == 5) { print start; found = 1; exit } } else run = 0 }
    END { if (!found) print -1 }'
}
silent_after() { (($(silence_from "$1") >= 0)); }
show_levels() {
  echo "levels (RMS per 100 ms, full scale 32768):"
  levels | awk -v from="$1" 'NR - 1 >= from { printf "%s%s", sep, $1; sep = " " } END { print "" }'
}

# The fire starts and stops on the key of the moment; each time the sink must
# follow within DEADLINE seconds.
DEADLINE=5
expect_sound() {
  wait_for $DEADLINE loud_after "$1" || { show_levels "$1"; echo "FAIL: $2: no fire at the sink"; exit 1; }
  echo "$2: the fire reaches the sink"
}
expect_silence() {
  wait_for $DEADLINE silent_after "$1" || { show_levels "$1"; echo "FAIL: $2: the sink does not fall silent"; exit 1; }
  echo "$2: silent $(( ($(silence_from "$1") - $1) * 100 )) ms after the key"
}

parec -d "$SINK.monitor" --raw --format=s16le --rate=$RATE --channels=1 --latency-msec=20 >"$WORK/rec.raw" &
PAREC_PID=$!
wait_for 10 recorded_beyond $((3 * WINDOW_BYTES)) || { echo "FAIL: the sink's monitor records nothing"; exit 1; }

wine "$SCR" /c >/dev/null 2>&1 &
SCR_PID=$!
wait_for 60 shown 'Emberdell Screensaver' || { echo "FAIL: no settings window"; exit 1; }
xdotool search --onlyvisible --name '^Emberdell Screensaver$' windowactivate --sync >/dev/null 2>&1 || true
# The page control has the focus: two tabs on is "Settings", whose buttons
# the Tab key reaches in order: "Screensaver Exiting...", "Sound Properties...".
xdotool key Right Right
xdotool key Tab Tab Tab space
wait_for 15 shown 'Emberdell Sound Properties' || { echo "FAIL: no sound dialog"; exit 1; }
# The fire option has the focus; past its slider lies its Test button.
xdotool key Tab Tab

FROM=$(now)
xdotool key space
expect_sound "$FROM" "Test"
# The slider, just before the button, sets the level of the test at once.
FROM=$(now)
xdotool key shift+Tab Home
expect_silence "$FROM" "the slider at 0 %"
FROM=$(now)
xdotool key End
expect_sound "$FROM" "the slider at 100 %"
FROM=$(now)
xdotool key Tab space
expect_silence "$FROM" "Stop"
FROM=$(now)
xdotool key space
expect_sound "$FROM" "Test again"
FROM=$(now)
xdotool key Escape
wait_for 10 gone 'Emberdell Sound Properties' || { echo "FAIL: Esc did not close the sound dialog"; exit 1; }
expect_silence "$FROM" "Esc"

xdotool search --onlyvisible --name '^Emberdell Screensaver$' windowactivate --sync >/dev/null 2>&1 || true
xdotool key Escape
wait_for 30 bash -c "! kill -0 $SCR_PID 2>/dev/null" || { echo "FAIL: the settings window did not close"; exit 1; }
wait "$SCR_PID" || true
SCR_PID=""
