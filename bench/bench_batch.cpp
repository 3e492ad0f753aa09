// The batch runner end to end: problem file in, result file out.
#include "benchdata.h"
#include "cli/batch.h"
#include "files/database.h"
#include "files/fields.h"
#include "run/rangecheck.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace kelva;

using benchdata::kSource;

fs::path scratch() {
    return benchdata::scratch("kelva-bench");
}

// An "Only multi" list of 100 inorganic waters with calculated pH that differ in hardness,
// alkalinity and trace metals.
std::string inorganicList() {
    const int n = 100;
    std::string all;
    for (int k = 1; k <= n; ++k) {
        const double f = 0.5 + 0.01 * k;
        char comps[600];
        std::snprintf(
            comps, sizeof comps,
            "\"Na\",\"2\",%g\r\n\"K\",\"3\",%g\r\n\"Mg\",\"4\",%g\r\n\"Ca\",\"6\",%g\r\n\"Cu\",\"12\",%g\r\n"
            "\"Zn\",\"13\",%g\r\n\"Pb\",\"15\",%g\r\n\"Cl\",\"52\",%g\r\n\"SO4\",\"54\",%g\r\n"
            "\"CO3\",\"55\",%g\r\n",
            1e-3 * f, 1e-4, 2e-4 * f, 5e-4 * f, 1e-7 * f, 5e-7, 1e-8, 1e-3, 2e-4, 2e-3 * f);
        all += "\"Problem no.\"," + std::to_string(k) +
               "\r\n\"Water\",\"\"\r\n\"Multi / Sweep\",\"Only multi\"," + std::to_string(n) + "\r\n";
        if (k == 1) all += "\"Selected sweep results:\",1,\"pH\"\r\n";
        all += "\"Database\",\"" + kSource +
               "/data/default.DBS\"\r\n\"Array size\",500\r\n\"Precision%\",.01\r\n\"TempK\",298.16\r\n"
               "\"CSOLID\",0\r\n\"THA TFA\",0,0\r\n\"TCLAY\",0\r\n\"FAAQ\",999\r\n\"Gamma value\",1\r\n"
               "\"pH fixed\",\"No\"\r\n\"Equilibrium pH\",7\r\n\"pCO2\",999\r\n\"No. mast sp.\",10\r\n" +
               std::string(comps) + "\"END\"\r\n";
    }
    return all;
}

void runFile(benchmark::State& state, const std::string& problems, int nprob, const std::string& db = {}) {
    cli::BatchOptions opt;
    opt.problems = problems;
    opt.db = db;
    opt.out = (scratch() / "bench.OUT").string();
    opt.quiet = true;
    opt.jobs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::ostringstream err;
        // a problem marked as not converged is still solved and written
        if (cli::runBatch(opt, err) == cli::kExitBadInput) state.SkipWithError(err.str().c_str());
    }
    state.counters["time_per_problem"] =
        benchmark::Counter(static_cast<double>(nprob) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Batch100Inorganic(benchmark::State& state) {
    static const std::string file = [] {
        const std::string path = (scratch() / "inorganic100.DAT").string();
        std::string err;
        writeFileAtomic(path, inorganicList(), err);
        return path;
    }();
    runFile(state, file, 100);
}

// The example sweep: a soil at pH 4.0, 4.2, ... 7.8. A sweep runs in order whatever --jobs says.
void BM_Batch20SoilSweep(benchmark::State& state) {
    runFile(state, kSource + "/data/examples/sweep.DAT", 20);
}

// The check of every problem's ranges that precedes a run: what a list of 100 costs before
// its first solve.
void BM_RangeCheck100Inorganic(benchmark::State& state) {
    auto st = std::make_unique<ProgramState>();
    st->Dbfile = kSource + "/data/default.DBS";
    readdb(*st);
    const FieldReader list(inorganicList(), "inorganic100.DAT");
    ListRunOptions opt;
    opt.nprob = 100;
    opt.sweepmode = "Only multi";
    for (auto _ : state) benchmark::DoNotOptimize(listRangeRefusal(*st, list, opt));
}

BENCHMARK(BM_RangeCheck100Inorganic)->Unit(benchmark::kMillisecond);

// The batch runner's headline figure: 450 natural waters at fixed pH 4-9 (water mode, 6-12
// components, about 18 iterations each) with the bundled database, process CPU time included.
void BM_Batch450Waters(benchmark::State& state) {
    runFile(state, kSource + "/bench/data/speed450.DAT", 450, kSource + "/data/default.DBS");
}

BENCHMARK(BM_Batch450Waters)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The 450 waters as a user meets them: the runner started as a process, and the CPU time of the
// whole process (user + system, start and durable write included) taken as the iteration time.
// With KELVA_BASE_RUNNER naming another build of the runner, that one is measured too, so that
// both figures come from the same minutes of the machine.
double runnerCpuSeconds(const std::string& exe, const std::string& out) {
    std::vector<std::string> args{
        exe,      kSource + "/bench/data/speed450.DAT", "--db", kSource + "/data/default.DBS", "--out", out,
        "--quiet"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, exe.c_str(), &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (failed) return -1.0;
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1.0;
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
    };
    return seconds(ru.ru_utime) + seconds(ru.ru_stime);
}

void runnerProcess(benchmark::State& state, const std::string& exe) {
    const std::string out = (scratch() / "process450.OUT").string();
    for (auto _ : state) {
        const double cpu = runnerCpuSeconds(exe, out);
        if (cpu < 0) {
            state.SkipWithError(("cannot run " + exe).c_str());
            break;
        }
        state.SetIterationTime(cpu);
    }
}

const bool kRunnerRegistered = [] {
    const std::string here = fs::read_symlink("/proc/self/exe").parent_path().string();
    benchmark::RegisterBenchmark("BM_Runner450Process/this", runnerProcess, here + "/kelvaspec-run")
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    if (const char* base = std::getenv("KELVA_BASE_RUNNER"))
        benchmark::RegisterBenchmark("BM_Runner450Process/base", runnerProcess, std::string(base))
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
    return true;
}();

BENCHMARK(BM_Batch100Inorganic)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Batch20SoilSweep)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
