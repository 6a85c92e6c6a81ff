// SPDX-License-Identifier: GPL-3.0-or-later
// Which minutes of one local day were used, and how: the day's time across computers, where a
// minute used on several of them counts once. (The hour that comes twice at the end of
// daylight-saving time counts once here too.)
#pragma once

#include <bitset>
#include <filesystem>
#include <string>
#include <string_view>

#include "tavrel/exposure.h"
#include "tavrel/history_calendar.h"
#include "tavrel/history_files.h"

namespace tavrel {

struct DayMinutes {
    LocalDate date{0, 0, 0};
    std::bitset<1440> active, mouse, keyboard;

    // Empty, for another day.
    void Start(const LocalDate& day);
    void Add(int minuteOfDay, const MinuteTime& time);
    // The other's minutes, when it is of the same day.
    void Add(const DayMinutes& other);
};

// Adds the day's lines of a month file's text.
void AddDayMinutes(std::string_view monthText, DayMinutes& day);
// Adds the day's minutes of one computer's files: only the end of its month file is read,
// where the day's lines are, unless the day began before it.
void AddDayMinutes(HistoryFiles& files, DayMinutes& day);

}  // namespace tavrel
