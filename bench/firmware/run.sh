#!/usr/bin/env bash
# Intel HEX parse throughput of the firmware reader under Wine, beside srec_cat (native)
# turning the same texts into binary. Builds what is missing first.
# Usage: bench/firmware/run.sh [seconds-per-case]   (KRX_BUILD picks the 64-bit build folder)
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"

seconds=${1:-2}
krx_ensure_packages || { echo "could not install the packages" >&2; exit 1; }
krx_build firmware_bench 2>/dev/null || { echo "build failed" >&2; exit 1; }
krx_session bench-firmware || exit 1

work=$KRX_BUILD/bench-firmware
mkdir -p "$work"
echo "== IntelHexData::parse under Wine ($(wine --version 2>/dev/null))"
# The program's texts are Windows-1252.
wine "$KRX_BUILD/bench/firmware_bench.exe" "$(winepath -w "$work")" "$seconds" | iconv -f CP1252 -t UTF-8
[ "${PIPESTATUS[0]}" -eq 0 ] || exit 1

# Median wall time of srec_cat for one file, in seconds; startup is measured on an empty text.
srec_time() {
  local file=$1 runs=$2 i start end times=()
  for i in $(seq "$runs"); do
    start=$(date +%s%N)
    srec_cat "$file" -intel -o "$work/out.bin" -binary 2>/dev/null
    end=$(date +%s%N)
    times+=($((end - start)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.6f", a[int((NR+1)/2)]/1e9}'
}

printf ':00000001FF' > "$work/empty.hex"
echo "== srec_cat $(srec_cat -version | head -n 1 | awk '{print $3}') (native), median of 21 runs, -intel to -binary"
startup=$(srec_time "$work/empty.hex" 21)
printf '%-28s %s s (process start and exit)\n' "end record only" "$startup"
for name in builtin full; do
  file=$work/$name.hex
  t=$(srec_time "$file" 21)
  size=$(stat -c %s "$file")
  awk -v n="$name.hex" -v s="$size" -v t="$t" -v st="$startup" 'BEGIN {
    net = t - st
    rest = net > 0.0005 ? sprintf("%.1f MB/s without start-up", s / net / 1e6) : "start-up only, within noise"
    printf "%-28s %8d bytes %9.1f us/run %8.1f MB/s  (%s)\n", n, s, t * 1e6, s / t / 1e6, rest }'
done
