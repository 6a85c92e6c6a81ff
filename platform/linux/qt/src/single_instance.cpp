// SPDX-License-Identifier: GPL-3.0-or-later
#include "single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QThread>

namespace tavrel::linux_qt {

namespace {
constexpr int kWaitMs = 1000;
// How long a program that lost the start lock waits for the winner to listen.
constexpr int kWinnerStartMs = 10000;
constexpr char kShowRequest[] = "show\n";
}  // namespace

QString InstanceSocketPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QDir(runtime).exists()) {
        return runtime + QStringLiteral("/tavrel.socket");
    }
    return QDir::tempPath() + QStringLiteral("/tavrel-%1.socket").arg(getuid());
}

bool SingleInstance::AskRunningToShow(const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kWaitMs)) return false;
    socket.write(kShowRequest);
    socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::TakeStartLock(const QString& socketPath) {
    // QLockFile finds a lock whose program has died stale and takes it over.
    lock_ = std::make_unique<QLockFile>(socketPath + QStringLiteral(".lock"));
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return true;
    for (int waited = 0; waited < kWinnerStartMs; waited += 100) {
        if (AskRunningToShow(socketPath)) break;
        QThread::msleep(100);
    }
    return false;
}

bool SingleInstance::Listen(const QString& path, std::function<void()> onShow) {
    onShow_ = std::move(onShow);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered, so a socket file left there is from a program that died.
    QLocalServer::removeServer(path);
    if (!server_.listen(path)) return false;
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("show") && onShow_) onShow_();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace tavrel::linux_qt
