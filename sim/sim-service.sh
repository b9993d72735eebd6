#!/usr/bin/env bash
# Installs and starts, or stops, the simulated drivers in the Wine prefix of a build folder.
# Usage: sim/sim-service.sh start|stop|restart BUILD_DIR
#
# start: (stops them if they run, then) copies vlxsim.sys and krxsim.sys from BUILD_DIR/sim into the prefix's
#   C:\windows\system32\drivers, creates the kernel services vlxsim and krxsim (demand start),
#   starts them and waits until \\.\VlxSimControl and \\.\KrxSimControl answer simctl.
#   Then installs the simulated game controller (joysim.sys from joysim.inf, a root-enumerated HID
#   device) with its default layout, when the build has it.
# stop: stops both services (their devices go with them); the game controller stays installed.
#
# The prefix is WINEPREFIX when set (the scripts set their run's own), else the tests' prefix
# BUILD_DIR/wineprefix. A demand-start service lives only as long as the prefix's wineserver: the
# scripts keep one up for their run; otherwise start does `wineserver -p` itself, and
# `wineserver -k` (with the same WINEPREFIX) ends everything.
set -uo pipefail

usage() {
  echo "usage: $0 start|stop|restart BUILD_DIR" >&2
  exit 2
}
[ $# -eq 2 ] || usage
action=$1
build=$(cd "$2" 2>/dev/null && pwd) || { echo "sim-service: no build folder $2" >&2; exit 2; }

KRX_BUILD=$build
source "$(dirname "$0")/../scripts/wine-env.sh"
# The scripts pass their run's prefix in WINEPREFIX; by hand, the tests' prefix of the build.
if [ -n "${WINEPREFIX:-}" ]; then
  krx_wine_defaults
else
  krx_wine_env test
fi

services=(vlxsim krxsim)
simctl=$build/sim/simctl.exe
drivers=$WINEPREFIX/drive_c/windows/system32/drivers

say() { printf 'sim-service: %s\n' "$*" >&2; }

# RUNNING, STOPPED, ... or nothing when the service does not exist.
service_state() {
  wine sc query "$1" 2>/dev/null | tr -d '\r' | awk '/STATE/ { print $4; exit }'
}

controls_answer() {
  wine "$simctl" status >/dev/null 2>&1
}

start() {
  local s f
  for f in "$simctl" "$build/sim/vlxsim.sys" "$build/sim/krxsim.sys"; do
    [ -f "$f" ] || { say "missing $f (build the project first)"; return 1; }
  done
  # Set-up waits for the prefix's server to end: only for a prefix that no run has set up yet.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    krx_prefix_init || { say "no Wine prefix $WINEPREFIX"; return 1; }
  fi
  krx_wineserver_start
  mkdir -p "$drivers" || return 1
  # An installed game controller comes back with the first wine command and loads the driver
  # found here: put this build's there first (a loaded image is kept until the server ends).
  if [ -f "$build/sim/joysim.sys" ]; then
    cp "$build/sim/joysim.sys" "$drivers/joysim.sys.new" && mv -f "$drivers/joysim.sys.new" "$drivers/joysim.sys" || return 1
  fi
  for s in "${services[@]}"; do
    # A running service may hold an older build: this build's driver is what starts.
    if [ "$(service_state "$s")" = RUNNING ]; then
      wine net stop "$s" >/dev/null 2>&1 || { say "net stop $s failed"; return 1; }
    fi
    # Copy beside and rename: a driver image that a winedevice still maps is never rewritten.
    cp "$build/sim/$s.sys" "$drivers/$s.sys.new" && mv -f "$drivers/$s.sys.new" "$drivers/$s.sys" || return 1
    if [ -z "$(service_state "$s")" ]; then
      wine sc create "$s" type= kernel start= demand binPath= "C:\\windows\\system32\\drivers\\$s.sys" \
        >/dev/null 2>&1 || { say "sc create $s failed"; return 1; }
    fi
    wine net start "$s" >/dev/null 2>&1 || [ "$(service_state "$s")" = RUNNING ] ||
      { say "net start $s failed"; return 1; }
  done
  local i
  for i in $(seq 100); do
    controls_answer && break
    sleep 0.2
  done
  controls_answer || { say "the control devices do not answer"; return 1; }
  if [ -f "$build/sim/joysim.sys" ]; then
    wine "$simctl" joy add >/dev/null 2>&1 || { say "simctl joy add failed"; return 1; }
  fi
  return 0
}

stop() {
  local s status=0
  for s in "${services[@]}"; do
    [ "$(service_state "$s")" = RUNNING ] || continue
    wine net stop "$s" >/dev/null 2>&1 || { say "net stop $s failed"; status=1; }
  done
  return $status
}

case $action in
  start) start ;;
  stop) stop ;;
  restart) stop && start ;;
  *) usage ;;
esac
