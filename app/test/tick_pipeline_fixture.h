// SPDX-License-Identifier: GPL-3.0-or-later
// One tick with its listeners, as the controller wires them: the alarm and tray presenter,
// the read-outs and the totals keeper, over the shared fakes and a simulated clock.
#pragma once

#include "tavrel/sampling_tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tavrel/alarm_presenter.h"
#include "tavrel/failure_notice.h"
#include "tavrel/readout_panel.h"
#include "tavrel/testing/default_model.h"
#include "tavrel/testing/fake_activity_source.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/fake_tray.h"
#include "tavrel/testing/recording_store.h"
#include "tavrel/testing/simulated_clock.h"
#include "tavrel/tick_pipeline.h"
#include "tavrel/totals_keeper.h"

namespace tavrel {
namespace pipeline_test {

using testing::Activity;
using testing::At;
using testing::FakeActivitySource;
using testing::FakeMainWindow;
using testing::FakeStore;
using testing::FakeTray;
using testing::Later;
using testing::SimulatedClock;

constexpr const char* kWriteFailed = "Can't write to INI file?";

class SamplingTickTest : public ::testing::Test {
  protected:
    SamplingTickTest() {
        model = testing::DefaultModel();
        model.decay = 0.0f;  // pain holds still unless a test lets it decay
        idleMs = 0;
    }
    ~SamplingTickTest() override { idleMs = 0; }

    // One timer message, `ms` after the previous one.
    void Tick(int ms = 50, MDTAG activity = MDTAG{}) {
        clock.Advance(ms);
        source.pending = activity;
        tick.Run();
    }
    // Runs ticks until the counter shows `count`.
    void TickUntil(std::int32_t count) {
        do Tick();
        while (tick.tickCount() != count);
    }

    // The program's wiring over the shared fakes.
    struct Pipeline {
        Pipeline(PainModel& model, WindowFlags& flags, FakeStore& store)
            : wired(clock, source, model, window, tray, flags, store, notice) {}
        SimulatedClock clock;
        FakeActivitySource source;
        FakeMainWindow window;
        FakeTray tray;
        FailureNotice notice{window};
        TickPipeline wired;
        SamplingTick& tick = wired.tick;
        AlarmPresenter& alarm = wired.alarm;
        ReadoutPanel& readouts = wired.readouts;
    };

    FakeStore store;
    PainModel model;
    WindowFlags flags;
    Pipeline p{model, flags, store};
    SimulatedClock& clock = p.clock;
    FakeActivitySource& source = p.source;
    FakeMainWindow& window = p.window;
    FakeTray& tray = p.tray;
    FailureNotice& notice = p.notice;
    SamplingTick& tick = p.tick;
    AlarmPresenter& alarm = p.alarm;
    ReadoutPanel& readouts = p.readouts;
};

}  // namespace pipeline_test
}  // namespace tavrel
