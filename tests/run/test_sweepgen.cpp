// The multi-problem and sweep generator without its window, and the sweep values the run
// refuses rather than running at pH 0.
#include "files/database.h"
#include "run/problemfixture.h"
#include "run/sweepgen.h"

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

// The generator without its window: the entries offered, a selection, a sweep saved to the
// problem, a refused increment, the pages of separate values, and "Cancel and Back".
TEST(SweepGenerator, FromTheEntriesOfferedToASavedSweepAndBackToRest) {
    TempDir dir;
    auto st = problemState(dir); // Na+ and Ca+2 in soil mode, with a small database
    ASSERT_TRUE(readdb(*st).ok);
    auto& w = st->sweep;
    sweepgen::load(*st);
    sweepgen::chkpHClick(*st); // fills the entries: components, DOC, then what they can form
    EXPECT_EQ(w.cboComp2, (std::vector<std::string>{"Na+", "Ca+2", "DOC", "NaOH"}));
    EXPECT_EQ(std::tuple(w.chkpH, w.chkMulti, w.startIncrVisible, st->Sweepmode),
              std::tuple(true, false, true, "Sweep - increment"));
    sweepgen::chooseEntry(*st, "NaOH");
    sweepgen::chooseUnit(*st, "Activity");
    EXPECT_EQ(sweepgen::cmdAdd(*st), sweepgen::AddResult::Added);
    sweepgen::chooseEntry(*st, "DOC"); // DOC comes in mg/l only
    EXPECT_EQ(w.lstUnit, std::vector<std::string>{kConcMgItem});
    w.cboComp2Text = " ";
    EXPECT_EQ(sweepgen::cmdAdd(*st), sweepgen::AddResult::NothingChosen);
    sweepgen::chooseEntry(*st, "Na+"); // a component keeps the unit chosen before where it can
    EXPECT_EQ(w.lstUnitText, "Concentration");
    for (int i = 3; i <= 8; ++i) EXPECT_EQ(sweepgen::cmdAdd(*st), sweepgen::AddResult::Added);
    EXPECT_EQ(sweepgen::cmdAdd(*st), sweepgen::AddResult::Full); // pH and seven entries

    std::tie(w.txtStartpH, w.txtIncpH) = std::tuple("4.5", "x");
    sweepgen::setSweepno(*st, "5");
    const auto refused = sweepgen::cmdSave(*st);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->message,
              "The box \"Increment between values\" holds \"x\", which is not a number. Type the pH "
              "step from one problem to the next, for example 0.5.");
    w.txtIncpH = ".5";
    ASSERT_FALSE(sweepgen::cmdSave(*st).has_value());
    EXPECT_EQ(std::tuple(st->Nsweep, st->Multino.v, st->pHincr.v, st->Nsel.v, st->main.txtpH, st->PhFixed),
              std::tuple(5, 5.0, 0.5, 8.0, "4.5", "Yes"));
    EXPECT_EQ(std::tuple(st->Selname[2], st->Seltype[2], st->Selname[8]),
              std::tuple("NaOH", "Activity", "Na+"));

    sweepgen::setSweepno(*st, "15"); // separate values: a page of ten, then five
    sweepgen::cmdSepar(*st);
    EXPECT_EQ(std::tuple(st->Sweepmode, w.cmdNext10Visible, w.cmdNext10Caption, w.txtSweepvalVisible[10]),
              std::tuple("Sweep - no increment", true, "Next 5", true));
    sweepgen::cmdNext10(*st);
    sweepgen::setSweepval(*st, 5, "8");
    EXPECT_EQ(std::tuple(w.Pagestart, w.cmdPrev10Visible, w.txtSweepvalVisible[5], w.txtSweepvalVisible[6],
                         st->SweeppH[15]),
              std::tuple(10, true, true, false, "8"));
    EXPECT_EQ(sweepgen::cmdSave(*st)->message,
              "The pH value of problem 1 is empty. Type the pH of that problem, for example 6.5.");
    EXPECT_EQ(w.Pagestart, 0); // the page moves to the value refused

    st->main.lblNoprob = "3"; // as if a later problem of a list were shown
    sweepgen::cmdCancel(*st);
    EXPECT_EQ(std::tuple(st->Sweepmode, w.chkpH, w.chkMulti, st->Multicap, w.lblConame[2], st->SweeppH[15],
                         st->main.lblNoprob),
              std::tuple("No", false, false, "0", "", "", "1"));
}

} // namespace
} // namespace kelva::test
