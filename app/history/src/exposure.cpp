// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/exposure.h"

#include <limits>

namespace tavrel {

MinuteTime TimeOfCounts(std::int32_t keys, std::int32_t clicks, std::int32_t doubleClicks,
                        std::int32_t movePx, std::int32_t dragPx) {
    MinuteTime time;
    // Clicks may be negative (a double-click took back a release of the minute before): any
    // click count but zero is a click.
    time.mouse = movePx != 0 || dragPx != 0 || clicks != 0 || doubleClicks != 0 ? 1 : 0;
    time.keyboard = keys != 0 ? 1 : 0;
    time.active = time.mouse | time.keyboard;
    return time;
}

bool MinuteTimeMerger::Seen::Insert(std::int16_t offset) {
    for (int i = 0; i < count; ++i) {
        if (offsets[i] == offset) return false;
    }
    if (count < kKept) offsets[count++] = offset;
    return true;
}

namespace {
void AddOne(std::uint8_t& into) {
    if (into < std::numeric_limits<std::uint8_t>::max()) ++into;
}
}  // namespace

void MinuteTimeMerger::Add(const MinuteTime& line, std::int16_t utcOffset) {
    if (line.active != 0 && active_.Insert(utcOffset)) AddOne(time_.active);
    if (line.mouse != 0 && mouse_.Insert(utcOffset)) AddOne(time_.mouse);
    if (line.keyboard != 0 && keyboard_.Insert(utcOffset)) AddOne(time_.keyboard);
}

}  // namespace tavrel
