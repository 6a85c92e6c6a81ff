# SPDX-License-Identifier: GPL-3.0-or-later
"""A small reader of Windows PE images (EXE and DLL), in pure Python.

Reads the headers, the section table, the export and import directories, and gives access
to the bytes of the resource directory for callers that parse resources themselves.
"""

import struct

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664

FILE_EXECUTABLE_IMAGE = 0x0002
FILE_32BIT_MACHINE = 0x0100
FILE_DLL = 0x2000

SCN_CNT_CODE = 0x00000020
SCN_CNT_INITIALIZED_DATA = 0x00000040
SCN_CNT_UNINITIALIZED_DATA = 0x00000080
SCN_MEM_SHARED = 0x10000000
SCN_MEM_EXECUTE = 0x20000000
SCN_MEM_READ = 0x40000000
SCN_MEM_WRITE = 0x80000000

PE32_MAGIC = 0x10B
PE32PLUS_MAGIC = 0x20B

DIR_EXPORT = 0
DIR_IMPORT = 1
DIR_RESOURCE = 2


class PEFormatError(ValueError):
    pass


class Section:
    def __init__(self, name, virtual_address, virtual_size, raw_offset, raw_size,
                 characteristics):
        self.name = name
        self.virtual_address = virtual_address
        self.virtual_size = virtual_size
        self.raw_offset = raw_offset
        self.raw_size = raw_size
        self.characteristics = characteristics

    def has(self, flags):
        return self.characteristics & flags == flags

    def contains_rva(self, rva):
        size = max(self.virtual_size, self.raw_size)
        return self.virtual_address <= rva < self.virtual_address + size

    def __repr__(self):
        return "Section(%r, rva=0x%x, flags=0x%08x)" % (
            self.name, self.virtual_address, self.characteristics)


class Export:
    def __init__(self, ordinal, name, rva, forwarder=None):
        self.ordinal = ordinal
        self.name = name  # None for an export by ordinal only
        self.rva = rva
        self.forwarder = forwarder

    def __repr__(self):
        return "Export(%d, %r)" % (self.ordinal, self.name)


class PEImage:
    def __init__(self, data):
        self.data = bytes(data)
        self._parse_headers()

    @classmethod
    def from_file(cls, path):
        with open(path, "rb") as f:
            return cls(f.read())

    # Raw access -----------------------------------------------------------------------

    def _unpack(self, fmt, offset):
        size = struct.calcsize(fmt)
        if offset < 0 or offset + size > len(self.data):
            raise PEFormatError("read past the end of the file at 0x%x" % offset)
        return struct.unpack_from(fmt, self.data, offset)

    def rva_to_offset(self, rva):
        for s in self.sections:
            if s.contains_rva(rva):
                delta = rva - s.virtual_address
                if delta >= s.raw_size:
                    raise PEFormatError("RVA 0x%x lies in uninitialised data" % rva)
                return s.raw_offset + delta
        if rva < self.size_of_headers:
            return rva
        raise PEFormatError("RVA 0x%x is in no section" % rva)

    def read_rva(self, rva, size):
        offset = self.rva_to_offset(rva)
        if offset + size > len(self.data):
            raise PEFormatError("RVA 0x%x + %d runs past the end of the file" % (rva, size))
        return self.data[offset:offset + size]

    def string_at(self, rva, limit=4096):
        offset = self.rva_to_offset(rva)
        end = self.data.find(b"\0", offset, offset + limit)
        if end < 0:
            raise PEFormatError("unterminated string at RVA 0x%x" % rva)
        return self.data[offset:end].decode("ascii", "replace")

    # Headers ---------------------------------------------------------------------------

    def _parse_headers(self):
        if self.data[:2] != b"MZ":
            raise PEFormatError("no MZ signature")
        (pe_offset,) = self._unpack("<I", 0x3C)
        if self._unpack("4s", pe_offset)[0] != b"PE\0\0":
            raise PEFormatError("no PE signature")
        (self.machine, section_count, self.timestamp, _, _, optional_size,
         self.characteristics) = self._unpack("<HHIIIHH", pe_offset + 4)
        optional = pe_offset + 24
        (self.magic,) = self._unpack("<H", optional)
        if self.magic == PE32_MAGIC:
            (self.entry_point,) = self._unpack("<I", optional + 16)
            (self.image_base,) = self._unpack("<I", optional + 28)
            dirs_at = optional + 96
        elif self.magic == PE32PLUS_MAGIC:
            (self.entry_point,) = self._unpack("<I", optional + 16)
            (self.image_base,) = self._unpack("<Q", optional + 24)
            dirs_at = optional + 112
        else:
            raise PEFormatError("unknown optional header magic 0x%x" % self.magic)
        (self.subsystem, self.dll_characteristics) = self._unpack("<HH", optional + 68)
        (self.size_of_headers,) = self._unpack("<I", optional + 60)
        (dir_count,) = self._unpack("<I", dirs_at - 4)
        self.data_directories = [self._unpack("<II", dirs_at + 8 * i)
                                 for i in range(min(dir_count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(section_count):
            (raw_name, vsize, vaddr, raw_size, raw_offset, _, _, _, _,
             flags) = self._unpack("<8sIIIIIIHHI", table + 40 * i)
            name = raw_name.rstrip(b"\0").decode("ascii", "replace")
            self.sections.append(Section(name, vaddr, vsize, raw_offset, raw_size, flags))

    @property
    def is_pe32(self):
        return self.magic == PE32_MAGIC

    @property
    def is_dll(self):
        return bool(self.characteristics & FILE_DLL)

    def directory(self, index):
        """(rva, size) of a data directory; (0, 0) when absent."""
        if index < len(self.data_directories):
            return self.data_directories[index]
        return (0, 0)

    def section(self, name):
        for s in self.sections:
            if s.name == name:
                return s
        return None

    # Exports and imports ---------------------------------------------------------------

    def exports(self):
        rva, size = self.directory(DIR_EXPORT)
        if rva == 0:
            return []
        (_, _, _, _, _, base, function_count, name_count, functions, names,
         ordinals) = self._unpack("<IIHHIIIIIII", self.rva_to_offset(rva))
        by_index = {}
        for i in range(name_count):
            (name_rva,) = self._unpack("<I", self.rva_to_offset(names + 4 * i))
            (index,) = self._unpack("<H", self.rva_to_offset(ordinals + 2 * i))
            by_index[index] = self.string_at(name_rva)
        result = []
        for index in range(function_count):
            (target,) = self._unpack("<I", self.rva_to_offset(functions + 4 * index))
            if target == 0:
                continue
            forwarder = self.string_at(target) if rva <= target < rva + size else None
            result.append(Export(base + index, by_index.get(index), target, forwarder))
        return result

    def imports(self):
        """{DLL name: [function name, or '#ordinal']} in the order of the import table."""
        rva, _ = self.directory(DIR_IMPORT)
        if rva == 0:
            return {}
        thunk_size, ordinal_flag = (4, 1 << 31) if self.is_pe32 else (8, 1 << 63)
        thunk_fmt = "<I" if self.is_pe32 else "<Q"
        result = {}
        offset = self.rva_to_offset(rva)
        while True:
            lookup, _, _, name_rva, address_table = self._unpack("<IIIII", offset)
            if lookup == 0 and name_rva == 0 and address_table == 0:
                break
            functions = []
            thunk = lookup or address_table
            while True:
                (entry,) = self._unpack(thunk_fmt, self.rva_to_offset(thunk))
                if entry == 0:
                    break
                if entry & ordinal_flag:
                    functions.append("#%d" % (entry & 0xFFFF))
                else:
                    functions.append(self.string_at((entry & 0x7FFFFFFF) + 2))
                thunk += thunk_size
            result[self.string_at(name_rva)] = functions
            offset += 20
        return result

    # Resources -------------------------------------------------------------------------

    def resource_data(self):
        """(rva, bytes) of the resource directory, or (0, b'') when there is none.

        RVAs inside resource entries are image-relative: subtract the returned rva to index
        into the bytes."""
        rva, size = self.directory(DIR_RESOURCE)
        if rva == 0 or size == 0:
            return (0, b"")
        return (rva, self.read_rva(rva, size))
