#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A notification server on the session bus for tests: owns org.freedesktop.Notifications,
answers Notify with ids counting up from 1, and logs every call as a JSON line.
Needs the system's python3 with its dbus and gi modules.
Usage: fake_notifications.py LOG_FILE
"""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.last_id = 0

    def record(self, entry):
        with open(self.log, "a") as f:
            f.write(json.dumps(entry) + "\n")

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        self.last_id += 1
        self.record({"call": "Notify", "id": self.last_id, "app": str(app_name),
                     "replaces": int(replaces_id), "summary": str(summary), "body": str(body),
                     "actions": [str(a) for a in actions],
                     "urgency": int(hints.get("urgency", -1)), "timeout": int(timeout)})
        return self.last_id

    @dbus.service.method(NAME, in_signature="u")
    def CloseNotification(self, notification_id):
        self.record({"call": "CloseNotification", "id": int(notification_id)})
        self.NotificationClosed(notification_id, 3)

    @dbus.service.method(NAME, out_signature="as")
    def GetCapabilities(self):
        return ["body", "actions"]

    @dbus.service.method(NAME, out_signature="ssss")
    def GetServerInformation(self):
        return ["fake", "tavrel tests", "1", "1.2"]

    @dbus.service.signal(NAME, signature="uu")
    def NotificationClosed(self, notification_id, reason):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus)
    server = Notifications(bus, sys.argv[1])
    server.record({"call": "ready"})
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
