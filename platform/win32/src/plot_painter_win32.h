// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a chart of the usage history with GDI: the primitives of a PlotScene, in the order the
// scene lists them, scaled from device-independent units to the pixels of the window.
#pragma once

#include <windows.h>

#include <string>

#include "tavrel/plot_scene.h"
#include "text_win32.h"

namespace tavrel::win32 {

COLORREF ColorOf(Ink ink);

class PlotPainter {
  public:
    // `dpi`: the window's pixels per inch (96 is one pixel per unit); `face`: the typeface of
    // the labels.
    PlotPainter(double dpi, std::wstring face);

    double scale() const { return scale_; }
    // The scene's size in pixels.
    SIZE PixelSize(const PlotScene& scene) const;
    // The scene with its top left corner at (0, 0) of the context, on a background of its own.
    void Paint(HDC dc, const PlotScene& scene) const;

  private:
    int Px(double units) const;
    RECT PxRect(const PlotRect& rect) const;
    void FillRects(HDC dc, const PlotRect& rect, Ink ink) const;
    void DrawLine(HDC dc, const PlotLine& line) const;
    void DrawPolyline(HDC dc, const PlotPolyline& polyline) const;
    void DrawLabel(HDC dc, const PlotLabel& label) const;

    double scale_;
    std::wstring face_;
};

}  // namespace tavrel::win32
