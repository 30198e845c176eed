#!/usr/bin/env python3
"""Draws the form's caption-bar icon: three candlesticks on a chart axis.

Writes form.ico next to this script with two 16 x 16 images, a 2-colour one
and a 16-colour one, in that order (Qt keeps the last image of a size, so the
richer picture is the one shown). Candles follow the trading convention of
the market the program is for: rising candles red and hollow, falling ones
green and filled; in two colours, hollow against filled alone tells them apart.
Run again after changing the picture and commit both files.
"""
import pathlib
import struct

SIZE = 16

# The 16-colour palette: the standard VGA colours.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
AXIS, RISING, FALLING, FILL = 8, 9, 2, 15  # indices into VGA
MONO = [(0, 0, 0), (255, 255, 255)]
TO_MONO = {AXIS: 0, RISING: 0, FALLING: 0, FILL: 1}

# (centre column, wick top, body top, body bottom, wick bottom, rising)
CANDLES = [
    (3, 8, 10, 13, 13, True),
    (8, 4, 6, 10, 12, False),
    (13, 1, 2, 7, 9, True),
]


def draw():
    """The picture as rows of VGA indices; None is transparent."""
    grid = [[None] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        grid[y][0] = AXIS
    for x in range(SIZE):
        grid[SIZE - 1][x] = AXIS
    for centre, wick_top, body_top, body_bottom, wick_bottom, rising in CANDLES:
        colour = RISING if rising else FALLING
        for y in range(wick_top, wick_bottom + 1):
            grid[y][centre] = colour
        for y in range(body_top, body_bottom + 1):
            for x in range(centre - 1, centre + 2):
                edge = y in (body_top, body_bottom) or x != centre
                grid[y][x] = colour if edge or not rising else FILL
    return grid


def bmp_entry(grid, palette, bits, index_of):
    """One icon image: BITMAPINFOHEADER, palette, colour rows, mask rows."""
    def rows(pixel_bits, values):
        out = bytearray()
        for row in reversed(values):  # bottom-up
            acc, nbits, line = 0, 0, bytearray()
            for value in row:
                acc = (acc << pixel_bits) | value
                nbits += pixel_bits
                if nbits == 8:
                    line.append(acc)
                    acc, nbits = 0, 0
            line += bytes(-len(line) % 4)  # rows are padded to 4 bytes
            out += line
        return out

    colour = rows(bits, [[0 if p is None else index_of(p) for p in row] for row in grid])
    mask = rows(1, [[1 if p is None else 0 for p in row] for row in grid])
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, bits, 0,
                         len(colour) + len(mask), 0, 0, len(palette), 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    return header + table + colour + mask


def main():
    grid = draw()
    images = [
        (len(MONO), bmp_entry(grid, MONO, 1, TO_MONO.__getitem__)),
        (len(VGA), bmp_entry(grid, VGA, 4, lambda i: i)),
    ]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = len(data) + 16 * len(images)
    for colours, image in images:
        data += struct.pack('<BBBBHHII', SIZE, SIZE, colours, 0, 1,
                            1 if colours == 2 else 4, len(image), offset)
        offset += len(image)
    data += b''.join(image for _, image in images)
    pathlib.Path(__file__).with_name('form.ico').write_bytes(data)


if __name__ == '__main__':
    main()
