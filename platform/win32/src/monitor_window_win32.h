// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on Win32: the dialog, its message table, and the window-system operations
// that the platform-free controller asks for through its roles.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <filesystem>

#include "alarm_menu_win32.h"
#include "alarm_status_line_win32.h"
#include "desktop_quiet_win32.h"
#include "framework_win32.h"
#include "handles_win32.h"
#include "history_window_win32.h"
#include "notify_icon_win32.h"
#include "program_capture.h"
#include "start_with_windows_win32.h"
#include "system_clock.h"
#include "tavrel/directory_history_files.h"
#include "tavrel/tavrel_core.h"

namespace tavrel::win32 {

// The tray icon reports through a message of the program's own, so that a real mouse
// move over the window can never pass for a tray event.
constexpr UINT kTrayMessage = WM_APP + 1;
// The capture thread's wake-up for a window that stopped its timer.
constexpr UINT kWakeMessage = WM_APP + 2;
constexpr UINT kTimerId = 10;
constexpr UINT kTimerPeriodMs = kTickPeriodMs;
// System-menu command that opens the History window, listed under the About entry; the low
// four bits stay clear as the system reserves them.
constexpr UINT kHistoryMenuCommand = 0x0020;
constexpr char kHistoryMenuText[] = "&History...";
constexpr UINT kShareHistoryMenuCommand = 0x0050;
constexpr char kShareHistoryMenuText[] = "Sha&re history...";

// A second start asks the running window to show itself with this registered message.
constexpr char kShowRunningMessage[] = "Tavrel.ShowRunningWindow";

// Carries the capture thread's wake-up to the window's thread: one posted message, so the
// capture never waits on the window.
class PostedWake final : public WakeTarget {
  public:
    explicit PostedWake(const DialogBase& window) : window_(window) {}
    void Wake() override { PostMessageA(window_.hwnd(), kWakeMessage, 0, 0); }

  private:
    const DialogBase& window_;
};

// Finds the main window of a Tavrel already running and asks it to show itself.
HWND FindRunningMainWindow();
void ShowRunningMainWindow();

// The About box: a template and nothing else; OK, Esc and the close box end it.
class AboutDialog final : public DialogBase {
  public:
    AboutDialog();
};

class MonitorWindow final : public DialogBase, public MainWindow, public SettingsView, public Tray {
  public:
    explicit MonitorWindow(SettingsStore& store);

    // MainWindow
    void Raise() override;
    void ShowWithoutFocus() override;
    void HideToBottom() override;
    void Minimize() override { ShowWindow(hwnd(), SW_MINIMIZE); }
    void FlashCaption(bool invert) override { FlashWindow(hwnd(), invert ? TRUE : FALSE); }
    void SetReadout(Readout readout, const char* text) override;
    void SetDebugInfoCaption(const char* text) override;
    void SetCaptureNotice(const char*) override {}  // the tip says it; the layout is fixed
    void SetAlarmStatus(const char* text) override { alarmStatus_.Set(text); }
    void SetTodayUse(const char* text) override { todayUse_.Set(text); }
    void Close() override { DialogBase::OnOK(); }
    void ShowMessage(const char* text) override;
    Answer AskYesNoCancel(const char* text) override;
    // SettingsView
    void SetFieldInt(SettingId field, std::int32_t value) override;
    void SetSetChecked(SetButton button, bool checked) override;
    void SetSaveEnabled(bool enabled) override;
    // Tray
    void Show(TrayIcon icon, const char* tip) override;
    void Remove() override { trayIcon_.Remove(); }
    bool Available() override { return true; }

  protected:
    MessageTable GetMessageTable() const override;
    BOOL OnInitDialog() override;
    void BindControls() override;
    void OnCancel() override { controller().HideToTray(); }
    // The Enter key never ends the program: only Quit does, through Close.
    void OnOK() override {}

  private:
    MonitorController& controller() { return core_.controller(); }
    void AddSystemMenuItems();
    // Shows the window above the others with SetWindowPos flags added to the usual ones.
    void ShowAbove(UINT extraFlags);
    void LoadIcons();
    void ShowTrayMenu();
    void ShowAbout();
    void OpenHistory() { historyWindow_.Open(); }
    void ShareHistory();
    void OnSysCommand(unsigned id);
    void OnInitMenuPopup();
    void ChooseStartWithWindows();
    void RefreshSystemMenu();
    void OnPaint();
    HICON OnQueryDragIcon() { return appIcon_; }
    void OnTimer() { controller().OnTimer(); }
    void OnWake() { controller().Wake(); }
    void OnTrayMessage(int mouseMessage, int);
    void OnTaskbarCreated();
    void OnEndSession(unsigned ending);
    void OnShowRunning() { controller().OnTrayActivated(); }
    void OnDebugInfo() { controller().OnDebugInfo(); }
    void OnQuit() { controller().OnQuit(); }
    void OnReset() { controller().OnReset(); }
    void OnSave();
    void OnPainfulSet() { controller().OnPainfulSet(); }
    void OnNormalSet() { controller().OnNormalSet(); }
    void OnFieldKillFocus(unsigned controlId);

    HWND saveButton_ = nullptr;
    HWND normalRadio_ = nullptr;
    HWND painfulRadio_ = nullptr;
    HICON appIcon_;
    OwnedIcon trayIcons_[8];
    NotifyIcon trayIcon_;
    BalloonNotifier balloons_{trayIcon_};
    AlarmStatusLine alarmStatus_;
    AlarmStatusLine todayUse_{AlarmStatusLine::kTodayUse};
    DesktopQuietWin32 quiet_;
    StartWithWindowsItem startWithWindows_;
    SystemClock clock_;
    ActivitySource& source_ = ProgramActivitySource();
    DialogTimer timer_{*this, kTimerId, kTimerPeriodMs};
    PostedWake wake_{*this};
    std::filesystem::path historyFolder_;
    FileDiagnosticsLog diagnostics_;  // beside the history folder; unused without it
    DirectoryHistoryFiles historyFiles_;
    // Built last from the roles above, so that every event can go to it.
    TavrelCore core_;
    AlarmNotifier alarmNotifier_;  // where the user chose a balloon instead of the window
    HistoryWindow historyWindow_;  // goes first: its reads must not outlast the program
};

}  // namespace tavrel::win32
