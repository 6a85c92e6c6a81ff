// SPDX-License-Identifier: GPL-3.0-or-later
// Where the usage history lives: one file per local month, named YYYY-MM.csv. The writer and
// the reader reach it through this role, so they are tested over a store that can fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tavrel/history_calendar.h"

namespace tavrel {

struct HistoryMonth {
    int year = 1970;
    int month = 1;

    friend bool operator==(const HistoryMonth& a, const HistoryMonth& b) {
        return a.year == b.year && a.month == b.month;
    }
    friend bool operator!=(const HistoryMonth& a, const HistoryMonth& b) { return !(a == b); }
    friend bool operator<(const HistoryMonth& a, const HistoryMonth& b) {
        return a.year != b.year ? a.year < b.year : a.month < b.month;
    }
};

inline HistoryMonth MonthOf(const LocalDate& date) {
    return {date.year, date.month};
}
HistoryMonth NextMonth(const HistoryMonth& month);

// "2026-12.csv"; false for any other name.
std::string MonthFileName(const HistoryMonth& month);
bool ParseMonthFileName(std::string_view name, HistoryMonth& month);

// Ends a line that a power cut or a full disk tore off: the fragment can no longer pass for a
// record, and the next line starts on a line of its own.
constexpr std::string_view kTornLineEnd = ",torn\n";

// What goes before appended lines: the header in an empty file, kTornLineEnd after a torn
// last line, nothing after a complete one.
std::string_view AppendLead(std::uintmax_t fileSize, char lastByte);

class HistoryFiles {
  public:
    // Adds whole lines at the end of the month's file, creating it when absent, and never
    // touching what is there: AppendLead comes first. Returns how many bytes of `lines`
    // reached the file: all of them on success, fewer when the write failed part-way.
    virtual std::size_t Append(const HistoryMonth& month, std::string_view lines) = 0;
    // The whole file. False when it is absent or cannot be read.
    virtual bool Read(const HistoryMonth& month, std::string& text) = 0;
    // At least the file's last `bytes` bytes (here the whole file), for its newest lines.
    virtual bool ReadTail(const HistoryMonth& month, std::size_t bytes, std::string& text) {
        static_cast<void>(bytes);
        return Read(month, text);
    }
    // The months that have a file, oldest first.
    virtual std::vector<HistoryMonth> ListMonths() = 0;

  protected:
    ~HistoryFiles() = default;
};

}  // namespace tavrel
