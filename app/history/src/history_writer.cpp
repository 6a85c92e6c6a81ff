// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/history_writer.h"

#include <algorithm>

namespace tavrel {

HistoryWriter::HistoryWriter(HistoryFiles& files, std::size_t maxPending)
    : files_(files), maxPending_(std::max<std::size_t>(maxPending, 1)) {}

bool HistoryWriter::Write(const MinuteRecord& minute) {
    if (pending_.size() == maxPending_) {
        pending_.pop_front();
        ++dropped_;
    }
    pending_.push_back(minute);
    return Flush();
}

bool HistoryWriter::Flush() {
    while (!pending_.empty()) {
        // One append per run of minutes of the same month, oldest first.
        const HistoryMonth month = MonthOf(pending_.front().minute.date);
        lines_.clear();
        std::size_t count = 0;
        while (count < pending_.size() && MonthOf(pending_[count].minute.date) == month) {
            AppendMinuteLine(pending_[count], lines_);
            ++count;
        }
        const std::size_t written = std::min(files_.Append(month, lines_), lines_.size());
        // Every line that reached the file whole is done; a torn one is written again.
        const auto whole =
            std::count(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(written), '\n');
        pending_.erase(pending_.begin(), pending_.begin() + whole);
        if (written < lines_.size()) return false;
    }
    return true;
}

}  // namespace tavrel
