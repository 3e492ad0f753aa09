// The run: from the problem list to one result block per problem.
#include "run/runcontrol.h"

#include "engine/engine.h"
#include "engine/newton.h"
#include "files/numtext.h"
#include "files/problemfile.h"
#include "files/resultfile.h"
#include "run/problemlist.h"
#include "run/rangecheck.h"
#include "run/readinput.h"
#include "run/shownproblem.h"
#include "run/sweepgen.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace kelva {

namespace {

bool isSweep(const std::string& mode) { return mode == "Sweep - increment" || mode == "Sweep - no increment"; }

std::string readFailure(const FieldReader& in, int k) {
    return "Problem " + std::to_string(k) + " could not be read: " +
           (in.error() ? in.error()->describe() : std::string("the list ends early"));
}

// Reads problem k of the list into `st` (or, for the later problems of an incremental
// sweep, raises the pH), and checks it. False with the reason in `why`.
bool prepareProblem(ProgramState& st, FieldReader& in, const ListRunOptions& opt, int k, std::string& why) {
    st.Probno = static_cast<i16>(k);
    st.Runprob = static_cast<i16>(k);
    if (k > 1 && st.Sweepmode == "Sweep - increment") {
        st.pH = st.pH + static_cast<double>(st.pHincr);
    } else {
        if (!(st.Sweepmode == "Sweep - no increment" && k > 1)) setprob(st);
        std::vector<std::string> notes;
        if (!Fileopener(st, in, &notes)) {
            why = readFailure(in, k);
            return false;
        }
        if (!notes.empty()) {
            why = "Problem " + std::to_string(k) + " cannot be solved:";
            for (const auto& n : notes) why += "\n" + n;
            return false;
        }
    }
    if (opt.afterRead) opt.afterRead(st);
    auto refused = checkprob(st);
    if (st.ProgMode == "Soil" && !(st.Csolid > 0.0f)) refused.insert(refused.begin(), kNoSolidsMessage);
    if (!refused.empty()) {
        why = "Problem " + std::to_string(k) + " cannot be solved:";
        for (const auto& r : refused) why += "\n" + r;
        return false;
    }
    return true;
}

// Solves the problem in `st` and writes its result block into `out`. The Newton solver starts
// from the answer the state holds when `fromPrevious` (a later problem of a sweep).
void solveProblem(ProgramState& st, FieldWriter& out, bool fromPrevious = false) {
    runSolver(st, fromPrevious);
    if (st.ProgMode == "Soil" && st.Faaq == static_cast<float>(kNoValue)) fadesorb(st);
    if (st.Faaq < static_cast<float>(kNoValue)) st.FaaqRes = st.Faaq;
    // Without desorption nothing is computed: report no dissolved FA rather than the value
    // another problem left.
    if (st.ProgMode != "Soil" && st.Faaq == static_cast<float>(kNoValue)) st.FaaqRes = 0.0f;
    writeres(st, out);
}

void emitBlock(const ListRunOptions& opt, std::string_view block, std::string& resultText) {
    if (opt.onBlock)
        opt.onBlock(block);
    else
        resultText += block;
}

void recordOutcome(const ProgramState& st, int k, RunReport& report) {
    if (st.iterr(k) == 1) {
        report.limitProblems.push_back(k);
        report.failing[static_cast<std::size_t>(k)] = failingTests(st);
        report.iterations[static_cast<std::size_t>(k)] = st.Iter;
        // the damped scheme creeps or stalls where the Newton solver usually arrives
        const int limit = std::min(static_cast<int>(st.Itermax) + 1, 32767); // as the 16-bit counter takes it
        if (st.Solver != kSolverNewton && st.Iter >= limit) report.suggestion = kNewtonSuggestion;
    }
}

void runSequential(ProgramState& st, FieldReader& in, const ListRunOptions& opt, const RunProgress& progress,
                   std::string& resultText, RunReport& report) {
    FieldWriter out; // one buffer for every block
    for (int k = 1; k <= opt.nprob; ++k) {
        if (st.stopRequested()) return;
        if (progress.onProblem) progress.onProblem(k, opt.nprob);
        std::string why;
        if (!prepareProblem(st, in, opt, k, why)) {
            report.message = why;
            return;
        }
        // The Newton solver starts each later problem of a sweep from the previous answer.
        const bool fromPrevious = k > 1 && isSweep(st.Sweepmode) && st.iterr(k - 1) == 0;
        out.clear();
        solveProblem(st, out, fromPrevious);
        emitBlock(opt, out.str(), resultText);
        recordOutcome(st, k, report);
        report.solved = k;
    }
    report.ok = true;
}

// Independent problems on several threads. Every worker reads the whole list in order, so
// each problem starts from exactly the inputs a sequential run would give it, and solves
// every jobs-th problem; the blocks are joined in problem order.
void runParallel(ProgramState& st, FieldReader& in, const ListRunOptions& opt, const RunProgress& progress,
                 std::string& resultText, RunReport& report) {
    const int jobs = std::min(opt.jobs, opt.nprob);
    std::vector<std::string> blocks(static_cast<std::size_t>(opt.nprob) + 1);
    std::vector<std::string> errors(static_cast<std::size_t>(opt.nprob) + 1);
    std::vector<std::unique_ptr<ProgramState>> states;
    for (int w = 0; w < jobs; ++w) states.push_back(std::make_unique<ProgramState>(st));
    std::mutex lock;
    std::atomic<int> done{0};

    // Every worker meets a record that cannot be read, so the table of errors is shared: it is
    // written under the lock, and the first text stands (they all say the same).
    auto fail = [&](int k, const std::string& why) {
        std::lock_guard<std::mutex> g(lock);
        auto& e = errors[static_cast<std::size_t>(k)];
        if (e.empty()) e = why;
    };
    auto work = [&](int w) {
        ProgramState& ws = *states[static_cast<std::size_t>(w)];
        ws.onIter = nullptr;
        FieldReader reader = in;
        for (int k = 1; k <= opt.nprob; ++k) {
            if (ws.stopRequested()) return;
            std::string why;
            if ((k - 1) % jobs != w) {
                // Another worker's problem: only read, to carry its inputs forward (the
                // set-up it would get touches nothing the reading depends on).
                if (!Fileopener(ws, reader)) {
                    fail(k, readFailure(reader, k));
                    return;
                }
                continue;
            }
            if (!prepareProblem(ws, reader, opt, k, why)) {
                fail(k, why);
                return;
            }
            FieldWriter out;
            solveProblem(ws, out);
            blocks[static_cast<std::size_t>(k)] = out.take();
            std::lock_guard<std::mutex> g(lock);
            recordOutcome(ws, k, report);
            const int n = ++done;
            if (progress.onProblem) progress.onProblem(n, opt.nprob);
        }
    };
    std::vector<std::thread> threads;
    for (int w = 1; w < jobs; ++w) threads.emplace_back(work, w);
    work(0);
    for (auto& t : threads) t.join();

    std::sort(report.limitProblems.begin(), report.limitProblems.end());
    for (int k = 1; k <= opt.nprob; ++k) {
        if (!errors[static_cast<std::size_t>(k)].empty()) {
            report.message = errors[static_cast<std::size_t>(k)];
            return;
        }
        emitBlock(opt, blocks[static_cast<std::size_t>(k)], resultText);
        report.solved = k;
    }
    // The state is left as a sequential run leaves it: with the last problem solved.
    st = *states[static_cast<std::size_t>((opt.nprob - 1) % jobs)];
    report.ok = true;
}

// The three refusals of the run button, in their order.
bool refuse(const ProgramState& st, RunReport& report) {
    report.title = kRunErrorTitle;
    if (!st.main.txtDbVisible)
        report.message = kNoDatabaseMessage;
    else if (st.Nmast == 0)
        report.message = kNoComponentsMessage;
    else if (st.ProgMode == "Soil" && text::leadingNumber(st.main.txtSolids) <= 0.0)
        report.message = kNoSolidsMessage;
    else
        return false;
    return true;
}

// Components the run cannot hand to the engine (a name the database does not know, a negative
// concentration): refused before anything is written.
bool refuseComponents(const ProgramState& st, RunReport& report) {
    // Readinput reads the window; the probe keeps the state untouched. On the heap: the state
    // is larger than the stack of a worker thread.
    auto probe = std::make_unique<ProgramState>(st);
    Readinput(*probe);
    const auto problems = componentProblems(*probe);
    if (problems.empty()) return false;
    report.title = kRunErrorTitle;
    report.message.clear();
    for (const auto& p : problems) report.message += (report.message.empty() ? "" : "\n") + p;
    return true;
}

// A sweep whose start pH, increment or separate values are no numbers: refused rather than run
// at pH 0.
bool refuseSweep(const ProgramState& st, RunReport& report) {
    report.message = sweepgen::runRefusal(st);
    if (report.message.empty()) return false;
    report.title = kRunErrorTitle;
    return true;
}

bool writeRunInput(ProgramState& st, std::string& err) {
    std::error_code ec;
    const auto dir = workPath(st, kRunInput).parent_path();
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        err = "cannot create the working directory " + dir.string() + ": " + ec.message();
        return false;
    }
    st.Savefile = kRunInput;
    if (st.Sweepmode == "Sweep - no increment" || st.Sweepmode == "Only multi") return Multisave(st, err);
    FieldWriter out;
    Filesaver(st, out);
    return writeFileAtomic(workPath(st, kRunInput).string(), out.str(), err);
}

// The run input, the loop and the result file. The result file is replaced only by the
// results of a complete run: a stopped or failed run leaves the previous one in place.
void runFromWindow(ProgramState& st, const RunProgress& progress, RunReport& report) {
    if (isSweep(st.Sweepmode)) st.Nprob = st.Nsweep;
    std::string err;
    if (!writeRunInput(st, err)) {
        report.title = kRunErrorTitle;
        report.message = "The run input could not be written: " + err;
        return;
    }
    const std::string input = workPath(st, kRunInput).string();
    auto in = FieldReader::open(input);
    if (!in) {
        report.title = kRunErrorTitle;
        report.message = "The run input " + input + " could not be read.";
        return;
    }
    ListRunOptions opt;
    opt.nprob = std::max<int>(st.Nprob, 1);
    opt.sweepmode = st.Sweepmode;
    std::string results;
    runList(st, *in, opt, progress, results, report);
    report.title = kRunErrorTitle;
    if (!report.ok) {
        if (!report.stopped) report.message += "\n" + std::string(kResultKeptNote);
        return;
    }
    const std::string resultFile = workPath(st, kRunResult).string();
    if (!writeFileAtomic(resultFile, results, err)) {
        report.ok = false;
        report.message = "The result file could not be written: " + err;
        return;
    }
    report.resultFile = resultFile;
}

} // namespace

void runList(ProgramState& st, FieldReader& in, const ListRunOptions& opt, const RunProgress& progress,
             std::string& resultText, RunReport& report) {
    report.message = listRangeRefusal(st, in, opt);
    if (!report.message.empty()) {
        report.title = kRunErrorTitle;
        return;
    }
    report.ran = true;
    report.nprob = opt.nprob;
    st.Nprob = static_cast<i16>(opt.nprob); // every block states the number of problems
    report.failing.assign(static_cast<std::size_t>(opt.nprob) + 1, {});
    report.iterations.assign(static_cast<std::size_t>(opt.nprob) + 1, 0);
    st.Iterr.assign(static_cast<std::size_t>(opt.nprob) + 1, 0);
    auto savedHook = st.onIter;
    st.onIter = progress.onIter;
    if (opt.jobs > 1 && opt.sweepmode == "Only multi" && opt.nprob > 1) {
        report.threads = std::min(opt.jobs, opt.nprob);
        runParallel(st, in, opt, progress, resultText, report);
    } else {
        runSequential(st, in, opt, progress, resultText, report);
    }
    st.onIter = savedHook;
    if (st.stopRequested()) {
        report.ok = false;
        report.stopped = true;
        report.message = kStoppedMessage;
    }
}

bool refuseRun(const ProgramState& st, RunReport& report) {
    return refuse(st, report) || refuseComponents(st, report) || refuseSweep(st, report);
}

RunReport cmdRun(ProgramState& st, const RunProgress& progress) {
    RunReport report;
    st.Runprob = 0;
    st.Nsweep = static_cast<i16>(boundedInt(st.Multino, 0, 32767));
    if (refuseRun(st, report)) return report;
    report.message = shownRangeRefusal(st);
    if (!report.message.empty()) {
        report.title = kRunErrorTitle;
        return report;
    }

    // The run reads every problem of its list into the state; the window shows its own again.
    const auto shown = ShownProblem::take(st);
    runFromWindow(st, progress, report);
    shown->restore(st);
    return report;
}

ListHeader readListHeader(FieldReader& in) {
    ListHeader h;
    Field f;
    in.rewind();
    if (in.next(f) && f.text == "Problem no.") {
        in.skip(1); // the number; the mode follows
        in.next(f);
    }
    in.skip(1); // the saved path
    if (in.next(f) && f.text == "Multi / Sweep") {
        Field mode, count;
        if (in.next(mode) && in.next(count)) {
            h.sweepmode = mode.text;
            const double n = count.number().value_or(0.0);
            if (mode.text != "No" && !mode.text.empty()) h.nprob = boundedInt(n, 1, 32767);
        }
    }
    in.rewind();
    return h;
}

} // namespace kelva
