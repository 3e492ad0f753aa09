// Values the chemistry cannot mean are refused by the run button before anything is written,
// and the summary of many problems that stopped at the iteration limit.
#include "files/problemfile.h"
#include "run/problemfixture.h"
#include "run/problemlist.h"
#include "run/rangecheck.h"
#include "run/runcontrol.h"
#include "run/summary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace kelva;
using namespace kelva::test;

namespace {

using RangeCheck = ProblemTest;

TEST_F(RangeCheck, RunButtonRefusesEachValueOutsideItsRangeAndWritesNothing) {
    const std::string deg = " \u00B0C", out = " lies outside the range ", ph = out + "0 to 14",
                      temp = deg + out + "0 to 100" + deg, prec = " %" + out + "above 0 up to 10 %",
                      amount = " g/l" + out + "0 g/l or more";
    // clang-format off
    const std::pair<std::function<void(ProgramState&)>, std::string> cases[] = {
        {[](ProgramState& s) { s.main.txtpH = "14.1"; }, "fixed pH 14.1" + ph},
        {[](ProgramState& s) { s.main.txtpH = "-0.25"; }, "fixed pH -.25" + ph},
        {[](ProgramState& s) { s.main.txtTemp = "-5"; }, "temperature -5" + temp},
        {[](ProgramState& s) { s.main.txtTemp = "100.5"; }, "temperature 100.5" + temp},
        {[](ProgramState& s) { s.Precision = 0; }, "required precision 0" + prec},
        {[](ProgramState& s) { s.Precision = 12; }, "required precision 12" + prec},
        {[](ProgramState& s) { s.main.txtFA = "150"; }, "amount of humic acid -1" + amount}, // FA above 100 %
        {[](ProgramState& s) { s.main.txtHA = "-1"; s.main.txtFA = "100"; }, "amount of fulvic acid -1" + amount},
        {[](ProgramState& s) { s.main.txtClay = "-2.5"; }, "amount of clay -2.5" + amount}};
    // clang-format on
    for (const auto& [set, message] : cases) {
        auto s = problemState(dir);
        set(*s);
        const RunReport r = cmdRun(*s);
        EXPECT_EQ(std::tuple(r.ran, r.title, r.message),
                  std::tuple(false, "Kelvaspec Error", "Problem 1: the " + message));
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

// Each sweep is refused for its first pH outside the range, before anything is written.
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
    st->Sweepmode = "Only multi";
    st->Multino = 3;
    st->Nprob = 3;
    std::string list;
    int k = 0;
    for (const char* temp : {"20", "120", "30"}) {
        st->Probno = static_cast<i16>(++k);
        st->main.txtTemp = temp;
        FieldWriter out;
        Filesaver(*st, out);
        list += out.str();
    }
    spit(dir.file("temp01.dat"), list);
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

TEST(Summary, AFewFailuresOneLineEachManyAsASummary) {
    RunReport r;
    r.nprob = r.solved = 40;
    r.failing.resize(41);
    r.resultFile = "/w/Tempo.out";
    for (int k : {2, 7}) {
        r.limitProblems.push_back(k);
        r.failing[static_cast<std::size_t>(k)] = {"Cu: total off by 3.1 %", "charge balance off by 0.4 %"};
    }
    EXPECT_EQ(limitSummary(r, 50),
              "Problem 2 stopped at the iteration limit (50 iterations); still failing: Cu: "
              "total off by 3.1 %; charge balance off by 0.4 %\n"
              "Problem 7 stopped at the iteration limit (50 iterations); still failing: Cu: "
              "total off by 3.1 %; charge balance off by 0.4 %\n");

    for (int k = 20; k <= 40; ++k) {
        r.limitProblems.push_back(k);
        r.failing[static_cast<std::size_t>(k)] = {"a", "b", "c", "d", "e", "f"};
    }
    EXPECT_EQ(limitSummary(r, 50),
              "23 of 40 problems stopped at the iteration limit (50 iterations): problems 2, 7, 20\u201340\n"
              "Problem 2 still failing: Cu: total off by 3.1 %; charge balance off by 0.4 %\n"
              "Problem 7 still failing: Cu: total off by 3.1 %; charge balance off by 0.4 %\n"
              "Problem 20 still failing: a; b; c; d; and 2 more\n"
              "Each is marked \"ERROR - Exceedance of no. of iterations\" in the result file /w/Tempo.out\n");
    EXPECT_EQ(limitSummary(RunReport{}, 50), "");
}

} // namespace
