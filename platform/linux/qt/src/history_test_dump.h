// SPDX-License-Identifier: GPL-3.0-or-later
// The History window for the end-to-end tests: with TAVREL_TEST_HISTORY_DUMP=<file>, the
// program appends one line of JSON whenever the window changes: whether it shows, its view,
// day and totals text, its buttons, and the chart panels' rectangles on the screen, so that a
// test can look at the pixels inside them in a screenshot.
#pragma once

#include <QObject>
#include <QString>

namespace tavrel::linux_qt {

class HistoryWindow;

class HistoryTestDump final : public QObject {
  public:
    HistoryTestDump(const QString& path, HistoryWindow& window);

  private:
    void Schedule();
    void Write();

    QString path_;
    HistoryWindow& window_;
    bool scheduled_ = false;
    int serial_ = 0;
};

}  // namespace tavrel::linux_qt
