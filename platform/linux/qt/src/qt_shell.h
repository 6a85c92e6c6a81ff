// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux program's composition root: the platform's roles, built in order, then the core
// over them; every event of the window, the tray and the session goes to that core.
#pragma once

#include <filesystem>
#include <memory>

#include "alarm_menu.h"
#include "desktop_notifications.h"
#include "desktop_quiet.h"
#include "history_test_dump.h"
#include "history_window.h"
#include "monitor_window.h"
#include "session_end.h"
#include "system_clock.h"
#include "tavrel/alarm_notifier.h"
#include "tavrel/directory_history_files.h"
#include "tavrel/ini_file_store.h"
#include "tavrel/inputd_source.h"
#include "tavrel/picking_source.h"
#include "tavrel/source_pick.h"
#include "tavrel/tavrel_core.h"
#include "tavrel/x_record_source.h"
#include "test_dump.h"
#include "tick_timer_qt.h"
#include "tray_icon.h"

namespace tavrel::linux_qt {

class QtShell {
  public:
    explicit QtShell(SessionKind session);
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    MonitorController& controller() { return core_.controller(); }
    // Starts counting and shows the window.
    void Start();

  private:
    void ConnectWindow();
    void OpenHistory();
    void ShareHistory();
    void AfterTick();
    AlarmMenuActions AlarmActions();
    void RefreshAlarmMenus();

    IniFileStore store_;
    XRecordActivitySource xRecord_;
    InputdActivitySource service_;
    PickingActivitySource source_;
    SystemClock clock_;
    FileDiagnosticsLog diagnostics_;
    TickTimerQt timer_;
    GuiThreadWake wake_;
    MonitorWindow window_;
    std::filesystem::path historyFolder_;
    DirectoryHistoryFiles historyFiles_;
    HistoryWindow history_;
    TrayIconQt tray_;
    DesktopQuietLinux quiet_;
    DesktopNotifications limitNotifications_;  // the daily mouse limit's, apart from the alarm's
    // Built from the roles above; they outlive it.
    TavrelCore core_;
    DesktopNotifications notifications_;
    std::unique_ptr<AlarmNotifier> alarmNotifier_;
    std::unique_ptr<AlarmMenu> trayAlarmMenu_;
    std::unique_ptr<AlarmMenu> windowAlarmMenu_;
    SessionEndWatch sessionEnd_;
    std::unique_ptr<TestDump> dump_;
    std::unique_ptr<HistoryTestDump> historyDump_;
    int ticks_ = 0;
};

}  // namespace tavrel::linux_qt
