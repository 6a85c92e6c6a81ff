// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/day_minutes.h"

#include <cstring>

#include "tavrel/minute_record.h"

namespace tavrel {

namespace {
// A day of lines, one a minute, is about 80 KB; a tail of twice that holds it.
constexpr std::size_t kDayTail = 192 * 1024;
}  // namespace

void DayMinutes::Start(const LocalDate& day) {
    date = day;
    active.reset();
    mouse.reset();
    keyboard.reset();
}

void DayMinutes::Add(int minuteOfDay, const MinuteTime& time) {
    if (minuteOfDay < 0 || minuteOfDay >= 1440) return;
    const auto at = static_cast<std::size_t>(minuteOfDay);
    if (time.active != 0) active.set(at);
    if (time.mouse != 0) mouse.set(at);
    if (time.keyboard != 0) keyboard.set(at);
}

void DayMinutes::Add(const DayMinutes& other) {
    if (other.date != date) return;
    active |= other.active;
    mouse |= other.mouse;
    keyboard |= other.keyboard;
}

void AddDayMinutes(std::string_view text, DayMinutes& day) {
    std::size_t start = 0;
    while (start < text.size()) {
        const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
        if (found == nullptr) break;  // a line still being written
        const auto end = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        MinuteRecord r;
        if (ParseMinuteLine(text.substr(start, end - start), r) && r.minute.date == day.date) {
            day.Add(r.minute.MinuteOfDay(),
                    TimeOfCounts(r.keys, r.clicks, r.doubleClicks, r.movePx, r.dragPx));
        }
        start = end + 1;
    }
}

void AddDayMinutes(HistoryFiles& files, DayMinutes& day) {
    std::string text;
    const HistoryMonth month = MonthOf(day.date);
    if (!files.ReadTail(month, kDayTail, text)) return;
    // A tail whose first whole line is already of the day, or of a later one (a clock set
    // back), may have cut some of the day off.
    const std::size_t first = text.find('\n');
    MinuteRecord r;
    if (text.size() >= kDayTail && first != std::string::npos) {
        const std::size_t second = text.find('\n', first + 1);
        if (second != std::string::npos &&
            ParseMinuteLine(std::string_view(text).substr(first + 1, second - first - 1), r) &&
            DayNumber(r.minute.date) >= DayNumber(day.date) && !files.Read(month, text)) {
            return;
        }
    }
    AddDayMinutes(text, day);
}

}  // namespace tavrel
