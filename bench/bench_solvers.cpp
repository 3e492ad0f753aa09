// The two solvers side by side: evaluations and time per problem on the 450 inorganic waters
// of the speed benchmark, the soil examples and the example sweep. Each problem list runs as
// the run control runs it (a sweep continues from the previous problem's state); only the
// solves are timed.
#include "benchdata.h"
#include "engine/engine.h"
#include "engine/newton.h"
#include "files/database.h"
#include "files/fields.h"
#include "files/problemfile.h"
#include "run/runcontrol.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using namespace kelva;

using benchdata::kSource;

const std::string kSpeed450 = kSource + "/bench/data/speed450.DAT";

enum class Start { Fresh, FromPrevious };

// Runs every problem of a list with one solver; counts evaluations and problems that stop
// without converging.
void solveList(benchmark::State& state, const std::string& path, const char* solverName, Start start) {
    auto in = FieldReader::open(path);
    if (!in) {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    auto st = benchdata::withDefaultDatabase();
    const ListHeader header = readListHeader(*in);
    long evaluations = 0, failed = 0, problems = 0, ssIterations = 0;
    st->onIter = [&ssIterations](int) { ++ssIterations; };
    for (auto _ : state) {
        state.PauseTiming();
        in->rewind();
        st->Sweepmode = header.sweepmode;
        state.ResumeTiming();
        for (int k = 1; k <= header.nprob; ++k) {
            state.PauseTiming();
            st->Runprob = st->Probno = static_cast<i16>(k);
            if (k > 1 && header.sweepmode == "Sweep - increment") {
                st->pH += static_cast<double>(st->pHincr);
            } else {
                if (!(header.sweepmode == "Sweep - no increment" && k > 1)) setprob(*st);
                if (!Fileopener(*st, *in)) {
                    state.SkipWithError("a problem could not be read");
                    return;
                }
            }
            st->Solver = solverName;
            ssIterations = 0;
            state.ResumeTiming();
            runSolver(*st, start == Start::FromPrevious && k > 1 && st->iterr(k - 1) == 0);
            state.PauseTiming();
            // the default solver evaluates once before its iterations and once in each
            evaluations += st->Solver == kSolverNewton ? st->newton.evaluations : 1 + ssIterations;
            failed += st->iterr(k);
            ++problems;
            state.ResumeTiming();
        }
    }
    state.counters["evaluations_per_problem"] =
        static_cast<double>(evaluations) / static_cast<double>(problems);
    state.counters["failed"] = static_cast<double>(failed) / static_cast<double>(state.iterations());
    state.counters["time_per_problem"] = benchmark::Counter(
        static_cast<double>(problems), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Speed450_Substitution(benchmark::State& s) {
    solveList(s, kSpeed450, kSolverSubstitution, Start::Fresh);
}
void BM_Speed450_Newton(benchmark::State& s) {
    solveList(s, kSpeed450, kSolverNewton, Start::Fresh);
}

const std::string kSoil = kSource + "/data/examples/soil.DAT";
const std::string kMulti = kSource + "/data/examples/multi.DAT";
const std::string kSweep = kSource + "/data/examples/sweep.DAT";

void BM_Soil_Substitution(benchmark::State& s) {
    solveList(s, kSoil, kSolverSubstitution, Start::Fresh);
}
void BM_Soil_Newton(benchmark::State& s) {
    solveList(s, kSoil, kSolverNewton, Start::Fresh);
}
void BM_Multi_Substitution(benchmark::State& s) {
    solveList(s, kMulti, kSolverSubstitution, Start::Fresh);
}
void BM_Multi_Newton(benchmark::State& s) {
    solveList(s, kMulti, kSolverNewton, Start::Fresh);
}
void BM_Sweep_Substitution(benchmark::State& s) {
    solveList(s, kSweep, kSolverSubstitution, Start::Fresh);
}
void BM_Sweep_Newton(benchmark::State& s) {
    solveList(s, kSweep, kSolverNewton, Start::Fresh);
}
// each problem of the sweep from the previous problem's answer
void BM_Sweep_NewtonFromPrevious(benchmark::State& s) {
    solveList(s, kSweep, kSolverNewton, Start::FromPrevious);
}

BENCHMARK(BM_Speed450_Substitution)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Speed450_Newton)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Soil_Substitution)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Soil_Newton)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Multi_Substitution)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Multi_Newton)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sweep_Substitution)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sweep_Newton)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sweep_NewtonFromPrevious)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
