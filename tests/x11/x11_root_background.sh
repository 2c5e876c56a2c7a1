#!/usr/bin/env bash
# emberdell -root -background pic.jpg turns the screen into fire over the
# picture's outlines, with and without shared memory, and SIGTERM ends it
# cleanly.
. "$(dirname "$0")/x11_lib.sh"
start_display 800x600

# A white block on black: the fire sits on the block, the corners stay dark.
convert -size 640x480 xc:black -fill white -draw "rectangle 200,140 440,340" pic.jpg

for Shm in -shm -no-shm; do
  "$HACK" -root -background pic.jpg -style default-wood "$Shm" 2>hack.err &
  Pid=$!
  STARTED+=("$Pid")
  wait_for 60 fire_at_least 5 || fail "$Shm: no fire on the screen ($(fire_percent)% flame colours)"
  read -r R G B < <(pixel_at 40 30)
  ((R > 120 && R >= G && G >= B)) || fail "$Shm: the middle of the block is not burning: $R $G $B"
  read -r R G B < <(pixel_at 3 3)
  ((R + G + B < 90)) || fail "$Shm: a corner far from the block burns: $R $G $B"

  kill -TERM "$Pid"
  wait_for 10 gone "$Pid" || fail "$Shm: still running 10 s after SIGTERM"
  Status=0
  wait "$Pid" || Status=$?
  ((Status == 0)) || fail "$Shm: status $Status after SIGTERM: $(cat hack.err)"
  [[ ! -s hack.err ]] || fail "$Shm: it wrote: $(cat hack.err)"
  # Clear the screen for the next run.
  xsetroot -solid black
done
echo "root window burns over the picture's outlines; SIGTERM ends it with status 0"
