// SPDX-License-Identifier: GPL-3.0-or-later
// A diagnostics log for tests: keeps every line noted.
#pragma once

#include <string>
#include <vector>

#include "tavrel/diagnostics_log.h"

namespace tavrel::testing {

class FakeDiagnosticsLog final : public DiagnosticsLog {
  public:
    struct Line {
        std::string event;
        std::string words;
    };
    void Note(const char* event, const std::string& words) override {
        lines.push_back({event, words});
    }
    int Count(const std::string& event) const {
        int n = 0;
        for (const Line& line : lines) n += line.event == event;
        return n;
    }

    std::vector<Line> lines;
};

}  // namespace tavrel::testing
