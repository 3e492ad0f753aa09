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

struct RefusalCase {
    const char* what;
    std::function<void(ProgramState&)> set;
    const char* message;
};

TEST_F(RangeCheck, RunButtonRefusesEachValueOutsideItsRangeAndWritesNothing) {
    const std::vector<RefusalCase> cases = {
        {"pH above 14", [](ProgramState& s) { s.main.txtpH = "14.5"; },
         "Problem 1: the fixed pH 14.5 lies outside the range 0 to 14"},
        {"pH below 0", [](ProgramState& s) { s.main.txtpH = "-0.25"; },
         "Problem 1: the fixed pH -.25 lies outside the range 0 to 14"},
        {"freezing", [](ProgramState& s) { s.main.txtTemp = "-5"; },
         "Problem 1: the temperature -5 \u00B0C lies outside the range 0 to 100 \u00B0C"},
        {"boiling", [](ProgramState& s) { s.main.txtTemp = "150"; },
         "Problem 1: the temperature 150 \u00B0C lies outside the range 0 to 100 \u00B0C"},
        {"precision 0", [](ProgramState& s) { s.Precision = 0; },
         "Problem 1: the required precision 0 % lies outside the range above 0 up to 10 %"},
        {"precision 12", [](ProgramState& s) { s.Precision = 12; },
         "Problem 1: the required precision 12 % lies outside the range above 0 up to 10 %"},
        {"fulvic share above 100 %", [](ProgramState& s) { s.main.txtFA = "150"; },
         "Problem 1: the amount of humic acid -1 g/l lies outside the range 0 g/l or more"},
        {"negative fulvic acid",
         [](ProgramState& s) {
             s.main.txtHA = "-1";
             s.main.txtFA = "100";
         },
         "Problem 1: the amount of fulvic acid -1 g/l lies outside the range 0 g/l or more"},
        {"negative clay", [](ProgramState& s) { s.main.txtClay = "-2.5"; },
         "Problem 1: the amount of clay -2.5 g/l lies outside the range 0 g/l or more"},
    };
    for (const auto& c : cases) {
        auto s = problemState(dir);
        c.set(*s);
        const RunReport r = cmdRun(*s);
        EXPECT_FALSE(r.ran) << c.what;
        EXPECT_EQ(r.title, "Kelvaspec Error") << c.what;
        EXPECT_EQ(r.message, c.message) << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("Temp.dat")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Tempo.out")));
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

TEST_F(RangeCheck, AnIncrementSweepIsRefusedForTheFirstPHThatLeavesTheRange) {
    st->Sweepmode = "Sweep - increment";
    st->Multino = 999;
    st->pHincr = 0.7;
    st->main.txtpH = "4";
    const RunReport r = cmdRun(*st);
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(r.message,
              "Problem 16: the fixed pH 14.5 lies outside the range 0 to 14 (the sweep starts at pH 4 "
              "and rises by .7 per problem). Problems 17\u2013999 lie outside the ranges too");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Temp.dat")));

    st->Nsweep = 15; // as the run button sets it from Multino: the last pH is 13.8
    EXPECT_EQ(shownRangeRefusal(*st), "");
}

TEST_F(RangeCheck, EachTypedPHOfASweepWithoutIncrementIsChecked) {
    st->Sweepmode = "Sweep - no increment";
    st->Multino = 4;
    st->SweeppH = {"", " 6", " 7", " 15", " 8"};
    const RunReport r = cmdRun(*st);
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(r.message, "Problem 3: the fixed pH 15 lies outside the range 0 to 14");
    EXPECT_FALSE(std::filesystem::exists(dir.file("temp01.dat")));
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
