// SPDX-License-Identifier: GPL-3.0-or-later
#include "history_loader_win32.h"

#include <utility>

namespace tavrel::win32 {

namespace {

void Read(HistoryPlaces places, HistoryQuery query, const std::atomic<bool>* cancel, HWND target,
          UINT message) {
    // Files of its own: the window's thread goes on appending minutes meanwhile.
    auto result = std::make_unique<HistoryResult>(RunHistoryQuery(places, query, cancel));
    if (result->cancelled) return;  // nobody waits for it any more
    if (PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(result.get()))) {
        result.release();  // the window's now
    }
}

}  // namespace

HistoryLoader::HistoryLoader(UINT message) : message_(message) {}

void HistoryLoader::Load(HWND target, const HistoryQuery& query, const HistoryPlaces& places) {
    Cancel();
    cancel_ = false;
    worker_ = std::thread(Read, places, query, &cancel_, target, message_);
}

void HistoryLoader::Cancel() {
    if (!worker_.joinable()) return;
    cancel_ = true;
    worker_.join();
}

std::unique_ptr<HistoryResult> HistoryLoader::Take(LPARAM lParam) {
    return std::unique_ptr<HistoryResult>(reinterpret_cast<HistoryResult*>(lParam));
}

void HistoryLoader::DropQueued(HWND target) const {
    MSG msg;
    while (PeekMessageW(&msg, target, message_, message_, PM_REMOVE)) {
        delete reinterpret_cast<HistoryResult*>(msg.lParam);
    }
}

}  // namespace tavrel::win32
