// SPDX-License-Identifier: GPL-3.0-or-later
// The History window: a day's pain minute by minute with the threshold and the alarms, and its
// hours' keys, clicks and distance, with the day's totals; a week's mouse and keyboard hours
// against the references; or the last thirty days side by side. Previous, Next and Today move
// through the days; with a shared folder, the computers' choice shows all of them or one;
// "Open folder" shows the files.
#pragma once

#include <functional>

#include <QWidget>

#include "history_loader.h"
#include "tavrel/daily_mouse_limit.h"
#include "tavrel/history_browser.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace tavrel::linux_qt {

class PlotView;

// The buttons, left to right.
enum HistoryButton {
    kDayButton,
    kWeekButton,
    kThirtyDaysButton,
    kPreviousButton,
    kNextButton,
    kTodayButton,
    kOpenFolderButton,
    kHistoryButtonCount
};

class HistoryWindow final : public QWidget {
    Q_OBJECT

  public:
    // `places` says where to read, asked at each read: the shared folder may change.
    HistoryWindow(Clock& clock, std::function<HistoryPlaces()> places);

    // Shows the window in front and reads the files again; the first time at today's day.
    void Open();
    // The daily mouse limit the window offers to set (null: none); it outlives the window.
    void SetMouseLimit(DailyMouseLimit* limit) { limit_ = limit; }
    // Distances counted at a fixed resolution (the input service's 1000 an inch of hand
    // travel) rather than in the screen's pixels; 0: the screen's own.
    void SetCountsPerInch(double countsPerInch) { countsPerInch_ = countsPerInch; }

    // What the test hook reads back.
    const HistoryBrowser& browser() const { return browser_; }
    const PlotView& plot() const { return *plot_; }
    const QLabel& heading() const { return *heading_; }
    const QLabel& totals() const { return *totals_; }
    const QLabel& computers() const { return *computers_; }
    QComboBox* computerChoice() const { return choice_; }
    QComboBox* limitChoice() const { return limitChoice_; }
    QPushButton* button(HistoryButton which) const { return buttons_[which]; }

  signals:
    // Something that the window shows changed.
    void changed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Build();
    void Load(const HistoryQuery& query);
    void Show(const HistoryResult& result);
    void OpenFolder();
    void UpdateControls();
    void UpdateComputerChoice();
    void UpdateLimitChoice();
    void ChooseLimit(int index);

    std::function<HistoryPlaces()> places_;
    HistoryLoader loader_;
    HistoryBrowser browser_;
    double countsPerInch_ = 0;
    PlotView* plot_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* totals_ = nullptr;
    QLabel* computers_ = nullptr;
    QComboBox* choice_ = nullptr;
    QComboBox* limitChoice_ = nullptr;
    DailyMouseLimit* limit_ = nullptr;
    QPushButton* buttons_[kHistoryButtonCount] = {};
};

}  // namespace tavrel::linux_qt
