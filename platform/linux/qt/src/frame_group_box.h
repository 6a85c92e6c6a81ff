// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>
#include <QGroupBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionGroupBox>

namespace tavrel::linux_qt {

// A group box that draws its frame once and then from that picture: the read-outs inside it
// change twenty times a second and have it drawn behind them each time, and a style may load
// its frame's picture from a file at each drawing (one that asks the time zone for the file's
// age, a read of /etc/localtime forty times a second).
class FrameGroupBox final : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent* event) override {
        const qreal ratio = devicePixelRatioF();
        if (frame_.isNull() || frame_.size() != size() * ratio) {
            frame_ = QPixmap(size() * ratio);
            frame_.setDevicePixelRatio(ratio);
            frame_.fill(Qt::transparent);
            QPainter painter(&frame_);
            QStyleOptionGroupBox option;
            initStyleOption(&option);
            style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
        }
        // Only the part asked for: a read-out's few pixels, not the whole frame, which Qt
        // would blend on threads of its own.
        const QRect area = event->rect();
        QPainter(this).drawPixmap(
            area, frame_, QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
    }
    void changeEvent(QEvent* event) override {
        frame_ = QPixmap();  // a new style, font, palette or state: drawn afresh
        QGroupBox::changeEvent(event);
    }

  private:
    QPixmap frame_;
};

}  // namespace tavrel::linux_qt
