// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot_painter.h"

#include <vector>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QRectF>

namespace tavrel::linux_qt {

namespace {

QRectF Rect(const PlotRect& r) {
    return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom));
}

QPen Pen(Ink ink, double width, bool dashed) {
    QPen pen(InkColor(ink), width);
    pen.setStyle(dashed ? Qt::DashLine : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A box around the anchor, far larger than any label, that the alignment flags place the
// text in so that its edge or middle falls on the anchor.
QRectF LabelBox(const PlotLabel& label, int& flags) {
    constexpr double kRoom = 4000;
    double left = label.anchor.x;
    double top = label.anchor.y;
    switch (label.hAlign) {
        case HAlign::Left:
            flags |= Qt::AlignLeft;
            break;
        case HAlign::Center:
            flags |= Qt::AlignHCenter;
            left -= kRoom / 2;
            break;
        case HAlign::Right:
            flags |= Qt::AlignRight;
            left -= kRoom;
            break;
    }
    switch (label.vAlign) {
        case VAlign::Top:
            flags |= Qt::AlignTop;
            break;
        case VAlign::Middle:
            flags |= Qt::AlignVCenter;
            top -= kRoom / 2;
            break;
        case VAlign::Bottom:
            flags |= Qt::AlignBottom;
            top -= kRoom;
            break;
    }
    return QRectF(left, top, kRoom, kRoom);
}

}  // namespace

QColor InkColor(Ink ink) {
    const Rgb rgb = DefaultRgb(ink);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void PaintPlotScene(QPainter& painter, const PlotScene& scene, double scale) {
    painter.save();
    painter.scale(scale, scale);
    painter.fillRect(QRectF(0, 0, scene.size.width, scene.size.height), InkColor(Ink::Background));

    // Bands, bars, frames and grid lines run along the pixel grid: smoothing their edges
    // would only blur them. The curves are smoothed.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    const auto drawLines = [&painter](const std::vector<PlotLine>& lines) {
        for (const PlotLine& line : lines) {
            painter.setPen(Pen(line.ink, line.width, line.dashed));
            painter.drawLine(QPointF(line.from.x, line.from.y), QPointF(line.to.x, line.to.y));
        }
    };
    drawLines(scene.grid);
    for (const PlotSpan& span : scene.spans) painter.fillRect(Rect(span.rect), InkColor(span.ink));
    for (const PlotBar& bar : scene.bars) painter.fillRect(Rect(bar.rect), InkColor(bar.ink));
    drawLines(scene.lines);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const PlotPolyline& polyline : scene.polylines) {
        QPolygonF points;
        points.reserve(static_cast<int>(polyline.points.size()));
        for (const PlotPoint& p : polyline.points) points.append(QPointF(p.x, p.y));
        painter.setPen(Pen(polyline.ink, polyline.width, false));
        painter.drawPolyline(points);
    }

    QFont font = painter.font();
    for (const PlotLabel& label : scene.labels) {
        font.setPixelSize(qMax(1, qRound(label.size)));
        painter.setFont(font);
        painter.setPen(InkColor(label.ink));
        int flags = Qt::TextSingleLine | Qt::TextDontClip;
        const QRectF box = LabelBox(label, flags);
        painter.drawText(box, flags, QString::fromStdString(label.text));
    }
    painter.restore();
}

}  // namespace tavrel::linux_qt
