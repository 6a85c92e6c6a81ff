# SPDX-License-Identifier: GPL-3.0-or-later
"""The numeric ids of resources/resource.h, for the tests that drive the built programs:
one source of ids for C++ and Python alike."""
import os
import re

_HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "resources",
                       "resource.h")


def load(path=_HEADER):
    """name -> number of every `#define NAME NUMBER` in the header."""
    ids = {}
    with open(path) as f:
        for line in f:
            match = re.match(r"#define\s+(\w+)\s+(0x[0-9A-Fa-f]+|\d+)\b", line)
            if match:
                ids[match.group(1)] = int(match.group(2), 0)
    return ids


IDS = load()
