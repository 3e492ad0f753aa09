// What showing a run's progress costs the solve: the same soil problem solved without any
// progress hook, and with the desktop program's hook (the iteration count stored in an atomic
// that the window reads a few dozen times a second) and its stop flag.
#include "benchdata.h"
#include "engine/engine.h"
#include "files/database.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace kelva;

void solveSoil(benchmark::State& state, bool withHook) {
    auto st = benchdata::withDefaultDatabase();
    std::atomic<int> shown{0};
    std::atomic<bool> stop{false};
    if (withHook) {
        st->onIter = [&shown](int iter) { shown.store(iter, std::memory_order_relaxed); };
        st->stopRequest = &stop;
    }
    for (auto _ : state) {
        setprob(*st);
        const std::pair<int, double> totals[] = {{2, 2e-3},  {3, 5e-4},  {4, 1e-3},  {6, 2e-3},  {12, 1e-6},
                                                 {13, 1e-6}, {14, 1e-8}, {52, 4e-3}, {54, 1e-3}, {55, 1e-3}};
        for (auto [i, t] : totals) st->Tot[i] = t;
        st->Tha[1] = 0.5f;
        st->Tha[2] = 0.2f;
        st->Tclay = 5.0f;
        st->Csolid = 100.0f;
        st->TempK = 298.16f;
        st->Runprob = 1;
        st->PhFixed = "No";
        st->pH = 7.0;
        solver(*st);
        benchmark::DoNotOptimize(st->Act[1]);
    }
    state.counters["iterations"] = st->Iter;
}

void BM_SoilWithoutProgress(benchmark::State& s) {
    solveSoil(s, false);
}
void BM_SoilWithWindowProgress(benchmark::State& s) {
    solveSoil(s, true);
}

BENCHMARK(BM_SoilWithoutProgress)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SoilWithWindowProgress)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
