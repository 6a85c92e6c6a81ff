// What the History window needs from the system and writes in its texts: the folder, the
// DPIs, dates and the totals of a stretch of days.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tavrel/history_log.h"

namespace tavrel::win32 {

// %LOCALAPPDATA%\Tavrel\history, created; empty when the system names no such folder.
std::filesystem::path LocalHistoryFolder();

// The window's own DPI where the system knows one per window (Windows 10), else the
// desktop's; both 96 for a program that has not declared itself DPI-aware.
double WindowDpi(HWND hwnd);
// Pixels per inch of the screen, for the distances in metres.
double ScreenDpi();

std::wstring DateText(const LocalDate& date);     // "2026-03-12"
std::wstring WeekdayText(const LocalDate& date);  // "Thursday"

// The days added up, for the totals under the 30-day view; the peak pain is the highest.
DayTotals SumOfDays(const std::vector<DayTotals>& days);

// UTF-8 lines as a static control shows them and a reader of its text expects them: CR LF.
std::wstring WindowsLines(const std::string& text);

}  // namespace tavrel::win32
