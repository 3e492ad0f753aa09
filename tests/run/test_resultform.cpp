// The result windows' routines: what a result file puts in st.out, and the tables as sheets.
#include "files/fields.h"
#include "files/result_fixture.h"
#include "run/exporttables.h"
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

    test::TempDir dir;
    std::unique_ptr<ProgramState> st = freshState();
};

TEST_F(ResultForm, ARunCutShortOffersOnlyTheProblemsItWroteAndTheNextFileNotItsSelection) {
    std::string text = runText(3, true);
    text.erase(text.find("\"RESULTS Prob. no. \",3")); // the third problem was never written
    std::string err;
    ASSERT_TRUE(open(text, err)) << err;
    EXPECT_EQ(std::tuple(st->Nswprob, st->out.grdSweep.size(), st->out.grdSweep.front()),
              std::tuple(2, 4u, std::vector<std::string>{"Problem no.", "pH", "Na"}));
    EXPECT_EQ(st->out.cboProbnoItems, (std::vector<std::string>{" 1", " 2"}));
    EXPECT_FALSE(pickProblem(*st, " 3", err)); // another problem can still be picked
    EXPECT_EQ(std::tuple(err, st->out.txtpH, st->out.selectorVisible),
              std::tuple("run.OUT: the file holds no block for problem 3", "", true));
    ASSERT_TRUE(pickProblem(*st, " 2", err)) << err;
    EXPECT_EQ(st->out.txtpH, " 5");
    // A file without sweep block does not inherit the last selection.
    ASSERT_TRUE(open(runText(2, false), err)) << err;
    EXPECT_EQ(st->Nswsel, 1);
    EXPECT_EQ(st->out.grdSweep, (TextTable{{"Problem no.", ""}, {"", ""}, {" 1", ""}, {" 2", ""}}));
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
    EXPECT_EQ(std::tuple(o.grdSpecies.size(), o.grdSpecies[1][0], o.grdSpecies[4]), // alphabetical
              std::tuple(5u, "Cl", std::vector<std::string>{"OH", "1.0000E-07", "1.0000E-07", "-7.000"}));
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

TextTable table(std::size_t rows, std::size_t cols, const std::string& fill) {
    return TextTable(rows, std::vector<std::string>(cols, fill));
}

TEST(ExportTables, RowsAndColumnsAsTheExportTakesThem) {
    TextTable longSpecies = table(251, 4, "1.0000E-03");
    TextTable sweep = table(4, 9, "Not present");
    sweep[0] = {"Problem no.", "pH", "=Cu", " =Zn 2 ", "Cd", "a", "b", "c", "dropped"};
    sweep[1] = {"", "", "Concentration", "Activity", "", "", "", "", ""};
    sweep[2][0] = "!!ERROR!!";
    sweep[3] = {" 2", " 4.2", "1.230E-04", "", "", "", "", "", ""};
    TextTable totals = table(4, 4, "");
    totals[1] = {"Na", "1.0000E-03", ".50", "12.00"};
    struct Case {
        Sheet sheet;
        std::size_t rows, cols;
    } cases[] = {{speciesSheet(longSpecies), 200, 4}, // captions and 199 species rows
                 {sweepSheet(sweep), 4, 7},           // problem numbers and six entries
                 {totalsSheet(totals), 2, 4}};        // empty rows at the end are left out
    for (const Case& c : cases) {
        EXPECT_EQ(c.sheet.rows.size(), c.rows) << c.sheet.name;
        for (const auto& row : c.sheet.rows) EXPECT_EQ(row.size(), c.cols) << c.sheet.name;
    }
    const Sheet& s = cases[1].sheet;
    EXPECT_EQ(std::tuple(s.rows[0][2].text, s.rows[0][3].text, s.rows[1][2].text, s.rows[2][0].text),
              std::tuple(">Cu", ">Zn 2", "Concentration", "!!ERROR!!"));
    using K = SheetCell::Kind; // "Not present" arrives as 0, an empty cell too
    EXPECT_EQ(std::tuple(s.rows[1][2].kind, s.rows[2][0].kind, s.rows[2][1].kind, s.rows[2][1].number,
                         s.rows[3][2].number, s.rows[3][3].number),
              std::tuple(K::Text, K::Text, K::Number, 0.0, 1.23e-4, 0.0));
}

std::string golden(const std::string& name) {
    return *readWholeFile(test::sourcePath("data/examples/golden/" + name));
}

// Problem k of a golden file as the result windows show it.
std::unique_ptr<ProgramState> shown(const std::string& name, int k) {
    auto st = test::freshState();
    st->Outflag = "c";
    st->Outfile = test::sourcePath("data/examples/golden/" + name);
    std::string err;
    EXPECT_TRUE(loadResultFile(*st, err)) << err;
    if (k > 1) {
        EXPECT_TRUE(pickProblem(*st, std::to_string(k), err)) << err;
    }
    return st;
}

TEST(ExportTables, TheRunnersWorkbookHoldsEveryProblemAsTheWindowsShowIt) {
    auto base = test::freshState();
    Workbook book;
    std::string err;
    ASSERT_TRUE(resultWorkbook(*base, golden("sweep.OUT"), "sweep.OUT", book, err)) << err;
    ASSERT_EQ(book.sheets.size(), 3u);
    const Sheet &species = book.sheets[0], &totals = book.sheets[1];
    EXPECT_EQ(species.rows[0][0].text, "Problem no.");
    Workbook water; // one problem in water mode: the totals' captions, no sweep sheet
    ASSERT_TRUE(resultWorkbook(*base, golden("water.OUT"), "water.OUT", water, err)) << err;
    EXPECT_EQ(std::tuple(water.sheets.size(), water.sheets[1].rows.size()), std::tuple(2u, 1u));
    EXPECT_FALSE(resultWorkbook(*base, "nothing here", "x.OUT", water, err));
    EXPECT_EQ(err, "x.OUT: the file holds no result block");

    std::size_t speciesRow = 1, totalsRow = 1;
    for (int k = 1; k <= 20; ++k) {
        const auto st = shown("sweep.OUT", k);
        // The window's rows, in its order, behind the problem number.
        for (std::size_t r = 1; r < st->out.grdSpecies.size(); ++r, ++speciesRow) {
            const auto& row = species.rows.at(speciesRow);
            ASSERT_EQ(row[0].number, k);
            for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(row[c + 1].text, st->out.grdSpecies[r][c]);
        }
        for (std::size_t r = 1; r < st->out.grdTotals.size(); ++r, ++totalsRow)
            EXPECT_EQ(totals.rows.at(totalsRow)[1].text, st->out.grdTotals[r][0]);
    }
    EXPECT_EQ(speciesRow, species.rows.size());
    EXPECT_EQ(totalsRow, totals.rows.size());

    const Sheet window = sweepSheet(shown("sweep.OUT", 1)->out.grdSweep);
    ASSERT_EQ(book.sheets[2].rows.size(), 22u);
    for (std::size_t r = 0; r < window.rows.size(); ++r)
        for (std::size_t c = 0; c < window.rows[r].size(); ++c)
            EXPECT_EQ(book.sheets[2].rows[r][c].text, window.rows[r][c].text);
}

} // namespace
} // namespace kelva
