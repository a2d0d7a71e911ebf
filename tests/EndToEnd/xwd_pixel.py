"""Reads pixels of an X window dump (xwd, 24 or 32 bits a pixel): xwd_pixel.py FILE X Y ... prints
each point's colour as RRGGBB, one a line."""
import struct
import sys


def main():
    data = open(sys.argv[1], "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"
    points = sys.argv[2:]
    for i in range(0, len(points), 2):
        x, y = int(points[i]), int(points[i + 1])
        if not (0 <= x < width and 0 <= y < height):
            print("outside")
            continue
        at = offset + y * bytes_per_line + x * step
        raw = data[at:at + step] + b"\0" * (4 - step)
        value = struct.unpack(order + "I", raw)[0]

        def channel(mask):
            shift = (mask & -mask).bit_length() - 1
            return (value & mask) >> shift

        print("%02X%02X%02X" % (channel(red_mask), channel(green_mask), channel(blue_mask)))


main()
