// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include "tavrel/history_views.h"
#include "tavrel/nice_ticks.h"

namespace tavrel {

namespace {

constexpr double kMetresPerInch = 0.0254;

std::string Distance(std::int64_t px, double dpi) {
    std::string text = FormatCount(px) + " px";
    if (dpi > 0) {
        text += " (" + FormatDecimal(static_cast<double>(px) / dpi * kMetresPerInch, 1) + " m)";
    }
    return text;
}

std::string Counts(const DayTotals& t) {
    return "Keys " + FormatCount(t.keys) + ", clicks " + FormatCount(t.clicks) +
           ", double-clicks " + FormatCount(t.doubleClicks);
}

std::string Distances(const DayTotals& t, double dpi) {
    return "Moved " + Distance(t.movePx, dpi) + ", dragged " + Distance(t.dragPx, dpi);
}

}  // namespace

std::string DurationText(std::int64_t minutes) {
    if (minutes < 60) return FormatCount(minutes) + " min";
    std::string text = FormatCount(minutes / 60) + " h";
    if (minutes % 60 != 0) text += " " + std::to_string(minutes % 60) + " min";
    return text;
}

std::string DayTotalsText(const DayTotals& t, double dpi) {
    return Counts(t) + "\n" + Distances(t, dpi) + "\nAlarms " + FormatCount(t.alarms) +
           "; active " + DurationText(t.activeMinutes) + ", mouse " + DurationText(t.mouseMinutes) +
           ", keyboard " + DurationText(t.keyboardMinutes);
}

std::string WeekTotalsText(const DayTotals& t, double dpi) {
    return "Mouse " + DurationText(t.mouseMinutes) + ", keyboard " +
           DurationText(t.keyboardMinutes) + ", active " + DurationText(t.activeMinutes) +
           " in the week\n" + Counts(t) + "\n" + Distances(t, dpi);
}

}  // namespace tavrel
