// SPDX-License-Identifier: GPL-3.0-or-later
// The "Start with Windows" item of the tray menu and the system menu: the program's value
// under HKCU\Software\Microsoft\Windows\CurrentVersion\Run, read beside the mark Task Manager
// keeps under ...\Explorer\StartupApproved\Run. The rule is tavrel/start_with_windows.h,
// the registry side startup_entry_win32.h.
#pragma once

#include <windows.h>

#include <string>

#include "startup_entry_win32.h"

namespace tavrel::win32 {

constexpr char kStartWithWindowsText[] = "Start with &Windows";
// System-menu command of the item; the low four bits stay clear as the system reserves them.
constexpr UINT kStartWithWindowsMenuCommand = 0x0030;
class StartWithWindowsItem {
  public:
    StartWithWindowsItem();

    // Adds the item with its check mark as the registry has it now.
    void AppendTo(HMENU menu, UINT id) const;
    // Sets the check mark afresh: the user may have changed it in Task Manager meanwhile.
    void Refresh(HMENU menu, UINT id) const;
    // The user chose the item: switch, or tell where the entry was turned off.
    void Choose(HWND owner) const;

  private:
    bool Checked() const;
    std::string program_;  // this program file's path
};

}  // namespace tavrel::win32
