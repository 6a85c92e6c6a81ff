// Costs of the pain model's Update and of one whole sampling tick over a host that does
// nothing, so that only the tick's own work is measured.
#include <benchmark/benchmark.h>

#include "tavrel/pain_model.h"
#include "tavrel/sampling_tick.h"

namespace tavrel {
namespace {

PainModel BenchModel() {
    PainModel m{};
    m.breakLimit = 100;
    m.threshold = 100.0f;
    m.screenWidth = 1024.0f;
    m.decay = 1.0f;
    m.movePain = m.dragPain = m.clickPain = m.doubleclickPain = m.keyboardPain = 1.0f;
    return m;
}

void BM_UpdateActive(benchmark::State& state) {
    PainModel model = BenchModel();
    float move = 1.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.Update(move, 2.0f, 1, 0, 3, 50));
        move = move < 100.0f ? move + 1.0f : 1.0f;
        model.pain = 0.0f;
    }
}
BENCHMARK(BM_UpdateActive);

void BM_UpdateIdle(benchmark::State& state) {
    PainModel model = BenchModel();
    idleMs = 1000;
    for (auto _ : state) {
        model.pain = 500.0f;
        benchmark::DoNotOptimize(model.Update(0.0f, 0.0f, 0, 0, 0, 50));
    }
    idleMs = 0;
}
BENCHMARK(BM_UpdateIdle);

// Every call does nothing but move the clock on by 50 ms.
class NullHost : public TickHost {
  public:
    MDTAG next{};
    SystemTime Now() override {
        const SystemTime reading = now_;
        now_.milliseconds = static_cast<std::uint16_t>(now_.milliseconds + 25);  // two per tick
        if (now_.milliseconds >= 1000) {
            now_.milliseconds = static_cast<std::uint16_t>(now_.milliseconds - 1000);
            now_.second = static_cast<std::uint16_t>((now_.second + 1) % 60);
        }
        return reading;
    }
    void TakeActivity(MDTAG& record) override { record = next; }
    void RaiseWindow() override {}
    void HideWindowToBottom() override {}
    void FlashCaption(bool) override {}
    void SetTrayIcon(TrayIcon) override {}
    void SetReadout(int, const char* text) override { benchmark::DoNotOptimize(text); }
    void ShowMessage(const char*) override {}

  private:
    SystemTime now_{2024, 6, 1, 10, 12, 0, 0, 0};
};

class NullStore : public SettingsStore {
  public:
    std::int32_t ReadInt(const char*, const char*, std::int32_t def) override { return def; }
    std::string ReadString(const char*, const char*, const char*) override { return {}; }
    bool WriteInt(const char*, const char*, std::int32_t) override { return true; }
    bool WriteString(const char*, const char*, const char*) override { return true; }
};

// A busy user: every tick moves the pointer and types, so the distance, pain and total
// read-outs all change and are formatted and set again.
void BM_TickBusy(benchmark::State& state) {
    NullHost host;
    NullStore store;
    PainModel model = BenchModel();
    model.threshold = 1e30f;
    WindowFlags flags;
    SamplingTick tick{host, model, flags, store};
    int i = 0;
    for (auto _ : state) {
        host.next.moveDistance = static_cast<float>(i % 97 + 1);
        host.next.keys = i & 1;
        tick.Run();
        ++i;
    }
}
BENCHMARK(BM_TickBusy);

// No input: only the tick counter's read-out changes.
void BM_TickIdle(benchmark::State& state) {
    NullHost host;
    NullStore store;
    PainModel model = BenchModel();
    WindowFlags flags;
    SamplingTick tick{host, model, flags, store};
    for (auto _ : state) tick.Run();
}
BENCHMARK(BM_TickIdle);

// Pain held above the threshold: the window is raised on every tick.
void BM_TickAlarm(benchmark::State& state) {
    NullHost host;
    NullStore store;
    PainModel model = BenchModel();
    model.decay = 0.0f;
    model.pain = 200.0f;
    WindowFlags flags;
    SamplingTick tick{host, model, flags, store};
    for (auto _ : state) tick.Run();
}
BENCHMARK(BM_TickAlarm);

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
