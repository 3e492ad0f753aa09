// One problem record: what Filesaver writes, what Fileopener reads back, and what it does
// with records that are short, malformed or carry impossible numbers.
#include "files/numtext.h"
#include "files/problemfile.h"
#include "run/problemfixture.h"

#include <gtest/gtest.h>

using namespace kelva;
using namespace kelva::test;

namespace {

std::string saveRecord(ProgramState& st) {
    FieldWriter out;
    Filesaver(st, out);
    return out.take();
}

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    const auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

struct Opened {
    std::unique_ptr<ProgramState> st = freshState();
    bool ok = false;
    std::string error;
};

Opened openRecord(const std::string& text, const std::string& unit = "Mol / l") {
    Opened o;
    o.st->main.lstUnits = unit;
    FieldReader in(text, "problem.DAT");
    o.ok = Fileopener(*o.st, in);
    if (in.error()) o.error = in.error()->describe();
    return o;
}

void setList(ProgramState& st, const std::string& mode, int probno) {
    st.Sweepmode = mode;
    st.Multino = 5;
    st.pHincr = 0.5;
    st.Nsel = 3;
    st.Selname = {"", "pH", "Na+", "NaOH"};
    st.Seltype = {"", "", "Activity", "Concentration"};
    st.Probno = static_cast<i16>(probno);
    st.Savefile = "saved.DAT";
    st.Precision = 0.05f;
    st.pCO2 = 0.0007f;
    st.PhFixed = "Yes";
}

void expectConditions(const ProgramState& a, const ProgramState& b) {
    EXPECT_EQ(b.ProgMode, a.ProgMode);
    EXPECT_EQ(b.Arraysize, 500);
    EXPECT_EQ(b.Precision, a.Precision);
    EXPECT_EQ(b.TempK, a.TempK);
    EXPECT_EQ(b.Csolid, a.Csolid);
    EXPECT_EQ(b.Tha[1], a.Tha[1]);
    EXPECT_EQ(b.Tha[2], a.Tha[2]);
    EXPECT_EQ(b.Tclay, a.Tclay);
    EXPECT_EQ(b.Faaq, a.Faaq);
    EXPECT_EQ(b.Gamma, a.Gamma);
    EXPECT_EQ(b.PhFixed, a.PhFixed);
    EXPECT_EQ(b.pH, a.pH);
    EXPECT_EQ(b.pCO2, a.pCO2);
}

void expectComponents(const ProgramState& b) {
    ASSERT_EQ(b.Nmast, 2);
    EXPECT_EQ(b.rows[1].txtName, "Na+");
    EXPECT_EQ(b.rows[1].txtConc, " .001");
    EXPECT_EQ(b.rows[2].txtName, "Ca+2");
    EXPECT_EQ(b.rows[2].txtConc, " .00025");
    EXPECT_TRUE(b.rows[2].visible);
    EXPECT_FALSE(b.rows[3].visible);
    EXPECT_DOUBLE_EQ(b.Tot[2], 0.001);
    EXPECT_DOUBLE_EQ(b.Tot[15], 0.00025);
    EXPECT_EQ(b.SpName[2], "Na+");
    EXPECT_EQ(b.SpName[15], "Ca+2");
}

} // namespace

TEST(Filesaver, WritesTheRecordLineByLine) {
    TempDir dir;
    auto st = problemState(dir);
    const std::string db = st->main.txtDb;
    const std::string expected = "\"Problem no.\",1\r\n"
                                 "\"Soil\",\"\"\r\n"
                                 "\"Multi / Sweep\",\"No\",\r\n"
                                 "\"Selected sweep results:\",1,\"\"\r\n"
                                 "\"Database\",\"" +
                                 db +
                                 "\"\r\n"
                                 "\"Array size\",500\r\n"
                                 "\"Precision%\",.01\r\n"
                                 "\"TempK\",288.16\r\n"
                                 "\"CSOLID\",40\r\n"
                                 "\"THA TFA\",1.4,.6\r\n"
                                 "\"TCLAY\",12.5\r\n"
                                 "\"FAAQ\",999\r\n"
                                 "\"Gamma value\",1.25\r\n"
                                 "\"pH fixed\",\"Yes\"\r\n"
                                 "\"Equilibrium pH\",6.5\r\n"
                                 "\"pCO2\",999\r\n"
                                 "\"No. mast sp.\",2\r\n"
                                 "\"Na+\",\"2\",.001\r\n"
                                 "\"Ca+2\",\"15\",.00025\r\n"
                                 "\"END\"\r\n";
    EXPECT_EQ(saveRecord(*st), expected);
}

TEST(Filesaver, ProblemZeroIsWrittenAsOne) {
    TempDir dir;
    auto st = problemState(dir);
    st->Probno = 0;
    EXPECT_EQ(saveRecord(*st).rfind("\"Problem no.\",1\r\n", 0), 0u);
    EXPECT_EQ(st->Probno, 1);
}

TEST(Filesaver, OptionalLinesFollowTheListKind) {
    TempDir dir;
    auto st = problemState(dir);
    setList(*st, "Sweep - increment", 1);
    std::string text = saveRecord(*st);
    EXPECT_NE(text.find("\"Multi / Sweep\",\"Sweep - increment\",5\r\n\"pH increment\",.5\r\n"),
              std::string::npos);
    EXPECT_NE(
        text.find(
            "\"Selected sweep results:\",3,\"pH\"\r\n\"Na+\",\"Activity\"\r\n\"NaOH\",\"Concentration\"\r\n"),
        std::string::npos);

    // Only problem 1 carries the selection; a single problem without a list kind carries none.
    setList(*st, "Only multi", 2);
    text = saveRecord(*st);
    EXPECT_EQ(text.find("Selected sweep results:"), std::string::npos);
    EXPECT_EQ(text.find("pH increment"), std::string::npos);
    setList(*st, "", 1);
    EXPECT_EQ(saveRecord(*st).find("Selected sweep results:"), std::string::npos);
}

TEST(Fileopener, RoundTripOfEveryListKind) {
    for (const std::string mode : {"No", "", "Only multi", "Sweep - increment", "Sweep - no increment"}) {
        for (int probno : {1, 2}) {
            SCOPED_TRACE(mode + " problem " + std::to_string(probno));
            TempDir dir;
            auto st = problemState(dir);
            setList(*st, mode, probno);
            const std::string text = saveRecord(*st);
            auto o = openRecord(text);
            ASSERT_TRUE(o.ok) << o.error;
            const ProgramState& b = *o.st;
            expectConditions(*st, b);
            EXPECT_EQ(b.Dbfile, st->main.txtDb);
            expectComponents(b);
            EXPECT_EQ(b.Sweepmode, mode);
            EXPECT_EQ(b.Multino.v, 5.0);
            EXPECT_EQ(b.Multiread, 5);
            EXPECT_EQ(b.pHincr.empty(), mode != "Sweep - increment");
            if (mode == "Sweep - increment") {
                EXPECT_EQ(b.pHincr.v, 0.5);
            }
            const bool selection = !mode.empty() && probno == 1;
            ASSERT_EQ(b.Selname.size() > 3, selection);
            if (selection) {
                EXPECT_EQ(b.Nsel.v, 3.0);
                EXPECT_EQ(b.Selname[1], "pH");
                EXPECT_EQ(b.Selname[3], "NaOH");
                EXPECT_EQ(b.Seltype[2], "Activity");
                EXPECT_EQ(b.Seltype[1], ""); // the first type is never written
            }
        }
    }
}

TEST(Fileopener, ReadsTheVariantsOfARecord) {
    TempDir dir;
    auto st = problemState(dir);
    st->ProgMode = "Water";
    const std::string text = saveRecord(*st);

    auto plain = openRecord(text);
    ASSERT_TRUE(plain.ok) << plain.error;
    EXPECT_EQ(plain.st->ProgMode, "Water");
    EXPECT_EQ(plain.st->main.txtClay, "0.0"); // the water mode clears the sorption inputs
    EXPECT_FALSE(plain.st->main.txtGammVisible);

    auto noNumber = openRecord(replaced(text, "\"Problem no.\",1\r\n", ""));
    ASSERT_TRUE(noNumber.ok) << noNumber.error;
    expectConditions(*plain.st, *noNumber.st);
    EXPECT_EQ(noNumber.st->Dbfile, st->main.txtDb);

    auto upper = openRecord(replaced(text, "\"Water\"", "\"WATER\""));
    ASSERT_TRUE(upper.ok) << upper.error;
    EXPECT_EQ(upper.st->ProgMode, "Water");
    auto soil = openRecord(replaced(text, "\"Water\"", "\"SOIL\""));
    EXPECT_EQ(soil.st->ProgMode, "Soil");

    std::string oneField = text;
    for (auto& c : oneField)
        if (c == ',') c = '\n';
    auto perLine = openRecord(oneField);
    ASSERT_TRUE(perLine.ok) << perLine.error;
    expectConditions(*plain.st, *perLine.st);
    expectComponents(*perLine.st);
}

TEST(Fileopener, RecordsWithoutTheOptionalLinesKeepGammaAndPh) {
    TempDir dir;
    auto st = problemState(dir);
    std::string text = saveRecord(*st);
    text = replaced(text, "\"Gamma value\",1.25\r\n", "");
    text = replaced(text, "\"pH fixed\",\"Yes\"\r\n", "");
    text = replaced(text, "\"Equilibrium pH\",6.5\r\n", "");
    Opened o;
    o.st->Gamma = 3;
    o.st->pH = 8;
    o.st->PhFixed = "Yes";
    FieldReader in(text, "problem.DAT");
    ASSERT_TRUE(Fileopener(*o.st, in));
    EXPECT_EQ(o.st->Gamma, 3.0);
    EXPECT_EQ(o.st->pH, 8.0);
    EXPECT_EQ(o.st->PhFixed, "No");
    EXPECT_EQ(o.st->pCO2, 999.0f);
    expectComponents(*o.st);
}

TEST(Fileopener, RowsInTheUnitOfTheWindow) {
    TempDir dir;
    auto st = problemState(dir);
    st->rows[1].txtConc = "0.0025";
    const std::string text = saveRecord(*st);
    EXPECT_EQ(openRecord(text, "Millimol / l").st->rows[1].txtConc, " 2.5");
    EXPECT_EQ(openRecord(text, "Micromol / l").st->rows[1].txtConc, " 2500");

    // The rows of the previous problem are emptied.
    Opened o;
    for (int i = 0; i < 5; ++i) addRow(*o.st, "X", "1");
    FieldReader in(text, "problem.DAT");
    ASSERT_TRUE(Fileopener(*o.st, in));
    EXPECT_EQ(o.st->Nmast, 2);
    EXPECT_FALSE(o.st->rows[5].visible);
    EXPECT_TRUE(o.st->rows[5].txtName.empty());
}

TEST(Fileopener, MalformedFieldsStopWithLineAndField) {
    TempDir dir;
    auto st = problemState(dir);
    const std::string text = saveRecord(*st);
    auto o = openRecord(replaced(text, "\"TempK\",288.16", "\"TempK\",abc"));
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("line 8, field 2"), std::string::npos) << o.error;
    EXPECT_NE(o.error.find("abc"), std::string::npos) << o.error;
    EXPECT_EQ(o.st->Dbfile, st->main.txtDb); // read before the fault
    EXPECT_EQ(o.st->Precision, 0.01f);

    o = openRecord(replaced(text, "\"Soil\"", "\"Marsh\""));
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("Marsh"), std::string::npos);

    o = openRecord(replaced(text, "\"Ca+2\",\"15\",.00025\r\n", "\"Ca+2\",\"15\",.00025,7\r\n"));
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("END"), std::string::npos);

    o = openRecord(replaced(text, "\"Selected sweep results:\",1", "\"Selected sweep results:\",9"));
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("at most 8"), std::string::npos);

    o = openRecord(replaced(text, "\"No\",", "\"No\",1E+10"));
    EXPECT_FALSE(o.ok);
}

TEST(Fileopener, TruncatedRecordsNeverCrash) {
    TempDir dir;
    auto st = problemState(dir);
    setList(*st, "Sweep - increment", 1);
    const std::string text = saveRecord(*st);
    // Cut at every line end before "END": always an error, never a crash.
    for (std::size_t at = text.find("\r\n"); at + 9 < text.size(); at = text.find("\r\n", at + 1)) {
        auto o = openRecord(text.substr(0, at + 2));
        EXPECT_FALSE(o.ok) << at;
        EXPECT_NE(o.error.find("ends early"), std::string::npos) << o.error;
    }
    // Cut anywhere: a failure always says why.
    for (std::size_t n = 0; n <= text.size(); ++n) {
        auto o = openRecord(text.substr(0, n));
        if (!o.ok) {
            EXPECT_FALSE(o.error.empty()) << n;
        }
        EXPECT_LE(o.st->Nmast, 2);
    }
}

TEST(Fileopener, ImpossibleComponentNumbersAreRefused) {
    TempDir dir;
    auto st = problemState(dir);
    const std::string text = saveRecord(*st);
    for (const std::string no : {"0", "100", "500", "abc", "", "-3", "1E+20"}) {
        SCOPED_TRACE(no);
        auto o = openRecord(replaced(text, "\"Ca+2\",\"15\"", "\"Ca+2\",\"" + no + "\""));
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.error.find("\"Ca+2\""), std::string::npos) << o.error;
        EXPECT_NE(o.error.find("line 19, field 2"), std::string::npos) << o.error;
        // The rows read before stay; nothing was put outside the tables.
        EXPECT_EQ(o.st->Nmast, 1);
        EXPECT_EQ(o.st->rows[1].txtName, "Na+");
        EXPECT_FALSE(o.st->rows[2].visible);
        EXPECT_EQ(o.st->Tot[0], 0.0);
    }
    auto o = openRecord(replaced(text, "\"Ca+2\",\"15\"", "\"Ca+2\",99.7"));
    EXPECT_TRUE(o.ok) << o.error; // the integer part of the number
    EXPECT_DOUBLE_EQ(o.st->Tot[99], 0.00025);
}

TEST(Fileopener, MoreThanTwentyFiveComponentsAreRefused) {
    TempDir dir;
    auto st = problemState(dir);
    std::string text = saveRecord(*st);
    std::string lines;
    for (int i = 0; i < 26; ++i) lines += "\"Na+\",\"2\",.001\r\n";
    text = replaced(text, "\"No. mast sp.\",2\r\n", "\"No. mast sp.\",26\r\n" + lines);
    auto o = openRecord(text);
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("at most 25"), std::string::npos) << o.error;
    EXPECT_EQ(o.st->Nmast, 0);

    o = openRecord(replaced(saveRecord(*st), "\"No. mast sp.\",2", "\"No. mast sp.\",-1"));
    EXPECT_FALSE(o.ok);
}
