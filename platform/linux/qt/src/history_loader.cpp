#include "history_loader.h"

#include <chrono>

#include "tavrel/directory_history_files.h"

namespace tavrel::linux_qt {

namespace {

// Runs on the worker: its own view of the folder, so that nothing is shared with the writer
// but the files themselves (a line being appended is not whole yet and is skipped).
std::shared_ptr<HistoryResult> Read(const std::filesystem::path& folder, const HistoryQuery& query,
                                    const std::atomic<bool>* cancel, bool& cancelled) {
    const auto start = std::chrono::steady_clock::now();
    auto result = std::make_shared<HistoryResult>();
    result->query = query;
    const LocalDate first =
        query.view == HistoryView::Day ? query.date : AddDays(query.date, -(kHistoryDays - 1));
    DirectoryHistoryFiles files(folder);
    const HistoryLog log = ReadHistory(files, MonthOf(first), MonthOf(query.date), cancel);
    cancelled = log.cancelled;
    if (cancelled) return result;
    if (query.view == HistoryView::Day) {
        result->day = BuildDayDetail(log, query.date);
    } else {
        result->days = BuildDailyTotals(log, query.date, kHistoryDays);
    }
    result->readMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace

HistoryLoader::HistoryLoader(std::filesystem::path folder) : folder_(std::move(folder)) {}

HistoryLoader::~HistoryLoader() {
    if (cancel_) cancel_->store(true);
    if (worker_.joinable()) worker_.join();
}

void HistoryLoader::Request(const HistoryQuery& query) {
    next_ = query;
    waiting_ = true;
    if (running_) {
        cancel_->store(true);  // Finished starts the new query
        return;
    }
    StartNext();
}

void HistoryLoader::Cancel() {
    waiting_ = false;
    if (running_) cancel_->store(true);
}

void HistoryLoader::StartNext() {
    waiting_ = false;
    running_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    worker_ = std::thread([this, folder = folder_, query = next_, cancel = cancel_] {
        bool cancelled = false;
        std::shared_ptr<HistoryResult> result = Read(folder, query, cancel.get(), cancelled);
        // The loader outlives the thread (its destructor joins), so `this` is alive here;
        // the call runs on the loader's thread, or not at all once the loader is gone.
        QMetaObject::invokeMethod(
            this, [this, result, cancelled] { Finished(result, cancelled); }, Qt::QueuedConnection);
    });
}

void HistoryLoader::Finished(const std::shared_ptr<HistoryResult>& result, bool cancelled) {
    worker_.join();
    running_ = false;
    const bool stale = cancelled || cancel_->load() || waiting_;
    if (waiting_) StartNext();
    if (!stale) emit loaded(*result);
}

}  // namespace tavrel::linux_qt
