// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart_panel.h"

#include <algorithm>
#include <numeric>

namespace tavrel::chart {

namespace {
constexpr double kLeftRoom = 48;  // value labels
constexpr double kRightRoom = 12;
constexpr double kTitleRoom = 18;   // above each panel
constexpr double kXLabelRoom = 18;  // below the last
constexpr double kLabelGap = 4;
constexpr double kMinLabelSpacing = 16;  // between value labels, vertically
}  // namespace

double Panel::X(double value) const {
    return area.left + (value - xMin) / (xMax - xMin) * area.width();
}

double Panel::Y(double value) const {
    const double clamped = std::clamp(value, y.low, y.high);
    return area.bottom - (clamped - y.low) / (y.high - y.low) * area.height();
}

std::vector<PlotRect> StackPanels(PlotSize size, const std::vector<double>& shares) {
    const double total = std::accumulate(shares.begin(), shares.end(), 0.0);
    const double left = std::min(kLeftRoom, size.width / 2);
    const double right = std::max(left, size.width - kRightRoom);
    const double room =
        std::max(0.0, size.height - kXLabelRoom - kTitleRoom * static_cast<double>(shares.size()));
    std::vector<PlotRect> areas;
    double top = 0;
    for (const double share : shares) {
        top += kTitleRoom;
        const double height = total > 0 ? room * share / total : 0;
        areas.push_back({left, top, right, top + height});
        top += height;
    }
    return areas;
}

Panel AddPanel(PlotScene& scene, const PlotRect& area, double xMin, double xMax, double yMax,
               const std::vector<TitlePart>& title) {
    // Whole numbers only: every figure shown is a count. An empty panel shows 0 to 4.
    yMax = std::max(yMax, 4.0);
    const int maxTicks =
        std::min(std::max(2, static_cast<int>(area.height() / kMinLabelSpacing) + 1),
                 static_cast<int>(std::min(yMax, 1e9)) + 1);
    Panel panel{area, xMin, xMax > xMin ? xMax : xMin + 1, NiceTicks(0, yMax, maxTicks)};
    scene.panels.push_back(area);
    for (const double value : panel.y.values) {
        const double y = panel.Y(value);
        if (value != panel.y.low) {
            scene.grid.push_back({{area.left, y}, {area.right, y}, Ink::Grid, 1, false});
        }
        scene.labels.push_back({{area.left - kLabelGap, y},
                                FormatTick(value, panel.y.step),
                                HAlign::Right,
                                VAlign::Middle,
                                Ink::Text,
                                kFontSize});
    }
    const PlotPoint corners[] = {{area.left, area.top},
                                 {area.right, area.top},
                                 {area.right, area.bottom},
                                 {area.left, area.bottom}};
    for (int i = 0; i < 4; ++i) {
        scene.lines.push_back({corners[i], corners[(i + 1) % 4], Ink::Frame, 1, false});
    }
    double x = area.left;
    for (const auto& [text, ink] : title) {
        scene.labels.push_back(
            {{x, area.top - kLabelGap}, text, HAlign::Left, VAlign::Bottom, ink, kFontSize});
        panel.titleEnd = x + EstimateTextWidth(text, kFontSize);
        x += EstimateTextWidth(text + " ", kFontSize);
    }
    return panel;
}

void AddXTick(PlotScene& scene, const std::vector<Panel>& panels, double x,
              const std::string& text) {
    for (const Panel& panel : panels) {
        const double px = panel.X(x);
        if (px > panel.area.left && px < panel.area.right) {
            scene.grid.push_back(
                {{px, panel.area.top}, {px, panel.area.bottom}, Ink::Grid, 1, false});
        }
    }
    const Panel& lowest = panels.back();
    // The first and last labels are kept inside the scene.
    const double width = EstimateTextWidth(text, kFontSize);
    const double px = std::clamp(lowest.X(x), width / 2, scene.size.width - width / 2);
    // Below the half of the lowest value label that hangs under the axis.
    scene.labels.push_back({{px, lowest.area.bottom + kFontSize / 2 + 1},
                            text,
                            HAlign::Center,
                            VAlign::Top,
                            Ink::Text,
                            kFontSize});
}

void AddUseBars(PlotScene& scene, const Panel& counts, const Panel& distance, double x,
                double width, std::int64_t keys, std::int64_t clicks, std::int64_t movePx,
                std::int64_t dragPx) {
    const double left = x + width * 0.1, middle = x + width * 0.5, right = x + width * 0.9;
    AddBar(scene, counts, left, middle, 0, static_cast<double>(keys), Ink::Keys);
    AddBar(scene, counts, middle, right, 0, static_cast<double>(clicks), Ink::Clicks);
    const auto moved = static_cast<double>(movePx);
    AddBar(scene, distance, left, right, 0, moved, Ink::MoveDistance);
    AddBar(scene, distance, left, right, moved, moved + static_cast<double>(dragPx),
           Ink::DragDistance);
}

void AddBar(PlotScene& scene, const Panel& panel, double x0, double x1, double from, double to,
            Ink ink) {
    const double top = panel.Y(std::max(from, to));
    const double bottom = panel.Y(std::min(from, to));
    const double left = panel.X(x0);
    const double right = panel.X(x1);
    if (bottom - top <= 0 || right - left <= 0) return;
    scene.bars.push_back({{left, top, right, bottom}, ink});
}

void AddReference(PlotScene& scene, const Panel& panel, double value,
                  const std::vector<std::string>& names) {
    const double y = panel.Y(value);
    // Inside the frame, which it would otherwise cut where it crosses.
    scene.lines.push_back(
        {{panel.area.left + 1, y}, {panel.area.right - 1, y}, Ink::Reference, 1.5, true});
    const double room = panel.area.right - panel.titleEnd - 2 * kLabelGap;
    for (const std::string& name : names) {
        if (EstimateTextWidth(name, kFontSize) > room) continue;
        scene.labels.push_back({{panel.area.right, panel.area.top - kLabelGap},
                                name,
                                HAlign::Right,
                                VAlign::Bottom,
                                Ink::Reference,
                                kFontSize});
        return;
    }
    // No room beside the title: the shortest name on the line itself, inside the frame.
    if (names.empty()) return;
    const bool above = y - panel.area.top >= kFontSize + 2;
    scene.labels.push_back({{panel.area.right - kLabelGap, above ? y - 2 : y + 2},
                            names.back(),
                            HAlign::Right,
                            above ? VAlign::Bottom : VAlign::Top,
                            Ink::Reference,
                            kFontSize});
}

void AddNote(PlotScene& scene, const Panel& panel, const std::string& text) {
    scene.labels.push_back(
        {{(panel.area.left + panel.area.right) / 2, (panel.area.top + panel.area.bottom) / 2},
         text,
         HAlign::Center,
         VAlign::Middle,
         Ink::Text,
         kFontSize});
}

int LabelEvery(double unitWidth, double labelWidth, const std::vector<int>& steps) {
    for (const int step : steps) {
        if (unitWidth * step >= labelWidth + 2 * kLabelGap) return step;
    }
    return steps.back();
}

}  // namespace tavrel::chart
