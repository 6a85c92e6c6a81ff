// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the usage history for the History window on a worker thread, so that the window stays
// responsive however much there is to read; the figures come back to the window's thread in a
// posted message.
#pragma once

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "tavrel/history_query.h"

namespace tavrel::win32 {

class HistoryLoader {
  public:
    // Results go to `target` as `message` with the result in the LPARAM.
    explicit HistoryLoader(UINT message);
    ~HistoryLoader() { Cancel(); }
    HistoryLoader(const HistoryLoader&) = delete;
    HistoryLoader& operator=(const HistoryLoader&) = delete;

    // Starts reading for the query in these places; a read still under way is cancelled first.
    void Load(HWND target, const HistoryQuery& query, const HistoryPlaces& places);
    // Stops the read under way and waits for its thread: at most the rest of one month file.
    void Cancel();
    // Takes the result a message carries (posted on the heap: the window owns it from then
    // on). Whether it is still wanted is the browser's to say.
    static std::unique_ptr<HistoryResult> Take(LPARAM lParam);
    // Deletes the results that are still queued for a window about to go.
    void DropQueued(HWND target) const;

  private:
    UINT message_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
};

}  // namespace tavrel::win32
