// SPDX-License-Identifier: GPL-3.0-or-later
// What a History window shows and where it is: the view (a day, a week or the last thirty
// days), the date, the computer or all of them, the moves between dates, the heading, the
// totals, the computers found and the chart, and whether the files are being read or could
// not be read. The windows forward their clicks here, hand the queries
// to their worker and the results back, and draw what it says.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "tavrel/clock.h"
#include "tavrel/history_query.h"
#include "tavrel/plot_scene.h"

namespace tavrel {

// The totals' text when a month file could not be read.
constexpr char kHistoryReadFailedText[] = "Can't read the usage history.";

class HistoryBrowser {
  public:
    explicit HistoryBrowser(Clock& clock) : clock_(clock) {}

    // Each move returns the query for the worker: every one reads the files afresh, so that
    // the minutes written since show, and makes any read still under way stale.

    // A window that was closed opens at today's day; one still open keeps its place.
    const HistoryQuery& Open();
    // The window has gone: the read under way is of no use.
    void Close();
    const HistoryQuery& ShowView(HistoryView view);
    // One computer by its id, or all of them together (empty).
    const HistoryQuery& ShowComputer(const std::string& id);
    // A day, a week or thirty days back (-1) or on (+1). The future has no history: a step
    // past today stops at it.
    const HistoryQuery& Step(int direction);
    const HistoryQuery& GoToday();

    // A worker's answer. False, and nothing changes, when it answers an older query or was
    // cancelled.
    bool Accept(const HistoryResult& result);

    HistoryView view() const { return query_.view; }
    const LocalDate& date() const { return query_.date; }
    const std::string& computer() const { return query_.computer; }
    bool reading() const { return reading_; }
    // The figures of the view and date asked for are there (or could not be read).
    bool hasResult() const { return hasResult_; }
    bool failed() const { return hasResult_ && shown_.failed; }
    const HistoryResult& shown() const { return shown_; }  // the last accepted
    bool canStepForward();

    // "Thursday 2026-03-12", "Fri 2026-03-06 to Thu 2026-03-12", "2026-02-11 to 2026-03-12",
    // with " (reading...)" while reading.
    std::string Heading() const;
    // The day's totals, or the days' together; in metres too on a screen of `dpi`. Empty
    // while the figures are not there.
    std::string TotalsText(double dpi) const;
    // The computers of the last read, each with the newest minute it wrote, or why the shared
    // folder could not be read; empty while only this computer's history is kept.
    std::string ComputersText() const;
    // The choice of computers: "All computers" (id empty), then each by name, this one marked;
    // which is chosen; and whether there is anything to choose (more than one computer, or one
    // chosen that is gone).
    struct ComputerChoices {
        std::vector<std::pair<std::string, std::string>> entries;  // text, id
        std::size_t chosen = 0;
        bool shown = false;
    };
    ComputerChoices Computers() const;
    // The chart of the figures; empty (of that size) while they are not there or failed.
    PlotScene Scene(PlotSize size) const;

  private:
    const HistoryQuery& Ask(HistoryView view, const LocalDate& date);
    LocalDate Today();
    bool ShowsQuery() const;

    Clock& clock_;
    HistoryQuery query_;
    HistoryResult shown_;
    bool hasResult_ = false;  // shown_ answers the view and date of query_
    bool reading_ = false;
    bool open_ = false;
};

}  // namespace tavrel
