// The editor's routines without a window: the sheet into the tables (saval) and what it
// refuses, the deltaH unit of the sheet, row insertion and deletion, and the round trip of a
// database through the sheet and the file.
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
    int rowOf(int n) {
        for (int i = 1; i <= st->Ndatalines; ++i)
            if (st->SpNo[i] == n) return i;
        return 0;
    }
    void save() {
        std::string err;
        ASSERT_TRUE(saval(*st, err)) << err;
        pro999(*st);
    }
};

} // namespace

TEST_F(SheetEdit, NoValueCellsAreEmptyAndGoBackAs999) {
    const int h = rowOf(1);
    EXPECT_EQ(cell(h, dbcol::PkHA1), ""); // 999 in the file
    cell(rowOf(101), dbcol::LogK) = "  ";
    cell(rowOf(102), dbcol::Name) = "";
    cell(rowOf(102), dbcol::Comp1 + 1) = "";
    save();
    EXPECT_EQ(st->SpPKM(1, 1, 1).v, 999.0);
    EXPECT_EQ(st->SpBind[1], 0);
    EXPECT_EQ(st->SpLogK[101].v, 999.0);
    EXPECT_EQ(st->SpName[102], "999");
    EXPECT_EQ(st->SpComp2[102], 0); // an empty component slot is no component
    EXPECT_EQ(cell(rowOf(101), dbcol::LogK), "");
    EXPECT_EQ(cell(rowOf(102), dbcol::Name), ""); // the name 999 is a no-value cell as well
    EXPECT_NE(saved().find("\r\n1,\"H\",1,1,0,0,1,0,0,0,0,999,999,1,1\r\n"), std::string::npos);
}

TEST_F(SheetEdit, SavedSheetReloadsWithEveryTableValueEqual) {
    const auto loaded = freshState();
    loaded->Dbfile = defaultDbPath();
    ASSERT_TRUE(readdb(*loaded).ok);
    for (int unit : {1, 2}) {
        SCOPED_TRACE(unit == 1 ? "kcal/mol shown" : "kJ/mol shown");
        ASSERT_TRUE(loadsDefault());
        setDhunit(*st, unit);
        save();
        saved("again.DBS");
        EXPECT_EQ(slurp(dir.file("again.DBS")), slurp(defaultDbPath()));
        const auto again = freshState();
        again->Dbfile = dir.file("again.DBS");
        ASSERT_TRUE(readdb(*again).ok);
        expectSameTables(*again, *loaded);
    }
}

TEST_F(SheetEdit, BindingFlagFollowsTheStoredPk) {
    const int ca = rowOf(6), na = rowOf(2);
    cell(na, dbcol::PkHA1) = "2.5";
    cell(ca, dbcol::PkHA1) = "";
    save();
    EXPECT_EQ(st->SpBind[2], 1);
    EXPECT_EQ(st->SpBind[6], 0);
}

struct Refusal {
    int col;
    std::string text;
    std::string says;
};

TEST_F(SheetEdit, CellsThatCannotBeStoredAreRefusedAndChangeNothing) {
    const Refusal cases[] = {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(loadsDefault());
        const auto before = freshState();
        before->Dbfile = defaultDbPath();
        ASSERT_TRUE(readdb(*before).ok);
        cell(7, dbcol::LogK) = "  "; // would be emptied by a save that goes through
        cell(7, c.col) = c.text;
        const auto sheet = st->vaDbs.cells;
        std::string err;
        EXPECT_FALSE(saval(*st, err));
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        expectSameTables(*st, *before);
        EXPECT_EQ(st->vaDbs.cells, sheet);
    }
    resetDbSheet(st->vaDbs, 501);
    std::string err;
    EXPECT_FALSE(saval(*st, err));
    EXPECT_EQ(err, "The sheet has 501 rows; a database holds at most 500 species.");
}

TEST_F(SheetEdit, KilojoulesAreShownWithThreeDecimalsAndStoredAsKcal) {
    const int a = rowOf(101), b = rowOf(102), zero = rowOf(2);
    cell(a, dbcol::DeltaH) = "-5.0";
    cell(b, dbcol::DeltaH) = " .1";
    setDhunit(*st, 2);
    EXPECT_TRUE(st->optKJ);
    EXPECT_EQ(cell(a, dbcol::DeltaH), "-20.920");
    EXPECT_EQ(cell(b, dbcol::DeltaH), ".418");
    EXPECT_EQ(cell(zero, dbcol::DeltaH), " 0");
    setDhunit(*st, 2); // the unit already shown: nothing is converted again
    EXPECT_EQ(cell(a, dbcol::DeltaH), "-20.920");

    cell(rowOf(103), dbcol::DeltaH) = "41.84"; // typed in kJ/mol
    cell(rowOf(104), dbcol::DeltaH) = "999";   // a kJ/mol value, not "no value"
    save();
    EXPECT_EQ(st->SpDeltaH[101].v, -5.0); // exactly the value converted from
    EXPECT_EQ(st->SpDeltaH[102].v, 0.1);
    EXPECT_DOUBLE_EQ(st->SpDeltaH[103].v, 10.0);
    EXPECT_DOUBLE_EQ(st->SpDeltaH[104].v, 999.0 / 4.184);
    EXPECT_EQ(cell(rowOf(104), dbcol::DeltaH), "999");
    EXPECT_EQ(st->SpDeltaH[2].v, 0.0);
    EXPECT_NE(saved().find("\r\n103,\"HSO4-\",-1,54,1,0,1,1,0,1.99,10,"), std::string::npos);

    setDhunit(*st, 1);
    EXPECT_FALSE(st->optKJ);
    EXPECT_EQ(cell(a, dbcol::DeltaH), "-5.0"); // as it was before the conversion
    EXPECT_EQ(cell(rowOf(103), dbcol::DeltaH), "10.000");
}

TEST_F(SheetEdit, InsertedRowsAreNumberedAfterTheRowAboveAndLocked) {
    const int below = 41, rows = st->vaDbs.maxRows;
    cell(below - 1, dbcol::No) = " 112";
    const std::string next = cell(below, dbcol::No);
    insertDbRows(*st, below, 3);
    EXPECT_EQ(st->vaDbs.maxRows, rows + 3);
    EXPECT_EQ(st->Ndatalines, rows); // the tables change at the next save
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
    EXPECT_EQ(st->vaDbs.locked[1], (std::array<bool, kSheetCols>{
                                       false, false, false, false, false, false, false, false, false, false,
                                       false, false, false, true, false, false, true, false, false}));
}

TEST_F(SheetEdit, DeletedRowsComeBackWithTheirCellsLocksAndKilojouleMemory) {
    const auto kcal = st->vaDbs.cells;
    setDhunit(*st, 2);
    const auto cells = st->vaDbs.cells;
    const auto locked = st->vaDbs.locked;
    const auto shown = st->dhShown.size();
    DbRows taken = takeDbRows(*st, 5, 5);
    EXPECT_EQ(taken.count(), 5);
    EXPECT_EQ(st->vaDbs.maxRows, 218);
    EXPECT_EQ(st->dhShown.size(), shown - 5);
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
    const auto loaded = freshState();
    loaded->Dbfile = defaultDbPath();
    ASSERT_TRUE(readdb(*loaded).ok);
    takeDbRows(*st, 1, 50);
    st->Radius[1] = 2e-9f;
    st->Nosite = 3;
    save();
    restoreDatabaseTables(*st, before);
    expectSameTables(*st, *loaded);
}
