// SPDX-License-Identifier: GPL-3.0-or-later
// An optional limit of mouse time a day, on all the computers that share the history: when
// today's passes it, one desktop notification, at most once a day, held by the quiet times
// that hold the alarm (a pause, a fullscreen program, Do Not Disturb, a call).
#pragma once

#include <string>
#include <vector>

#include "tavrel/alarm_notifier.h"
#include "tavrel/alarm_preferences.h"
#include "tavrel/history_calendar.h"
#include "tavrel/quiet_times.h"
#include "tavrel/settings_store.h"

namespace tavrel {

// Section "Main": the limit in minutes (0 or absent: none), and the day it was last told,
// "2026-03-15", so that a program started again that day says nothing more.
constexpr char kDailyMouseLimitKey[] = "DailyMouseLimit";
constexpr char kDailyLimitToldKey[] = "DailyMouseLimitTold";
constexpr int kMaxDailyMouseLimit = 24 * 60;

// The limits a History window offers, in minutes (0: none), with `current` among them; and
// each one's text: "No daily mouse limit", "Mouse limit 4 h a day".
std::vector<int> MouseLimitChoices(int current);
std::string MouseLimitText(int minutes);

class DailyMouseLimit {
  public:
    // All outlive the limit; `desktop` and `notifier` may be null (no desktop to ask, nowhere
    // to tell).
    DailyMouseLimit(SettingsStore& store, const AlarmPreferences& preferences,
                    DesktopQuiet* desktop, DesktopNotifier* notifier);

    int minutes() const { return minutes_; }
    // 0 turns the limit off. False, and nothing changes, when the store refuses.
    bool Set(int minutes);

    // Today's mouse minutes on all the computers, as they change and as each minute ends.
    void Check(const LocalDate& today, int mouseMinutes);

  private:
    SettingsStore& store_;
    const AlarmPreferences& preferences_;
    DesktopQuiet* desktop_;
    DesktopNotifier* notifier_;
    int minutes_ = 0;
    LocalDate told_{0, 0, 0};
    char body_[160] = "";
};

}  // namespace tavrel
