// SPDX-License-Identifier: GPL-3.0-or-later
// The parts both views are made of: panels stacked down the scene, each a frame with a value
// axis, grid lines, a title in the inks of its series, and the bars and lines inside it.
#pragma once

#include <cstdint>

#include <string>
#include <utility>
#include <vector>

#include "tavrel/nice_ticks.h"
#include "tavrel/plot_scene.h"

namespace tavrel::chart {

constexpr double kFontSize = 11;

// One panel: its plotting area and the scales that map data into it.
struct Panel {
    PlotRect area;
    double xMin, xMax;
    TickScale y;
    double titleEnd = 0;  // where the title's last part ends

    double X(double value) const;
    // Values outside the axis are drawn at its end.
    double Y(double value) const;
};

// Areas for panels whose heights share the room in these proportions, top to bottom, each
// with room for its title above it and the last with room for the labels below it.
std::vector<PlotRect> StackPanels(PlotSize size, const std::vector<double>& shares);

using TitlePart = std::pair<std::string, Ink>;

// The frame, the value axis with its grid lines, and the title: its parts side by side.
Panel AddPanel(PlotScene& scene, const PlotRect& area, double xMin, double xMax, double yMax,
               const std::vector<TitlePart>& title);

// A label on the x axis of the lowest panel, with a grid line at it through every panel.
void AddXTick(PlotScene& scene, const std::vector<Panel>& panels, double x,
              const std::string& text);

// A bar from value `from` to value `to` between x0 and x1; nothing when it would be empty.
void AddBar(PlotScene& scene, const Panel& panel, double x0, double x1, double from, double to,
            Ink ink);

// One slot's use, a day's or an hour's, from x to x + width: keys and clicks side by side in
// the counts panel; moved distance with dragged distance stacked on it in the distance panel.
void AddUseBars(PlotScene& scene, const Panel& counts, const Panel& distance, double x,
                double width, std::int64_t keys, std::int64_t clicks, std::int64_t movePx,
                std::int64_t dragPx);

// A dashed line across the panel at a reference value, named in the title's row at the right:
// by the longest of `names` that fits beside the title.
void AddReference(PlotScene& scene, const Panel& panel, double value,
                  const std::vector<std::string>& names);

// Text across the middle of a panel, for a panel with nothing to show.
void AddNote(PlotScene& scene, const Panel& panel, const std::string& text);

// The smallest of the given steps whose labels, `labelWidth` wide, stay apart.
int LabelEvery(double unitWidth, double labelWidth, const std::vector<int>& steps);

}  // namespace tavrel::chart
