#!/usr/bin/env python3
"""Writes a 24-bit Windows bitmap with a horizontal gradient: the sample
project's splash image."""
import struct
import sys


def main(path, width=240, height=80):
    row = bytearray()
    for x in range(width):
        row += bytes((255 - x * 255 // width, 96, x * 255 // width))
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = bytes(row) * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main(sys.argv[1])
