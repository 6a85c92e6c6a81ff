// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the usage history for the History window on a worker thread, so that the window stays
// responsive while months of files are read; the figures come back on the GUI thread.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include <QObject>

#include "tavrel/history_query.h"

namespace tavrel::linux_qt {

class HistoryLoader final : public QObject {
    Q_OBJECT

  public:
    HistoryLoader() = default;
    // Stops a read under way at its next file and waits for it.
    ~HistoryLoader() override;

    // Reads for this query in these places. A read still under way is told to stop: only the
    // newest query is answered.
    void Request(const HistoryQuery& query, const HistoryPlaces& places);
    // Stops a read under way; nothing is answered.
    void Cancel();

  signals:
    // On the GUI thread.
    void loaded(const tavrel::HistoryResult& result);

  private:
    void StartNext();
    void Finished(const std::shared_ptr<HistoryResult>& result);

    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    bool running_ = false;
    bool waiting_ = false;  // a query waits for the worker to end
    HistoryQuery next_;
    HistoryPlaces places_;
};

}  // namespace tavrel::linux_qt
