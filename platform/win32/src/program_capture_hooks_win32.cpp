// SPDX-License-Identifier: GPL-3.0-or-later
// The 32-bit release counts with TavrelHooks.dll, in every process's own coordinates.
#include <windows.h>

#include "hook_activity_source.h"
#include "program_capture.h"

namespace tavrel::win32 {

namespace {
HookActivitySource theSource;
}

ActivitySource& ProgramActivitySource() {
    return theSource;
}

std::int32_t PainScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}

}  // namespace tavrel::win32
