#!/usr/bin/env python3
"""Writes Tessella.ico: the program's icon, a map cut into a 3 x 3 grid of tiles with a
position marker, as two 16-colour images (32 x 32 and 16 x 16).

The file is written byte by byte: a 6-byte header, one 16-byte entry per image, then
each image as a 40-byte bitmap information header (height doubled for the mask), the
16-colour palette, the 4-bit colour rows bottom-up and the 1-bit transparency mask.

Usage: resources/make-icon.py resources/Tessella.ico
"""
import struct
import sys

# The standard 16 colours (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, OLIVE, GREY = 0, 2, 3, 8
RED, GREEN, YELLOW, BLUE, CYAN, WHITE = 9, 10, 11, 12, 14, 15

# Land and sea of the map, one colour per tile, read row by row from the top.
TILES = [GREEN, GREEN, BLUE,
         YELLOW, GREEN, CYAN,
         DARK_GREEN, OLIVE, GREEN]

# Per size: the frame's first and last pixel, and the first and last pixel of each tile
# (the same along both axes); what lies between two tiles is a grid line.
LAYOUT = {
    32: (1, 30, [(2, 9), (12, 19), (22, 29)]),
    16: (0, 15, [(1, 4), (6, 9), (11, 14)]),
}


def tile_of(v, tiles):
    for i, (first, last) in enumerate(tiles):
        if first <= v <= last:
            return i
    return None


def picture(size):
    """Rows of palette indices (None = transparent), top row first."""
    frame_first, frame_last, tiles = LAYOUT[size]
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if not (frame_first <= x <= frame_last and frame_first <= y <= frame_last):
                row.append(None)
            elif x in (frame_first, frame_last) or y in (frame_first, frame_last):
                row.append(BLACK)
            else:
                column, line = tile_of(x, tiles), tile_of(y, tiles)
                row.append(GREY if column is None or line is None
                           else TILES[3 * line + column])
        rows.append(row)
    # A red position marker with a white rim on the middle tile.
    first, last = tiles[1]
    centre = (first + last + 1) / 2
    radius = (last - first + 1) / 2
    for y in range(first, last + 1):
        for x in range(first, last + 1):
            d = ((x + 0.5 - centre) ** 2 + (y + 0.5 - centre) ** 2) ** 0.5
            if d <= radius - 1.2:
                rows[y][x] = RED
            elif d <= radius:
                rows[y][x] = WHITE
    return rows


def image_bytes(size):
    rows = picture(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    colour = b''
    mask = b''
    for row in reversed(rows):                  # bottom-up
        nibbles = [0 if p is None else p for p in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        colour += line + b'\0' * (-len(line) % 4)
        bits = 0
        mask_line = b''
        for i, p in enumerate(row):
            bits = (bits << 1) | (1 if p is None else 0)
            if i % 8 == 7:
                mask_line += bytes([bits])
                bits = 0
        mask += mask_line + b'\0' * (-len(mask_line) % 4)
    return header + palette + colour + mask


def main():
    images = [image_bytes(32), image_bytes(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
