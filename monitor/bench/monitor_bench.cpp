// SPDX-License-Identifier: GPL-3.0-or-later
// Costs of the pain model's Update. The whole tick with its listeners: app/bench.
#include <benchmark/benchmark.h>

#include "tavrel/testing/default_model.h"

#include "tavrel/pain_model.h"

namespace tavrel {
namespace {

using testing::BenchModel;

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

}  // namespace
}  // namespace tavrel

BENCHMARK_MAIN();
