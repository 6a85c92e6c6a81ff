#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the icon generator: the committed icons are its output, and their pictures tell
the pain levels and the two alarm states apart."""

import os
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
ICON_DIR = os.path.join(ROOT, "resources", "icons")
sys.path.insert(0, HERE)

import make_icons  # noqa: E402

RED, DARK_RED, YELLOW, WHITE = 9, 1, 11, 15

# resource id -> committed file
FILES = {
    128: "tavrel.ico",
    132: "level0.ico",
    133: "alarm1.ico",
    134: "alarm2.ico",
    135: "level1.ico",
    136: "level2.ico",
    137: "level3.ico",
    138: "level4.ico",
    139: "level5.ico",
}


def decode_ico(data):
    """{size: rows of palette indices, None for transparent}, read as Windows reads it."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1):
        raise ValueError("not an icon file")
    images = {}
    for i in range(count):
        w, h, colours, _, planes, bpp, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i
        )
        if (colours, planes, bpp) != (16, 1, 4):
            raise ValueError("image %d is not 16 colours at 4 bpp" % i)
        header = struct.unpack_from("<IiiHHIIiiII", data, offset)
        size, width, height2, _, bitcount, compression = header[:6]
        if (size, width, height2, bitcount, compression) != (40, w, 2 * h, 4, 0):
            raise ValueError("image %d has an unexpected bitmap header" % i)
        if offset + length > len(data):
            raise ValueError("image %d runs past the end of the file" % i)
        xor_stride, and_stride = (w * 4 + 31) // 32 * 4, (w + 31) // 32 * 4
        xor_at = offset + 40 + 16 * 4
        and_at = xor_at + xor_stride * h
        if and_at + and_stride * h != offset + length:
            raise ValueError("image %d has the wrong length" % i)
        rows = []
        for y in range(h):
            src = h - 1 - y  # bottom-up
            row = []
            for x in range(w):
                byte = data[xor_at + src * xor_stride + x // 2]
                index = byte >> 4 if x % 2 == 0 else byte & 0x0F
                masked = data[and_at + src * and_stride + x // 8] >> (7 - x % 8) & 1
                if masked and index != 0:
                    raise ValueError("transparent pixel with colour in image %d" % i)
                row.append(None if masked else index)
            rows.append(row)
        images[w] = rows
    return images


def load(resource):
    with open(os.path.join(ICON_DIR, FILES[resource]), "rb") as f:
        return decode_ico(f.read())


def count(image, index):
    return sum(row.count(index) for row in image)


class GeneratorOutputTest(unittest.TestCase):
    def test_running_the_generator_reproduces_the_committed_icons(self):
        with tempfile.TemporaryDirectory() as out:
            self.assertEqual(make_icons.main(["--out", out, "--sheet", ""]), 0)
            made = sorted(os.listdir(out))
            self.assertEqual(made, sorted(FILES.values()))
            for name in made:
                with self.subTest(icon=name):
                    with open(os.path.join(out, name), "rb") as f:
                        fresh = f.read()
                    with open(os.path.join(ICON_DIR, name), "rb") as f:
                        self.assertEqual(fresh, f.read(), "rerun make_icons.py and commit")


class IconPictureTest(unittest.TestCase):
    def test_each_icon_is_a_32_and_a_16_pixel_image(self):
        for resource in FILES:
            with self.subTest(resource=resource):
                self.assertEqual(sorted(load(resource)), [16, 32])

    def test_only_the_application_figure_has_a_32_pixel_picture(self):
        for resource in FILES:
            with self.subTest(resource=resource):
                big = load(resource)[32]
                opaque = 1024 - count(big, None)
                if resource in (128, 132):
                    self.assertGreater(opaque, 300)
                else:
                    self.assertEqual(opaque, 0)

    def test_level_zero_shows_the_application_figure(self):
        self.assertEqual(load(128), load(132))

    def test_the_neutral_figure_is_white_with_a_dotted_grey_top_and_cyan_edge(self):
        small = load(128)[16]
        self.assertEqual(count(small, RED), 0)
        self.assertGreater(count(small, WHITE), count(small, 7))
        self.assertGreater(count(small, 7), 0)  # grey top
        self.assertGreater(count(small, 0), 0)  # black dots
        self.assertGreater(count(small, 6), 0)  # dark-cyan edge
        self.assertIsNone(small[0][0])  # corners stay transparent: a rounded body

    def test_red_grows_with_each_level(self):
        levels = [132, 135, 136, 137, 138, 139]
        filled = [count(load(r)[16], RED) + count(load(r)[16], DARK_RED) for r in levels]
        self.assertEqual(filled, sorted(set(filled)), "red must grow strictly: %s" % filled)
        body = filled[-1]
        self.assertLess(filled[1], body / 4)  # a little red at the lower end
        self.assertAlmostEqual(filled[2] / body, 0.5, delta=0.15)  # about the lower half
        self.assertEqual(count(load(139)[16], WHITE), 0)
        self.assertGreater(count(load(139)[16], DARK_RED), 0)  # dark red top

    def test_red_fills_from_the_bottom(self):
        image = load(135)[16]
        red_rows = [y for y, row in enumerate(image) if RED in row]
        white_rows = [y for y, row in enumerate(image) if WHITE in row]
        self.assertGreater(min(red_rows), max(white_rows))

    def test_alarm_icons_differ_only_by_the_colour_of_their_bar(self):
        first, second = load(133)[16], load(134)[16]
        for image in (first, second):
            self.assertEqual(count(image, WHITE) + count(image, 7), 0)  # wholly red
        differing = [
            (x, y) for y in range(16) for x in range(16) if first[y][x] != second[y][x]
        ]
        self.assertGreaterEqual(len(differing), 6)
        for x, y in differing:
            with self.subTest(pixel=(x, y)):
                self.assertGreaterEqual(x, 10)  # lower right
                self.assertGreaterEqual(y, 6)
                self.assertEqual((first[y][x], second[y][x]), (RED, YELLOW))

    def test_the_tray_pictures_are_told_apart_at_16_pixels(self):
        tray = [132, 133, 134, 135, 136, 137, 138, 139]
        pictures = {r: load(r)[16] for r in tray}
        for i, a in enumerate(tray):
            for b in tray[i + 1:]:
                with self.subTest(pair=(a, b)):
                    differing = sum(
                        pa != pb
                        for ra, rb in zip(pictures[a], pictures[b])
                        for pa, pb in zip(ra, rb)
                    )
                    self.assertGreaterEqual(differing, 6)


if __name__ == "__main__":
    unittest.main()
