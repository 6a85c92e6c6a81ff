// SPDX-License-Identifier: GPL-3.0-or-later
// One minute of the usage history and its line in a month file. Numbers are written and
// read by hand, never through the C or C++ locale, so that a file reads the same on every
// desktop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tavrel/history_calendar.h"

namespace tavrel {

struct MinuteRecord {
    LocalMinute minute;
    std::int32_t keys = 0;
    std::int32_t clicks = 0;  // may be negative: a double-click can take back a release
    std::int32_t doubleClicks = 0;
    std::int32_t movePx = 0;  // rounded to whole pixels
    std::int32_t dragPx = 0;
    std::int32_t painMax = 0;  // truncated
    std::int32_t alarmTicks = 0;
    std::int32_t threshold = 0;
};

// The first line of every month file.
constexpr std::string_view kHistoryHeader =
    "minute,keys,clicks,double_clicks,move_px,drag_px,pain_max,alarm_ticks,threshold\n";

// Room enough for any line FormatMinuteLine writes.
constexpr std::size_t kMaxMinuteLineLength = 128;

// True when the line would say nothing: no input, no pain, no alarm. Such minutes are
// left out of the files.
bool IsQuietMinute(const MinuteRecord& record);

// Writes the record's line, line feed included, into out (kMaxMinuteLineLength chars at
// least); returns its length.
std::size_t FormatMinuteLine(const MinuteRecord& record, char* out);
void AppendMinuteLine(const MinuteRecord& record, std::string& out);

// Reads one line, its line end already taken off (a trailing CR is allowed). False for the
// header and for anything that is not exactly one well-formed record.
bool ParseMinuteLine(std::string_view line, MinuteRecord& record);

// "2026-12-07T16:05+01:00"
std::size_t FormatLocalMinute(const LocalMinute& minute, char* out);

}  // namespace tavrel
