// The sweep values the run refuses rather than running at pH 0.
#include "run/runcontrol.h"
#include "run/sweepgen.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace kelva::test {
namespace {

TEST(SweepValues, OnlyAWholeNumberIsANumber) {
    for (const char* s : {"6.5", " 7 ", "-.5", "+3", "1E-3", "2.5d1", "8."})
        EXPECT_TRUE(sweepgen::isNumberText(s)) << s;
    for (const char* s : {"", "  ", ".", "7,5", "7.5x", "1e", "pH 7", "--1", "1e+"})
        EXPECT_FALSE(sweepgen::isNumberText(s)) << s;
}

struct SweepCase {
    const char* name;
    std::string mode;
    std::string txtpH;
    bool fixed;
    double problems;
    bool increment; // pHincr set (to 0.5)
    std::vector<std::string> values;
    std::string refusal; // the start of the message; empty: the run goes on
};

TEST(SweepValues, TheRunRefusesValuesThatAreNoNumbers) {
    const SweepCase cases[] = {
        {"empty start",
         "Sweep - increment",
         "",
         true,
         3,
         true,
         {},
         "The pH box of the input window, where the sweep starts (problem 1), is empty."},
        {"calculated pH needs no start", "Sweep - increment", "", false, 3, true, {}, ""},
        {"file without a step",
         "Sweep - increment",
         "6",
         true,
         3,
         false,
         {},
         "The pH increment of the sweep is empty."},
        {"one problem needs no step", "Sweep - increment", "6", true, 1, false, {}, ""},
        {"a value that is no number",
         "Sweep - no increment",
         "",
         true,
         3,
         false,
         {"", "4", "x", "5"},
         "The pH value of problem 2 of the sweep holds \"x\", which is not a number."},
        {"values beyond the count are not run",
         "Sweep - no increment",
         "",
         true,
         2,
         false,
         {"", "4", "5", ""},
         ""},
        {"missing values",
         "Sweep - no increment",
         "",
         true,
         3,
         false,
         {"", "4"},
         "The pH value of problem 2 of the sweep is empty."},
        {"a list of problems", "Only multi", "", true, 3, false, {}, ""},
    };
    for (const auto& c : cases) {
        auto st = freshState();
        st->Sweepmode = c.mode;
        st->main.txtpH = c.txtpH;
        st->PhFixed = c.fixed ? "Yes" : "No";
        st->Multino = c.problems;
        if (c.increment) st->pHincr = 0.5;
        st->SweeppH = c.values;
        const std::string said = sweepgen::runRefusal(*st);
        EXPECT_EQ(said.substr(0, c.refusal.size()), c.refusal) << c.name << ": " << said;
        EXPECT_EQ(said.empty(), c.refusal.empty()) << c.name << ": " << said;
    }
}

} // namespace
} // namespace kelva::test
