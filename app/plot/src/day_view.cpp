// SPDX-License-Identifier: GPL-3.0-or-later
// The day: pain minute by minute with the threshold and the alarms, then keys, clicks and
// distance hour by hour.
#include <algorithm>
#include <cstdint>
#include <string>

#include "chart_panel.h"
#include "tavrel/history_views.h"

namespace tavrel {

namespace {

using chart::Panel;

constexpr double kMinutesPerDay = 1440;
constexpr double kLoneMinuteHalfWidth = 1.5;

// Bands across the pain panel where the minutes were in alarm.
void AddAlarmSpans(PlotScene& scene, const Panel& panel, const std::vector<DayMinute>& minutes) {
    for (std::size_t i = 0; i < minutes.size();) {
        if (minutes[i].alarmTicks <= 0) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < minutes.size() && minutes[end].alarmTicks > 0 &&
               minutes[end].minuteOfDay == minutes[end - 1].minuteOfDay + 1) {
            ++end;
        }
        scene.spans.push_back({{panel.X(minutes[i].minuteOfDay), panel.area.top,
                                panel.X(minutes[end - 1].minuteOfDay + 1), panel.area.bottom},
                               Ink::AlarmSpan});
        i = end;
    }
}

// Each minute's pain held across the minute; a minute without a line breaks the curve.
void AddPainSteps(PlotScene& scene, const Panel& panel, const std::vector<DayMinute>& minutes) {
    for (std::size_t i = 0; i < minutes.size(); ++i) {
        const bool continues = i > 0 && minutes[i].minuteOfDay == minutes[i - 1].minuteOfDay + 1;
        if (!continues) scene.polylines.push_back({{}, Ink::Pain, 1.5});
        std::vector<PlotPoint>& points = scene.polylines.back().points;
        const double y = panel.Y(minutes[i].painMax);
        points.push_back({panel.X(minutes[i].minuteOfDay), y});
        points.push_back({panel.X(minutes[i].minuteOfDay + 1), y});
    }
    // A minute standing alone is narrower than a pixel on any screen: give it a visible dash.
    for (PlotPolyline& line : scene.polylines) {
        if (line.points.size() != 2) continue;
        const double middle = (line.points[0].x + line.points[1].x) / 2;
        line.points[0].x = std::min(line.points[0].x, middle - kLoneMinuteHalfWidth);
        line.points[1].x = std::max(line.points[1].x, middle + kLoneMinuteHalfWidth);
    }
}

// The threshold from the first minute to the last, stepping where it was changed.
void AddThreshold(PlotScene& scene, const Panel& panel, const std::vector<DayMinute>& minutes) {
    std::size_t start = 0;
    for (std::size_t i = 1; i <= minutes.size(); ++i) {
        if (i < minutes.size() && minutes[i].threshold == minutes[start].threshold) continue;
        const double x1 =
            i < minutes.size() ? minutes[i].minuteOfDay : minutes[i - 1].minuteOfDay + 1;
        const double y = panel.Y(minutes[start].threshold);
        scene.lines.push_back({{panel.X(minutes[start].minuteOfDay), y},
                               {panel.X(x1), y},
                               Ink::Threshold,
                               1.5,
                               true});
        start = i;
    }
}

}  // namespace

PlotScene BuildDayView(const DayDetail& day, PlotSize size) {
    PlotScene scene;
    scene.size = size;
    const std::vector<PlotRect> areas = chart::StackPanels(size, {2, 1, 1});

    // Room above the threshold, so that its line never lies on the panel's frame.
    double painTop = 0;
    for (const DayMinute& m : day.minutes) {
        painTop = std::max(
            {painTop, static_cast<double>(m.painMax), static_cast<double>(m.threshold) * 1.1 + 1});
    }
    double countTop = 0, distanceTop = 0;
    for (const HourTotals& h : day.hours) {
        countTop = std::max({countTop, static_cast<double>(h.keys), static_cast<double>(h.clicks)});
        distanceTop = std::max(distanceTop, static_cast<double>(h.movePx + h.dragPx));
    }

    std::vector<Panel> panels;
    panels.push_back(chart::AddPanel(
        scene, areas[0], 0, kMinutesPerDay, painTop,
        {{"Pain", Ink::Pain}, {"threshold", Ink::Threshold}, {"alarm", Ink::Alarms}}));
    panels.push_back(
        chart::AddPanel(scene, areas[1], 0, kMinutesPerDay, countTop,
                        {{"Keys", Ink::Keys}, {"clicks", Ink::Clicks}, {"per hour", Ink::Text}}));
    panels.push_back(chart::AddPanel(scene, areas[2], 0, kMinutesPerDay, distanceTop,
                                     {{"Moved", Ink::MoveDistance},
                                      {"dragged", Ink::DragDistance},
                                      {"pixels per hour", Ink::Text}}));
    const Panel& pain = panels[0];
    scene.labels.push_back({{size.width - 12, pain.area.top - 4},
                            DateText(day.totals.date),
                            HAlign::Right,
                            VAlign::Bottom,
                            Ink::Text,
                            chart::kFontSize});

    const double hourWidth = pain.area.width() / 24;
    const int every = chart::LabelEvery(hourWidth, EstimateTextWidth("00:00", chart::kFontSize),
                                        {1, 2, 3, 4, 6, 12, 24});
    for (int hour = 0; hour <= 24; hour += every) {
        chart::AddXTick(scene, panels, hour * 60.0, std::to_string(hour) + ":00");
    }

    if (day.minutes.empty()) {
        chart::AddNote(scene, pain, "No activity recorded");
        return scene;
    }
    AddAlarmSpans(scene, pain, day.minutes);
    AddPainSteps(scene, pain, day.minutes);
    AddThreshold(scene, pain, day.minutes);

    for (int h = 0; h < 24; ++h) {
        const HourTotals& hour = day.hours[static_cast<std::size_t>(h)];
        chart::AddUseBars(scene, panels[1], panels[2], h * 60.0, 60.0, hour.keys, hour.clicks,
                          hour.movePx, hour.dragPx);
    }
    return scene;
}

}  // namespace tavrel
