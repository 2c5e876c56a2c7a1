#!/usr/bin/env bash
# A process killed while it writes the settings: every write to the settings
# file, or to anything beside it that the save goes through, is held up
# (slow_write.c preloaded into the Wine process), and the process is killed
# as the first one is held. The file must be whole, the old one or the new;
# the next start reads it and saves as usual.
# Runs in the Wine prefix and on the display that scripts/test set up.
#   killed_save.sh PATH/TO/Emberdell.scr
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SCR=$(realpath "$1")
SKIP=77
require_tools wine xdotool cc
INI="$WINEPREFIX/drive_c/windows/Emberdell Screensaver.ini"
USER_INI="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Emberdell/Emberdell Screensaver.ini"
WORK=$(mktemp -d)
SCR_PID=""
cleanup() {
  set +e
  [[ -n $SCR_PID ]] && kill -9 "$SCR_PID" 2>/dev/null
  if [[ -f $WORK/saved.ini ]]; then mv "$WORK/saved.ini" "$INI"; else rm -f "$INI"; fi
  rm -f "$INI".*
  rm -rf "$WORK"
}
trap cleanup EXIT
[[ -f $INI ]] && cp "$INI" "$WORK/saved.ini"
[[ -e $USER_INI ]] && { echo "skipped: a per-user settings copy exists and would be the one written"; exit $SKIP; }
cc -shared -fPIC -O2 -o "$WORK/slow_write.so" "$HERE/slow_write.c" -ldl

running() { kill -0 "$SCR_PID" 2>/dev/null; }
ended() { ! running; }
# The value of a key of the file as it is on the disk, UTF-16 or ANSI.
value_of() {
  local text
  if [[ $(head -c 2 "$INI" | od -An -tx1 | tr -d ' ') == fffe ]]; then
    text=$(tail -c +3 "$INI" | iconv -f UTF-16LE -t UTF-8)
  else
    text=$(cat "$INI")
  fi
  printf '%s\n' "$text" | tr -d '\r' | sed -n "s/^$1=//p" | head -n 1
}
# Whole: every key of the old file with its value, and either none of the
# keys the save adds or all of them.
whole() {
  local key added=0
  [[ $(value_of FPS) == 20 && $(value_of 'Show Preview') == 0 && $(value_of 'Play Fire Sound') == 0 &&
    $(value_of 'Play Chimes Sound') == 0 ]] || return 1
  for key in 'Active Presets' 'Active Backgrounds' 'Change on startup' 'Changing delay' 'Picture Height' \
    'Allow Fadeout' 'Allow Second Monitor' 'Ignore Mouse Move' 'Fadeout' 'Fire Volume' 'Chimes Volume'; do
    [[ -n $(value_of "$key") ]] && added=$((added + 1))
  done
  ((added == 0 || added == 11))
}

printf '[Main]\r\nFPS=20\r\nShow Preview=0\r\nPlay Fire Sound=0\r\nPlay Chimes Sound=0\r\n' >"$INI"
cp "$INI" "$WORK/old.ini"

MARK="$WORK/held"
open_settings_window "$SCR" EMBERDELL_SLOW_WRITE_MS=20000 EMBERDELL_SLOW_WRITE_SUFFIXES=".ini .saving" \
  EMBERDELL_SLOW_WRITE_MARK="$MARK" LD_PRELOAD="$WORK/slow_write.so" || { echo "FAIL: no settings window"; exit 1; }
xdotool key Return
wait_for 30 test -e "$MARK" || { echo "FAIL: closing the window wrote nothing"; exit 1; }
kill -9 "$SCR_PID"
wait_for 30 ended || { echo "FAIL: the killed process is still there"; exit 1; }
wait "$SCR_PID" 2>/dev/null || true
SCR_PID=""

BAD=0
whole || { echo "FAIL: the settings file is not whole after the kill:"; od -c "$INI" | head -n 20; BAD=1; }

# The next start reads that file and saves it whole, whatever the kill left
# beside it.
open_settings_window "$SCR" || { echo "FAIL: no settings window on the next start"; exit 1; }
xdotool key Return
wait_for 30 ended || { echo "FAIL: the next start's window did not close"; exit 1; }
wait "$SCR_PID" && CODE=0 || CODE=$?
SCR_PID=""
[[ $CODE == 0 ]] || { echo "FAIL: the next start ended with code $CODE"; BAD=1; }
[[ $(value_of 'Changing delay') == 120 && $(value_of FPS) == 20 ]] ||
  { echo "FAIL: the next start did not save over the file"; BAD=1; }
LEFT=$(ls -A "$(dirname "$INI")" | grep -F 'Emberdell Screensaver.ini.' || true)
[[ -z $LEFT ]] || { echo "FAIL: left beside the file: $LEFT"; BAD=1; }
((BAD)) || echo "a process killed while it saved the settings left the file whole; the next start saved it"
exit $BAD
