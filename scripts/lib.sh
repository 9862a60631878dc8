# Shared by scripts/test and scripts/run.
. "$root/standins/register.sh"

# Windows tests run from the product's 32-bit build where this machine can execute 32-bit code,
# else from the 64-bit build of the same sources under wine64.
dp_windows_preset() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}

dp_build() {
  local p=$1
  # Configure every time: folders that gained a CMakeLists.txt join the build only then.
  cmake --preset "$p" >"build/$p.configure.log" 2>&1 || { cat "build/$p.configure.log"; return 1; }
  cmake --build --preset "$p" 2>&1 | grep -v -E '^\[[0-9]+/[0-9]+\] ' ; return "${PIPESTATUS[0]}"
}

# PREFIX_DIR (optional): the prefix's folder under build/<preset>; the tests use "wineprefix".
dp_wine_env() {
  local p=$1
  export WINEPREFIX="$root/build/$p/${2:-wineprefix}"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ "$p" = win64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    DP_WINE=/usr/lib/wine/wine64
  else
    export WINEARCH=win32
    DP_WINE=wine
  fi
}

# One prefix under the build folder, booted once; one persistent wineserver serves the whole run.
dp_prepare_prefix() {
  local p=$1
  dp_wine_env "$p" "${2:-}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$DP_WINE" wineboot -i >/dev/null 2>&1 || return 1
    wineserver -w
  fi
  wineserver -p 2>/dev/null || true
  DP_WINESERVER_STARTED=1
  local stamp="$WINEPREFIX/.driftpane-prefix-2"
  if [ ! -f "$stamp" ]; then
    # Xvfb has no window manager: Wine must not wait for one on every hide and destroy,
    # and draws the frames itself.
    "$DP_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || return 1
    # Wine's own scheme has black caption text; Windows' standard schemes have white, and the
    # builder's tips panel is painted in that colour.
    "$DP_WINE" reg add 'HKCU\Control Panel\Colors' /v TitleText /d '255 255 255' /f </dev/null >/dev/null 2>&1 || return 1
    touch "$stamp"
  fi
  # Wine draws the frame buttons with Marlett, which fonts-wine has but the prefix does not find.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/" || return 1
  fi
  # Start the prefix's own services now, with nothing attached: a test program that started them
  # would hand them its output pipe, and CTest would wait for them to end.
  "$DP_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || return 1
  # Our Active Desktop and Flash control, from this build, on every run so the paths follow it.
  dp_register_standins "$p" </dev/null >/dev/null || return 1
}

# Xvfb for the GUI tests: a display of our own, so that tests never touch the user's desktop.
dp_start_display() {
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    DP_XVFB_PID=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    export DISPLAY=":$n"
    return 0
  done
  echo "no free X display number" >&2
  return 1
}

dp_stop_all() {
  if [ -n "${DP_WINESERVER_STARTED:-}" ]; then
    wineserver -k 2>/dev/null || true
  fi
  if [ -n "${DP_XVFB_PID:-}" ]; then
    kill "$DP_XVFB_PID" 2>/dev/null || true
    wait "$DP_XVFB_PID" 2>/dev/null || true
  fi
}
