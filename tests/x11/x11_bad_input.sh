#!/usr/bin/env bash
# Mistakes give one clear line and a non-zero status; a picture with nothing
# to burn gives the picture the program ships instead.
. "$(dirname "$0")/x11_lib.sh"
start_display 640x480

printf 'not a picture at all' >broken.jpg
head -c 600 "$EMBERDELL_SOURCE/resources/Flame Presets/Gas Flame.wyk" >short.wyk

# Each case: the words the one line must hold, then the command line.
check() {
  local Says=$1
  shift
  local Status=0
  timeout 30 "$HACK" "$@" >out.txt 2>err.txt || Status=$?
  ((Status != 0 && Status != 124)) || fail "$*: status $Status"
  [[ $(wc -l <err.txt) == 1 ]] || fail "$*: not one line: $(cat err.txt)"
  grep -q "^emberdell: .*$Says" err.txt || fail "$*: the line does not say \"$Says\": $(cat err.txt)"
}
check 'unknown option "-bogus"' -root -bogus
check 'option -delay needs a whole number' -root -delay soon
check 'option -window-id needs a window id' -window-id 12z
check 'choose one of -root, -window and -window-id' -root -window-id 5
check 'cannot use the picture "missing.jpg"' -root -background missing.jpg
check 'cannot use the picture "broken.jpg"' -root -background broken.jpg
check 'there is no style called "no-such-style"' -root -style no-such-style
check 'cannot read the style file "short.wyk"' -root -style-file short.wyk
check 'there is no window' -window-id 0x7fffff0
XSCREENSAVER_WINDOW=xyz check 'XSCREENSAVER_WINDOW holds no window id' -root
DISPLAY=:9999 check 'cannot open the X display ":9999"' -root

# A flat grey picture has no outlines: the shipped picture burns instead,
# so the screen is not a dark flat field.
convert -size 320x240 xc:gray50 flat.jpg
"$HACK" -root -background flat.jpg -style default-wood 2>hack.err &
Pid=$!
STARTED+=("$Pid")
varied() { [[ $(capture | sort -u | wc -l) -ge 40 ]] && lit_at_least 3; }
wait_for 60 varied || fail "a flat picture left the screen without the shipped picture's fire"
kill -0 "$Pid" || fail "the flat picture ended the run: $(cat hack.err)"
echo "bad options and pictures give one line and a non-zero status; a flat picture burns the shipped one"
