#!/usr/bin/env bash
# A GIF and a video from one render, where the video cannot be finished:
# it goes to a small tmpfs with room for everything but its last page, so
# the encoder's last frames or the trailer find the disk full. The render
# fails, and neither output appears: the older GIF of that name stays as it
# was, and no temporary file is left on either disk.
#   render_two_outputs.sh   (EMBERDELL_RENDER, EMBERDELL_WORK from CTest)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/render_lib.sh"
require_tools mount umount
SMALL=$WORK/small
MOUNTED=0
cleanup_mount() {
  ((MOUNTED)) && umount "$SMALL"
  cleanup_render
}
trap cleanup_mount EXIT

BAD=0
for ENDING in mp4 webm; do
  RENDER_ARGS=(--size 320x240 --picture "$PICTURE" --seed 5 --frames 60)
  # The same render, whole, tells how large the video is.
  "$RENDER" "${RENDER_ARGS[@]}" --video "$WORK/probe.$ENDING" || { echo "FAIL ($ENDING): the render failed"; exit 1; }
  PAGES=$((($(stat -c %s "$WORK/probe.$ENDING") + 4095) / 4096 - 1))
  rm -f "$WORK/probe.$ENDING"
  mkdir -p "$SMALL"
  mount -t tmpfs -o size=$((PAGES * 4096)) emberdell-render-full "$SMALL" 2>"$WORK/stderr" ||
    skip "a tmpfs cannot be mounted here ($(cat "$WORK/stderr"))"
  MOUNTED=1
  echo "an older GIF" >"$WORK/fire.gif"
  cp "$WORK/fire.gif" "$WORK/older.gif"
  "$RENDER" "${RENDER_ARGS[@]}" --gif "$WORK/fire.gif" --video "$SMALL/fire.$ENDING" 2>"$WORK/stderr"
  CODE=$?
  [[ $CODE == 2 ]] || { echo "FAIL ($ENDING): status $CODE, not 2"; BAD=1; }
  cmp -s "$WORK/fire.gif" "$WORK/older.gif" || { echo "FAIL ($ENDING): the older GIF was replaced"; BAD=1; }
  LEFT=$(ls -A "$SMALL")
  [[ -z $LEFT ]] || { echo "FAIL ($ENDING): the full disk holds: $LEFT"; BAD=1; }
  only_inputs_left "$ENDING" fire.gif older.gif small || BAD=1
  umount "$SMALL" && MOUNTED=0
done
((BAD)) || echo "a video that cannot be finished leaves neither output, and the older GIF as it was"
exit $BAD
