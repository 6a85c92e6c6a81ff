// SPDX-License-Identifier: GPL-3.0-or-later
// Month files in memory, with a disk that can refuse writes or fill up part-way.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tavrel/history_files.h"

namespace tavrel::testing {

class FakeHistoryFiles final : public HistoryFiles {
  public:
    std::map<HistoryMonth, std::string> files;
    bool failing = false;               // nothing is written
    std::size_t roomLeft = SIZE_MAX;    // bytes the disk takes before it is full
    std::set<HistoryMonth> unreadable;  // listed, but their reads fail
    int appends = 0;

    std::size_t Append(const HistoryMonth& month, std::string_view lines) override {
        ++appends;
        if (failing) return 0;
        std::string& file = files[month];
        const std::string_view lead = AppendLead(file.size(), file.empty() ? '\n' : file.back());
        if (!Put(file, lead)) return 0;
        const std::size_t before = file.size();
        Put(file, lines);
        return file.size() - before;
    }
    bool Read(const HistoryMonth& month, std::string& text) override {
        const auto it = files.find(month);
        if (it == files.end() || unreadable.count(month) != 0) return false;
        text = it->second;
        return true;
    }
    std::vector<HistoryMonth> ListMonths() override {
        std::vector<HistoryMonth> months;
        for (const auto& [month, text] : files) months.push_back(month);
        return months;
    }

  private:
    bool Put(std::string& file, std::string_view bytes) {
        const std::size_t taken = std::min(roomLeft, bytes.size());
        file.append(bytes.substr(0, taken));
        roomLeft -= taken;
        return taken == bytes.size();
    }
};

}  // namespace tavrel::testing
