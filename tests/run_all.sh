#!/usr/bin/env bash
# Builds everything and runs every test headless: the native tests and fuzzers, the Windows
# tests under Wine, the end-to-end test against the real SoundBoard.exe, and each benchmark
# once in its quick mode. Installs what it needs first. Run as root on Debian 12.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh || exit 1
. scripts/wine_env.sh
arch=$(board_test_arch)
archs=(i686)
[ "$arch" = i686 ] || archs+=("$arch")
echo "== build (product i686; Windows tests run the $arch build)"
scripts/build.sh "${archs[@]}" || exit 1

passed=0 failed=0
tally() {  # tally LOG: adds a ctest run's counts
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$1" | tail -1)
  local total fails
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  fails=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + ${total:-0} - ${fails:-0}))
  failed=$((failed + ${fails:-1}))
}

echo "== native tests and fuzzers"
(cd build/native && ctest --output-on-failure) 2>&1 | tee build/native/ctest.log
tally build/native/ctest.log

echo "== headless session: Xvfb, PulseAudio null sink, Wine"
session=$(mktemp -d /tmp/board-session.XXXXXX)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$session/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
export XDG_RUNTIME_DIR=$session/xdg
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
  --load="module-null-sink sink_name=board" --load=module-native-protocol-unix \
  >"$session/pulse.log" 2>&1
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink board
pactl set-default-source board.monitor
# A silent stream keeps the sink running, so its monitor delivers blocks steadily.
pacat --playback --rate=44100 --channels=1 --format=s16le </dev/zero >/dev/null 2>&1 &
keeper_pid=$!
board_wine_setup "$arch" "$root/build/win-$arch/wineprefix-headless" headless
wineserver -p
# Start Wine's own services now, away from CTest: started by the first test they would
# inherit its output pipe and keep CTest waiting for them to close it.
"$WINE" wineboot </dev/null >/dev/null 2>&1
cleanup() {
  kill "$keeper_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  pulseaudio --kill 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

echo "== Windows tests and end to end, under Wine ($arch)"
(cd "build/win-$arch" && BOARD_REQUIRE_AUDIO=1 ctest --output-on-failure) 2>&1 | tee "build/win-$arch/ctest.log"
tally "build/win-$arch/ctest.log"

echo "== benchmarks, once, quick"
bench_ok=1
for src in bench/*.cpp; do
  name=$(basename "$src" .cpp)
  case "$name" in
    native_*) "build/native/$name" --quick || bench_ok=0 ;;
    win_*) "$WINE" "build/win-$arch/$name.exe" --quick || bench_ok=0 ;;
  esac
done
[ "$bench_ok" = 1 ] && passed=$((passed + 1)) || failed=$((failed + 1))

echo "product: $(file -b build/win-i686/SoundBoard.exe | cut -c1-60), $(stat -c %s build/win-i686/SoundBoard.exe) bytes"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
