// SPDX-License-Identifier: GPL-3.0-or-later
// Appends finished minutes to the month files. A minute that cannot be written waits in a
// bounded queue and goes out, in order, with the next write that succeeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "tavrel/history_files.h"
#include "tavrel/minute_record.h"

namespace tavrel {

class HistoryWriter {
  public:
    // A week of minutes: a disk that stays unwritable longer costs the oldest of them.
    static constexpr std::size_t kMaxPending = 7 * 24 * 60;

    explicit HistoryWriter(HistoryFiles& files, std::size_t maxPending = kMaxPending);
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Queues the minute and writes everything queued. False when anything is left waiting.
    bool Write(const MinuteRecord& minute);
    // Writes what is queued. True when nothing is left waiting.
    bool Flush();

    std::size_t pending() const { return pending_.size(); }
    // Minutes given up because the queue was full, since the start.
    std::uint64_t dropped() const { return dropped_; }

  private:
    HistoryFiles& files_;
    std::size_t maxPending_;
    std::deque<MinuteRecord> pending_;
    std::uint64_t dropped_ = 0;
    std::string lines_;  // kept between writes so that a minute's line reuses its room
};

}  // namespace tavrel
