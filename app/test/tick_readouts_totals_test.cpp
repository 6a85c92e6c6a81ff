// SPDX-License-Identifier: GPL-3.0-or-later
// The tick with its listeners: the read-outs and the periodic save of the totals.
#include "tick_pipeline_fixture.h"

namespace tavrel {
namespace pipeline_test {
namespace {
TEST_F(SamplingTickTest, ReadoutsUseTheirFixedWidthFormatsInOrder) {
    model.movePain = 0.0f;  // keep the pain where the test puts it
    model.dragPain = 0.0f;
    model.clickPain = 0.0f;
    model.doubleclickPain = 0.0f;
    model.pain = 41.7f;
    tick.Run();
    std::vector<Readout> order;
    for (const auto& set : window.readoutLog) order.push_back(set.first);
    EXPECT_EQ(order, (std::vector<Readout>{Readout::TickCount, Readout::Distance,
                                           Readout::DragDistance, Readout::Clicks, Readout::Pain,
                                           Readout::TotalDistance, Readout::TotalKeys}));

    TickUntil(6);
    Tick(50, Activity(99.6f, 0.4f, 3, 1, 0));
    const std::map<Readout, std::string> expected = {
        {Readout::TickCount, "     7"},
        {Readout::Distance, "   100"},
        {Readout::DragDistance, "     0"},
        {Readout::Clicks, " 3  1"},
        {Readout::Pain, "    41"},
        {Readout::TotalDistance, "        1000"},
        {Readout::TotalKeys, "           0"},
    };
    EXPECT_EQ(window.readouts, expected);
}

TEST_F(SamplingTickTest, ReadoutsShowNegativeAndWideValues) {
    model.totalKeys = -12;
    model.totalDistance = 2147483647 - 12345670;
    model.keyboardPain = 0.0f;
    tick.Run();
    Tick(50, Activity(0.0f, 1234567.0f, -1, 1, 0));
    EXPECT_EQ(window.readouts[Readout::Clicks], "-1  1");
    EXPECT_EQ(window.readouts[Readout::DragDistance], "1234567");
    EXPECT_EQ(window.readouts[Readout::TotalKeys], "         -12");
    EXPECT_EQ(window.readouts[Readout::TotalDistance], "  2147483647");
}

TEST_F(SamplingTickTest, UnchangedReadoutsAreNotSetAgain) {
    tick.Run();
    EXPECT_EQ(window.readoutLog.size(), 7u);
    window.readoutLog.clear();
    Tick();
    ASSERT_EQ(window.readoutLog.size(), 1u);
    EXPECT_EQ(window.readoutLog[0].first, Readout::TickCount);
    window.readoutLog.clear();
    Tick(50, Activity(0.0f, 0.0f, 0, 0, 1));  // pain and total keys change too
    std::vector<Readout> controls;
    for (const auto& set : window.readoutLog) controls.push_back(set.first);
    EXPECT_EQ(controls,
              (std::vector<Readout>{Readout::TickCount, Readout::Pain, Readout::TotalKeys}));

    model.movePain = 0.0f;
    Tick(50, Activity(99.6f, 0.0f, 0, 0, 0));
    window.readoutLog.clear();
    Tick(50, Activity(100.4f, 0.0f, 0, 0, 0));  // another value, the same text
    controls.clear();
    for (const auto& set : window.readoutLog) controls.push_back(set.first);
    EXPECT_EQ(controls, (std::vector<Readout>{Readout::TickCount, Readout::TotalDistance}));
    EXPECT_EQ(window.readouts[Readout::Distance], "   100");
}

TEST_F(SamplingTickTest, TotalsAreSavedOnEveryHundredthTick) {
    model.totalDistance = 1234;
    TickUntil(99);
    EXPECT_TRUE(store.writes.empty());
    Tick(50, Activity(0.0f, 0.0f, 0, 0, 3));
    ASSERT_EQ(store.writes.size(), 2u);
    EXPECT_EQ(store.writes[0].section, "Main");
    EXPECT_EQ(store.writes[0].key, "Distance");
    EXPECT_EQ(store.writes[0].value, "1234");
    EXPECT_EQ(store.writes[1].section, "Main");
    EXPECT_EQ(store.writes[1].key, "TotalKeys");
    EXPECT_EQ(store.writes[1].value, "3");
    EXPECT_EQ(store.ReadInt("Main", "TotalKeys", -1), 3);
    TickUntil(199);
    EXPECT_EQ(store.writes.size(), 2u);
    Tick();
    EXPECT_EQ(store.writes.size(), 4u);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(SamplingTickTest, EachFailedWriteIsReportedThenTheTickCarriesOn) {
    store.FailAllWrites();
    TickUntil(100);
    EXPECT_EQ(window.messages, (std::vector<std::string>{kWriteFailed, kWriteFailed}));
    EXPECT_FALSE(notice.open());
    Tick();
    EXPECT_EQ(tick.tickCount(), 101);
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(SamplingTickTest, TicksInsideAnOpenMessageOpenNoFurtherOne) {
    store.FailAllWrites();
    int depth = 0, deepest = 0;
    bool nestedRun = false;
    window.onMessage = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        EXPECT_TRUE(notice.open());
        if (!nestedRun) {  // the user leaves the first message open for 250 ticks
            nestedRun = true;
            for (int i = 0; i < 250; ++i) Tick();
        }
        --depth;
    };
    TickUntil(99);
    Tick();
    EXPECT_EQ(tick.tickCount(), 350);
    EXPECT_EQ(deepest, 1);
    // The first write's message held the nested saves at 200 and 300 silent; the second
    // write of tick 100 still had its own message once the first was closed.
    EXPECT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(store.writes.size(), 6u);  // every save was still tried
    EXPECT_EQ(store.writes[1].key, "Distance");
    EXPECT_EQ(store.writes[5].key, "TotalKeys");
}

TEST_F(SamplingTickTest, SavesResumeTheirMessagesOnceNoneIsOpen) {
    store.FailAllWrites();
    TickUntil(100);
    TickUntil(200);
    EXPECT_EQ(window.messages.size(), 4u);
}

}  // namespace
}  // namespace pipeline_test
}  // namespace tavrel
