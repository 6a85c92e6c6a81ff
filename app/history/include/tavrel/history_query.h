// SPDX-License-Identifier: GPL-3.0-or-later
// One read of the usage history for a History window: what to read and what it found. A shell
// runs RunHistoryQuery on a worker thread of its own and hands the result back to the browser.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tavrel/history_files.h"
#include "tavrel/history_log.h"

namespace tavrel {

enum class HistoryView { Day, Week, ThirtyDays };

constexpr int kWeekDays = 7;      // of the Week view
constexpr int kHistoryDays = 30;  // of the 30-day view

struct HistoryQuery {
    std::uint64_t serial = 0;  // counts the browser's queries: a result names the one it answers
    HistoryView view = HistoryView::Day;
    LocalDate date;        // the day shown, or the last of the week or the thirty days
    std::string computer;  // the id of the one computer shown; empty: all together
};

// The days a query shows, and the first of them.
int DaysOf(HistoryView view);
LocalDate FirstDayOf(const HistoryQuery& query);

// Where the minutes are: this computer's own folder and, when the user shares the history,
// the shared folder that holds every computer's.
struct HistoryPlaces {
    std::filesystem::path local;
    std::filesystem::path shared;  // empty: not shared
    std::string ownId;             // this computer's folder in the shared one
    std::string ownName;
};

struct HistoryComputer {
    std::string id;  // this computer's is HistoryPlaces::ownId
    std::string name;
    bool thisComputer = false;
    bool wrote = false;  // lastMinute holds the newest minute of its files
    LocalMinute lastMinute;
};

struct HistoryResult {
    HistoryQuery query;
    DayDetail day;                // the Day view's figures
    std::vector<DayTotals> days;  // the Week or 30-day view's, oldest first
    // The 30-day view's: the mouse minutes of the seven days that end with each day.
    std::vector<std::int32_t> weeklyMouseMinutes;
    DayTotals totals;  // of the day, or of the days together
    // This computer first, then those of the shared folder by name.
    std::vector<HistoryComputer> computers;
    std::string sharedProblem;  // why the other computers could not be read; empty if they were
    bool failed = false;        // a month file could not be read: the figures are not shown
    bool cancelled = false;     // stopped early: nothing in it is whole
    double readMs = 0;          // reading and summing
};

// Reads the months the query needs and builds its figures. `cancel` (may be null) is looked
// at between files. The first form reads one computer's files and names no computer.
HistoryResult RunHistoryQuery(HistoryFiles& files, const HistoryQuery& query,
                              const std::atomic<bool>* cancel = nullptr);
HistoryResult RunHistoryQuery(const HistoryPlaces& places, const HistoryQuery& query,
                              const std::atomic<bool>* cancel = nullptr);

}  // namespace tavrel
