// SPDX-License-Identifier: GPL-3.0-or-later
// The views of the usage history and their totals texts.
#pragma once

#include <string>
#include <vector>

#include "tavrel/history_log.h"
#include "tavrel/plot_scene.h"

namespace tavrel {

// The pain of each minute over the 24 hours, the threshold across it and the alarms marked;
// beneath, per-hour bars of keys and clicks, and of distance.
PlotScene BuildDayView(const DayDetail& day, PlotSize size);

// The week day by day: bars of mouse, keyboard and all use in hours with the reference of a
// day's computer use; beneath, the mouse hours adding up over the week with the reference of a
// week's mouse use.
PlotScene BuildWeekView(const std::vector<DayTotals>& days, PlotSize size);

// Per-day peak pain as a line, and bars of keys and clicks, distance and alarms per day;
// beneath, the mouse hours of the seven days to each day (`weeklyMouseMinutes`, one a day or
// none) with the reference of a week's mouse use.
PlotScene BuildMonthView(const std::vector<DayTotals>& days,
                         const std::vector<std::int32_t>& weeklyMouseMinutes, PlotSize size);

// "0 min", "45 min", "2 h", "6 h 52 min".
std::string DurationText(std::int64_t minutes);

// The day's totals, or those of days together, a few lines. Distances are also given in
// metres on a screen of `dpi` pixels per inch (none when dpi is not above 0).
std::string DayTotalsText(const DayTotals& totals, double dpi);
// A week's: its mouse, keyboard and active time first.
std::string WeekTotalsText(const DayTotals& totals, double dpi);

}  // namespace tavrel
