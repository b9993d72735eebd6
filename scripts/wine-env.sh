# Shared by scripts/test, scripts/demo and the benchmarks: packages, build, a private Wine
# prefix inside the build folder, one Xvfb and one wineserver for a whole run.
# Source it; every function works on KRX_BUILD (the 64-bit build folder).

KRX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KRX_BUILD=${KRX_BUILD:-$KRX_ROOT/build/win64}
KRX_BUILD32=${KRX_BUILD32:-$KRX_ROOT/build/win32}

KRX_PACKAGES=(cmake ninja-build python3 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev googletest wine wine64 libwine xvfb
  xdotool imagemagick fonts-wine mscompress sdcc srecord)

krx_log() { printf '== %s\n' "$*" >&2; }

# Installs what is missing; apt-get runs only when something is.
krx_ensure_packages() {
  local missing=() p
  for p in "${KRX_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  krx_log "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    # With recommends: Wine's X11 driver needs the X extension libraries libwine recommends.
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# krx_build DIR TOOLCHAIN [extra cmake args]
krx_build() {
  local dir=$1 toolchain=$2
  shift 2
  cmake -S "$KRX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$KRX_ROOT/cmake/$toolchain" "$@" >/dev/null &&
    cmake --build "$dir"
}

krx_wine_env() {
  export WINEPREFIX=$KRX_BUILD/wineprefix
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono and no Gecko: the prefix is ready in seconds.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}

krx_prefix_init() {
  krx_wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    krx_log "creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || return 1
    wineserver -w
  fi
  # Without a window manager Wine draws caption and frame itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # The server that command started must be gone before the persistent one starts, or
  # `wineserver -p` finds it running, and the driver services later die with it.
  wineserver -w
}

KRX_XVFB_PID=""
# Starts an Xvfb of our own on a free display and exports DISPLAY.
krx_xvfb_start() {
  local n
  for n in $(seq 91 130); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    KRX_XVFB_PID=$!
    local i
    for i in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$KRX_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  krx_log "no Xvfb display could be started"
  return 1
}

# One persistent wineserver for the whole run, so the simulated driver services stay up.
krx_wineserver_start() {
  krx_wine_env
  wineserver -p </dev/null >/dev/null 2>&1
}

krx_sim_start() {
  "$KRX_ROOT/sim/sim-service.sh" start "$KRX_BUILD" >/dev/null
}

# Ends what this run started: the prefix's wineserver (and with it every Wine process of
# this prefix) and our own Xvfb.
krx_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  if [ -n "$KRX_XVFB_PID" ]; then
    kill "$KRX_XVFB_PID" 2>/dev/null
    wait "$KRX_XVFB_PID" 2>/dev/null
    KRX_XVFB_PID=""
  fi
}
