// The run button: checks and value ranges, run input, problem loop, result file, summaries.
#include "files/database.h"
#include "run/complist.h"
#include "run/problemfixture.h"
#include "run/rangecheck.h"
#include "run/runcontrol.h"
#include "run/summary.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <filesystem>
#include <functional>

namespace kelva::test {
namespace {

// A water problem of the given rows on the default database, in `dir`.
std::unique_ptr<ProgramState> windowState(const TempDir& dir,
                                          std::initializer_list<std::pair<const char*, const char*>> rows) {
    auto st = freshState();
    st->Directory = dir.path().string();
    st->Dbfile = sourcePath("data/default.DBS");
    EXPECT_TRUE(readdb(*st).ok);
    st->ProgMode = "Water";
    st->Sweepmode = "";
    for (auto [name, conc] : rows) {
        st->main.txtCompname = name;
        st->main.txtConc = conc;
        EXPECT_EQ(cmdAdd(*st), "");
    }
    return st;
}

// Neither the run input nor the result file can be written: the run says which, as an error.
TEST(RunChecks, UnwritableFilesAreReportedAsErrors) {
    TempDir dir;
    auto st = windowState(dir, {{"Na", "0.001"}, {"Cl", "0.001"}});
    std::filesystem::create_directory(dir.file("Tempo.out")); // a folder where the results go
    RunReport r = cmdRun(*st);
    EXPECT_EQ(std::tuple(r.ok, r.title), std::tuple(false, "Kelvaspec Error"));
    EXPECT_EQ(r.message.rfind("The result file could not be written: ", 0), 0u) << r.message;
    spit(dir.file("file"), "");
    st->Directory = dir.file("file"); // a working directory below a file
    r = cmdRun(*st);
    EXPECT_EQ(std::tuple(r.ran, r.ok, r.title), std::tuple(false, false, "Kelvaspec Error"));
    EXPECT_EQ(r.message.rfind("The run input could not be written: ", 0), 0u) << r.message;
}

TEST(Run, SingleProblemReplacesTheOldResultFileAndAStopAtTheLimitIsExplained) {
    TempDir dir;
    auto st = windowState(dir, {{"Na", "1"}, {"Cl", "1"}});
    spit(dir.file("Tempo.out"), "old results of another run\n");
    // the rows are read in the unit shown
    std::tie(st->main.lblUnits, st->main.lstpH, st->PhFixed, st->main.txtpH) =
        std::tuple("Millimol / l", "Fixed at...", "Yes", "6.5");
    RunReport r = cmdRun(*st);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(std::tuple(r.nprob, r.solved, r.resultFile), std::tuple(1, 1, dir.file("Tempo.out")));
    // 1 mmol/l handed over as a single-precision mol/l and read back from the run input
    EXPECT_DOUBLE_EQ(st->Tot[2], 0.001);
    const std::string out = slurp(dir.file("Tempo.out"));
    EXPECT_EQ(std::tuple(out.find("old results"), countOf(out, "\"RESULTS Prob. no. \"")),
              std::tuple(std::string::npos, 1));

    // A problem stopped at the iteration limit is explained.
    st->PhFixed = "No";
    st->Itermax = 50;
    r = cmdRun(*st);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(r.failing[1].size(), 1u); // a calculated pH: only the charge balance fails
    EXPECT_EQ(r.failing[1][0].rfind("charge balance off by", 0), 0u);
}

TEST(Run, AFailedRunKeepsThePreviousResultsAndTheShownProblem) {
    TempDir dir;
    auto st = windowState(dir, {{"Na", "0.001"}, {"Cl", "0.001"}});
    ASSERT_TRUE(cmdRun(*st).ok);
    const std::string good = slurp(dir.file("Tempo.out"));

    // An "Only multi" list of three whose second record cannot be read.
    writeList(*st, {"7", "8", "9"});
    std::string list = slurp(dir.file("temp01.dat"));
    list.replace(list.find("\"TempK\"", list.find("\"TempK\"") + 1), 7, "\"TempK\",abc");
    spit(dir.file("temp01.dat"), list.replace(list.find("\"Na\""), 4, "\"Sodium\"")); // read, then undone
    std::tie(st->main.lblNoprob, st->main.txtpH, st->rows[1].txtConc) = std::tuple("3", "9.5", " .002");
    const auto names = st->SpName; // the names the shown problem's rows gave its components
    RunReport r = cmdRun(*st);
    EXPECT_TRUE(r.ran && !r.ok && !r.stopped && slurp(dir.file("Tempo.out")) == good);
    EXPECT_NE(r.message.find("Problem 2 could not be read"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("previous run is kept"), std::string::npos) << r.message;
    EXPECT_EQ(std::tuple(st->Probno, st->main.lblNoprob, st->main.txtpH, st->rows[1].txtConc, st->Nmast),
              std::tuple(3, "3", "9.5", " .002", 2));
    for (int c = 1; c < 100; ++c) EXPECT_EQ(st->SpName[c], names[c]) << c;
}

// Worker threads have small stacks, far below the size of the state.
TEST(Run, RunsOnAThreadWithASmallStack) {
    TempDir dir;
    auto st = windowState(dir, {{"Ca", "0.001"}, {"Cl", "0.002"}});
    ASSERT_GT(sizeof(ProgramState), 2 * 256 * 1024u);
    std::pair<ProgramState*, RunReport> job{st.get(), {}};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 512 * 1024);
    pthread_t thread;
    auto body = [](void* p) -> void* {
        auto* j = static_cast<std::pair<ProgramState*, RunReport>*>(p);
        j->second = cmdRun(*j->first);
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, body, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    EXPECT_TRUE(job.second.ok) << job.second.message;
}

using RangeCheck = ProblemTest;

TEST_F(RangeCheck, RunButtonRefusesInTheOrderOfItsChecksAndWritesNothing) {
    const std::string deg = " \u00B0C", out = " lies outside the range ", ph = out + "0 to 14",
                      temp = deg + out + "0 to 100" + deg, prec = " %" + out + "above 0 up to 10 %",
                      amount = " g/l" + out + "0 g/l or more", p1 = "Problem 1: the ",
                      noSolids = "In sorption mode, the concentration of total solids must have a value > 0. "
                                 "Either change program mode or change solids value!";
    // clang-format off
    const std::pair<std::function<void(ProgramState&)>, std::string> cases[] = {
        {[](ProgramState& s) { s.main.txtDbVisible = false; s.main.txtSolids = "0"; },
         "Running Kelvaspec without connecting a database is not a particularly good idea"},
        {[](ProgramState& s) { s.rows = {}; s.Nmast = 0; s.main.txtSolids = "0"; },
         "You have to add components before running Kelvaspec"},
        {[](ProgramState& s) { addRow(s, "Unobtainium", "1"); }, "Component \"Unobtainium\" is not in the database"},
        {[](ProgramState& s) { s.main.txtSolids = "0"; }, noSolids},
        {[](ProgramState& s) { s.main.txtSolids = "-1"; }, noSolids},
        {[](ProgramState& s) { s.main.txtpH = "14.1"; }, p1 + "fixed pH 14.1" + ph},
        {[](ProgramState& s) { s.main.txtpH = "-0.25"; }, p1 + "fixed pH -.25" + ph},
        {[](ProgramState& s) { s.main.txtTemp = "-5"; }, p1 + "temperature -5" + temp},
        {[](ProgramState& s) { s.main.txtTemp = "100.5"; }, p1 + "temperature 100.5" + temp},
        {[](ProgramState& s) { s.Precision = 0; }, p1 + "required precision 0" + prec},
        {[](ProgramState& s) { s.Precision = 12; }, p1 + "required precision 12" + prec},
        {[](ProgramState& s) { s.main.txtFA = "150"; }, p1 + "amount of humic acid -1" + amount}, // FA above 100 %
        {[](ProgramState& s) { s.main.txtHA = "-1"; s.main.txtFA = "100"; }, p1 + "amount of fulvic acid -1" + amount},
        {[](ProgramState& s) { s.main.txtClay = "-2.5"; }, p1 + "amount of clay -2.5" + amount}};
    // clang-format on
    for (const auto& [set, message] : cases) {
        auto s = problemState(dir);
        set(*s);
        const RunReport r = cmdRun(*s);
        EXPECT_EQ(std::tuple(r.ran, r.title, r.message), std::tuple(false, "Kelvaspec Error", message));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("Temp.dat")) ||
                 std::filesystem::exists(dir.file("Tempo.out")));
}

TEST_F(RangeCheck, TheEdgesOfTheRangesAreInside) {
    for (const auto& [pH, temp, precision] : {std::tuple{"0", "0", 10.0f}, {"14", "100", 1e-6f}}) {
        st->main.txtpH = pH;
        st->main.txtTemp = temp;
        st->Precision = precision;
        EXPECT_EQ(shownRangeRefusal(*st), "") << pH << " " << temp;
    }
    st->main.txtpH = "99"; // a calculated pH starts from any guess
    st->PhFixed = "No";
    st->main.txtSolids = "-1"; // water mode has no solids
    st->ProgMode = "Water";
    EXPECT_EQ(shownRangeRefusal(*st), "");
}

TEST_F(RangeCheck, SweepsAreRefusedForTheFirstPHThatLeavesTheRange) {
    std::tie(st->Sweepmode, st->main.txtpH) = std::tuple("Sweep - increment", "4");
    st->Multino = 999;
    st->pHincr = 0.7;
    EXPECT_EQ(cmdRun(*st).message,
              "Problem 16: the fixed pH 14.5 lies outside the range 0 to 14 (the sweep starts at pH 4 "
              "and rises by .7 per problem). Problems 17\u2013999 lie outside the ranges too");
    st->Nsweep = 15; // as the run button sets it from Multino: the last pH is 13.8
    EXPECT_EQ(shownRangeRefusal(*st), "");

    st->Sweepmode = "Sweep - no increment";
    st->Multino = 4;
    st->SweeppH = {"", " 6", " 7", " 15", " 8"};
    const RunReport r = cmdRun(*st);
    EXPECT_EQ(std::tuple(r.ran, r.message),
              std::tuple(false, "Problem 3: the fixed pH 15 lies outside the range 0 to 14"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Temp.dat")) ||
                 std::filesystem::exists(dir.file("temp01.dat")));
}

TEST_F(RangeCheck, TheOtherProblemsOfAListAreReadFromTheScratchList) {
    writeList(*st, {"20", "120", "30"}, &MainForm::txtTemp);
    st->Probno = 2; // the shown problem replaces record 2 ...
    st->main.txtTemp = "25";
    EXPECT_EQ(shownRangeRefusal(*st), "");
    st->Probno = 1; // ... and record 2 counts when another one is shown
    EXPECT_EQ(shownRangeRefusal(*st),
              "Problem 2: the temperature 120 \u00B0C lies outside the range 0 to 100 \u00B0C");
}

TEST(Summary, ProblemNumbersReadAsRanges) {
    const std::vector<std::pair<std::vector<int>, std::string>> cases = {
        {{4}, "problem 4"},
        {{1, 2}, "problems 1, 2"},
        {{3, 5, 17, 18, 19, 999}, "problems 3, 5, 17\u201319, 999"},
        {{1, 3, 5, 7, 9, 11, 13, 15, 17, 18}, "problems 1, 3, 5, 7, 9, 11, 13, 15 and 2 more"},
    };
    for (const auto& [problems, text] : cases) EXPECT_EQ(problemRanges(problems), text);
}

} // namespace
} // namespace kelva::test
