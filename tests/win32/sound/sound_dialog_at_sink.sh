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
source "$(dirname "${BASH_SOURCE[0]}")/sink_lib.sh"
LOUD=200            # the fire at full volume is far above this

printf '[Main]\r\nPlay Fire Sound=1\r\nFire Volume=100\r\nPlay Chimes Sound=0\r\nShow Preview=0\r\n' >"$SHARED_INI"

now() { echo $(($(recorded) / WINDOW_BYTES)); }
shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
gone() { ! shown "$1"; }

# Three windows in a row from $1 on above LOUD.
loud_after() { levels | awk -v from="$1" -v loud=$LOUD 'NR - 1 >= from { run = $1 > loud ? run + 1 : 0; if (run == 3) { found = 1; exit } } END { exit !found }'; }
# The first window from $1 on that starts five silent ones in a row, or -1.
silence_from() {
  levels | awk -v from="$1" -v quiet=$SILENT '
    NR - 1 >= from { if ($1 <= quiet) { if (!run++) start = NR - 1; if (run == 5) { print start; found = 1; exit } } else run = 0 }
    END { if (!found) print -1 }'
}
silent_after() { (($(silence_from "$1") >= 0)); }
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

start_recording

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
