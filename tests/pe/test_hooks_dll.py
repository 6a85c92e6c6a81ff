# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks of the 32-bit TavrelHooks.dll as built: kind, exports, shared section, imports."""

import unittest

from built import built_file
from peimage import (FILE_DLL, MACHINE_I386, SCN_MEM_READ, SCN_MEM_SHARED, SCN_MEM_WRITE,
                     PEImage)


# The library is loaded into every process that takes input: system DLLs only.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll"}
BLOCK_SIZE = 112  # the 32-bit ActivityBlock


class HooksDllTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.image = PEImage.from_file(built_file("TavrelHooks.dll"))

    def test_is_a_32_bit_x86_dll(self):
        self.assertEqual(self.image.machine, MACHINE_I386)
        self.assertTrue(self.image.is_pe32)
        self.assertTrue(self.image.characteristics & FILE_DLL)
        self.assertNotEqual(self.image.entry_point, 0)

    def test_exports_the_three_functions_by_plain_name_at_fixed_ordinals(self):
        exports = {(e.ordinal, e.name) for e in self.image.exports()}
        self.assertEqual(exports, {(1, "GetData"), (2, "InitHooks"), (3, "KillHooks")})
        for e in self.image.exports():
            self.assertIsNone(e.forwarder)
            self.assertTrue(self.image.section(".text").contains_rva(e.rva), e)

    def test_has_one_shared_read_write_data_section(self):
        shared = [s for s in self.image.sections if s.has(SCN_MEM_SHARED)]
        self.assertEqual(len(shared), 1, self.image.sections)
        self.assertTrue(shared[0].has(SCN_MEM_READ | SCN_MEM_WRITE), shared[0])
        # The shared block: two handles, the 20-byte record, the flag and the count, then
        # 8-byte aligned the installer's process key and the 8 holders' keys.
        self.assertGreaterEqual(shared[0].virtual_size, BLOCK_SIZE)
        # Stored in the file, so that every process starts from the same zero bytes.
        self.assertGreaterEqual(shared[0].raw_size, BLOCK_SIZE)
        self.assertEqual(self.image.read_rva(shared[0].virtual_address, BLOCK_SIZE),
                         bytes(BLOCK_SIZE))

    def test_imports_only_system_dlls(self):
        imports = self.image.imports()
        self.assertTrue(imports, "expected at least the hook functions of USER32")
        for dll in imports:
            self.assertIn(dll.lower(), SYSTEM_DLLS, f"{dll} would travel into every process")
        user32 = next(funcs for dll, funcs in imports.items() if dll.lower() == "user32.dll")
        for needed in ("SetWindowsHookExA", "UnhookWindowsHookEx", "CallNextHookEx"):
            self.assertIn(needed, user32)
        # InitHooks asks whether the processes recorded in the shared block still run.
        kernel32 = next(funcs for dll, funcs in imports.items() if dll.lower() == "kernel32.dll")
        for needed in ("OpenProcess", "GetProcessTimes", "WaitForSingleObject"):
            self.assertIn(needed, kernel32)

    def test_has_no_resources(self):
        self.assertEqual(self.image.resource_data(), (0, b""))


if __name__ == "__main__":
    unittest.main()
