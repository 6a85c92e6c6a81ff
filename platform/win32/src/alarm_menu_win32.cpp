// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm_menu_win32.h"

#include <cstdio>

namespace tavrel::win32 {

namespace {
// Ids from the first: the pause choices, then these.
constexpr UINT kPauses = sizeof kPauseChoices / sizeof kPauseChoices[0];
constexpr UINT kResume = kPauses, kToFront = kPauses + 1;
}  // namespace

void AlarmMenu::AppendTo(HMENU menu, const AlarmPreferences& preferences) const {
    HMENU pauses = CreatePopupMenu();
    if (pauses != nullptr) {
        if (preferences.paused()) {
            char until[48];
            std::snprintf(until, sizeof until, "Paused until %s", preferences.pausedUntilText());
            AppendMenuA(pauses, MF_STRING | MF_GRAYED, 0, until);
        }
        for (UINT i = 0; i < kPauses; ++i) {
            AppendMenuA(pauses, MF_STRING, first_ + i, kPauseChoices[i].text);
        }
        AppendMenuA(pauses, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(pauses, MF_STRING | (preferences.paused() ? 0 : MF_GRAYED), first_ + kResume,
                    "&Resume alarms");
        // The menu owns its submenu from here on: destroyed with it.
        AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(pauses), "&Pause alarms");
    }
    AppendMenuA(menu, MF_STRING | (preferences.bringToFront() ? MF_CHECKED : MF_UNCHECKED),
                first_ + kToFront, kBringToFrontText);
}

bool AlarmMenu::Choose(UINT id, MonitorController& controller) const {
    if (id < first_ || id > first_ + kToFront) return false;
    const UINT offset = id - first_;
    if (offset < kPauses) {
        controller.OnPauseAlarms(kPauseChoices[offset].length);
    } else if (offset == kResume) {
        controller.OnResumeAlarms();
    } else {
        controller.OnBringToFrontChosen(!controller.alarmPreferences().bringToFront());
    }
    return true;
}

}  // namespace tavrel::win32
