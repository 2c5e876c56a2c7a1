# What the renderer's scenarios share: the renderer and a work folder from
# CTest, a picture with outlines to burn, and a look at what a render left.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

RENDER=${EMBERDELL_RENDER:?the renderer to run}
WORK=${EMBERDELL_WORK:?a folder of its own}
rm -rf "$WORK"
mkdir -p "$WORK"
STARTED=()
cleanup_render() {
  local pid
  for pid in "${STARTED[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup_render EXIT

skip() { echo "skipped: $*"; exit 77; }

require_tools convert
PICTURE=$WORK/picture.bmp
convert -size 160x120 xc:black -fill white -draw "circle 80,60 80,20" -draw "rectangle 10,10 40,110" "$PICTURE"

# only_inputs_left WHAT [FILE...]: the work folder holds the picture and the
# files named, nothing else (no output, no temporary file).
only_inputs_left() {
  local what=$1 left
  shift
  left=$(cd "$WORK" && ls -A | grep -v -x -e picture.bmp -e stderr "${@/#/-e}")
  [[ -z $left ]] || { echo "FAIL ($what): left behind: $left"; return 1; }
}
