// SPDX-License-Identifier: GPL-3.0-or-later
// The week: each day's hours at the mouse, at the keyboard and in all, against a day's computer
// use that the studies link with upper-limb disorders; then the mouse hours adding up over the
// week against the weekly mouse use they link with hand, wrist and shoulder disorders.
#include <algorithm>
#include <string>

#include "chart_panel.h"
#include "tavrel/exposure.h"
#include "tavrel/history_views.h"

namespace tavrel {

namespace {

using chart::Panel;

constexpr double kHeadroom = 1.15;  // above the highest bar or reference

double Hours(std::int64_t minutes) {
    return static_cast<double>(minutes) / 60.0;
}

std::string DayLabel(const LocalDate& date) {
    return std::string(WeekdayName(date), 3) + " " + MonthDayText(date);
}

}  // namespace

PlotScene BuildWeekView(const std::vector<DayTotals>& days, PlotSize size) {
    PlotScene scene;
    scene.size = size;
    const std::vector<PlotRect> areas = chart::StackPanels(size, {3, 2});
    const double count = static_cast<double>(std::max<std::size_t>(days.size(), 1));

    const double dayReference = Hours(kDailyUseReferenceMinutes);
    const double weekReference = Hours(kWeeklyMouseReferenceMinutes);
    double dayTop = dayReference, weekTop = weekReference, mouseSum = 0;
    for (const DayTotals& d : days) {
        dayTop = std::max(dayTop, Hours(d.activeMinutes));
        mouseSum += Hours(d.mouseMinutes);
    }
    weekTop = std::max(weekTop, mouseSum);

    std::vector<Panel> panels;
    panels.push_back(chart::AddPanel(scene, areas[0], 0, count, dayTop * kHeadroom,
                                     {{"Mouse", Ink::MouseTime},
                                      {"keyboard", Ink::KeyboardTime},
                                      {"all use", Ink::ActiveTime},
                                      {"hours a day", Ink::Text}}));
    panels.push_back(chart::AddPanel(
        scene, areas[1], 0, count, weekTop * kHeadroom,
        {{"Mouse", Ink::MouseTime}, {"hours, adding up over the week", Ink::Text}}));
    chart::AddReference(
        scene, panels[0], dayReference,
        {"6 h of computer use a day (reference)", "6 h a day (reference)", "6 h a day"});
    chart::AddReference(
        scene, panels[1], weekReference,
        {"20 h of mouse use a week (reference)", "20 h a week (reference)", "20 h a week"});
    if (days.empty()) {
        chart::AddNote(scene, panels[0], "No days to show");
        return scene;
    }

    const double dayWidth = panels[0].area.width() / count;
    const int every =
        chart::LabelEvery(dayWidth, EstimateTextWidth("Mon 00-00", chart::kFontSize), {1, 2, 3, 7});
    for (std::size_t i = days.size(); i-- > 0;) {
        if ((days.size() - 1 - i) % static_cast<std::size_t>(every) != 0) continue;
        chart::AddXTick(scene, panels, static_cast<double>(i) + 0.5, DayLabel(days[i].date));
    }

    double adding = 0;
    bool any = false;
    for (std::size_t i = 0; i < days.size(); ++i) {
        const DayTotals& d = days[i];
        const double x = static_cast<double>(i);
        // All use behind, the mouse and the keyboard side by side in front of it.
        chart::AddBar(scene, panels[0], x + 0.1, x + 0.9, 0, Hours(d.activeMinutes),
                      Ink::ActiveTime);
        chart::AddBar(scene, panels[0], x + 0.2, x + 0.5, 0, Hours(d.mouseMinutes), Ink::MouseTime);
        chart::AddBar(scene, panels[0], x + 0.5, x + 0.8, 0, Hours(d.keyboardMinutes),
                      Ink::KeyboardTime);
        adding += Hours(d.mouseMinutes);
        chart::AddBar(scene, panels[1], x + 0.2, x + 0.8, 0, adding, Ink::MouseTime);
        any = any || d.activeMinutes > 0;
    }
    if (!any) chart::AddNote(scene, panels[0], "No activity recorded");
    return scene;
}

}  // namespace tavrel
