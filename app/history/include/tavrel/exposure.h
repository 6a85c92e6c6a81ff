// SPDX-License-Identifier: GPL-3.0-or-later
// Time at the mouse and at the keyboard, from the minutes of the history. A minute of a file
// is a mouse minute when it has pointer movement, a drag or a click (or double-click), a
// keyboard minute when it has keys, an active minute when it has either. Time counts real
// minutes: a local minute that came twice (the end of daylight-saving time) is two minutes, one
// used on two computers is one.
#pragma once

#include <cstdint>

namespace tavrel {

// How many real minutes of each kind one local minute of the history holds.
struct MinuteTime {
    std::uint8_t active = 0, mouse = 0, keyboard = 0;
};

// The kinds of one line: 0 or 1 each.
MinuteTime TimeOfCounts(std::int32_t keys, std::int32_t clicks, std::int32_t doubleClicks,
                        std::int32_t movePx, std::int32_t dragPx);

// The time of several lines of one local minute, each with the UTC offset it was written
// with: lines of the same offset are the same real minute (a program started again within
// the minute, or two computers in one time zone), lines of different offsets are not.
class MinuteTimeMerger {
  public:
    void Add(const MinuteTime& line, std::int16_t utcOffset);
    const MinuteTime& time() const { return time_; }

  private:
    static constexpr int kKept = 8;  // offsets remembered per kind; more is never seen
    struct Seen {
        std::int16_t offsets[kKept];
        int count = 0;
        bool Insert(std::int16_t offset);
    };
    MinuteTime time_;
    Seen active_, mouse_, keyboard_;
};

// The references the views draw, from the studies cited in docs/exposure.md.
constexpr int kWeeklyMouseReferenceMinutes = 20 * 60;  // mouse use a week
constexpr int kDailyUseReferenceMinutes = 6 * 60;      // computer use a day

}  // namespace tavrel
