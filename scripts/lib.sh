# Shared by scripts/test and scripts/run.
. "$root/standins/register.sh"

# How this machine executes the Windows programs, in DP_MODE with the reason in DP_MODE_WHY:
#   native  the product's 32-bit build under Debian 12's Wine, where the kernel starts 32-bit programs;
#   wow64   the same build under Debian 13's Wine 10 in its WoW64 mode, inside the root that
#           scripts/setup makes (no 32-bit Linux programs needed, but 32-bit code must run);
#   win64   the 64-bit build of the same sources under wine64, where neither can run.
# Where the kernel starts 32-bit programs and root or sudo is at hand, DP_ALSO_WOW64 is set: the
# win32 suite runs natively, then again under the root's Wine 10 (DP_ONE_WINE=1 leaves that out).
# DP_WINE_MODE=native|wow64|win64 chooses one mode by hand.
DP_ROOT=${DP_WOW64_ROOT:-/var/cache/driftpane/trixie-wine10}
DP_ROOT_STAMP="$DP_ROOT/.driftpane-root-2"
dp_wine_mode() {
  local answer
  case ${DP_WINE_MODE:-} in
    native|wow64|win64)
      DP_MODE=$DP_WINE_MODE
      DP_MODE_WHY="chosen by DP_WINE_MODE"
      return 0 ;;
    "") ;;
    *) echo "DP_WINE_MODE must be native, wow64 or win64, not $DP_WINE_MODE" >&2; return 1 ;;
  esac
  if answer=$(/usr/lib/wine/wine --version 2>&1); then
    DP_MODE=native
    DP_MODE_WHY="this machine runs 32-bit programs"
    # Where the root can be made too, the same build runs under both Wines.
    if [ -z "${DP_ONE_WINE:-}" ] && { [ "$(id -u)" = 0 ] || sudo -n true 2>/dev/null; }; then
      DP_ALSO_WOW64=1
    fi
    return 0
  fi
  DP_KERNEL_ANSWER=${answer:-no answer}
  if ! dp_runs_32bit_code; then
    DP_MODE=win64
    DP_MODE_WHY="this kernel runs no 32-bit code at all, so neither Wine can run the 32-bit build"
  elif [ "$(id -u)" = 0 ] || sudo -n true 2>/dev/null; then
    DP_MODE=wow64
    DP_MODE_WHY="this kernel cannot start 32-bit programs"
  else
    DP_MODE=win64
    DP_MODE_WHY="this kernel cannot start 32-bit programs (\"$DP_KERNEL_ANSWER\") and the Debian 13 root needs root or sudo"
  fi
}

# Whether a 64-bit process may run 32-bit code, which Wine's WoW64 mode needs even where the
# kernel starts no 32-bit programs (scripts/ia32-probe.c says how it is asked).
dp_runs_32bit_code() {
  local probe="$root/build/ia32-probe"
  if [ ! -x "$probe" ] || [ "$root/scripts/ia32-probe.c" -nt "$probe" ]; then
    mkdir -p "$root/build" && ${CC:-cc} -O1 -no-pie -o "$probe" "$root/scripts/ia32-probe.c" 2>/dev/null || return 1
  fi
  "$probe"
}

# The sentence scripts/test starts with.
dp_mode_line() {
  case $DP_MODE in
    native) echo "win32 under Wine: $DP_MODE_WHY" ;;
    wow64) echo "win32 under Wine WoW64 in the Debian 13 root: $DP_MODE_WHY" ;;
    win64) echo "win64 under wine64 (the fallback): $DP_MODE_WHY" ;;
  esac
}

dp_windows_preset() {
  if [ "$DP_MODE" = win64 ]; then echo win64; else echo win32; fi
}

# wow64 only: a private mount namespace in which the root sees /proc, /dev, /tmp (the X
# sockets, Wine's server sockets) and this repository at its own path. Re-runs the calling
# script inside it; the mounts go away with it.
dp_enter_root() {
  [ "$DP_MODE" = wow64 ] || return 0
  if [ -z "${DP_IN_ROOT_NS:-}" ]; then
    [ -f "$DP_ROOT_STAMP" ] || { echo "the Debian 13 root $DP_ROOT is not made: run scripts/setup" >&2; return 1; }
    local sudo=""
    [ "$(id -u)" = 0 ] || sudo="sudo -E"
    export DP_IN_ROOT_NS=1 DP_WINE_MODE=wow64
    exec $sudo unshare --mount --propagation private "$0" "$@"
  fi
  local d
  for d in /proc /dev /tmp "$root"; do
    mkdir -p "$DP_ROOT$d"
    mount --rbind "$d" "$DP_ROOT$d" || return 1
  done
  # cmake/wine-run runs the programs inside the root when this is set.
  export DP_WINE_ROOT=$DP_ROOT
}

# Wine's commands for the chosen mode, in the prefix that dp_wine_env chose.
dp_wine() {
  case $DP_MODE in
    native) wine "$@" ;;
    win64) /usr/lib/wine/wine64 "$@" ;;
    wow64) chroot "$DP_ROOT" /bin/sh -c 'cd "$1" && shift && exec "$@"' sh "$PWD" /usr/lib/wine/wine64 "$@" ;;
  esac
}
dp_wineserver() {
  case $DP_MODE in
    wow64) chroot "$DP_ROOT" /usr/lib/wine/wineserver "$@" ;;
    *) wineserver "$@" ;;
  esac
}

dp_build() {
  local p=$1
  # Configure every time: folders that gained a CMakeLists.txt join the build only then.
  cmake --preset "$p" >"build/$p.configure.log" 2>&1 || { cat "build/$p.configure.log"; return 1; }
  cmake --build --preset "$p" 2>&1 | grep -v -E '^\[[0-9]+/[0-9]+\] ' ; return "${PIPESTATUS[0]}"
}

# PREFIX_DIR (optional): the prefix's folder under build/<preset>; the tests use "wineprefix".
# The root's Wine 10 keeps a 64-bit prefix of its own beside it (cmake/wine-run does the same).
dp_wine_env() {
  local p=$1
  export WINEPREFIX="$root/build/$p/${2:-wineprefix}"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  unset WINEARCH WINELOADER
  case $DP_MODE in
    win64) export WINELOADER=/usr/lib/wine/wine64 ;;
    wow64) WINEPREFIX="$WINEPREFIX-wow64" ;;
    native) export WINEARCH=win32 ;;
  esac
}

# One prefix under the build folder, booted once; one persistent wineserver serves the whole run.
dp_prepare_prefix() {
  local p=$1
  dp_wine_env "$p" "${2:-}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    dp_wine wineboot -i >/dev/null 2>&1 || return 1
    dp_wineserver -w
  fi
  dp_wineserver -p 2>/dev/null || true
  DP_WINESERVER_STARTED=1
  local stamp="$WINEPREFIX/.driftpane-prefix-2"
  if [ ! -f "$stamp" ]; then
    # Xvfb has no window manager: Wine must not wait for one on every hide and destroy,
    # and draws the frames itself.
    dp_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || return 1
    # Wine's own scheme has black caption text; Windows' standard schemes have white, and the
    # builder's tips panel is painted in that colour.
    dp_wine reg add 'HKCU\Control Panel\Colors' /v TitleText /d '255 255 255' /f </dev/null >/dev/null 2>&1 || return 1
    touch "$stamp"
  fi
  # Wine draws the frame buttons with Marlett, which fonts-wine has but the prefix does not find.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/" || return 1
  fi
  # Start the prefix's own services now, with nothing attached: a test program that started them
  # would hand them its output pipe, and CTest would wait for them to end.
  dp_wine cmd /c exit </dev/null >/dev/null 2>&1 || return 1
  # Our Active Desktop and Flash control, from this build, on every run so the paths follow it.
  dp_register_standins "$p" </dev/null >/dev/null || return 1
}

# Xvfb for the GUI tests: a display of our own, so that tests never touch the user's desktop.
dp_start_display() {
  # Xvfb picks a free display number itself and says which (-displayfd): two runs starting at
  # once never end up on the same display.
  local out n
  out=$(mktemp "${TMPDIR:-/tmp}/dp-display.XXXXXX") || return 1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out" >/dev/null 2>&1 &
  DP_XVFB_PID=$!
  for _ in $(seq 100); do
    n=$(head -n 1 "$out" 2>/dev/null)
    [ -n "$n" ] && [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$DP_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$out"
  if [ -z "$n" ] || [ ! -e "/tmp/.X11-unix/X$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

dp_stop_all() {
  if [ -n "${DP_WINESERVER_STARTED:-}" ]; then
    dp_wineserver -k 2>/dev/null || true
  fi
  if [ -n "${DP_XVFB_PID:-}" ]; then
    kill "$DP_XVFB_PID" 2>/dev/null || true
    wait "$DP_XVFB_PID" 2>/dev/null || true
  fi
}
