// SPDX-License-Identifier: GPL-3.0-or-later
// Quit and the end of the session: what is counted and stored, what is asked, what is told
// when a write fails, and one failure box at a time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_controller_fixture.h"

namespace tavrel {
namespace controller_test {
namespace {

TEST_F(MonitorControllerTest, QuitWithoutEditsStoresTheTotalsAndShutsDown) {
    Start();
    source.pending.moveDistance = 100.0f;
    source.pending.keys = 3;
    Tick();

    EXPECT_TRUE(controller->OnQuit());
    EXPECT_FALSE(timer.running);
    EXPECT_FALSE(tray.shown);
    EXPECT_EQ(source.stops, 1);
    EXPECT_TRUE(window.closed);
    EXPECT_TRUE(window.questions.empty());
    EXPECT_EQ(store.data.ReadInt("Main", "Distance", -1), 1000);
    EXPECT_EQ(store.data.ReadInt("Main", "TotalKeys", -1), 3);
    controller.reset();
    EXPECT_EQ(tray.removes, 1) << "the icon is gone already";
    EXPECT_EQ(source.stops, 1);
}

TEST_F(MonitorControllerTest, QuitAndTheSessionsEndCountWhatCameSinceTheLastTick) {
    for (const bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "Quit" : "logoff");
        Start();
        Tick();
        // The move to the Quit button and its click, after the last tick.
        source.pending.moveDistance = 20.0f;
        source.pending.clicks = 1;
        source.pending.keys = 2;
        clock.Advance(30);
        if (quit) {
            EXPECT_TRUE(controller->OnQuit());
        } else {
            controller->OnSessionEnd();
        }
        EXPECT_EQ(store.data.ReadInt("Main", "Distance", -1), 200);
        EXPECT_EQ(store.data.ReadInt("Main", "TotalKeys", -1), 2);
        EXPECT_EQ(window.raises, 0);
        store.data.WriteInt("Main", "Distance", 0);
        store.data.WriteInt("Main", "TotalKeys", 0);
    }
}

TEST_F(MonitorControllerTest, QuitWithEditsFollowsTheAnswer) {
    struct Case {
        Answer answer;
        bool ends;
        std::int32_t storedThreshold;
    };
    const Case cases[] = {{Answer::Yes, true, 50},
                          {Answer::No, true, -1},
                          {Answer::Cancel, false, -1},
                          {Answer::Other, true, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        controller.reset();
        window = FakeMainWindow();
        tray = FakeTray();
        store.data = MemoryStore();
        Start();
        controller->OnFieldCommitted(SettingId::Threshold, "50");
        window.answers.push_back(c.answer);

        EXPECT_EQ(controller->OnQuit(), c.ends);
        EXPECT_EQ(window.questions.size(), 1u);
        EXPECT_EQ(window.closed, c.ends);
        EXPECT_EQ(timer.running, !c.ends);
        EXPECT_EQ(tray.shown, !c.ends);
        EXPECT_EQ(store.data.ReadInt("Good", "Threshold", -1), c.storedThreshold);
        if (!c.ends) {
            EXPECT_TRUE(view.saveEnabled);
        }
    }
}

TEST_F(MonitorControllerTest, QuitReportsTotalsThatCouldNotBeStoredAndStillEnds) {
    Start();
    store.FailAllWrites();
    EXPECT_TRUE(controller->OnQuit());
    EXPECT_EQ(window.messages, (std::vector<std::string>{kWriteFailed}));
    EXPECT_TRUE(window.closed);
}

TEST_F(MonitorControllerTest, SessionEndStoresTheTotalsAsksNothingAndTellsNothing) {
    Start();
    controller->OnFieldCommitted(SettingId::Threshold, "50");  // an unsaved edit
    source.pending.keys = 4;
    Tick();

    controller->OnSessionEnd();
    EXPECT_EQ(store.data.ReadInt("Main", "TotalKeys", -1), 4);
    EXPECT_TRUE(window.questions.empty());
    EXPECT_EQ(store.data.ReadInt("Good", "Threshold", -1), -1) << "edits are not saved unasked";
    EXPECT_FALSE(timer.running);
    EXPECT_FALSE(tray.shown);
    EXPECT_EQ(source.stops, 1);

    // A failing store at the end of a session: nobody is there to answer a box.
    controller.reset();
    Start();
    store.FailAllWrites();
    controller->OnSessionEnd();
    EXPECT_TRUE(window.messages.empty());
    controller->OnSessionEnd();  // a second end request does nothing more
    EXPECT_EQ(source.stops, 2);
}

TEST_F(MonitorControllerTest, OneFailureBoxAtATimeWhateverReportsIt) {
    Start();
    store.FailAllWrites();
    int nestedQuits = 0;
    window.onMessage = [&] {
        // While the first box waits: the periodic saves of the ticks, a Save and a Quit.
        if (nestedQuits++ > 0) return;
        for (int i = 0; i < 250; ++i) Tick();
        controller->OnFieldCommitted(SettingId::Threshold, "60");
        controller->OnSave();
    };
    while (controller->tick().tickCount() != 99) Tick();
    Tick();  // the save of tick 100 fails
    EXPECT_EQ(controller->tick().tickCount(), 350);
    // The first box held every other report silent; the tick's second write had its own.
    EXPECT_EQ(window.messages.size(), 2u);
}

}  // namespace
}  // namespace controller_test
}  // namespace tavrel
