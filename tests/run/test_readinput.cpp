// The main window's routines: component rows, hand-over, reset, display of a read problem.
#include "run/complist.h"
#include "run/problemfixture.h"
#include "run/readinput.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kelva;
using namespace kelva::test;

namespace {
using HandOver = ProblemTest;
using Strs = std::vector<std::string>;

std::string add(ProgramState& st, const std::string& name, const std::string& conc) {
    st.main.txtCompname = name;
    st.main.txtConc = conc;
    return cmdAdd(st);
}

} // namespace

TEST_F(HandOver, ConvertsTheWindowIntoEngineInputs) {
    st->main.txtTemp = "25";
    st->pCO2 = 0;
    Readinput(*st);
    EXPECT_EQ(
        std::tuple(st->TempK, st->Csolid, st->Tclay, st->Faaq, st->pCO2, st->Gamma, st->pH, st->Mastname[1]),
        std::tuple(298.16f, 40.0f, 12.5f, 999.0f, 999.0f, 1.25, 6.5, "Na+"));
    EXPECT_EQ(std::tuple(st->Tha[1], st->Tha[2]), std::tuple(2.0f * 0.7f, 2.0f * 0.3f)); // FA is 30 % of it
    std::tie(st->main.lstDOC, st->main.txtDOC, st->pCO2, st->rows[1].txtConc) =
        std::tuple("Fixed", "10", 0.0007f, "2.5");
    for (const auto& [unit, mol] : {std::pair{"Millimol / l", 0.0025f}, {"Micromol / l", 2.5e-6f}}) {
        st->main.lblUnits = unit;
        Readinput(*st);
        EXPECT_FLOAT_EQ(st->Mastconc[1], mol) << unit;
    }
    EXPECT_TRUE(std::fabs(st->Faaq - 0.013) < 1e-8 && st->pCO2 == 0.0007f) << st->Faaq;

    // Leading numbers; all fulvic or none; beyond the single range the largest single.
    std::tie(st->main.txtFA, st->main.txtHA, st->main.txtTemp) = std::tuple("100", " 2 g/l", "abc");
    Readinput(*st);
    EXPECT_EQ(std::tuple(st->Tha[1], st->Tha[2], st->TempK), std::tuple(0.0f, 2.0f, 273.16f));
    std::tie(st->main.txtFA, st->main.txtTemp, st->rows[1].txtConc) = std::tuple("0", "1E+300", "-1E+300");
    Readinput(*st);
    EXPECT_EQ(std::tuple(st->Tha[1], st->Tha[2]), std::tuple(2.0f, 0.0f));
    EXPECT_EQ(std::tuple(st->TempK, st->Mastconc[1]),
              std::tuple(std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()));
}

TEST(HandOverDatabase, SpeciesNumbersFromTheDatabaseFileAndWhatIsWrongWithTheRows) {
    for (int nosite = 1; nosite <= 3; ++nosite) {
        TempDir dir;
        auto st = problemState(dir, nosite);
        st->rows[1].txtName = "  Na+ "; // compared without the blanks
        addRow(*st, "Al3+", "1E-06");
        addRow(*st, "H+", "1E-06"); // species 1 is a component too
        Readinput(*st);
        EXPECT_EQ((Strs{st->Mastno[1], st->Mastno[2], st->Mastno[3], st->Mastno[4], st->Mastname[1]}),
                  (Strs{"2", "15", "5", "1", "  Na+ "}));
        EXPECT_TRUE(componentProblems(*st).empty());
        if (nosite < 3) continue;
        addRow(*st, "Cu+2", "1E-06"); // not in the database
        addRow(*st, "Late", "1E-06"); // after the first complex line: never reached
        addRow(*st, "Odd", "1E-06");  // species 100, which is no component
        st->rows[2].txtConc = "-1E-03";
        Readinput(*st);
        EXPECT_EQ((Strs{st->Mastno[5], st->Mastno[6], st->Mastno[7]}), (Strs{"", "", "100"}));
        const auto problems = componentProblems(*st); // in the order of the rows
        ASSERT_EQ(problems.size(), 4u);
        EXPECT_EQ(
            Strs(problems.begin(), problems.begin() + 3),
            (Strs{"The concentration of component \"Ca+2\" is negative",
                  "Component \"Cu+2\" is not in the database", "Component \"Late\" is not in the database"}));
        EXPECT_NE(problems[3].find("\"Odd\" is species 100"), std::string::npos) << problems[3];
        st->Mastno[7] = "0"; // no component has the number 0 either
        EXPECT_NE(componentProblems(*st)[3].find("\"Odd\" is species 0 of"), std::string::npos);
    }
}

TEST_F(HandOver, UnreadableDatabasesFindNothingAndNeverCrash) {
    st->main.txtDb = dir.file("missing.DBS");
    st->Mastno[1] = "99"; // cleared by the hand-over
    Readinput(*st);
    EXPECT_EQ(st->Mastno[1], "");
    EXPECT_EQ(componentProblems(*st).size(), 2u);

    // Cut at every length: the names read completely may be found, nothing else happens.
    const std::string db = smallDatabase();
    st->main.txtDb = dir.file("cut.DBS");
    for (std::size_t cut = 0; cut < db.size(); cut += 7) {
        spit(dir.file("cut.DBS"), db.substr(0, cut));
        Readinput(*st);
        EXPECT_TRUE(st->Mastno[2].empty() || st->Mastno[2] == "15") << st->Mastno[2];
    }
}

TEST_F(HandOver, ResetterPutsBackAFreshUnsavedProblem) {
    std::tie(st->Sweepmode, st->Multino, st->Nsweep, st->Nprob, st->Probno, st->pCO2, st->Precision,
             st->Ncooh[1], st->Beta, st->Gamma, st->Inputfile, st->Multicap, st->PhFixed) =
        std::tuple("Only multi", 4.0, 4, 4, 3, 0.0007f, 1.0f, 3.0f, 7.0, 2.0, "x.DAT", "1", "No");
    st->Selname = {"", "pH", "Na+"};
    st->main.navVisible = true;
    auto& w = st->sweep;
    std::tie(w.chkMulti, w.txtSweepval[3], w.txtSweepvalVisible[3], w.Pagestart, w.cmdNext10Caption,
             w.separateVisible, w.cmdPrev10Visible) = std::tuple(true, "7", true, 10, "Next 5", true, true);
    w.cboComp2 = {"Na+", "DOC"};
    w.lstUnit = {"Concentration"};

    resetter(*st);
    for (int i = 1; i <= kRows; ++i) EXPECT_TRUE(!st->rows[i].visible && st->rows[i].txtName.empty()) << i;
    const auto& m = st->main;
    EXPECT_EQ(
        (Strs{m.txtCompname, m.txtTemp, m.txtHA, m.lblFilename, st->Sweepmode, st->Multicap, st->PhFixed}),
        (Strs{"Connect database", "25.0", "0.0", "Unsaved", "No", "0", "Yes"})); // the pH is fixed
    EXPECT_EQ(std::tuple(st->Nmast, st->Nsweep, st->Probno, st->Nprob, st->pCO2, st->Precision, st->Ncooh[1],
                         st->Beta, st->Gamma, w.Pagestart, w.cmdNext10Caption, w.lblConame[1]),
              std::tuple(0, 0, 1, 1, 999.0f, 0.01f, 0.0f, 0.0, 0.0, 0, "Next 10", "pH"));
    EXPECT_TRUE(st->Multino.empty() && st->Selname.empty() && st->Inputfile.empty() &&
                w.txtSweepval[3].empty() && w.cboComp2.empty() && w.lstUnit.empty());
    EXPECT_FALSE(w.txtSweepvalVisible[3] || w.separateVisible || w.cmdPrev10Visible || m.txtDbVisible ||
                 m.navVisible || w.chkMulti || m.txtDOCVisible);
}

TEST(Assigner, ShowsTheProblemValuesAndTheSweepSelection) {
    auto st = freshState();
    // The pH list starts at "To be calculated": a first run must not fix the pH at the hidden 7.00.
    EXPECT_EQ(std::tuple(st->main.lstpH, st->main.txtpHVisible, st->PhFixed),
              std::tuple("To be calculated", false, "No"));
    std::tie(st->TempK, st->Csolid, st->Tclay, st->Tha[1], st->Tha[2], st->Faaq, st->Gamma, st->pH,
             st->PhFixed) = std::tuple(298.16f, 40.0f, 12.5f, 1.4f, 0.6f, 999.0f, 1.25, 6.5, "Yes");
    std::tie(st->Sweepmode, st->Nsel, st->Selname, st->Seltype, st->sweep.lblConame[5]) =
        std::tuple("Only multi", 3.0, Strs{"", "anything", "Na+", "NaOH"},
                   Strs{"", "", "Activity", "Concentration"}, "stale");
    Assigner(*st);
    const auto& m = st->main;
    EXPECT_EQ(
        (Strs{m.txtTemp, m.txtSolids, m.txtClay, m.txtHA, m.txtFA, m.lstDOC, m.txtGamm, m.txtpH, m.lstpH}),
        (Strs{" 25", " 40", " 12.5", " 2", " 30", "Calculated", " 1.25", " 6.5", "Fixed at..."}));
    EXPECT_TRUE(m.txtGammVisible && m.txtpHVisible && !m.txtDOCVisible);
    const auto& s = st->sweep;
    EXPECT_EQ((Strs{s.lblConame[1], s.lblConame[2], s.lblCotype[3], s.lblConame[5]}),
              (Strs{"pH", "Na+", "Concentration", ""}));

    st->Tha[1] = st->Tha[2] = 0; // a single problem leaves the labels alone
    std::tie(st->PhFixed, st->Faaq, st->Sweepmode, st->sweep.lblConame[2]) =
        std::tuple("No", 0.013f, "", "kept");
    Assigner(*st);
    EXPECT_EQ((Strs{m.txtFA, m.lstDOC, m.txtDOC, m.lstpH, s.lblConame[2]}),
              (Strs{" 0.0", "Fixed", " 10", "To be calculated", "kept"}));
    EXPECT_TRUE(m.txtDOCVisible && !m.txtGammVisible && !m.txtpHVisible);
    // A problem read in water mode is shown without its sorption inputs.
    std::tie(st->ProgMode, st->main.txtGamm) = std::tuple("Water", "2");
    Assigner(*st);
    EXPECT_FALSE(m.sorptionVisible || m.txtDOCVisible || m.txtGammVisible);
    EXPECT_EQ(m.txtGamm, "1.00");
}

// The same name again (compared without blanks) changes the concentration of its row, in a
// full list too; a blank name and a row that is not there change nothing.
TEST(Complist, TheSameNameChangesItsRowAndABlankNameNothing) {
    auto st = freshState();
    for (int i = 1; i <= 25; ++i) ASSERT_EQ(add(*st, "C" + std::to_string(i), "1"), "");
    for (const auto& [name, conc] : {std::pair{" C25 ", "7"}, {"   ", "1"}, {"", "1"}})
        EXPECT_EQ(add(*st, name, conc), "");
    for (int row : {0, 26}) cmdDelete(*st, row);
    EXPECT_EQ(std::tuple(st->Nmast, st->rows[24].txtConc, st->rows[25].txtName, st->rows[25].txtConc),
              std::tuple(25, " 1", "C25", " 7"));
}

TEST(Complist, UnitChangesConvertEveryRow) {
    auto st = freshState();
    add(*st, "A", "0.001");
    add(*st, "B", "2.5E-04");
    for (const auto& [unit, a, b] : {std::tuple{"Millimol / l", " 1", " .25"},
                                     {"Micromol / l", " 1000", " 250"},
                                     {"Mol / l", " .001", " .00025"},
                                     {"Gallons", " .001", " .00025"}}) {
        changeUnit(*st, unit);
        EXPECT_EQ(std::tuple(st->rows[1].txtConc, st->rows[2].txtConc), std::tuple(a, b)) << unit;
        EXPECT_EQ(st->main.lblUnits, std::string(unit) == "Gallons" ? "Mol / l" : unit);
    }
    EXPECT_EQ(st->main.lstUnits, "Mol / l");
}
