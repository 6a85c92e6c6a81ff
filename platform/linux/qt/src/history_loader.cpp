// SPDX-License-Identifier: GPL-3.0-or-later
#include "history_loader.h"

namespace tavrel::linux_qt {

HistoryLoader::~HistoryLoader() {
    if (cancel_) cancel_->store(true);
    if (worker_.joinable()) worker_.join();
}

void HistoryLoader::Request(const HistoryQuery& query, const HistoryPlaces& places) {
    next_ = query;
    places_ = places;
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
    worker_ = std::thread([this, places = places_, query = next_, cancel = cancel_] {
        // Its own view of the folders, so that nothing is shared with the writer but the files
        // themselves (a line being appended is not whole yet and is skipped).
        auto result = std::make_shared<HistoryResult>(RunHistoryQuery(places, query, cancel.get()));
        // The loader outlives the thread (its destructor joins), so `this` is alive here;
        // the call runs on the loader's thread, or not at all once the loader is gone.
        QMetaObject::invokeMethod(
            this, [this, result] { Finished(result); }, Qt::QueuedConnection);
    });
}

void HistoryLoader::Finished(const std::shared_ptr<HistoryResult>& result) {
    worker_.join();
    running_ = false;
    const bool stale = result->cancelled || cancel_->load() || waiting_;
    if (waiting_) StartNext();
    if (!stale) emit loaded(*result);
}

}  // namespace tavrel::linux_qt
