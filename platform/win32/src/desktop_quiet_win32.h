// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the desktop is busy so that the alarm must wait: the shell says a fullscreen
// program, Direct3D game, presentation or fullscreen Store app is in front
// (SHQueryUserNotificationState), or the foreground window covers its whole monitor, which is
// what a fullscreen program looks like where the shell does not say (Wine among them). Asked
// only while an alarm would show.
#pragma once

#include <windows.h>

#include "framework_win32.h"
#include "tavrel/quiet_times.h"

namespace tavrel::win32 {

class DesktopQuietWin32 final : public DesktopQuiet {
  public:
    // own: the program's main window, never taken for another program's.
    explicit DesktopQuietWin32(const DialogBase& own) : own_(own) {}
    QuietReason Busy() override;

  private:
    const DialogBase& own_;
};

// True when the window is another program's, shown, and covers its monitor whole.
bool CoversItsMonitor(HWND window, HWND own);

}  // namespace tavrel::win32
