# Shared by scripts/test, scripts/demo, the cycle scripts, the benchmarks and
# sim/sim-service.sh: packages, the build, and a run's own Wine prefix, Xvfb and wineserver.
# Source it; every function works on KRX_BUILD (the 64-bit build folder).
#
# Each kind of run (test, demo, each cycle script, one per benchmark) has a prefix of its own in the
# build folder, and with it a wineserver and simulated drivers of its own: a demo started while
# the tests run never stops or reloads the tests' drivers.

KRX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KRX_BUILD=${KRX_BUILD:-$KRX_ROOT/build/win64}
KRX_BUILD32=${KRX_BUILD32:-$KRX_ROOT/build/win32}

KRX_PACKAGES=(cmake ninja-build python3 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev googletest wine wine64 libwine xvfb
  xdotool imagemagick fonts-wine mscompress srecord nsis)

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

# krx_build [-DVAR=VALUE...] [TARGET...]: configures and builds the 64-bit build folder, only the
# named targets when there are any. krx_build32 does the same for the 32-bit compile check.
# The build's output goes to standard error, so a script's own output stays clean.
krx_build() { krx_build_in "$KRX_BUILD" mingw-w64-x86_64.cmake "$@"; }
krx_build32() { krx_build_in "$KRX_BUILD32" mingw-w64-i686.cmake "$@"; }
krx_build_in() {
  local dir=$1 toolchain=$2 defs=() targets=() a
  shift 2
  for a in "$@"; do
    case $a in -D*) defs+=("$a") ;; *) targets+=(--target "$a") ;; esac
  done
  cmake -S "$KRX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$KRX_ROOT/cmake/$toolchain" "${defs[@]}" >/dev/null &&
    cmake --build "$dir" "${targets[@]}" >&2
}

# krx_wine_env [RUN]: the Wine environment of a kind of run; the tests' prefix is
# build/win64/wineprefix, every other run's is build/win64/wineprefix-RUN.
krx_wine_env() {
  local run=${1:-test}
  if [ "$run" = test ]; then
    export WINEPREFIX=$KRX_BUILD/wineprefix
  else
    export WINEPREFIX=$KRX_BUILD/wineprefix-$run
  fi
  krx_wine_defaults
}

krx_wine_defaults() {
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono and no Gecko: the prefix is ready in seconds. No winemenubuilder: the shortcuts an
  # installer makes stay in the prefix instead of reaching the desktop's menus.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
}

# Creates the prefix when missing and makes it look as Windows does.
krx_prefix_init() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    krx_log "creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || return 1
    wineserver -w
  fi
  # Without a window manager Wine draws caption and frame itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # Debian's Wine 8 takes its data folder as /usr/lib/wine/../../share/wine and never reads the
  # fonts there (a file trace shows no access to them): without Marlett the caption buttons show
  # its letters in another font ("r" for the close box), without Tahoma and MS Sans Serif other
  # faces stand in. From the prefix's own Fonts folder Wine loads them.
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/*.ttf "$fonts/" || return 1
  fi
  # The server that these commands started must be gone before the persistent one starts, or
  # `wineserver -p` finds it running, and the driver services later die with it.
  wineserver -w
}

KRX_XVFB_PID=""
# Starts an Xvfb of our own and exports DISPLAY. Xvfb picks a free display itself and writes its
# number once it accepts connections; one that does not come up within 10 s is stopped.
krx_xvfb_start() {
  local ready n="" i
  ready=$(mktemp) || return 1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
  KRX_XVFB_PID=$!
  for i in $(seq 100); do
    read -r n <"$ready" && [ -n "$n" ] && break
    n=""
    kill -0 "$KRX_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$ready"
  if [ -z "$n" ]; then
    krx_log "no Xvfb display could be started"
    krx_xvfb_stop
    return 1
  fi
  export DISPLAY=":$n"
}

krx_xvfb_stop() {
  [ -n "$KRX_XVFB_PID" ] || return 0
  kill "$KRX_XVFB_PID" 2>/dev/null
  wait "$KRX_XVFB_PID" 2>/dev/null
  KRX_XVFB_PID=""
}

# True when this prefix's wineserver runs and was started persistent ("-p" after the "-p0" that
# Debian's wrapper puts first). A server works in a folder named after the prefix's device and inode.
krx_wineserver_is_persistent() {
  local name pid cwd
  name=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for pid in $(pgrep wineserver); do
    cwd=$(readlink "/proc/$pid/cwd" 2>/dev/null) || continue
    [ "${cwd##*/}" = "$name" ] || continue
    tr '\0' '\n' <"/proc/$pid/cmdline" | grep -qx -- '-p' && return 0
  done
  return 1
}

# One persistent wineserver for the prefix, so the simulated driver services outlive each wine
# command. A server that a passing wine command started ends with it: wait for it to go first.
krx_wineserver_start() {
  local i
  for i in $(seq 50); do
    wineserver -p </dev/null >/dev/null 2>&1 && return 0
    krx_wineserver_is_persistent && return 0
    sleep 0.2
  done
  krx_log "warning: the wineserver of $WINEPREFIX is not persistent; the drivers live only as long as it"
}

krx_sim_start() {
  "$KRX_ROOT/sim/sim-service.sh" start "$KRX_BUILD" >/dev/null
}

# krx_session RUN [xvfb] [sim]: everything a run of kind RUN needs, stopped again when the
# script exits: its prefix (refused while another run of the same kind uses it), an Xvfb when
# asked, one persistent wineserver, and the simulated drivers when asked.
krx_session() {
  local run=$1 want
  shift
  krx_wine_env "$run"
  krx_claim_prefix || return 1
  trap krx_stop EXIT
  krx_prefix_init || { krx_log "no Wine prefix"; return 1; }
  for want in "$@"; do
    [ "$want" = xvfb ] && { krx_xvfb_start || return 1; }
  done
  krx_wineserver_start
  for want in "$@"; do
    [ "$want" = sim ] && { krx_sim_start || { krx_log "the simulated drivers did not start"; return 1; }; }
  done
  return 0
}

# A prefix serves one run at a time: its owner's process id is kept beside it. A server left by
# a run that died is ended before the prefix is used again.
KRX_PREFIX_OWNED=""
krx_claim_prefix() {
  local owner=$WINEPREFIX.owner pid
  mkdir -p "$(dirname "$WINEPREFIX")" || return 1
  pid=$(cat "$owner" 2>/dev/null)
  if [ -n "$pid" ] && [ "$pid" != $$ ] && kill -0 "$pid" 2>/dev/null; then
    krx_log "$WINEPREFIX is in use by process $pid (another run of the same kind)"
    return 1
  fi
  echo $$ >"$owner" || return 1
  KRX_PREFIX_OWNED=$owner
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  return 0
}

# Ends what this run started: the prefix's wineserver (and with it every Wine process of this
# prefix, the drivers too) and our own Xvfb.
krx_stop() {
  if [ -n "$KRX_PREFIX_OWNED" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    rm -f "$KRX_PREFIX_OWNED"
    KRX_PREFIX_OWNED=""
  fi
  krx_xvfb_stop
}
