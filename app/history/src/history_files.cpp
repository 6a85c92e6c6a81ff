// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/history_files.h"

#include "tavrel/minute_record.h"

namespace tavrel {

HistoryMonth NextMonth(const HistoryMonth& month) {
    return month.month == 12 ? HistoryMonth{month.year + 1, 1}
                             : HistoryMonth{month.year, month.month + 1};
}

std::string MonthFileName(const HistoryMonth& month) {
    const LocalMinute first{{month.year, month.month, 1}, 0, 0, 0};
    char text[kMaxMinuteLineLength];
    FormatLocalMinute(first, text);  // "YYYY-MM-..."
    return std::string(text, 7) + ".csv";
}

bool ParseMonthFileName(std::string_view name, HistoryMonth& month) {
    if (name.size() != 11 || name[4] != '-' || name.substr(7) != ".csv") return false;
    int value[2] = {0, 0};
    const std::string_view parts[2] = {name.substr(0, 4), name.substr(5, 2)};
    for (int i = 0; i < 2; ++i) {
        for (const char c : parts[i]) {
            if (c < '0' || c > '9') return false;
            value[i] = value[i] * 10 + (c - '0');
        }
    }
    if (value[1] < 1 || value[1] > 12) return false;
    month = {value[0], value[1]};
    return true;
}

std::string_view AppendLead(std::uintmax_t fileSize, char lastByte) {
    if (fileSize == 0) return kHistoryHeader;
    return lastByte == '\n' ? std::string_view() : kTornLineEnd;
}

}  // namespace tavrel
