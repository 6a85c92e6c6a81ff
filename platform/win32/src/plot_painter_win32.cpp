// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot_painter_win32.h"

#include <cmath>
#include <utility>
#include <vector>

#include "handles_win32.h"

namespace tavrel::win32 {

COLORREF ColorOf(Ink ink) {
    const Rgb rgb = DefaultRgb(ink);
    return RGB(rgb.red, rgb.green, rgb.blue);
}

PlotPainter::PlotPainter(double dpi, std::wstring face)
    : scale_(dpi > 0 ? dpi / 96.0 : 1.0), face_(std::move(face)) {}

int PlotPainter::Px(double units) const {
    return static_cast<int>(std::lround(units * scale_));
}

RECT PlotPainter::PxRect(const PlotRect& rect) const {
    RECT r{Px(rect.left), Px(rect.top), Px(rect.right), Px(rect.bottom)};
    // A bar of one key in a day of thousands still shows as a line of one pixel.
    if (r.right == r.left && rect.right > rect.left) ++r.right;
    if (r.bottom == r.top && rect.bottom > rect.top) ++r.bottom;
    return r;
}

SIZE PlotPainter::PixelSize(const PlotScene& scene) const {
    return {Px(scene.size.width), Px(scene.size.height)};
}

void PlotPainter::FillRects(HDC dc, const PlotRect& rect, Ink ink) const {
    const RECT r = PxRect(rect);
    // The DC brush changes colour without a brush to create and delete per bar.
    SetDCBrushColor(dc, ColorOf(ink));
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

namespace {

HPEN MakePen(COLORREF color, int width, bool dashed, double scale) {
    LOGBRUSH brush{BS_SOLID, color, 0};
    constexpr DWORD kStyle = PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER;
    if (!dashed)
        return ExtCreatePen(kStyle | PS_SOLID, static_cast<DWORD>(width), &brush, 0, nullptr);
    const auto dash = static_cast<DWORD>(std::lround(6 * scale));
    const auto gap = static_cast<DWORD>(std::lround(4 * scale));
    const DWORD pattern[2] = {dash > 0 ? dash : 1, gap > 0 ? gap : 1};
    return ExtCreatePen(kStyle | PS_USERSTYLE, static_cast<DWORD>(width), &brush, 2, pattern);
}

}  // namespace

void PlotPainter::DrawLine(HDC dc, const PlotLine& line) const {
    const int width = Px(line.width) > 0 ? Px(line.width) : 1;
    GdiObject<HPEN> pen(MakePen(ColorOf(line.ink), width, line.dashed, scale_));
    Selection selected(dc, pen.get());
    MoveToEx(dc, Px(line.from.x), Px(line.from.y), nullptr);
    LineTo(dc, Px(line.to.x), Px(line.to.y));
}

void PlotPainter::DrawPolyline(HDC dc, const PlotPolyline& polyline) const {
    if (polyline.points.size() < 2) return;
    const int width = Px(polyline.width) > 0 ? Px(polyline.width) : 1;
    GdiObject<HPEN> pen(MakePen(ColorOf(polyline.ink), width, false, scale_));
    Selection selected(dc, pen.get());
    std::vector<POINT> points;
    points.reserve(polyline.points.size());
    for (const PlotPoint& p : polyline.points) points.push_back({Px(p.x), Px(p.y)});
    Polyline(dc, points.data(), static_cast<int>(points.size()));
}

void PlotPainter::DrawLabel(HDC dc, const PlotLabel& label) const {
    const std::wstring text = Widen(label.text);
    if (text.empty()) return;
    LOGFONTW font{};
    font.lfHeight = -(Px(label.size) > 0 ? Px(label.size) : 1);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, face_.c_str(), LF_FACESIZE);
    GdiObject<HFONT> handle(CreateFontIndirectW(&font));
    Selection selected(dc, handle.get());
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    int x = Px(label.anchor.x);
    int y = Px(label.anchor.y);
    if (label.hAlign == HAlign::Center) x -= extent.cx / 2;
    if (label.hAlign == HAlign::Right) x -= extent.cx;
    if (label.vAlign == VAlign::Middle) y -= extent.cy / 2;
    if (label.vAlign == VAlign::Bottom) y -= extent.cy;
    SetTextColor(dc, ColorOf(label.ink));
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void PlotPainter::Paint(HDC dc, const PlotScene& scene) const {
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    FillRects(dc, {0, 0, scene.size.width, scene.size.height}, Ink::Background);
    for (const PlotLine& line : scene.grid) DrawLine(dc, line);
    for (const PlotSpan& span : scene.spans) FillRects(dc, span.rect, span.ink);
    for (const PlotBar& bar : scene.bars) FillRects(dc, bar.rect, bar.ink);
    for (const PlotLine& line : scene.lines) DrawLine(dc, line);
    for (const PlotPolyline& polyline : scene.polylines) DrawPolyline(dc, polyline);
    for (const PlotLabel& label : scene.labels) DrawLabel(dc, label);
    RestoreDC(dc, saved);
}

}  // namespace tavrel::win32
