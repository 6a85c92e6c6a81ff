// From the files to the scenes the painters draw: a year read and the 30-day view built, the
// last two months only, and a day.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "generated_history.h"
#include "tavrel/history_views.h"

namespace tavrel::bench {
namespace {

constexpr PlotSize kWindow{800, 500};

// What a shell runs on its worker thread to show the last 30 days, with a year on disk.
void BM_YearToThirtyDayView(benchmark::State& state) {
    const Use use = state.range(0) == 0 ? Use::Typical : Use::EveryMinute;
    const GeneratedYear year = GenerateYear("plot" + std::to_string(state.range(0)), use);
    DirectoryHistoryFiles files(year.folder);
    const HistoryMonth first =
        MonthOf(state.range(1) == 12 ? AddDays(year.last, -364) : AddDays(year.last, -29));
    for (auto _ : state) {
        const HistoryLog log = ReadHistory(files, first, MonthOf(year.last));
        const PlotScene scene = BuildMonthView(BuildDailyTotals(log, year.last, 30), {}, kWindow);
        benchmark::DoNotOptimize(scene.bars.data());
    }
    state.counters["lines"] = static_cast<double>(year.lines);
    std::filesystem::remove_all(year.folder);
}
BENCHMARK(BM_YearToThirtyDayView)
    ->ArgNames({"every_minute", "months"})
    ->Args({0, 12})
    ->Args({1, 12})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond);

// One day of the loaded year, every minute recorded: its figures and its scene.
void BM_DayView(benchmark::State& state) {
    const GeneratedYear year = GenerateYear("plot-day", Use::EveryMinute);
    DirectoryHistoryFiles files(year.folder);
    const HistoryLog log = ReadHistory(files, {2025, 1}, {2025, 12});
    for (auto _ : state) {
        const PlotScene scene = BuildDayView(BuildDayDetail(log, year.last), kWindow);
        benchmark::DoNotOptimize(scene.polylines.data());
    }
    std::filesystem::remove_all(year.folder);
}
BENCHMARK(BM_DayView)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavrel::bench

BENCHMARK_MAIN();
