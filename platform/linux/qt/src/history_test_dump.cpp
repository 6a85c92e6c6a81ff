// SPDX-License-Identifier: GPL-3.0-or-later
#include "history_test_dump.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "history_window.h"
#include "plot_view.h"

namespace tavrel::linux_qt {

namespace {

QJsonArray ScreenRect(const QWidget& widget, const QRectF& rect) {
    const QRect r = rect.toAlignedRect();
    const QPoint topLeft = widget.mapToGlobal(r.topLeft());
    return QJsonArray{topLeft.x(), topLeft.y(), r.width(), r.height()};
}

QString DateString(const LocalDate& date) {
    return QString::fromStdString(DateText(date));
}

}  // namespace

HistoryTestDump::HistoryTestDump(const QString& path, HistoryWindow& window)
    : path_(path), window_(window) {
    connect(&window_, &HistoryWindow::changed, this, &HistoryTestDump::Schedule);
    Schedule();
}

void HistoryTestDump::Schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    // After the chart's repaint, which a change schedules first.
    QTimer::singleShot(50, this, &HistoryTestDump::Write);
}

void HistoryTestDump::Write() {
    scheduled_ = false;
    const PlotView& plot = window_.plot();
    const PlotScene& scene = plot.scene();
    QJsonArray panels;
    for (const PlotRect& panel : scene.panels)
        panels.append(ScreenRect(plot, plot.ToWidget(panel)));
    QJsonObject buttons;
    for (int i = 0; i < kHistoryButtonCount; ++i) {
        const QPushButton& b = *window_.button(static_cast<HistoryButton>(i));
        buttons.insert(b.objectName(), QJsonObject{{"text", b.text()},
                                                   {"enabled", b.isEnabled()},
                                                   {"checked", b.isChecked()},
                                                   {"rect", ScreenRect(b, QRectF(b.rect()))}});
    }
    const HistoryBrowser& browser = window_.browser();
    QJsonArray computers;
    for (const HistoryComputer& c : browser.shown().computers) {
        computers.append(QJsonObject{
            {"id", QString::fromStdString(c.id)},
            {"name", QString::fromStdString(c.name)},
            {"thisComputer", c.thisComputer},
            {"last", c.wrote ? DateString(c.lastMinute.date) +
                                   QStringLiteral(" %1:%2")
                                       .arg(c.lastMinute.hour, 2, 10, QLatin1Char('0'))
                                       .arg(c.lastMinute.minute, 2, 10, QLatin1Char('0'))
                             : QString()}});
    }
    const QComboBox& choice = *window_.computerChoice();
    QJsonArray choices;
    for (int i = 0; i < choice.count(); ++i) choices.append(choice.itemText(i));
    const char* const kViews[] = {"day", "week", "30days"};
    const DayTotals& shown = browser.shown().totals;
    const QJsonObject dump{
        {"serial", ++serial_},
        {"visible", window_.isVisible()},
        {"id", QString::number(window_.winId())},
        {"rect", ScreenRect(window_, QRectF(window_.rect()))},
        {"view", kViews[static_cast<int>(browser.view())]},
        {"date", DateString(browser.date())},
        {"loading", browser.reading()},
        {"loaded", browser.hasResult()},
        {"failed", browser.failed()},
        {"shownView", kViews[static_cast<int>(browser.shown().query.view)]},
        {"shownDate", DateString(browser.shown().query.date)},
        // Counts the reads asked for: one shown with a higher number was asked for later.
        {"shownSerial", static_cast<qint64>(browser.shown().query.serial)},
        {"readMs", browser.shown().readMs},
        {"heading", window_.heading().text()},
        {"totals", window_.totals().text()},
        {"computer", QString::fromStdString(browser.computer())},
        {"shownComputer", QString::fromStdString(browser.shown().query.computer)},
        {"computers", computers},
        {"computersText", window_.computers().text()},
        {"mouseLimit", QJsonObject{{"text", window_.limitChoice()->currentText()},
                                   {"rect", ScreenRect(*window_.limitChoice(),
                                                       QRectF(window_.limitChoice()->rect()))}}},
        {"choice", QJsonObject{{"visible", choice.isVisible()},
                               {"current", choice.currentIndex()},
                               {"items", choices},
                               {"rect", ScreenRect(choice, QRectF(choice.rect()))}}},
        // The figures behind the texts, for exact comparisons.
        {"figures", QJsonObject{{"keys", static_cast<qint64>(shown.keys)},
                                {"clicks", static_cast<qint64>(shown.clicks)},
                                {"doubleClicks", static_cast<qint64>(shown.doubleClicks)},
                                {"movePx", static_cast<qint64>(shown.movePx)},
                                {"dragPx", static_cast<qint64>(shown.dragPx)},
                                {"activeMinutes", shown.activeMinutes},
                                {"mouseMinutes", shown.mouseMinutes},
                                {"keyboardMinutes", shown.keyboardMinutes}}},
        {"panels", panels},
        {"polylines", static_cast<int>(scene.polylines.size())},
        {"bars", static_cast<int>(scene.bars.size())},
        {"buttons", buttons},
    };
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    file.write(QJsonDocument(dump).toJson(QJsonDocument::Compact) + '\n');
}

}  // namespace tavrel::linux_qt
