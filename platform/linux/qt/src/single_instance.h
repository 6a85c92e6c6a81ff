// SPDX-License-Identifier: GPL-3.0-or-later
// One running program per user: a later start hands its wish to be seen to the running one
// over a local socket and ends.
#pragma once

#include <functional>
#include <memory>

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace tavrel::linux_qt {

// $XDG_RUNTIME_DIR/tavrel.socket, which is the user's own; without it, a name with the
// user's id in the temporary folder.
QString InstanceSocketPath();

class SingleInstance final : public QObject {
  public:
    // Held from before the look for a running program until this one ends: of two programs
    // started at the same moment only one gets it. False when another program holds it;
    // that one is then asked to show itself, once it listens.
    bool TakeStartLock(const QString& socketPath);

    // True when another program answered on the socket and was asked to show its window.
    static bool AskRunningToShow(const QString& path);

    // Starts listening; each later start calls onShow. False when the socket cannot be made.
    bool Listen(const QString& path, std::function<void()> onShow);

  private:
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    std::function<void()> onShow_;
};

}  // namespace tavrel::linux_qt
