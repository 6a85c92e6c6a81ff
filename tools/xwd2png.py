#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Converts an X window dump (xwd, 24/32-bit TrueColor, ZPixmap) to PNG: xwd2png.py IN OUT."""
import struct
import sys
import zlib


def xwd_to_rgb(data):
    header = struct.unpack(">25I", data[:100])
    header_size, _version, pixmap_format, depth, width, height = header[:6]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    red_mask, green_mask, blue_mask = header[14], header[15], header[16]
    ncolors = header[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32) or depth < 24:
        raise ValueError("only 24/32-bit ZPixmap dumps are supported")
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        row = bytearray([0])  # PNG filter type: none
        for x in range(width):
            chunk = line[x * step: x * step + step]
            pixel = int.from_bytes(chunk, "little" if order == "<" else "big")
            row += bytes(((pixel & red_mask) >> rs, (pixel & green_mask) >> gs,
                          (pixel & blue_mask) >> bs))
        rows.append(bytes(row))
    return width, height, b"".join(rows)


def png(width, height, raw):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    with open(sys.argv[1], "rb") as f:
        width, height, raw = xwd_to_rgb(f.read())
    with open(sys.argv[2], "wb") as f:
        f.write(png(width, height, raw))


if __name__ == "__main__":
    main()
