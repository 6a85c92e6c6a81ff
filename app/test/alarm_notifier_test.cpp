#include "tavrel/alarm_notifier.h"

#include <gtest/gtest.h>

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
    for (const Sample& s : run) alarm.OnSample(s);
    EXPECT_EQ(notifier.log, (std::vector<std::string>{
                                "Tavrel: Pain 100 has reached the threshold of 100.",
                                "withdrawn",
                                "Tavrel: Pain 2500 has reached the threshold of 2500.",
                            }));
}

}  // namespace
}  // namespace tavrel
