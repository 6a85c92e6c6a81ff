// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_quiet.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>

#include "fullscreen_probe.h"

namespace tavrel::linux_qt {

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString kBannersSpace = QStringLiteral("org.gnome.desktop.notifications");
const QString kBannersKey = QStringLiteral("show-banners");

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

const QString kSession = QStringLiteral("org.gnome.SessionManager");
const QString kSessionPath = QStringLiteral("/org/gnome/SessionManager");
constexpr uint kInhibitIdle = 8;  // GsmInhibitorFlag: a program keeps the session from idling

const QString kPower = QStringLiteral("org.freedesktop.PowerManagement");
const QString kPowerPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString kPowerInhibit = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");

// A reply's value: the portal's Read wraps its variant in another, other calls do not.
QVariant Unwrapped(QVariant value) {
    for (int depth = 0; depth < 4; ++depth) {
        if (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
            value = value.value<QDBusVariant>().variant();
        } else if (value.userType() == qMetaTypeId<QDBusArgument>()) {
            const QDBusArgument argument = value.value<QDBusArgument>();
            if (argument.currentType() != QDBusArgument::VariantType) break;
            value = qdbus_cast<QDBusVariant>(argument).variant();
        } else {
            break;
        }
    }
    return value;
}

}  // namespace

DesktopQuietLinux::DesktopQuietLinux(std::function<void()> changed) : changed_(std::move(changed)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        fullscreen_ = new FullscreenProbe();
    }
    if (!bus.isConnected()) return;
    // Slots that take the whole message: no argument type needs registering first.
    bus.connect(kPortal, kPortalPath, kSettings, QStringLiteral("SettingChanged"),
                QStringLiteral("ssv"), this, SLOT(OnSettingChanged(QDBusMessage)));
    bus.connect(kNotifications, kNotificationsPath, kProperties,
                QStringLiteral("PropertiesChanged"), QStringLiteral("sa{sv}as"), this,
                SLOT(OnNotificationProperties(QDBusMessage)));
    bus.connect(kSession, kSessionPath, kProperties, QStringLiteral("PropertiesChanged"),
                QStringLiteral("sa{sv}as"), this, SLOT(OnSessionProperties(QDBusMessage)));
    for (const char* signal : {"InhibitorAdded", "InhibitorRemoved"}) {
        bus.connect(kSession, kSessionPath, kSession, QString::fromLatin1(signal), this,
                    SLOT(OnInhibitorsChanged()));
    }
    bus.connect(kPower, kPowerPath, kPowerInhibit, QStringLiteral("HasInhibitChanged"),
                QStringLiteral("b"), this, SLOT(OnHasInhibitChanged(QDBusMessage)));

    // A service that starts or stops later is read again, or forgotten.
    watcher_.setConnection(bus);
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    watcher_.setWatchedServices({kPortal, kNotifications, kSession, kPower});
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this,
            [this](const QString& service) { OnServiceChanged(service, true); });
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& service) { OnServiceChanged(service, false); });
    for (Source s : {Source::Banners, Source::NotificationsInhibited, Source::SessionInhibited,
                     Source::PowerInhibited}) {
        Read(s);
    }
}

DesktopQuietLinux::~DesktopQuietLinux() {
    delete fullscreen_;
}

QuietReason DesktopQuietLinux::Busy() {
    if (fullscreen_ != nullptr && fullscreen_->FullscreenInFront()) {
        return QuietReason::FullscreenProgram;
    }
    if (Holding(Source::Banners) || Holding(Source::NotificationsInhibited)) {
        return QuietReason::DoNotDisturb;
    }
    if (Holding(Source::SessionInhibited) || Holding(Source::PowerInhibited)) {
        return QuietReason::KeptAwake;
    }
    return QuietReason::None;
}

void DesktopQuietLinux::Read(Source source) {
    QDBusMessage call;
    switch (source) {
        case Source::Banners:
            call = QDBusMessage::createMethodCall(kPortal, kPortalPath, kSettings,
                                                  QStringLiteral("Read"));
            call << kBannersSpace << kBannersKey;
            break;
        case Source::NotificationsInhibited:
            call = QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kProperties,
                                                  QStringLiteral("Get"));
            call << kNotifications << QStringLiteral("Inhibited");
            break;
        case Source::SessionInhibited:
            call = QDBusMessage::createMethodCall(kSession, kSessionPath, kProperties,
                                                  QStringLiteral("Get"));
            call << kSession << QStringLiteral("InhibitedActions");
            break;
        case Source::PowerInhibited:
            call = QDBusMessage::createMethodCall(kPower, kPowerPath, kPowerInhibit,
                                                  QStringLiteral("HasInhibit"));
            break;
    }
    // Never waited for: the answer comes back to the event loop.
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, source](QDBusPendingCallWatcher* w) { Answered(source, w); });
}

void DesktopQuietLinux::Answered(Source source, QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    // No such service, or a desktop without the property: that source holds nothing.
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        Set(source, false);
        return;
    }
    Set(source, Holds(source, Unwrapped(reply.arguments().first())));
}

bool DesktopQuietLinux::Holds(Source source, const QVariant& value) {
    const bool isBool = value.userType() == QMetaType::Bool;
    switch (source) {
        case Source::Banners:
            return isBool && !value.toBool();  // banners off: Do Not Disturb
        case Source::SessionInhibited:
            return (value.toUInt() & kInhibitIdle) != 0;
        case Source::NotificationsInhibited:
        case Source::PowerInhibited:
            return isBool && value.toBool();
    }
    return false;
}

void DesktopQuietLinux::Set(Source source, bool on) {
    bool& flag = holds_[static_cast<std::size_t>(source)];
    if (flag == on) return;
    flag = on;
    if (changed_) changed_();
}

void DesktopQuietLinux::OnSettingChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() != 3 || args[0].toString() != kBannersSpace ||
        args[1].toString() != kBannersKey) {
        return;
    }
    Set(Source::Banners, Holds(Source::Banners, Unwrapped(args[2])));
}

void DesktopQuietLinux::FollowProperty(const QDBusMessage& message, const QString& interface,
                                       const QString& name, Source source) {
    const QList<QVariant> args = message.arguments();
    if (args.size() != 3 || args[0].toString() != interface) return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(args[1]);
    const auto it = changed.find(name);
    if (it != changed.end()) {
        Set(source, Holds(source, Unwrapped(*it)));
    } else if (qdbus_cast<QStringList>(args[2]).contains(name)) {
        Read(source);  // the sender only said that it changed
    }
}

void DesktopQuietLinux::OnNotificationProperties(const QDBusMessage& message) {
    FollowProperty(message, kNotifications, QStringLiteral("Inhibited"),
                   Source::NotificationsInhibited);
}

void DesktopQuietLinux::OnSessionProperties(const QDBusMessage& message) {
    FollowProperty(message, kSession, QStringLiteral("InhibitedActions"), Source::SessionInhibited);
}

void DesktopQuietLinux::OnInhibitorsChanged() {
    Read(Source::SessionInhibited);
}

void DesktopQuietLinux::OnHasInhibitChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (!args.isEmpty())
        Set(Source::PowerInhibited, Holds(Source::PowerInhibited, Unwrapped(args[0])));
}

void DesktopQuietLinux::OnServiceChanged(const QString& service, bool present) {
    const Source source = service == kPortal          ? Source::Banners
                          : service == kNotifications ? Source::NotificationsInhibited
                          : service == kSession       ? Source::SessionInhibited
                                                      : Source::PowerInhibited;
    if (present) {
        Read(source);
    } else {
        Set(source, false);
    }
}

}  // namespace tavrel::linux_qt
