#!/usr/bin/env bash
# "F" onto a slow disk: every write to a ".bmp" file is held up (a small
# library preloaded into the Wine process, slow_write.c). While the picture
# crawls onto the disk the frames go on, a key gives the desktop back at
# once, and the picture still arrives whole before the process ends.
# Runs in the Wine prefix and on the display that scripts/test set up.
#   slow_disk.sh PATH/TO/Emberdell.scr
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SCR=$(realpath "$1")
SKIP=77
require_tools wine xdotool cc import compare convert
INI="$WINEPREFIX/drive_c/windows/Emberdell Screensaver.ini"
SHOTS="$WINEPREFIX/drive_c/users/$(whoami)/Documents/Emberdell Screenshots"
WORK=$(mktemp -d)
SCR_PID=""
cleanup() {
  set +e
  [[ -n $SCR_PID ]] && kill "$SCR_PID" 2>/dev/null
  if [[ -f $WORK/saved.ini ]]; then mv "$WORK/saved.ini" "$INI"; else rm -f "$INI"; fi
  [[ -d $WORK/shots ]] && { rm -rf "$SHOTS"; mv "$WORK/shots" "$SHOTS"; }
  [[ -n ${PICTURE:-} ]] && rm -f "$PICTURE" && rmdir "$PICTURES" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
[[ -f $INI ]] && cp "$INI" "$WORK/saved.ini"
[[ -d $SHOTS ]] && mv "$SHOTS" "$WORK/shots"
cc -shared -fPIC -O2 -o "$WORK/slow_write.so" "$HERE/slow_write.c" -ldl
# Outlines to burn, whatever the desktop of this prefix looks like: a picture
# of the program's background folder, for this run only.
PICTURES="$(dirname "$SCR")/Background Images"
mkdir -p "$PICTURES"
PICTURE="$PICTURES/Slow Disk Test.jpg"
convert -size 640x480 xc:'#101010' -fill '#f0f0f0' -draw 'rectangle 100,100 400,300' \
  -fill '#f0c040' -draw 'circle 500,350 500,420' "$PICTURE"
printf '[Main]\r\nLast Screenshot Number=0\r\nPlay Fire Sound=0\r\nPlay Chimes Sound=0\r\nAllow Fadeout=0\r\nIgnore Mouse Move=1\r\nActive Backgrounds=~Slow Disk Test~\r\n' >"$INI"

ended() { ! kill -0 "$SCR_PID" 2>/dev/null; }

import -window root "$WORK/desktop.png"
EMBERDELL_SLOW_WRITE_MS=25 LD_PRELOAD="$WORK/slow_write.so" wine "$SCR" /s &
SCR_PID=$!
wait_for 60 emberdell_window_up || { echo "FAIL: the run's window did not appear"; exit 1; }
sleep 2
xdotool key f
SHOT="$SHOTS/000001.bmp"
wait_for 20 test -s "$SHOT" || { echo "FAIL: the screenshot did not start"; exit 1; }
# The frames go on while the file grows.
import -window root "$WORK/a.png"
sleep 0.5
import -window root "$WORK/b.png"
Changed=$(compare -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1 || true)
Growing=$(stat -c %s "$SHOT")
BAD=0
[[ ${Changed%% *} =~ ^[0-9]+$ ]] && ((${Changed%% *} > 0)) ||
  { echo "FAIL: the frames stood still while the screenshot was written ($Changed pixels changed)"; BAD=1; }
xdotool key Escape
Start=$SECONDS
# The desktop as it was before the run is on the screen again, although the
# picture is still being written.
desktop_back() {
  import -window root "$WORK/now.png"
  local Differ
  Differ=$(compare -metric AE "$WORK/desktop.png" "$WORK/now.png" null: 2>&1 || true)
  [[ ${Differ%% *} =~ ^[0-9]+$ ]] && ((${Differ%% *} == 0))
}
wait_for 3 desktop_back || { echo "FAIL: the desktop was not back within 3 s of the key"; BAD=1; }
Running=no
kill -0 "$SCR_PID" 2>/dev/null && Running=yes
echo "the desktop was back $((SECONDS - Start)) s after the key, the picture still being written: $Running"
wait_for 120 ended || { echo "FAIL: the run did not end after the write"; exit 1; }
wait "$SCR_PID" || true
SCR_PID=""
# 24-bit rows padded to four bytes, after a 54-byte header.
read -r Width Height < <(od -An -tu4 -j18 -N8 "$SHOT")
Expected=$((54 + ((Width * 3 + 3) / 4 * 4) * Height))
Size=$(stat -c %s "$SHOT")
((Size == Expected)) || { echo "FAIL: the screenshot has $Size bytes, not $Expected"; BAD=1; }
((Growing < Size)) || echo "note: the write had finished before the key; the disk was not slow enough"
COUNTER=$(tr -d '\r\0' <"$INI" | sed -n 's/^Last Screenshot Number=//p' | head -n 1)
[[ $COUNTER == 1 ]] || { echo "FAIL: the counter is '$COUNTER', not 1"; BAD=1; }
((BAD)) || echo "on a slow disk the frames went on, the key gave the desktop back at once, and the picture arrived whole"
exit $BAD
