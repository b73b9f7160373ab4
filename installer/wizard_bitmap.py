#!/usr/bin/env python3
"""Draws the picture on the left of the setup wizard's first and last page.

Usage: wizard_bitmap.py ICON.ico OUT.bmp

The picture is 164 x 314 pixels (the size the wizard shows), a soft gradient with
the program's icon, taken from its largest bitmap image (64 pixels; the 256 pixel
image is a PNG) and drawn 96 pixels large.
"""
import struct
import sys

WIDTH, HEIGHT = 164, 314
SCALE = 1.5
TOP = (255, 255, 255)
BOTTOM = (236, 222, 214)


def largest_image(path):
    """The largest 32-bit bitmap image of an .ico file as rows of (r, g, b, a), top row first."""
    data = open(path, 'rb').read()
    count = struct.unpack_from('<H', data, 4)[0]
    entries = [struct.unpack_from('<BBBBHHII', data, 6 + 16 * i) for i in range(count)]
    bitmaps = [e for e in entries if data[e[7]:e[7] + 4] != b'\x89PNG']
    width, _, _, _, _, bits, _, offset = max(bitmaps, key=lambda e: e[0] or 256)
    header_size, dib_width, dib_height = struct.unpack_from('<Iii', data, offset)
    if bits != 32 or dib_width != width or dib_height != 2 * width:
        sys.exit(f'{path}: expected a 32-bit image, {width} pixels square')
    pixels = offset + header_size
    rows = []
    for y in range(width):
        row = []
        for x in range(width):
            b, g, r, a = data[pixels + 4 * (y * width + x):pixels + 4 * (y * width + x) + 4]
            row.append((r, g, b, a))
        rows.append(row)
    rows.reverse()  # the image is stored bottom row first
    return rows


def sample(image, x, y):
    """Bilinear sample at pixel coordinates, on alpha-premultiplied colours."""
    size = len(image)
    x0, y0 = max(0, min(size - 1, int(x))), max(0, min(size - 1, int(y)))
    x1, y1 = min(size - 1, x0 + 1), min(size - 1, y0 + 1)
    fx, fy = max(0.0, min(1.0, x - x0)), max(0.0, min(1.0, y - y0))
    result = [0.0, 0.0, 0.0, 0.0]
    for px, py, weight in ((x0, y0, (1 - fx) * (1 - fy)), (x1, y0, fx * (1 - fy)),
                           (x0, y1, (1 - fx) * fy), (x1, y1, fx * fy)):
        r, g, b, a = image[py][px]
        result[0] += r * a * weight
        result[1] += g * a * weight
        result[2] += b * a * weight
        result[3] += a * weight
    return result


def draw(image):
    size = round(len(image) * SCALE)
    left, top = (WIDTH - size) // 2, 36
    rows = []
    for y in range(HEIGHT):
        t = y / (HEIGHT - 1)
        back = [TOP[i] + (BOTTOM[i] - TOP[i]) * t for i in range(3)]
        row = bytearray()
        for x in range(WIDTH):
            colour = back
            if left <= x < left + size and top <= y < top + size:
                r, g, b, a = sample(image, (x - left + 0.5) / SCALE - 0.5,
                                    (y - top + 0.5) / SCALE - 0.5)
                cover = a / 255
                colour = [(c / 255) + back[i] * (1 - cover) for i, c in enumerate((r, g, b))]
            row += bytes(max(0, min(255, round(c))) for c in reversed(colour))  # BGR
        rows.append(bytes(row))
    return rows


def write_bmp(path, rows):
    stride = (WIDTH * 3 + 3) & ~3
    pixels = b''.join(row.ljust(stride, b'\0') for row in reversed(rows))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as out:
        out.write(header + info + pixels)


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_bmp(sys.argv[2], draw(largest_image(sys.argv[1])))
