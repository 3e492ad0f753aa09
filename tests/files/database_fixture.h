// Small database files for the loader tests, built line by line so that each test states only
// what it changes, a fixture that loads and saves them, and a comparison of every database table.
#pragma once

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
inline void expectSameTables(const ProgramState& a, const ProgramState& b) {
#define KELVA_EXPECT_SAME(m) EXPECT_TRUE(same(a.m, b.m)) << #m;
    KELVA_DATABASE_MEMBERS(KELVA_EXPECT_SAME)
#undef KELVA_EXPECT_SAME
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
