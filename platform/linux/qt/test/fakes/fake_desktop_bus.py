#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop's quiet-time services on a session bus, for tests: GNOME's settings as the
settings portal serves them (org.gnome.desktop.notifications show-banners), a notification
server with KDE's Inhibited property, GNOME's session manager with InhibitedActions, and the
freedesktop power management inhibitor. Each announces its changes with the signals a real one
sends. A test changes them through org.tavrel.test.Control.Set(name, value), e.g.
    dbus-send --session --dest=org.tavrel.test --type=method_call / \
        org.tavrel.test.Control.Set string:show-banners variant:boolean:false
and every Notify is logged as a JSON line. Needs the system's python3 with dbus and gi.
Usage: fake_desktop_bus.py LOG_FILE
"""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

import fake_notifications

PROPERTIES = "org.freedesktop.DBus.Properties"
SETTINGS = "org.freedesktop.portal.Settings"
NOTIFICATIONS = fake_notifications.NAME
SESSION = "org.gnome.SessionManager"
POWER = "org.freedesktop.PowerManagement.Inhibit"


def record(log, entry):
    with open(log, "a") as f:
        f.write(json.dumps(entry) + "\n")


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.banners = True

    @dbus.service.method(SETTINGS, in_signature="ss", out_signature="v")
    def Read(self, namespace, key):
        if (namespace, key) != ("org.gnome.desktop.notifications", "show-banners"):
            raise dbus.exceptions.DBusException("not found",
                                                name="org.freedesktop.portal.Error.NotFound")
        # As the portal does: the value in a variant inside the reply's variant.
        return dbus.Boolean(self.banners, variant_level=1)

    @dbus.service.signal(SETTINGS, signature="ssv")
    def SettingChanged(self, namespace, key, value):
        pass

    def set(self, value):
        self.banners = bool(value)
        self.SettingChanged("org.gnome.desktop.notifications", "show-banners",
                            dbus.Boolean(self.banners))


class Notifications(fake_notifications.Notifications):
    """The tests' notification server, with KDE's Inhibited property."""

    def __init__(self, bus, log):
        super().__init__(bus, log)
        self.inhibited = False

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == NOTIFICATIONS and name == "Inhibited":
            return dbus.Boolean(self.inhibited)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.InvalidArgs")

    @dbus.service.signal(PROPERTIES, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    def set(self, value):
        self.inhibited = bool(value)
        self.PropertiesChanged(NOTIFICATIONS, {"Inhibited": dbus.Boolean(self.inhibited)}, [])


class Session(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/gnome/SessionManager")
        self.actions = 0

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SESSION and name == "InhibitedActions":
            return dbus.UInt32(self.actions)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.InvalidArgs")

    @dbus.service.signal(SESSION, signature="o")
    def InhibitorAdded(self, inhibitor):
        pass

    @dbus.service.signal(SESSION, signature="o")
    def InhibitorRemoved(self, inhibitor):
        pass

    def set(self, value):
        # Told by the inhibitor signals only, as older session managers do.
        before = self.actions
        self.actions = int(value)
        path = dbus.ObjectPath("/org/gnome/SessionManager/Inhibitor1")
        (self.InhibitorAdded if self.actions > before else self.InhibitorRemoved)(path)


class Power(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/PowerManagement/Inhibit")
        self.inhibited = False

    @dbus.service.method(POWER, out_signature="b")
    def HasInhibit(self):
        return self.inhibited

    @dbus.service.signal(POWER, signature="b")
    def HasInhibitChanged(self, inhibited):
        pass

    def set(self, value):
        self.inhibited = bool(value)
        self.HasInhibitChanged(self.inhibited)


class Control(dbus.service.Object):
    def __init__(self, bus, log, services):
        super().__init__(bus, "/")
        self.log = log
        self.services = services

    @dbus.service.method("org.tavrel.test.Control", in_signature="sv")
    def Set(self, name, value):
        self.services[str(name)].set(value)
        record(self.log, {"call": "Set", "name": str(name), "value": int(value)})


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    log = sys.argv[1]
    names = [dbus.service.BusName(n, bus) for n in (
        "org.freedesktop.portal.Desktop", NOTIFICATIONS, SESSION, "org.freedesktop.PowerManagement",
        "org.tavrel.test")]
    services = {"show-banners": Portal(bus), "inhibited": Notifications(bus, log),
                "inhibited-actions": Session(bus), "has-inhibit": Power(bus)}
    Control(bus, log, services)
    record(log, {"call": "ready", "names": len(names)})
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
