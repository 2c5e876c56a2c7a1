#!/usr/bin/env bash
# SIGTERM or SIGINT (Ctrl-C) in the middle of a render: it ends after the
# frame in hand, as the signal (status 143 or 130), and leaves no file at
# all, neither the outputs nor their temporary files.
#   render_signals.sh   (EMBERDELL_RENDER, EMBERDELL_WORK from CTest)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/render_lib.sh"
require_tools env

partial_grown() { [[ -n $(find "$WORK" -name '*.partial-*' -size +64k) ]]; }
ended() { ! kill -0 "$1" 2>/dev/null; }

BAD=0
# SIGNAL STATUS OUTPUTS...
while read -r SIGNAL STATUS OUTPUTS; do
  ARGS=()
  for OUTPUT in $OUTPUTS; do
    case $OUTPUT in
      *.gif) ARGS+=(--gif "$WORK/$OUTPUT") ;;
      *.mp4 | *.webm) ARGS+=(--video "$WORK/$OUTPUT") ;;
      *) ARGS+=(--raw "$WORK/$OUTPUT") ;;
    esac
  done
  # A background job of a script starts with SIGINT ignored (and the
  # renderer keeps it so); --default-signal gives it a terminal job's.
  env --default-signal=INT "$RENDER" --size 320x240 --picture "$PICTURE" --fps 30 --frames 100000000 \
    "${ARGS[@]}" 2>"$WORK/stderr" &
  PID=$!
  STARTED+=("$PID")
  if ! wait_for 60 partial_grown; then
    echo "FAIL ($SIGNAL): the render wrote nothing within a minute"
    BAD=1
    kill -KILL "$PID"
    wait "$PID"
    continue
  fi
  kill -"$SIGNAL" "$PID"
  wait_for 20 ended "$PID" || { echo "FAIL ($SIGNAL): the render went on for 20 s"; kill -KILL "$PID"; BAD=1; }
  wait "$PID"
  CODE=$?
  [[ $CODE == "$STATUS" ]] || { echo "FAIL ($SIGNAL): status $CODE, not $STATUS: $(cat "$WORK/stderr")"; BAD=1; }
  only_inputs_left "$SIGNAL, $OUTPUTS" || BAD=1
  rm -f "$WORK"/*.partial-*
done <<'ROWS'
TERM 143 fire.gif
INT 130 fire.gif
TERM 143 fire.gif fire.webm last.raw
ROWS
((BAD)) || echo "SIGTERM and SIGINT end a render with their status and leave no file"
exit $BAD
