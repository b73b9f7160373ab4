#!/usr/bin/env python3
"""Draws the program's icons from code and writes them as .ico files.

Usage: make_icons.py OUTDIR [--sheet SHEET.png]

Every icon is the same alarm clock; its colour and one mark on the face tell
the state apart even at 16 pixels. Each .ico holds 16, 24, 32 and 48 pixel
images (32-bit BGRA with an AND mask). The shapes are signed distance
functions in a 16-unit design space, scaled to each size and anti-aliased by
their distance to the pixel centre. --sheet also writes an enlarged contact
sheet of every icon at every size, to look at.
"""
import math
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48)

# Design space: 16 x 16 units, y downwards.
CX, CY = 8.0, 9.0  # centre of the face
RIM_OUT = 5.9  # outer radius of the rim
RIM = 1.5  # width of the rim
FACE = RIM_OUT - RIM  # radius of the face inside the rim
OUTLINE = 0.75  # dark edge around the silhouette, readable on light taskbars

DARK = (40, 40, 40)
WHITE = (255, 255, 255)


# Signed distance functions: negative inside, positive outside, in units.

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def capsule(ax, ay, bx, by, width):
    """A stroke from a to b with round ends."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def d(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def grow(shape, by):
    return lambda x, y: shape(x, y) - by


def clock_angle(minutes):
    """Direction of a hand pointing at a minute mark (0 = twelve o'clock)."""
    a = math.radians(minutes * 6)
    return math.sin(a), -math.cos(a)


def sector(cx, cy, r, start, end):
    """The part of a disc from minute mark start clockwise to end."""
    def half_plane(minutes, side):
        ux, uy = clock_angle(minutes)
        # Distance to the line through the centre along the hand; side +1 keeps
        # the half clockwise of it.
        return lambda x, y: side * ((x - cx) * uy - (y - cy) * ux)

    disc = circle(cx, cy, r)
    span = (end - start) % 60 or 60
    if span == 60:
        return disc
    a, b = half_plane(start, 1), half_plane(end, -1)
    if span <= 30:
        wedge = lambda x, y: max(a(x, y), b(x, y))
    else:
        wedge = lambda x, y: min(a(x, y), b(x, y))
    return intersect(disc, wedge)


def hand(minutes, length, width):
    ux, uy = clock_angle(minutes)
    return capsule(CX, CY, CX + ux * length, CY + uy * length, width)


def arc(cx, cy, r, width, start, end):
    ring = lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2
    return intersect(ring, sector(cx, cy, r + width, start, end))


def transformed(shape, degrees, factor):
    """The shape turned clockwise and scaled about the middle of the icon."""
    a = math.radians(-degrees)
    c, s = math.cos(a), math.sin(a)
    mx, my = 8.0, 8.0

    def d(x, y):
        dx, dy = (x - mx) / factor, (y - my) / factor
        return shape(mx + dx * c - dy * s, my + dx * s + dy * c) * factor
    return d


# The clock's parts.

def bell_centre(minutes):
    ux, uy = clock_angle(minutes)
    return CX + ux * (RIM_OUT + 0.6), CY + uy * (RIM_OUT + 0.6)


def bells():
    shapes = []
    for minutes in (52.5, 7.5):  # the two bells sit over the face, left and right
        ux, uy = clock_angle(minutes)
        bx, by = bell_centre(minutes)
        dome = circle(bx, by, 2.4)
        # Cut off the half of the dome that faces the clock.
        cut = lambda x, y, ux=ux, uy=uy, bx=bx, by=by: -((x - bx) * ux + (y - by) * uy) - 0.3
        shapes.append(intersect(dome, cut))
    return union(*shapes)


def feet():
    return union(capsule(4.4, 13.2, 3.2, 15.2, 1.3), capsule(11.6, 13.2, 12.8, 15.2, 1.3))


def body():
    return union(circle(CX, CY, RIM_OUT), bells(), feet())


def face():
    return circle(CX, CY, FACE)


def hands():
    # Long hand at twelve, short hand at four: a clock face, not a tick mark.
    return union(hand(0, 3.4, 1.3), hand(20, 2.4, 1.3), circle(CX, CY, 0.9))


def letter_z():
    top, bottom, left, right, w = CY - 2.1, CY + 2.1, CX - 2.0, CX + 2.0, 1.35
    return union(capsule(left, top, right, top, w), capsule(right, top, left, bottom, w),
                 capsule(left, bottom, right, bottom, w))


def crescent():
    return subtract(circle(CX - 0.2, CY, 2.9), circle(CX + 1.4, CY - 1.0, 2.5))


def ringing():
    """Vibration lines on both sides of the clock: it rings."""
    r = RIM_OUT + 2.3
    return union(arc(CX, CY, r, 1.1, 40, 49), arc(CX, CY, r, 1.1, 11, 20))


def shade(colour, factor):
    return tuple(int(c * factor) for c in colour)


def clock(rim, face_colour, marks, outline=None, ring=False):
    """Layers, bottom first: (shape, colour, opacity)."""
    outline = outline or shade(rim, 0.45)
    layers = [(grow(body(), OUTLINE), outline, 1.0), (body(), rim, 1.0),
              (face(), face_colour, 1.0)]
    layers += marks
    if ring:
        layers.append((ringing(), rim, 1.0))
        # A little smaller, so that the lines fit, and tilted: it shakes.
        layers = [(transformed(s, -8, 0.8), c, a) for s, c, a in layers]
    return layers


def time_left(colour, minutes):
    """A clock whose face shows the time left as a coloured sector from twelve."""
    # The sector reaches under the rim, so that no seam shows at its edge.
    return clock(colour, WHITE, [(sector(CX, CY, FACE + 0.4, 0, minutes), colour, 1.0),
                                 (hands(), DARK, 1.0)])


RED = (214, 40, 40)
GREEN = (46, 160, 64)
AMBER = (240, 176, 0)
ORANGE = (245, 124, 0)
DEEP_ORANGE = (230, 74, 25)
BLUE = (40, 110, 220)
GREY = (140, 140, 140)
SLATE = (92, 106, 130)
NIGHT = (36, 48, 74)
MOON = (255, 214, 64)

# File name of each icon resource, with its drawing.
ICONS = {
    "app": clock(RED, WHITE, [(hands(), DARK, 1.0)]),  # 101 the program
    "on": clock(GREEN, WHITE, [(hands(), DARK, 1.0)]),  # 117 nothing within the hour
    "off": clock(GREY, (224, 224, 224), [(hands(), (112, 112, 112), 1.0)],
                 outline=(80, 80, 80)),  # 118
    "hour": time_left(AMBER, 60),  # 103 within the hour
    "half_hour": time_left(ORANGE, 30),  # 105 within the half hour
    "ten_minutes": time_left(DEEP_ORANGE, 10),  # 106 within ten minutes
    "due": clock(RED, (255, 236, 120), [(hands(), DARK, 1.0)], ring=True),  # 107 due
    "snoozed": clock(BLUE, WHITE, [(letter_z(), BLUE, 1.0)]),  # 119
    "nothing": clock(SLATE, NIGHT, [(crescent(), MOON, 1.0)]),  # 120 sleeping, empty book
}


def render(layers, size):
    """RGBA rows: every layer composited over the ones below it."""
    scale = 16.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            x, y = (px + 0.5) * scale, (py + 0.5) * scale
            r = g = b = a = 0.0  # premultiplied
            for shape, colour, opacity in layers:
                # Coverage from the distance to the pixel centre, in pixels.
                cover = max(0.0, min(1.0, 0.5 - shape(x, y) / scale)) * opacity
                if cover:
                    r = colour[0] * cover + r * (1 - cover)
                    g = colour[1] * cover + g * (1 - cover)
                    b = colour[2] * cover + b * (1 - cover)
                    a = cover + a * (1 - cover)
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
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


def write_ico(path, images):
    blobs = [bmp_image(images[s]) for s in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for s, blob in zip(SIZES, blobs):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_sheet(path, rendered, zoom=4, background=(212, 208, 200)):
    """One row per icon: each size enlarged, pixel for pixel, on a taskbar grey."""
    gap = 8
    width = gap + sum(s * zoom + gap for s in SIZES) + 16 + gap
    cell = max(SIZES) * zoom + gap
    height = gap + cell * len(rendered)
    canvas = [[background] * width for _ in range(height)]

    def put(images, size, left, top, factor):
        for y in range(size * factor):
            for x in range(size * factor):
                r, g, b, a = images[size][y // factor][x // factor]
                under = canvas[top + y][left + x]
                canvas[top + y][left + x] = tuple(
                    (c * a + u * (255 - a)) // 255 for c, u in zip((r, g, b), under))

    for i, images in enumerate(rendered.values()):
        top, left = gap + i * cell, gap
        for size in SIZES:
            put(images, size, left, top, zoom)
            left += size * zoom + gap
        put(images, 16, left, top, 1)  # and once at its real size
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in canvas)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def main():
    args = sys.argv[1:]
    sheet = None
    if "--sheet" in args:
        i = args.index("--sheet")
        sheet = args[i + 1]
        del args[i:i + 2]
    if len(args) != 1:
        sys.exit("usage: make_icons.py OUTDIR [--sheet SHEET.png]")
    outdir = args[0]
    os.makedirs(outdir, exist_ok=True)
    rendered = {}
    for name, layers in ICONS.items():
        rendered[name] = {s: render(layers, s) for s in SIZES}
        write_ico(os.path.join(outdir, name + ".ico"), rendered[name])
    if sheet:
        write_sheet(sheet, rendered)


if __name__ == "__main__":
    main()
