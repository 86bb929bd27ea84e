#!/usr/bin/env bash
# End to end: the real SoundBoard.exe under Xvfb and Wine with a PulseAudio null sink,
# operated with the real X pointer (xdotool) and watched by board_probe.exe.
# Expects DISPLAY, WINE, WINEPREFIX and a PulseAudio sink "board" (tests/run_all.sh sets
# them up). Usage: run_e2e.sh SoundBoard.exe board_probe.exe OUT_DIR
set -uo pipefail
board=$1 probe_exe=$2 out=$3
: "${WINE:?WINE must name the Wine loader}"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"

# Set before anything starts: whatever this run started goes with it, and nothing else.
board_pid= watch_pid=
cleanup() {
  [ -n "$watch_pid" ] && kill "$watch_pid" 2>/dev/null
  [ -n "$board_pid" ] && kill "$board_pid" 2>/dev/null
  stop_trimmers
}
trap cleanup EXIT

mkdir -p "$out"
: >"$out/log.txt"

failures=0 passes=0
pass() { echo "PASS: $*"; passes=$((passes + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
probe() { "$WINE" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }

start_board() {
  "$WINE" "$board" 2>/dev/null &
  board_pid=$!
  if probe wait-window 30000 | tee -a "$out/log.txt" | grep -q '^window'; then
    return 0
  fi
  fail "the board did not come up"
  kill "$board_pid" 2>/dev/null  # or the next start would lose track of it
  return 1
}

# A fresh board and its client area on the screen in `rect` ("rect X Y W H"); empty when
# the board did not come up.
start_board_rect() {
  rect=
  if start_board; then
    rect=$(probe rect | grep '^rect') || fail "the board's client area: $(probe rect)"
  fi
}
# Waits for the board's wine process; sets board_rc.
await_board() {
  local deadline=$((SECONDS + 20))
  while kill -0 "$board_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  if kill -0 "$board_pid" 2>/dev/null; then
    kill "$board_pid" 2>/dev/null
    board_rc=timeout
  else
    wait "$board_pid"
    board_rc=$?
  fi
}
# The boards this test started still running: its own process, and any SoundBoard.exe in
# its Wine prefix. Other developers' boards on this machine run in prefixes of their own.
our_boards() {
  local pid
  [ -n "$board_pid" ] && kill -0 "$board_pid" 2>/dev/null && echo "$board_pid"
  for pid in $(pgrep -x SoundBoard.exe); do
    [ "$pid" = "$board_pid" ] && continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      echo "$pid"
  done
}

# The trimmers this test's boards started: empty.exe in this Wine prefix. A board that goes
# to the background as it exits starts one against itself, and under Wine 8 that child now
# and then never gets past its start-up; it keeps this script's output open, and CTest would
# wait for it until its timeout.
our_trimmers() {
  local pid
  for pid in $(pgrep -x empty.exe); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      echo "$pid"
  done
}
stop_trimmers() {
  local left pid
  for _ in $(seq 30); do left=$(our_trimmers); [ -z "$left" ] && return; sleep 0.1; done
  echo "note: empty.exe still running after the last board ended, stopped: pid $(echo $left)"
  for pid in $left; do kill "$pid" 2>/dev/null; done
  sleep 0.5
  for pid in $(our_trimmers); do kill -9 "$pid" 2>/dev/null; done
}

click() {  # click ACTION: the real pointer onto the board's button
  local xy
  xy=$(probe where "$1")
  [ -n "$xy" ] && [[ "$xy" != FAIL* ]] || { fail "no button for $1"; return 1; }
  xdotool mousemove $xy click 1
}
# Starts a probe command in the background, waits for its "ready" line.
watch() {
  local file=$1
  shift
  # Straight into the file: a pipe would hold the "ready" line back until the probe ends.
  "$WINE" "$probe_exe" "$@" >"$file" 2>/dev/null &
  watch_pid=$!
  for _ in $(seq 100); do
    grep -q '^ready' "$file" 2>/dev/null && return 0
    # A probe that gave up says why and ends: no use waiting out the ten seconds.
    grep -q '^FAIL' "$file" 2>/dev/null || ! kill -0 "$watch_pid" 2>/dev/null && break
    sleep 0.1
  done
  fail "probe $1 did not get ready: $(tr -d '\r' <"$file" | tr '\n' ' ')"
  return 1
}
sink_inputs() { pactl list sink-inputs short 2>/dev/null | wc -l; }
# shot NAME X Y W H: what the screen shows in that box, as $out/NAME.png.
shot() { import -window root -crop "${4}x${5}+${2}+${3}" +repage "$out/$1.png"; }
# Mean absolute difference of two shots per channel, 0 to 255: anti-aliased edges and the
# fade's timing make exact equality meaningless.
difference() {
  compare -metric MAE "$out/$1.png" "$out/$2.png" null: 2>&1 |
    sed -nE 's/.*\(([0-9.e+-]+)\).*/\1/p' | awk '{printf "%.1f", $1 * 255}'
}
# away: the pointer off the board, so nothing on it shows a hover look.
away() { xdotool mousemove 0 0; }

# 1. The window comes up centred and faded in; a screenshot; WM_CLOSE ends it with 0.
away
if start_board; then
  pass "window found: $(grep '^window' "$out/log.txt" | tail -1)"
  read -r _ x y w h _ < <(grep '^window' "$out/log.txt" | tail -1 | tr -d ',')
  # A skinned window shows a picture, not one flat colour.
  spread=$(shot board "$x" "$y" "$w" "$h" && convert "$out/board.png" -format '%[fx:int(255*standard_deviation)]' info:)
  [ "${spread:-0}" -ge 10 ] && pass "screenshot $out/board.png (spread $spread)" ||
    fail "screenshot $out/board.png is blank or missing (spread ${spread:-none})"
  probe close 20000 | tee -a "$out/log.txt" | grep -q 'exit code 0' || fail "WM_CLOSE: no clean exit"
  await_board
  [ "$board_rc" = 0 ] && pass "closed with WM_CLOSE, exit code 0" || fail "WM_CLOSE exit code $board_rc"
fi

# 2. Clicks make sound, two clips sound together, stop silences. The delays are figures to
# read, not limits to pass: on a loaded machine Wine's stream set-up alone varies tenfold,
# so the checks only ask that each effect comes before the next click (a second or more).
if start_board; then
  base=$(sink_inputs)
  watch "$out/listen.txt" listen 6000
  click clip:29
  sleep 1.2
  click clip:33
  sleep 0.8
  both=$(( $(sink_inputs) - base ))
  sleep 0.7
  click stop
  wait "$watch_pid"
  tr -d '\r' <"$out/listen.txt" >"$out/listen.log" && mv "$out/listen.log" "$out/listen.txt"
  cat "$out/listen.txt" >>"$out/log.txt"
  first=$(awk -F'[= ]' '/^click 1:/{print $4}' "$out/listen.txt")
  stop_quiet=$(awk -F'[= ]' '/^click 3:/{print $6}' "$out/listen.txt")
  [ -n "$first" ] && awk "BEGIN{exit !($first >= 0 && $first <= 1000)}" &&
    pass "first click sounded after $first ms" || fail "first click: no sound within a second ($first)"
  [ "$both" -ge 2 ] && pass "two clips played together ($both streams)" ||
    fail "two clips did not play together ($both streams)"
  [ -n "$stop_quiet" ] && awk "BEGIN{exit !($stop_quiet >= 0 && $stop_quiet <= 1000)}" &&
    pass "stop silenced after $stop_quiet ms" || fail "stop: no silence within a second ($stop_quiet)"

  # 3. A volume button's key reaches a watching hook.
  watch "$out/keys.txt" watch-keys 2500
  click key:175
  wait "$watch_pid"
  keys=$(tr -d '\r' <"$out/keys.txt" | tr '\n' ' ')
  grep -q 'down 175 up 175' <<<"$keys" && pass "volume-up key seen by the hook" ||
    fail "volume-up key: $keys"

  # 4. Close-program while clips play: exit code 0 without a fade, nothing left behind.
  click clip:29
  click clip:23
  sleep 0.5
  started=$(date +%s%N)
  click close
  await_board
  took=$(( ($(date +%s%N) - started) / 1000000 ))
  [ "$board_rc" = 0 ] && pass "close-program while playing: exit code 0 after $took ms" ||
    fail "close-program exit code $board_rc"
  # A fade-out would take 120 steps of 30 ms.
  [ "$took" -lt 2500 ] && pass "close-program ended without a fade" ||
    fail "close-program took $took ms: faded?"
  for _ in $(seq 50); do [ -z "$(our_boards)" ] && break; sleep 0.1; done
  left=$(our_boards | tr '\n' ' ')
  [ -z "$left" ] && pass "no process left" || fail "a board process was left behind: pid $left"
fi

# 5. Esc raises the close query: the alpha falls to 0, then the program ends with 0.
if start_board; then
  probe escape-fade 20000 | tee -a "$out/log.txt" | grep -q 'exit code 0' &&
    pass "Esc faded the window out and the program ended with 0" || fail "Esc did not fade out and end"
  await_board
  [ "$board_rc" = 0 ] || fail "Esc exit code $board_rc"
fi

# 6. The skin's caption: the close box lights under the pointer and goes back once it has
# left; a drag on the caption moves the window; the close box fades it out and ends it.
away
start_board_rect
if [ -n "$rect" ]; then
  read -r _ x y w h <<<"$rect"
  # The close box is the strip's last, 40 x 18 at the top right, left of the resize band.
  box() { shot "$1" $((x + w - 46)) "$y" 44 20; }
  box close-before
  xdotool mousemove $((x + w - 36)) $((y + 9))
  sleep 0.05
  xdotool mousemove $((x + w - 24)) $((y + 9))
  sleep 0.4  # the fade in is 8 ticks of 20 ms
  box close-hot
  away
  sleep 0.5
  box close-after
  lit=$(difference close-before close-hot) back=$(difference close-before close-after)
  [ -n "$lit" ] && awk "BEGIN{exit !($lit >= 8)}" &&
    pass "the close box lit under the pointer (difference $lit)" ||
    fail "the close box did not light under the pointer (difference ${lit:-none})"
  [ -n "$back" ] && awk "BEGIN{exit !($back <= 2)}" &&
    pass "the close box went back once the pointer left (difference $back)" ||
    fail "the close box did not go back once the pointer left (difference ${back:-none})"

  # A drag in small steps, as a hand makes it, left of the caption buttons.
  px=$((x + 200)) py=$((y + 12))
  xdotool mousemove "$px" "$py" mousedown 1
  for i in 1 2 3 4 5 6; do
    sleep 0.05
    xdotool mousemove $((px + 10 * i)) $((py + 40 * i / 6))
  done
  sleep 0.1
  xdotool mouseup 1
  moved=
  x1=$x y1=$y
  for _ in 1 2 3 4 5; do
    read -r _ x1 y1 _ _ < <(probe rect | grep '^rect')
    dx=$((x1 - x)) dy=$((y1 - y))
    [ $((dx - 60)) -ge -3 ] && [ $((dx - 60)) -le 3 ] && [ $((dy - 40)) -ge -3 ] &&
      [ $((dy - 40)) -le 3 ] && { moved=1; break; }
    sleep 0.2
  done
  [ -n "$moved" ] && pass "a drag of (+60, +40) on the caption moved the window by ($dx, $dy)" ||
    fail "a drag of (+60, +40) on the caption moved the window by ($dx, $dy)"
  x=$x1 y=$y1

  if watch "$out/fade.txt" watch-fade 20000; then
    started=$(date +%s%N)
    xdotool mousemove $((x + w - 24)) $((y + 9)) click 1
    wait "$watch_pid"
    await_board
    took=$(( ($(date +%s%N) - started) / 1000000 ))
    fade=$(tr -d '\r' <"$out/fade.txt" | tee -a "$out/log.txt" | grep '^alpha')
    grep -q 'exit code 0' "$out/fade.txt" && [ "$board_rc" = 0 ] &&
      pass "the close box: $fade; exit code 0 after $took ms" ||
      fail "the close box: no fade-out and clean exit ($(tr -d '\r' <"$out/fade.txt" | tr '\n' ' ') exit code $board_rc)"
  fi
fi

# 7. The skinned board page by page, as a user sees it: each category button shows its page,
# a screenshot of every page with the control panel beside it; a clip button lights under
# the pointer and goes back after; a double-click plays its clip once; Tab and Space play
# the focused clip.
away
start_board_rect
if [ -n "$rect" ]; then
  read -r _ x y w h <<<"$rect"
  skinned=$(probe skinned)
  echo "$skinned" >>"$out/log.txt"
  for p in 1 2 3 4 5 0; do
    click page:$p
    away
    sleep 0.6
    shown=$(probe page | sed -n 's/^page //p')
    [ "$shown" = "$p" ] && pass "category button $p shows page $p" || fail "category button $p shows page '$shown'"
    spread=$(shot "page-$p" "$x" "$y" "$w" "$h" &&
             convert "$out/page-$p.png" -format '%[fx:int(255*standard_deviation)]' info:)
    [ "${spread:-0}" -ge 10 ] && pass "screenshot $out/page-$p.png (spread $spread)" ||
      fail "screenshot $out/page-$p.png is blank or missing (spread ${spread:-none})"
  done

  # Hover: the button's box before, under the pointer, and after the pointer left.
  read -r cx cy < <(probe where clip:29)
  hover_box() { shot "$1" $((cx - 48)) $((cy - 20)) 96 40; }
  mean() { convert "$out/$1.png" -colorspace gray -format '%[fx:mean*255]' info:; }
  sleep 0.3
  hover_box hover-before
  xdotool mousemove $((cx - 5)) "$cy"
  sleep 0.05
  xdotool mousemove "$cx" "$cy"
  sleep 0.4
  hover_box hover-on
  away
  sleep 0.4
  hover_box hover-after
  lit=$(difference hover-before hover-on) back=$(difference hover-before hover-after)
  before=$(mean hover-before) on=$(mean hover-on)
  if [ "$skinned" = "skinned yes" ]; then
    # The board's theme colour is black: the hover tint darkens the face.
    [ -n "$lit" ] && awk "BEGIN{exit !($lit >= 3 && $on < $before)}" &&
      pass "a clip button took the hover tint under the pointer (difference $lit, mean $before -> $on)" ||
      fail "a clip button did not take the hover tint (difference ${lit:-none}, mean $before -> $on)"
    [ -n "$back" ] && awk "BEGIN{exit !($back <= 1)}" &&
      pass "the clip button went back once the pointer left (difference $back)" ||
      fail "the clip button did not go back once the pointer left (difference ${back:-none})"
  else
    echo "SKIP: the clip buttons are not drawn by the skin; hover difference $lit, back $back"
  fi

  # A single click, then a real double-click on the same button: one stream, and every
  # onset heard in the double-click's first 1.5 s is one the single click's sound has too, at
  # the same time after its start (a second play would add its own, 120 ms on).
  onsets() { sed -n 's/^onsets [0-9]*://p' "$1"; }
  unmatched() {  # onsets of $2 (early ones, relative to its first) missing from $1's
    awk -v a="$(onsets "$1")" -v b="$(onsets "$2")" 'BEGIN {
      na = split(a, x, " "); nb = split(b, y, " "); n = 0
      for (j = 1; j <= nb; j++) {
        if (y[j] - y[1] >= 1500) continue
        hit = 0
        for (i = 1; i <= na; i++) if ((x[i] - x[1]) - (y[j] - y[1]) <= 80 && (y[j] - y[1]) - (x[i] - x[1]) <= 80) hit = 1
        if (!hit) n++
      }
      print (nb ? n : -1) }'
  }
  base=$(sink_inputs)
  read -r dx dy < <(probe where clip:11)
  watch "$out/single.txt" listen 2500 || true
  xdotool mousemove "$dx" "$dy" click 1
  wait "$watch_pid"
  sleep 2
  watch "$out/double.txt" listen 2500 || true
  xdotool mousemove "$dx" "$dy" click --repeat 2 --delay 120 1
  streams=0
  for _ in $(seq 10); do
    n=$(( $(sink_inputs) - base ))
    [ "$n" -gt "$streams" ] && streams=$n
    sleep 0.1
  done
  wait "$watch_pid"
  for f in single double; do
    tr -d '\r' <"$out/$f.txt" >"$out/$f.log" && mv "$out/$f.log" "$out/$f.txt"
    cat "$out/$f.txt" >>"$out/log.txt"
  done
  extra=$(unmatched "$out/single.txt" "$out/double.txt")
  heard="onsets $(onsets "$out/double.txt" | xargs) against $(onsets "$out/single.txt" | xargs) for one click, $extra of its own, $streams stream(s)"
  if [ "$skinned" = "skinned yes" ]; then
    # The clip lasts longer than the watch, so a second play would be a second stream beside
    # the first: one stream is the proof. The onsets decide only when the sink showed none.
    if [ "$streams" = 1 ] || { [ "$streams" = 0 ] && [ "$extra" = 0 ]; }; then
      pass "a double-click played the clip once ($heard)"
    else
      fail "a double-click did not play the clip exactly once ($heard)"
    fi
  else
    echo "SKIP: the clip buttons are not drawn by the skin; a double-click gave $heard"
  fi

  # The keyboard: Tab moves the focus on to a clip button, Space plays it.
  sleep 1
  click stop
  focused=
  for _ in 1 2 3 4 5 6; do
    xdotool key Tab
    sleep 0.2
    focused=$(probe focus | sed -n 's/^focus //p')
    [[ "$focused" == clip:* ]] && [ "$focused" != clip:11 ] && break
  done
  if [[ "$focused" == clip:* ]] && [ "$focused" != clip:11 ]; then
    pass "Tab moved the focus on from clip:11 to $focused"
    watch "$out/space.txt" listen 2000 || true
    xdotool key space
    wait "$watch_pid"
    heard=$(tr -d '\r' <"$out/space.txt" | tee -a "$out/log.txt" | awk -F'[= ]' '/^click 1:/{print $4}')
    [ -n "$heard" ] && awk "BEGIN{exit !($heard >= 0 && $heard <= 1000)}" &&
      pass "Space played the focused $focused after $heard ms" || fail "Space: no sound from $focused ($heard)"
  else
    fail "Tab did not move the focus on to another clip button (focus: $focused)"
  fi
  probe close 20000 | grep -q 'exit code 0' || fail "WM_CLOSE after the page checks: no clean exit"
  await_board
fi

stop_trimmers
echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
