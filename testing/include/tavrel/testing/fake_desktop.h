// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's side of the alarm in memory: whether it is busy, how often it was asked, and
// the notifications it was given.
#pragma once

#include <string>
#include <vector>

#include "tavrel/alarm_notifier.h"
#include "tavrel/quiet_times.h"

namespace tavrel::testing {

class FakeDesktopQuiet final : public DesktopQuiet {
  public:
    QuietReason busy = QuietReason::None;
    int asked = 0;
    QuietReason Busy() override {
        ++asked;
        return busy;
    }
};

class RecordingNotifier final : public DesktopNotifier {
  public:
    std::vector<std::string> log;  // "summary: body", or "withdrawn"
    void Notify(const char* summary, const char* body) override {
        log.push_back(std::string(summary) + ": " + body);
    }
    void Withdraw() override { log.push_back("withdrawn"); }
};

}  // namespace tavrel::testing
