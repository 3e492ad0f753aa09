// Loading and saving database files that are well formed: the bundled default database, the
// round trip through the writer, and the layouts the heterogeneity setting selects.
#include "files/database.h"

#include "files/database_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace kelva;
using namespace kelva::test;

namespace {

using Texts = std::vector<std::string>;

class DefaultDb : public DbTest {
  protected:
    void SetUp() override { ASSERT_TRUE(loadsDefault()); }
};
using DatabaseRoundTrip = DbTest;
using DatabaseHeterogeneity = DbTest;
using DatabaseSpecies = DbTest;
using DatabaseSave = DbTest;

int rowOf(const ProgramState& st, int n) {
    for (int i = 1; i <= st.Ndatalines; ++i)
        if (st.SpNo[i] == n) return i;
    return 0;
}

// Cells from..to of a sheet row.
Texts cols(const std::array<std::string, kSheetCols>& row, int from, int to) {
    return Texts(row.begin() + from, row.begin() + to + 1);
}

} // namespace

TEST_F(DefaultDb, GeneralParametersAndSpeciesTables) {
    EXPECT_TRUE(rep.warnings.empty()) << rep.warnings.front();
    const float floats[] = {st->Ncooh[1], st->Ncooh[2], st->P[1], st->Radius[1], st->Molwt[2], st->Eqclay};
    const float wantFloats[] = {3.29e-3f, 4.73e-3f, -374.0f, 1.72e-9f, 1500.0f, 3.0e-4f};
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(floats[i], wantFloats[i]) << i;
    const double doubles[] = {st->Lksoal25, st->Dhfe, st->K0, st->Beta};
    const double wantDoubles[] = {8.291, -17537.0, 0.05, 634.0};
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(doubles[i], wantDoubles[i]) << i;
    EXPECT_EQ(st->S1proc.v, 100.0);
    EXPECT_EQ(st->Nosite, 1);
    EXPECT_EQ(st->Ndatalines, 223);
    EXPECT_EQ(std::count_if(&st->SpNo[1], &st->SpNo[1] + st->Ndatalines, [](i16 n) { return n < 100; }), 28);

    // 56 is a gap in the numbering.
    const int numbers[] = {1, 51, 21, 55, 56, 100, 352};
    const Texts names = {"H", "OH", "F", "CO3", "", "", "UO2H2PO4+"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(st->SpName[numbers[i]], names[i]) << numbers[i];
    EXPECT_EQ(st->SpCharge[55], -2);
    // UO2H2PO4+ = UO2 + PO4 + 2 H
    EXPECT_EQ((std::array{st->SpComp1[352], st->SpComp2[352], st->SpComp3[352], st->SpSto3[352]}),
              (std::array<i16, 4>{20, 58, 1, 2}));
    EXPECT_DOUBLE_EQ(st->SpLogK[352], 22.833);
    EXPECT_DOUBLE_EQ(st->SpDeltaH[352], -3.7);
    EXPECT_DOUBLE_EQ(st->SpPKM(1, 12, 1), 1.5);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 12, 1), 0.8);
    EXPECT_TRUE(st->SpPKM(1, 12, 2).empty()); // one site group: groups 2 and 3 are not in the file
    EXPECT_DOUBLE_EQ(st->SpKselClay[3], 5.0);
    EXPECT_DOUBLE_EQ(st->SpKselClay[18], 4.0);
}

TEST_F(DefaultDb, BindingFlagsComponentListAndConnection) {
    EXPECT_EQ(std::accumulate(&st->SpBind[1], &st->SpBind[1] + kMaxSpecies, 0), 28);
    EXPECT_EQ(st->SpBind[12], 1);
    EXPECT_EQ(st->SpBind[1] + st->SpBind[2], 0);
    EXPECT_EQ(st->main.lstCompnames, (Texts{"Na",      "K",  "Mg", "Al",  "Ca",  "Mn",  "Fe(II)", "Co",  "Ni",
                                            "Fe(III)", "Cu", "Zn", "Cd",  "Pb",  "Sr",  "Ba",     "NH4", "Hg",
                                            "UO2",     "F",  "Cl", "NO3", "SO4", "CO3", "S(-II)", "PO4"}));
    EXPECT_EQ(st->main.txtCompname, "");
    EXPECT_EQ(st->main.txtDb, st->Dbfile);
    EXPECT_TRUE(st->main.txtDbVisible && st->main.cmdEddbsVisible && st->main.mnuDatabaseEnabled);
}

TEST_F(DefaultDb, SheetRowsBlanksAndLocks) {
    const auto& sh = st->vaDbs;
    ASSERT_EQ(sh.maxRows, 223);
    ASSERT_EQ(sh.cells.size(), 224u);
    for (int c = 0; c < kSheetCols; ++c) EXPECT_EQ(sh.cells[0][c], kDbHeadings[c]);

    const auto& h = sh.cells[1];
    EXPECT_EQ(cols(h, 0, 2), (Texts{" 1", "H", " 1"}));
    EXPECT_EQ(h[9], " 0");
    EXPECT_EQ(cols(h, 11, 16), Texts(6, "")) << "999 shows blank";
    // Group 1 is repeated under the groups the file leaves out.
    const auto& cu = sh.cells[rowOf(*st, 12)];
    EXPECT_EQ(cu[1], "Cu");
    EXPECT_EQ(cols(cu, 11, 16), (Texts{" 1.5", " 1.5", " 1.5", " .8", " .8", " .8"}));
    EXPECT_EQ(sh.cells[rowOf(*st, 11)][14], "-.2");
    const auto& cuoh = sh.cells[rowOf(*st, 240)];
    EXPECT_EQ(cuoh[4], " 1");
    EXPECT_EQ(cuoh[7], "-1");

    for (int r = 0; r <= 223; r += 37)
        for (int c = 11; c <= 16; ++c) EXPECT_EQ(sh.locked[r][c], c != 11 && c != 14) << r << "," << c;
    std::size_t longest = 0;
    for (int n = 1; n <= kMaxSpecies; ++n) longest = std::max(longest, st->SpName[n].size());
    EXPECT_EQ(sh.colWidth[1], static_cast<int>(std::max<std::size_t>(longest, 7)));
    EXPECT_EQ(sh.colWidth[17], 7); // the heading "Ksel,HS" is wider than " 1"
}

TEST_F(DefaultDb, IsSavedByteForByteAndReloadsTheSame) {
    EXPECT_EQ(saved("copy.DBS"), slurp(defaultDbPath()));
    expectReloadsSame(dir.file("copy.DBS"));
}

TEST_F(DatabaseRoundTrip, EveryFieldFormIsReadAndWrittenBack) {
    const DbFile f{
        .title = "Anything at all", // never compared
        .desorption = "\"Constants for FA desorption\",7,1E-03,1.5E+07",
        .species = {sp1(2, "Na", "1,2,0,0,1,0,0,0,0,999,999,1,1"),
                    sp1(101, "HCO3-", "-1,55,1,0,1,1,0,10.329,-3.561,999,999,,1"), // empty Ksel,HS
                    "120,NaSO4-, -1, 2, 54,0,1,1,0,\"0.7\",1.5E-07,999,999,1,1"}}; // bare name, quoted number
    ASSERT_TRUE(loads(f));
    EXPECT_DOUBLE_EQ(st->K0, 0.001);
    EXPECT_DOUBLE_EQ(st->Beta, 1.5e7);
    EXPECT_TRUE(st->SpKselHS[101].empty());
    EXPECT_EQ(st->vaDbs.cells[2][17], " 0"); // an empty cell counts as 0, and shows so
    EXPECT_EQ(st->SpName[120], "NaSO4-");
    EXPECT_DOUBLE_EQ(st->SpLogK[120], 0.7);
    EXPECT_DOUBLE_EQ(st->SpDeltaH[120], 1.5e-7);

    const std::string out = saved();
    EXPECT_EQ(out.rfind("\"Kelvaspec DATABASE\"\r\n", 0), 0u);
    for (const char* line : {"\"Constants for FA desorption\",1,.001,15000000\r\n",
                             "101,\"HCO3-\",-1,55,1,0,1,1,0,10.329,-3.561,999,999,,1\r\n",
                             "120,\"NaSO4-\",-1,2,54,0,1,1,0,.7,1.5E-07,999,999,1,1\r\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line;
    EXPECT_TRUE(out.ends_with("\"END OF DATA\"\r\n"));
    expectReloadsSame(dir.file("out.DBS"));
}

TEST_F(DatabaseHeterogeneity, MissingLineMeansOneGroupAndIsWrittenOnSave) {
    st->Nosite = 3;
    st->S1proc = 60.0; // kept: the file says nothing about them
    st->S2proc = 30.0;
    ASSERT_TRUE(
        loads(DbFile{.hetero = std::nullopt, .species = {sp1(4, "Mg", "2,4,0,0,1,0,0,0,0,3.3,2.2,1,1")}}));
    EXPECT_EQ(st->Nosite, 1);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 4, 1), 2.2);
    EXPECT_DOUBLE_EQ(st->SpKselClay[4], 1.0);
    EXPECT_NE(saved().find("\r\n\"Heterogeneity\",1,60,30,0\r\n\"No. of data lines\",1\r\n"),
              std::string::npos);
}

TEST_F(DatabaseHeterogeneity, TwoGroupsUseSeventeenFieldsAndRepeatGroupOne) {
    const DbFile f{.hetero = "\"Heterogeneity\",2,70,30,0",
                   .species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,2.5,.8,1.75,1,1"),
                               sp1(13, "Zn", "2,13,0,0,1,0,0,0,0,999,999,999,999,1,1")}};
    ASSERT_TRUE(loads(f));
    EXPECT_EQ(st->Nosite, 2);
    EXPECT_DOUBLE_EQ(st->SpPKM(1, 12, 2), 2.5);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 12, 1), 0.8);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 12, 2), 1.75);
    EXPECT_TRUE(st->SpPKM(1, 12, 3).empty());
    EXPECT_DOUBLE_EQ(st->SpKselHS[12], 1.0);
    EXPECT_EQ(cols(st->vaDbs.cells[1], 11, 18),
              (Texts{" 1.5", " 2.5", " 1.5", " .8", " 1.75", " .8", " 1", " 1"}));
    EXPECT_EQ(st->vaDbs.cells[2][12], "");
    const auto& lk = st->vaDbs.locked;
    EXPECT_FALSE(lk[1][12] || lk[0][15]);
    EXPECT_TRUE(lk[1][13] && lk[2][16]);
    EXPECT_EQ(saved(), f.text());
}

TEST_F(DatabaseHeterogeneity, ThreeGroupsUnlockEveryPkColumn) {
    const DbFile f{.hetero = "\"Heterogeneity\",3,50,30,20",
                   .species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,2.5,3.5,.8,1.8,2.8,1,1")}};
    ASSERT_TRUE(loads(f));
    EXPECT_DOUBLE_EQ(st->SpPKM(1, 12, 3), 3.5);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 12, 3), 2.8);
    EXPECT_EQ(st->vaDbs.cells[1][13], " 3.5");
    for (int c = 11; c <= 16; ++c) EXPECT_FALSE(st->vaDbs.locked[1][c]) << c;
    EXPECT_EQ(saved(), f.text());
}

TEST_F(DatabaseHeterogeneity, CountIsTruncatedToItsWholePart) {
    ASSERT_TRUE(loads(DbFile{.hetero = "\"Heterogeneity\",2.9,70,30,0",
                             .species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,2.5,.8,1.8,1,1")}}));
    EXPECT_EQ(st->Nosite, 2);
    EXPECT_DOUBLE_EQ(st->SpKselClay[12], 1.0);
}

TEST_F(DatabaseSpecies, BindingFollowsPkOfGroupOneAndIsClearedByEachLoad) {
    st->SpBind[7] = 1;   // left by an earlier database
    st->SpBind[300] = 1; // a species the new file does not have
    ASSERT_TRUE(loads(DbFile{.species = {sp1(4, "Mg", "2,4,0,0,1,0,0,0,0,998.5,999,1,1"),
                                         sp1(6, "Ca", "2,6,0,0,1,0,0,0,0,999,2,1,1"),
                                         sp1(7, "Mn", "2,7,0,0,1,0,0,0,0,1000,2,1,1")}}));
    EXPECT_EQ((std::array{st->SpBind[4], st->SpBind[6], st->SpBind[7], st->SpBind[300]}),
              (std::array<i16, 4>{1, 0, 0, 0}));
    EXPECT_EQ((Texts{st->vaDbs.cells[1][11], st->vaDbs.cells[2][11], st->vaDbs.cells[3][11]}),
              (Texts{" 998.5", "", " 1000"}));
}

TEST_F(DatabaseSpecies, ComponentListSkipsHydrogenHydroxideAndComplexes) {
    st->main.lstCompnames = {"old"};
    st->main.txtCompname = "Cu";
    ASSERT_TRUE(loads(DbFile{.species = {sp1(52, "Cl"), sp1(1, "H"), sp1(2, "Na"), sp1(51, "OH"),
                                         sp1(99, "X99"), sp1(100, "X100"), sp1(101, "HCO3-")}}));
    EXPECT_EQ(st->main.lstCompnames, (Texts{"Cl", "Na", "X99"}));
    EXPECT_EQ(st->main.txtCompname, "");
}

TEST_F(DatabaseSpecies, DuplicateNumbersLetTheLaterLineWinAndShowBothRows) {
    ASSERT_TRUE(loads(DbFile{.species = {sp1(12, "CuA", "2,12,0,0,1,0,0,0,0,1.5,.8,1,1"), sp1(13, "Zn"),
                                         sp1(12, "CuB", "1,12,0,0,1,0,0,0,0,999,999,1,3")}}));
    EXPECT_EQ(st->SpName[12], "CuB");
    EXPECT_EQ(st->SpCharge[12], 1);
    EXPECT_DOUBLE_EQ(st->SpKselClay[12], 3.0);
    EXPECT_EQ(st->SpBind[12], 0); // the later line does not bind
    EXPECT_EQ(st->vaDbs.maxRows, 3);
    EXPECT_EQ(st->vaDbs.cells[1][1], "CuA");
    EXPECT_EQ(st->vaDbs.cells[3][1], "CuB");
    ASSERT_EQ(rep.warnings.size(), 1u);
    EXPECT_NE(rep.warnings[0].find("12"), std::string::npos);
}

TEST_F(DatabaseSpecies, ChemistryTheEngineCannotTreatFullyIsWarnedAbout) {
    ASSERT_TRUE(loads(DbFile{.species = {sp1(2, "Na"), sp1(150, "X5+", "5,2,0,0,1,0,0,0,0,999,999,1,1"),
                                         sp1(151, "Y", "0,2,1,52,1,1,-1,0,0,999,999,1,1"),
                                         sp1(152, "Z", "0,2,120,0,1,1,0,0,0,999,999,1,1")}}));
    ASSERT_EQ(rep.warnings.size(), 3u);
    EXPECT_NE(rep.warnings[0].find("charge 5"), std::string::npos);
    EXPECT_NE(rep.warnings[1].find("Comp. III"), std::string::npos);
    EXPECT_NE(rep.warnings[2].find("120"), std::string::npos);
    EXPECT_EQ(st->SpCharge[150], 5);
    EXPECT_EQ(st->SpSto3[151], -1);
}

// A constant whose power of ten overflows would make every problem with the species undefined:
// the warning names the line and the column. 999 is no value, and a species that does not bind
// never uses its pK columns.
TEST_F(DatabaseSpecies, ConstantsWhosePowerOfTenOverflowsAreWarnedAbout) {
    ASSERT_TRUE(loads(DbFile{.species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,-32769,.8,1,1"), sp1(13, "Zn"),
                                         sp1(2, "Na", "1,2,0,0,1,0,0,0,0,999,-5000,1,1"),
                                         sp1(14, "Cd", "2,14,0,0,1,0,0,0,0,2.5,-80,1,1"),
                                         sp1(15, "Pb", "2,15,0,0,1,0,0,0,0,-70,999,1,1"),
                                         sp1(201, "X", "1,12,13,0,1,1,0,400,0,999,999,1,1"),
                                         sp1(202, "Y", "1,12,13,0,1,1,0,-400,0,999,999,1,1")}}));
    const Texts want = {"line 12, species 12 \"Cu\": column pKMHA(1) holds -32769, which cannot be used: its power "
                        "of ten overflows",
                        "line 15, species 14 \"Cd\": column pKMFA(1) holds -80, which cannot be used: its power of "
                        "ten overflows",
                        "line 17, species 201 \"X\": column log K holds 400, which cannot be used: its power of ten "
                        "overflows"};
    EXPECT_EQ(rep.warnings, want);
}

TEST_F(DatabaseSave, MarkerOfLineNineIsAlwaysOneAndUnitIsReset) {
    DbFile f{.desorption = "\"Constants for FA desorption\",3.5,.05,634", .species = {sp1(2, "Na")}};
    st->Dhunit = 2;
    st->optKJ = true;
    ASSERT_TRUE(loads(f));
    EXPECT_EQ(st->Dhunit, 1);
    EXPECT_FALSE(st->optKJ);
    f.desorption = "\"Constants for FA desorption\",1,.05,634";
    EXPECT_EQ(saved(), f.text());
}

TEST(DatabaseSheet, Pro999BlanksOnlyWholeValuesOf999OutsideColumnZero) {
    auto st = freshState();
    st->Ndatalines = 2;
    resetDbSheet(st->vaDbs, 2);
    auto& r1 = st->vaDbs.cells[1];
    // A name that reads as the number is blanked like any other cell; "999abc" is no number.
    const Texts before = {"999", "999", " 999", "999abc", " 999.0", " 998.99"};
    const Texts after = {"999", "", "", "999abc", "", " 998.99"};
    const int at[] = {0, 1, 2, 9, 10, 11};
    for (int i = 0; i < 6; ++i) r1[at[i]] = before[i];
    st->vaDbs.cells[2][18] = "9.99E+02";
    pro999(*st);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r1[at[i]], after[i]) << "column " << at[i];
    EXPECT_EQ(st->vaDbs.cells[2][18], "");
    EXPECT_EQ(st->vaDbs.cells[0][1], "Species");
}

TEST(DatabaseSheet, LockcellFollowsEachChangeOfSiteGroups) {
    auto st = freshState();
    st->Ndatalines = 3;
    resetDbSheet(st->vaDbs, 3);
    st->Nosite = 1;
    lockcell(*st);
    EXPECT_TRUE(st->vaDbs.locked[3][12] && st->vaDbs.locked[3][16]);
    st->Nosite = 3;
    lockcell(*st);
    for (int r = 0; r <= 3; ++r)
        for (int c = 0; c < kSheetCols; ++c) EXPECT_FALSE(st->vaDbs.locked[r][c]) << r << "," << c;
    st->Nosite = 2;
    st->Ndatalines = 10; // more lines than the sheet has rows: only the rows it has
    lockcell(*st);
    EXPECT_FALSE(st->vaDbs.locked[2][15]);
    EXPECT_TRUE(st->vaDbs.locked[2][13]);
}
