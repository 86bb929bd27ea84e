#!/usr/bin/env bash
# The set-up's package groups, against stand-ins for apt-get, dpkg, dpkg-query and clang that
# fail the way a real day did: one index mid-sync on the server, wine32:i386 uninstallable.
# The required group must still install and the set-up go on; a required package that
# fails must stop it, named.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  if ! "${@:2}"; then
    echo "FAIL: $1"
    failures=$((failures + 1))
  fi
}

# Each stand-in logs its arguments to calls.log. Nothing is installed yet. STUB_FAIL_PKG is
# a package whose install fails; STUB_RUNS_I386 says whether "32-bit programs" start.
mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get $*" >>"$STUB_DIR/calls.log"
case "$1" in
  update)
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
    exit 100 ;;
  install)
    for p in "$@"; do
      if [ "$p" = "$STUB_FAIL_PKG" ]; then
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100
      fi
    done ;;
esac
exit 0
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/bin/sh
echo "dpkg $*" >>"$STUB_DIR/calls.log"
[ "$1" = --print-foreign-architectures ] && cat "$STUB_DIR/archs" 2>/dev/null
[ "$1" = --add-architecture ] && echo "$2" >>"$STUB_DIR/archs"
exit 0
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/sh
exit 1
EOF
# The probe's "32-bit program": the stand-in compiler writes one that exits as told.
cat >"$work/bin/clang" <<'EOF'
#!/bin/sh
while [ $# -gt 1 ]; do [ "$1" = -o ] && out=$2; shift; done
printf '#!/bin/sh\nexit %s\n' "$([ "$STUB_RUNS_I386" = 1 ] && echo 0 || echo 126)" >"$out"
chmod +x "$out"
EOF
chmod +x "$work/bin"/*

run_deps() {  # run_deps FAIL_PKG RUNS_I386: runs the set-up in a fresh stub state
  rm -f "$work/calls.log" "$work/archs"
  STUB_DIR=$work STUB_FAIL_PKG=$1 STUB_RUNS_I386=$2 BOARD_APT_RETRY_PAUSE=0 \
    PATH="$work/bin:$PATH" bash "$root/scripts/deps.sh" >"$work/out.log" 2>&1
}
asked_to_install() { grep '^apt-get install' "$work/calls.log" | grep -qw -- "$1"; }
printed() { grep -q -- "$1" "$work/out.log"; }
not_grep() { ! grep -q "$@"; }
every_required_asked() {
  local p
  for p in cmake g++-mingw-w64-x86-64 wine wine64 xvfb pulseaudio googletest clang; do
    asked_to_install "$p" || { echo "  $p was never asked for"; return 1; }
  done
}
updates_tried() { [ "$(grep -c '^apt-get update' "$work/calls.log")" = "$1" ]; }

# The day it happened, on a kernel that runs 32-bit programs.
run_deps wine32:i386 1
status=$?
check "a failed index and an uninstallable wine32 still end the set-up well (exit $status)" [ "$status" = 0 ]
check "every required package was asked for" every_required_asked
check "wine32 was tried" asked_to_install wine32:i386
check "a note says wine32 could not be installed, and why" printed "^note: wine32:i386 could not be installed (E: Unable to correct"
check "the failed update was a warning" printed "^warning: apt-get update still reports failed indexes"
check "each update was tried three times (required, then after adding i386)" updates_tried 6
check "the i386 architecture was added" grep -q 'add-architecture i386' "$work/calls.log"

# A kernel with no 32-bit programs: no i386 architecture, no wine32, a note that says so.
run_deps none 0
status=$?
check "no 32-bit kernel: the set-up ends well (exit $status)" [ "$status" = 0 ]
check "no 32-bit kernel: the i386 architecture is not added" not_grep 'add-architecture' "$work/calls.log"
check "no 32-bit kernel: wine32 is not asked for" not_grep 'wine32' "$work/calls.log"
check "no 32-bit kernel: a note says so" printed "^note: this kernel runs no 32-bit programs"

# A required package that cannot be installed fails the set-up, naming what was asked for.
run_deps g++-mingw-w64-x86-64 1
status=$?
check "a failed required install fails the set-up" [ "$status" != 0 ]
check "the package manager's own message is shown" printed "held broken packages"
check "the failure names the packages asked for" printed "^FAIL: could not install the required packages: .*g++-mingw-w64-x86-64"
check "nothing optional is tried after a required failure" not_grep 'wine32' "$work/calls.log"

if [ "$failures" != 0 ]; then
  echo "last run's output:"
  sed 's/^/  /' "$work/out.log"
  exit 1
fi
echo "set-up groups: all checks passed"
