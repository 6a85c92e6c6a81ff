// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarm_menu_win32.h"

#include <cstdio>

namespace tavrel::win32 {

namespace {
enum Offset : UINT { kThirtyMinutes, kOneHour, kUntilTomorrow, kResume, kToFront };
}  // namespace

void AlarmMenu::AppendTo(HMENU menu, const AlarmPreferences& preferences) const {
    HMENU pauses = CreatePopupMenu();
    if (pauses != nullptr) {
        if (preferences.paused()) {
            char until[48];
            std::snprintf(until, sizeof until, "Paused until %s", preferences.pausedUntilText());
            AppendMenuA(pauses, MF_STRING | MF_GRAYED, 0, until);
        }
        AppendMenuA(pauses, MF_STRING, first_ + kThirtyMinutes, "For &30 minutes");
        AppendMenuA(pauses, MF_STRING, first_ + kOneHour, "For 1 &hour");
        AppendMenuA(pauses, MF_STRING, first_ + kUntilTomorrow, "Until &tomorrow");
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
    switch (id - first_) {
        case kThirtyMinutes:
            controller.OnPauseAlarms(PauseLength::ThirtyMinutes);
            break;
        case kOneHour:
            controller.OnPauseAlarms(PauseLength::OneHour);
            break;
        case kUntilTomorrow:
            controller.OnPauseAlarms(PauseLength::UntilTomorrow);
            break;
        case kResume:
            controller.OnResumeAlarms();
            break;
        default:
            controller.OnBringToFrontChosen(!controller.alarmPreferences().bringToFront());
            break;
    }
    return true;
}

}  // namespace tavrel::win32
