#include "history_loader_win32.h"

#include <exception>
#include <utility>

#include "tavrel/directory_history_files.h"

namespace tavrel::win32 {

namespace {

// The months a view needs: a day's alarm that began the evening before counts there, so the
// Day view also reads the month of the day before.
void MonthsOf(const HistoryRequest& request, HistoryMonth& first, HistoryMonth& last) {
    const int back = request.view == HistoryView::Day ? 1 : kThirtyDays - 1;
    first = MonthOf(AddDays(request.date, -back));
    last = MonthOf(request.date);
}

void Read(std::filesystem::path folder, HistoryRequest request, std::uint64_t generation,
          const std::atomic<bool>* cancel, HWND target, UINT message) {
    auto result = std::make_unique<HistoryResult>();
    result->generation = generation;
    result->request = request;
    try {
        // Files of its own: the window's thread goes on appending minutes meanwhile.
        DirectoryHistoryFiles files(std::move(folder));
        HistoryMonth first, last;
        MonthsOf(request, first, last);
        const HistoryLog log = ReadHistory(files, first, last, cancel);
        if (log.cancelled) return;  // nobody waits for it any more
        if (request.view == HistoryView::Day) {
            result->day = BuildDayDetail(log, request.date);
        } else {
            result->days = BuildDailyTotals(log, request.date, kThirtyDays);
        }
    } catch (const std::exception&) {
        result->failed = true;
    }
    if (PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(result.get()))) {
        result.release();  // the window's now
    }
}

}  // namespace

HistoryLoader::HistoryLoader(std::filesystem::path folder, UINT message)
    : folder_(std::move(folder)), message_(message) {}

void HistoryLoader::Load(HWND target, const HistoryRequest& request) {
    Cancel();
    cancel_ = false;
    busy_ = true;
    worker_ = std::thread(Read, folder_, request, ++generation_, &cancel_, target, message_);
}

void HistoryLoader::Cancel() {
    if (!worker_.joinable()) return;
    cancel_ = true;
    worker_.join();
}

std::unique_ptr<HistoryResult> HistoryLoader::Take(LPARAM lParam) {
    std::unique_ptr<HistoryResult> result(reinterpret_cast<HistoryResult*>(lParam));
    if (!result || result->generation != generation_) return nullptr;
    busy_ = false;
    return result;
}

void HistoryLoader::DropQueued(HWND target) const {
    MSG msg;
    while (PeekMessageW(&msg, target, message_, message_, PM_REMOVE)) {
        delete reinterpret_cast<HistoryResult*>(msg.lParam);
    }
}

}  // namespace tavrel::win32
