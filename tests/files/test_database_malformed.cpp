// Database files that cannot be loaded, and saves that cannot be made: the load stops with a
// message that says where, keeps what it read, never marks the database connected and never
// reaches outside a table; a failed save leaves the old file as it was.
#include "files/database.h"

#include "files/database_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include <unistd.h>

using namespace kelva;
using namespace kelva::test;

namespace {

using DatabaseSaveFailure = DbTest;

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
    void expectRefused(const DbFile& f, int line, const std::string& words) {
        expectRefused(f.text(), line, words);
    }
};

DbFile twoSpecies() {
    return {.species = {sp1(12, "Cu", "2,12,0,0,1,0,0,0,0,1.5,.8,1,1"), sp1(13, "Zn")}};
}

} // namespace

TEST_F(DatabaseMalformed, EveryTruncationStopsCleanlyAndKeepsWhatWasRead) {
    const std::string full = slurp(defaultDbPath());
    std::vector<std::size_t> ends; // ends[i]: where line i + 2 begins
    for (std::size_t p = full.find("\r\n"); p != std::string::npos; p = full.find("\r\n", p + 2))
        ends.push_back(p + 2);
    ASSERT_GT(ends.size(), 11u);
    const std::size_t lastSpeciesEnd = full.rfind("\r\n\"END OF DATA\"");
    ASSERT_NE(lastSpeciesEnd, std::string::npos);
    int failures = 0;
    for (std::size_t cut = 0; cut < full.size(); cut += 37) {
        st = freshState();
        const bool ok = loads(full.substr(0, cut));
        SCOPED_TRACE("cut at byte " + std::to_string(cut));
        if (cut >= lastSpeciesEnd) { // only "END OF DATA" is missing, which is never read
            EXPECT_TRUE(ok);
            continue;
        }
        // Cut in the last field: the text may end in a comma, and so in one more (empty) field.
        if (cut + 2 >= lastSpeciesEnd) continue;
        ASSERT_FALSE(ok);
        ++failures;
        ASSERT_TRUE(rep.error.has_value());
        EXPECT_FALSE(rep.error->message.empty());
        EXPECT_GE(rep.error->line, 1);
        EXPECT_LE(rep.error->line,
                  std::count(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut), '\r') + 1);
        expectNotConnected();
        // Parameter lines that were complete before the cut were loaded.
        if (cut >= ends[1]) {
            EXPECT_FLOAT_EQ(st->Ncooh[1], 3.29e-3f);
        }
        if (cut >= ends[8]) {
            EXPECT_DOUBLE_EQ(st->Beta, 634.0);
        }
        if (cut >= ends[11]) {
            EXPECT_EQ(st->SpNo[1], 1); // the first species number
        }
    }
    EXPECT_GT(failures, 300);
}

TEST_F(DatabaseMalformed, EmptyFileAndBinaryGarbageAreRefused) {
    ASSERT_FALSE(loads(""));
    EXPECT_EQ(rep.error->line, 1);
    EXPECT_NE(rep.error->message.find("ends early"), std::string::npos);
    expectNotConnected();

    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 200; ++trial) {
        std::string junk(static_cast<std::size_t>(rng() % 4000), '\0');
        for (auto& c : junk) c = static_cast<char>(rng() % 256);
        if (trial % 2) junk = DbFile{}.text().substr(0, 300) + junk; // plausible start, garbage after
        st = freshState();
        EXPECT_FALSE(loads(junk)) << "trial " << trial;
        EXPECT_TRUE(rep.error.has_value());
        expectNotConnected();
    }
}

TEST_F(DatabaseMalformed, SpeciesNumbersOutsideTheTablesAreRefused) {
    for (const char* bad : {"0", "501", "-3", "40000", "1E+300", "\"abc\""}) {
        SCOPED_TRACE(bad);
        DbFile f = twoSpecies();
        f.species.push_back(std::string(bad) + ",\"Bad\",2,0,0,0,1,0,0,0,0,999,999,1,1");
        expectRefused(f, 14, "species number");
        EXPECT_EQ(rep.error->field, 1);
        // The numbers before it were read; no species line reached the tables.
        EXPECT_EQ(st->SpNo[2], 13);
        EXPECT_EQ(st->Ndatalines, 0);
        EXPECT_TRUE(st->SpName[12].empty());
    }
    expectRefused(DbFile{.species = {sp1(150, "X", "0,2,600,0,1,1,0,0,0,999,999,1,1")}}, 12, "Comp. II");
    EXPECT_EQ(st->SpComp2[150], 0);
}

TEST_F(DatabaseMalformed, LineCountsThatDoNotFitAreRefused) {
    for (const char* bad : {"501", "-1", "32767", "1E+9", "many"}) {
        SCOPED_TRACE(bad);
        DbFile f = twoSpecies();
        f.count = bad;
        expectRefused(f, 11, "number of species lines");
        EXPECT_EQ(st->Ndatalines, 0);
        EXPECT_DOUBLE_EQ(st->K0, 0.05); // the parameters were read
    }
}

TEST_F(DatabaseMalformed, SiteGroupCountsOutsideOneToThreeReadNoSpecies) {
    for (const char* bad : {"0", "4", "-2", ".5", "\"x\""}) {
        SCOPED_TRACE(bad);
        DbFile f = twoSpecies();
        f.hetero = std::string("\"Heterogeneity\",") + bad + ",100,0,0";
        expectRefused(f, 10, "site groups");
        EXPECT_EQ(st->Nosite, 1);
        EXPECT_EQ(st->SpNo[1], 0);
    }
}

TEST_F(DatabaseMalformed, TextWhereANumberBelongsStopsTheLoadThere) {
    DbFile f = twoSpecies();
    f.species[1] = sp1(13, "Zn", "2,13,0,0,1,0,0,oops,0,999,999,1,1");
    f.species.push_back(sp1(14, "Cd"));
    expectRefused(f, 13, "log K");
    EXPECT_EQ(rep.error->field, 10);
    // The first species line was loaded completely, the second as far as the bad field.
    EXPECT_EQ(st->Ndatalines, 1);
    EXPECT_EQ(st->SpName[12], "Cu");
    EXPECT_EQ(st->SpBind[12], 1);
    EXPECT_EQ(st->SpName[13], "Zn");
    EXPECT_EQ(st->vaDbs.cells[1][1], "Cu");
    EXPECT_EQ(st->main.lstCompnames, std::vector<std::string>{"Cu"});

    std::string text = twoSpecies().text();
    text.replace(text.find("4.02"), 4, "four");
    expectRefused(text, 2, "expected");
    EXPECT_FLOAT_EQ(st->Ncooh[1], 3.29e-3f); // read before the bad field
    EXPECT_EQ(st->Pkhb[1], 0.0f);            // never reached
    EXPECT_EQ(st->Ndatalines, 0);
}

TEST_F(DatabaseMalformed, AMissingCountLabelIsNamed) {
    auto text = twoSpecies().text();
    text.replace(text.find("No. of data lines"), 17, "Number of lines");
    ASSERT_FALSE(loads(text));
    EXPECT_NE(rep.error->message.find("No. of data lines"), std::string::npos) << rep.error->describe();
    expectNotConnected();
}

TEST_F(DatabaseMalformed, AFailedLoadDisconnectsAnEarlierDatabase) {
    ASSERT_TRUE(loadsDefault());
    ASSERT_TRUE(st->main.txtDbVisible);
    DbFile f = twoSpecies();
    f.count = "3"; // one line short
    EXPECT_FALSE(loads(f));
    expectNotConnected();
    EXPECT_EQ(st->SpBind[4], 0); // Mg of the earlier database no longer binds
    EXPECT_TRUE(st->SpName[352].empty());
    EXPECT_TRUE(st->main.lstCompnames.empty());
}

TEST_F(DatabaseMalformed, AFileThatCannotBeOpenedChangesNothing) {
    ASSERT_TRUE(loadsDefault());
    st->Dbfile = dir.file("missing.DBS");
    ASSERT_FALSE(verdict(readdb(*st)));
    EXPECT_EQ(rep.error->file, st->Dbfile);
    EXPECT_EQ(st->SpName[12], "Cu");
    EXPECT_EQ(st->Ndatalines, 223);
    EXPECT_TRUE(st->main.txtDbVisible);
}

TEST_F(DatabaseSaveFailure, UnwritableFolderLeavesTheOldFileIntact) {
    ASSERT_TRUE(loadsDefault());
    const std::string target = dir.file("old.DBS");
    spit(target, "the old database");
    namespace fs = std::filesystem;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    // The superuser writes into any folder: block the temporary file the save writes first.
    if (access(dir.path().c_str(), W_OK) == 0)
        fs::create_directory(target + ".tmp-" + std::to_string(getpid()));
    std::string err;
    EXPECT_FALSE(savdata(*st, target, err));
    EXPECT_NE(err.find("old.DBS.tmp-"), std::string::npos) << err; // names the file it could not write
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(slurp(target), "the old database");
}

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
