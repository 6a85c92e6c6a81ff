// SPDX-License-Identifier: GPL-3.0-or-later
// Costs of one whole tick with the listeners the program wires to it (alarm and tray, the
// read-outs, the totals), over a desktop whose calls do nothing but move the clock on by
// 50 ms and a store that accepts every write, so the figures are the program's own work.
#include <benchmark/benchmark.h>

#include "tavrel/testing/default_model.h"

#include "tavrel/tick_pipeline.h"

namespace tavrel {
namespace {

using testing::BenchModel;

class NullDesktop : public Clock, public ActivitySource, public MainWindow, public Tray {
  public:
    MDTAG next{};
    SystemTime UtcNow() override {
        const SystemTime reading = now_;
        now_.milliseconds = static_cast<std::uint16_t>(now_.milliseconds + 50);  // one per tick
        if (now_.milliseconds >= 1000) {
            now_.milliseconds = static_cast<std::uint16_t>(now_.milliseconds - 1000);
            now_.second = static_cast<std::uint16_t>((now_.second + 1) % 60);
        }
        return reading;
    }
    LocalTime LocalNow() override { return {now_, 0}; }
    std::int64_t MonotonicMs() override { return steady_ += 50; }
    CaptureStatus Start() override { return {}; }
    void Stop() override {}
    void Take(MDTAG& record) override { record = next; }
    CaptureStatus Status() override { return {}; }
    void Raise() override {}
    void ShowWithoutFocus() override {}
    void HideToBottom() override {}
    void Minimize() override {}
    void FlashCaption(bool) override {}
    void SetReadout(Readout, const char* text) override { benchmark::DoNotOptimize(text); }
    void SetDebugInfoCaption(const char*) override {}
    void SetCaptureNotice(const char*) override {}
    void SetAlarmStatus(const char* text) override { benchmark::DoNotOptimize(text); }
    void SetTodayUse(const char* text) override { benchmark::DoNotOptimize(text); }
    void Close() override {}
    void ShowMessage(const char*) override {}
    Answer AskYesNoCancel(const char*) override { return Answer::No; }
    void Show(TrayIcon, const char*) override {}
    void Remove() override {}
    bool Available() override { return true; }

  private:
    SystemTime now_{2024, 6, 1, 10, 12, 0, 0, 0};
    std::int64_t steady_ = 0;
};

class NullStore : public SettingsStore {
  public:
    std::int32_t ReadInt(const char*, const char*, std::int32_t def) override { return def; }
    std::string ReadString(const char*, const char*, const char*) override { return {}; }
    bool WriteInt(const char*, const char*, std::int32_t) override { return true; }
    bool WriteString(const char*, const char*, const char*) override { return true; }
    bool WriteBatch(const std::vector<StoreValue>&) override { return true; }
};

// The program's wiring of one tick over the null desktop.
struct Pipeline {
    explicit Pipeline(PainModel& model)
        : wired(desktop, desktop, model, desktop, desktop, flags, store, notice) {}
    NullDesktop desktop;
    NullStore store;
    WindowFlags flags;
    FailureNotice notice{desktop};
    TickPipeline wired;
    SamplingTick& tick = wired.tick;
};

// A busy user: every tick moves the pointer and types, so the distance, pain and total
// read-outs all change and are formatted and set again.
void BM_TickBusy(benchmark::State& state) {
    PainModel model = BenchModel();
    model.threshold = 1e30f;
    Pipeline p(model);
    int i = 0;
    for (auto _ : state) {
        p.desktop.next.moveDistance = static_cast<float>(i % 97 + 1);
        p.desktop.next.keys = i & 1;
        p.tick.Run();
        ++i;
    }
}
BENCHMARK(BM_TickBusy);

// No input: only the tick counter's read-out changes.
void BM_TickIdle(benchmark::State& state) {
    PainModel model = BenchModel();
    Pipeline p(model);
    for (auto _ : state) p.tick.Run();
}
BENCHMARK(BM_TickIdle);

// Pain held above the threshold: the window is raised on every tick.
void BM_TickAlarm(benchmark::State& state) {
    PainModel model = BenchModel();
    model.decay = 0.0f;
    model.pain = 200.0f;
    Pipeline p(model);
    for (auto _ : state) p.tick.Run();
}
BENCHMARK(BM_TickAlarm);

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
