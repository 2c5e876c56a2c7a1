#!/usr/bin/env bash
# Styles: a style file burns in its own colours, and -change-delay morphs
# the fire to a random delivered style. The delivered folder here holds only
# the red "(Default) Wood", so the blue gas flame must turn red.
. "$(dirname "$0")/x11_lib.sh"
start_display 640x480

mkdir -p "data/Flame Presets"
cp "$EMBERDELL_SOURCE/resources/Flame Presets/(Default) Wood.wyk" "data/Flame Presets/"
convert -size 640x480 xc:black -fill white -draw "rectangle 160,120 480,360" pic.jpg

blue_fire() {
  capture | awk '{ n++; if ($3 > 120 && $3 > $1) f++ } END { exit !(n > 0 && 100 * f / n >= 5) }'
}

EMBERDELL_DATA_DIR=$WORK/data "$HACK" -root -background pic.jpg \
  -style-file "$EMBERDELL_SOURCE/resources/Flame Presets/Gas Flame.wyk" -change-delay 1 2>hack.err &
Pid=$!
STARTED+=("$Pid")
wait_for 60 blue_fire || fail "the gas flame style does not burn blue"
wait_for 90 fire_at_least 5 || fail "the fire did not morph to the delivered wood style ($(fire_percent)%)"
kill -0 "$Pid" || fail "the run ended: $(cat hack.err)"
echo "a style file burns in its colours and -change-delay morphs to a delivered style"
