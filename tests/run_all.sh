#!/usr/bin/env bash
# Builds everything and runs every test headless: the native tests and fuzzers, the Windows
# tests under Wine, the end-to-end test against the real SoundBoard.exe, and each benchmark
# once in its quick mode. Installs what it needs first. Run as root on Debian 12.
# Ends with "N passed, M failed (which build the Windows tests ran)" and exits 0 only when
# nothing failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

passed=0 failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
arch_line=
finish() {
  echo "$passed passed, $failed failed${arch_line:+ ($arch_line)}"
  [ "$failed" = 0 ]
  exit
}

# The headless session: its logs, and what cleanup() must stop. Several runs share this
# machine, so cleanup stops only what this run started, each by its own id.
session=$(mktemp -d /tmp/board-session.XXXXXX)
xvfb_pid= pulse_started= keeper_pid= wine_prefix=
cleanup() {
  [ -n "$wine_prefix" ] && WINEPREFIX=$wine_prefix wineserver -k 2>/dev/null
  [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null
  [ -n "$pulse_started" ] && pulseaudio --kill 2>/dev/null
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  if [ "$failed" = 0 ]; then rm -rf "$session"; else echo "session logs: $session"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

scripts/deps.sh || { fail "installing the dependencies"; finish; }
. scripts/wine_env.sh
arch=$(board_test_arch)
arch_line=$(board_arch_line)
echo "$arch_line"
archs=(i686)
[ "$arch" = i686 ] || archs+=("$arch")
echo "== build (product i686; Windows tests run the $arch build)"
scripts/build.sh "${archs[@]}" || { fail "the build (see above)"; finish; }

tally() {  # tally LOG: adds a ctest run's counts
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$1" | tail -1)
  if [ -z "$line" ]; then
    fail "ctest printed no summary into $1 (did it crash?)"
    return
  fi
  local total fails
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  fails=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

echo "== native tests and fuzzers"
(cd build/native && ctest --output-on-failure) 2>&1 | tee build/native/ctest.log
tally build/native/ctest.log

# A display number that no X server holds: neither its lock file nor its socket exists.
free_display() {  # free_display FROM
  local n
  for ((n = $1; n < $1 + 200; n++)); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return 0; }
  done
  return 1
}

# Starts Xvfb on a free display and waits until it answers; exports DISPLAY.
start_xvfb() {
  local n=$((90 + RANDOM % 400)) attempt
  for attempt in 1 2 3 4 5; do
    n=$(free_display "$n") || { echo "no free X display number from :$n on"; return 1; }
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$session/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "Xvfb on :$n did not answer xdpyinfo within 10 s; its log:"
      sed 's/^/  /' "$session/xvfb.log"
      return 1
    fi
    wait "$xvfb_pid"
    xvfb_pid=
    # Another run took the number between the check and the start: try the next one.
    if grep -q 'already active' "$session/xvfb.log"; then
      n=$((n + 1))
      continue
    fi
    echo "Xvfb on :$n ended at once; its log:"
    sed 's/^/  /' "$session/xvfb.log"
    return 1
  done
  echo "Xvfb found every display it tried taken"
  return 1
}

# Starts a PulseAudio daemon of this session's own (its socket lives in XDG_RUNTIME_DIR)
# with a null sink "board" whose monitor is the default source.
start_pulse() {
  export XDG_RUNTIME_DIR=$session/xdg
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  pulse_started=1
  if ! pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
      --load="module-null-sink sink_name=board" --load=module-native-protocol-unix \
      >"$session/pulse.log" 2>&1; then
    echo "PulseAudio did not start; its log:"
    sed 's/^/  /' "$session/pulse.log"
    return 1
  fi
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  if ! pactl info >/dev/null 2>&1; then
    echo "PulseAudio did not answer pactl info within 10 s; its log:"
    sed 's/^/  /' "$session/pulse.log"
    return 1
  fi
  if ! pactl set-default-sink board || ! pactl set-default-source board.monitor; then
    echo "PulseAudio has no null sink \"board\" to play into and record from"
    return 1
  fi
  # A silent stream keeps the sink running, so its monitor delivers blocks steadily.
  pacat --playback --rate=44100 --channels=1 --format=s16le </dev/zero >/dev/null 2>&1 &
  keeper_pid=$!
}

echo "== headless session: Xvfb, PulseAudio null sink, Wine"
session_ok=
if ! start_xvfb; then
  fail "the headless session: Xvfb did not start"
elif ! start_pulse; then
  fail "the headless session: PulseAudio did not start"
elif ! board_wine_setup "$arch" "$root/build/win-$arch/wineprefix-headless" headless; then
  fail "the headless session: the Wine prefix could not be made"
else
  echo "display $DISPLAY, PulseAudio in $XDG_RUNTIME_DIR, logs in $session"
  wine_prefix=$WINEPREFIX
  wineserver -p
  # Start Wine's own services now, away from CTest: started by the first test they would
  # inherit its output pipe and keep CTest waiting for them to close it.
  "$WINE" wineboot </dev/null >/dev/null 2>&1
  session_ok=1
fi

if [ -n "$session_ok" ]; then
  echo "== Windows tests and end to end, under Wine ($arch)"
  (cd "build/win-$arch" && BOARD_REQUIRE_AUDIO=1 ctest --output-on-failure) 2>&1 | tee "build/win-$arch/ctest.log"
  tally "build/win-$arch/ctest.log"
else
  echo "== Windows tests, end to end and Windows benchmarks skipped: no headless session"
fi

echo "== benchmarks, once, quick"
bench_ok=1
for src in bench/*.cpp; do
  name=$(basename "$src" .cpp)
  case "$name" in
    native_*) "build/native/$name" --quick || { bench_ok=0; echo "FAIL: benchmark $name"; } ;;
    win_*)
      [ -n "$session_ok" ] || continue
      "$WINE" "build/win-$arch/$name.exe" --quick || { bench_ok=0; echo "FAIL: benchmark $name"; } ;;
  esac
done
[ "$bench_ok" = 1 ] && passed=$((passed + 1)) || failed=$((failed + 1))

echo "product: $(file -b build/win-i686/SoundBoard.exe | cut -c1-60), $(stat -c %s build/win-i686/SoundBoard.exe) bytes"
finish
