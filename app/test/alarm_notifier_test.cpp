#include "tavrel/alarm_notifier.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace tavrel {
namespace {

struct RecordingNotifier final : DesktopNotifier {
    std::vector<std::string> log;
    void Notify(const char* summary, const char* body) override {
        log.push_back(std::string(summary) + ": " + body);
    }
    void Withdraw() override { log.push_back("withdrawn"); }
};

Sample At(float pain, float threshold, bool alarm) {
    Sample s{};
    s.pain = pain;
    s.threshold = threshold;
    s.alarm = alarm;
    return s;
}

TEST(AlarmNotifier, OneNotificationPerAlarmWithThePainAndThresholdWithdrawnWhenItEnds) {
    RecordingNotifier notifier;
    AlarmNotifier alarm(notifier);
    const Sample run[] = {
        At(10, 100, false),    At(100.7f, 100, true), At(140, 100, true),
        At(99.5f, 100, false), At(50, 100, false),    At(2500.2f, 2500, true),
    };
    // Settled, so that a hidden program may rest, except while a notification is up.
    const bool settledAfter[] = {true, false, false, true, true, false};
    EXPECT_TRUE(alarm.Settled());
    for (std::size_t i = 0; i < std::size(run); ++i) {
        alarm.OnSample(run[i]);
        EXPECT_EQ(alarm.Settled(), settledAfter[i]) << "after sample " << i;
    }
    EXPECT_EQ(notifier.log, (std::vector<std::string>{
                                "Tavrel: Pain 100 has reached the threshold of 100.",
                                "withdrawn",
                                "Tavrel: Pain 2500 has reached the threshold of 2500.",
                            }));
}

}  // namespace
}  // namespace tavrel
