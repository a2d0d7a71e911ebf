#!/usr/bin/env python3
"""Draws the skin's picture atlas, src/Panel/Resources/skin.png.

Every picture is a white shape on transparent pixels in a 9 x 9 cell; the skin tints it with a
colorizer, so one shape serves every colour. Cells, left to right (x = 9 x index, y = 0):
  0 arrow up, 1 arrow down, 2 arrow left, 3 arrow right, 4 check mark.
Run it after changing a shape, and commit the PNG it writes.
"""
import os
import struct
import sys
import zlib

CELL = 9

# Rows of the shapes, "#" for an opaque pixel.
ARROW_UP = [
    ".........",
    ".........",
    "....#....",
    "...###...",
    "..#####..",
    ".#######.",
    ".........",
    ".........",
    ".........",
]
CHECK = [
    ".........",
    ".......#.",
    "......##.",
    ".#...##..",
    ".##.##...",
    "..###....",
    "...#.....",
    ".........",
    ".........",
]


def rotate(shape):
    """The shape turned a quarter clockwise."""
    return ["".join(shape[CELL - 1 - x][y] for x in range(CELL)) for y in range(CELL)]


def cells():
    right = rotate(ARROW_UP)
    down = rotate(right)
    left = rotate(down)
    return [ARROW_UP, down, left, right, CHECK]


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main():
    shapes = cells()
    width = CELL * len(shapes)
    rows = []
    for y in range(CELL):
        row = []
        for shape in shapes:
            for x in range(CELL):
                row += [255, 255, 255, 255] if shape[y][x] == "#" else [255, 255, 255, 0]
        rows.append(row)
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "Panel", "Resources", "skin.png")
    with open(out, "wb") as f:
        f.write(png(width, CELL, rows))


if __name__ == "__main__":
    main()
