// The result windows' routines without windows: what a result file puts in st.out, and what
// happens with files that state more than they hold or carry no sweep selection.
#include "files/result_fixture.h"
#include "run/resultform.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <functional>

namespace kelva {
namespace {

using test::freshState;

// A run of n problems over pH 4, 5, ... with pH and the Na concentration selected.
std::string runText(int n, bool sweepBlock, const std::function<void(ProgramState&, int)>& vary = {}) {
    return test::runText(n, {{"pH", ""}, {"Na", "Concentration"}}, vary, sweepBlock);
}

class ResultForm : public ::testing::Test {
  protected:
    // Shows problem 1 of `text`, saved as the file the user opened.
    bool open(const std::string& text, std::string& err) {
        EXPECT_TRUE(writeFileAtomic(dir.file("run.OUT"), text, err)) << err;
        st->Outflag = "c";
        st->Outfile = dir.file("run.OUT");
        return loadResultFile(*st, err);
    }
    std::vector<std::string> column(int c) const {
        std::vector<std::string> v;
        for (const auto& row : st->out.grdSweep) v.push_back(row.at(static_cast<std::size_t>(c)));
        return v;
    }

    test::TempDir dir;
    std::unique_ptr<ProgramState> st = freshState();
};

TEST_F(ResultForm, StoppedProblemsAreTakenFromTheFileNotFromTheLastRun) {
    st->setIterr(1, 1); // a flag of some earlier run
    std::string err;
    ASSERT_TRUE(open(runText(3, true, [](ProgramState& s, int k) { s.setIterr(k, k == 2); }), err)) << err;
    EXPECT_EQ(column(0), (std::vector<std::string>{"Problem no.", "", " 1", "!!ERROR!!", " 3"}));
    EXPECT_EQ(st->out.grdSweepError, (std::vector<bool>{false, false, false, true, false}));
    EXPECT_EQ(column(1), (std::vector<std::string>{"pH", "", " 4", " 5", " 6"}));
    EXPECT_EQ(std::tuple(st->out.lblErrorVisible, st->Multicap), std::tuple(false, "1"));

    ASSERT_TRUE(pickProblem(*st, " 2", err)) << err; // the table stays as built
    EXPECT_EQ(std::tuple(st->out.lblErrorVisible, st->out.txtProbno, st->out.grdSweep.size()),
              std::tuple(true, " 2", 5u));
}

TEST_F(ResultForm, ARunCutShortOffersOnlyTheProblemsItWrote) {
    std::string text = runText(3, true);
    text.erase(text.find("\"RESULTS Prob. no. \",3")); // the third problem was never written
    std::string err;
    ASSERT_TRUE(open(text, err)) << err;
    EXPECT_EQ(std::tuple(st->Nswprob, st->out.grdSweep.size()), std::tuple(2, 4u));
    EXPECT_EQ(st->out.cboProbnoItems, (std::vector<std::string>{" 1", " 2"}));
    EXPECT_FALSE(pickProblem(*st, " 3", err)); // another problem can still be picked
    EXPECT_EQ(std::tuple(err, st->out.txtpH, st->out.selectorVisible),
              std::tuple("run.OUT: the file holds no block for problem 3", "", true));
    ASSERT_TRUE(pickProblem(*st, " 2", err)) << err;
    EXPECT_EQ(st->out.txtpH, " 5");
}

TEST_F(ResultForm, AFileWithoutSweepBlockDoesNotInheritTheLastSelection) {
    std::string err;
    ASSERT_TRUE(open(runText(2, true), err)) << err;
    EXPECT_EQ(st->out.grdSweep.front(), (std::vector<std::string>{"Problem no.", "pH", "Na"}));
    ASSERT_TRUE(open(runText(2, false), err)) << err;
    EXPECT_EQ(st->Nswsel, 1);
    EXPECT_EQ(st->out.grdSweep, (TextTable{{"Problem no.", ""}, {"", ""}, {" 1", ""}, {" 2", ""}}));
    // A single problem: no selector, no table.
    ASSERT_TRUE(open(runText(1, true), err)) << err;
    EXPECT_TRUE(!st->out.selectorVisible && st->out.cboProbnoItems.empty());
}

TEST_F(ResultForm, ModeFollowsTheFileAndOldFilesShowWhatTheyHold) {
    std::string err;
    ASSERT_TRUE(open(runText(1, false, [](ProgramState& s, int) { s.ProgMode = "Water"; }), err)) << err;
    EXPECT_EQ(std::tuple(st->ProgMode, st->out.soilMode, st->out.grdTotals.size()),
              std::tuple("Water", false, 2u));
    // An older soil file without the mode line: its Kd section is shown, the mode stays.
    std::string old = runText(1, false);
    old.erase(old.find("\"Program mode \""), std::string("\"Program mode \",\"Soil\"\r\n").size());
    ASSERT_TRUE(open(old, err)) << err;
    EXPECT_EQ(std::tuple(st->ProgMode, st->out.soilMode), std::tuple("Water", true));
    EXPECT_EQ(st->out.grdTotals.at(1), (std::vector<std::string>{"Na", "1.2500E-01", "250.00", "250.00"}));
}

TEST_F(ResultForm, MiscellaneousAndSpeciesWindowsOfABlock) {
    std::string err;
    auto clay = [](ProgramState& s, int k) {
        s.Fclay = k == 2 ? 0.25 : 0.0;
        s.Rclay = 4.0;
    };
    ASSERT_TRUE(open(runText(2, true, clay), err)) << err;
    const auto& o = st->out;
    EXPECT_EQ((std::vector<std::string>{o.txtIter, o.txtZedha, o.txtZedfa, o.txtRatioha, o.txtRatiofa,
                                        o.txtRatioclay, o.txtHADDL, o.txtFADDL, o.txtClayDDL, o.txtSol}),
              (std::vector<std::string>{" 12", "-2.5000E-03 ", "-5.0000E-03 ", " 2", " 3.5", " 4", "1.000",
                                        "2.000", "0.000", "100.000"}));
    EXPECT_TRUE(!o.ratioClayVisible && !o.txtDOC.empty()); // no clay layer in problem 1; its DOC
    EXPECT_EQ(o.grdFractmast.back(), (std::vector<std::string>{"Cl", "100.000", "0.000", "0.000", "0.000",
                                                               "0.000", "0.000"})); // the last master too
    EXPECT_EQ(o.grdSpecies, (TextTable{{"", "Concentration", "Activity", "Log activity"},
                                       {"Cl", "5.0000E-01", "4.0000E-01", "-0.398"},
                                       {"H", "1.0000E-07", "1.0000E-07", "-7.000"},
                                       {"Na", "1.2500E-01", "1.0000E-01", "-1.000"},
                                       {"OH", "1.0000E-07", "1.0000E-07", "-7.000"}})); // alphabetical
    ASSERT_TRUE(pickProblem(*st, "2", err)) << err;
    EXPECT_TRUE(o.ratioClayVisible);
    EXPECT_FALSE(pickProblem(*st, "3", err)); // a block that is not there empties the windows
    EXPECT_EQ(std::tuple(o.grdFractmast.size(), o.grdSpecies.size(), o.txtRatiofa), std::tuple(2u, 2u, ""));
}

TEST_F(ResultForm, SavingCopiesTheShownFileOrNothing) {
    std::string err;
    const std::string text = runText(2, true);
    ASSERT_TRUE(open(text, err)) << err;
    ASSERT_TRUE(saveResultFile(*st, dir.file("copy.OUT"), err)) << err;
    EXPECT_EQ(readWholeFile(dir.file("copy.OUT")), text);
    st->Outflag = "t";
    st->Directory = dir.path().string(); // no Tempo.out there
    EXPECT_FALSE(saveResultFile(*st, dir.file("copy.OUT"), err));
    EXPECT_EQ(err, "Tempo.out: the file cannot be opened");
    EXPECT_EQ(readWholeFile(dir.file("copy.OUT")), text);
    err.clear();
    EXPECT_FALSE(pickProblem(*st, "2", err)); // nor can another problem be picked from it
    EXPECT_EQ(err, "Tempo.out: the file cannot be opened");
}

} // namespace
} // namespace kelva
