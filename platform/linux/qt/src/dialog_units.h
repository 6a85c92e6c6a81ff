// SPDX-License-Identifier: GPL-3.0-or-later
// Places widgets by the Windows window's arrangement, in dialog units taken from the desktop's
// font: a horizontal unit is a quarter of the font's average character width and a vertical
// unit an eighth of its height, widened where a text of this font would not fit its box.
#pragma once

#include <vector>

#include <QRect>
#include <QSize>

class QWidget;

namespace tavrel::linux_qt {

// One widget and its box in dialog units.
struct UnitBox {
    QWidget* widget;
    int x, y, w, h;
    // 0: the box fits its widget by widening the units. Otherwise the box grows to the right
    // to hold this many characters of the widget's font (read-outs in a fixed-width font).
    int growToChars = 0;
};

class DialogUnits {
  public:
    // Units from the widget's font, then widened so that every box's widget fits: its text
    // or its size hint, never less than the font gives.
    static DialogUnits Fit(const QWidget& font, const std::vector<UnitBox>& boxes);

    QRect Rect(int x, int y, int w, int h) const;
    QSize Size(int w, int h) const;
    // Sets every widget's geometry.
    void Place(const std::vector<UnitBox>& boxes) const;

    double horizontal() const { return horizontal_; }
    double vertical() const { return vertical_; }

  private:
    double horizontal_ = 1.5;
    double vertical_ = 1.625;
};

}  // namespace tavrel::linux_qt
