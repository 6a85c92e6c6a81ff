// SPDX-License-Identifier: GPL-3.0-or-later
// What this build of the program counts with, and the screen width that the pain model
// measures moves against. Each Windows build links one definition: the 32-bit release the
// hook library, the 64-bit release its own low-level capture.
#pragma once

#include <cstdint>

#include "tavrel/activity_source.h"

namespace tavrel::win32 {

// The program's one activity source, there for the whole run.
ActivitySource& ProgramActivitySource();

// The primary screen's width, in the pixels the source counts in.
std::int32_t PainScreenWidth();

}  // namespace tavrel::win32
