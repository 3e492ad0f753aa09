// Small database files for the loader tests, built line by line so that each test states only
// what it changes, and a comparison of every database table of two states.
#pragma once

#include "files/database.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kelva::test {

inline std::string defaultDbPath() {
    return sourcePath("data/default.DBS");
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void spit(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// A database file: general parameter lines as in the bundled database, then the parts a test
// sets. Lines are joined with CR LF.
struct DbFile {
    std::string title = "\"Kelvaspec DATABASE\"";
    std::string desorption = "\"Constants for FA desorption\",1,.05,634";
    std::optional<std::string> hetero = "\"Heterogeneity\",1,100,0,0";
    std::optional<std::string> count; // the count field; the number of species lines if unset
    std::vector<std::string> species;
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

inline void expectSameNum(const Num& a, const Num& b, const std::string& what) {
    EXPECT_EQ(a.set, b.set) << what;
    EXPECT_EQ(a.v, b.v) << what;
}

// Every table that the database file holds.
inline void expectSameTables(const ProgramState& a, const ProgramState& b) {
    for (int k = 1; k <= 2; ++k) {
        EXPECT_EQ(a.Ncooh[k], b.Ncooh[k]);
        EXPECT_EQ(a.Pkha[k], b.Pkha[k]);
        EXPECT_EQ(a.Pkhb[k], b.Pkhb[k]);
        EXPECT_EQ(a.Dpkha[k], b.Dpkha[k]);
        EXPECT_EQ(a.Dpkhb[k], b.Dpkhb[k]);
        EXPECT_EQ(a.P[k], b.P[k]);
        EXPECT_EQ(a.Fpr[k], b.Fpr[k]);
        EXPECT_EQ(a.Radius[k], b.Radius[k]);
        EXPECT_EQ(a.Molwt[k], b.Molwt[k]);
    }
    EXPECT_EQ(a.Eqclay, b.Eqclay);
    EXPECT_EQ(a.Saclay, b.Saclay);
    EXPECT_EQ(a.Dlf, b.Dlf);
    EXPECT_EQ(a.Lksoal25, b.Lksoal25);
    EXPECT_EQ(a.Dhal, b.Dhal);
    EXPECT_EQ(a.Lksofe25, b.Lksofe25);
    EXPECT_EQ(a.Dhfe, b.Dhfe);
    EXPECT_EQ(a.Kzed, b.Kzed);
    EXPECT_EQ(a.K0, b.K0);
    EXPECT_EQ(a.Beta, b.Beta);
    EXPECT_EQ(a.Nosite, b.Nosite);
    expectSameNum(a.S1proc, b.S1proc, "S1proc");
    expectSameNum(a.S2proc, b.S2proc, "S2proc");
    expectSameNum(a.S3proc, b.S3proc, "S3proc");
    ASSERT_EQ(a.Ndatalines, b.Ndatalines);
    for (int i = 1; i <= a.Ndatalines; ++i) EXPECT_EQ(a.SpNo[i], b.SpNo[i]) << "line " << i;
    for (int n = 1; n <= kMaxSpecies; ++n) {
        const std::string s = "species " + std::to_string(n);
        EXPECT_EQ(a.SpName[n], b.SpName[n]) << s;
        EXPECT_EQ(a.SpCharge[n], b.SpCharge[n]) << s;
        EXPECT_EQ(a.SpComp1[n], b.SpComp1[n]) << s;
        EXPECT_EQ(a.SpComp2[n], b.SpComp2[n]) << s;
        EXPECT_EQ(a.SpComp3[n], b.SpComp3[n]) << s;
        EXPECT_EQ(a.SpSto1[n], b.SpSto1[n]) << s;
        EXPECT_EQ(a.SpSto2[n], b.SpSto2[n]) << s;
        EXPECT_EQ(a.SpSto3[n], b.SpSto3[n]) << s;
        expectSameNum(a.SpLogK[n], b.SpLogK[n], s + " log K");
        expectSameNum(a.SpDeltaH[n], b.SpDeltaH[n], s + " deltaH");
        for (int h = 1; h <= 2; ++h)
            for (int k = 1; k <= 3; ++k) expectSameNum(a.SpPKM(h, n, k), b.SpPKM(h, n, k), s + " pKM");
        expectSameNum(a.SpKselHS[n], b.SpKselHS[n], s + " Ksel,HS");
        expectSameNum(a.SpKselClay[n], b.SpKselClay[n], s + " Ksel,Clay");
        EXPECT_EQ(a.SpBind[n], b.SpBind[n]) << s;
    }
}

} // namespace kelva::test
