#!/usr/bin/env bash
# The cost of a request through VlxUsbDriver and KrxUsbDriver against bare overlapped
# DeviceIoControl calls on the same simulated devices, in one run (median and spread of the
# rounds). Builds what it needs (64-bit), starts the simulated drivers in the benchmark's own Wine
# prefix with a fresh device, measures, and stops what it started.
# Usage: bench/vlx-bench.sh [requests-per-round [rounds]]   (defaults 500 and 20)
set -uo pipefail
source "$(dirname "$0")/../scripts/wine-env.sh"

device=200
krx_ensure_packages || { echo "could not install the packages" >&2; exit 1; }
krx_build vlxbench simctl vlxsim krxsim 2>/dev/null || { echo "build failed" >&2; exit 1; }
krx_session bench-vlx sim || exit 1
simctl() { wine "$KRX_BUILD/sim/simctl.exe" "$@"; }
simctl vlx remove $device >/dev/null 2>&1
simctl krx remove $device >/dev/null 2>&1
simctl vlx add $device --version 1.08 >/dev/null || { echo "simctl vlx add failed" >&2; exit 1; }
simctl krx add $device >/dev/null || { echo "simctl krx add failed" >&2; exit 1; }

wine "$KRX_BUILD/bench/vlxbench.exe" $device "${1:-500}" "${2:-20}"
status=$?
simctl vlx remove $device >/dev/null 2>&1
simctl krx remove $device >/dev/null 2>&1
exit $status
