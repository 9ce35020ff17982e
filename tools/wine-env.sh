# Sourced by the tools: a private virtual display and a private Wine prefix for one build
# folder, torn down again by wandrel_env_stop (also on exit).
#   wandrel_env_start BUILD_DIR ARCH     ARCH is i686 or x86_64
# With WANDREL_OWN_DISPLAY=0 and DISPLAY set, the given display is used instead.

wandrel_loader() {
  if [ "$1" = x86_64 ]; then echo /usr/lib/wine/wine64; else echo /usr/lib/wine/wine; fi
}

# True when this machine runs the 32-bit Wine loader natively (some kernels run no 32-bit
# code; 32-bit Wine under a user-mode emulator is far too slow to test with).
wandrel_can_run_32() {
  [ -x /usr/lib/wine/wine ] || return 1
  grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386 && return 1
  timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1
}

wandrel_start_xvfb() {
  # Xvfb picks a free display itself and tells us its number.
  local fifo="$1/.displayfd" i
  rm -f "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  WANDREL_XVFB_PID=$!
  for i in $(seq 100); do [ -s "$fifo" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$fifo")"
  rm -f "$fifo"
}

wandrel_env_start() {
  local build=$1 arch=$2
  mkdir -p "$build"
  build=$(cd "$build" && pwd)
  export WINE_LOADER WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  WINE_LOADER=$(wandrel_loader "$arch")
  WINEPREFIX="$build/wineprefix"
  if [ "$arch" = x86_64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
  trap wandrel_env_stop EXIT
  if [ "${WANDREL_OWN_DISPLAY:-1}" != 0 ] || [ -z "${DISPLAY:-}" ]; then
    wandrel_start_xvfb "$build"
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-env: creating Wine prefix $WINEPREFIX"
    "$WINE_LOADER" wineboot -i >/dev/null 2>&1 || true
    # Without a window manager, Wine would wait two seconds for one at every hide and close
    # of a framed window; unmanaged windows behave the same otherwise.
    "$WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Debian's Wine does not look for its own fonts in /usr/share/wine/fonts; a Windows
  # installation has them in its Fonts folder, and so does the prefix.
  if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  wineserver -p
  # Start the desktop process (it owns the system tray) before anything is measured.
  "$WINE_LOADER" cmd /c exit >/dev/null 2>&1 || true
}

wandrel_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "${WANDREL_XVFB_PID:-}" ]; then
    kill "$WANDREL_XVFB_PID" 2>/dev/null || true
    wait "$WANDREL_XVFB_PID" 2>/dev/null || true
  fi
  WANDREL_XVFB_PID=
}
