// The editor's routines without a window: the sheet into the tables (saval) and what it refuses,
// the deltaH unit of the sheet, row insertion and deletion, the round trip through sheet and file.
#include "files/database_edit.h"

#include "files/database.h"
#include "files/database_fixture.h"

#include <gtest/gtest.h>

using namespace kelva;
using namespace kelva::test;

namespace {

class SheetEdit : public DbTest {
  protected:
    void SetUp() override { ASSERT_TRUE(loadsDefault()); }
    std::string& cell(int row, int col) {
        return st->vaDbs.cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    }
    int row(int n) { return rowOf(*st, n); }
    void save() {
        std::string err;
        ASSERT_TRUE(saval(*st, err)) << err;
        pro999(*st);
    }
};

} // namespace

TEST_F(SheetEdit, NoValueCellsAreEmptyAndGoBackAs999AndBindingFollowsThePk) {
    EXPECT_EQ(cell(row(1), dbcol::PkHA1), ""); // 999 in the file
    cell(row(101), dbcol::LogK) = "  ";
    cell(row(102), dbcol::Name) = "";
    cell(row(102), dbcol::Comp1 + 1) = "";
    cell(row(2), dbcol::PkHA1) = "2.5";
    cell(row(6), dbcol::PkHA1) = "";
    cell(row(7), dbcol::Charge) = "\t 3  "; // blanks around a whole number
    save();
    // An empty component slot is no component; the name 999 is a no-value cell as well.
    EXPECT_EQ(std::tuple(st->SpPKM(1, 1, 1).v, st->SpLogK[101].v, st->SpName[102], st->SpCharge[7],
                         st->SpComp2[102]),
              std::tuple(999.0, 999.0, "999", 3, 0));
    EXPECT_EQ(std::tuple(st->SpBind[1], st->SpBind[2], st->SpBind[6], cell(row(101), dbcol::LogK),
                         cell(row(102), dbcol::Name)),
              std::tuple(0, 1, 0, "", ""));
    EXPECT_NE(saved().find("\r\n1,\"H\",1,1,0,0,1,0,0,0,0,999,999,1,1\r\n"), std::string::npos);
}

// A file byte for byte the one loaded loads to the same tables.
TEST_F(SheetEdit, SavedSheetGivesTheFileLoadedInEitherUnit) {
    for (int unit : {1, 2}) {
        ASSERT_TRUE(loadsDefault());
        setDhunit(*st, unit);
        save();
        EXPECT_EQ(saved("again.DBS"), slurp(defaultDbPath())) << "unit " << unit;
    }
}

TEST_F(SheetEdit, CellsThatCannotBeStoredAreRefusedAndChangeNothing) {
    const std::tuple<int, std::string, std::string> cases[] = {
        {dbcol::No, "", "Row 7, column \"No.\" is empty"},
        {dbcol::No, "7.5", "Row 7, column \"No.\" holds \"7.5\", which is not a whole number from 1 to 500"},
        {dbcol::No, "501", "from 1 to 500"},
        {dbcol::Charge, "2.5", "Row 7, column \"Charge\" holds \"2.5\""},
        {dbcol::Comp1 + 1, "600",
         "column \"Comp. II\" holds \"600\", which is not a whole number from 0 to 500"},
        {dbcol::Sto1 + 2, "two", "column \"Sto. III\""},
        {dbcol::Sto1, "40000", "from -32768 to 32767"},
        {dbcol::Name, "Mn\"2", "a name cannot hold a double quote"},
    };
    const auto before = defaultDb();
    for (const auto& [col, text, says] : cases) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(loadsDefault());
        cell(7, dbcol::LogK) = "  "; // would be emptied by a save that goes through
        cell(7, col) = text;
        const auto sheet = st->vaDbs.cells;
        std::string err;
        EXPECT_FALSE(saval(*st, err) || err.find(says) == std::string::npos) << err;
        expectSameTables(*st, *before);
        EXPECT_EQ(st->vaDbs.cells, sheet);
    }
    resetDbSheet(st->vaDbs, 501);
    std::string err;
    EXPECT_FALSE(saval(*st, err));
    EXPECT_EQ(err, "The sheet has 501 rows; a database holds at most 500 species.");
}

TEST_F(SheetEdit, KilojoulesAreShownWithThreeDecimalsAndStoredAsKcal) {
    const int a = row(101), b = row(102);
    cell(a, dbcol::DeltaH) = "-5.0";
    cell(b, dbcol::DeltaH) = " .1";
    setDhunit(*st, 2);
    EXPECT_EQ(
        std::tuple(st->optKJ, cell(a, dbcol::DeltaH), cell(b, dbcol::DeltaH), cell(row(2), dbcol::DeltaH)),
        std::tuple(true, "-20.920", ".418", " 0"));
    setDhunit(*st, 2); // the unit already shown: nothing is converted again
    EXPECT_EQ(cell(a, dbcol::DeltaH), "-20.920");

    cell(row(103), dbcol::DeltaH) = "41.84"; // typed in kJ/mol
    cell(row(104), dbcol::DeltaH) = "999";   // a kJ/mol value, not "no value"
    save();
    EXPECT_EQ(std::tuple(st->SpDeltaH[101].v, st->SpDeltaH[102].v, st->SpDeltaH[2].v),
              std::tuple(-5.0, 0.1, 0.0));
    EXPECT_DOUBLE_EQ(st->SpDeltaH[103].v, 10.0);
    EXPECT_DOUBLE_EQ(st->SpDeltaH[104].v, 999.0 / 4.184);
    EXPECT_EQ(cell(row(104), dbcol::DeltaH), "999");
    EXPECT_NE(saved().find("\r\n103,\"HSO4-\",-1,54,1,0,1,1,0,1.99,10,"), std::string::npos);

    setDhunit(*st, 1); // as it was before the conversion
    EXPECT_EQ(std::tuple(st->optKJ, cell(a, dbcol::DeltaH), cell(row(103), dbcol::DeltaH)),
              std::tuple(false, "-5.0", "10.000"));
}

TEST_F(SheetEdit, InsertedRowsAreNumberedAfterTheRowAboveAndLocked) {
    const int below = 41, rows = st->vaDbs.maxRows;
    cell(below - 1, dbcol::No) = " 112";
    const std::string next = cell(below, dbcol::No);
    insertDbRows(*st, below, 3);
    EXPECT_EQ(std::tuple(st->vaDbs.maxRows, st->Ndatalines),
              std::tuple(rows + 3, rows)); // tables change at the save
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(cell(below + k, dbcol::No), " " + std::to_string(113 + k));
        for (int c = dbcol::Name; c < kSheetCols; ++c) EXPECT_EQ(cell(below + k, c), "") << c;
        std::vector<int> locked;
        for (int c = 0; c < kSheetCols; ++c)
            if (st->vaDbs.locked[static_cast<std::size_t>(below + k)][static_cast<std::size_t>(c)])
                locked.push_back(c);
        EXPECT_EQ(locked, (std::vector<int>{12, 13, 15, 16}));
    }
    EXPECT_EQ(cell(below + 3, dbcol::No), next); // the old row moved down

    st->Nosite = 2;
    insertDbRows(*st, 1, 1); // nothing above to number from
    EXPECT_EQ(cell(1, dbcol::No), "");
    for (int c = 0; c < kSheetCols; ++c) EXPECT_EQ(st->vaDbs.locked[1][c], c == 13 || c == 16) << c;
    lockus(*st, 1, kSheetCols - 1); // the last column locks too; a cell beyond the sheet is ignored
    lockus(*st, 1, kSheetCols);
    EXPECT_TRUE(st->vaDbs.locked[1][kSheetCols - 1]);
}

TEST_F(SheetEdit, DeletedRowsComeBackWithTheirCellsLocksAndKilojouleMemory) {
    const auto kcal = st->vaDbs.cells;
    setDhunit(*st, 2);
    const auto cells = st->vaDbs.cells;
    const auto locked = st->vaDbs.locked;
    const auto shown = st->dhShown.size();
    DbRows taken = takeDbRows(*st, 5, 5);
    EXPECT_EQ(std::tuple(taken.count(), st->vaDbs.maxRows, st->dhShown.size()),
              std::tuple(5, 218, shown - 5));
    save();
    EXPECT_EQ(st->Ndatalines, 218);
    putDbRows(*st, 5, taken);
    EXPECT_EQ(st->vaDbs.cells, cells);
    EXPECT_EQ(st->vaDbs.locked, locked);
    setDhunit(*st, 1);
    EXPECT_EQ(st->vaDbs.cells, kcal); // the exact kcal/mol texts again
}

TEST_F(SheetEdit, TablesPutBackAfterAFailedSaveAreTheTablesBefore) {
    const auto before = databaseTables(*st);
    takeDbRows(*st, 1, 50);
    st->Radius[1] = 2e-9f;
    st->Nosite = 3;
    save();
    restoreDatabaseTables(*st, before);
    expectSameTables(*st, *defaultDb());
}
