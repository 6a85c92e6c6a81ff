// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace tavrel::linux_qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

}  // namespace

DesktopNotifications::DesktopNotifications(std::function<void()> onActivated)
    : onActivated_(std::move(onActivated)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnClosed(uint, uint)));
}

void DesktopNotifications::Notify(const char* summary, const char* body) {
    QDBusMessage call = Call(QStringLiteral("Notify"));
    QVariantMap hints;
    // Critical: it stays until the user or the end of the alarm takes it away.
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(2)));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("tavrel"));
    call << QStringLiteral("Tavrel") << shownId_ << QStringLiteral("tavrel")
         << QString::fromUtf8(summary) << QString::fromUtf8(body)
         << QStringList{QStringLiteral("default"), QStringLiteral("Show Tavrel")} << hints
         << static_cast<int>(0);  // never expires by itself
    withdrawPending_ = false;
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            &DesktopNotifications::OnNotifyAnswered);
}

void DesktopNotifications::OnNotifyAnswered(QDBusPendingCallWatcher* watcher) {
    const QDBusPendingReply<uint> reply = *watcher;
    watcher->deleteLater();
    if (reply.isError()) return;  // no notification server: the tray and window still tell
    shownId_ = reply.value();
    if (withdrawPending_) Withdraw();
}

void DesktopNotifications::Withdraw() {
    if (shownId_ == 0) {
        withdrawPending_ = true;
        return;
    }
    QDBusMessage call = Call(QStringLiteral("CloseNotification"));
    call << shownId_;
    QDBusConnection::sessionBus().asyncCall(call);
    shownId_ = 0;
    withdrawPending_ = false;
}

void DesktopNotifications::OnActionInvoked(uint id, const QString& action) {
    if (id != shownId_ || id == 0) return;
    if (action == QStringLiteral("default") && onActivated_) onActivated_();
}

void DesktopNotifications::OnClosed(uint id, uint /*reason*/) {
    if (id == shownId_) shownId_ = 0;
}

}  // namespace tavrel::linux_qt
