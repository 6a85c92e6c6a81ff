// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the desktop is busy so that the alarm must wait: the shell says a fullscreen
// program, Direct3D game, presentation or fullscreen Store app is in front
// (SHQueryUserNotificationState), or the foreground window has its whole monitor for its client
// area, which is what a fullscreen program looks like where the shell does not say (Wine among
// them). Asked only while an alarm would show.
#pragma once

#include <windows.h>

#include "tavrel/quiet_times.h"

namespace tavrel::win32 {

class DesktopQuietWin32 final : public DesktopQuiet {
  public:
    QuietReason Busy() override;
};

}  // namespace tavrel::win32
