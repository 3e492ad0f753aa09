// The run button without windows: checks, run input, per-problem loop, result file.
#include "engine/engine.h"
#include "files/database.h"
#include "files/fields.h"
#include "files/resultfile.h"
#include "run/complist.h"
#include "run/problemlist.h"
#include "run/readinput.h"
#include "run/runcontrol.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace kelva::test {
namespace {

// A window state with the default database connected and a working directory of its own.
std::unique_ptr<ProgramState> windowState(const TempDir& dir) {
    auto st = freshState();
    st->Directory = dir.path().string();
    st->Dbfile = sourcePath("data/default.DBS");
    EXPECT_TRUE(readdb(*st).ok);
    st->ProgMode = "Water";
    st->Sweepmode = "";
    return st;
}

void add(ProgramState& st, const std::string& name, const std::string& conc) {
    st.main.txtCompname = name;
    st.main.txtConc = conc;
    EXPECT_EQ(cmdAdd(st), "");
}

std::string slurp(const std::string& path) {
    auto s = readWholeFile(path);
    return s ? *s : std::string();
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

TEST(RunChecks, RefusalsInTheirOrderAndNothingWritten) {
    TempDir dir;
    auto st = freshState();
    st->Directory = dir.path().string();
    RunReport r = cmdRun(*st);
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(r.title, "Kelvaspec Error");
    EXPECT_EQ(r.message, "Running Kelvaspec without connecting a database is not a particularly good idea");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Temp.dat")));

    st = windowState(dir);
    r = cmdRun(*st);
    EXPECT_EQ(r.message, "You have to add components before running Kelvaspec");

    add(*st, "Na", "0.001");
    st->ProgMode = "Soil";
    for (const char* solids : {"0", "-1"}) {
        st->main.txtSolids = solids;
        r = cmdRun(*st);
        EXPECT_FALSE(r.ran);
        EXPECT_EQ(r.message, "In sorption mode, the concentration of total solids must have a value > 0. Either "
                             "change program mode or change solids value!");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("Tempo.out")));

    st->ProgMode = "Water"; // the same input runs in water mode
    r = cmdRun(*st);
    EXPECT_TRUE(r.ok) << r.message;
}

TEST(RunChecks, ComponentMissingFromTheDatabaseIsRefused) {
    TempDir dir;
    auto st = windowState(dir);
    add(*st, "Na", "0.001");
    add(*st, "Unobtainium", "0.001");
    const RunReport r = cmdRun(*st);
    EXPECT_FALSE(r.ran);
    EXPECT_NE(r.message.find("Unobtainium"), std::string::npos) << r.message;
}

TEST(Run, SingleProblemReplacesTheOldResultFile) {
    TempDir dir;
    auto st = windowState(dir);
    std::ofstream(dir.file("Tempo.out")) << "old results of another run\n";
    add(*st, "Na", "1");
    add(*st, "Cl", "1");
    st->main.lblUnits = "Millimol / l"; // the rows are read in the unit shown
    st->main.lstpH = "Fixed at...";
    st->PhFixed = "Yes";
    st->main.txtpH = "6.5";
    const RunReport r = cmdRun(*st);
    ASSERT_TRUE(r.ok) << r.message;
    // 1 mmol/l handed over as a single-precision mol/l and read back from the run input
    EXPECT_DOUBLE_EQ(st->Tot[2], 0.001);
    const std::string out = slurp(dir.file("Tempo.out"));
    EXPECT_EQ(out.find("old results"), std::string::npos);
    EXPECT_EQ(countOf(out, "\"RESULTS Prob. no. \""), 1);
    ResultBlock b;
    std::string err;
    ASSERT_TRUE(readResultFile(dir.file("Tempo.out"), 1, b, err)) << err;
    EXPECT_DOUBLE_EQ(b.pH, 6.5);
    EXPECT_EQ(b.mode.value_or(""), "Water");
    EXPECT_FALSE(b.hasKdSection);
    // the run input holds the problem as the record writer writes it
    EXPECT_NE(slurp(dir.file("Temp.dat")).find("\"Equilibrium pH\",6.5"), std::string::npos);
}

TEST(Run, IncrementalSweepSolvesOneRecordFiveTimesWithRisingPH) {
    TempDir dir;
    auto st = windowState(dir);
    add(*st, "Ca", "0.001");
    add(*st, "Cl", "0.002");
    add(*st, "Cu", "0.000001");
    st->main.txtHA = "0.1";
    st->main.txtFA = "50";
    st->main.txtSolids = "10";
    st->ProgMode = "Soil";
    st->PhFixed = "Yes";
    st->main.txtpH = "6.0";
    st->Sweepmode = "Sweep - increment";
    st->Multino = 5;
    st->pHincr = 0.5;
    std::vector<int> seen;
    RunProgress progress;
    progress.onProblem = [&](int k, int n) {
        EXPECT_EQ(n, 5);
        seen.push_back(k);
    };
    const RunReport r = cmdRun(*st, progress);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(countOf(slurp(dir.file("Temp.dat")), "\"END\""), 1);
    for (int k = 1; k <= 5; ++k) {
        ResultBlock b;
        std::string err;
        ASSERT_TRUE(readResultFile(dir.file("Tempo.out"), k, b, err)) << err;
        EXPECT_EQ(b.probno, k);
        EXPECT_EQ(b.nprob, 5);
        EXPECT_DOUBLE_EQ(b.pH, 6.0 + 0.5 * (k - 1));
        EXPECT_TRUE(b.hasKdSection);
        EXPECT_EQ(b.sweep.present, k == 1); // the selection travels in problem 1's block only
    }
}

TEST(Run, IterationLimitIsMarkedAndExplained) {
    TempDir dir;
    auto st = windowState(dir);
    add(*st, "Na", "0.001");
    add(*st, "Cl", "0.001");
    st->PhFixed = "No";
    st->Itermax = 50;
    const RunReport r = cmdRun(*st);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.limitProblems, std::vector<int>{1});
    ASSERT_FALSE(r.failing[1].empty());
    EXPECT_NE(r.failing[1][0].find("charge balance off by"), std::string::npos);
    EXPECT_NE(slurp(dir.file("Tempo.out")).find("\"ERROR - Exceedance of no. of iterations\""), std::string::npos);
}

// The tables hold kcal/mol whatever unit the editor shows: the display option never reaches
// the run, and runs never change the tables.
TEST(Run, DeltaHUnitShownInTheEditorDoesNotChangeTheRun) {
    TempDir dir;
    auto kcal = windowState(dir);
    add(*kcal, "Na", "0.001");
    add(*kcal, "CO3", "0.001");
    kcal->main.txtTemp = "10.0";
    ASSERT_TRUE(cmdRun(*kcal).ok);
    const std::string expected = slurp(dir.file("Tempo.out"));

    auto kj = windowState(dir);
    add(*kj, "Na", "0.001");
    add(*kj, "CO3", "0.001");
    kj->main.txtTemp = "10.0";
    kj->Dhunit = 2;
    kj->optKJ = true;
    const double stored = kj->SpDeltaH[101].v;
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(cmdRun(*kj).ok);
        EXPECT_DOUBLE_EQ(kj->SpDeltaH[101].v, stored);
        EXPECT_EQ(slurp(dir.file("Tempo.out")), expected);
    }
}

// A problem that the run reads but cannot solve (a record whose temperature is text) after a
// good one: the list stops there.
void breakSecondProblem(const TempDir& dir) {
    std::string list = slurp(dir.file("temp01.dat"));
    const auto second = list.find("\"TempK\"", list.find("\"TempK\"") + 1);
    list.replace(second, 7, "\"TempK\",abc");
    std::ofstream(dir.file("temp01.dat"), std::ios::binary) << list;
}

TEST(Run, AFailedOrStoppedRunKeepsThePreviousResultsAndTheShownProblem) {
    TempDir dir;
    auto st = windowState(dir);
    add(*st, "Na", "0.001");
    add(*st, "Cl", "0.001");
    ASSERT_TRUE(cmdRun(*st).ok);
    const std::string good = slurp(dir.file("Tempo.out"));

    // An "Only multi" list of three whose second record cannot be read.
    st->Sweepmode = "Only multi";
    st->Multino = 3;
    st->Nsweep = 3;
    std::string err;
    ASSERT_TRUE(cmdNextprob(*st, err)) << err;
    st->main.txtpH = "8";
    ASSERT_TRUE(cmdNextprob(*st, err)) << err;
    st->main.txtpH = "9";
    ASSERT_TRUE(cmdPrevprob(*st, err)) << err; // problem 3 stored
    breakSecondProblem(dir);
    st->Probno = 3; // problem 3 shown again
    st->main.lblNoprob = "3";
    st->main.txtpH = "9.5";
    st->rows[1].txtConc = " .002";
    RunReport r = cmdRun(*st);
    EXPECT_TRUE(r.ran && !r.ok && !r.stopped);
    EXPECT_NE(r.message.find("Problem 2 could not be read"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("previous run is kept"), std::string::npos) << r.message;
    EXPECT_EQ(slurp(dir.file("Tempo.out")), good);
    EXPECT_EQ(std::tuple(st->Probno, st->main.lblNoprob, st->main.txtpH, st->rows[1].txtConc, st->Nmast),
              std::tuple(3, "3", "9.5", " .002", 2));

    // Stopped on request during problem 1: nothing written, the same problem shown.
    std::atomic<bool> stop{false};
    st->stopRequest = &stop;
    st->Sweepmode = "No";
    st->Probno = st->Nprob = 1;
    RunProgress progress;
    progress.onIter = [&](int iter) {
        if (iter == 3) stop = true;
    };
    r = cmdRun(*st, progress);
    EXPECT_TRUE(r.ran && !r.ok && r.stopped);
    EXPECT_EQ(r.message, kStoppedMessage);
    EXPECT_EQ(slurp(dir.file("Tempo.out")), good);
    EXPECT_EQ(std::tuple(st->main.txtpH, st->Nmast), std::tuple("9.5", 2));
}

TEST(Run, AnIncrementalSweepLeavesTheWindowOnItsProblemWithItsSelection) {
    TempDir dir;
    auto st = windowState(dir);
    add(*st, "Na", "0.001");
    add(*st, "Cl", "0.001");
    st->PhFixed = "Yes";
    st->main.txtpH = "6";
    st->Sweepmode = "Sweep - increment";
    st->Multino = 3;
    st->pHincr = 1.0;
    st->Nsel = 2;
    st->Selname = {"", "pH", "Na"};
    st->Seltype = {"", "", "Activity"};
    ASSERT_TRUE(cmdRun(*st).ok);
    EXPECT_EQ(std::tuple(st->Probno, st->main.txtpH), std::tuple(1, "6"));
    std::string err;
    ASSERT_TRUE(saveInputFile(*st, dir.file("sweep.DAT"), err)) << err;
    EXPECT_NE(slurp(dir.file("sweep.DAT")).find("\"Selected sweep results:\",2,\"pH\""), std::string::npos);
}

// A worker thread has a small stack (Qt's and many platforms' default is far below the size of
// the state): a run must keep nothing that large on its stack.
TEST(Run, RunsOnAThreadWithASmallStack) {
    TempDir dir;
    auto st = windowState(dir);
    add(*st, "Ca", "0.001");
    add(*st, "Cl", "0.002");
    ASSERT_GT(sizeof(ProgramState), 2 * 256 * 1024u);
    struct Job {
        ProgramState* st;
        RunReport report;
    } job{st.get(), {}};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 512 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(
                  &thread, &attr,
                  [](void* p) -> void* {
                      auto* j = static_cast<Job*>(p);
                      j->report = cmdRun(*j->st);
                      return nullptr;
                  },
                  &job),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    EXPECT_TRUE(job.report.ok) << job.report.message;
}

} // namespace
} // namespace kelva::test
