// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_dump.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QFile>
#include <QTimer>

#include "monitor_window.h"
#include "tray_icon.h"

namespace tavrel::linux_qt {

namespace {

// Where a widget is on the screen, so that a test can click it.
QJsonArray ScreenRect(const QWidget& widget) {
    const QPoint topLeft = widget.mapToGlobal(QPoint(0, 0));
    return QJsonArray{topLeft.x(), topLeft.y(), widget.width(), widget.height()};
}

QJsonObject Button(const QAbstractButton& button) {
    return QJsonObject{{"text", button.text()},
                       {"enabled", button.isEnabled()},
                       {"checked", button.isChecked()},
                       {"rect", ScreenRect(button)}};
}

}  // namespace

TestDump::TestDump(const QString& path, MonitorWindow& window, TrayIconQt& tray)
    : path_(path), window_(window), tray_(tray) {
    connect(&window_, &MonitorWindow::changed, this, &TestDump::Schedule);
    connect(&tray_, &TrayIconQt::changed, this, &TestDump::Schedule);
    Schedule();
}

void TestDump::Schedule() {
    // Many changes of one tick make one write.
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, &TestDump::Write);
}

void TestDump::Write() {
    scheduled_ = false;
    QJsonObject fields;
    for (int i = 0; i < kSettingCount; ++i) {
        fields.insert(window_.field(i)->objectName(), window_.field(i)->text());
    }
    QJsonObject readouts;
    for (int i = 0; i < kReadoutCount; ++i) {
        readouts.insert(window_.readout(i)->objectName(), window_.readout(i)->text());
    }
    const QWidget* focus = QApplication::focusWidget();
    // The message boxes open now, so that a test can read what the program told the user.
    QJsonArray boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr || !box->isVisible()) continue;
        boxes.append(QJsonObject{{"text", box->text()}, {"id", QString::number(box->winId())}});
    }
    const QJsonObject dump{
        {"serial", ++serial_},
        {"pid", static_cast<qint64>(QCoreApplication::applicationPid())},
        {"platform", QGuiApplication::platformName()},
        {"window", QJsonObject{{"title", window_.windowTitle()},
                               {"visible", window_.isVisible()},
                               {"minimized", window_.isMinimized()},
                               {"shown", window_.shownCount()},
                               {"hidden", window_.hiddenCount()},
                               {"id", QString::number(window_.winId())},
                               {"rect", ScreenRect(window_)},
                               {"focus", focus != nullptr ? focus->objectName() : QString()}}},
        {"fields", fields},
        {"boxes", boxes},
        {"readouts", readouts},
        {"notice", QJsonObject{{"text", window_.notice()->text()},
                               {"visible", window_.notice()->isVisible()}}},
        {"alarmStatus", QJsonObject{{"text", window_.alarmStatus()->text()},
                                    {"visible", window_.alarmStatus()->isVisible()}}},
        {"todayUse", QJsonObject{{"text", window_.todayUse()->text()},
                                 {"visible", window_.todayUse()->isVisible()}}},
        {"save", Button(*window_.saveButton())},
        {"quit", Button(*window_.quitButton())},
        {"debugInfo", Button(*window_.debugButton())},
        {"reset", Button(*window_.resetButton())},
        {"painful", Button(*window_.painfulRadio())},
        {"normal", Button(*window_.normalRadio())},
        {"tray", QJsonObject{{"visible", tray_.visible()},
                             {"available", tray_.Available()},
                             {"icon", QLatin1String(TrayIconName(tray_.shown()))},
                             {"tip", tray_.tip()}}},
    };
    // One line per change, appended: a test sees every state that lasted a tick, even one
    // read-out that the next tick clears, and takes the last whole line as the present.
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    file.write(QJsonDocument(dump).toJson(QJsonDocument::Compact) + '\n');
}

}  // namespace tavrel::linux_qt
