#!/usr/bin/env bash
# "F" onto a nearly full disk: a small tmpfs is mounted as the documents
# folder of the Wine prefix, filled to the brim, and a run takes a
# screenshot. No half-written file may be left, the run goes on and ends
# normally, and "Last Screenshot Number" does not step.
# Runs in the Wine prefix and on the display that scripts/test set up.
#   full_disk.sh PATH/TO/Emberdell.scr
set -euo pipefail

SCR=$(realpath "$1")
SKIP=77
for Tool in wine xdotool mount umount; do
  command -v "$Tool" >/dev/null || { echo "skipped: $Tool is missing"; exit $SKIP; }
done
DOCS="$WINEPREFIX/drive_c/users/$(whoami)/Documents"
INI="$WINEPREFIX/drive_c/windows/Emberdell Screensaver.ini"
WORK=$(mktemp -d)
MOUNTED=0
SCR_PID=""
cleanup() {
  set +e
  [[ -n $SCR_PID ]] && kill "$SCR_PID" 2>/dev/null
  ((MOUNTED)) && umount "$DOCS"
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

wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}
running() { kill -0 "$SCR_PID" 2>/dev/null; }
ended() { ! running; }
window_up() { xdotool search --onlyvisible --name '^Emberdell Screensaver$' >/dev/null 2>&1; }

wine "$SCR" /s &
SCR_PID=$!
wait_for 60 window_up || { echo "FAIL: the run's window did not appear"; exit 1; }
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
exit $BAD
