// SPDX-License-Identifier: GPL-3.0-or-later
// What the History window needs from the system: the folder, the computer's name, the DPIs and
// text as a static control shows it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace tavrel::win32 {

// %LOCALAPPDATA%\Tavrel\history, created; empty when the system names no such folder.
std::filesystem::path LocalHistoryFolder();
// The computer's name on the network, in UTF-8: what a shared folder calls it by default.
std::string ComputerHostName();

// The window's own DPI where the system knows one per window (Windows 10), else the
// desktop's; both 96 for a program that has not declared itself DPI-aware.
double WindowDpi(HWND hwnd);
// Pixels per inch of the screen, for the distances in metres.
double ScreenDpi();

// UTF-8 lines as a static control shows them and a reader of its text expects them: CR LF.
std::wstring WindowsLines(const std::string& text);

}  // namespace tavrel::win32
