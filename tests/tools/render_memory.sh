#!/usr/bin/env bash
# A fire too large for the memory the renderer may take: one line that says
# so, status 2 and no file. Under `ulimit -v` the renderer's libraries take
# some 190 MB; an 8000 x 8000 fire needs 250 MB for the stretched picture and
# as much again for the engine. One limit leaves room for the picture but
# not the engine, the other not even for the picture.
#   render_memory.sh   (EMBERDELL_RENDER, EMBERDELL_WORK from CTest)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/render_lib.sh"

# Under a sanitizer the renderer cannot start within any such limit.
( ulimit -v 600000; "$RENDER" --size 8x8 --picture "$PICTURE" --frames 1 --raw "$WORK/small.raw" ) 2>/dev/null ||
  skip "the renderer does not run under a 600 MB limit (a sanitizer build?)"
rm -f "$WORK/small.raw"

BAD=0
for LIMIT in 600000 300000; do
  ( ulimit -v "$LIMIT"
    exec "$RENDER" --size 8000x8000 --picture "$PICTURE" --frames 3 --raw "$WORK/fire.raw" \
      --gif "$WORK/fire.gif" ) 2>"$WORK/stderr"
  CODE=$?
  MESSAGE=$(cat "$WORK/stderr")
  [[ $CODE == 2 ]] || { echo "FAIL ($LIMIT kB): status $CODE, not 2"; BAD=1; }
  [[ $MESSAGE == "emberdell-render: not enough memory for a 8000 × 8000 fire" ]] ||
    { echo "FAIL ($LIMIT kB): the message was: $MESSAGE"; BAD=1; }
  only_inputs_left "$LIMIT kB" || BAD=1
  rm -f "$WORK"/fire.*
done
((BAD)) || echo "a fire too large for the memory left is told in one line, with status 2 and no file"
exit $BAD
