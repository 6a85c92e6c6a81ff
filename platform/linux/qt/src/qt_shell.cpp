// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_shell.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleHints>
#include <QSysInfo>

namespace tavrel::linux_qt {

namespace {

constexpr int kTicksPerSecond = 20;

std::uint32_t DoubleClickMs() {
    return static_cast<std::uint32_t>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

// The screen's width in device pixels: X reports the pointer in those.
std::int32_t ScreenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return 0;
    return static_cast<std::int32_t>(
        std::lround(screen->geometry().width() * screen->devicePixelRatio()));
}

// The desktop's folder chooser, for "Share history...".
class QtFolderChooser final : public FolderChooser {
  public:
    bool ChooseFolder(const std::filesystem::path& start, std::filesystem::path& chosen) override {
        const QString folder = QFileDialog::getExistingDirectory(
            nullptr, QStringLiteral("Share the usage history in a folder"),
            QString::fromStdString(start.u8string()), QFileDialog::ShowDirsOnly);
        if (folder.isEmpty()) return false;
        chosen = std::filesystem::u8path(folder.toStdString());
        return true;
    }
};

}  // namespace

QtShell::QtShell(SessionKind session)
    : store_(DefaultIniStorePath()),
      xRecord_(DoubleClickMs(), QGuiApplication::styleHints()->mouseDoubleClickDistance()),
      service_(DoubleClickMs()),
      source_(session, xRecord_, service_),
      diagnostics_(clock_,
                   XdgDiagnosticsLogPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))),
      historyFolder_(XdgHistoryFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))),
      historyFiles_(historyFolder_),
      history_(clock_, [this] { return core_.historyPlaces(); }),
      tray_(TrayActions{
          [this] { controller().OnTrayActivated(); },
          [this] { controller().OnTrayPointed(); },
          [this] {
              controller().Wake();
              window_.ShowAbout();
          },
          [this] { controller().OnQuit(); },
          [this] { OpenHistory(); },
          [this] { ShareHistory(); },
      }),
      quiet_([this] { controller().OnDesktopQuietChanged(); }),
      limitNotifications_([this] { controller().OnTrayActivated(); }),
      core_(CoreRoles{MonitorRoles{window_, timer_, window_, tray_, clock_, source_, store_,
                                   &diagnostics_, &wake_, &quiet_},
                      &historyFiles_, historyFolder_, QSysInfo::machineHostName().toStdString(),
                      &limitNotifications_}),
      notifications_([this] { controller().OnTrayActivated(); }),
      sessionEnd_([this] {
          controller().OnSessionEnd();
          window_.AllowClose();
          QCoreApplication::exit(0);
      }) {
    wake_.OnWake([this] { controller().Wake(); });
    if (!core_.keepsHistory()) std::fprintf(stderr, "tavrel: no usage history kept\n");
    // The alarm is a notification where the user chose it instead of the window; a Wayland
    // desktop may refuse to raise even an X11 window, so there it comes beside the window.
    alarmNotifier_ = std::make_unique<AlarmNotifier>(
        notifications_, controller().alarmGate(), controller().alarmPreferences(),
        controller().model(), session == SessionKind::Wayland);
    if (!core_.AddListener(*alarmNotifier_)) {
        std::fprintf(stderr, "tavrel: no alarm notifications\n");
    }
    history_.SetMouseLimit(core_.dailyMouseLimit());
    window_.AddMenuEntry(QStringLiteral("&History..."), [this] { OpenHistory(); });
    window_.AddMenuEntry(QStringLiteral("Sha&re history..."), [this] { ShareHistory(); });
    trayAlarmMenu_ = std::make_unique<AlarmMenu>(AlarmActions(), &tray_);
    tray_.AddAlarmEntries(trayAlarmMenu_->pauseEntry(), trayAlarmMenu_->toFrontItem());
    QObject::connect(&tray_.menu(), &QMenu::aboutToShow, trayAlarmMenu_.get(), &AlarmMenu::Refresh);
    windowAlarmMenu_ = std::make_unique<AlarmMenu>(AlarmActions(), &window_);
    window_.addAction(windowAlarmMenu_->pauseEntry());
    window_.addAction(windowAlarmMenu_->toFrontItem());
    ConnectWindow();
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [this] { sessionEnd_.End(); });

    const QString dumpPath = qEnvironmentVariable("TAVREL_TEST_DUMP");
    if (!dumpPath.isEmpty()) dump_ = std::make_unique<TestDump>(dumpPath, window_, tray_);
    const QString historyDumpPath = qEnvironmentVariable("TAVREL_TEST_HISTORY_DUMP");
    if (!historyDumpPath.isEmpty()) {
        historyDump_ = std::make_unique<HistoryTestDump>(historyDumpPath, history_);
    }
}

void QtShell::ConnectWindow() {
    MonitorWindow* w = &window_;
    const auto to = [this](void (MonitorController::*verb)()) {
        return [this, verb] { (controller().*verb)(); };
    };
    QObject::connect(w->quitButton(), &QPushButton::clicked, w, [this] { controller().OnQuit(); });
    QObject::connect(w->saveButton(), &QPushButton::clicked, w, [this] { controller().OnSave(); });
    QObject::connect(w->resetButton(), &QPushButton::clicked, w, to(&MonitorController::OnReset));
    QObject::connect(w->debugButton(), &QPushButton::clicked, w,
                     to(&MonitorController::OnDebugInfo));
    QObject::connect(w->painfulRadio(), &QRadioButton::clicked, w,
                     to(&MonitorController::OnPainfulSet));
    QObject::connect(w->normalRadio(), &QRadioButton::clicked, w,
                     to(&MonitorController::OnNormalSet));
    QObject::connect(w, &MonitorWindow::fieldLeft, w, [this](int index, const QByteArray& text) {
        controller().OnFieldCommitted(SettingAt(index), text.constData());
    });
    QObject::connect(w, &MonitorWindow::hideRequested, w, to(&MonitorController::HideToTray));
    timer_.OnTick([this] { AfterTick(); });
}

void QtShell::AfterTick() {
    controller().OnTimer();
    // About once a second: the tip follows the pain (no desktop tells when the pointer is
    // over the icon), and a notification area that has just appeared gets the icon.
    if (++ticks_ % kTicksPerSecond != 0) return;
    controller().OnTrayPointed();
    if (tray_.AreaAppeared()) controller().OnTrayRestarted();
}

AlarmMenuActions QtShell::AlarmActions() {
    return AlarmMenuActions{
        [this](PauseLength length) {
            controller().OnPauseAlarms(length);
            RefreshAlarmMenus();
        },
        [this] {
            controller().OnResumeAlarms();
            RefreshAlarmMenus();
        },
        [this](bool on) {
            controller().OnBringToFrontChosen(on);
            RefreshAlarmMenus();
        },
        [this]() -> const AlarmPreferences& { return controller().alarmPreferences(); },
    };
}

void QtShell::RefreshAlarmMenus() {
    for (AlarmMenu* menu : {trayAlarmMenu_.get(), windowAlarmMenu_.get()}) {
        if (menu != nullptr) menu->Refresh();
    }
}

void QtShell::OpenHistory() {
    controller().Wake();
    history_.SetCountsPerInch(source_.picked() == PickedSource::Service ? 1000 : 0);
    history_.Open();
}

void QtShell::ShareHistory() {
    controller().Wake();
    SharedHistory* sharing = core_.sharedHistory();
    if (sharing == nullptr) return;
    QtFolderChooser chooser;
    sharing->ChooseFolder(chooser, window_);
    // The window shows the computers of the new folder at once.
    if (history_.isVisible()) history_.Open();
}

void QtShell::Start() {
    controller().Start(ScreenWidth());
    window_.show();
    window_.activateWindow();
}

}  // namespace tavrel::linux_qt
