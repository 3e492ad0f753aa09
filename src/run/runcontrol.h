// The road of a run without windows: the problem list in, one result block per problem out.
//
// cmdRun is the run button: it checks the input, writes the problem or list to the run input
// "Temp.dat" and solves it into "Tempo.out" in the working directory. runList is the loop it
// ends in, shared with the batch runner, which reads a problem file directly.
#pragma once

#include "files/fields.h"
#include "state/state.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelva {

// Progress of a run: the problem being solved (1-based, of n) and the iteration count.
struct RunProgress {
    std::function<void(int runprob, int nprob)> onProblem;
    std::function<void(int iter)> onIter;
};

// What a run reports back. A refused run has `ran` false and a message for a message box
// with the title "Kelvaspec Error"; a run that stopped on a problem it could not read or
// solve has `ran` true, `ok` false and the reason in `message`; a run stopped on request
// (ProgramState::stopRequest) has `stopped` true as well.
struct RunReport {
    bool ran = false;
    bool ok = false;
    bool stopped = false;
    std::string title;
    std::string message;
    int nprob = 0;
    int solved = 0;                             // problems solved and written
    int threads = 1;                            // threads the problems were solved on
    std::vector<int> limitProblems;             // problems that stopped at the iteration limit
    std::vector<std::vector<std::string>> failing; // per problem 1..nprob: tests still failing
    std::vector<int> iterations;                // per problem 1..nprob of limitProblems: Iter at the end
    // Advice for problems that stopped at the iteration limit (empty when there is none).
    std::string suggestion;
    std::string resultFile;                     // path of the result file written (empty: none)
};

inline constexpr const char* kRunErrorTitle = "Kelvaspec Error";
inline constexpr const char* kNoDatabaseMessage =
    "Running Kelvaspec without connecting a database is not a particularly good idea";
inline constexpr const char* kNoComponentsMessage = "You have to add components before running Kelvaspec";
inline constexpr const char* kNoSolidsMessage =
    "In sorption mode, the concentration of total solids must have a value > 0. Either change program mode or "
    "change solids value!";
inline constexpr const char* kStoppedMessage =
    "The run was stopped. No results were written; the result file of the previous run is kept.";
inline constexpr const char* kResultKeptNote = "No results were written; the result file of the previous run is kept.";

inline constexpr const char* kNewtonSuggestion =
    "Problems that stop at the iteration limit of the successive substitution solver usually converge with the "
    "Newton solver: choose it as the solver and run them again.";

// Options of the per-problem loop.
struct ListRunOptions {
    int nprob = 1;
    // The list's kind ("Only multi", a sweep, ...) as its first record states it.
    std::string sweepmode;
    // Solve the problems of an "Only multi" list on this many threads; the result text is the
    // same as with one. Sweeps always run in order, since each continues from the previous.
    int jobs = 1;
    // Applied to each problem right after it is read (the batch runner's overrides).
    std::function<void(ProgramState&)> afterRead;
    // When set, each result block is handed here, in problem order, as soon as it can be (the
    // batch runner streams them into the result file), and the result text stays empty.
    std::function<void(std::string_view block)> onBlock;
};

// Reads, solves and writes the problems of a list. `in` stands at the list's first record;
// `resultText` receives the result blocks in problem order (or opt.onBlock does). The loop
// stops at a record it cannot read or a problem the engine refuses, keeping the blocks written
// so far.
void runList(ProgramState& st, FieldReader& in, const ListRunOptions& opt, const RunProgress& progress,
             std::string& resultText, RunReport& report);

// The run button's refusals (no database, no components, no solids in sorption mode, then
// components the run cannot take, then a sweep pH value that is empty or no number): true with
// the message in `report` when the run must not start. Reads the state only.
bool refuseRun(const ProgramState& st, RunReport& report);

// The run button: checks, the run input, the loop, the result file. Problems that stop at the
// iteration limit are listed in the report; the result file carries their error line. Only a
// complete run replaces "Tempo.out". Afterwards the state shows the problem it showed before
// (the list's problems were read into it); the engine's arrays hold the last problem solved.
// The run stops when st.stopRequest is set (from another thread).
RunReport cmdRun(ProgramState& st, const RunProgress& progress = {});

// The list kind and length stated by the first record of a problem file.
struct ListHeader {
    std::string sweepmode;
    int nprob = 1;
};
// The reader is rewound afterwards.
ListHeader readListHeader(FieldReader& in);

} // namespace kelva
