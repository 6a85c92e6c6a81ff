// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/daily_mouse_limit.h"

#include <algorithm>
#include <cstdio>

#include "tavrel/today_use.h"

namespace tavrel {

namespace {

constexpr char kMainSection[] = "Main";

}  // namespace

std::vector<int> MouseLimitChoices(int current) {
    std::vector<int> choices{0};
    for (int hours = 1; hours <= 8; ++hours) choices.push_back(hours * 60);
    if (current > 0 && std::find(choices.begin(), choices.end(), current) == choices.end()) {
        choices.insert(std::upper_bound(choices.begin(), choices.end(), current), current);
    }
    return choices;
}

std::string MouseLimitText(int minutes) {
    if (minutes <= 0) return "No daily mouse limit";
    char time[24];
    FormatDayTime(minutes, time);
    return std::string("Mouse limit ") + time + " a day";
}

DailyMouseLimit::DailyMouseLimit(SettingsStore& store, const AlarmPreferences& preferences,
                                 DesktopQuiet* desktop, DesktopNotifier* notifier)
    : store_(store), preferences_(preferences), desktop_(desktop), notifier_(notifier) {
    minutes_ =
        std::clamp(store_.ReadInt(kMainSection, kDailyMouseLimitKey, 0), 0, kMaxDailyMouseLimit);
    const std::string told = store_.ReadString(kMainSection, kDailyLimitToldKey, "");
    int y = 0, m = 0, d = 0;
    if (std::sscanf(told.c_str(), "%4d-%2d-%2d", &y, &m, &d) == 3) told_ = {y, m, d};
}

bool DailyMouseLimit::Set(int minutes) {
    minutes = std::clamp(minutes, 0, kMaxDailyMouseLimit);
    if (!store_.WriteInt(kMainSection, kDailyMouseLimitKey, minutes)) return false;
    minutes_ = minutes;
    return true;
}

void DailyMouseLimit::Check(const LocalDate& today, int mouseMinutes) {
    if (minutes_ <= 0 || mouseMinutes < minutes_ || told_ == today || notifier_ == nullptr) {
        return;
    }
    // Held, as the alarm is, and told at a later minute once the quiet time is over.
    if (preferences_.paused()) return;
    if (desktop_ != nullptr && desktop_->Busy() != QuietReason::None) return;
    told_ = today;
    // Kept, so that a program started again today does not tell it again; should the store
    // refuse, this run still tells it once.
    store_.WriteString(kMainSection, kDailyLimitToldKey, DateText(today).c_str());
    char used[24], limit[24];
    FormatDayTime(mouseMinutes, used);
    FormatDayTime(minutes_, limit);
    std::snprintf(body_, sizeof body_,
                  "You have used the mouse for %s today, past your daily limit of %s. Time for "
                  "a long break from the mouse.",
                  used, limit);
    notifier_->Notify("Tavrel: daily mouse limit reached", body_);
}

}  // namespace tavrel
