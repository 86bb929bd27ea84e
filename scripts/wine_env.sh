# Sourced by the build, run and test scripts: picks the Windows architecture this machine
# can run under Wine and prepares a Wine prefix for a build directory.
#
# Some kernels run without 32-bit support (execve of any i386 binary fails), and then
# wine32 cannot start. The product is always the i686 exe; where 32-bit programs cannot
# run, the same sources are also built for x86_64 and run under wine64.

board_test_arch() {
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
  else
    echo x86_64
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
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
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
