#!/usr/bin/env python3
"""Draws the pictures of the control gallery (and of the bitmap tests) into one folder:
BMP files with 1, 4, 8 and 24 bits per pixel and 32x32 icons. Nothing binary is kept in git;
the build runs this script. Usage: make-images.py OUTPUT_FOLDER"""
import os
import struct
import sys

# The 16 colours of the classic 4-bit palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def write_bmp(path, rows, bpp, palette=None):
    """rows: the image top-down; palette indices for 1, 4 and 8 bits, (r, g, b) for 24."""
    height, width = len(rows), len(rows[0])
    stride = (width * bpp + 31) // 32 * 4
    data = bytearray()
    for row in reversed(rows):  # bottom-up, as a positive height says
        line = bytearray()
        if bpp == 24:
            for r, g, b in row:
                line += bytes((b, g, r))
        else:
            per_byte = 8 // bpp
            for x in range(0, width, per_byte):
                value = 0
                for k in range(per_byte):
                    index = row[x + k] if x + k < width else 0
                    value |= index << (8 - bpp * (k + 1))
                line.append(value)
        data += line + bytes(stride - len(line))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in (palette or []))
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, len(data), 2835, 2835,
                       len(palette or []), 0)
    with open(path, "wb") as f:
        f.write(header + info + table + data)


def write_icon(path, rows):
    """rows: 32 rows of 32 (r, g, b) or None for transparent; a 32-bit icon with its AND mask."""
    size = len(rows)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = 0
        line = bytearray()
        for x, pixel in enumerate(row):
            if pixel is None:
                xor += bytes(4)
                bits |= 1 << (31 - x)
            else:
                r, g, b = pixel
                xor += bytes((b, g, r, 255))
        line += struct.pack(">I", bits)
        mask += line
    image = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(xor) + len(mask),
                        0, 0, 0, 0) + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32,
                                                          len(image), 22)
    with open(path, "wb") as f:
        f.write(directory + image)


def blank(width, height, value):
    return [[value] * width for _ in range(height)]


def fill(rows, x0, y0, x1, y1, value):
    for y in range(max(0, y0), min(len(rows), y1)):
        for x in range(max(0, x0), min(len(rows[0]), x1)):
            rows[y][x] = value


def disc(rows, cx, cy, radius, value):
    for y in range(len(rows)):
        for x in range(len(rows[0])):
            if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                rows[y][x] = value


def selection_items(out):
    """Four items, each closed, as a row and highlighted; 8 bits, 96x24."""
    bases = [(200, 40, 40), (40, 150, 60), (40, 80, 200), (230, 140, 20)]
    palette = [(0, 0, 0), (255, 255, 255), (255, 230, 60)]
    for base in bases:
        palette.append(base)
        palette.append(tuple((c + 255) // 2 for c in base))
    palette += [(0, 0, 0)] * (256 - len(palette))
    for i in range(4):
        base, light = 3 + 2 * i, 4 + 2 * i
        for kind, (face, frame) in enumerate(((base, 0), (light, 1), (base, 2))):
            rows = blank(96, 24, frame)
            fill(rows, 2, 2, 94, 22, face)
            for k in range(i + 1):  # the item's number as dots
                fill(rows, 8 + 8 * k, 9, 13 + 8 * k, 15, 1 if kind != 1 else 0)
            if kind == 0:  # the closed image carries the drop-down arrow
                for d in range(6):
                    fill(rows, 78 + d, 9 + d, 90 - d, 10 + d, 1)
            write_bmp(os.path.join(out, "sel%d%s.bmp" % (i, "crh"[kind])), rows, 8, palette)


def buttons(out):
    """Up, down, highlighted and down-highlighted; 4 bits, 64x40 (room for a 32x32 icon)."""
    for name, face, pressed in (("up", 7, False), ("down", 8, False), ("hi", 14, False),
                                ("downhi", 6, True)):
        pressed = pressed or name == "down"
        light, dark = (0, 15) if pressed else (15, 0)
        rows = blank(64, 40, face)
        fill(rows, 0, 0, 64, 2, light)
        fill(rows, 0, 0, 2, 40, light)
        fill(rows, 0, 38, 64, 40, dark)
        fill(rows, 62, 0, 64, 40, dark)
        write_bmp(os.path.join(out, "btn_%s.bmp" % name), rows, 4, VGA)


def lamps(out):
    """A signal lamp off, green and red; 24 bits, 32x32."""
    for name, colour in (("off", (70, 70, 70)), ("green", (20, 220, 40)), ("red", (230, 30, 20))):
        rows = blank(32, 32, (0, 0, 0))
        disc(rows, 15.5, 15.5, 12, colour)
        write_bmp(os.path.join(out, "lamp_%s.bmp" % name), rows, 24)


def shape(out):
    """A locomotive on white: the white is cut away by the region; 24 bits, 160x96."""
    white = (255, 255, 255)
    rows = blank(160, 96, white)
    fill(rows, 10, 30, 150, 72, (30, 78, 137))       # body
    fill(rows, 100, 8, 140, 30, (30, 78, 137))       # cab
    fill(rows, 108, 14, 132, 26, white)              # the cab's window is a hole
    fill(rows, 24, 14, 36, 30, (40, 40, 40))         # chimney
    for cx in (35, 75, 125):
        disc(rows, cx, 78, 14, (224, 49, 39))        # wheels
        disc(rows, cx, 78, 4, (250, 250, 250))       # nearly white hubs stay
    write_bmp(os.path.join(out, "shape.bmp"), rows, 24)


def logo(out):
    """A diamond drawn through its mask (1 bit: white shows the background); 24 and 1 bit."""
    size = 48
    image = blank(size, size, (255, 0, 255))  # never seen: the mask hides it
    mask = blank(size, size, 1)
    for y in range(size):
        for x in range(size):
            if abs(x - 23.5) + abs(y - 23.5) <= 22:
                image[y][x] = (30 + 4 * x, 60 + 3 * y, 160)
                mask[y][x] = 0
    write_bmp(os.path.join(out, "logo.bmp"), image, 24)
    write_bmp(os.path.join(out, "logo_mask.bmp"), mask, 1, [(0, 0, 0), (255, 255, 255)])


def raster(out):
    """A checkerboard of single pixels (1 bit): more row runs than one region batch holds."""
    rows = [[(x + y) % 2 for x in range(100)] for y in range(48)]
    write_bmp(os.path.join(out, "raster.bmp"), rows, 1, [(20, 20, 20), (255, 255, 255)])


def photo(out):
    """A colour gradient, the picture the gallery loads from its LZ-compressed copy; 24 bits."""
    rows = [[(4 * x, 5 * y, 255 - 2 * x) for x in range(64)] for y in range(48)]
    write_bmp(os.path.join(out, "foto.bmp"), rows, 24)


def icons(out):
    for name, colour, form in (("signal", (230, 30, 20), "disc"), ("lok", (30, 78, 137), "box"),
                               ("weiche", (240, 200, 0), "wedge")):
        rows = blank(32, 32, None)
        if form == "disc":
            disc(rows, 15.5, 15.5, 13, colour)
        elif form == "box":
            fill(rows, 3, 8, 29, 24, colour)
        else:
            for y in range(4, 28):
                fill(rows, 4, y, 4 + (y - 3), y + 1, colour)
        write_icon(os.path.join(out, "%s.ico" % name), rows)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for draw in (selection_items, buttons, lamps, shape, logo, raster, photo, icons):
        draw(out)


if __name__ == "__main__":
    main()
