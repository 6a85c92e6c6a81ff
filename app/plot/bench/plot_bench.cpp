// SPDX-License-Identifier: GPL-3.0-or-later
// From the files to the scenes the painters draw: a year read and the 30-day view built, the
// last two months only, and a day; the Week and 30-day views of three computers sharing their
// history, beside one computer's year read in the same run.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "generated_history.h"
#include "tavrel/history_query.h"
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

// A year of three computers: this one's own folder, and a shared folder with its copy and the
// other two's folders, as a History window reads them.
struct SharedYears {
    std::filesystem::path root;
    HistoryPlaces places;
    LocalDate last;
    std::int64_t lines = 0;

    explicit SharedYears(Use use) {
        namespace fs = std::filesystem;
        root = fs::temp_directory_path() / "tavrel-bench-shared";
        fs::remove_all(root);
        places = {root / "local", root / "Sync", "00000000000000aa", "laptop"};
        const GeneratedYear own = GenerateYear("", use, 1, places.local);
        fs::create_directories(places.shared);
        fs::copy(places.local, places.shared / places.ownId);
        const char* const others[] = {"0123456789abcdef", "fedcba9876543210"};
        for (std::uint32_t i = 0; i < 2; ++i) {
            lines += GenerateYear("", use, 2 + i, places.shared / others[i]).lines;
        }
        lines += own.lines;
        last = own.last;
    }
    ~SharedYears() { std::filesystem::remove_all(root); }
};

// What the window's worker runs for the Week or the 30-day view of all three computers.
void BM_SharedView(benchmark::State& state) {
    const SharedYears years(state.range(0) == 0 ? Use::Typical : Use::EveryMinute);
    HistoryQuery query;
    query.view = state.range(1) == 7 ? HistoryView::Week : HistoryView::ThirtyDays;
    query.date = years.last;
    for (auto _ : state) {
        const HistoryResult result = RunHistoryQuery(years.places, query);
        if (result.failed || result.computers.size() != 3) state.SkipWithError("not read");
        const PlotScene scene =
            query.view == HistoryView::Week
                ? BuildWeekView(result.days, kWindow)
                : BuildMonthView(result.days, result.weeklyMouseMinutes, kWindow);
        benchmark::DoNotOptimize(scene.bars.data());
    }
    state.counters["lines"] = static_cast<double>(years.lines);
}
BENCHMARK(BM_SharedView)
    ->ArgNames({"every_minute", "days"})
    ->Args({0, 7})
    ->Args({0, 30})
    ->Args({1, 7})
    ->Args({1, 30})
    ->Unit(benchmark::kMillisecond);

// Beside it: one computer's whole year read and merged.
void BM_OneComputersYear(benchmark::State& state) {
    const GeneratedYear year = GenerateYear("one" + std::to_string(state.range(0)),
                                            state.range(0) == 0 ? Use::Typical : Use::EveryMinute);
    DirectoryHistoryFiles files(year.folder);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadHistory(files, {2025, 1}, {2025, 12}).minutes.data());
    }
    state.counters["lines"] = static_cast<double>(year.lines);
    std::filesystem::remove_all(year.folder);
}
BENCHMARK(BM_OneComputersYear)
    ->ArgName("every_minute")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrel::bench

BENCHMARK_MAIN();
