// Tavrel on a Linux desktop: the Qt window and tray icon, X RECORD capture and the INI store
// around the platform-free controller.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <QApplication>
#include <QScreen>
#include <QStyleHints>

#include "about_box.h"
#include "desktop_notifications.h"
#include "history_test_dump.h"
#include "history_window.h"
#include "monitor_window.h"
#include "session_end.h"
#include "single_instance.h"
#include "system_clock.h"
#include "tavrel/directory_history_files.h"
#include "tavrel/history_recorder.h"
#include "tavrel/history_writer.h"
#include "tavrel/inputd_source.h"
#include "tavrel/ini_file_store.h"
#include "tavrel/monitor_controller.h"
#include "tavrel/picking_source.h"
#include "tavrel/x_record_source.h"
#include "test_dump.h"
#include "tick_timer_qt.h"
#include "tray_icon.h"

namespace {

using namespace tavrel;
using namespace tavrel::linux_qt;

constexpr int kTicksPerSecond = 20;

// Returns -1 to go on, or the exit code.
int HandleArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", kVersionText);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(
                "Usage: tavrel [--version]\n"
                "Counts mouse and keyboard use on the desktop and raises an alarm when it\n"
                "has been too much. Settings: $XDG_CONFIG_HOME/ZKV/Tavrel.conf.\n");
            return 0;
        }
    }
    return -1;
}

// The screen's width in device pixels: X reports the pointer in those.
std::int32_t ScreenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return 0;
    return static_cast<std::int32_t>(
        std::lround(screen->geometry().width() * screen->devicePixelRatio()));
}

}  // namespace

int main(int argc, char** argv) {
    const int early = HandleArguments(argc, argv);
    if (early >= 0) return early;

    // A Wayland session gets a Wayland window (an X11 one where Qt has no Wayland support);
    // its alarm then also comes as a desktop notification, since it cannot raise itself.
    const SessionKind session =
        DetectSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", session == SessionKind::Wayland ? "wayland;xcb" : "xcb");
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tavrel"));
    QApplication::setQuitOnLastWindowClosed(false);

    const QString socketPath = InstanceSocketPath();
    SingleInstance instance;
    if (!instance.TakeStartLock(socketPath)) return 0;
    if (SingleInstance::AskRunningToShow(socketPath)) return 0;

    IniFileStore store(DefaultIniStorePath());
    const QStyleHints* hints = QGuiApplication::styleHints();
    const auto doubleClickMs = static_cast<std::uint32_t>(hints->mouseDoubleClickInterval());
    XRecordActivitySource xRecord(doubleClickMs, hints->mouseDoubleClickDistance());
    InputdActivitySource service(doubleClickMs);
    PickingActivitySource source(session, xRecord, service);
    SystemClock clock;
    MonitorWindow window;
    const std::filesystem::path historyFolder =
        XdgHistoryFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    DirectoryHistoryFiles historyFiles(historyFolder);
    HistoryWriter historyWriter(historyFiles);
    HistoryWindow history(clock, historyFolder);
    const auto openHistory = [&history, &source] {
        history.SetCountsPerInch(source.picked() == PickedSource::Service ? 1000 : 0);
        history.Open();
    };
    window.AddMenuEntry(QStringLiteral("&History..."), openHistory);
    MonitorController* controller = nullptr;
    TrayIconQt tray(TrayActions{
        [&controller] { controller->OnTrayActivated(); },
        [&controller] { controller->OnTrayPointed(); },
        [&window] { window.ShowAbout(); },
        [&controller] { controller->OnQuit(); },
        openHistory,
    });
    TickTimerQt timer;
    MonitorController monitor(MonitorRoles{window, timer, window, tray, clock, source, store});
    controller = &monitor;
    // Hears every tick after the controller's own listeners; its failures share their box.
    HistoryRecorder recorder(clock, historyWriter, monitor.notice());
    if (!monitor.AddListener(recorder)) std::fprintf(stderr, "tavrel: no usage history kept\n");
    window.Attach(monitor);
    // A Wayland desktop may refuse to raise an X11 window as well: in a Wayland session the
    // alarm comes as a notification whatever the window's platform.
    std::unique_ptr<DesktopNotifications> notifications;
    std::unique_ptr<AlarmNotifier> alarmNotifier;
    if (session == SessionKind::Wayland) {
        notifications =
            std::make_unique<DesktopNotifications>([&monitor] { monitor.OnTrayActivated(); });
        alarmNotifier = std::make_unique<AlarmNotifier>(*notifications);
        if (!monitor.AddListener(*alarmNotifier)) {
            std::fprintf(stderr, "tavrel: no alarm notifications\n");
        }
    }

    // After each tick, about once a second: the tip follows the pain (no desktop tells when
    // the pointer is over the icon), and a notification area that has just appeared gets the
    // icon.
    int ticks = 0;
    timer.OnTick([&] {
        monitor.OnTimer();
        if (++ticks % kTicksPerSecond != 0) return;
        monitor.OnTrayPointed();
        if (tray.AreaAppeared()) monitor.OnTrayRestarted();
    });

    SessionEndWatch sessionEnd([&] {
        monitor.OnSessionEnd();
        window.AllowClose();
        QCoreApplication::exit(0);
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { sessionEnd.End(); });

    instance.Listen(socketPath, [&] { monitor.OnTrayActivated(); });

    std::unique_ptr<TestDump> dump;
    const QString dumpPath = qEnvironmentVariable("TAVREL_TEST_DUMP");
    if (!dumpPath.isEmpty()) dump = std::make_unique<TestDump>(dumpPath, window, tray);
    std::unique_ptr<HistoryTestDump> historyDump;
    const QString historyDumpPath = qEnvironmentVariable("TAVREL_TEST_HISTORY_DUMP");
    if (!historyDumpPath.isEmpty()) {
        historyDump = std::make_unique<HistoryTestDump>(historyDumpPath, history);
    }

    monitor.Start(ScreenWidth());
    window.show();
    window.activateWindow();
    return QApplication::exec();
}
