// The result tables as spreadsheet sheets: which rows and columns go, texts and numbers, the
// sweep table's captions; and the batch runner's workbook of a whole result file, checked
// against what the result windows show.
#include "files/fields.h"
#include "run/exporttables.h"
#include "run/resultform.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace kelva {
namespace {

TextTable table(int rows, int cols, const std::string& fill) {
    TextTable t(static_cast<std::size_t>(rows),
                std::vector<std::string>(static_cast<std::size_t>(cols), fill));
    return t;
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
    EXPECT_DOUBLE_EQ(cases[2].sheet.rows[1][2].number, 0.5);
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
