// Reads the usage history for the History window on a worker thread, so that the window stays
// responsive however much there is to read; the figures come back to the window's thread in a
// posted message.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "tavrel/history_log.h"

namespace tavrel::win32 {

enum class HistoryView { Day, ThirtyDays };

constexpr int kThirtyDays = 30;

struct HistoryRequest {
    HistoryView view = HistoryView::Day;
    LocalDate date;  // the day shown, or the last of the thirty
};

// What one read found. Posted on the heap: the receiving window owns it from then on.
struct HistoryResult {
    std::uint64_t generation = 0;
    HistoryRequest request;
    DayDetail day;                // the Day view's figures
    std::vector<DayTotals> days;  // the 30-day view's, oldest first
    bool failed = false;          // the files could not be read (out of memory, say)
};

class HistoryLoader {
  public:
    // Results go to `target` as `message` with the result in the LPARAM.
    HistoryLoader(std::filesystem::path folder, UINT message);
    ~HistoryLoader() { Cancel(); }
    HistoryLoader(const HistoryLoader&) = delete;
    HistoryLoader& operator=(const HistoryLoader&) = delete;

    // Starts reading for the request; a read still under way is cancelled first.
    void Load(HWND target, const HistoryRequest& request);
    // Stops the read under way and waits for its thread: at most the rest of one month file.
    void Cancel();
    // Takes the result a message carries; null when a later request has made it stale.
    std::unique_ptr<HistoryResult> Take(LPARAM lParam);
    // Deletes the results that are still queued for a window about to go.
    void DropQueued(HWND target) const;
    bool busy() const { return busy_; }

  private:
    std::filesystem::path folder_;
    UINT message_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::uint64_t generation_ = 0;
    bool busy_ = false;  // a request whose result has not come back yet
};

}  // namespace tavrel::win32
