// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: the program's name and version, copyright, contact and web site; OK, Esc and
// the close box end it.
#pragma once

#include <QDialog>

namespace tavrel::linux_qt {

constexpr char kVersionText[] = "Tavrel Version 0.2";

class AboutBox final : public QDialog {
  public:
    explicit AboutBox(QWidget* parent);
};

}  // namespace tavrel::linux_qt
