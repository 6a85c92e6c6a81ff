// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the desktop is busy so that the alarm must wait: a fullscreen window in front (X11),
// the desktop's Do Not Disturb (GNOME's banners off, read through the settings portal; a
// notification server's Inhibited property, as KDE Plasma's), or a program keeping the screen
// awake for a call, a video or a slide show (GNOME's session manager, the freedesktop power
// management inhibitor). What the session bus says is followed through its signals and kept;
// the X server is asked only when the core asks, while an alarm would show.
#pragma once

#include <cstddef>
#include <functional>

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "tavrel/quiet_times.h"

class QDBusPendingCallWatcher;

namespace tavrel::linux_qt {

class FullscreenProbe;

class DesktopQuietLinux final : public QObject, public DesktopQuiet {
    Q_OBJECT

  public:
    // changed: the bus told of a change that may end or begin a quiet time.
    explicit DesktopQuietLinux(std::function<void()> changed);
    ~DesktopQuietLinux() override;

    QuietReason Busy() override;

  private slots:
    void OnSettingChanged(const QDBusMessage& message);
    void OnNotificationProperties(const QDBusMessage& message);
    void OnSessionProperties(const QDBusMessage& message);
    void OnInhibitorsChanged();
    void OnHasInhibitChanged(const QDBusMessage& message);

  private:
    enum class Source : std::size_t {
        Banners,
        NotificationsInhibited,
        SessionInhibited,
        PowerInhibited
    };
    void Read(Source source);
    void Answered(Source source, QDBusPendingCallWatcher* watcher);
    void Set(Source source, bool on);
    void OnServiceChanged(const QString& service, bool present);
    // Whether a source's value holds the alarm.
    static bool Holds(Source source, const QVariant& value);
    // Follows a PropertiesChanged of the interface that names the property: its new value, or
    // a read when the sender only said that it changed.
    void FollowProperty(const QDBusMessage& message, const QString& interface, const QString& name,
                        Source source);

    std::function<void()> changed_;
    QDBusServiceWatcher watcher_;
    bool Holding(Source source) const { return holds_[static_cast<std::size_t>(source)]; }
    bool holds_[4] = {};                     // by Source: what each last said
    FullscreenProbe* fullscreen_ = nullptr;  // on X11 only
};

}  // namespace tavrel::linux_qt
