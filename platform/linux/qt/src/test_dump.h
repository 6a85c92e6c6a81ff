// SPDX-License-Identifier: GPL-3.0-or-later
// A window on the program for its end-to-end tests: with TAVREL_TEST_DUMP=<file> in the
// environment, the program writes what its window and tray icon show, read back from the
// widgets themselves, as one line of JSON appended to that file whenever any of it changes.
#pragma once

#include <QObject>
#include <QString>

namespace tavrel::linux_qt {

class MonitorWindow;
class TrayIconQt;

class TestDump final : public QObject {
  public:
    TestDump(const QString& path, MonitorWindow& window, TrayIconQt& tray);

  private:
    void Schedule();
    void Write();

    QString path_;
    MonitorWindow& window_;
    TrayIconQt& tray_;
    bool scheduled_ = false;
    int serial_ = 0;
};

}  // namespace tavrel::linux_qt
