// The sweep values the run refuses rather than running at pH 0.
#include "run/sweepgen.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace kelva::test {
namespace {

TEST(SweepValues, OnlyAWholeNumberIsANumber) {
    for (const char* s : {"6.5", " 7 ", "-.5", "+3", "1E-3", "2.5d1", "8."})
        EXPECT_TRUE(sweepgen::isNumberText(s)) << s;
    for (const char* s : {"", "  ", ".", "7,5", "7.5x", "1e", "--1"})
        EXPECT_FALSE(sweepgen::isNumberText(s)) << s;
}

TEST(SweepValues, TheRunRefusesValuesThatAreNoNumbers) {
    struct Case {
        std::string mode, txtpH, phFixed;
        double problems;
        bool step; // pHincr set
        std::vector<std::string> values;
        std::string refusal; // its start; empty: the run goes on
    };
    // clang-format off
    const Case cases[] = {
        {"Sweep - increment", "", "Yes", 3, true, {}, "The pH box of the input window, where the sweep starts"},
        {"Sweep - increment", "", "No", 3, true, {}, ""}, // a calculated pH needs no start
        {"Sweep - increment", "6", "Yes", 3, false, {}, "The pH increment of the sweep is empty."},
        {"Sweep - increment", "6", "Yes", 1, false, {}, ""}, // one problem needs no step
        {"Sweep - no increment", "", "Yes", 3, false, {"", "4", "x", "5"}, "The pH value of problem 2 of the sweep holds"},
        {"Sweep - no increment", "", "Yes", 2, false, {"", "4", "5", ""}, ""}, // beyond the count: not run
        {"Sweep - no increment", "", "Yes", 3, false, {"", "4"}, "The pH value of problem 2 of the sweep is empty."},
        {"Only multi", "", "Yes", 3, false, {}, ""}};
    // clang-format on
    for (const auto& c : cases) {
        auto st = freshState();
        st->Sweepmode = c.mode;
        st->main.txtpH = c.txtpH;
        st->PhFixed = c.phFixed;
        st->Multino = c.problems;
        if (c.step) st->pHincr = 0.5;
        st->SweeppH = c.values;
        const std::string said = sweepgen::runRefusal(*st);
        EXPECT_TRUE(said.rfind(c.refusal, 0) == 0 && said.empty() == c.refusal.empty())
            << c.mode << ": " << said;
    }
}

} // namespace
} // namespace kelva::test
