// The hand-over from the main window to the problem values, the reset and the display of a
// read problem.
#include "files/problemfile.h"
#include "run/problemfixture.h"
#include "run/readinput.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kelva;
using namespace kelva::test;

namespace {

bool contains(const std::vector<std::string>& v, const std::string& part) {
    for (const auto& s : v)
        if (s.find(part) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(Readinput, ConvertsTheWindowIntoEngineInputs) {
    TempDir dir;
    auto st = problemState(dir);
    st->main.txtTemp = "25";
    Readinput(*st);
    EXPECT_EQ(st->TempK, 298.16f);
    EXPECT_EQ(st->Csolid, 40.0f);
    EXPECT_EQ(st->Tclay, 12.5f);
    EXPECT_DOUBLE_EQ(st->Gamma, 1.25);
    EXPECT_DOUBLE_EQ(st->pH, 6.5);
    EXPECT_FLOAT_EQ(st->Tha[1], 1.4f);
    EXPECT_FLOAT_EQ(st->Tha[2], 0.6f);
    EXPECT_EQ(st->Faaq, 999.0f);
}

TEST(Readinput, FulvicShareAndLeadingNumbers) {
    TempDir dir;
    auto st = problemState(dir);
    st->main.txtFA = "100";
    st->main.txtHA = " 2 g/l";
    st->main.txtTemp = "abc";
    Readinput(*st);
    EXPECT_EQ(st->Tha[1], 0.0f);
    EXPECT_EQ(st->Tha[2], 2.0f);
    EXPECT_EQ(st->TempK, 273.16f);

    st->main.txtFA = "0";
    Readinput(*st);
    EXPECT_EQ(st->Tha[1], 2.0f);
    EXPECT_EQ(st->Tha[2], 0.0f);

    // Beyond the single-precision range a value is held at the largest single.
    st->main.txtTemp = "1E+300";
    st->rows[1].txtConc = "-1E+300";
    Readinput(*st);
    EXPECT_EQ(st->TempK, std::numeric_limits<float>::max());
    EXPECT_EQ(st->Mastconc[1], -std::numeric_limits<float>::max());
}

TEST(Readinput, FixedDocAndCo2Pressure) {
    TempDir dir;
    auto st = problemState(dir);
    st->main.lstDOC = "Fixed";
    st->main.txtDOC = "10";
    st->pCO2 = 0;
    Readinput(*st);
    EXPECT_NEAR(st->Faaq, 0.013, 1e-8);
    EXPECT_EQ(st->pCO2, 999.0f);

    st->pCO2 = 0.0007f;
    st->main.lstDOC = "Calculated";
    Readinput(*st);
    EXPECT_EQ(st->pCO2, 0.0007f);
    EXPECT_EQ(st->Faaq, 999.0f);
}

TEST(Readinput, ConcentrationsInTheUnitShown) {
    TempDir dir;
    auto st = problemState(dir);
    st->rows[1].txtConc = "2.5";
    st->main.lblUnits = "Millimol / l";
    Readinput(*st);
    EXPECT_FLOAT_EQ(st->Mastconc[1], 0.0025f);
    st->main.lblUnits = "Micromol / l";
    Readinput(*st);
    EXPECT_FLOAT_EQ(st->Mastconc[1], 2.5e-6f);
    EXPECT_EQ(st->Mastname[1], "Na+");
}

TEST(Readinput, SpeciesNumbersFromTheDatabaseFile) {
    for (int nosite = 1; nosite <= 3; ++nosite) {
        TempDir dir;
        auto st = problemState(dir, nosite);
        st->rows[1].txtName = "  Na+ "; // compared without the blanks
        addRow(*st, "Al3+", "1E-06");
        Readinput(*st);
        EXPECT_EQ(st->Mastno[1], "2") << nosite;
        EXPECT_EQ(st->Mastno[2], "15") << nosite;
        EXPECT_EQ(st->Mastno[3], "5") << nosite;
        EXPECT_EQ(st->Mastname[1], "  Na+ ");
        EXPECT_TRUE(componentProblems(*st).empty());
    }
}

TEST(Readinput, NamesNotAmongTheComponentsKeepAnEmptyNumber) {
    TempDir dir;
    auto st = problemState(dir);
    addRow(*st, "Cu+2", "1E-06"); // not in the database
    addRow(*st, "Late", "1E-06"); // after the first complex line: never reached
    addRow(*st, "Odd", "1E-06");  // species 100, which is no component
    Readinput(*st);
    EXPECT_EQ(st->Mastno[3], "");
    EXPECT_EQ(st->Mastno[4], "");
    EXPECT_EQ(st->Mastno[5], "100");
    const auto problems = componentProblems(*st);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0], "Component \"Cu+2\" is not in the database");
    EXPECT_EQ(problems[1], "Component \"Late\" is not in the database");
    EXPECT_TRUE(contains(problems, "\"Odd\" is species 100"));
}

TEST(Readinput, NegativeConcentrationIsAProblem) {
    TempDir dir;
    auto st = problemState(dir);
    st->rows[2].txtConc = "-1E-03";
    Readinput(*st);
    const auto problems = componentProblems(*st);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "The concentration of component \"Ca+2\" is negative");
}

TEST(Readinput, UnreadableDatabasesFindNothingAndNeverCrash) {
    TempDir dir;
    auto st = problemState(dir);
    st->main.txtDb = dir.file("missing.DBS");
    st->Mastno[1] = "99"; // cleared by the hand-over
    Readinput(*st);
    EXPECT_EQ(st->Mastno[1], "");
    EXPECT_EQ(componentProblems(*st).size(), 2u);

    // Cut at every length: the names read completely may be found, nothing else happens.
    const std::string db = smallDatabase();
    for (std::size_t cut = 0; cut < db.size(); cut += 7) {
        writeText(dir.file("cut.DBS"), db.substr(0, cut));
        st->main.txtDb = dir.file("cut.DBS");
        Readinput(*st);
        if (!st->Mastno[2].empty()) {
            EXPECT_EQ(st->Mastno[2], "15");
        }
    }

    // The label must come within the first 500 fields.
    std::string padded = "\"x\"" + std::string(600, ',') + "\r\n" + db;
    writeText(dir.file("padded.DBS"), padded);
    st->main.txtDb = dir.file("padded.DBS");
    Readinput(*st);
    EXPECT_EQ(st->Mastno[1], "");
}

TEST(Resetter, PutsBackAFreshUnsavedProblem) {
    TempDir dir;
    auto st = problemState(dir);
    st->Sweepmode = "Only multi";
    st->Multino = 4;
    st->Nsweep = 4;
    st->Probno = 3;
    st->Nprob = 4;
    st->Selname = {"", "pH", "Na+"};
    st->pCO2 = 0.0007f;
    st->Precision = 1;
    st->Ncooh[1] = 3;
    st->Beta = 7;
    st->Gamma = 2;
    st->Inputfile = "x.DAT";
    st->main.navVisible = true;
    st->main.lstUnits = st->main.lblUnits = "Millimol / l";
    st->main.lstpH = "To be calculated";
    st->sweep.chkMulti = true;
    st->sweep.txtSweepval[3] = "7";
    st->Multicap = "1";

    resetter(*st);
    EXPECT_EQ(st->Nmast, 0);
    for (int i = 1; i <= kRows; ++i) {
        EXPECT_FALSE(st->rows[i].visible);
        EXPECT_TRUE(st->rows[i].txtName.empty());
    }
    EXPECT_FALSE(st->main.txtDbVisible);
    EXPECT_EQ(st->main.txtCompname, "Connect database");
    EXPECT_EQ(st->main.txtTemp, "25.0");
    EXPECT_EQ(st->main.txtHA, "0.0");
    EXPECT_EQ(st->main.lblFilename, "Unsaved");
    EXPECT_EQ(st->main.lblUnits, "Mol / l");
    EXPECT_EQ(st->Sweepmode, "No");
    EXPECT_TRUE(st->Multino.empty());
    EXPECT_EQ(st->Nsweep, 0);
    EXPECT_EQ(st->Probno, 1);
    EXPECT_EQ(st->Nprob, 1);
    EXPECT_TRUE(st->Selname.empty());
    EXPECT_EQ(st->pCO2, 999.0f);
    EXPECT_EQ(st->Precision, 0.01f);
    EXPECT_EQ(st->Ncooh[1], 0.0f);
    EXPECT_EQ(st->Beta, 0.0);
    EXPECT_EQ(st->Gamma, 0.0);
    EXPECT_TRUE(st->Inputfile.empty());
    EXPECT_FALSE(st->main.navVisible);
    EXPECT_EQ(st->Directory, defaultDirectory());
    EXPECT_FALSE(st->sweep.chkMulti);
    EXPECT_TRUE(st->sweep.txtSweepval[3].empty());
    EXPECT_EQ(st->sweep.lblConame[1], "pH");
    EXPECT_EQ(st->Multicap, "0");
    // The pH is fixed after a reset, and the list says so.
    EXPECT_EQ(st->PhFixed, "Yes");
    EXPECT_EQ(st->main.lstpH, "Fixed at...");
    EXPECT_TRUE(st->main.txtpHVisible);
    EXPECT_FALSE(st->main.txtDOCVisible);
    EXPECT_TRUE(st->main.txtGammVisible);
}

TEST(Assigner, ShowsTheProblemValues) {
    auto st = freshState();
    st->TempK = 298.16f;
    st->Csolid = 40;
    st->Tclay = 12.5f;
    st->Tha[1] = 1.4f;
    st->Tha[2] = 0.6f;
    st->Faaq = 999;
    st->Gamma = 1.25;
    st->pH = 6.5;
    st->PhFixed = "Yes";
    Assigner(*st);
    EXPECT_EQ(st->main.txtTemp, " 25");
    EXPECT_EQ(st->main.txtSolids, " 40");
    EXPECT_EQ(st->main.txtClay, " 12.5");
    EXPECT_EQ(st->main.txtHA, " 2");
    EXPECT_EQ(st->main.txtFA, " 30");
    EXPECT_EQ(st->main.lstDOC, "Calculated");
    EXPECT_TRUE(st->main.txtGammVisible);
    EXPECT_FALSE(st->main.txtDOCVisible);
    EXPECT_EQ(st->main.txtGamm, " 1.25");
    EXPECT_EQ(st->main.txtpH, " 6.5");
    EXPECT_EQ(st->main.lstpH, "Fixed at...");
    EXPECT_TRUE(st->main.txtpHVisible);

    st->Tha[1] = st->Tha[2] = 0;
    st->PhFixed = "No";
    st->Faaq = 0.013f;
    Assigner(*st);
    EXPECT_EQ(st->main.txtFA, " 0.0");
    EXPECT_EQ(st->main.lstDOC, "Fixed");
    EXPECT_EQ(st->main.txtDOC, " 10");
    EXPECT_TRUE(st->main.txtDOCVisible);
    EXPECT_FALSE(st->main.txtGammVisible);
    EXPECT_EQ(st->main.lstpH, "To be calculated");
    EXPECT_FALSE(st->main.txtpHVisible);
}

TEST(Assigner, FillsTheSweepSelectionLabels) {
    auto st = freshState();
    st->Sweepmode = "Only multi";
    st->Nsel = 3;
    st->Selname = {"", "anything", "Na+", "NaOH"};
    st->Seltype = {"", "", "Activity", "Concentration"};
    st->sweep.lblConame[5] = "stale";
    Assigner(*st);
    EXPECT_EQ(st->sweep.lblConame[1], "pH");
    EXPECT_EQ(st->sweep.lblConame[2], "Na+");
    EXPECT_EQ(st->sweep.lblCotype[3], "Concentration");
    EXPECT_EQ(st->sweep.lblConame[5], "");

    st->Sweepmode = "";
    st->sweep.lblConame[2] = "kept";
    Assigner(*st);
    EXPECT_EQ(st->sweep.lblConame[2], "kept");
}

TEST(MainLists, PhDocAndProgramMode) {
    auto st = freshState();
    lstpHClick(*st, "Fixed at...");
    EXPECT_EQ(st->PhFixed, "Yes");
    EXPECT_TRUE(st->main.txtpHVisible);
    lstpHClick(*st, "To be calculated");
    EXPECT_EQ(st->PhFixed, "No");
    EXPECT_FALSE(st->main.txtpHVisible);

    lstDOCClick(*st, "Fixed");
    EXPECT_TRUE(st->main.txtDOCVisible);
    EXPECT_FALSE(st->main.txtGammVisible);
    lstDOCClick(*st, "Calculated");
    EXPECT_FALSE(st->main.txtDOCVisible);
    EXPECT_TRUE(st->main.txtGammVisible);

    st->main.txtClay = "3";
    st->main.txtGamm = "2";
    st->ProgMode = "Water";
    Pmoder(*st);
    EXPECT_EQ(st->main.txtClay, "0.0");
    EXPECT_EQ(st->main.txtSolids, "0.0");
    EXPECT_EQ(st->main.txtGamm, "1.00");
    EXPECT_FALSE(st->main.txtGammVisible);
    st->ProgMode = "Soil";
    Pmoder(*st);
    EXPECT_EQ(st->main.txtClay, "0.0"); // stays zero until typed again
    EXPECT_TRUE(st->main.txtGammVisible);
}
