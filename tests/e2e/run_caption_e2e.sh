#!/usr/bin/env bash
# End to end: the skinned caption under the real X pointer. A double-click on the caption
# maximises the board to the whole screen and a second one restores it, three times over:
# after each the window's rectangle and zoomed state (from board_probe) and the screen's
# pixels (a screenshot against the empty screen and the board as first shown) are checked.
# Expects DISPLAY, WINE and WINEPREFIX (tests/run_all.sh sets them up).
# Usage: run_caption_e2e.sh SoundBoard.exe board_probe.exe OUT_DIR
set -uo pipefail
board=$1 probe_exe=$2 out=$3
: "${WINE:?WINE must name the Wine loader}"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"

board_pid=
# The trimmer a board starts against itself when it loses the activation as it exits:
# empty.exe in this Wine prefix, which now and then hangs under Wine 8 holding this
# script's output open.
stop_trimmers() {
  local pid
  for _ in $(seq 30); do pgrep -x empty.exe >/dev/null || return; sleep 0.1; done
  for pid in $(pgrep -x empty.exe); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      kill "$pid" 2>/dev/null
  done
}
cleanup() {
  [ -n "$board_pid" ] && kill "$board_pid" 2>/dev/null
  stop_trimmers
}
trap cleanup EXIT
mkdir -p "$out"
failures=0 passes=0
pass() { echo "PASS: $*"; passes=$((passes + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
probe() { "$WINE" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" = 0 ]
  exit
}

read -r sw sh < <(xdpyinfo | sed -nE 's/^ *dimensions: *([0-9]+)x([0-9]+) pixels.*/\1 \2/p')
# shot NAME [W H X Y]: the screen, or a box of it, as $out/NAME.png.
shot() {
  if [ $# -gt 1 ]; then import -window root -crop "${2}x${3}+${4}+${5}" +repage "$out/$1.png"
  else import -window root "$out/$1.png"; fi
}
crop() { convert "$out/$1.png" -crop "${3}x${4}+${5}+${6}" +repage "$out/$2.png"; }
# Mean absolute difference of two shots per channel, 0 to 255.
difference() {
  compare -metric MAE "$out/$1.png" "$out/$2.png" null: 2>&1 |
    sed -nE 's/.*\(([0-9.e+-]+)\).*/\1/p' | awk '{printf "%.1f", $1 * 255}'
}
at_most() { [ -n "$1" ] && awk "BEGIN{exit !($1 <= $2)}"; }
at_least() { [ -n "$1" ] && awk "BEGIN{exit !($1 >= $2)}"; }
# await_frame WANT: polls the board's "frame X Y W H zoomed Z" for up to 5 s; sets `frame`.
await_frame() {
  for _ in $(seq 25); do
    frame=$(probe frame)
    [ "$frame" = "$1" ] && return 0
    sleep 0.2
  done
  return 1
}

xdotool mousemove 0 0  # no hover look anywhere
shot empty
"$WINE" "$board" 2>/dev/null &
board_pid=$!
probe wait-window 30000 | grep -q '^window' || { fail "the board did not come up"; finish; }
sleep 3  # up a while, as a user meets it
frame=$(probe frame)
read -r _ x y w h _ zoomed <<<"$frame"
[ "$zoomed" = 0 ] && [ "$w" -lt "$sw" ] || { fail "the board came up as $frame"; finish; }
normal=$frame
shot board "$w" "$h" "$x" "$y"

for round in 1 2 3; do
  # Maximise: 450 px in from the caption's left end, as a hand double-clicks.
  xdotool mousemove $((x + 450)) $((y + 12)) click --repeat 2 --delay 60 1
  if await_frame "frame 0 0 $sw $sh zoomed 1"; then
    pass "round $round: a double-click maximised the board to the screen ($frame)"
  else
    fail "round $round: a double-click left the board at $frame, not the whole screen"
    break
  fi
  xdotool mousemove $((sw / 2)) $((sh - 60))  # off the caption, over the board
  sleep 0.5
  shot maximised
  # Where the restored board never reaches, the maximised one shows its picture.
  crop maximised max-corner 200 120 $((sw - 200)) $((sh - 120))
  crop empty empty-corner 200 120 $((sw - 200)) $((sh - 120))
  spread=$(convert "$out/max-corner.png" -format '%[fx:int(255*standard_deviation)]' info:)
  changed=$(difference empty-corner max-corner)
  at_least "$changed" 8 && at_least "$spread" 3 &&
    pass "round $round: the screen's far corner shows the board (difference $changed, spread $spread)" ||
    fail "round $round: the screen's far corner does not show the board (difference ${changed:-none}, spread ${spread:-none})"

  # Restore: the same double-click on the maximised caption.
  xdotool mousemove 450 12 click --repeat 2 --delay 60 1
  if await_frame "$normal"; then
    pass "round $round: a second double-click restored the board ($frame)"
  else
    fail "round $round: a second double-click left the board at $frame, not $normal"
    break
  fi
  xdotool mousemove 0 0
  sleep 0.5
  shot restored
  crop restored rest-corner 200 120 $((sw - 200)) $((sh - 120))
  crop restored rest-board "$w" "$h" "$x" "$y"
  stale=$(difference empty-corner rest-corner) same=$(difference board rest-board)
  at_most "$stale" 2 && pass "round $round: the screen around the restored board is clear (difference $stale)" ||
    fail "round $round: the screen around the restored board keeps old pixels (difference ${stale:-none})"
  at_most "$same" 3 && pass "round $round: the restored board looks as it first did (difference $same)" ||
    fail "round $round: the restored board looks different (difference ${same:-none})"
done

probe close 20000 | grep -q 'exit code 0' || fail "WM_CLOSE: no clean exit"
finish
