// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm's entries of the tray menu ("Pause alarms": for 30 minutes, for 1 hour, until
// tomorrow, resume; "Bring the window to the front") and of the system menu (the check item).
// Made at run time, so that the resources both releases share stay as they are.
#pragma once

#include <windows.h>

#include "tavrel/monitor_controller.h"

namespace tavrel::win32 {

// System-menu command of the check item; the low four bits stay clear as the system reserves
// them.
constexpr UINT kBringToFrontMenuCommand = 0x0040;

class AlarmMenu {
  public:
    // The tray menu's entries take the ids first to first + 4.
    explicit AlarmMenu(UINT first) : first_(first) {}

    // Adds "Pause alarms" with its submenu and the check item, as the preferences are now.
    void AppendTo(HMENU menu, const AlarmPreferences& preferences) const;
    // True when the id was one of these entries, after telling the controller.
    bool Choose(UINT id, MonitorController& controller) const;

  private:
    UINT first_;
};

}  // namespace tavrel::win32
