// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry under HKCU\Software\Microsoft\Windows\CurrentVersion\Run and the mark
// Task Manager keeps beside it under ...\Explorer\StartupApproved\Run: read, written and
// removed for the menu item and for the installer's removal.
#pragma once

#include <string>

#include "tavrel/start_with_windows.h"

namespace tavrel::win32 {

// The Run value's name, the same the installer writes.
constexpr char kStartupValueName[] = "Tavrel";

// Both keys' entries for the value name, as they are now.
StartupEntry ReadStartupEntry(const char* valueName);

bool WriteRunValue(const char* name, const std::string& command);
// True when the value is gone, also when there was none.
bool RemoveRunValue(const char* name);
// The Run value and Task Manager's mark beside it; true when both are gone.
bool RemoveStartupEntry(const char* name);

}  // namespace tavrel::win32
