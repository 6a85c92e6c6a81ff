// SPDX-License-Identifier: GPL-3.0-or-later
// A year of generated minutes in a scratch folder, for the benchmarks: typical use (working
// days, eight hours at the desk) or the worst case of a line for every minute.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tavrel/directory_history_files.h"
#include "tavrel/minute_record.h"

namespace tavrel::bench {

enum class Use { Typical, EveryMinute };

struct GeneratedYear {
    std::filesystem::path folder;
    LocalDate last;  // the year's last day
    std::uintmax_t bytes = 0;
    std::int64_t lines = 0;
};

// In `folder`, or a scratch folder named after `name`; each seed another computer's year.
inline GeneratedYear GenerateYear(const std::string& name, Use use, std::uint32_t seed = 12345,
                                  std::filesystem::path folder = {}) {
    GeneratedYear year;
    year.folder = !folder.empty()
                      ? folder
                      : std::filesystem::temp_directory_path() / ("tavrel-history-bench-" + name);
    std::filesystem::remove_all(year.folder);
    DirectoryHistoryFiles files(year.folder);
    const auto next = [&seed](std::uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<std::int32_t>((seed >> 8) % range);
    };
    const LocalDate first{2025, 1, 1};
    year.last = AddDays(first, 364);
    std::string lines;
    for (int d = 0; d < 365; ++d) {
        const LocalDate date = AddDays(first, d);
        const bool weekend = (DayNumber(date) + 4) % 7 >= 5;  // 1970-01-01 was a Thursday
        // Summer time from 30 March to 26 October 2025: that night 02:00 to 02:59 comes twice.
        const bool summer = DayNumber(date) >= DayNumber({2025, 3, 30}) &&
                            DayNumber(date) < DayNumber({2025, 10, 26});
        const bool fallBack = date == LocalDate{2025, 10, 26};
        for (int step = 0; step < 1440 + (fallBack ? 60 : 0); ++step) {
            const int m = fallBack && step >= 180 ? step - 60 : step;
            const int offset = summer || (fallBack && step < 180) ? 120 : 60;
            const bool atDesk = !weekend && m >= 8 * 60 + 30 && m < 17 * 60 + 30 && m / 60 != 12;
            if (use == Use::Typical && !atDesk) continue;
            MinuteRecord r;
            r.minute = {date, m / 60, m % 60, offset};
            r.keys = next(300);
            r.clicks = next(40);
            r.doubleClicks = next(4);
            r.movePx = next(20000);
            r.dragPx = next(2000);
            r.painMax = next(160);
            r.alarmTicks = r.painMax >= 100 ? next(1200) : 0;
            r.threshold = 100;
            // One file write per day keeps the generation quick; the lines are the same.
            AppendMinuteLine(r, lines);
            ++year.lines;
        }
        files.Append(MonthOf(date), lines);
        lines.clear();
    }
    for (const auto& entry : std::filesystem::directory_iterator(year.folder)) {
        year.bytes += entry.file_size();
    }
    return year;
}

}  // namespace tavrel::bench
