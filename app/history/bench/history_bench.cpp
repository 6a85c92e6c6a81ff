// SPDX-License-Identifier: GPL-3.0-or-later
// What the history costs: a tick inside a minute, appending a finished minute to its file,
// and reading a year of files back. Each beside a floor measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "generated_history.h"
#include "tavrel/directory_history_files.h"
#include "tavrel/history_log.h"
#include "tavrel/history_recorder.h"
#include "tavrel/testing/fake_main_window.h"
#include "tavrel/testing/simulated_clock.h"

namespace tavrel::bench {
namespace {

namespace fs = std::filesystem;

fs::path ScratchFolder(const char* name) {
    const fs::path folder = fs::temp_directory_path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

MinuteRecord TypicalMinute(int i) {
    MinuteRecord r;
    r.minute = {{2026, 12, 7}, (i / 60) % 24, i % 60, 60};
    r.keys = 143;
    r.clicks = 12;
    r.doubleClicks = 1;
    r.movePx = 8412;
    r.dragPx = 310;
    r.painMax = 87;
    r.threshold = 100;
    return r;
}

// A tick that ends no minute: sums only.
void BM_TickInsideAMinute(benchmark::State& state) {
    testing::SimulatedClock clock;
    testing::FakeMainWindow window;
    FailureNotice notice(window);
    DirectoryHistoryFiles files(ScratchFolder("tavrel-bench-tick"));
    HistoryWriter writer(files);
    HistoryRecorder recorder(clock, writer, notice);
    Sample sample{1, clock.now, 50, {2.5f, 0.0f, 1, 0, 1}, 40.0f, 100.0f, false, 0, 0};
    for (auto _ : state) {
        recorder.OnSample(sample);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TickInsideAMinute);

// Floor: the same sample handed to a listener that does nothing.
class NullListener final : public SampleListener {
  public:
    void OnSample(const Sample& sample) override { benchmark::DoNotOptimize(sample.pain); }
};
void BM_FloorEmptyListener(benchmark::State& state) {
    NullListener null;
    SampleListener* listener = &null;
    benchmark::DoNotOptimize(listener);
    const Sample sample{1, {}, 50, {2.5f, 0.0f, 1, 0, 1}, 40.0f, 100.0f, false, 0, 0};
    for (auto _ : state) listener->OnSample(sample);
}
BENCHMARK(BM_FloorEmptyListener);

// A finished minute: its line formatted and appended to the month file on disk.
void BM_AppendAMinute(benchmark::State& state) {
    DirectoryHistoryFiles files(ScratchFolder("tavrel-bench-append"));
    HistoryWriter writer(files);
    int i = 0;
    for (auto _ : state) {
        if (!writer.Write(TypicalMinute(i++))) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_AppendAMinute);

// Floor: the least a line appended to a file can cost, fopen in append mode, fwrite, fclose.
void BM_FloorFopenAppendClose(benchmark::State& state) {
    const std::string path = (ScratchFolder("tavrel-bench-floor") / "2026-12.csv").string();
    char line[kMaxMinuteLineLength];
    const std::size_t length = FormatMinuteLine(TypicalMinute(0), line);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "ab");
        std::fwrite(line, 1, length, file);
        std::fclose(file);
    }
}
BENCHMARK(BM_FloorFopenAppendClose);

// A year of files read and merged, then the figures of the last 30 days.
void BM_ReadAYear(benchmark::State& state) {
    const Use use = state.range(0) == 0 ? Use::Typical : Use::EveryMinute;
    const GeneratedYear year = GenerateYear(std::to_string(state.range(0)), use);
    DirectoryHistoryFiles files(year.folder);
    for (auto _ : state) {
        const HistoryLog log = ReadHistory(files, {2025, 1}, {2025, 12});
        benchmark::DoNotOptimize(BuildDailyTotals(log, year.last, 30));
    }
    state.counters["lines"] = static_cast<double>(year.lines);
    state.counters["MB"] = static_cast<double>(year.bytes) / 1e6;
    fs::remove_all(year.folder);
}
BENCHMARK(BM_ReadAYear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Floor: the same files' bytes read into memory, nothing parsed.
void BM_FloorReadTheBytes(benchmark::State& state) {
    const GeneratedYear year = GenerateYear("floor", Use::EveryMinute);
    DirectoryHistoryFiles files(year.folder);
    std::string text;
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const HistoryMonth& month : files.ListMonths()) {
            files.Read(month, text);
            bytes += text.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    fs::remove_all(year.folder);
}
BENCHMARK(BM_FloorReadTheBytes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrel::bench

BENCHMARK_MAIN();
