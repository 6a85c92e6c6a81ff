#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Tavrel's icons and writes them as 16-colour .ico files.

Every icon is a group of a 32x32 and a 16x16 image with 4 bits per pixel, the standard
Windows 16-colour palette and an AND mask. The tray icons are only ever shown at 16x16,
so the 32x32 images of the level and alarm icons are left fully transparent; the
application icon (and level 0, which shows the same figure) has a real 32x32 picture.

Usage: make_icons.py [--out DIR] [--sheet PNG]
Defaults: resources/icons/ and docs/icons.png next to this repository's root.
The output depends on nothing but this file, so running it again reproduces the
committed icons byte for byte.
"""

import argparse
import os
import struct
import sys
import zlib

# The standard Windows 16-colour palette, in palette order, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 dark red
    (0x00, 0x80, 0x00),  # 2 dark green
    (0x80, 0x80, 0x00),  # 3 dark yellow
    (0x00, 0x00, 0x80),  # 4 dark blue
    (0x80, 0x00, 0x80),  # 5 dark magenta
    (0x00, 0x80, 0x80),  # 6 dark cyan
    (0xC0, 0xC0, 0xC0),  # 7 light grey
    (0x80, 0x80, 0x80),  # 8 dark grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 green
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 magenta
    (0x00, 0xFF, 0xFF),  # 14 cyan
    (0xFF, 0xFF, 0xFF),  # 15 white
]

# Letters of the pictures below; '.' is transparent.
INK = {"k": 0, "d": 1, "c": 6, "g": 7, "r": 9, "y": 11, "w": 15}
TRANSPARENT = "."

# The neutral figure at 16x16: a rounded white body, a grey top dotted with black and a
# dark-cyan edge.
FIGURE_16 = [
    "................",
    ".....cccccc.....",
    "....cggggggc....",
    "...cggkggkggc...",
    "...cggggggggc...",
    "...cggkggkggc...",
    "...cwwwwwwwwc...",
    "...cwwwwwwwwc...",
    "...cwwwwwwwwc...",
    "...cwwwwwwwwc...",
    "...cwwwwwwwwc...",
    "...cwwwwwwwwc...",
    "...cwwwwwwwwc...",
    "....cwwwwwwc....",
    ".....cccccc.....",
    "................",
]

# The same figure at 32x32 for the application icon.
FIGURE_32 = [
    "................................",
    "............cccccccc............",
    "..........ccggggggggcc..........",
    ".........cggggggggggggc.........",
    "........cgggkkggggkkgggc........",
    "........cgggkkggggkkgggc........",
    ".......cggggggggggggggggc.......",
    ".......cggggggggggggggggc.......",
    ".......cgkkggggkkggggkkgc.......",
    ".......cgkkggggkkggggkkgc.......",
    ".......cggggggggggggggggc.......",
    ".......cggggggggggggggggc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    ".......cwwwwwwwwwwwwwwwwc.......",
    "........cwwwwwwwwwwwwwwc........",
    "........cwwwwwwwwwwwwwwc........",
    ".........cwwwwwwwwwwwwc.........",
    "..........ccwwwwwwwwcc..........",
    "............cccccccc............",
    "................................",
]

# Rows of FIGURE_16 inside the edge: the grey top, then the white body.
TOP_ROWS = range(2, 6)
INSIDE_ROWS = range(2, 14)

# The alarm mark: a bar outlined in black over the lower right corner of the figure.
BAR_COLUMNS = range(12, 16)
BAR_ROWS = range(6, 16)


def fill_red(picture, rows, top_ink="r"):
    """The picture with the inside of the given rows filled red; the dots stay black."""
    out = []
    for y, line in enumerate(picture):
        if y in rows:
            ink = top_ink if y in TOP_ROWS else "r"
            line = "".join(ink if ch in "gw" else ch for ch in line)
        out.append(line)
    return out


def level(step):
    """The figure filling with red from the bottom up, in five steps (1 to 5)."""
    red_rows = {1: 2, 2: 6, 3: 9, 4: 11, 5: 12}[step]
    rows = range(INSIDE_ROWS.stop - red_rows, INSIDE_ROWS.stop)
    return fill_red(FIGURE_16, rows, top_ink="d" if step == 5 else "r")


def alarm(bar_ink):
    """The wholly red figure with a coloured bar at its lower right."""
    picture = [list(line) for line in fill_red(FIGURE_16, INSIDE_ROWS)]
    for y in BAR_ROWS:
        for x in BAR_COLUMNS:
            border = y in (BAR_ROWS[0], BAR_ROWS[-1]) or x in (BAR_COLUMNS[0], BAR_COLUMNS[-1])
            picture[y][x] = "k" if border else bar_ink
    return ["".join(line) for line in picture]


def blank(size):
    return [TRANSPARENT * size] * size


# (resource id, file name, 32x32 picture, 16x16 picture), in the order of the contact sheet.
ICONS = [
    (128, "tavrel.ico", FIGURE_32, FIGURE_16),
    (132, "level0.ico", FIGURE_32, FIGURE_16),
    (135, "level1.ico", blank(32), level(1)),
    (136, "level2.ico", blank(32), level(2)),
    (137, "level3.ico", blank(32), level(3)),
    (138, "level4.ico", blank(32), level(4)),
    (139, "level5.ico", blank(32), level(5)),
    (133, "alarm1.ico", blank(32), alarm("r")),
    (134, "alarm2.ico", blank(32), alarm("y")),
]


def check_picture(picture, size):
    if len(picture) != size or any(len(line) != size for line in picture):
        raise ValueError("picture is not %dx%d" % (size, size))
    for line in picture:
        for ch in line:
            if ch != TRANSPARENT and ch not in INK:
                raise ValueError("unknown ink %r" % ch)


def dib(picture):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colour rows and the AND mask."""
    size = len(picture)
    check_picture(picture, size)
    xor_stride = (size * 4 + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor_rows, and_rows = [], []
    for line in reversed(picture):  # bitmaps are stored bottom-up
        nibbles = [0 if ch == TRANSPARENT else INK[ch] for ch in line]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(packed.ljust(xor_stride, b"\0"))
        mask = 0
        for ch in line:
            mask = (mask << 1) | (1 if ch == TRANSPARENT else 0)
        and_rows.append(mask.to_bytes((size + 7) // 8, "big").ljust(and_stride, b"\0"))
    bits = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(bits), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bits


def ico(pictures):
    """An .ico file holding the given pictures in order."""
    images = [dib(p) for p in pictures]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for picture, image in zip(pictures, images):
        size = len(picture)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def rgba(picture, x, y, background):
    ch = picture[y][x]
    return background if ch == TRANSPARENT else PALETTE[INK[ch]]


def contact_sheet(scale=4, gap=8):
    """A PNG of every icon: the 16x16 images on the first row, the 32x32 ones below."""
    rows = [[p16 for _, _, _, p16 in ICONS], [p32 for _, _, p32, _ in ICONS]]
    cell = 32 * scale
    width = gap + len(ICONS) * (cell + gap)
    height = gap + sum(len(pictures[0]) * scale + gap for pictures in rows)
    light, dark = (0xE8, 0xE8, 0xE8), (0xB0, 0xB0, 0xB0)
    pixels = [[(0x60, 0x60, 0x60)] * width for _ in range(height)]
    top = gap
    for pictures in rows:
        size = len(pictures[0])
        for c, picture in enumerate(pictures):
            left = gap + c * (cell + gap) + (cell - size * scale) // 2
            for py in range(size * scale):
                for px in range(size * scale):
                    checker = light if (px // 8 + py // 8) % 2 == 0 else dark
                    pixels[top + py][left + px] = rgba(picture, px // scale, py // scale, checker)
        top += size * scale + gap
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in line) for line in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def write(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(root, "resources", "icons"))
    parser.add_argument("--sheet", default=os.path.join(root, "docs", "icons.png"),
                        help="contact sheet to write; empty to skip it")
    args = parser.parse_args(argv)
    for _, name, p32, p16 in ICONS:
        write(os.path.join(args.out, name), ico([p32, p16]))
    if args.sheet:
        write(args.sheet, contact_sheet())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
