#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the resources linked into the 32-bit Tavrel.exe against the layout the program
relies on: both dialog templates control by control, the string table, the frame's menu,
the icon groups and their images, the version record and every resource's language.

The program is read from $TAVREL_WIN32_BIN/Tavrel.exe (default build/win32/bin).
"""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, HERE)

import resources as rs  # noqa: E402
from built import built_file  # noqa: E402

ICON_DIR = os.path.join(ROOT, "resources", "icons")

US, UK = 0x0409, 0x0809
BUTTON, EDIT, STATIC = 0x0080, 0x0081, 0x0082
WS_VISIBLE, WS_DISABLED, WS_TABSTOP = 0x10000000, 0x08000000, 0x00010000
ES_NUMBER, BS_TYPE_MASK, BS_DEFPUSHBUTTON, BS_RADIOBUTTON = 0x2000, 0x0F, 0x1, 0x4
WS_EX_RIGHT = 0x1000

# Control styles as stored.
DIGITS_FIELD = 0x50832080  # child, visible, border, group, tab stop, auto h-scroll, digits only
TEXT_FIELD = 0x50810080  # child, visible, border, tab stop, auto h-scroll
GROUP_FRAME = 0x50010007  # group box with a tab stop
PANEL_FRAME = 0x50000007  # group box
DEFAULT_BUTTON = 0x50010001
PUSH_BUTTON = 0x50010000
RADIO = 0x50024004  # plain radio button, group, notify; no tab stop
LABEL = 0x50020002  # right-aligned static, group
READOUT = 0x50020000  # left-aligned static, group
WHITE_RECT = 0x40000006  # child, white rectangle, not visible

# The main window, template 102, in template (tab and stacking) order:
# id, class, text, x, y, width, height, style, extended style.
MAIN_CONTROLS = [
    (1011, EDIT, "", 70, 15, 36, 12, DIGITS_FIELD, 0),
    (1013, EDIT, "", 70, 32, 36, 12, DIGITS_FIELD, 0),
    (1015, EDIT, "", 70, 49, 36, 12, DIGITS_FIELD, 0),
    (1017, EDIT, "", 70, 66, 36, 12, TEXT_FIELD, 0),
    (1018, EDIT, "", 70, 83, 36, 12, TEXT_FIELD, 0),
    (1019, EDIT, "", 70, 100, 36, 12, TEXT_FIELD, 0),
    (1020, EDIT, "", 70, 117, 36, 12, TEXT_FIELD, 0),
    (1021, EDIT, "", 70, 133, 36, 12, TEXT_FIELD, 0),
    (-1, BUTTON, "Painful?", 149, 60, 50, 38, GROUP_FRAME, 0),
    (1012, BUTTON, "&Save", 158, 33, 41, 15, DEFAULT_BUTTON, 0),
    (1016, BUTTON, "&Quit", 158, 15, 41, 14, PUSH_BUTTON, 0),
    (1003, BUTTON, "Show Debugging &Info", 115, 132, 81, 14, PUSH_BUTTON, 0),
    (1022, BUTTON, "&Painful", 156, 71, 37, 10, RADIO, 0),
    (1023, BUTTON, "&Normal", 156, 84, 38, 10, RADIO, 0),
    (-1, STATIC, "Distance", 39, 170, 29, 8, LABEL, 0),
    (1004, STATIC, "000.00", 74, 170, 23, 8, READOUT, 0),
    (-1, STATIC, "Pain", 53, 215, 15, 8, LABEL, 0),
    (1006, STATIC, "00000000", 74, 215, 33, 8, READOUT, 0),
    (-1, STATIC, "Drag distance", 23, 200, 45, 8, LABEL, 0),
    (1001, STATIC, "00000000", 74, 200, 33, 8, READOUT, 0),
    (-1, STATIC, "Clicks", 48, 186, 20, 8, LABEL, 0),
    (1005, STATIC, "000.00", 74, 186, 23, 8, READOUT, 0),
    (-1, STATIC, "Total Distance", 21, 230, 47, 8, LABEL, 0),
    (1007, STATIC, "000000000000", 74, 230, 49, 8, READOUT, 0),
    (1008, BUTTON, "RESET", 11, 261, 34, 14, PUSH_BUTTON, 0),
    (1002, STATIC, "---", 65, 257, 31, 13, READOUT, 0),
    (-1, BUTTON, "Debugging Information", 7, 159, 198, 119, PANEL_FRAME, 0),
    (-1, STATIC, "&Threshold", 29, 17, 32, 8, LABEL, 0),
    (-1, STATIC, "&Decay", 29, 34, 32, 8, LABEL, 0),
    (1014, STATIC, "", 149, 105, 49, 21, WHITE_RECT, 0),
    (-1, STATIC, "&Click pain", 29, 68, 32, 8, READOUT, WS_EX_RIGHT),
    (-1, STATIC, "&Doubleclick pain", 7, 85, 54, 8, READOUT, WS_EX_RIGHT),
    (-1, STATIC, "&Keyboard pain", 7, 102, 54, 8, READOUT, WS_EX_RIGHT),
    (-1, STATIC, "&Move pain", 7, 119, 54, 8, READOUT, WS_EX_RIGHT),
    (-1, STATIC, "&Drag pain", 7, 135, 54, 8, READOUT, WS_EX_RIGHT),
    (-1, STATIC, "Total Keypresses", 13, 245, 55, 8, LABEL, 0),
    (1009, STATIC, "000000000000", 74, 245, 49, 8, READOUT, 0),
    (-1, STATIC, "&Break Limit", 25, 51, 36, 8, LABEL, 0),
]

# The About box, template 100.
ABOUT_CONTROLS = [
    (-1, STATIC, "Tavrel Version 0.2", 40, 10, 119, 8, 0x50020080, 0),
    (-1, STATIC, "(C) 2026 The Tavrel developers", 40, 25, 119, 8, READOUT, 0),
    (1, BUTTON, "OK", 178, 7, 32, 14, 0x50030001, 0),
    (-1, STATIC, "Contact: tavrel@example.org", 40, 41, 119, 8, READOUT, 0),
    (-1, STATIC, "https://tavrel.example.org", 40, 57, 119, 8, READOUT, 0),
]

# Templates: id -> header fields.
DIALOGS = {
    102: dict(extended=True, caption="Tavrel", x=0, y=0, cx=212, cy=285, style=0x90C800C0,
              ex_style=0, help_id=0, menu=None, font=(8, "MS Sans Serif", 0, 0, 1),
              controls=MAIN_CONTROLS),
    100: dict(extended=False, caption="About Tavrel", x=0, y=0, cx=217, cy=90,
              style=0x80C800C0, ex_style=0, help_id=None, menu=None,
              font=(8, "MS Sans Serif"), controls=ABOUT_CONTROLS),
}

STRINGS = {101: "&About Tavrel..."}

MENU = [{"flags": 0x90, "text": "Menu to make MFC happy with our invisible mainframe",
         "items": [{"flags": 0x80, "id": 32771, "text": "Item1"}]}]

# Icon group -> the generator's file whose images it must hold.
ICONS = {
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

VERSION_FIXED = dict(signature=0xFEEF04BD, struc_version=0x00010000,
                     file_ms=0x00010000, file_ls=0x00000001,
                     product_ms=0x00010000, product_ls=0x00000001,
                     flags_mask=0x3F, flags=0, os=4, type=1, subtype=0, date_ms=0, date_ls=0)
VERSION_STRINGS = {
    "040904B0": {
        "CompanyName": "",
        "FileDescription": "Tavrel MFC Application",
        "FileVersion": "1, 0, 0, 1",
        "InternalName": "Tavrel",
        "LegalCopyright": "Copyright (C) 2026 The Tavrel developers",
        "LegalTrademarks": "",
        "OriginalFilename": "Tavrel.EXE",
        "ProductName": "Tavrel Application",
        "ProductVersion": "1, 0, 0, 1",
    }
}

# Every named resource and its one language; the icon images follow their groups.
LANGUAGES = {
    rs.RT_DIALOG: {100: US, 102: US},
    rs.RT_STRING: {rs.string_block_of(101)[0]: US},
    rs.RT_VERSION: {1: US},
    rs.RT_MENU: {128: UK},
    rs.RT_GROUP_ICON: {name: UK for name in ICONS},
}

tree = None


def setUpModule():
    global tree
    with open(built_file("Tavrel.exe"), "rb") as f:
        tree = rs.resource_tree(f.read())


def resource(kind, name):
    """The data of one resource, which must exist in exactly one language."""
    languages = tree.get(kind, {}).get(name)
    if not languages:
        raise AssertionError("resource type %d name %r is missing" % (kind, name))
    if len(languages) != 1:
        raise AssertionError("resource type %d name %r in several languages: %s"
                             % (kind, name, sorted(languages)))
    return next(iter(languages.values()))


def as_row(control):
    """A parsed control in the shape of the tables above."""
    text = control["text"] or ""  # an empty title is stored like an absent one
    return (control["id"], control["class"], text, control["x"], control["y"], control["cx"],
            control["cy"], control["style"], control["ex_style"])


class ResourceDirectoryTest(unittest.TestCase):
    def test_each_resource_has_its_language(self):
        for kind, names in LANGUAGES.items():
            for name, language in names.items():
                with self.subTest(type=kind, name=name):
                    self.assertEqual(list(tree.get(kind, {}).get(name, {})), [language])

    def test_there_are_no_other_resources(self):
        expected = {kind: set(names) for kind, names in LANGUAGES.items()}
        found = {kind: set(names) for kind, names in tree.items() if kind != rs.RT_ICON}
        self.assertEqual(found, expected)

    def test_every_icon_image_belongs_to_a_group_and_shares_its_language(self):
        referenced = set()
        for group in ICONS:
            referenced |= {e["id"] for e in rs.icon_group(resource(rs.RT_GROUP_ICON, group))}
        self.assertEqual(set(tree.get(rs.RT_ICON, {})), referenced)
        for image in referenced:
            with self.subTest(image=image):
                self.assertEqual(list(tree[rs.RT_ICON][image]), [UK])


class DialogTemplateTest(unittest.TestCase):
    def test_template_headers(self):
        for name, expected in DIALOGS.items():
            parsed = rs.dialog(resource(rs.RT_DIALOG, name))
            for field, value in expected.items():
                if field == "controls":
                    continue
                with self.subTest(template=name, field=field):
                    self.assertEqual(parsed[field], value)
            with self.subTest(template=name, field="class"):
                self.assertIsNone(parsed["class"])  # the standard dialog class

    def test_controls_in_order(self):
        for name, expected in DIALOGS.items():
            parsed = rs.dialog(resource(rs.RT_DIALOG, name))
            rows = [as_row(c) for c in parsed["controls"]]
            self.assertEqual(len(rows), len(expected["controls"]), "template %d" % name)
            for number, (row, want) in enumerate(zip(rows, expected["controls"]), 1):
                with self.subTest(template=name, row=number, id=want[0]):
                    self.assertEqual(row, want)
            for number, control in enumerate(parsed["controls"], 1):
                with self.subTest(template=name, row=number, field="help id and extra data"):
                    self.assertEqual(control["help_id"], 0 if parsed["extended"] else None)
                    self.assertEqual(control["extra"], 0)

    def test_main_window_keyboard_behaviour(self):
        controls = rs.dialog(resource(rs.RT_DIALOG, 102))["controls"]
        focusable = [c["id"] for c in controls
                     if c["style"] & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)
                     == WS_TABSTOP | WS_VISIBLE]
        self.assertEqual(focusable[0], 1011, "the Threshold field takes the focus first")
        by_id = {c["id"]: c for c in controls if c["id"] != -1}
        for radio in (1022, 1023):
            with self.subTest(radio=radio):
                style = by_id[radio]["style"]
                self.assertEqual(style & BS_TYPE_MASK, BS_RADIOBUTTON)  # not automatic
                self.assertFalse(style & WS_TABSTOP)
        digits_only = {c["id"] for c in controls if c["class"] == EDIT and c["style"] & ES_NUMBER}
        self.assertEqual(digits_only, {1011, 1013, 1015})
        defaults = [c["id"] for c in controls
                    if c["class"] == BUTTON and c["style"] & BS_TYPE_MASK == BS_DEFPUSHBUTTON]
        self.assertEqual(defaults, [1012], "Enter activates Save")


class StringAndMenuTest(unittest.TestCase):
    def test_string_table(self):
        blocks = {}
        for string_id, text in STRINGS.items():
            block, index = rs.string_block_of(string_id)
            strings = blocks.setdefault(block, rs.string_table_block(
                resource(rs.RT_STRING, block)))
            with self.subTest(string=string_id):
                self.assertEqual(strings[index], text)
        for block, strings in blocks.items():
            present = {(block - 1) * 16 + i for i, s in enumerate(strings) if s}
            self.assertEqual(present, {s for s in STRINGS if rs.string_block_of(s)[0] == block})

    def test_frame_menu(self):
        self.assertEqual(rs.menu(resource(rs.RT_MENU, 128)), MENU)


class IconTest(unittest.TestCase):
    def test_each_group_holds_a_32_and_a_16_pixel_image_in_16_colours(self):
        for group in ICONS:
            entries = rs.icon_group(resource(rs.RT_GROUP_ICON, group))
            with self.subTest(group=group):
                self.assertEqual([(e["width"], e["height"]) for e in entries], [(32, 32), (16, 16)])
                for entry in entries:
                    self.assertEqual((entry["colours"], entry["planes"], entry["bpp"]), (16, 1, 4))
                    image = resource(rs.RT_ICON, entry["id"])
                    self.assertEqual(len(image), entry["bytes"])
                    self.assertEqual(rs.icon_image(image), {"width": entry["width"],
                                                            "height": entry["height"],
                                                            "planes": 1, "bpp": 4})

    def test_each_group_shows_its_own_picture(self):
        for group, file_name in ICONS.items():
            with open(os.path.join(ICON_DIR, file_name), "rb") as f:
                ico = f.read()
            count = int.from_bytes(ico[4:6], "little")
            pictures = []
            for i in range(count):
                entry = ico[6 + 16 * i : 22 + 16 * i]
                size = int.from_bytes(entry[8:12], "little")
                offset = int.from_bytes(entry[12:16], "little")
                pictures.append(ico[offset : offset + size])
            entries = rs.icon_group(resource(rs.RT_GROUP_ICON, group))
            with self.subTest(group=group, file=file_name):
                self.assertEqual([resource(rs.RT_ICON, e["id"]) for e in entries], pictures)


class VersionTest(unittest.TestCase):
    def test_version_record(self):
        info = rs.version_info(resource(rs.RT_VERSION, 1))
        for field, value in VERSION_FIXED.items():
            with self.subTest(field=field):
                self.assertEqual(info["fixed"][field], value)
        self.assertEqual(info["strings"], VERSION_STRINGS)
        self.assertEqual(info["translation"], [(0x0409, 1200)])


if __name__ == "__main__":
    unittest.main()
