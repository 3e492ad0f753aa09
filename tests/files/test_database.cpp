// Loading and saving database files: the bundled default database, the round trip through the
// writer, the layouts the heterogeneity setting selects; files that cannot be loaded stop with a
// message that says where, keep what was read, never mark the database connected and never reach
// outside a table; tables that would not load again are never saved.
#include "files/database.h"

#include "files/database_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace kelva;
using namespace kelva::test;

namespace {

using Texts = std::vector<std::string>;
using Database = DbTest;

// Cells from..to of a sheet row.
Texts cols(const std::array<std::string, kSheetCols>& row, int from, int to) {
    return Texts(row.begin() + from, row.begin() + to + 1);
}

class DatabaseMalformed : public DbTest {
  protected:
    void expectNotConnected() {
        const auto& m = st->main;
        EXPECT_EQ(
            std::tuple(m.txtDbVisible, m.cmdEddbsVisible, m.mnuDatabaseEnabled, m.txtDb, st->vaDbs.maxRows),
            std::tuple(false, false, false, "", st->Ndatalines));
        EXPECT_EQ(st->vaDbs.cells.size(), static_cast<std::size_t>(st->Ndatalines) + 1);
    }
    // Loads `content` into a fresh state: the load must stop at `line` with a message holding `words`.
    void expectRefused(const std::string& content, int line, const std::string& words) {
        st = freshState();
        ASSERT_FALSE(loads(content) || !rep.error);
        const ReadError& e = *rep.error;
        EXPECT_TRUE(e.line == line && e.field > 0 && e.message.find(words) != std::string::npos &&
                    e.file == "test.DBS")
            << e.describe();
        expectNotConnected();
    }
};

DbFile twoSpecies() {
    return {.species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,.8,1,1"), sp1(13, "Zn")}};
}

} // namespace

// The values themselves are pinned by the golden results of the examples and the byte-for-byte
// save; here what the load does besides: counts, gaps, flags, the component list and the sheet.
TEST_F(Database, DefaultDatabaseTablesListAndSheet) {
    ASSERT_TRUE(loadsDefault());
    EXPECT_TRUE(rep.warnings.empty()) << rep.warnings.front();
    EXPECT_EQ(std::tuple(st->Ndatalines, st->Nosite, st->S1proc.v), std::tuple(223, 1, 100.0));
    EXPECT_EQ(std::tuple(std::accumulate(&st->SpBind[1], &st->SpBind[1] + kMaxSpecies, 0), st->SpBind[12],
                         st->SpBind[1], st->SpBind[2]),
              std::tuple(28, 1, 0, 0));
    // One site group: groups 2 and 3 are not in the file.
    EXPECT_EQ(std::tuple(st->SpName[55], st->SpName[56], st->SpName[100], st->SpPKM(1, 12, 2).empty()),
              std::tuple("CO3", "", "", true));
    EXPECT_EQ(st->main.lstCompnames, (Texts{"Na",      "K",  "Mg", "Al",  "Ca",  "Mn",  "Fe(II)", "Co",  "Ni",
                                            "Fe(III)", "Cu", "Zn", "Cd",  "Pb",  "Sr",  "Ba",     "NH4", "Hg",
                                            "UO2",     "F",  "Cl", "NO3", "SO4", "CO3", "S(-II)", "PO4"}));
    const auto& m = st->main;
    EXPECT_EQ(std::tuple(m.txtCompname, m.txtDb, m.txtDbVisible, m.cmdEddbsVisible, m.mnuDatabaseEnabled),
              std::tuple("", st->Dbfile, true, true, true));

    const auto& sh = st->vaDbs;
    ASSERT_EQ(std::tuple(sh.maxRows, sh.cells.size()), std::tuple(223, 224u));
    for (int c = 0; c < kSheetCols; ++c) EXPECT_EQ(sh.cells[0][c], kDbHeadings[c]);
    EXPECT_EQ(cols(sh.cells[1], 0, 2), (Texts{" 1", "H", " 1"}));
    EXPECT_EQ(cols(sh.cells[1], 9, 16), (Texts{" 0", " 0", "", "", "", "", "", ""})) << "999 shows blank";
    // Group 1 is repeated under the groups the file leaves out.
    EXPECT_EQ(cols(sh.cells[rowOf(*st, 12)], 11, 16), (Texts{" 1.5", " 1.5", " 1.5", " .8", " .8", " .8"}));
    EXPECT_EQ(cols(sh.cells[rowOf(*st, 240)], 4, 7), (Texts{" 1", " 0", " 1", "-1"}));
    EXPECT_EQ(std::tuple(sh.colWidth[1], sh.colWidth[17]), std::tuple(13, 7)); // the longest name; "Ksel,HS"

    EXPECT_EQ(saved("copy.DBS"), slurp(defaultDbPath())); // so it loads to the same tables
}

TEST_F(Database, EveryFieldFormIsReadAndWrittenBack) {
    const DbFile f{
        .title = "Anything at all", // never compared
        .desorption = "\"Constants for FA desorption\",7,1E-03,1.5E+07",
        .species = {sp1(2, "Na", "1,2,0,0,1,0,0,0,0,999,999,1,1"),
                    sp1(101, "HCO3-", "-1,55,1,0,1,1,0,10.329,-3.561,999,999,,1"), // empty Ksel,HS
                    "120,NaSO4-, -1, 2, 54,0,1,1,0,\"0.7\",1.5E-07,999,999,1,1"}}; // bare name, quoted number
    st->Dhunit = 2;
    st->optKJ = true;
    ASSERT_TRUE(loads(f));
    EXPECT_EQ(std::tuple(st->Dhunit, st->optKJ), std::tuple(1, false)); // the sheet shows kcal/mol again
    EXPECT_EQ(std::tuple(st->K0, st->Beta, st->SpKselHS[101].empty()), std::tuple(0.001, 1.5e7, true));
    EXPECT_EQ(st->vaDbs.cells[2][17], " 0"); // an empty cell counts as 0, and shows so
    EXPECT_EQ(std::tuple(st->SpName[120], st->SpLogK[120].v, st->SpDeltaH[120].v),
              std::tuple("NaSO4-", 0.7, 1.5e-7));

    const std::string out = saved();
    EXPECT_EQ(out.rfind("\"Kelvaspec DATABASE\"\r\n", 0), 0u);
    // the marker of the desorption line is always written as 1
    for (const char* line : {"\"Constants for FA desorption\",1,.001,15000000\r\n",
                             "101,\"HCO3-\",-1,55,1,0,1,1,0,10.329,-3.561,999,999,,1\r\n",
                             "120,\"NaSO4-\",-1,2,54,0,1,1,0,.7,1.5E-07,999,999,1,1\r\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line;
    EXPECT_TRUE(out.ends_with("\"END OF DATA\"\r\n"));
    expectReloadsSame(dir.file("out.DBS"));
}

// The heterogeneity line selects the layout of the species lines: 15, 17 or 19 fields; the
// groups a file leaves out repeat group 1 in the sheet and are locked there.
TEST_F(Database, HeterogeneityLayouts) {
    struct Case {
        std::optional<std::string> hetero;
        std::string cu;
        int nosite;
        Texts sheet; // pKMHA(1)..pKMFA(3), Ksel,HS, Ksel,Clay
        std::vector<int> locked;
        bool savedAsRead;
    };
    // clang-format off
    const Case cases[] = {
        {std::nullopt, "2,12,0,0,1,0,0,0,0,1.5,2.2,1,1", 1, {" 1.5", " 1.5", " 1.5", " 2.2", " 2.2", " 2.2", " 1", " 1"}, {12, 13, 15, 16}, false},
        {"\"Heterogeneity\",2,70,30,0", "2,12,0,0,1,0,0,0,0,1.5,2.5,.8,1.75,1,3", 2, {" 1.5", " 2.5", " 1.5", " .8", " 1.75", " .8", " 1", " 3"}, {13, 16}, true},
        {"\"Heterogeneity\",2.9,70,30,0", "2,12,0,0,1,0,0,0,0,1.5,2.5,.8,1.75,1,3", 2, {" 1.5", " 2.5", " 1.5", " .8", " 1.75", " .8", " 1", " 3"}, {13, 16}, false},
        {"\"Heterogeneity\",3,50,30,20", "2,12,0,0,1,0,0,0,0,1.5,2.5,3.5,.8,1.8,2.8,1,3", 3, {" 1.5", " 2.5", " 3.5", " .8", " 1.8", " 2.8", " 1", " 3"}, {}, true}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hetero.value_or("no heterogeneity line"));
        st = freshState();
        st->Nosite = 3;
        st->S1proc = 60.0; // kept when the file says nothing about them
        st->S2proc = 30.0;
        std::string zn = "2,13,0,0,1,0,0,0,0";
        for (int k = 0; k < 2 * c.nosite; ++k) zn += ",999";
        const DbFile f{.hetero = c.hetero, .species = {sp1(12, "Cu", c.cu), sp1(13, "Zn", zn + ",1,1")}};
        ASSERT_TRUE(loads(f));
        EXPECT_EQ(st->Nosite, c.nosite);
        EXPECT_EQ(cols(st->vaDbs.cells[1], 11, 18), c.sheet);
        EXPECT_EQ(st->SpKselClay[12].v, c.nosite == 1 ? 1.0 : 3.0);
        EXPECT_EQ(st->SpPKM(1, 12, 3).empty(), c.nosite < 3);
        std::vector<int> locked;
        for (int col = 11; col <= 16; ++col)
            if (st->vaDbs.locked[2][col]) locked.push_back(col);
        EXPECT_EQ(locked, c.locked);
        if (c.savedAsRead) {
            EXPECT_EQ(saved(), f.text());
        } else if (!c.hetero) { // a missing line is written on save, with the shares kept
            EXPECT_NE(saved().find("\r\n\"Heterogeneity\",1,60,30,0\r\n\"No. of data lines\",2\r\n"),
                      std::string::npos);
        }
    }
}

TEST_F(Database, BindingFlagsComponentListAndDuplicatesFollowTheLines) {
    st->SpBind[7] = 1;   // left by an earlier database
    st->SpBind[300] = 1; // a species the new file does not have
    st->main.lstCompnames = {"old"};
    st->main.txtCompname = "Cu";
    ASSERT_TRUE(loads(DbFile{.species = {sp1(4, "Mg", "2,4,0,0,1,0,0,0,0,998.5,999,1,1"),
                                         sp1(6, "Ca", "2,6,0,0,1,0,0,0,0,999,2,1,1"),
                                         sp1(7, "Mn", "2,7,0,0,1,0,0,0,0,1000,2,1,1"), sp1(1, "H"),
                                         sp1(51, "OH"), sp1(99, "X99"), sp1(100, "X100"), sp1(101, "HCO3-"),
                                         sp1(12, "CuA", "2,12,0,0,1,0,0,0,0,1.5,.8,1,1"),
                                         sp1(12, "CuB", "1,12,0,0,1,0,0,0,0,999,999,1,3")}}));
    EXPECT_EQ((std::array{st->SpBind[4], st->SpBind[6], st->SpBind[7], st->SpBind[300]}),
              (std::array<i16, 4>{1, 0, 0, 0}));
    EXPECT_EQ((Texts{st->vaDbs.cells[1][11], st->vaDbs.cells[2][11], st->vaDbs.cells[3][11]}),
              (Texts{" 998.5", "", " 1000"}));
    // Hydrogen, hydroxide, 100 and complexes are no components; the name box is emptied.
    EXPECT_EQ(st->main.lstCompnames, (Texts{"Mg", "Ca", "Mn", "X99", "CuA", "CuB"}));
    EXPECT_EQ(st->main.txtCompname, "");
    // A number given twice: the later line wins in the tables, the sheet shows both rows.
    EXPECT_EQ(std::tuple(st->SpName[12], st->SpCharge[12], st->SpKselClay[12].v, st->SpBind[12]),
              std::tuple("CuB", 1, 3.0, 0));
    EXPECT_EQ(std::tuple(st->vaDbs.maxRows, st->vaDbs.cells[9][1], st->vaDbs.cells[10][1]),
              std::tuple(10, "CuA", "CuB"));
    EXPECT_EQ(rep.warnings,
              (Texts{"species number 12 appears on more than one line; the later line's values are used"}));
}

// What the engine cannot treat fully is warned about, naming line and column; 999 is no value,
// and a species that does not bind never uses its pK columns.
TEST_F(Database, ChemistryTheEngineCannotTreatIsWarnedAbout) {
    ASSERT_TRUE(loads(DbFile{.species = {sp1(2, "Na", "1,2,0,0,1,0,0,0,0,999,-5000,1,1"),
                                         sp1(150, "X5+", "5,2,0,0,1,0,0,0,0,999,999,1,1"),
                                         sp1(151, "Y", "0,2,1,52,1,1,-1,0,0,999,999,1,1"),
                                         sp1(152, "Z", "0,2,120,0,1,1,0,0,0,999,999,1,1"),
                                         sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,-32769,.8,1,1"),
                                         sp1(14, "Cd", "2,14,0,0,1,0,0,0,0,2.5,-80,1,1"),
                                         sp1(15, "Pb", "2,15,0,0,1,0,0,0,0,-70,999,1,1"),
                                         sp1(201, "X", "1,12,13,0,1,1,0,400,0,999,999,1,1"),
                                         sp1(202, "Y", "1,12,13,0,1,1,0,-400,0,999,999,1,1")}}));
    ASSERT_EQ(rep.warnings.size(), 6u);
    for (const auto& [i, says] : {std::pair{0, "charge 5"}, {1, "Comp. III"}, {2, "120"}})
        EXPECT_NE(rep.warnings[i].find(says), std::string::npos) << rep.warnings[i];
    EXPECT_EQ(
        Texts(rep.warnings.begin() + 3, rep.warnings.end()),
        (Texts{"line 16, species 12 \"Cu\": column pKMHA(1) holds -32769, which cannot be used: its power "
               "of ten overflows",
               "line 17, species 14 \"Cd\": column pKMFA(1) holds -80, which cannot be used: its power of "
               "ten overflows",
               "line 19, species 201 \"X\": column log K holds 400, which cannot be used: its power of ten "
               "overflows"}));
    EXPECT_EQ(std::tuple(st->SpCharge[150], st->SpSto3[151]), std::tuple(5, -1));
}

// pro999 blanks only whole values of 999 outside column 0 (a name that reads as the number is
// blanked like any other cell; "999abc" is no number); lockcell locks only the rows the sheet has.
TEST(DatabaseSheet, Pro999AndLockcell) {
    auto st = freshState();
    st->Ndatalines = 3;
    resetDbSheet(st->vaDbs, 3);
    auto& r1 = st->vaDbs.cells[1];
    const Texts before = {"999", "999", " 999", "999abc", " 999.0", " 998.99"},
                after = {"999", "", "", "999abc", "", " 998.99"};
    const int at[] = {0, 1, 2, 9, 10, 11};
    for (int i = 0; i < 6; ++i) r1[at[i]] = before[i];
    st->vaDbs.cells[2][18] = "9.99E+02";
    pro999(*st);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r1[at[i]], after[i]) << "column " << at[i];
    EXPECT_EQ(std::tuple(st->vaDbs.cells[2][18], st->vaDbs.cells[0][1]), std::tuple("", "Species"));

    st->Nosite = 2;
    st->Ndatalines = 10; // more lines than the sheet has rows: only the rows it has
    lockcell(*st);
    EXPECT_EQ(std::tuple(st->vaDbs.locked[2][15], st->vaDbs.locked[2][13]), std::tuple(false, true));
}

TEST_F(DatabaseMalformed, EveryTruncationStopsCleanlyAndKeepsWhatWasRead) {
    const std::string full = slurp(defaultDbPath());
    const std::size_t firstSpecies = full.find("\r\n1,\"H\"") + 2,
                      lastSpeciesEnd = full.rfind("\r\n\"END OF DATA\"");
    int failures = 0;
    for (std::size_t cut = 0; cut < full.size(); cut += 37) {
        st = freshState();
        const bool ok = loads(full.substr(0, cut));
        SCOPED_TRACE("cut at byte " + std::to_string(cut));
        // Only "END OF DATA" missing is never read; a cut in the last field may end in a comma.
        if (cut + 2 >= lastSpeciesEnd) {
            EXPECT_TRUE(ok || cut < lastSpeciesEnd);
            continue;
        }
        ASSERT_FALSE(ok || !rep.error || rep.error->message.empty());
        ++failures;
        EXPECT_LE(rep.error->line,
                  std::count(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut), '\r') + 1);
        expectNotConnected();
        if (cut > firstSpecies) { // the parameters before the first species number were loaded
            EXPECT_EQ(std::tuple(st->Ncooh[1], st->Beta, st->SpNo[1]), std::tuple(3.29e-3f, 634.0, 1));
        }
    }
    EXPECT_GT(failures, 300);
}

// Numbers that do not fit the tables stop the load where they stand: the parameters before them
// were read, no species line reached the tables.
TEST_F(DatabaseMalformed, NumbersOutsideTheTablesAreRefused) {
    std::vector<std::tuple<std::string, int, std::string>> cases = {
        {DbFile{.species = {sp1(150, "X", "0,2,600,0,1,1,0,0,0,999,999,1,1")}}.text(), 12, "Comp. II"},
        {replaced(twoSpecies().text(), "No. of data lines", "Number of lines"), 14, "No. of data lines"}};
    struct Bad {
        int line; // 14: a species number; 11: the count of species lines; 10: the site groups
        const char* words;
        std::vector<std::string> texts;
    };
    const Bad bads[] = {{14, "species number", {"0", "501", "-3", "40000", "1E+300", "\"abc\""}},
                        {11, "number of species lines", {"501", "-1", "32767", "1E+9", "many"}},
                        {10, "site groups", {"0", "4", "-2", ".5", "\"x\""}}};
    for (const auto& [line, words, texts] : bads)
        for (const auto& bad : texts) {
            DbFile f = twoSpecies();
            if (line == 14) f.species.push_back(bad + ",\"Bad\",2,0,0,0,1,0,0,0,0,999,999,1,1");
            if (line == 11) f.count = bad;
            if (line == 10) f.hetero = "\"Heterogeneity\"," + bad + ",100,0,0";
            cases.emplace_back(f.text(), line, words);
        }
    for (const auto& [text, line, words] : cases) {
        SCOPED_TRACE(text);
        expectRefused(text, line, words);
        EXPECT_EQ(std::tuple(st->Ndatalines, st->K0, st->Nosite), std::tuple(0, 0.05, 1));
        EXPECT_TRUE(st->SpName[12].empty() && st->SpComp2[150] == 0);
        EXPECT_EQ(st->SpNo[2], line == 14 ? 13 : 0);
    }
    expectRefused("", 1, "ends early");
}

TEST_F(DatabaseMalformed, TextWhereANumberBelongsStopsTheLoadThere) {
    DbFile f = twoSpecies();
    f.species[1] = sp1(13, "Zn", "2,13,0,0,1,0,0,oops,0,999,999,1,1");
    f.species.push_back(sp1(14, "Cd"));
    expectRefused(f.text(), 13, "log K");
    EXPECT_EQ(rep.error->field, 10);
    // The first species line was loaded completely, the second as far as the bad field.
    EXPECT_EQ(std::tuple(st->Ndatalines, st->SpName[12], st->SpBind[12], st->SpName[13]),
              std::tuple(1, "Cu", 1, "Zn"));
    EXPECT_EQ(st->vaDbs.cells[1][1], "Cu");
    EXPECT_EQ(st->main.lstCompnames, std::vector<std::string>{"Cu"});

    expectRefused(replaced(twoSpecies().text(), "4.02", "four"), 2, "expected");
    EXPECT_FLOAT_EQ(st->Ncooh[1], 3.29e-3f); // read before the bad field
    EXPECT_EQ(st->Pkhb[1], 0.0f);            // never reached
}

TEST_F(DatabaseMalformed, AFailedLoadDisconnectsAnEarlierDatabaseAMissingFileChangesNothing) {
    ASSERT_TRUE(loadsDefault());
    st->Dbfile = dir.file("missing.DBS");
    ASSERT_FALSE(verdict(readdb(*st)));
    EXPECT_EQ(rep.error->file, st->Dbfile);
    EXPECT_EQ(std::tuple(st->SpName[12], st->Ndatalines, st->main.txtDbVisible), std::tuple("Cu", 223, true));

    DbFile f = twoSpecies();
    f.count = "3"; // one line short
    EXPECT_FALSE(loads(f));
    expectNotConnected();
    EXPECT_EQ(st->SpBind[4], 0); // Mg of the earlier database no longer binds
    EXPECT_TRUE(st->SpName[352].empty() && st->main.lstCompnames.empty());
}

// (A failed write leaves the old file as well: the save writes through the atomic whole-file write.)
TEST_F(Database, TablesThatWouldNotLoadAgainAreNotSaved) {
    const std::string target = dir.file("old.DBS");
    spit(target, "the old database");
    std::string err;
    st->Nosite = 4;
    EXPECT_FALSE(savdata(*st, target, err));
    EXPECT_NE(err.find("site groups"), std::string::npos) << err;
    st->Nosite = 1;
    st->Ndatalines = 2;
    st->SpNo[1] = 12;
    st->SpNo[2] = 0; // a row whose number was never set
    EXPECT_FALSE(savdata(*st, target, err));
    EXPECT_NE(err.find("species line 2"), std::string::npos) << err;
    EXPECT_EQ(slurp(target), "the old database");
    st->SpNo[2] = 13;
    EXPECT_NE(saved("old.DBS").find("\"No. of data lines\",2\r\n12,\"\",0,0,0,0,0,0,0,,,,,,\r\n13,"),
              std::string::npos);
}
