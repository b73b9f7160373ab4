#!/usr/bin/env python3
"""Draws the program's icons from code and writes them as .ico files.

Usage: make_icons.py OUTDIR [--sheet SHEET.png]

Every icon is the same alarm clock; its colour and one mark on the face tell
the state apart even at 16 pixels. Each .ico holds the sizes Windows asks for
from 100 % to 400 % display scale: 16, 20, 24, 32, 40, 48 and 64 pixels. The
program's own icon (app.ico) also holds a 256 pixel image, which Explorer
shows for the file, stored as PNG as Windows expects that size; its other
images are 32-bit BGRA bitmaps with an AND mask, which the setup's picture is
drawn from. The tray states are only ever loaded by the program for the
notification area, so they stop at 64 pixels, and all their images are stored
as PNG (Windows reads PNG images of any size from Vista on): the same pixels
in a fifth of the room. The shapes are signed distance functions in a
16-unit design space, drawn anew at each size (never scaled from another
image) and anti-aliased by their distance to the pixel centre; the small sizes
get a full-pixel outline and a narrower anti-aliasing edge, so that they stay
crisp. --sheet also writes a contact sheet of every icon at every size, the
small ones enlarged, and each at its real size on a light and a dark taskbar.
"""
import math
import os
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)  # every size drawn (the contact sheet shows them)
PROGRAM_ICON = "app"
TRAY_SIZES = SIZES[:-1]  # the tray states: up to the notification area's 64 pixels at 400 %


def stored_sizes(name):
    """The sizes an icon file holds, and those of them stored as PNG."""
    if name == PROGRAM_ICON:
        return SIZES, (256,)
    return TRAY_SIZES, TRAY_SIZES
SMALL = 24  # up to this size the edges are drawn sharper

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


# Stand-ins for the outline in a layer list: render() puts in the body grown by
# the outline's width at the size it draws, at least one whole pixel.
OUTLINE_WIDTH = object()
TILTED_OUTLINE = object()
TILT = (-8, 0.8)  # the ringing clock: a little smaller, so that the lines fit, and tilted


def outline_shape(marker, size):
    shape = grow(body(), max(OUTLINE, 16.0 / size))
    return transformed(shape, *TILT) if marker is TILTED_OUTLINE else shape


def clock(rim, face_colour, marks, outline=None, ring=False):
    """Layers, bottom first: (shape, colour, opacity)."""
    outline = outline or shade(rim, 0.45)
    layers = [(body(), rim, 1.0), (face(), face_colour, 1.0)] + marks
    if ring:
        layers.append((ringing(), rim, 1.0))
        layers = [(transformed(s, *TILT), c, a) for s, c, a in layers]
    return [(TILTED_OUTLINE if ring else OUTLINE_WIDTH, outline, 1.0)] + layers


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


def edge_width(size):
    """The width in pixels over which an edge goes from covered to empty."""
    return 0.7 if size <= SMALL else 1.0


def render(layers, size):
    """RGBA rows: every layer composited over the ones below it.

    Distances are true distances (or bounds of them), so a block of pixels whose
    centre lies far enough inside or outside a shape is covered or empty as a
    whole: only the blocks along the edges are looked at pixel by pixel.
    """
    scale = 16.0 / size  # design units per pixel
    soft = edge_width(size) * scale
    layers = [(outline_shape(s, size) if s in (OUTLINE_WIDTH, TILTED_OUTLINE) else s, c, a)
              for s, c, a in layers]
    block = 8 if size >= 64 else size
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for top in range(0, size, block):
        for left in range(0, size, block):
            n = min(block, size - top, size - left)
            cx, cy = (left + n / 2) * scale, (top + n / 2) * scale
            reach = n / 2 * math.sqrt(2) * scale + soft / 2
            known = []  # per layer: 0 empty, 1 covered, None look at each pixel
            for shape, _, _ in layers:
                d = shape(cx, cy)
                known.append(0 if d >= reach else 1 if d <= -reach else None)
            if all(k == 0 for k in known):
                continue
            for py in range(top, top + n):
                for px in range(left, left + n):
                    x, y = (px + 0.5) * scale, (py + 0.5) * scale
                    r = g = b = a = 0.0  # premultiplied
                    for (shape, colour, opacity), k in zip(layers, known):
                        cover = k if k is not None else max(0.0, min(1.0, 0.5 - shape(x, y) / soft))
                        cover *= opacity
                        if cover:
                            r = colour[0] * cover + r * (1 - cover)
                            g = colour[1] * cover + g * (1 - cover)
                            b = colour[2] * cover + b * (1 - cover)
                            a = cover + a * (1 - cover)
                    if a > 0:
                        pixels[py][px] = (round(r / a), round(g / a), round(b / a), round(a * 255))
    return pixels


def png_bytes(rows, colour_type):
    """A PNG of rows of pixel tuples: colour type 2 (RGB) or 6 (RGBA)."""
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


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


def write_ico(path, images, sizes, png_sizes):
    blobs = [png_bytes(images[s], 6) if s in png_sizes else bmp_image(images[s]) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for s, blob in zip(sizes, blobs):
        side = s % 256  # 256 is written as 0
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


LIGHT_TASKBAR = (238, 238, 238)
DARK_TASKBAR = (32, 32, 32)


def write_sheet(path, rendered, zoom=3, background=(212, 208, 200)):
    """One row per icon: the sizes up to 64 enlarged pixel for pixel, the 256 one
    as it is, then the tray sizes at their real size on a light and a dark taskbar."""
    gap = 8
    enlarged = [s for s in SIZES if s <= 64]
    tray = (16, 20, 24, 32)
    swatch = sum(tray) + gap * (len(tray) + 1)
    width = gap + sum(s * zoom + gap for s in enlarged) + 256 + gap + 2 * (swatch + gap)
    cell = max(max(enlarged) * zoom, 256) + gap
    height = gap + cell * len(rendered)
    canvas = [[background] * width for _ in range(height)]

    def fill(left, top, w, h, colour):
        for y in range(top, top + h):
            canvas[y][left:left + w] = [colour] * w

    def put(images, size, left, top, factor):
        for y in range(size * factor):
            for x in range(size * factor):
                r, g, b, a = images[size][y // factor][x // factor]
                under = canvas[top + y][left + x]
                canvas[top + y][left + x] = tuple(
                    (c * a + u * (255 - a)) // 255 for c, u in zip((r, g, b), under))

    for i, images in enumerate(rendered.values()):
        top, left = gap + i * cell, gap
        for size in enlarged:
            put(images, size, left, top, zoom)
            left += size * zoom + gap
        put(images, 256, left, top, 1)
        left += 256 + gap
        for bar in (LIGHT_TASKBAR, DARK_TASKBAR):
            fill(left, top, swatch, 48, bar)
            x = left + gap
            for size in tray:
                put(images, size, x, top + (48 - size) // 2, 1)
                x += size + gap
            left += swatch + gap
    with open(path, "wb") as f:
        f.write(png_bytes(canvas, 2))


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
        sizes, png_sizes = stored_sizes(name)
        drawn = SIZES if sheet else sizes
        rendered[name] = {s: render(layers, s) for s in drawn}
        write_ico(os.path.join(outdir, name + ".ico"), rendered[name], sizes, png_sizes)
    if sheet:
        write_sheet(sheet, rendered)


if __name__ == "__main__":
    main()
