// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on a Qt desktop: the settings fields, Quit and Save, the two set
// buttons, the debugging read-outs and RESET, arranged as on Windows; and the window-system
// operations that the platform-free controller asks of its window.
#pragma once

#include <array>
#include <functional>

#include <QDialog>

#include "tavrel/main_window.h"
#include "tavrel/setting_fields.h"
#include "tavrel/settings_view.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tavrel::linux_qt {

class MonitorWindow final : public QDialog, public MainWindow, public SettingsView {
    Q_OBJECT

  public:
    MonitorWindow();

    // Shows the About box over the window.
    void ShowAbout();
    // Another entry of the window's menu, after About: where a desktop has no notification
    // area (a Wayland desktop without one), the tray menu's entries are reached from here.
    void AddMenuEntry(const QString& text, std::function<void()> action);
    bool quitting() const { return quitting_; }
    // Lets the window close for good: the program is ending another way than by Quit.
    void AllowClose() { quitting_ = true; }

    // MainWindow
    void ShowMessage(const char* text) override;
    Answer AskYesNoCancel(const char* text) override;
    void Raise() override;
    void ShowWithoutFocus() override;
    void HideToBottom() override;
    void Minimize() override;
    void FlashCaption(bool invert) override;
    void SetReadout(Readout readout, const char* text) override;
    void SetDebugInfoCaption(const char* text) override;
    void SetCaptureNotice(const char* text) override;
    void SetAlarmStatus(const char* text) override;
    void SetTodayUse(const char* text) override;
    void Close() override;

    // SettingsView
    void SetFieldInt(SettingId field, std::int32_t value) override;
    void SetSetChecked(SetButton button, bool checked) override;
    void SetSaveEnabled(bool enabled) override;

    // What the test hook reads back.
    QLineEdit* field(int index) const { return fields_[index]; }
    QLabel* readout(int index) const { return readouts_[index]; }
    QLabel* notice() const { return notice_; }
    QLabel* alarmStatus() const { return alarmStatus_; }
    QLabel* todayUse() const { return todayUse_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* quitButton() const { return quit_; }
    QPushButton* debugButton() const { return debug_; }
    QPushButton* resetButton() const { return reset_; }
    QRadioButton* painfulRadio() const { return painful_; }
    QRadioButton* normalRadio() const { return normal_; }
    int shownCount() const { return shownCount_; }
    int hiddenCount() const { return hiddenCount_; }

  signals:
    // Something that the window shows changed.
    void changed();
    // A settings field (its index in the order of SettingId) lost the focus holding text.
    void fieldLeft(int index, const QByteArray& text);
    // Esc or the close box: the window goes to the tray, never the program's end.
    void hideRequested();

  public slots:
    // Esc: to the tray, never the end of the program.
    void reject() override;
    // Enter reaches only the default button; nothing ends the window's run.
    void accept() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();
    void ShowingWithoutActivation(bool on);
    // Below the controls: what holds the alarm and how long to rest, then what is not
    // counted; the window grows to show them whole.
    void FitToTexts();
    // One of the lines of text below the controls: shown while it has something to say.
    void SetLine(QLabel& line, const char* text);

    std::array<QLineEdit*, kSettingCount> fields_{};
    std::array<QLabel*, kReadoutCount> readouts_{};
    QPushButton* save_ = nullptr;
    QPushButton* quit_ = nullptr;
    QPushButton* debug_ = nullptr;
    QPushButton* reset_ = nullptr;
    QRadioButton* painful_ = nullptr;
    QRadioButton* normal_ = nullptr;
    QLabel* notice_ = nullptr;
    QLabel* alarmStatus_ = nullptr;
    QLabel* todayUse_ = nullptr;
    QSize baseSize_;
    int textTop_ = 0;
    bool quitting_ = false;
    bool alerted_ = false;
    int shownCount_ = 0;
    int hiddenCount_ = 0;
};

}  // namespace tavrel::linux_qt
