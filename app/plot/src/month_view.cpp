// SPDX-License-Identifier: GPL-3.0-or-later
// The last days side by side: peak pain as a line, then keys and clicks, distance and alarms
// as bars, one slot per day, and the mouse hours of each day's week as a line against the
// weekly reference.
#include <algorithm>
#include <string>

#include "chart_panel.h"
#include "tavrel/exposure.h"
#include "tavrel/history_views.h"

namespace tavrel {

namespace {

using chart::Panel;

constexpr double kMarker = 2;  // half the side of a day's peak-pain marker

}  // namespace

PlotScene BuildMonthView(const std::vector<DayTotals>& days,
                         const std::vector<std::int32_t>& weeklyMouseMinutes, PlotSize size) {
    PlotScene scene;
    scene.size = size;
    const std::vector<PlotRect> areas = chart::StackPanels(size, {2.5, 2, 2, 1.5, 2});
    const double count = static_cast<double>(std::max<std::size_t>(days.size(), 1));

    double painTop = 0, countTop = 0, distanceTop = 0, alarmTop = 0;
    for (const DayTotals& d : days) {
        painTop = std::max(painTop, static_cast<double>(d.painMax));
        countTop = std::max({countTop, static_cast<double>(d.keys), static_cast<double>(d.clicks)});
        distanceTop = std::max(distanceTop, static_cast<double>(d.movePx + d.dragPx));
        alarmTop = std::max(alarmTop, static_cast<double>(d.alarms));
    }
    const double weekReference = kWeeklyMouseReferenceMinutes / 60.0;
    double weekTop = weekReference;
    for (const std::int32_t minutes : weeklyMouseMinutes)
        weekTop = std::max(weekTop, minutes / 60.0);
    std::vector<Panel> panels;
    panels.push_back(chart::AddPanel(scene, areas[0], 0, count, painTop,
                                     {{"Peak pain", Ink::Pain}, {"per day", Ink::Text}}));
    panels.push_back(
        chart::AddPanel(scene, areas[1], 0, count, countTop,
                        {{"Keys", Ink::Keys}, {"clicks", Ink::Clicks}, {"per day", Ink::Text}}));
    panels.push_back(chart::AddPanel(scene, areas[2], 0, count, distanceTop,
                                     {{"Moved", Ink::MoveDistance},
                                      {"dragged", Ink::DragDistance},
                                      {"pixels per day", Ink::Text}}));
    panels.push_back(chart::AddPanel(scene, areas[3], 0, count, alarmTop,
                                     {{"Alarms", Ink::Alarms}, {"per day", Ink::Text}}));
    panels.push_back(chart::AddPanel(scene, areas[4], 0, count, weekTop * 1.15,
                                     {{"Mouse", Ink::MouseTime}, {"hours a week", Ink::Text}}));
    chart::AddReference(
        scene, panels[4], weekReference,
        {"20 h of mouse use a week (reference)", "20 h a week (reference)", "20 h a week"});
    if (days.empty()) {
        chart::AddNote(scene, panels[0], "No days to show");
        return scene;
    }

    const double dayWidth = panels[0].area.width() / count;
    const int every = chart::LabelEvery(dayWidth, EstimateTextWidth("00-00", chart::kFontSize),
                                        {1, 2, 3, 5, 7, 10, 15, 30, 60, 90, 180, 365});
    // Labelled from the newest day back, so that today always has its label.
    for (std::size_t i = days.size(); i-- > 0;) {
        if ((days.size() - 1 - i) % static_cast<std::size_t>(every) != 0) continue;
        chart::AddXTick(scene, panels, static_cast<double>(i) + 0.5, MonthDayText(days[i].date));
    }

    const Panel& pain = panels[0];
    // A day without any use has no peak: the line breaks there instead of dropping to 0.
    PlotPolyline peak{{}, Ink::Pain, 1.5};
    const auto endPeak = [&scene, &peak] {
        if (peak.points.size() >= 2) scene.polylines.push_back(peak);
        peak.points.clear();
    };
    for (std::size_t i = 0; i < days.size(); ++i) {
        const DayTotals& d = days[i];
        const double x = static_cast<double>(i);
        if (d.activeMinutes == 0 && d.painMax == 0) {
            endPeak();
        } else {
            const PlotPoint point{pain.X(x + 0.5), pain.Y(d.painMax)};
            peak.points.push_back(point);
            scene.bars.push_back(
                {{point.x - kMarker, point.y - kMarker, point.x + kMarker, point.y + kMarker},
                 Ink::Pain});
        }
        chart::AddUseBars(scene, panels[1], panels[2], x, 1.0, d.keys, d.clicks, d.movePx,
                          d.dragPx);
        chart::AddBar(scene, panels[3], x + 0.2, x + 0.8, 0, d.alarms, Ink::Alarms);
    }
    endPeak();
    // The seven-day sums as one line with a mark on each day.
    const Panel& week = panels[4];
    PlotPolyline weekly{{}, Ink::MouseTime, 1.5};
    for (std::size_t i = 0; i < weeklyMouseMinutes.size() && i < days.size(); ++i) {
        const PlotPoint point{week.X(static_cast<double>(i) + 0.5),
                              week.Y(weeklyMouseMinutes[i] / 60.0)};
        weekly.points.push_back(point);
        if (weeklyMouseMinutes[i] == 0) continue;  // a mark on the axis would hide it
        scene.bars.push_back(
            {{point.x - kMarker, point.y - kMarker, point.x + kMarker, point.y + kMarker},
             Ink::MouseTime});
    }
    if (weekly.points.size() >= 2) scene.polylines.push_back(std::move(weekly));
    return scene;
}

}  // namespace tavrel
