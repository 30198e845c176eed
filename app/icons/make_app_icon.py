#!/usr/bin/env python3
"""Draws Quanvik's application icon and writes every file built from it.

The picture is defined here, as shapes in a unit square, so this script is the
icon's editable source. It needs only Python 3's standard library; run it from
anywhere after changing the picture and commit what it writes:

    quanvik.ico         the Windows icon group: 48, 32, 24, 16 px, 32-bit RGBA
    quanvik.icns        the macOS bundle icon: 16 to 256 px
    quanvik-<N>.png     the Linux hicolor theme icons

The output is deterministic, so running it again without changes to the
picture leaves the committed files byte for byte the same.
"""

import math
import os
import struct
import zlib

ICO_SIZES = (48, 32, 24, 16)
PNG_SIZES = (16, 24, 32, 48, 64, 128, 256)
# (type, pixels): PNG-encoded types that macOS 10.7 and later read.
ICNS_ENTRIES = (
    (b"icp4", 16), (b"icp5", 32), (b"icp6", 64), (b"ic07", 128),
    (b"ic08", 256), (b"ic11", 32), (b"ic12", 64), (b"ic13", 256),
)

# A red tile, because red is the rising colour on Chinese markets, with a
# white price line climbing to an arrowhead above faint volume bars.
TILE_INSET = 0.03
TILE_RADIUS = 0.2
TILE_TOP = (232, 69, 60)
TILE_BOTTOM = (170, 32, 28)
CHART_POINTS = ((0.17, 0.68), (0.37, 0.49), (0.52, 0.60), (0.74, 0.36))
ARROW_TIP = (0.84, 0.25)
ARROW_HALF_WIDTH = 0.13
LINE_WIDTH = 0.095
MIN_LINE_PIXELS = 1.6  # below this the line breaks up at 16 px
VOLUME_BARS = ((0.20, 0.10), (0.36, 0.16), (0.52, 0.08), (0.68, 0.20))
VOLUME_BAR_WIDTH = 0.10
VOLUME_BASE = 0.86
VOLUME_ALPHA = 0.38
VOLUME_MIN_SIZE = 24  # bars are noise at 16 px
WHITE = (255, 255, 255)


def roundedSquareDistance(x, y):
    half = 0.5 - TILE_INSET
    qx = abs(x - 0.5) - half + TILE_RADIUS
    qy = abs(y - 0.5) - half + TILE_RADIUS
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - TILE_RADIUS


def segmentDistance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def arrowTriangle():
    ex, ey = CHART_POINTS[-1]
    tx, ty = ARROW_TIP
    length = math.hypot(tx - ex, ty - ey)
    ux, uy = (tx - ex) / length, (ty - ey) / length
    # The base sits slightly behind the line's end so that they join.
    bx, by = ex - ux * 0.03, ey - uy * 0.03
    nx, ny = -uy * ARROW_HALF_WIDTH, ux * ARROW_HALF_WIDTH
    return ((tx, ty), (bx + nx, by + ny), (bx - nx, by - ny))


def insideTriangle(px, py, tri):
    def side(a, b):
        return (b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0])

    s1, s2, s3 = side(tri[0], tri[1]), side(tri[1], tri[2]), side(tri[2], tri[0])
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def sampleColour(x, y, size, halfLine, arrow):
    """Returns (r, g, b, a) of the picture at unit coordinates (x, y)."""
    if roundedSquareDistance(x, y) > 0:
        return (0, 0, 0, 0)
    t = (y - TILE_INSET) / (1 - 2 * TILE_INSET)
    colour = [TILE_TOP[i] + (TILE_BOTTOM[i] - TILE_TOP[i]) * t for i in range(3)]
    if size >= VOLUME_MIN_SIZE:
        for left, height in VOLUME_BARS:
            if left <= x <= left + VOLUME_BAR_WIDTH and VOLUME_BASE - height <= y <= VOLUME_BASE:
                colour = [c + (w - c) * VOLUME_ALPHA for c, w in zip(colour, WHITE)]
    onLine = any(
        segmentDistance(x, y, a, b) <= halfLine
        for a, b in zip(CHART_POINTS, CHART_POINTS[1:])
    )
    if onLine or insideTriangle(x, y, arrow):
        colour = list(WHITE)
    return (colour[0], colour[1], colour[2], 255)


def render(size):
    """Returns the picture as rows of (r, g, b, a) tuples, top row first."""
    samples = 8 if size <= 64 else 4
    halfLine = max(LINE_WIDTH, MIN_LINE_PIXELS / size) / 2
    arrow = arrowTriangle()
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    r, g, b, a = sampleColour(x, y, size, halfLine, arrow)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / acc[3]) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


def pngBytes(rows):
    size = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dibBytes(rows):
    """A 32-bit BGRA bitmap with its AND mask, as an icon directory stores it."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    bottomUp = list(reversed(rows))
    pixels = b"".join(bytes((b, g, r, a)) for row in bottomUp for (r, g, b, a) in row)
    maskStride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in bottomUp:
        bits = bytearray(maskStride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def icoBytes(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, dib in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(dib), offset)
        data += dib
        offset += len(dib)
    return directory + entries + data


def icnsBytes(entries):
    body = b"".join(kind + struct.pack(">I", len(png) + 8) + png for kind, png in entries)
    return b"icns" + struct.pack(">I", len(body) + 8) + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    sizes = sorted(set(ICO_SIZES) | set(PNG_SIZES) | {s for _, s in ICNS_ENTRIES})
    pictures = {size: render(size) for size in sizes}
    pngs = {size: pngBytes(pictures[size]) for size in sizes}

    def write(name, data):
        with open(os.path.join(here, name), "wb") as out:
            out.write(data)
        print(f"wrote {name} ({len(data)} bytes)")

    write("quanvik.ico", icoBytes([(s, dibBytes(pictures[s])) for s in ICO_SIZES]))
    write("quanvik.icns", icnsBytes([(kind, pngs[s]) for kind, s in ICNS_ENTRIES]))
    for size in PNG_SIZES:
        write(f"quanvik-{size}.png", pngs[size])


if __name__ == "__main__":
    main()
