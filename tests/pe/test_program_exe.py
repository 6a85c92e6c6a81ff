# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks of the 32-bit Tavrel.exe as built: kind, and what it needs at load time."""

import unittest

from built import built_file
from peimage import FILE_DLL, MACHINE_I386, PEImage

SUBSYSTEM_WINDOWS_GUI = 2
# Shipped with every Windows; no MinGW runtime DLL may be needed beside the program.
# ole32 for the folder chooser of "Share history...".
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "advapi32.dll",
               "msvcrt.dll", "comctl32.dll", "ole32.dll"}


class ProgramExeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.image = PEImage.from_file(built_file("Tavrel.exe"))

    def test_is_a_32_bit_x86_windows_program(self):
        self.assertEqual(self.image.machine, MACHINE_I386)
        self.assertTrue(self.image.is_pe32)
        self.assertFalse(self.image.characteristics & FILE_DLL)
        self.assertEqual(self.image.subsystem, SUBSYSTEM_WINDOWS_GUI)

    def test_imports_only_system_dlls_and_the_hook_library(self):
        imports = {dll.lower(): functions for dll, functions in self.image.imports().items()}
        self.assertIn("tavrelhooks.dll", imports)
        for dll in imports:
            if dll != "tavrelhooks.dll":
                self.assertIn(dll, SYSTEM_DLLS, f"{dll} would have to travel with the program")

    def test_binds_the_three_hook_functions_by_name(self):
        hooks = {dll.lower(): functions
                 for dll, functions in self.image.imports().items()}["tavrelhooks.dll"]
        self.assertEqual(sorted(hooks), ["GetData", "InitHooks", "KillHooks"])


if __name__ == "__main__":
    unittest.main()
