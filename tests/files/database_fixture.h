// Small database files for the loader tests, built line by line so that each test states only
// what it changes, a fixture that loads and saves them, and a comparison of every database table.
#pragma once

#include "files/database.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelva::test {

inline std::string defaultDbPath() {
    return sourcePath("data/default.DBS");
}

// A fresh state with the bundled database loaded.
inline std::unique_ptr<ProgramState> defaultDb() {
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
    bool endLine = true;

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
        if (endLine) lines.push_back("\"END OF DATA\"");
        std::string out;
        for (const auto& l : lines) out += l + "\r\n";
        return out;
    }
};

// A species line of a one-site-group database (15 fields).
inline std::string sp1(int no, const std::string& name,
                       const std::string& rest = "2,0,0,0,1,0,0,0,0,999,999,1,1") {
    return std::to_string(no) + ",\"" + name + "\"," + rest;
}

// Loads `content` from a file in `dir`; the state's Dbfile names that file.
inline DbReport loadText(ProgramState& st, const TempDir& dir, const std::string& content,
                         const std::string& name = "test.DBS") {
    st.Dbfile = dir.file(name);
    spit(st.Dbfile, content);
    return readdb(st);
}

// Every table that the database file holds.
inline void expectSameTables(const ProgramState& a, const ProgramState& b) {
    using S = ProgramState;
    const auto num = [](const Num& x) { return std::pair(x.set, x.v); };
    for (auto m :
         {&S::Ncooh, &S::Pkha, &S::Pkhb, &S::Dpkha, &S::Dpkhb, &S::P, &S::Fpr, &S::Radius, &S::Molwt})
        for (int k = 1; k <= 2; ++k) EXPECT_EQ((a.*m)[k], (b.*m)[k]);
    for (auto m : {&S::Eqclay, &S::Saclay, &S::Dlf}) EXPECT_EQ(a.*m, b.*m);
    for (auto m : {&S::Lksoal25, &S::Dhal, &S::Lksofe25, &S::Dhfe, &S::Kzed, &S::K0, &S::Beta})
        EXPECT_EQ(a.*m, b.*m);
    EXPECT_EQ(a.Nosite, b.Nosite);
    for (auto m : {&S::S1proc, &S::S2proc, &S::S3proc}) EXPECT_EQ(num(a.*m), num(b.*m));
    ASSERT_EQ(a.Ndatalines, b.Ndatalines);
    for (int i = 1; i <= a.Ndatalines; ++i) EXPECT_EQ(a.SpNo[i], b.SpNo[i]) << "line " << i;
    for (int n = 1; n <= kMaxSpecies; ++n) {
        SCOPED_TRACE("species " + std::to_string(n));
        EXPECT_EQ(a.SpName[n], b.SpName[n]);
        for (auto m : {&S::SpCharge, &S::SpComp1, &S::SpComp2, &S::SpComp3, &S::SpSto1, &S::SpSto2,
                       &S::SpSto3, &S::SpBind})
            EXPECT_EQ((a.*m)[n], (b.*m)[n]);
        for (auto m : {&S::SpLogK, &S::SpDeltaH, &S::SpKselHS, &S::SpKselClay})
            EXPECT_EQ(num((a.*m)[n]), num((b.*m)[n]));
        for (int h = 1; h <= 2; ++h)
            for (int k = 1; k <= 3; ++k) EXPECT_EQ(num(a.SpPKM(h, n, k)), num(b.SpPKM(h, n, k))) << h << k;
    }
}

// The row of species n in the database tables and the sheet; 0 when it has none.
inline int rowOf(const ProgramState& st, int n) {
    for (int i = 1; i <= st.Ndatalines; ++i)
        if (st.SpNo[i] == n) return i;
    return 0;
}

// A scratch folder and a fresh state to load database texts into and save them from.
class DbTest : public ::testing::Test {
  protected:
    ::testing::AssertionResult loads(const std::string& text) { return verdict(loadText(*st, dir, text)); }
    ::testing::AssertionResult loads(const DbFile& f) { return loads(f.text()); }
    ::testing::AssertionResult loadsDefault() {
        st->Dbfile = defaultDbPath();
        return verdict(readdb(*st));
    }
    ::testing::AssertionResult verdict(DbReport r) {
        rep = std::move(r);
        if (rep.ok) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << (rep.error ? rep.error->describe() : "no error given");
    }
    // What savdata writes of the state into the scratch folder; the save must succeed.
    std::string saved(const std::string& name = "out.DBS") {
        std::string err;
        EXPECT_TRUE(savdata(*st, dir.file(name), err)) << err;
        return slurp(dir.file(name));
    }
    // Loading `path` into another state gives the same tables.
    void expectReloadsSame(const std::string& path) {
        auto again = freshState();
        again->Dbfile = path;
        ASSERT_TRUE(readdb(*again).ok);
        expectSameTables(*st, *again);
    }
    TempDir dir;
    std::unique_ptr<ProgramState> st = freshState();
    DbReport rep;
};

} // namespace kelva::test
