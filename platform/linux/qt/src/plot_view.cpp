// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot_view.h"

#include <QPainter>

#include "plot_painter.h"

namespace tavrel::linux_qt {

PlotView::PlotView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // the painter fills every pixel
    setMinimumSize(320, 240);
}

void PlotView::SetBuilder(Builder builder) {
    builder_ = std::move(builder);
    Rebuild();
}

double PlotView::scale() const {
    const int dpi = logicalDpiX();
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

QRectF PlotView::ToWidget(const PlotRect& rect) const {
    const double s = scale();
    return QRectF(QPointF(rect.left * s, rect.top * s), QPointF(rect.right * s, rect.bottom * s));
}

void PlotView::Rebuild() {
    const double s = scale();
    const PlotSize size{width() / s, height() / s};
    if (builder_) {
        scene_ = builder_(size);
    } else {
        scene_ = PlotScene{};
        scene_.size = size;
    }
    update();
}

void PlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintPlotScene(painter, scene_, scale());
}

void PlotView::resizeEvent(QResizeEvent*) {
    Rebuild();
}

}  // namespace tavrel::linux_qt
