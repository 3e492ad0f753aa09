// Loading and saving database files that are well formed: the bundled default database, the
// round trip through the writer, and the layouts the heterogeneity setting selects.
#include "files/database.h"

#include "files/database_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kelva;
using namespace kelva::test;

namespace {

class DefaultDb : public ::testing::Test {
  protected:
    void SetUp() override {
        st->Dbfile = defaultDbPath();
        rep = readdb(*st);
        ASSERT_TRUE(rep.ok) << (rep.error ? rep.error->describe() : "");
    }
    std::unique_ptr<ProgramState> st = freshState();
    DbReport rep;
};

int rowOf(const ProgramState& st, int n) {
    for (int i = 1; i <= st.Ndatalines; ++i)
        if (st.SpNo[i] == n) return i;
    return 0;
}

} // namespace

TEST_F(DefaultDb, GeneralParametersAndCounts) {
    EXPECT_TRUE(rep.warnings.empty()) << rep.warnings.front();
    EXPECT_FLOAT_EQ(st->Ncooh[1], 3.29e-3f);
    EXPECT_FLOAT_EQ(st->Ncooh[2], 4.73e-3f);
    EXPECT_FLOAT_EQ(st->P[1], -374.0f);
    EXPECT_FLOAT_EQ(st->Radius[1], 1.72e-9f);
    EXPECT_FLOAT_EQ(st->Molwt[2], 1500.0f);
    EXPECT_FLOAT_EQ(st->Eqclay, 3.0e-4f);
    EXPECT_DOUBLE_EQ(st->Lksoal25, 8.291);
    EXPECT_DOUBLE_EQ(st->Dhfe, -17537.0);
    EXPECT_DOUBLE_EQ(st->K0, 0.05);
    EXPECT_DOUBLE_EQ(st->Beta, 634.0);
    EXPECT_EQ(st->Nosite, 1);
    EXPECT_EQ(st->S1proc.v, 100.0);
    EXPECT_EQ(st->Ndatalines, 223);
    int components = 0;
    for (int i = 1; i <= st->Ndatalines; ++i) components += st->SpNo[i] < 100;
    EXPECT_EQ(components, 28);
}

TEST_F(DefaultDb, SpeciesTablesAtTheirNumbers) {
    EXPECT_EQ(st->SpName[1], "H");
    EXPECT_EQ(st->SpName[51], "OH");
    EXPECT_EQ(st->SpName[21], "F");
    EXPECT_EQ(st->SpName[55], "CO3");
    EXPECT_EQ(st->SpCharge[55], -2);
    EXPECT_TRUE(st->SpName[56].empty()); // gap in the numbering
    EXPECT_TRUE(st->SpName[100].empty());
    // UO2H2PO4+ = UO2 + PO4 + 2 H
    EXPECT_EQ(st->SpName[352], "UO2H2PO4+");
    EXPECT_EQ(st->SpComp1[352], 20);
    EXPECT_EQ(st->SpComp2[352], 58);
    EXPECT_EQ(st->SpComp3[352], 1);
    EXPECT_EQ(st->SpSto3[352], 2);
    EXPECT_DOUBLE_EQ(st->SpLogK[352], 22.833);
    EXPECT_DOUBLE_EQ(st->SpDeltaH[352], -3.7);
    EXPECT_DOUBLE_EQ(st->SpPKM(1, 12, 1), 1.5);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 12, 1), 0.8);
    EXPECT_TRUE(st->SpPKM(1, 12, 2).empty()); // one site group: groups 2 and 3 are not in the file
    EXPECT_DOUBLE_EQ(st->SpKselClay[3], 5.0);
    EXPECT_DOUBLE_EQ(st->SpKselClay[18], 4.0);
}

TEST_F(DefaultDb, BindingFlagsComponentListAndConnection) {
    int binding = 0;
    for (int n = 1; n <= kMaxSpecies; ++n) binding += st->SpBind[n];
    EXPECT_EQ(binding, 28);
    EXPECT_EQ(st->SpBind[12], 1);
    EXPECT_EQ(st->SpBind[1], 0);
    EXPECT_EQ(st->SpBind[2], 0);

    const std::vector<std::string> names = {"Na",      "K",  "Mg", "Al",  "Ca",  "Mn",  "Fe(II)", "Co",  "Ni",
                                            "Fe(III)", "Cu", "Zn", "Cd",  "Pb",  "Sr",  "Ba",     "NH4", "Hg",
                                            "UO2",     "F",  "Cl", "NO3", "SO4", "CO3", "S(-II)", "PO4"};
    EXPECT_EQ(st->main.lstCompnames, names);
    EXPECT_EQ(st->main.txtCompname, "");
    EXPECT_EQ(st->main.txtDb, st->Dbfile);
    EXPECT_TRUE(st->main.txtDbVisible);
    EXPECT_TRUE(st->main.cmdEddbsVisible);
    EXPECT_TRUE(st->main.mnuDatabaseEnabled);
}

TEST_F(DefaultDb, SheetRowsBlanksAndLocks) {
    const auto& sh = st->vaDbs;
    ASSERT_EQ(sh.maxRows, 223);
    ASSERT_EQ(sh.cells.size(), 224u);
    for (int c = 0; c < kSheetCols; ++c) EXPECT_EQ(sh.cells[0][c], kDbHeadings[c]);
    EXPECT_EQ(sh.cells[0][11], "pKMHA(1)");
    EXPECT_EQ(sh.cells[0][18], "Ksel,Clay");

    const auto& h = sh.cells[1];
    EXPECT_EQ(h[0], " 1");
    EXPECT_EQ(h[1], "H");
    EXPECT_EQ(h[2], " 1");
    EXPECT_EQ(h[9], " 0");
    for (int c = 11; c <= 16; ++c) EXPECT_EQ(h[c], "") << "999 shows blank, column " << c;

    const auto& cu = sh.cells[rowOf(*st, 12)];
    EXPECT_EQ(cu[1], "Cu");
    EXPECT_EQ(cu[11], " 1.5");
    EXPECT_EQ(cu[12], " 1.5"); // group 1 repeated under the groups the file leaves out
    EXPECT_EQ(cu[13], " 1.5");
    EXPECT_EQ(cu[14], " .8");
    EXPECT_EQ(cu[16], " .8");
    const auto& fe = sh.cells[rowOf(*st, 11)];
    EXPECT_EQ(fe[14], "-.2");
    const auto& cuoh = sh.cells[rowOf(*st, 240)];
    EXPECT_EQ(cuoh[4], " 1");
    EXPECT_EQ(cuoh[7], "-1");

    for (int r = 0; r <= 223; r += 37) {
        EXPECT_FALSE(sh.locked[r][11]);
        EXPECT_TRUE(sh.locked[r][12]);
        EXPECT_TRUE(sh.locked[r][13]);
        EXPECT_FALSE(sh.locked[r][14]);
        EXPECT_TRUE(sh.locked[r][15]);
        EXPECT_TRUE(sh.locked[r][16]);
    }
    std::size_t longest = 0;
    for (int n = 1; n <= kMaxSpecies; ++n) longest = std::max(longest, st->SpName[n].size());
    EXPECT_EQ(sh.colWidth[1], static_cast<int>(std::max<std::size_t>(longest, 7)));
    EXPECT_EQ(sh.colWidth[17], 7); // the heading "Ksel,HS" is wider than " 1"
}

TEST(DatabaseRoundTrip, DefaultDatabaseIsReproducedByteForByte) {
    TempDir dir;
    auto st = freshState();
    st->Dbfile = defaultDbPath();
    ASSERT_TRUE(readdb(*st).ok);
    std::string err;
    ASSERT_TRUE(savdata(*st, dir.file("copy.DBS"), err)) << err;
    EXPECT_EQ(slurp(dir.file("copy.DBS")), slurp(defaultDbPath()));

    auto again = freshState();
    again->Dbfile = dir.file("copy.DBS");
    ASSERT_TRUE(readdb(*again).ok);
    expectSameTables(*st, *again);
}

TEST(DatabaseRoundTrip, EveryFieldFormIsReadAndWrittenBack) {
    TempDir dir;
    DbFile f;
    f.title = "Anything at all"; // never compared
    f.desorption = "\"Constants for FA desorption\",7,1E-03,1.5E+07";
    f.species = {sp1(2, "Na", "1,2,0,0,1,0,0,0,0,999,999,1,1"),
                 sp1(101, "HCO3-", "-1,55,1,0,1,1,0,10.329,-3.561,999,999,,1"), // empty Ksel,HS
                 "120,NaSO4-, -1, 2, 54,0,1,1,0,\"0.7\",1.5E-07,999,999,1,1"};  // bare name, quoted number
    auto st = freshState();
    const auto rep = loadText(*st, dir, f.text());
    ASSERT_TRUE(rep.ok) << rep.error->describe();
    EXPECT_DOUBLE_EQ(st->K0, 0.001);
    EXPECT_DOUBLE_EQ(st->Beta, 1.5e7);
    EXPECT_TRUE(st->SpKselHS[101].empty());
    EXPECT_EQ(st->vaDbs.cells[2][17], " 0"); // an empty cell counts as 0, and shows so
    EXPECT_EQ(st->SpName[120], "NaSO4-");
    EXPECT_DOUBLE_EQ(st->SpLogK[120], 0.7);
    EXPECT_DOUBLE_EQ(st->SpDeltaH[120], 1.5e-7);

    std::string err;
    ASSERT_TRUE(savdata(*st, dir.file("out.DBS"), err)) << err;
    const std::string out = slurp(dir.file("out.DBS"));
    EXPECT_EQ(out.rfind("\"Kelvaspec DATABASE\"\r\n", 0), 0u);
    EXPECT_NE(out.find("\"Constants for FA desorption\",1,.001,15000000\r\n"), std::string::npos);
    EXPECT_NE(out.find("101,\"HCO3-\",-1,55,1,0,1,1,0,10.329,-3.561,999,999,,1\r\n"), std::string::npos);
    EXPECT_NE(out.find("120,\"NaSO4-\",-1,2,54,0,1,1,0,.7,1.5E-07,999,999,1,1\r\n"), std::string::npos);
    EXPECT_TRUE(out.ends_with("\"END OF DATA\"\r\n"));

    auto again = freshState();
    again->Dbfile = dir.file("out.DBS");
    ASSERT_TRUE(readdb(*again).ok);
    expectSameTables(*st, *again);
}

TEST(DatabaseHeterogeneity, MissingLineMeansOneGroupAndIsWrittenOnSave) {
    TempDir dir;
    DbFile f;
    f.hetero.reset();
    f.species = {sp1(4, "Mg", "2,4,0,0,1,0,0,0,0,3.3,2.2,1,1")};
    auto st = freshState();
    st->Nosite = 3;
    st->S1proc = 60.0; // kept: the file says nothing about them
    st->S2proc = 30.0;
    const auto rep = loadText(*st, dir, f.text());
    ASSERT_TRUE(rep.ok) << rep.error->describe();
    EXPECT_EQ(st->Nosite, 1);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 4, 1), 2.2);
    EXPECT_DOUBLE_EQ(st->SpKselClay[4], 1.0);

    std::string err;
    ASSERT_TRUE(savdata(*st, dir.file("out.DBS"), err)) << err;
    EXPECT_NE(
        slurp(dir.file("out.DBS")).find("\r\n\"Heterogeneity\",1,60,30,0\r\n\"No. of data lines\",1\r\n"),
        std::string::npos);
}

TEST(DatabaseHeterogeneity, TwoGroupsUseSeventeenFieldsAndRepeatGroupOne) {
    TempDir dir;
    DbFile f;
    f.hetero = "\"Heterogeneity\",2,70,30,0";
    f.species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,2.5,.8,1.75,1,1"),
                 sp1(13, "Zn", "2,13,0,0,1,0,0,0,0,999,999,999,999,1,1")};
    const std::string content = f.text();
    auto st = freshState();
    const auto rep = loadText(*st, dir, content);
    ASSERT_TRUE(rep.ok) << rep.error->describe();
    EXPECT_EQ(st->Nosite, 2);
    EXPECT_DOUBLE_EQ(st->SpPKM(1, 12, 2), 2.5);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 12, 1), 0.8);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 12, 2), 1.75);
    EXPECT_TRUE(st->SpPKM(1, 12, 3).empty());
    EXPECT_DOUBLE_EQ(st->SpKselHS[12], 1.0);
    const auto& cu = st->vaDbs.cells[1];
    EXPECT_EQ(std::vector<std::string>(cu.begin() + 11, cu.begin() + 19),
              (std::vector<std::string>{" 1.5", " 2.5", " 1.5", " .8", " 1.75", " .8", " 1", " 1"}));
    EXPECT_EQ(st->vaDbs.cells[2][12], "");
    EXPECT_FALSE(st->vaDbs.locked[1][12]);
    EXPECT_TRUE(st->vaDbs.locked[1][13]);
    EXPECT_FALSE(st->vaDbs.locked[0][15]);
    EXPECT_TRUE(st->vaDbs.locked[2][16]);

    std::string err;
    ASSERT_TRUE(savdata(*st, dir.file("out.DBS"), err)) << err;
    EXPECT_EQ(slurp(dir.file("out.DBS")), content);
}

TEST(DatabaseHeterogeneity, ThreeGroupsUnlockEveryPkColumn) {
    TempDir dir;
    DbFile f;
    f.hetero = "\"Heterogeneity\",3,50,30,20";
    f.species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,2.5,3.5,.8,1.8,2.8,1,1")};
    auto st = freshState();
    ASSERT_TRUE(loadText(*st, dir, f.text()).ok);
    EXPECT_DOUBLE_EQ(st->SpPKM(1, 12, 3), 3.5);
    EXPECT_DOUBLE_EQ(st->SpPKM(2, 12, 3), 2.8);
    EXPECT_EQ(st->vaDbs.cells[1][13], " 3.5");
    for (int c = 11; c <= 16; ++c) EXPECT_FALSE(st->vaDbs.locked[1][c]);
    std::string err;
    ASSERT_TRUE(savdata(*st, dir.file("out.DBS"), err));
    EXPECT_EQ(slurp(dir.file("out.DBS")), f.text());
}

TEST(DatabaseHeterogeneity, CountIsTruncatedToItsWholePart) {
    TempDir dir;
    DbFile f;
    f.hetero = "\"Heterogeneity\",2.9,70,30,0";
    f.species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,2.5,.8,1.8,1,1")};
    auto st = freshState();
    ASSERT_TRUE(loadText(*st, dir, f.text()).ok);
    EXPECT_EQ(st->Nosite, 2);
    EXPECT_DOUBLE_EQ(st->SpKselClay[12], 1.0);
}

TEST(DatabaseSpecies, BindingFollowsPkOfGroupOneAndIsClearedByEachLoad) {
    TempDir dir;
    DbFile f;
    f.species = {sp1(4, "Mg", "2,4,0,0,1,0,0,0,0,998.5,999,1,1"), sp1(6, "Ca", "2,6,0,0,1,0,0,0,0,999,2,1,1"),
                 sp1(7, "Mn", "2,7,0,0,1,0,0,0,0,1000,2,1,1")};
    auto st = freshState();
    st->SpBind[7] = 1;   // left by an earlier database
    st->SpBind[300] = 1; // a species the new file does not have
    ASSERT_TRUE(loadText(*st, dir, f.text()).ok);
    EXPECT_EQ(st->SpBind[4], 1);
    EXPECT_EQ(st->SpBind[6], 0);
    EXPECT_EQ(st->SpBind[7], 0);
    EXPECT_EQ(st->SpBind[300], 0);
    EXPECT_EQ(st->vaDbs.cells[1][11], " 998.5");
    EXPECT_EQ(st->vaDbs.cells[2][11], "");
    EXPECT_EQ(st->vaDbs.cells[3][11], " 1000");
}

TEST(DatabaseSpecies, ComponentListSkipsHydrogenHydroxideAndComplexes) {
    TempDir dir;
    DbFile f;
    f.species = {sp1(52, "Cl"),  sp1(1, "H"),      sp1(2, "Na"),     sp1(51, "OH"),
                 sp1(99, "X99"), sp1(100, "X100"), sp1(101, "HCO3-")};
    auto st = freshState();
    st->main.lstCompnames = {"old"};
    st->main.txtCompname = "Cu";
    ASSERT_TRUE(loadText(*st, dir, f.text()).ok);
    EXPECT_EQ(st->main.lstCompnames, (std::vector<std::string>{"Cl", "Na", "X99"}));
    EXPECT_EQ(st->main.txtCompname, "");
}

TEST(DatabaseSpecies, DuplicateNumbersLetTheLaterLineWinAndShowBothRows) {
    TempDir dir;
    DbFile f;
    f.species = {sp1(12, "CuA", "2,12,0,0,1,0,0,0,0,1.5,.8,1,1"), sp1(13, "Zn"),
                 sp1(12, "CuB", "1,12,0,0,1,0,0,0,0,999,999,1,3")};
    auto st = freshState();
    const auto rep = loadText(*st, dir, f.text());
    ASSERT_TRUE(rep.ok);
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

TEST(DatabaseSpecies, ChemistryTheEngineCannotTreatFullyIsWarnedAbout) {
    TempDir dir;
    DbFile f;
    f.species = {sp1(2, "Na"), sp1(150, "X5+", "5,2,0,0,1,0,0,0,0,999,999,1,1"),
                 sp1(151, "Y", "0,2,1,52,1,1,-1,0,0,999,999,1,1"),
                 sp1(152, "Z", "0,2,120,0,1,1,0,0,0,999,999,1,1")};
    auto st = freshState();
    const auto rep = loadText(*st, dir, f.text());
    ASSERT_TRUE(rep.ok);
    ASSERT_EQ(rep.warnings.size(), 3u);
    EXPECT_NE(rep.warnings[0].find("charge 5"), std::string::npos);
    EXPECT_NE(rep.warnings[1].find("Comp. III"), std::string::npos);
    EXPECT_NE(rep.warnings[2].find("120"), std::string::npos);
    EXPECT_EQ(st->SpCharge[150], 5);
    EXPECT_EQ(st->SpSto3[151], -1);
}

TEST(DatabaseSave, MarkerOfLineNineIsAlwaysOneAndUnitIsReset) {
    TempDir dir;
    DbFile f;
    f.desorption = "\"Constants for FA desorption\",3.5,.05,634";
    f.species = {sp1(2, "Na")};
    auto st = freshState();
    st->Dhunit = 2;
    st->optKJ = true;
    ASSERT_TRUE(loadText(*st, dir, f.text()).ok);
    EXPECT_EQ(st->Dhunit, 1);
    EXPECT_FALSE(st->optKJ);
    std::string err;
    ASSERT_TRUE(savdata(*st, dir.file("out.DBS"), err));
    DbFile expected = f;
    expected.desorption = "\"Constants for FA desorption\",1,.05,634";
    EXPECT_EQ(slurp(dir.file("out.DBS")), expected.text());
}

TEST(DatabaseSheet, Pro999BlanksOnlyWholeValuesOf999OutsideColumnZero) {
    auto st = freshState();
    st->Ndatalines = 2;
    resetDbSheet(st->vaDbs, 2);
    auto& r1 = st->vaDbs.cells[1];
    r1[0] = "999";
    r1[1] = "999"; // a name that reads as the number: blanked like any other cell
    r1[2] = " 999";
    r1[9] = "999abc"; // not a number
    r1[10] = " 999.0";
    r1[11] = " 998.99";
    st->vaDbs.cells[2][18] = "9.99E+02";
    pro999(*st);
    EXPECT_EQ(r1[0], "999");
    EXPECT_EQ(r1[1], "");
    EXPECT_EQ(r1[2], "");
    EXPECT_EQ(r1[9], "999abc");
    EXPECT_EQ(r1[10], "");
    EXPECT_EQ(r1[11], " 998.99");
    EXPECT_EQ(st->vaDbs.cells[2][18], "");
    EXPECT_EQ(st->vaDbs.cells[0][1], "Species");
}

TEST(DatabaseSheet, LockcellFollowsEachChangeOfSiteGroups) {
    auto st = freshState();
    st->Ndatalines = 3;
    resetDbSheet(st->vaDbs, 3);
    st->Nosite = 1;
    lockcell(*st);
    EXPECT_TRUE(st->vaDbs.locked[3][12]);
    EXPECT_TRUE(st->vaDbs.locked[3][16]);
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
