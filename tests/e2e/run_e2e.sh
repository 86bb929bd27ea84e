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

# 1. The window comes up centred and faded in; a screenshot; WM_CLOSE ends it with 0.
if start_board; then
  pass "window found: $(grep '^window' "$out/log.txt" | tail -1)"
  read -r _ x y w h _ < <(grep '^window' "$out/log.txt" | tail -1 | tr -d ',')
  import -window root -crop "${w}x${h}+${x}+${y}" "$out/board.png" && pass "screenshot $out/board.png"
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

stop_trimmers
echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
