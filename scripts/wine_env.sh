# Sourced by the build, run and test scripts: picks the Windows architecture this machine
# can run under Wine and prepares a Wine prefix for a build directory.
#
# Some kernels run without 32-bit support (execve of any i386 binary fails), and then
# wine32 cannot start. The product is always the i686 exe; where 32-bit programs cannot
# run, the same sources are also built for x86_64 and run under wine64.

wine32_runs() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }

board_test_arch() {
  if wine32_runs; then echo i686; else echo x86_64; fi
}

# Whether this kernel starts a 32-bit program, asked without wine32: a program of a few
# bytes that only exits, made on the spot by the clang the set-up installs.
kernel_runs_i386() {
  local dir ok=1
  dir=$(mktemp -d) || return 1
  printf 'void _start(void) { __asm__ volatile("int $0x80" : : "a"(1), "b"(0)); }\n' >"$dir/exit.c"
  clang -m32 -nostdlib -static -O1 "$dir/exit.c" -o "$dir/exit32" >/dev/null 2>&1 && "$dir/exit32" 2>/dev/null && ok=0
  rm -rf "$dir"
  return $ok
}

# One line for the summary: which build the Windows tests run, and why not the product's.
board_arch_line() {
  if wine32_runs; then
    echo "Windows tests on i686"
  elif kernel_runs_i386; then
    echo "Windows tests on x86_64: wine32 is not installed or does not start"
  else
    echo "Windows tests on x86_64: this kernel runs no 32-bit programs"
  fi
}

# board_wine_setup ARCH PREFIX_DIR [headless]: exports WINE, WINEPREFIX and friends and
# makes sure the prefix exists with the Chinese font mapping. A headless prefix (Xvfb, no
# window manager) keeps its windows unmanaged: otherwise Wine waits 2 s for a window
# manager to withdraw every window it destroys.
board_wine_setup() {
  local arch=$1 prefix=$2 headless=${3:-}
  if [ "$arch" = i686 ]; then
    export WINE=/usr/lib/wine/wine
  else
    export WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
  fi
  export WINEPREFIX=$prefix
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  export LC_ALL=C.UTF-8
  if [ ! -f "$WINEPREFIX/.board-ready" ]; then
    # A prefix without the mark is one whose making failed or was cut short: make it anew.
    rm -rf "${WINEPREFIX:?}"
    mkdir -p "$WINEPREFIX"
    if ! "$WINE" wineboot -i >"$WINEPREFIX.wineboot.log" 2>&1; then
      wineserver -k 2>/dev/null
      echo "wineboot could not make the Wine prefix $WINEPREFIX; its log:"
      sed 's/^/  /' "$WINEPREFIX.wineboot.log"
      return 1
    fi
    wineserver -w
    # Anti-aliased text, as a desktop shows it.
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /d 2 /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d 2 /f >/dev/null 2>&1
    for face in 宋体 SimSun 新宋体 NSimSun; do
      "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "WenQuanYi Zen Hei" /f >/dev/null 2>&1
    done
    if [ "$headless" = headless ]; then
      "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    wineserver -w
    touch "$WINEPREFIX/.board-ready"
  fi
}
