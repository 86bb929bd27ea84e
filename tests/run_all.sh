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

. scripts/headless.sh
# The headless session's logs; cleanup() stops what this run started, and nothing else.
session=$(mktemp -d /tmp/board-session.XXXXXX)
cleanup() {
  headless_stop
  if [ "$failed" = 0 ]; then rm -rf "$session"; else echo "session logs: $session"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

scripts/deps.sh || { fail "installing the dependencies"; finish; }
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

echo "== headless session: Xvfb, PulseAudio null sink, Wine"
session_ok=
if headless_start "$arch" "$root/build/win-$arch/wineprefix-headless" "$session"; then
  echo "display $DISPLAY, PulseAudio in $XDG_RUNTIME_DIR, logs in $session"
  session_ok=1
else
  fail "the headless session did not start (see above)"
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
