// The two views of the usage history and the day's totals text.
#pragma once

#include <string>
#include <vector>

#include "tavrel/history_log.h"
#include "tavrel/plot_scene.h"

namespace tavrel {

// The pain of each minute over the 24 hours, the threshold across it and the alarms marked;
// beneath, per-hour bars of keys and clicks, and of distance.
PlotScene BuildDayView(const DayDetail& day, PlotSize size);

// Per-day peak pain as a line, and bars of keys and clicks, distance and alarms per day.
PlotScene BuildMonthView(const std::vector<DayTotals>& days, PlotSize size);

// The day's totals, a few lines. Distances are also given in metres on a screen of `dpi`
// pixels per inch (none when dpi is not above 0).
std::string DayTotalsText(const DayTotals& totals, double dpi);

}  // namespace tavrel
