// SPDX-License-Identifier: GPL-3.0-or-later
// An activity source for tests: hands out what the test put there, once.
#pragma once

#include "tavrel/activity_source.h"

namespace tavrel::testing {

inline MDTAG Activity(float move, float drag, std::int32_t clicks, std::int32_t doubleClicks,
                      std::int32_t keys) {
    MDTAG record{};
    record.moveDistance = move;
    record.dragDistance = drag;
    record.clicks = clicks;
    record.doubleClicks = doubleClicks;
    record.keys = keys;
    return record;
}

class FakeActivitySource final : public ActivitySource {
  public:
    MDTAG pending{};  // handed out, then cleared, by the next Take
    CaptureStatus status;
    int starts = 0, stops = 0, takes = 0;
    bool running = false;
    bool canWake = false;         // ArmWake is refused unless set
    WakeTarget* armed = nullptr;  // the target of the wake-up asked for, until it is sent

    // Puts input there as the capture thread would, waking an armed target.
    void Input(const MDTAG& record) {
        pending.moveDistance += record.moveDistance;
        pending.dragDistance += record.dragDistance;
        pending.clicks += record.clicks;
        pending.doubleClicks += record.doubleClicks;
        pending.keys += record.keys;
        if (WakeTarget* target = armed) {
            armed = nullptr;
            target->Wake();
        }
    }

    CaptureStatus Start() override {
        ++starts;
        running = true;
        return status;
    }
    void Stop() override {
        ++stops;
        running = false;
    }
    void Take(MDTAG& record) override {
        ++takes;
        record = pending;
        pending = MDTAG{};
    }
    CaptureStatus Status() override { return status; }
    bool ArmWake(WakeTarget& target) override {
        const MDTAG none{};
        const bool waiting = pending.moveDistance != none.moveDistance ||
                             pending.dragDistance != 0 || pending.clicks != 0 ||
                             pending.doubleClicks != 0 || pending.keys != 0;
        if (!canWake || waiting) return false;
        armed = &target;
        return true;
    }
};

}  // namespace tavrel::testing
