// SPDX-License-Identifier: GPL-3.0-or-later
// Copies this computer's history into the shared folder on a thread of its own, so that a
// shared folder on a drive that hangs never holds up the tick. It copies when told that the
// local files grew, and again every minute while the folder cannot be written; after each copy
// it reads the day's minutes of the other computers there.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>

#include "tavrel/day_minutes.h"
#include "tavrel/shared_history_copy.h"
#include "tavrel/wake_latch.h"

namespace tavrel {

class SharedHistoryMirror {
  public:
    // `wake` (may be null) is told, from the mirror's thread, whenever the state changes; it
    // outlives the mirror. `retry`: how long after a failure the copy is tried again.
    SharedHistoryMirror(std::filesystem::path local, WakeTarget* wake,
                        std::chrono::milliseconds retry = std::chrono::minutes(1));
    // Waits a little for a copy under way; one on a drive that does not answer is left to end
    // with the process.
    ~SharedHistoryMirror();
    SharedHistoryMirror(const SharedHistoryMirror&) = delete;
    SharedHistoryMirror& operator=(const SharedHistoryMirror&) = delete;

    // Where to copy to; a target of an empty folder stops the copying. Copies at once.
    void SetTarget(const SharedTarget& target);
    // The local files grew.
    void Poke();
    // Waits at most `limit` for the copies asked for so far; true when they are done.
    bool Flush(std::chrono::milliseconds limit);
    // How the last copy went; Off before the first and while nothing is shared.
    SharedFolderState state() const;
    // The day whose minutes on the other computers are read; a new day is read at once.
    void SetDay(const LocalDate& day);
    // Those minutes, when a reading newer than `seen` (0 at first) is there: true and `day`
    // and `seen` set.
    bool TakeOthersDay(std::uint64_t& seen, DayMinutes& day) const;
    const SharedTarget& target() const { return target_; }

  private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    SharedTarget target_;  // the GUI thread's view of it
};

}  // namespace tavrel
