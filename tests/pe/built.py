# SPDX-License-Identifier: GPL-3.0-or-later
"""Where the checks find the 32-bit build, and what a missing file means."""

import os
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
BIN_DIR = os.environ.get("TAVREL_WIN32_BIN", os.path.join(ROOT, "build", "win32", "bin"))


def built_file(name):
    """Path of a built file. The test command names the build it checks, so there a missing
    file is a failure; run by hand before a build, the checks are skipped."""
    path = os.path.join(BIN_DIR, name)
    if not os.path.isfile(path):
        if "TAVREL_WIN32_BIN" in os.environ:
            raise AssertionError(f"{path} was not built")
        raise unittest.SkipTest(f"{path} is not built yet (cmake --preset win32 && "
                                "cmake --build --preset win32)")
    return path
