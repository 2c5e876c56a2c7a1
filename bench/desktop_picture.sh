# Sourced by bench/run_cpu and bench/run_cpu_x11.
# desktop_picture W H KIND OUT: a desktop for the CPU benchmarks to burn, as a
# 24-bit BMP: icons down the left, a taskbar, and windows of text (busy:
# four, overlapping; quiet: one short note) over a wallpaper.
desktop_picture() {
  local W=$1 H=$2 Kind=$3 Out=$4 Group="" Line Args=()
  [[ $Kind == busy || $Kind == quiet ]] || { echo "not a desktop: $Kind (busy or quiet)" >&2; exit 2; }
  while IFS= read -r Line; do
    # One drawing per window: a single argument cannot hold them all.
    if [[ $Line == -- ]]; then Args+=(-draw "$Group"); Group=""; else Group+="$Line"$'\n'; fi
  done < <(awk -v W="$W" -v H="$H" -v Kind="$Kind" 'BEGIN {
    srand(1); s = W / 1920; r = "rectangle %d,%d %d,%d\n"
    print "fill #d8c070"
    for (i = 0; i < 8; i++) printf r, 20*s, (30+100*i)*s, 68*s-1, (78+100*i)*s-1
    print "fill #e8e8e8"
    for (i = 0; i < 8; i++) printf r, 14*s, (84+100*i)*s, 74*s-1, (92+100*i)*s-1
    Windows = Kind == "busy" ? 4 : 1
    for (w = 0; w < Windows; w++) {
      print "--"
      x0 = (150+380*w)*s; y0 = (80+90*w)*s; x1 = x0+700*s; y1 = y0+(Kind == "busy" ? 520 : 160)*s
      print "fill #f5f5f5"; printf r, x0, y0, x1-1, y1-1
      print "fill #145078"; printf r, x0, y0, x1-1, y0+30*s-1
      print "fill #1e1e1e"
      for (y = y0+50*s; y+12*s < y1; y += 18*s)
        for (x = x0+12*s; x+8*s < x1-40*s; x += 9*s)
          if (rand() >= 1/6) printf r, x, y, x+6*s-1, y+11*s-1
    }
    print "--"
    print "fill #282828"; printf r, 0, H-48*s, W-1, H-1
    print "fill #505a64"
    for (i = 0; i < 6; i++) printf r, (60+170*i)*s, H-42*s, (220+170*i)*s-1, H-6*s-1
  }')
  Args+=(-draw "$Group")
  convert -size "${W}x${H}" gradient:'#3c5a8c-#1e3250' "${Args[@]}" -type TrueColor "BMP3:$Out"
}
