// SPDX-License-Identifier: GPL-3.0-or-later
// "Start at login": a desktop entry in the user's autostart folder
// ($XDG_CONFIG_HOME/autostart/tavrel.desktop) that starts this program.
#pragma once

#include <QString>

namespace tavrel::linux_qt {

QString AutostartFile();
bool AutostartEnabled();
// Writes the entry (running this program's file) or removes it. False when the disk refused.
bool SetAutostart(bool enabled);

}  // namespace tavrel::linux_qt
