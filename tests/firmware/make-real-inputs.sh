#!/bin/sh
# Writes the reader's real inputs, made by the tools of Debian's packages, and the images those
# tools meant, into OUT:
#   sdcc.ihx                   sdcc's link of blinker8051.c
#   sdcc-makebin.bin           sdcc's own binary of it (makebin, gaps 0xFF)
#   sdcc-fill00/-fillFF.bin    srec_cat's 32 KiB binaries of it with gaps 00 / FF: a cell is
#                              present exactly where the two agree
#   blob.bin                   1000 bytes from a fixed seed
#   objcopy.hex                objcopy -O ihex of blob.bin placed at 0x2345
#   objcopy-start.hex          the same with a start address record (type 03)
#   objcopy-top.hex            17 bytes of blob.bin at 0x7FF0, one past a 32 KiB image
#   srec.hex                   srec_cat of blob.bin at 0x0400, 16-bit addresses only
#   srec-ext.hex               srec_cat's default output: an extended linear address record
# Usage: make-real-inputs.sh SOURCE_DIR OUT_DIR
set -eu
src=$1
out=$2
mkdir -p "$out/sdcc"
cd "$out"

sdcc -mmcs51 -o sdcc/blinker.ihx "$src/blinker8051.c"
cp sdcc/blinker.ihx sdcc.ihx
makebin -p sdcc.ihx sdcc-makebin.bin
# srec_cat warns that sdcc's records are not in address order; that is what we want to read.
srec_cat sdcc.ihx -intel -fill 0x00 0 0x8000 -o sdcc-fill00.bin -binary 2>/dev/null
srec_cat sdcc.ihx -intel -fill 0xFF 0 0x8000 -o sdcc-fillFF.bin -binary 2>/dev/null

python3 -c '
import random, sys
r = random.Random(1234)
sys.stdout.buffer.write(bytes(r.getrandbits(8) for _ in range(1000)))' > blob.bin
objcopy -I binary -O ihex --change-section-address .data+0x2345 blob.bin objcopy.hex
objcopy -I binary -O ihex --change-addresses 0x2345 blob.bin objcopy-start.hex
head -c 17 blob.bin > blob17.bin
objcopy -I binary -O ihex --change-section-address .data+0x7FF0 blob17.bin objcopy-top.hex

srec_cat blob.bin -binary -offset 0x0400 -o srec.hex -intel -address-length=2
srec_cat blob.bin -binary -offset 0x0400 -o srec-ext.hex -intel
