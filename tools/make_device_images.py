#!/usr/bin/env python3
"""Draws the device installer's pictures as 16-colour files, small enough for
a stub that must stay within its first-section offset:

  make_device_images.py tree TREE.bmp    the folder browser's image strip: three
                                         22 x 22 pictures (open folder, closed
                                         folder, file) on green 0x00FF00, the
                                         colour the tree treats as transparent
  make_device_images.py icon ICON.ico    the program icon, 32 x 32
"""
import struct
import sys

# The 16-colour palette, as (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (255, 255, 255), (0, 255, 0), (40, 160, 240),   # black, white, green, amber
    (20, 110, 200), (128, 128, 128), (200, 200, 200), (160, 90, 20),  # dark amber, greys, blue
    (230, 180, 90),                                            # light blue
]
PALETTE += [(0, 0, 0)] * (16 - len(PALETTE))
BLACK, WHITE, GREEN, AMBER, DARK_AMBER, GREY, LIGHT_GREY, BLUE, LIGHT_BLUE = range(9)


def canvas(width, height, colour):
    return [[colour] * width for _ in range(height)]


def fill(pixels, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            pixels[y][x] = colour


def frame(pixels, x0, y0, x1, y1, colour):
    for x in range(x0, x1):
        pixels[y0][x] = pixels[y1 - 1][x] = colour
    for y in range(y0, y1):
        pixels[y][x0] = pixels[y][x1 - 1] = colour


def closed_folder(pixels, ox):
    fill(pixels, ox + 2, 5, ox + 10, 8, AMBER)          # tab
    frame(pixels, ox + 2, 5, ox + 10, 8, DARK_AMBER)
    fill(pixels, ox + 2, 7, ox + 20, 18, AMBER)         # body
    frame(pixels, ox + 2, 7, ox + 20, 18, DARK_AMBER)


def open_folder(pixels, ox):
    closed_folder(pixels, ox)
    fill(pixels, ox + 4, 9, ox + 18, 12, WHITE)         # a sheet inside
    for y in range(11, 18):                             # the front flap, tilted open
        shift = (18 - y) // 2
        fill(pixels, ox + 3 + shift, y, ox + 21 - (y - 11) // 3, y + 1, AMBER)
        pixels[y][ox + 3 + shift] = DARK_AMBER
    fill(pixels, ox + 3, 17, ox + 20, 18, DARK_AMBER)


def file_page(pixels, ox):
    fill(pixels, ox + 5, 3, ox + 17, 20, WHITE)
    frame(pixels, ox + 5, 3, ox + 17, 20, GREY)
    for y in range(7, 18, 3):
        fill(pixels, ox + 7, y, ox + 15, y + 1, BLUE)


def bmp_rows(pixels):
    """4-bit rows, bottom row first, each padded to four bytes."""
    out = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for x in range(0, len(row), 2):
            high = row[x]
            low = row[x + 1] if x + 1 < len(row) else 0
            line.append(high << 4 | low)
        line += b"\0" * ((4 - len(line) % 4) % 4)
        out += line
    return bytes(out)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (b, g, r) in PALETTE)


def info_header(width, height, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_bytes, 2835, 2835, 16, 0)


def write_tree(path):
    pixels = canvas(66, 22, GREEN)
    open_folder(pixels, 0)
    closed_folder(pixels, 22)
    file_page(pixels, 44)
    image = bmp_rows(pixels)
    offset = 14 + 40 + 64
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset))
        f.write(info_header(66, 22, len(image)) + palette_bytes() + image)


def write_icon(path):
    size = 32
    pixels = canvas(size, size, BLACK)
    mask = [[1] * size for _ in range(size)]          # 1 = transparent
    def paint(x0, y0, x1, y1, colour):
        fill(pixels, x0, y0, x1, y1, colour)
        for y in range(y0, y1):
            for x in range(x0, x1):
                mask[y][x] = 0
    paint(9, 2, 23, 30, GREY)                         # the device
    paint(11, 5, 21, 21, WHITE)                       # its screen
    paint(11, 24, 21, 27, LIGHT_GREY)                 # its keys
    paint(13, 8, 19, 15, BLUE)                        # a box going in...
    paint(15, 15, 17, 19, BLUE)                       # ...arrow shaft
    paint(13, 17, 19, 18, BLUE)
    image = bmp_rows(pixels)
    mask_rows = bytearray()
    for row in reversed(mask):
        line = bytearray()
        for x in range(0, size, 8):
            byte = 0
            for bit in range(8):
                byte = byte << 1 | row[x + bit]
            line.append(byte)
        mask_rows += line + b"\0" * ((4 - len(line) % 4) % 4)
    body = info_header(size, size * 2, len(image) + len(mask_rows)) + palette_bytes() + image + bytes(mask_rows)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(body), 6 + 16))
        f.write(body)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("tree", "icon"):
        sys.exit(__doc__)
    (write_tree if sys.argv[1] == "tree" else write_icon)(sys.argv[2])
