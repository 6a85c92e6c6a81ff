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
};

}  // namespace tavrel::testing
