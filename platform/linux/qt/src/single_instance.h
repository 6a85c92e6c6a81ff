// One running program per user: a later start hands its wish to be seen to the running one
// over a local socket and ends.
#pragma once

#include <functional>

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace tavrel::linux_qt {

// $XDG_RUNTIME_DIR/tavrel.socket, which is the user's own; without it, a name with the
// user's id in the temporary folder.
QString InstanceSocketPath();

class SingleInstance final : public QObject {
  public:
    // True when another program answered on the socket and was asked to show its window.
    static bool AskRunningToShow(const QString& path);

    // Starts listening; each later start calls onShow. False when the socket cannot be made.
    bool Listen(const QString& path, std::function<void()> onShow);

  private:
    QLocalServer server_;
    std::function<void()> onShow_;
};

}  // namespace tavrel::linux_qt
