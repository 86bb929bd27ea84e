#!/usr/bin/env bash
# The headless session the Windows tests run in: Xvfb on a free display, a PulseAudio null
# sink "board" whose monitor is the default source, and a Wine prefix for a build directory.
#
# Sourced (by tests/run_all.sh): defines headless_start and headless_stop.
# Run: bash scripts/headless.sh COMMAND... runs one command inside a session of its own,
#   for example `bash scripts/headless.sh build/win-x86_64/wine_tests.exe --gtest_filter=Skin*`
#   (an .exe is started with the session's Wine) or `bash scripts/headless.sh bash` for a
#   shell. BOARD_BUILD_DIR picks the build (default build/win-ARCH for the arch Wine runs).
#
# Several sessions share one machine, so headless_stop stops only what its own session
# started, each by its own id.

headless_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$headless_root/scripts/wine_env.sh"

headless_logs= headless_xvfb_pid= headless_pulse_started= headless_keeper_pid= headless_prefix=

# A display number that no X server holds: neither its lock file nor its socket exists.
headless_free_display() {  # headless_free_display FROM
  local n
  for ((n = $1; n < $1 + 200; n++)); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return 0; }
  done
  return 1
}

# Starts Xvfb on a free display and waits until it answers; exports DISPLAY.
headless_start_xvfb() {
  local n=$((90 + RANDOM % 400)) attempt
  for attempt in 1 2 3 4 5; do
    n=$(headless_free_display "$n") || { echo "no free X display number from :$n on"; return 1; }
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$headless_logs/xvfb.log" 2>&1 &
    headless_xvfb_pid=$!
    for _ in $(seq 100); do
      kill -0 "$headless_xvfb_pid" 2>/dev/null || break
      if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    if kill -0 "$headless_xvfb_pid" 2>/dev/null; then
      echo "Xvfb on :$n did not answer xdpyinfo within 10 s; its log:"
      sed 's/^/  /' "$headless_logs/xvfb.log"
      return 1
    fi
    wait "$headless_xvfb_pid"
    headless_xvfb_pid=
    # Another run took the number between the check and the start: try the next one.
    if grep -q 'already active' "$headless_logs/xvfb.log"; then
      n=$((n + 1))
      continue
    fi
    echo "Xvfb on :$n ended at once; its log:"
    sed 's/^/  /' "$headless_logs/xvfb.log"
    return 1
  done
  echo "Xvfb found every display it tried taken"
  return 1
}

# Starts a PulseAudio daemon of this session's own (its socket lives in XDG_RUNTIME_DIR)
# with a null sink "board" whose monitor is the default source.
headless_start_pulse() {
  export XDG_RUNTIME_DIR=$headless_logs/xdg
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  headless_pulse_started=1
  if ! pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
      --load="module-null-sink sink_name=board" --load=module-native-protocol-unix \
      >"$headless_logs/pulse.log" 2>&1; then
    echo "PulseAudio did not start; its log:"
    sed 's/^/  /' "$headless_logs/pulse.log"
    return 1
  fi
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  if ! pactl info >/dev/null 2>&1; then
    echo "PulseAudio did not answer pactl info within 10 s; its log:"
    sed 's/^/  /' "$headless_logs/pulse.log"
    return 1
  fi
  if ! pactl set-default-sink board || ! pactl set-default-source board.monitor; then
    echo "PulseAudio has no null sink \"board\" to play into and record from"
    return 1
  fi
  # A silent stream keeps the sink running, so its monitor delivers blocks steadily.
  pacat --playback --rate=44100 --channels=1 --format=s16le </dev/zero >/dev/null 2>&1 &
  headless_keeper_pid=$!
}

# headless_start ARCH PREFIX LOG_DIR: the whole session; says what failed and returns 1 when
# a part of it did not start. Exports DISPLAY, XDG_RUNTIME_DIR, WINE, WINEPREFIX.
headless_start() {
  local arch=$1 prefix=$2
  headless_logs=$3
  mkdir -p "$headless_logs"
  headless_start_xvfb || { echo "the headless session: Xvfb did not start"; return 1; }
  headless_start_pulse || { echo "the headless session: PulseAudio did not start"; return 1; }
  board_wine_setup "$arch" "$prefix" headless ||
    { echo "the headless session: the Wine prefix could not be made"; return 1; }
  headless_prefix=$WINEPREFIX
  wineserver -p
  # Start Wine's own services now, away from any test: started by the first test they would
  # inherit its output pipe and keep whoever reads it (CTest, $(...)) waiting.
  "$WINE" wineboot </dev/null >/dev/null 2>&1
  return 0
}

headless_stop() {
  [ -n "$headless_prefix" ] && WINEPREFIX=$headless_prefix wineserver -k 2>/dev/null
  [ -n "$headless_keeper_pid" ] && kill "$headless_keeper_pid" 2>/dev/null
  [ -n "$headless_pulse_started" ] && pulseaudio --kill 2>/dev/null
  if [ -n "$headless_xvfb_pid" ]; then
    kill "$headless_xvfb_pid" 2>/dev/null
    wait "$headless_xvfb_pid" 2>/dev/null
  fi
  headless_prefix= headless_keeper_pid= headless_pulse_started= headless_xvfb_pid=
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  [ $# -gt 0 ] || { sed -n '2,11p' "$0"; exit 2; }
  arch=$(board_test_arch)
  build=${BOARD_BUILD_DIR:-$headless_root/build/win-$arch}
  logs=$(mktemp -d /tmp/board-headless.XXXXXX)
  trap 'headless_stop; rm -rf "$logs"' EXIT
  trap 'exit 130' INT TERM
  headless_start "$arch" "$build/wineprefix-headless" "$logs" || exit 1
  case "$1" in
    *.exe) "$WINE" "$@" ;;
    *) "$@" ;;
  esac
fi
