// Solve time and iterations of typical problems on the bundled database.
#include "benchdata.h"
#include "engine/engine.h"
#include "files/database.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace kelva;

const ProgramState& database() {
    static const std::unique_ptr<ProgramState> base = benchdata::withDefaultDatabase();
    return *base;
}

// Ten components of a moderately hard, slightly polluted water.
void inorganic(ProgramState& st) {
    const std::pair<int, double> totals[] = {{2, 1e-3},  {3, 1e-4}, {4, 2e-4},  {6, 5e-4},  {12, 1e-7},
                                             {13, 5e-7}, {15, 1e-8}, {52, 1e-3}, {54, 2e-4}, {55, 2e-3}};
    for (auto [i, t] : totals) st.Tot[i] = t;
}

// A soil suspension: ten components, humic and fulvic acid, clay and solids.
void soil(ProgramState& st) {
    const std::pair<int, double> totals[] = {{2, 2e-3},  {3, 5e-4},  {4, 1e-3}, {6, 2e-3},  {12, 1e-6},
                                             {13, 1e-6}, {14, 1e-8}, {52, 4e-3}, {54, 1e-3}, {55, 1e-3}};
    for (auto [i, t] : totals) st.Tot[i] = t;
    st.Tha[1] = 0.5f;
    st.Tha[2] = 0.2f;
    st.Tclay = 5.0f;
    st.Csolid = 100.0f;
}

void solveLoop(benchmark::State& state, void (*inputs)(ProgramState&), bool fixedPH) {
    auto st = std::make_unique<ProgramState>(database());
    int iterations = 0;
    for (auto _ : state) {
        setprob(*st);
        st->TempK = 298.16f;
        st->Runprob = 1;
        st->Itermax = 30000;
        inputs(*st);
        st->PhFixed = fixedPH ? "Yes" : "No";
        st->pH = 7.0;
        solver(*st);
        iterations = st->Iter;
        benchmark::DoNotOptimize(st->Act[1]);
    }
    state.counters["iterations"] = iterations;
    // seconds per solver iteration (printed with an SI prefix: 2.1u = 2.1 microseconds)
    state.counters["time_per_iteration"] =
        benchmark::Counter(static_cast<double>(iterations) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["failed"] = st->iterr(1);
}

void BM_InorganicCalculatedPH(benchmark::State& s) { solveLoop(s, inorganic, false); }
void BM_InorganicFixedPH(benchmark::State& s) { solveLoop(s, inorganic, true); }
void BM_SoilCalculatedPH(benchmark::State& s) { solveLoop(s, soil, false); }
void BM_SoilFixedPH(benchmark::State& s) { solveLoop(s, soil, true); }

BENCHMARK(BM_InorganicCalculatedPH)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InorganicFixedPH)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoilCalculatedPH)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoilFixedPH)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
