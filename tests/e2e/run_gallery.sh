#!/usr/bin/env bash
# End to end: the real SkinGallery.exe under Xvfb and Wine. Its window comes up skinned
# (the picture behind it and through the transparent status bar, the progress bar in the
# theme colour, the trackbar's white thumb), a screenshot is taken, a header item lights
# under the real pointer and goes back after it, and the skin's close box ends it with
# exit code 0.
# Expects DISPLAY, WINE and WINEPREFIX (tests/run_all.sh sets them up).
# Usage: run_gallery.sh SkinGallery.exe OUT_DIR [COPY_SCREENSHOT_TO]
set -uo pipefail
gallery=$1 out=$2 keep=${3:-}
: "${WINE:?WINE must name the Wine loader}"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"

gallery_pid=
cleanup() { [ -n "$gallery_pid" ] && kill "$gallery_pid" 2>/dev/null; }
trap cleanup EXIT
mkdir -p "$out"
failures=0 passes=0
pass() { echo "PASS: $*"; passes=$((passes + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" = 0 ]
  exit
}

# count COLOUR FUZZ X Y W H: pixels of the shot in that box within FUZZ of COLOUR.
count() {
  convert "$out/skin-gallery.png" -crop "${5}x${6}+${3}+${4}" +repage -fuzz "$2" \
    -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:int(mean*w*h+0.5)]' info:
}

xdotool mousemove 0 0  # no hover look anywhere
"$WINE" "$gallery" >"$out/log.txt" 2>&1 &
gallery_pid=$!
id=
for _ in $(seq 300); do
  id=$(xdotool search --onlyvisible --name '^Skin gallery$' 2>/dev/null | head -1)
  [ -n "$id" ] && break
  kill -0 "$gallery_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$id" ] || { fail "the gallery's window did not come up within 30 s"; finish; }
eval "$(xdotool getwindowgeometry --shell "$id")"  # X Y WIDTH HEIGHT
pass "window up at $X,$Y, $WIDTH x $HEIGHT"

# The screenshot once the window has stopped changing: two shots in a row the same.
previous=
for _ in $(seq 50); do
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/skin-gallery.png"
  now=$(md5sum <"$out/skin-gallery.png")
  [ "$now" = "$previous" ] && break
  previous=$now
  sleep 0.2
done
[ "$now" = "$previous" ] || fail "the window kept changing for 10 s"
spread=$(convert "$out/skin-gallery.png" -format '%[fx:int(255*standard_deviation)]' info:)
[ "${spread:-0}" -ge 10 ] && pass "screenshot $out/skin-gallery.png (spread $spread)" ||
  fail "screenshot $out/skin-gallery.png is blank or missing (spread ${spread:-none})"
[ -n "$keep" ] && cp "$out/skin-gallery.png" "$keep" && echo "kept as $keep"

# Boxes in the window's client coordinates, from the gallery's layout table.
violet=$(count '#9070C0' 30% 700 460 200 80)
[ "$violet" -ge 4000 ] && pass "the picture shows behind the controls ($violet of 16000 pixels violet)" ||
  fail "no picture behind the controls ($violet of 16000 pixels violet)"
bar=$(count '#22CADD' 20% 322 88 100 14)
[ "$bar" -ge 300 ] && pass "the progress bar is drawn in the theme colour ($bar pixels)" ||
  fail "the progress bar shows no theme colour ($bar pixels)"
thumb=$(count white 4% 320 40 220 34)
[ "$thumb" -ge 30 ] && pass "the trackbar shows its white thumb ($thumb pixels)" ||
  fail "the trackbar shows no white thumb ($thumb pixels)"
status=$(count '#9070C0' 30% 0 $((HEIGHT - 20)) "$WIDTH" 18)
[ "$status" -ge $((WIDTH * 18 / 2)) ] && pass "the picture shows through the status bar ($status violet pixels)" ||
  fail "the status bar hides the picture ($status violet pixels of $((WIDTH * 18)))"

# The real pointer over the header's middle item lights it, and it goes back once the
# pointer has left (the skin hears the leave through TrackMouseEvent).
item() { import -window root -crop "90x20+$((X + 730))+$((Y + 333))" +repage "$out/$1.png"; }
differs() {  # mean absolute difference of two shots, 0 to 255
  compare -metric MAE "$out/$1.png" "$out/$2.png" null: 2>&1 | sed -nE 's/.*\(([0-9.e+-]+)\).*/\1/p' |
    awk '{printf "%.1f", $1 * 255}'
}
# until NAME OP LIMIT: shoots the item as NAME until it differs from the first shot by OP
# LIMIT (">= 4", say), for two seconds at the most; prints the last difference.
until_item() {
  local d
  for _ in $(seq 20); do
    item "$1"
    d=$(differs header-before "$1")
    awk "BEGIN{exit !(${d:-0} $2 $3)}" && break
    sleep 0.1
  done
  echo "$d"
}
item header-before
xdotool mousemove $((X + 770)) $((Y + 343)) mousemove $((X + 772)) $((Y + 344))
lit=$(until_item header-hot '>=' 4)
xdotool mousemove 0 0
back=$(until_item header-after '<=' 1)
[ -n "$lit" ] && awk "BEGIN{exit !($lit >= 4)}" && pass "the header item lit under the pointer (difference $lit)" ||
  fail "the header item did not light under the pointer (difference ${lit:-none})"
[ -n "$back" ] && awk "BEGIN{exit !($back <= 1)}" && pass "the header item went back once the pointer left (difference $back)" ||
  fail "the header item did not go back (difference ${back:-none})"

# The skin's close box, at the caption strip's right end, ends the program cleanly.
xdotool mousemove $((X + WIDTH - 24)) $((Y + 9)) click 1
for _ in $(seq 200); do kill -0 "$gallery_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$gallery_pid" 2>/dev/null; then
  fail "the close box did not end the gallery within 20 s"
else
  wait "$gallery_pid"
  rc=$?
  gallery_pid=
  [ "$rc" = 0 ] && pass "the close box ended it with exit code 0" || fail "exit code $rc"
fi
finish
