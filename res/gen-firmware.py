#!/usr/bin/env python3
"""Writes the built-in command-station firmware image, res/firmware.hex.

The bytes come from a fixed seed, so every run writes the same text:
    res/gen-firmware.py res/firmware.hex           write it
    res/gen-firmware.py --check res/firmware.hex   exit 1 unless the file is exactly that text
Shape: 475 data records of at most 16 bytes, CR LF line ends, blocks in linker order rather
than address order, the end record without a line end. The normal-operation part lies in
0x0000-0x6FFF, the emergency-operation part from 0x7000 with the version 1.08 in its first two
bytes, and three bytes at 0x7FFD-0x7FFF that the update never sends.
"""
import sys

SEED = 0x4B525834
VERSION = (1, 8)

# (start, byte count): 8051 reset and interrupt vectors, code and tables of both parts.
VECTORS = [0x0000, 0x0003, 0x000B, 0x0013, 0x001B, 0x0023]
SEGMENTS = [
    (0x0030, 3187),  # normal operation: main code
    (0x1000, 1907),  # normal operation: protocol handlers
    (0x2000, 625),   # normal operation: constant tables
    (0x6F40, 181),   # normal operation: helpers below the emergency part
    (0x7000, 1106),  # emergency operation: version bytes, loader
    (0x7800, 276),   # emergency operation: USB descriptors
    (0x7F00, 116),   # emergency operation: start-up
]
TAIL = 0x7FFD  # three bytes kept in the image, never sent


class XorShift32:
    def __init__(self, seed):
        self.state = seed

    def byte(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x & 0xFF

    def below(self, n):
        return (self.byte() << 8 | self.byte()) % n


def record(address, kind, payload):
    body = bytes([len(payload), address >> 8, address & 0xFF, kind]) + bytes(payload)
    return ":" + body.hex().upper() + "%02X" % (-sum(body) & 0xFF)


def blocks(rng):
    """Each block is (start, bytes); the image never holds a byte twice."""
    main_code = SEGMENTS[0][0]
    result = []
    for vector in VECTORS:
        target = main_code + rng.below(SEGMENTS[0][1] - 2)
        result.append((vector, [0x02, target >> 8, target & 0xFF]))  # LJMP
    for start, count in SEGMENTS:
        data = [rng.byte() for _ in range(count)]
        if start == 0x7000:
            data[0:2] = VERSION
        result.append((start, data))
    result.append((TAIL, [rng.byte() for _ in range(3)]))
    return result


def text():
    rng = XorShift32(SEED)
    all_blocks = blocks(rng)
    # The reset vector stays first; the rest come in the order a linker put its areas.
    head, rest = all_blocks[0], all_blocks[1:]
    for i in range(len(rest) - 1, 0, -1):
        j = rng.below(i + 1)
        rest[i], rest[j] = rest[j], rest[i]
    lines = []
    for start, data in [head] + rest:
        # Records break at 16-byte address boundaries, as linkers write them.
        offset = 0
        while offset < len(data):
            address = start + offset
            length = min(16 - address % 16, len(data) - offset)
            lines.append(record(address, 0x00, data[offset:offset + length]))
            offset += length
    return "".join(line + "\r\n" for line in lines) + record(0, 0x01, [])


def main(argv):
    check = argv[1:2] == ["--check"]
    paths = argv[2:] if check else argv[1:]
    if len(paths) != 1:
        sys.stderr.write("usage: gen-firmware.py [--check] FILE\n")
        return 2
    wanted = text().encode("ascii")
    if check:
        try:
            with open(paths[0], "rb") as f:
                actual = f.read()
        except OSError as e:
            sys.stderr.write("%s\n" % e)
            return 1
        if actual != wanted:
            sys.stderr.write("%s differs from the generator's output\n" % paths[0])
            return 1
        return 0
    with open(paths[0], "wb") as f:
        f.write(wanted)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
