// SPDX-License-Identifier: GPL-3.0-or-later
// What a chart of the history looks like, as primitives in device-independent units (1/96
// inch; origin at the top left, y downwards). The painters of the platform shells draw the
// lists in the order they are declared and decide nothing themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {

struct PlotSize {
    double width = 640;
    double height = 400;
};

struct PlotPoint {
    double x, y;
};

struct PlotRect {
    double left, top, right, bottom;

    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

// Colours by role, so that a painter may follow the desktop's theme; DefaultRgb gives the
// colours to use otherwise.
enum class Ink {
    Background,
    Frame,
    Grid,
    Text,
    Pain,
    Threshold,
    AlarmSpan,
    Keys,
    Clicks,
    MoveDistance,
    DragDistance,
    Alarms,
    ActiveTime,    // time with any input
    MouseTime,     // time with pointer movement, drags or clicks
    KeyboardTime,  // time with keys
    Reference,     // a line from the studies of exposure
};

struct Rgb {
    std::uint8_t red, green, blue;
};
Rgb DefaultRgb(Ink ink);

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };

// A band behind everything else, across a chart's whole height.
struct PlotSpan {
    PlotRect rect;
    Ink ink;
};

// A filled rectangle with no outline.
struct PlotBar {
    PlotRect rect;
    Ink ink;
};

struct PlotLine {
    PlotPoint from, to;
    Ink ink;
    double width;
    bool dashed;
};

struct PlotPolyline {
    std::vector<PlotPoint> points;  // two or more
    Ink ink;
    double width;
};

// Text placed at an anchor: HAlign::Right puts the text's right edge there, and so on.
struct PlotLabel {
    PlotPoint anchor;
    std::string text;  // UTF-8, one line
    HAlign hAlign;
    VAlign vAlign;
    Ink ink;
    double size;  // font height
};

struct PlotScene {
    PlotSize size;
    std::vector<PlotRect> panels;  // the plotting areas, top to bottom: for hit tests
    // Drawn in this order: the grid under everything, so that it never cuts through a bar.
    std::vector<PlotLine> grid;
    std::vector<PlotSpan> spans;
    std::vector<PlotBar> bars;
    std::vector<PlotLine> lines;
    std::vector<PlotPolyline> polylines;
    std::vector<PlotLabel> labels;
};

// How wide the layout takes a label to be: enough for the usual proportional fonts.
double EstimateTextWidth(const std::string& text, double size);

}  // namespace tavrel
