# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the resources of a Windows PE image (located with peimage): the resource directory
tree and decoders for dialog templates, string tables, menus, icon groups, icon images and
version records.

Standard library only; every structure is read as the Windows loader and the dialog
manager read it, so a mismatch with what the program expects is found without Windows.
"""

import struct

from peimage import PEImage

RT_ICON, RT_MENU, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 3, 4, 5, 6, 14, 16
DS_SETFONT = 0x40  # DS_SHELLFONT includes this bit


class FormatError(ValueError):
    pass


# ---------------------------------------------------------------------------
# Resource directory


def _utf16_counted(section, offset):
    length = struct.unpack_from("<H", section, offset)[0]
    return section[offset + 2 : offset + 2 + 2 * length].decode("utf-16-le")


def _directory(section, offset, base_rva, depth):
    _, _, _, _, named, numbered = struct.unpack_from("<IIHHHH", section, offset)
    out = {}
    for i in range(named + numbered):
        name, target = struct.unpack_from("<II", section, offset + 16 + 8 * i)
        key = _utf16_counted(section, name & 0x7FFFFFFF) if name & 0x80000000 else name
        if key in out:
            raise FormatError("duplicate resource directory entry %r" % (key,))
        if target & 0x80000000:
            if depth >= 2:
                raise FormatError("resource directory nested too deep")
            out[key] = _directory(section, target & 0x7FFFFFFF, base_rva, depth + 1)
        else:
            if depth != 2:
                raise FormatError("resource data at depth %d" % depth)
            data_rva, size = struct.unpack_from("<II", section, target)
            start = data_rva - base_rva
            if start < 0 or start + size > len(section):
                raise FormatError("resource data outside its section")
            out[key] = bytes(section[start : start + size])
    return out


def resource_tree(image):
    """{type: {name: {language: data}}}; types and names are ints or strings."""
    rva, section = PEImage(image).resource_data()
    if not section:
        raise FormatError("the image has no resources")
    return _directory(section, 0, rva, 0)


# ---------------------------------------------------------------------------
# Small readers


class Reader:
    """A cursor over little-endian data with the template encodings of strings and ids."""

    def __init__(self, data, offset=0):
        self.data, self.offset = data, offset

    def unpack(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.offset)
        self.offset += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def sz(self):
        end = self.offset
        while True:
            if end + 2 > len(self.data):
                raise FormatError("unterminated string")
            if self.data[end : end + 2] == b"\0\0":
                break
            end += 2
        text = self.data[self.offset : end].decode("utf-16-le")
        self.offset = end + 2
        return text

    def sz_or_ord(self):
        """None for an absent field, an int for an ordinal, else the string."""
        first = struct.unpack_from("<H", self.data, self.offset)[0]
        if first == 0:
            self.offset += 2
            return None
        if first == 0xFFFF:
            self.offset += 2
            return self.unpack("H")
        return self.sz()

    def align(self, size=4):
        self.offset = (self.offset + size - 1) // size * size

    def at_end(self):
        return self.offset >= len(self.data)


# ---------------------------------------------------------------------------
# Dialog templates


def dialog(data):
    """A classic or extended dialog template as a dict; controls in template order."""
    r = Reader(data)
    extended = struct.unpack_from("<HH", data, 0) == (1, 0xFFFF)
    d = {"extended": extended}
    if extended:
        r.unpack("HH")
        d["help_id"], d["ex_style"], d["style"] = r.unpack("III")
    else:
        d["style"], d["ex_style"] = r.unpack("II")
        d["help_id"] = None
    count = r.unpack("H")
    d["x"], d["y"], d["cx"], d["cy"] = r.unpack("hhhh")
    d["menu"], d["class"], d["caption"] = r.sz_or_ord(), r.sz_or_ord(), r.sz()
    d["font"] = None
    if d["style"] & DS_SETFONT:
        if extended:
            size, weight, italic, charset = r.unpack("HHBB")
            d["font"] = (size, r.sz(), weight, italic, charset)
        else:
            d["font"] = (r.unpack("H"), r.sz())
    d["controls"] = []
    for _ in range(count):
        r.align()
        c = {}
        if extended:
            c["help_id"], c["ex_style"], c["style"] = r.unpack("III")
            c["x"], c["y"], c["cx"], c["cy"] = r.unpack("hhhh")
            c["id"] = r.unpack("i")
        else:
            c["style"], c["ex_style"] = r.unpack("II")
            c["x"], c["y"], c["cx"], c["cy"] = r.unpack("hhhh")
            c["id"] = r.unpack("h")
            c["help_id"] = None
        c["class"], c["text"] = r.sz_or_ord(), r.sz_or_ord()
        extra = r.unpack("H")
        c["extra"] = extra
        r.offset += extra
        d["controls"].append(c)
    return d


# ---------------------------------------------------------------------------
# String tables and menus


def string_table_block(data):
    """The 16 strings of one string-table block ('' for an absent string)."""
    r = Reader(data)
    strings = []
    for _ in range(16):
        length = r.unpack("H")
        strings.append(data[r.offset : r.offset + 2 * length].decode("utf-16-le"))
        r.offset += 2 * length
    return strings


def string_block_of(string_id):
    """(resource name of the block holding the string, index within the block)."""
    return string_id // 16 + 1, string_id % 16


MF_POPUP, MF_END = 0x10, 0x80


def menu(data):
    """A standard menu template as nested lists of dicts (flags, id, text, items)."""
    r = Reader(data)
    version, header = r.unpack("HH")
    if version != 0:
        raise FormatError("not a standard menu template (version %d)" % version)
    r.offset += header

    def items():
        out = []
        while True:
            flags = r.unpack("H")
            item = {"flags": flags}
            if flags & MF_POPUP:
                item["text"] = r.sz()
                item["items"] = items()
            else:
                item["id"] = r.unpack("H")
                item["text"] = r.sz()
            out.append(item)
            if flags & MF_END or r.at_end():
                return out

    return items()


# ---------------------------------------------------------------------------
# Icons


def icon_group(data):
    """GRPICONDIR entries: dicts of width, height, colours, planes, bpp, bytes and icon id."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1):
        raise FormatError("not an icon group")
    if len(data) != 6 + 14 * count:
        raise FormatError("icon group of the wrong length")
    entries = []
    for i in range(count):
        w, h, colours, _, planes, bpp, size, icon_id = struct.unpack_from(
            "<BBBBHHIH", data, 6 + 14 * i
        )
        entries.append({"width": w or 256, "height": h or 256, "colours": colours,
                        "planes": planes, "bpp": bpp, "bytes": size, "id": icon_id})
    return entries


def icon_image(data):
    """Width, height (of the colour image), planes and bpp of one RT_ICON image."""
    size, width, height2, planes, bpp = struct.unpack_from("<IiiHH", data, 0)
    if size != 40:
        raise FormatError("icon image without a BITMAPINFOHEADER")
    return {"width": width, "height": height2 // 2, "planes": planes, "bpp": bpp}


# ---------------------------------------------------------------------------
# Version record


def _version_node(data, offset):
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    r = Reader(data[:end], offset + 6)
    key = r.sz()
    r.align()
    if kind == 1:  # text: the value length counts characters
        raw = data[r.offset : r.offset + 2 * value_length]
        value = raw.decode("utf-16-le").split("\0", 1)[0]
        r.offset += 2 * value_length
    else:
        value = bytes(data[r.offset : r.offset + value_length])
        r.offset += value_length
    children = []
    r.align()
    while r.offset < end:
        child, r.offset = _version_node(data, r.offset)
        children.append(child)
        r.align()
    return {"key": key, "value": value, "children": children}, end


FIXED_FIELDS = ("signature", "struc_version", "file_ms", "file_ls", "product_ms", "product_ls",
                "flags_mask", "flags", "os", "type", "subtype", "date_ms", "date_ls")


def version_info(data):
    """{'fixed': VS_FIXEDFILEINFO fields, 'strings': {block: {key: text}}, 'translation': []}."""
    root, _ = _version_node(data, 0)
    if root["key"] != "VS_VERSION_INFO" or len(root["value"]) != 52:
        raise FormatError("not a version record")
    out = {"fixed": dict(zip(FIXED_FIELDS, struct.unpack("<13I", root["value"]))),
           "strings": {}, "translation": []}
    for child in root["children"]:
        if child["key"] == "StringFileInfo":
            for table in child["children"]:
                out["strings"][table["key"]] = {s["key"]: s["value"] for s in table["children"]}
        elif child["key"] == "VarFileInfo":
            for var in child["children"]:
                if var["key"] == "Translation":
                    raw = var["value"]
                    out["translation"] += [struct.unpack_from("<HH", raw, i)
                                           for i in range(0, len(raw), 4)]
    return out
