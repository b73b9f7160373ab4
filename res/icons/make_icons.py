#!/usr/bin/env python3
"""Draws the program's icons from code and writes them as .ico files.

Usage: make_icons.py OUTDIR

Each icon holds 16, 24, 32 and 48 pixel images (32-bit BGRA). The shapes are
described in a 0..1 coordinate space and rendered with 4x4 supersampling.
"""
import math
import os
import struct
import sys

SIZES = (16, 24, 32, 48)
SUPERSAMPLE = 4


def clock_shapes():
    """The alarm clock: two bells, a round face, two hands."""
    def inside(x, y):
        # Returns an RGBA tuple for the topmost shape at (x, y), or None.
        cx, cy, r = 0.5, 0.55, 0.36
        d = math.hypot(x - cx, y - cy)
        # Hands
        if d < r - 0.06:
            if abs(x - cx) < 0.045 and cy - 0.24 < y < cy + 0.02:
                return (40, 40, 40, 255)
            if abs(y - cy) < 0.045 and cx - 0.02 < x < cx + 0.18:
                return (40, 40, 40, 255)
            return (255, 255, 255, 255)
        if d < r:
            return (200, 40, 40, 255)
        for bx in (0.2, 0.8):
            if math.hypot(x - bx, y - 0.2) < 0.14:
                return (200, 40, 40, 255)
        # Feet
        if y > 0.86 and y < 0.97 and (abs(x - 0.28) < 0.05 or abs(x - 0.72) < 0.05):
            return (60, 60, 60, 255)
        return None
    return inside


def render(shape, size):
    pixels = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    c = shape((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c:
                        a = c[3]
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            a = acc[3]
            if a:
                row.append((acc[0] // a, acc[1] // a, acc[2] // a, a // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def bmp_image(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(data) + bytes(mask)


def write_ico(path, shape):
    images = [bmp_image(render(shape, s)) for s in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, img in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


ICONS = {
    "app": clock_shapes(),
}


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, shape in ICONS.items():
        write_ico(os.path.join(outdir, name + ".ico"), shape)


if __name__ == "__main__":
    main()
