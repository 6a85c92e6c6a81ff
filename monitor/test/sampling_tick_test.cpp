// SPDX-License-Identifier: GPL-3.0-or-later
// The tick's clock: intervals are measured on the steady clock, so wall-clock steps neither add
// pain nor cost input; a sleep is rest; nothing counted is ever dropped, not even at the end.
#include "tavrel/sampling_tick.h"

#include <gtest/gtest.h>

#include <vector>

#include "tavrel/testing/default_model.h"
#include "tavrel/testing/fake_activity_source.h"
#include "tavrel/testing/simulated_clock.h"

namespace tavrel {
namespace {

using testing::Activity;
using testing::At;

constexpr std::int64_t kEightHoursMs = 8LL * 3600 * 1000;

class HeardSamples final : public SampleListener {
  public:
    std::vector<Sample> samples;
    int ends = 0;
    void OnSample(const Sample& sample) override { samples.push_back(sample); }
    void OnSessionEnd(SessionEnd) override { ++ends; }
};

// One tick with its clock, source and model; the first tick has run.
struct Ticking {
    explicit Ticking(const SystemTime& start) {
        clock.now = start;
        model.threshold = 1000.0f;
        model.decay = 0.1f;
        idleMs = 0;
        tick.AddListener(heard);
        tick.Run();
    }
    // steadyMs pass while the wall clock moves by wallMs; the activity came meanwhile.
    void TickAfter(std::int64_t steadyMs, std::int64_t wallMs, const MDTAG& activity) {
        clock.monotonicMs += steadyMs;
        clock.StepWall(wallMs);
        source.Input(activity);
        tick.Run();
    }

    testing::SimulatedClock clock;
    testing::FakeActivitySource source;
    PainModel model = testing::DefaultModel();
    SamplingTick tick{clock, source, model};
    HeardSamples heard;
};

class SamplingTickClockTest : public ::testing::Test {
  protected:
    ~SamplingTickClockTest() override { idleMs = 0; }
};

TEST_F(SamplingTickClockTest, WallClockStepsNeitherAddPainNorLoseInput) {
    struct Case {
        const char* what;
        SystemTime start;
        std::int64_t wallMs;  // how far the wall clock moves while one tick's 50 ms pass
    };
    const Case cases[] = {
        {"a time sync steps 30 s forward", At(10, 12, 0, 0, 0), 30050},
        {"the clock is set back 2 s", At(10, 12, 0, 0, 0), -1950},
        {"the first tick of a month", At(30, 23, 59, 59, 990, 11), 50},
        {"the first tick of a year", At(31, 23, 59, 59, 990, 12), 50},
        {"the clock is set back a day", At(10, 12, 0, 0, 0), -86400000 + 50},
    };
    // Slow pointer movement and a key on every tick: the model's most clock-sensitive input.
    const MDTAG slow = Activity(2.0f, 0.0f, 0, 0, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ticking stepped(c.start);
        Ticking steady(c.start);  // the same input with the wall clock left alone
        for (int i = 0; i < 3; ++i) {
            stepped.TickAfter(50, i == 1 ? c.wallMs : 50, slow);
            steady.TickAfter(50, 50, slow);
            idleMs = 0;
        }
        EXPECT_EQ(stepped.model.pain, steady.model.pain);
        EXPECT_EQ(stepped.model.totalKeys, 3);
        EXPECT_EQ(stepped.model.totalDistance, 60);
        ASSERT_EQ(stepped.heard.samples.size(), 4u);
        EXPECT_EQ(stepped.heard.samples[2].elapsedMs, 50);
        EXPECT_FALSE(stepped.heard.samples[2].alarm);
    }
}

TEST_F(SamplingTickClockTest, TimeTheProgramDidNotRunIsRestAndItsInputCameAtItsEnd) {
    struct Case {
        const char* what;
        std::int64_t gapMs;  // on both clocks: the computer slept, or the program was stopped
        MDTAG activity;
        float pain;  // from 600, with a decay of 0.1 a millisecond past the 100 ms limit
        std::int32_t idle;
    };
    const Case cases[] = {
        {"suspended for a night", kEightHoursMs, MDTAG{}, 0.0f,
         static_cast<std::int32_t>(kEightHoursMs)},
        {"stopped for a night, keys came as it went on", kEightHoursMs, Activity(0, 0, 0, 0, 3),
         30.0f, 0},
        {"held up 2 s with a click at the end: rest but the last tick's length", 2000,
         Activity(0, 0, 1, 0, 0), 600.0f - 1950 * 0.1f + 10.0f, 0},
        {"late by 900 ms: one long interval, no rest before it", 900, MDTAG{}, 600.0f - 90.0f, 900},
        {"late by 900 ms with a key: measured over all of it", 900, Activity(0, 0, 0, 0, 1), 610.0f,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ticking t(At(10, 22, 0, 0, 0));
        t.model.pain = 600.0f;
        t.TickAfter(c.gapMs, c.gapMs, c.activity);
        EXPECT_FLOAT_EQ(t.model.pain, c.pain);
        EXPECT_EQ(idleMs, c.idle);
        EXPECT_EQ(t.model.totalKeys, c.activity.keys);
        EXPECT_FALSE(t.heard.samples.back().alarm);
    }
}

TEST_F(SamplingTickClockTest, AfterANightsSleepTheKeysThatFollowRaiseNoAlarm) {
    Ticking t(At(10, 22, 0, 0, 0));
    t.model.pain = 600.0f;
    t.TickAfter(kEightHoursMs, kEightHoursMs, MDTAG{});
    for (int i = 0; i < 45; ++i) t.TickAfter(50, 50, Activity(0, 0, 0, 0, 1));
    EXPECT_EQ(t.model.pain, 450.0f);
    for (const Sample& s : t.heard.samples) EXPECT_FALSE(s.alarm);
}

TEST_F(SamplingTickClockTest, InputOfATickWithNothingToMeasureWaitsForTheNext) {
    Ticking t(At(10, 12, 0, 0, 0));
    // Counted before the first tick, which has nothing to measure it over.
    t.source.Input(Activity(0, 0, 1, 0, 2));
    t.TickAfter(0, 0, Activity(0, 0, 0, 0, 3));  // two ticks within one millisecond
    EXPECT_EQ(t.heard.samples.back().elapsedMs, 0);
    EXPECT_EQ(t.heard.samples.back().activity.keys, 0);
    EXPECT_EQ(t.model.totalKeys, 0);

    t.TickAfter(50, 50, MDTAG{});
    EXPECT_EQ(t.heard.samples.back().activity.keys, 5);
    EXPECT_EQ(t.heard.samples.back().activity.clicks, 1);
    EXPECT_EQ(t.model.totalKeys, 5);
}

TEST_F(SamplingTickClockTest, TheEndTakesWhatCameSinceTheLastTickInALastSample) {
    for (const std::int64_t sinceTick : {30, 0}) {
        SCOPED_TRACE(sinceTick);
        Ticking t(At(10, 12, 0, 0, 0));
        t.TickAfter(50, 50, MDTAG{});
        // The move to Quit and its click.
        t.source.Input(Activity(120.0f, 0.0f, 1, 0, 0));
        t.clock.monotonicMs += sinceTick;
        const std::int32_t before = t.tick.tickCount();
        t.tick.EndSession(SessionEnd::Quit);

        ASSERT_EQ(t.heard.samples.size(), 3u);
        const Sample& last = t.heard.samples.back();
        EXPECT_TRUE(last.closing);
        EXPECT_EQ(last.activity.clicks, 1);
        EXPECT_EQ(last.tickCount, before);
        EXPECT_EQ(t.model.totalDistance, 1200);
        EXPECT_EQ(t.heard.ends, 1);
    }
}

}  // namespace
}  // namespace tavrel
