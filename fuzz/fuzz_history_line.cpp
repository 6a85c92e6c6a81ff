// SPDX-License-Identifier: GPL-3.0-or-later
// A month file's lines as anything could have left them: a line that reads as a minute is
// written back the same and reads as the same minute again; the whole text reads without
// fault and its minutes come out ordered, each once.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "tavrel/history_log.h"
#include "tavrel/minute_record.h"

using namespace tavrel;

namespace {

bool Same(const MinuteRecord& a, const MinuteRecord& b) {
    return a.minute.date == b.minute.date && a.minute.hour == b.minute.hour &&
           a.minute.minute == b.minute.minute &&
           a.minute.utcOffsetMinutes == b.minute.utcOffsetMinutes && a.keys == b.keys &&
           a.clicks == b.clicks && a.doubleClicks == b.doubleClicks && a.movePx == b.movePx &&
           a.dragPx == b.dragPx && a.painMax == b.painMax && a.alarmTicks == b.alarmTicks &&
           a.threshold == b.threshold;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    MinuteRecord record;
    if (ParseMinuteLine(text, record)) {
        char line[kMaxMinuteLineLength];
        const std::size_t n = FormatMinuteLine(record, line);
        FUZZ_CHECK(n > 0 && n <= kMaxMinuteLineLength && line[n - 1] == '\n');
        MinuteRecord again;
        FUZZ_CHECK(ParseMinuteLine(std::string_view(line, n - 1), again));
        FUZZ_CHECK(Same(record, again));
    }
    std::vector<HistoryMinute> minutes;
    ParseMonthText(text, minutes);
    MergeMinutes(minutes);
    for (std::size_t i = 1; i < minutes.size(); ++i)
        FUZZ_CHECK(minutes[i - 1].key < minutes[i].key);
    return 0;
}
