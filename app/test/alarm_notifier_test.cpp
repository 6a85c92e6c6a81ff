// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/alarm_notifier.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "tavrel/testing/default_model.h"
#include "tavrel/testing/fake_desktop.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/recording_store.h"
#include "tavrel/testing/simulated_clock.h"

namespace tavrel {
namespace {

using testing::RecordingNotifier;

Sample At(float pain, float threshold, bool alarm) {
    Sample s{};
    s.utc = testing::At(10, 12, 0, 0, 0);
    s.pain = pain;
    s.threshold = threshold;
    s.alarm = alarm;
    return s;
}

// The notifier behind its gate, over a store, a clock and a desktop of the shared fakes.
struct Notifying {
    explicit Notifying(bool withWindow, bool toFront) {
        model.decay = 0.0f;  // no rest lowers the pain: the body names none
        preferences.Load();
        if (!toFront) preferences.SetBringToFront(false);
        notifier.emplace_back(recorder, gate, preferences, model, withWindow);
    }
    void Hear(const Sample& s) {
        gate.OnSample(s);
        notifier.back().OnSample(s);
    }
    testing::SimulatedClock clock;
    testing::FakeStore store;
    testing::FakeMainWindow window;
    FailureNotice notice{window};
    AlarmPreferences preferences{store, clock, notice};
    testing::FakeDesktopQuiet desktop;
    AlarmGate gate{preferences, &desktop};
    PainModel model = testing::DefaultModel();
    RecordingNotifier recorder;
    std::vector<AlarmNotifier> notifier;
};

TEST(AlarmNotifier, OneNotificationPerAlarmWithThePainAndThresholdWithdrawnWhenItEnds) {
    Notifying n(true, true);
    const Sample run[] = {
        At(10, 100, false),    At(100.7f, 100, true), At(140, 100, true),
        At(99.5f, 100, false), At(50, 100, false),    At(2500.2f, 2500, true),
    };
    // Settled, so that a hidden program may rest, except while a notification is up.
    const bool settledAfter[] = {true, false, false, true, true, false};
    EXPECT_TRUE(n.notifier.back().Settled());
    for (std::size_t i = 0; i < std::size(run); ++i) {
        n.Hear(run[i]);
        EXPECT_EQ(n.notifier.back().Settled(), settledAfter[i]) << "after sample " << i;
    }
    EXPECT_EQ(n.recorder.log, (std::vector<std::string>{
                                  "Tavrel: Pain 100 has reached the threshold of 100.",
                                  "withdrawn",
                                  "Tavrel: Pain 2500 has reached the threshold of 2500.",
                              }));
}

TEST(AlarmNotifier, ComesWhereTheWindowDoesNotAndWaitsOutAHeldAlarm) {
    struct Case {
        const char* what;
        bool withWindow, toFront;
        QuietReason desktop;
        std::vector<std::string> log;
    };
    const std::string note = "Tavrel: Pain 150 has reached the threshold of 100.";
    const Case cases[] = {
        {"the window comes, on X11 or Windows", false, true, QuietReason::None, {}},
        {"the user chose the notification", false, false, QuietReason::None, {note, "withdrawn"}},
        {"a Wayland window may not come: both", true, true, QuietReason::None, {note, "withdrawn"}},
        {"held by a fullscreen program", false, false, QuietReason::FullscreenProgram, {}},
        {"held by Do Not Disturb", true, true, QuietReason::DoNotDisturb, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Notifying n(c.withWindow, c.toFront);
        n.desktop.busy = c.desktop;
        n.Hear(At(150, 100, true));
        n.Hear(At(150, 100, true));
        n.Hear(At(20, 100, false));
        EXPECT_EQ(n.recorder.log, c.log);
    }
}

TEST(AlarmNotifier, SaysHowLongToRestWhereARestHelps) {
    Notifying n(false, false);
    n.model.decay = 1.0f;
    n.model.pain = 5100.0f;
    n.model.threshold = 100.0f;
    n.Hear(At(5100, 100, true));
    ASSERT_EQ(n.recorder.log.size(), 1u);
    EXPECT_EQ(n.recorder.log[0],
              "Tavrel: Pain 5100 has reached the threshold of 100. Rest 6 s to bring it below.");
}

}  // namespace
}  // namespace tavrel
