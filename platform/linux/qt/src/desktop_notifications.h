// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop notifications over the session bus ("org.freedesktop.Notifications"). Every call
// is sent without waiting for the answer, so a slow or missing notification server never
// holds up a tick.
#pragma once

#include <functional>

#include <QObject>
#include <QString>

#include "tavrel/alarm_notifier.h"

class QDBusPendingCallWatcher;

namespace tavrel::linux_qt {

class DesktopNotifications final : public QObject, public DesktopNotifier {
    Q_OBJECT

  public:
    // onActivated: the user clicked the notification.
    explicit DesktopNotifications(std::function<void()> onActivated);

    void Notify(const char* summary, const char* body) override;
    void Withdraw() override;

  private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

  private:
    void OnNotifyAnswered(QDBusPendingCallWatcher* watcher);

    std::function<void()> onActivated_;
    uint shownId_ = 0;              // the server's id of what is shown; 0 for nothing
    bool withdrawPending_ = false;  // withdrawn before the server told its id
};

}  // namespace tavrel::linux_qt
