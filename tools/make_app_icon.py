#!/usr/bin/env python3
"""Draws the program's icon, src/Panel/Resources/app_icon.png (64 x 64, RGBA).

The editor's face in small: a rounded tile in the page colour with a border line, a row of four
pads in the accent (the first one lit) over a keybed of white keys with black keys between them,
in the palette of the product skin. Window managers scale it to the sizes they show.
Run it after changing the drawing, and commit the PNG it writes.
"""
import os
import struct
import sys
import zlib

SIZE = 64
SAMPLES = 4  # per pixel and axis, for the edges of the rounded tile

PAGE = (0x25, 0x28, 0x2D)
BORDER = (0x3C, 0x42, 0x4A)
WINDOW = (0x1B, 0x1D, 0x21)
TEXT = (0xE6, 0xE8, 0xEB)
ACCENT = (0x3F, 0xA7, 0xD6)
ACCENT_HOVER = (0x5B, 0xB8, 0xE0)

RADIUS = 12.0
BORDER_WIDTH = 2.0


def inside_rounded(x, y, inset):
    """Whether the point lies inside the tile shrunk by inset on every side."""
    left, top, right, bottom = inset, inset, SIZE - inset, SIZE - inset
    radius = RADIUS - inset
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return left <= x <= right and top <= y <= bottom and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def tile(px, py):
    """The tile's colour and coverage (0..1) at a pixel."""
    outer = inner = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES
            y = py + (sy + 0.5) / SAMPLES
            if inside_rounded(x, y, 0.5):
                outer += 1
                if inside_rounded(x, y, 0.5 + BORDER_WIDTH):
                    inner += 1
    total = SAMPLES * SAMPLES
    if outer == 0:
        return None, 0.0
    share = inner / outer
    colour = tuple(round(PAGE[i] * share + BORDER[i] * (1 - share)) for i in range(3))
    return colour, outer / total


def content(x, y):
    """The colour of the pads and the keybed at a pixel, None for the tile's own face."""
    # Four pads, 9 x 9 with 3-pixel gaps, centred.
    if 12 <= y < 21:
        for index in range(4):
            left = 9 + index * 12
            if left <= x < left + 9:
                return ACCENT_HOVER if index == 0 else ACCENT
    # The keybed: seven white keys 6 pixels wide with 1-pixel gaps, black keys over their tops.
    if 27 <= y < 52 and 8 <= x < 56:
        key = (x - 8) // 7
        offset = (x - 8) % 7
        if y < 41:
            for black in (0, 1, 3, 4, 5):
                centre = 8 + (black + 1) * 7
                if centre - 2 <= x < centre + 2:
                    return WINDOW
        if offset == 6 or key > 6:
            return WINDOW
        return TEXT
    return None


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main():
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            colour, coverage = tile(x, y)
            if colour is None:
                row += [0, 0, 0, 0]
                continue
            drawn = content(x, y)
            row += list(drawn if drawn is not None else colour) + [round(255 * coverage)]
        rows.append(row)
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "Panel", "Resources", "app_icon.png")
    with open(out, "wb") as f:
        f.write(png(SIZE, SIZE, rows))


if __name__ == "__main__":
    main()
