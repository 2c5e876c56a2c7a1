#!/usr/bin/env bash
# Writes onto a full disk, each on a small tmpfs filled to the brim.
# - "F": the tmpfs is the documents folder of the Wine prefix and a run takes
#   a screenshot. No half-written file may be left, the run goes on and ends
#   normally, and "Last Screenshot Number" does not step.
# - Closing the settings window: the tmpfs is the per-user settings folder,
#   whose copy is the one read and written. The save is reported, the user
#   can still leave ("Cancel"), and the old file is left whole.
# - "Save" of a style: the tmpfs is the per-user style folder. The host test
#   StyleEditorRun.ASaveOntoAFullDisk... presses Save and finds "Disk full"
#   reported and the old style whole.
# Runs in the Wine prefix and on the display that scripts/test set up.
#   full_disk.sh PATH/TO/Emberdell.scr
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"

SCR=$(realpath "$1")
SKIP=77
require_tools wine xdotool mount umount
DOCS="$WINEPREFIX/drive_c/users/$(whoami)/Documents"
INI="$WINEPREFIX/drive_c/windows/Emberdell Screensaver.ini"
USER_DIR="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Emberdell"
USER_INI="$USER_DIR/Emberdell Screensaver.ini"
WORK=$(mktemp -d)
MOUNTED=0
USER_MOUNTED=0
USER_DIR_MADE=0
STYLES_MOUNTED=0
SCR_PID=""
cleanup() {
  set +e
  [[ -n $SCR_PID ]] && kill "$SCR_PID" 2>/dev/null
  ((MOUNTED)) && umount "$DOCS"
  ((STYLES_MOUNTED)) && umount "$USER_DIR/Flame Presets"
  ((USER_MOUNTED)) && umount "$USER_DIR"
  rmdir "$USER_DIR/Flame Presets" 2>/dev/null
  ((USER_DIR_MADE)) && rmdir "$USER_DIR"
  if [[ -f $WORK/saved.ini ]]; then mv "$WORK/saved.ini" "$INI"; else rm -f "$INI"; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
[[ -f $INI ]] && cp "$INI" "$WORK/saved.ini"

mkdir -p "$DOCS"
if ! mount -t tmpfs -o size=512k emberdell-full-disk "$DOCS" 2>"$WORK/mount.err"; then
  echo "skipped: a tmpfs cannot be mounted here ($(cat "$WORK/mount.err"))"
  exit $SKIP
fi
MOUNTED=1
SHOTS="$DOCS/Emberdell Screenshots"
mkdir -p "$SHOTS"
# Leave a few kilobytes: room for a header and some rows, not for a picture.
dd if=/dev/zero of="$DOCS/filler" bs=1k count=500 status=none 2>/dev/null || true
printf '[Main]\r\nLast Screenshot Number=7\r\nPlay Fire Sound=0\r\nPlay Chimes Sound=0\r\nAllow Fadeout=0\r\n' >"$INI"

running() { kill -0 "$SCR_PID" 2>/dev/null; }
ended() { ! running; }

wine "$SCR" /s &
SCR_PID=$!
wait_for 60 emberdell_window_up || { echo "FAIL: the run's window did not appear"; exit 1; }
sleep 2
xdotool key f
# The writer has tried once a file appeared and went again, or after a while.
wait_for 10 test -n "$(ls -A "$SHOTS")" || true
wait_for 10 test -z "$(ls -A "$SHOTS")" || true
running || { echo "FAIL: the run ended after the failed screenshot"; exit 1; }
xdotool key Escape
wait_for 30 ended || { echo "FAIL: the run did not end on Esc"; exit 1; }
wait "$SCR_PID" && CODE=0 || CODE=$?
SCR_PID=""

BAD=0
LEFT=$(ls -A "$SHOTS")
[[ -z $LEFT ]] || { echo "FAIL: the screenshot folder holds: $LEFT"; BAD=1; }
COUNTER=$(tr -d '\r\0' <"$INI" | sed -n 's/^Last Screenshot Number=//p' | head -n 1)
[[ $COUNTER == 7 ]] || { echo "FAIL: the counter is now '$COUNTER', not 7"; BAD=1; }
[[ $CODE == 0 ]] || { echo "FAIL: the run ended with code $CODE"; BAD=1; }
((BAD)) || echo "a screenshot onto a full disk left no file and no step of the counter; the run went on"
umount "$DOCS" && MOUNTED=0

# The settings window closing onto a full disk. A per-user copy, being there,
# is the file read and written. It fills all but the last 150 bytes of one
# page of the tmpfs, so what the window adds (some 230 bytes) needs a second.
[[ -d $USER_DIR ]] || { mkdir -p "$USER_DIR"; USER_DIR_MADE=1; }
if [[ -n $(ls -A "$USER_DIR") ]]; then
  echo "skipped closing the settings window: $USER_DIR is not empty"
  exit $BAD
fi
mount -t tmpfs -o size=256k emberdell-full-settings "$USER_DIR"
USER_MOUNTED=1
{
  printf '[Main]\r\nPlay Fire Sound=0\r\nPlay Chimes Sound=0\r\nShow Preview=0\r\nActive Presets='
  for ((I = 0; I < 170; I++)); do printf '~(Default) Wood %03d~,' "$I"; done
} >"$USER_INI"
PAD=$((4096 - 150 - $(stat -c %s "$USER_INI") - 18))
{ printf '~(Default) Wood'; head -c "$PAD" /dev/zero | tr '\0' x; printf '~\r\n'; } >>"$USER_INI"
cp "$USER_INI" "$WORK/user.ini"
# One page to give back later, then everything else.
dd if=/dev/zero of="$USER_DIR/page" bs=4096 count=1 status=none
dd if=/dev/zero of="$USER_DIR/filler" bs=1k status=none 2>/dev/null || true

settings_windows() { xdotool search --onlyvisible --name '^Emberdell Screensaver$' 2>/dev/null | wc -l; }
message_up() { (($(settings_windows) >= 2)); }

# Closes the settings window with Enter; the message must come, Esc
# ("Cancel") must end the program, and the copy must be as it was.
close_onto_full_disk() {
  local what=$1 code
  open_settings_window "$SCR" || { echo "FAIL ($what): no settings window"; return 1; }
  xdotool key Return
  wait_for 30 message_up || { running || echo "FAIL ($what): the window closed as if the save had worked"; \
    running && echo "FAIL ($what): no message about the failed save"; return 1; }
  xdotool key Escape
  wait_for 30 ended || { echo "FAIL ($what): the window cannot be left after the failed save"; return 1; }
  wait "$SCR_PID" && code=0 || code=$?
  SCR_PID=""
  [[ $code == 0 ]] || { echo "FAIL ($what): the program ended with code $code"; return 1; }
  cmp -s "$USER_INI" "$WORK/user.ini" || { echo "FAIL ($what): the settings file changed"; return 1; }
  local left
  left=$(ls -A "$USER_DIR" | grep -v -x -e filler -e page -e 'Emberdell Screensaver.ini' || true)
  [[ -z $left ]] || { echo "FAIL ($what): left behind: $left"; return 1; }
  echo "closing the settings window onto a full disk ($what) was reported, could be left, and kept the file whole"
}
close_onto_full_disk "no room at all" || BAD=1
# Room for a copy of the file but not for the new settings: the write that
# the disk cuts short must be seen as failed.
rm -f "$USER_DIR/page"
close_onto_full_disk "room for the old file only" || BAD=1
umount "$USER_DIR" && USER_MOUNTED=0

# "Save" of a style that lives in the per-user folder, onto a full disk.
STYLES="$USER_DIR/Flame Presets"
mkdir -p "$STYLES"
mount -t tmpfs -o size=64k emberdell-full-styles "$STYLES"
STYLES_MOUNTED=1
# A delivered style's record under the name of its file (length byte, then the name).
cp "$(dirname "$SCR")/Flame Presets/Gas Flame.wyk" "$STYLES/Full Disk.wyk"
printf '\011Full Disk' | dd of="$STYLES/Full Disk.wyk" conv=notrunc status=none
dd if=/dev/zero of="$STYLES/filler" bs=1k status=none 2>/dev/null || true
if EMBERDELL_FULL_STYLE_FOLDER=1 wine "$(dirname "$SCR")/emberdell_win32_tests.exe" \
    --gtest_filter='StyleEditorRun.ASaveOntoAFullDiskIsReportedAndKeepsTheOldStyle' >"$WORK/style.log" 2>&1 &&
    grep -q '^\[       OK \]' "$WORK/style.log"; then
  echo "a style saved onto a full disk was reported and the old one kept whole"
else
  echo "FAIL: saving a style onto a full disk:"
  grep -E 'Failure|Expected|Which is|left behind|no |still' "$WORK/style.log" | head -n 20
  BAD=1
fi
exit $BAD
