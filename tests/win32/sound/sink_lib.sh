# What the sound scenarios share, sourced by each after `set -euo pipefail`:
# the null sink of scripts/test's sound server, its monitor recorded as mono
# 16-bit samples, the levels of that recording per 100 ms, and the settings
# files moved aside for the scenario and put back afterwards. Expects SCR.
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"
# Sound arrives within tenths of a second: look often.
WAIT_POLL=0.05

SINK=${EMBERDELL_SINK:-emberdell_null}
SKIP=77
RATE=8000           # recorded as mono s16le: 16,000 bytes a second
WINDOW_BYTES=1600   # one level per 100 ms
SILENT=1            # RMS at or below this is digital silence with rounding

require_tools wine winepath parec pactl xdotool od awk
pactl list short sinks 2>/dev/null | awk -v s="$SINK" '$2 == s { found = 1 } END { exit !found }' ||
  { echo "skipped: no sink $SINK on the sound server"; exit $SKIP; }

WORK=$(mktemp -d)
PAREC_PID=""
SCR_PID=""
# Both settings files go aside, so the program reads and writes the shared
# one alone; both come back as they were, whatever happens.
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
    local Saved
    Saved="$WORK/$(basename "$(dirname "$Ini")").saved"
    [[ -f "$Saved" ]] && mv "$Saved" "$Ini"
  done
  rm -rf "$WORK"
  exit "$Status"
}
trap cleanup EXIT

recorded() { stat -c %s "$WORK/rec.raw" 2>/dev/null || echo 0; }
recorded_beyond() { (($(recorded) >= $1)); }

# RMS of every 100 ms of the recording, one a line.
levels() {
  od -An -v -t d2 -w2 "$WORK/rec.raw" |
    awk -v n=$((WINDOW_BYTES / 2)) '{ s += $1 * $1 } ++c == n { printf "%.1f\n", sqrt(s / n); s = c = 0 }'
}
show_levels() {
  echo "levels (RMS per 100 ms, full scale 32768) from window $1:"
  levels | awk -v from="$1" 'NR - 1 >= from { printf "%s%s", sep, $1; sep = " " } END { print "" }'
}

# Records the sink's monitor into $WORK/rec.raw until stop_recording_sink.
start_recording() {
  record_sink "$SINK" "$RATE" "$WORK/rec.raw"
  wait_for 10 recorded_beyond $((3 * WINDOW_BYTES)) || { echo "FAIL: the sink's monitor records nothing"; exit 1; }
}

