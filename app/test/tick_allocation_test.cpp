// SPDX-License-Identifier: GPL-3.0-or-later
// The tick runs twenty times a second for as long as the program runs: it must not touch the
// heap. The counting operator new is linked into this binary.
#include <gtest/gtest.h>

#include "tavrel/testing/allocation_counter.h"
#include "tavrel/testing/simulated_clock.h"
#include "tavrel/tick_pipeline.h"

namespace tavrel {
namespace {

// Counts what the tick's listeners ask for without storing anything.
class CountingDesktop : public Clock, public ActivitySource, public MainWindow, public Tray {
  public:
    SystemTime now = testing::At(10, 12, 0, 0, 0);
    std::int64_t steady = 0;
    MDTAG next{};
    int effects = 0, raises = 0, hides = 0, alarmIcons = 0, messages = 0;
    SamplingTick* nested = nullptr;  // runs a few ticks inside the first message

    SystemTime UtcNow() override { return now; }
    LocalTime LocalNow() override { return {now, 0}; }
    std::int64_t MonotonicMs() override { return steady; }
    CaptureStatus Start() override { return {}; }
    void Stop() override {}
    void Take(MDTAG& record) override { record = next; }
    CaptureStatus Status() override { return {}; }
    void Raise() override { ++raises; }
    void ShowWithoutFocus() override { ++raises; }
    void HideToBottom() override { ++hides; }
    void Minimize() override {}
    void FlashCaption(bool) override { ++effects; }
    void SetReadout(Readout, const char*) override { ++effects; }
    void SetDebugInfoCaption(const char*) override {}
    void SetCaptureNotice(const char*) override {}
    void SetAlarmStatus(const char*) override { ++effects; }
    void SetTodayUse(const char*) override { ++effects; }
    void Close() override {}
    Answer AskYesNoCancel(const char*) override { return Answer::No; }
    void ShowMessage(const char*) override {
        if (++messages == 1 && nested != nullptr) {
            for (int i = 0; i < 150; ++i) nested->Run();
        }
    }
    void Show(TrayIcon icon, const char*) override {
        ++effects;
        if (icon == TrayIcon::Alarm1 || icon == TrayIcon::Alarm2) ++alarmIcons;
    }
    void Remove() override {}
    bool Available() override { return true; }
};

class FailingStore : public SettingsStore {
  public:
    int writes = 0;
    std::int32_t ReadInt(const char*, const char*, std::int32_t def) override { return def; }
    std::string ReadString(const char*, const char*, const char*) override { return {}; }
    bool WriteInt(const char*, const char*, std::int32_t) override { return ++writes < 0; }
    bool WriteString(const char*, const char*, const char*) override { return false; }
    bool WriteBatch(const std::vector<StoreValue>&) override { return false; }
};

TEST(TickAllocationTest, TicksOnEveryPathAllocateNothing) {
    CountingDesktop host;
    FailingStore store;
    PainModel model{};
    model.breakLimit = 100;
    model.threshold = 100.0f;
    model.screenWidth = 1024.0f;
    model.decay = 1.0f;
    model.movePain = model.dragPain = model.clickPain = 1.0f;
    model.doubleclickPain = model.keyboardPain = 1.0f;
    WindowFlags flags;
    flags.hiddenByUser = flags.hiddenUndisturbed = 1;
    idleMs = 0;
    FailureNotice notice{host};
    TickPipeline wired{host, host, model, host, host, flags, store, notice};
    SamplingTick& tick = wired.tick;
    host.nested = &tick;

    const long before = testing::AllocationCount();
    for (int i = 0; i < 1200; ++i) {
        const int ms = i % 7 == 0 ? 0 : 50;
        host.now = testing::Later(host.now, ms);
        host.steady += ms;
        if (i % 300 == 0) host.now = testing::At(1, 0, 0, 0, 0, 7);  // now and then a new month
        if (i % 450 == 0) host.steady += 5000;                       // and a sleep
        // Bursts of activity into the alarm, then rests that let pain decay to level 0.
        host.next = MDTAG{};
        if (i % 200 < 60) host.next.moveDistance = static_cast<float>(i % 13 + 1);
        if (i % 200 < 30) host.next.keys = 3;
        host.next.clicks = (i % 5 == 0) ? 1 : 0;
        tick.Run();
    }
    EXPECT_EQ(testing::AllocationCount() - before, 0);
    // The run went through every path.
    EXPECT_GT(host.effects, 1200);
    EXPECT_GT(host.raises, 0);
    EXPECT_GT(host.alarmIcons, 0);
    EXPECT_GT(host.hides, 1);
    EXPECT_GE(host.messages, 2);
    EXPECT_GT(store.writes, 4);
    idleMs = 0;
}

TEST(TickAllocationTest, TheCounterSeesAllocations) {
    const long before = testing::AllocationCount();
    auto* block = new int(7);
    EXPECT_EQ(testing::AllocationCount() - before, 1);
    delete block;
}

}  // namespace
}  // namespace tavrel
