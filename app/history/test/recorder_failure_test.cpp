// SPDX-License-Identifier: GPL-3.0-or-later
// A disk that refuses writes: one box per run of failures, monitoring goes on, and every
// minute reaches the file once the disk takes writes again.
#include <gtest/gtest.h>

#include "recorder_fixture.h"

namespace tavrel::testing {
namespace {

// Keys of the minutes as read back, in order.
std::vector<std::int32_t> KeysPerMinute(const HistoryLog& log) {
    std::vector<std::int32_t> keys;
    for (const HistoryMinute& m : log.minutes) keys.push_back(m.keys);
    return keys;
}

class RecorderFailureTest : public RecorderTest {
  protected:
    // n whole minutes, minute i with i + 1 keys in its first tick.
    void RunMinutes(int first, int n) {
        for (int i = first; i < first + n; ++i) {
            activity.keys = i + 1;
            Tick();
            activity.keys = 0;
            Run(59950);
        }
    }
    std::vector<std::int32_t> Expected(int n) {
        std::vector<std::int32_t> keys;
        for (int i = 0; i < n; ++i) keys.push_back(i + 1);
        return keys;
    }
    void SetUp() override { clock.now = At(10, 12, 0, 0, 0); }
};

TEST_F(RecorderFailureTest, AFailingDiskIsToldOnceAndLosesNothing) {
    RunMinutes(0, 2);
    files.failing = true;
    RunMinutes(2, 5);
    EXPECT_EQ(window.messages, std::vector<std::string>{kHistoryWriteFailedText});
    EXPECT_EQ(writer.pending(), 5u) << "the minutes ended while failing wait, in order";
    files.failing = false;
    RunMinutes(7, 1);
    EXPECT_EQ(writer.pending(), 0u);
    files.failing = true;  // a new run of failures is told again
    RunMinutes(8, 2);
    EXPECT_EQ(window.messages.size(), 2u);
    files.failing = false;
    recorder.OnSessionEnd(SessionEnd::Quit);

    EXPECT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(KeysPerMinute(ReadAll()), Expected(10));
}

TEST_F(RecorderFailureTest, ADiskFullPartWayLeavesATornLineThatIsWrittenAgainWhole) {
    RunMinutes(0, 2);
    files.roomLeft = 20;  // the next line stops in its minute field
    RunMinutes(2, 2);
    EXPECT_EQ(window.messages.size(), 1u);
    files.roomLeft = SIZE_MAX;
    RunMinutes(4, 2);
    recorder.OnSessionEnd(SessionEnd::Quit);

    const std::vector<std::string> lines = Lines({2024, 6});
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2], "2024-06-10T12:02+00:,torn") << "the fragment can't pass for a record";
    EXPECT_EQ(KeysPerMinute(ReadAll()), Expected(6));
}

TEST_F(RecorderFailureTest, TicksUnderTheOpenBoxShowNoSecondOne) {
    files.failing = true;
    int nested = 0;
    window.onMessage = [&] {
        // The box waits three minutes of typing; each minute that ends meanwhile fails again.
        activity.keys = 1;
        for (; nested < 3 * 1200; ++nested) Tick();
        activity.keys = 0;
    };
    RunMinutes(0, 2);
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(writer.pending(), 5u);
    files.failing = false;
    RunMinutes(5, 1);
    EXPECT_EQ(writer.pending(), 0u);
}

TEST_F(RecorderFailureTest, AFailureWhileAnotherWritersBoxIsOpenIsToldAfterIt) {
    files.failing = true;
    window.onMessage = [&] {
        window.onMessage = nullptr;
        RunMinutes(0, 2);  // the totals' box waits two minutes
    };
    notice.Report();  // the totals could not be written
    EXPECT_EQ(window.messages, std::vector<std::string>{kWriteFailedText});
    RunMinutes(2, 1);
    EXPECT_EQ(window.messages,
              (std::vector<std::string>{kWriteFailedText, kHistoryWriteFailedText}));
}

TEST_F(RecorderFailureTest, AtQuitUnwrittenMinutesAreToldAndAtLogoffNot) {
    files.failing = true;
    RunMinutes(0, 2);
    recorder.OnSessionEnd(SessionEnd::Logoff);
    EXPECT_EQ(window.messages.size(), 1u);
    RunMinutes(2, 1);
    recorder.OnSessionEnd(SessionEnd::Quit);
    EXPECT_EQ(window.messages.back(), kHistoryLostText);
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(RecorderFailureTest, AWritableDiskAfterAQuietSpellTakesTheWaitingMinutes) {
    files.failing = true;
    RunMinutes(0, 3);
    files.failing = false;
    activity.keys = 0;
    Run(120000);  // nothing new to write, but the waiting minutes go out
    EXPECT_EQ(writer.pending(), 0u);
    EXPECT_EQ(KeysPerMinute(ReadAll()), Expected(3));
}

TEST(HistoryWriterTest, PastItsBoundTheQueueGivesUpTheOldestMinutes) {
    FakeHistoryFiles files;
    HistoryWriter writer(files, 3);
    files.failing = true;
    MinuteRecord minute;
    minute.minute = {{2024, 6, 10}, 12, 0, 0};
    for (int i = 0; i < 5; ++i) {
        minute.minute.minute = i;
        minute.keys = i;
        EXPECT_FALSE(writer.Write(minute));
    }
    EXPECT_EQ(writer.pending(), 3u);
    EXPECT_EQ(writer.dropped(), 2u);
    files.failing = false;
    EXPECT_TRUE(writer.Flush());
    const HistoryLog log = ReadHistory(files, {2024, 6}, {2024, 6});
    EXPECT_EQ(KeysPerMinute(log), (std::vector<std::int32_t>{2, 3, 4}));
}

}  // namespace
}  // namespace tavrel::testing
