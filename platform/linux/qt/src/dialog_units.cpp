// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialog_units.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace tavrel::linux_qt {

namespace {

// The width that a box must give its widget: a label or a button its text, a line edit a few
// digits, anything else its own size hint.
int NeededWidth(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        QString text = label->text();
        text.remove(QLatin1Char('&'));
        return label->fontMetrics().horizontalAdvance(text) + 2;
    }
    if (qobject_cast<const QLineEdit*>(&widget) != nullptr) {
        // Room for "100" and a cursor: the boxes were drawn for a few digits.
        return widget.fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8;
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        // The text and a little air: the style's own minimum width would stretch every unit.
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        return button->fontMetrics().horizontalAdvance(text) + button->fontMetrics().height();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        return group->fontMetrics().horizontalAdvance(group->title()) + 16;
    }
    return widget.sizeHint().width();
}

int NeededHeight(const QWidget& widget) {
    if (qobject_cast<const QLabel*>(&widget) != nullptr) return widget.fontMetrics().height();
    if (qobject_cast<const QGroupBox*>(&widget) != nullptr) return 0;
    return widget.minimumSizeHint().height();
}

}  // namespace

DialogUnits DialogUnits::Fit(const QWidget& font, const std::vector<UnitBox>& boxes) {
    DialogUnits units;
    const QFontMetrics metrics = font.fontMetrics();
    // As the dialog manager measures it: the average of the 52 letters, rounded.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const double average = std::floor((letters / 26.0 + 1.0) / 2.0);
    units.horizontal_ = average / 4.0;
    units.vertical_ = metrics.height() / 8.0;
    for (const UnitBox& box : boxes) {
        if (box.growToChars > 0) continue;
        units.horizontal_ =
            std::max(units.horizontal_, static_cast<double>(NeededWidth(*box.widget)) / box.w);
        units.vertical_ =
            std::max(units.vertical_, static_cast<double>(NeededHeight(*box.widget)) / box.h);
    }
    return units;
}

QRect DialogUnits::Rect(int x, int y, int w, int h) const {
    const int left = static_cast<int>(std::lround(x * horizontal_));
    const int top = static_cast<int>(std::lround(y * vertical_));
    const int right = static_cast<int>(std::lround((x + w) * horizontal_));
    const int bottom = static_cast<int>(std::lround((y + h) * vertical_));
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnits::Size(int w, int h) const {
    return Rect(0, 0, w, h).size();
}

void DialogUnits::Place(const std::vector<UnitBox>& boxes) const {
    for (const UnitBox& box : boxes) {
        QRect rect = Rect(box.x, box.y, box.w, box.h);
        if (box.growToChars > 0) {
            const QFontMetrics metrics = box.widget->fontMetrics();
            const int chars = metrics.horizontalAdvance(QString(box.growToChars, QLatin1Char('0')));
            rect.setWidth(std::max(rect.width(), chars + 2));
            rect.setHeight(std::max(rect.height(), metrics.height()));
        }
        box.widget->setGeometry(rect);
    }
}

}  // namespace tavrel::linux_qt
