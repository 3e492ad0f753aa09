// Database files that cannot be loaded, and saves that cannot be made: the load stops with a
// message that says where, keeps what it read, never marks the database connected and never
// reaches outside a table; tables that would not load again are never saved.
#include "files/database.h"

#include "files/database_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kelva;
using namespace kelva::test;

namespace {

class DatabaseMalformed : public DbTest {
  protected:
    void expectNotConnected() {
        const auto& m = st->main;
        EXPECT_FALSE(m.txtDbVisible || m.cmdEddbsVisible || m.mnuDatabaseEnabled);
        EXPECT_EQ(m.txtDb, "");
        EXPECT_EQ(st->vaDbs.maxRows, st->Ndatalines);
        EXPECT_EQ(st->vaDbs.cells.size(), static_cast<std::size_t>(st->Ndatalines) + 1);
    }
    // Loads `content` into a fresh state: the load must stop at `line` with a message holding `words`.
    void expectRefused(const std::string& content, int line, const std::string& words) {
        st = freshState();
        ASSERT_FALSE(loads(content));
        ASSERT_TRUE(rep.error.has_value());
        EXPECT_EQ(rep.error->line, line) << rep.error->describe();
        EXPECT_GT(rep.error->field, 0);
        EXPECT_NE(rep.error->message.find(words), std::string::npos) << rep.error->describe();
        EXPECT_EQ(rep.error->file, "test.DBS");
        expectNotConnected();
    }
};
using DatabaseSaveFailure = DbTest;

DbFile twoSpecies() {
    return {.species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,.8,1,1"), sp1(13, "Zn")}};
}

} // namespace

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
    struct Case {
        std::string name, text;
        int line;
        const char* words;
    };
    std::vector<Case> cases;
    for (const char* bad : {"0", "501", "-3", "40000", "1E+300", "\"abc\""}) {
        DbFile f = twoSpecies();
        f.species.push_back(std::string(bad) + ",\"Bad\",2,0,0,0,1,0,0,0,0,999,999,1,1");
        cases.push_back({std::string("species number ") + bad, f.text(), 14, "species number"});
    }
    for (const char* bad : {"501", "-1", "32767", "1E+9", "many"}) {
        DbFile f = twoSpecies();
        f.count = bad;
        cases.push_back({std::string("count ") + bad, f.text(), 11, "number of species lines"});
    }
    for (const char* bad : {"0", "4", "-2", ".5", "\"x\""}) {
        DbFile f = twoSpecies();
        f.hetero = std::string("\"Heterogeneity\",") + bad + ",100,0,0";
        cases.push_back({std::string("site groups ") + bad, f.text(), 10, "site groups"});
    }
    cases.push_back({"component",
                     DbFile{.species = {sp1(150, "X", "0,2,600,0,1,1,0,0,0,999,999,1,1")}}.text(), 12,
                     "Comp. II"});
    cases.push_back({"count label", replaced(twoSpecies().text(), "No. of data lines", "Number of lines"), 14,
                     "No. of data lines"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectRefused(c.text, c.line, c.words);
        EXPECT_EQ(std::tuple(st->Ndatalines, st->K0, st->Nosite), std::tuple(0, 0.05, 1));
        EXPECT_TRUE(st->SpName[12].empty() && st->SpComp2[150] == 0);
        EXPECT_EQ(st->SpNo[2], c.line == 14 ? 13 : 0);
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
TEST_F(DatabaseSaveFailure, TablesThatWouldNotLoadAgainAreNotWritten) {
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
