// Database files and the editor's sheet without a window: the layouts the heterogeneity setting
// selects; files that cannot be loaded stop with a message that says where, keep what was read and
// never mark the database connected; tables that would not load again are never saved.
#include "files/database.h"
#include "files/database_edit.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

using namespace kelva;
using namespace kelva::test;

namespace {

std::string defaultDbPath() {
    return sourcePath("data/default.DBS");
}

// A fresh state with the bundled database loaded.
std::unique_ptr<ProgramState> defaultDb() {
    auto st = freshState();
    st->Dbfile = defaultDbPath();
    EXPECT_TRUE(readdb(*st).ok);
    return st;
}

// A database file: general parameter lines as in the bundled database, then the parts a test
// sets. Lines are joined with CR LF.
struct DbFile {
    std::string title = "\"Kelvaspec DATABASE\"";
    std::string desorption = "\"Constants for FA desorption\",1,.05,634";
    std::optional<std::string> hetero = "\"Heterogeneity\",1,100,0,0";
    std::optional<std::string> count{}; // the count field; the number of species lines if unset
    std::vector<std::string> species{};

    std::string text() const {
        std::vector<std::string> lines = {
            title,
            "\"HA parameters\",.00329,4.02,8.55,1.78,3.43,-374,.5,1.72E-09,15000",
            "\"FA parameters\",.00473,3.26,9.64,3.34,5.52,-103,.4,8E-10,1500",
            "\"Clay parameters\",.0003,100",
            "\"Double layer overlap factor\",.25",
            "\"Log KSO(25) & DeltaH for Al(OH)3\",8.291,-22800",
            "\"Log KSO(25) & DeltaH for Fe(OH)3\",3.191,-17537",
            "\"Constant to control DDL at low ZED\",1000",
            desorption,
        };
        if (hetero) lines.push_back(*hetero);
        lines.push_back("\"No. of data lines\"," + count.value_or(std::to_string(species.size())));
        lines.insert(lines.end(), species.begin(), species.end());
        lines.push_back("\"END OF DATA\"");
        std::string out;
        for (const auto& l : lines) out += l + "\r\n";
        return out;
    }
};

// A species line of a one-site-group database (15 fields).
std::string sp1(int no, const std::string& name, const std::string& rest = "2,0,0,0,1,0,0,0,0,999,999,1,1") {
    return std::to_string(no) + ",\"" + name + "\"," + rest;
}

// Scalars as they are, numbers with whether they were set, tables element by element.
template <class T> bool same(const T& x, const T& y) {
    if constexpr (requires { x.a; })
        return std::ranges::equal(x.a, y.a, [](const auto& p, const auto& q) { return same(p, q); });
    else if constexpr (std::is_same_v<T, Num>)
        return x.set == y.set && x.v == y.v;
    else
        return x == y;
}

// Every table that the database file holds.
void expectSameTables(const ProgramState& a, const ProgramState& b) {
#define KELVA_EXPECT_SAME(m) EXPECT_TRUE(same(a.m, b.m)) << #m;
    KELVA_DATABASE_MEMBERS(KELVA_EXPECT_SAME)
#undef KELVA_EXPECT_SAME
}

// The row of species n in the database tables and the sheet; 0 when it has none.
int rowOf(const ProgramState& st, int n) {
    for (int i = 1; i <= st.Ndatalines; ++i)
        if (st.SpNo[i] == n) return i;
    return 0;
}

// A scratch folder and a fresh state to load database texts into and save them from.
class DbTest : public ::testing::Test {
  protected:
    ::testing::AssertionResult loads(const std::string& text) {
        spit(dir.file("test.DBS"), text);
        return loadsFile(dir.file("test.DBS"));
    }
    ::testing::AssertionResult loads(const DbFile& f) { return loads(f.text()); }
    ::testing::AssertionResult loadsDefault() { return loadsFile(defaultDbPath()); }
    ::testing::AssertionResult loadsFile(const std::string& path) {
        st->Dbfile = path;
        rep = readdb(*st);
        if (rep.ok) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << (rep.error ? rep.error->describe() : "no error given");
    }
    // What savdata writes of the state into the scratch folder; the save must succeed.
    std::string saved(const std::string& name = "out.DBS") {
        std::string err;
        EXPECT_TRUE(savdata(*st, dir.file(name), err)) << err;
        return slurp(dir.file(name));
    }
    TempDir dir;
    std::unique_ptr<ProgramState> st = freshState();
    DbReport rep;
};

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

class SheetEdit : public DbTest {
  protected:
    void SetUp() override { ASSERT_TRUE(loadsDefault()); }
    std::string& cell(int row, int col) { return st->vaDbs.cells.at(row).at(col); }
    int row(int n) { return rowOf(*st, n); }
    void save() {
        std::string err;
        ASSERT_TRUE(saval(*st, err)) << err;
        pro999(*st);
    }
};

} // namespace

// The values themselves are pinned by the golden results of the examples and the byte-for-byte
// save; here what the load does besides: counts, gaps, flags, the component list and the sheet.
TEST_F(Database, DefaultDatabaseTablesListAndSheet) {
    ASSERT_TRUE(loadsDefault());
    EXPECT_TRUE(rep.warnings.empty()) << rep.warnings.front();
    EXPECT_EQ(std::tuple(st->Ndatalines, st->Nosite, st->S1proc.v), std::tuple(223, 1, 100.0));

    const auto& sh = st->vaDbs;
    ASSERT_EQ(std::tuple(sh.maxRows, sh.cells.size()), std::tuple(223, 224u));
    for (int c = 0; c < kSheetCols; ++c) EXPECT_EQ(sh.cells[0][c], kDbHeadings[c]);
    EXPECT_EQ(cols(sh.cells[1], 0, 2), (Texts{" 1", "H", " 1"}));
    EXPECT_EQ(cols(sh.cells[1], 9, 16), (Texts{" 0", " 0", "", "", "", "", "", ""})) << "999 shows blank";
    EXPECT_EQ(std::tuple(sh.colWidth[1], sh.colWidth[17]), std::tuple(13, 7)); // the longest name; "Ksel,HS"

    std::string err; // through the sheet and back: the file loaded, byte for byte
    ASSERT_TRUE(saval(*st, err)) << err;
    EXPECT_EQ(saved("copy.DBS"), slurp(defaultDbPath()));
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

    const std::string out = saved();
    EXPECT_EQ(out.rfind("\"Kelvaspec DATABASE\"\r\n", 0), 0u);
    // the marker of the desorption line is always written as 1
    for (const char* line : {"\"Constants for FA desorption\",1,.001,15000000\r\n",
                             "101,\"HCO3-\",-1,55,1,0,1,1,0,10.329,-3.561,999,999,,1\r\n",
                             "120,\"NaSO4-\",-1,2,54,0,1,1,0,.7,1.5E-07,999,999,1,1\r\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line;
    EXPECT_TRUE(out.ends_with("\"END OF DATA\"\r\n"));
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
}

TEST_F(DatabaseMalformed, AFailedLoadDisconnectsAnEarlierDatabaseAMissingFileChangesNothing) {
    ASSERT_TRUE(loadsDefault());
    ASSERT_FALSE(loadsFile(dir.file("missing.DBS")));
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
    EXPECT_FALSE(savdata(*st, target, err) || err.find("site groups") == std::string::npos) << err;
    st->Nosite = 1;
    st->Ndatalines = 2;
    st->SpNo[1] = 12;
    st->SpNo[2] = 0; // a row whose number was never set
    EXPECT_FALSE(savdata(*st, target, err) || err.find("species line 2") == std::string::npos) << err;
    EXPECT_EQ(slurp(target), "the old database");
    st->SpNo[2] = 13;
    EXPECT_NE(saved("old.DBS").find("\"No. of data lines\",2\r\n12,\"\",0,0,0,0,0,0,0,,,,,,\r\n13,"),
              std::string::npos);
}

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

TEST_F(SheetEdit, CellsThatCannotBeStoredAreRefusedAndChangeNothing) {
    const std::tuple<int, std::string, std::string> cases[] = {
        {dbcol::No, "7.5", "Row 7, column \"No.\" holds \"7.5\", which is not a whole number from 1 to 500"},
        {dbcol::No, "501", "from 1 to 500"},
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

    cell(row(104), dbcol::DeltaH) = "999"; // a kJ/mol value, not "no value"
    save();
    EXPECT_EQ(std::tuple(st->SpDeltaH[101].v, st->SpDeltaH[102].v, st->SpDeltaH[2].v),
              std::tuple(-5.0, 0.1, 0.0));
    EXPECT_DOUBLE_EQ(st->SpDeltaH[104].v, 999.0 / 4.184);
    EXPECT_EQ(cell(row(104), dbcol::DeltaH), "999");

    setDhunit(*st, 1); // as it was before the conversion
    EXPECT_EQ(std::tuple(st->optKJ, cell(a, dbcol::DeltaH)), std::tuple(false, "-5.0"));
}

// (Their numbers after the row above and their locks with one site group: the editor's window test.)
TEST_F(SheetEdit, InsertedRowsAreEmptyTheFirstRowHasNoNumberToFollow) {
    const int rows = st->vaDbs.maxRows;
    const std::string next = cell(41, dbcol::No);
    insertDbRows(*st, 41, 3);
    EXPECT_EQ(std::tuple(st->vaDbs.maxRows, st->Ndatalines, cell(44, dbcol::No)),
              std::tuple(rows + 3, rows, next)); // the old row moved down; tables change at the save
    for (int c = dbcol::Name; c < kSheetCols; ++c) EXPECT_EQ(cell(43, c), "") << c;

    st->Nosite = 2;
    insertDbRows(*st, 1, 1);
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
