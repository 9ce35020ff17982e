# Sourced by the tools: a private virtual display and a private Wine prefix for one build
# folder, torn down again by wandrel_env_stop (also on exit).
#   wandrel_env_start BUILD_DIR ARCH     ARCH is i686 or x86_64
# With WANDREL_OWN_DISPLAY=0 and DISPLAY set, the given display is used instead.

wandrel_loader() {
  if [ "$1" = x86_64 ]; then echo /usr/lib/wine/wine64; else echo /usr/lib/wine/wine; fi
}

wandrel_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# True when a qemu-i386 binfmt entry is enabled for the whole machine: 32-bit programs are
# emulated then, whatever the kernel could do.
wandrel_i386_emulated_systemwide() {
  local f
  for f in /proc/sys/fs/binfmt_misc/*; do
    grep -qs '^enabled' "$f" && grep -qs '^interpreter .*qemu-i386' "$f" && return 0
  done
  return 1
}

# How this machine runs the 32-bit Wine loader, one line:
#   native                the kernel runs 32-bit programs
#   emulated (HOW)        through qemu's user-mode emulator, see tools/with-i386-emulation
#   none: WHY
# WANDREL_32_MODE=emulated asks for the emulator where the kernel would run 32-bit Wine itself,
# to try that path on any machine.
wandrel_32_mode() {
  [ -x /usr/lib/wine/wine ] || { echo "none: 32-bit Wine (wine32:i386) is not installed"; return; }
  if [ "${WANDREL_32_MODE:-}" != emulated ] && ! wandrel_i386_emulated_systemwide &&
    timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo native
    return
  fi
  local how
  how=$("$wandrel_tools/with-i386-emulation" --how) || { echo "$how"; return; }
  if "$wandrel_tools/with-i386-emulation" timeout 300 /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "emulated (${how%%:*})"
  else
    echo "none: the 32-bit Wine loader does not start under qemu-i386 ($how)"
  fi
}

# True where 32-bit Wine runs at full speed: what tools/run and tools/bench use it for.
wandrel_can_run_32() { [ "$(wandrel_32_mode)" = native ]; }

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

# A new prefix is a copy of one made once per architecture and project folder: making one
# costs 10-20 s natively and many minutes where 32-bit Wine is emulated.
wandrel_prefix_from_template() {
  local template="$wandrel_tools/../build/wine-template-$1"
  if [ ! -f "$template/system.reg" ]; then
    echo "wine-env: creating the $1 Wine prefix template"
    rm -rf "$template" "$template.new"
    (
      WINEPREFIX="$template.new"
      "$WINE_LOADER" wineboot -i >/dev/null 2>&1 || true
      # Without a window manager, Wine would wait two seconds for one at every hide and close
      # of a framed window; unmanaged windows behave the same otherwise.
      "$WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      wineserver -w
    )
    [ -f "$template.new/system.reg" ] && mv "$template.new" "$template"
  fi
  echo "wine-env: new Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  cp -a "$template" "$WINEPREFIX"
}

wandrel_env_start() {
  local build=$1 arch=$2
  mkdir -p "$build"
  build=$(cd "$build" && pwd)
  # No .NET or HTML engine installs and no Linux menu entries (a process at every session
  # start, minutes where 32-bit Wine is emulated).
  export WINE_LOADER WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # The server is the same for 32- and 64-bit programs: the native one also serves 32-bit
  # Wine where that runs emulated.
  [ -x /usr/lib/wine/wineserver64 ] && export WINESERVER=/usr/lib/wine/wineserver64
  WINE_LOADER=$(wandrel_loader "$arch")
  WINEPREFIX="$build/wineprefix"
  if [ "$arch" = x86_64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
  trap wandrel_env_stop EXIT
  if [ "${WANDREL_OWN_DISPLAY:-1}" != 0 ] || [ -z "${DISPLAY:-}" ]; then
    wandrel_start_xvfb "$build"
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wandrel_prefix_from_template "$arch"
  fi
  # Debian's Wine does not look for its own fonts in /usr/share/wine/fonts; a Windows
  # installation has them in its Fonts folder, and so does the prefix.
  if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # WANDREL_PREFIX_ONLY=1: only the prefix, no session in it (each costs minutes emulated).
  [ "${WANDREL_PREFIX_ONLY:-0}" = 1 ] && return 0
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
