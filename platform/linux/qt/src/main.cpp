// SPDX-License-Identifier: GPL-3.0-or-later
// Tavrel on a Linux desktop: one instance per user, then the shell that wires the Qt window
// and tray icon, the capture and the INI store around the platform-free core.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>

#include "about_box.h"
#include "qt_shell.h"
#include "single_instance.h"
#include "tavrel/source_pick.h"

namespace {

using namespace tavrel;
using namespace tavrel::linux_qt;

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

    QtShell shell(session);
    instance.Listen(socketPath, [&shell] { shell.controller().OnTrayActivated(); });
    shell.Start();
    return QApplication::exec();
}
