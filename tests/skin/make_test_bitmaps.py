#!/usr/bin/env python3
"""Writes the skin tests' bitmaps: 24-bit BMPs whose every pixel follows a formula that the
tests restate (SkinTestWindow.h), so a copy can be checked pixel by pixel.
Usage: make_test_bitmaps.py OUTPUT_DIR
"""
import os
import struct
import sys

WHITE = (255, 255, 255)


def gradient(x, y):
    return (2 * x + 1, 20 * y + 5, 100)


def frames(x, y):
    return WHITE if (x + y) % 5 == 0 else (4 * x + 3, 8 * y + 7, 60 + 40 * (x // 13))


def grid(x, y):
    return (2 * x + 1, 3 * y + 1, 20 * (x // 26 + 4 * (y // 26)) + 10)


def button(x, y):
    return (4 * x + 2, 12 * y + 3, 210)


BITMAPS = {
    "gradient.bmp": (100, 10, gradient),
    "frames.bmp": (52, 13, frames),
    "grid.bmp": (104, 78, grid),
    "button.bmp": (58, 19, button),
}


def bmp(width, height, colour):
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = colour(x, y)
            row += bytes((b, g, r))
        rows += row + bytes(stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(rows), 0, 0, 54) + header + bytes(rows)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, (width, height, colour) in BITMAPS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(bmp(width, height, colour))


if __name__ == "__main__":
    main()
