// One problem record: what Filesaver writes and what Fileopener reads back, also when it is
// short, malformed or carries impossible numbers.
#include "files/problemfile.h"
#include "run/problemfixture.h"
#include "run/problemlist.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kelva;
using namespace kelva::test;

namespace {

std::string saveRecord(ProgramState& st) {
    FieldWriter out;
    Filesaver(st, out);
    return out.take();
}

struct Opened {
    std::unique_ptr<ProgramState> st = freshState();
    bool ok = false;
    std::string error;
    std::vector<std::string> notes;
};

// Opens `text` into `o` (a fresh state unless given). On a fresh state, the database name that
// recordDatabase reads from the text must be the one Fileopener reads, whatever the record holds
// (every test of a record, cut or malformed, checks this too).
Opened openRecord(const std::string& text, const std::string& unit = "Mol / l", Opened o = {}) {
    const bool fresh = o.st->Dbfile.empty() && o.st->Sweepmode == "No";
    o.st->main.lstUnits = unit;
    FieldReader in(text, "problem.DAT");
    o.ok = Fileopener(*o.st, in, &o.notes);
    if (in.error()) o.error = in.error()->describe();
    FieldReader head(text, "problem.DAT");
    EXPECT_EQ(fresh ? recordDatabase(head) : o.st->Dbfile, o.st->Dbfile) << text;
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

// clang-format off
void expectConditions(const ProgramState& a, const ProgramState& b) {
    const auto conditions = [](const ProgramState& s) {
        return std::tuple(s.ProgMode, s.Precision, s.TempK, s.Csolid, s.Tha[1], s.Tha[2], s.Tclay, s.Faaq, s.Gamma,
                          s.PhFixed, s.pH, s.pCO2, s.Arraysize);
    };
    EXPECT_EQ(conditions(b), conditions(a));
}

void expectComponents(const ProgramState& b) {
    EXPECT_EQ(std::tuple(b.Nmast, b.rows[1].txtName, b.rows[1].txtConc, b.rows[2].txtName, b.rows[2].txtConc, b.rows[2].visible, b.rows[3].visible),
              std::tuple(2, "Na+", " .001", "Ca+2", " .00025", true, false));
    EXPECT_EQ(std::tuple(b.Tot[2], b.Tot[15], b.SpName[2], b.SpName[15]), std::tuple(0.001, 0.00025, "Na+", "Ca+2"));
}
// clang-format on

using ProblemRecord = ProblemTest;

} // namespace

TEST_F(ProblemRecord, SavedLineByLineWithProblemZeroAsOne) {
    st->Probno = 0;
    const std::string database = R"("Database",")" + st->main.txtDb + R"(")";
    EXPECT_EQ(
        saveRecord(*st),
        crlfLines({R"("Problem no.",1)", R"("Soil","")", R"("Multi / Sweep","No",)",
                   R"("Selected sweep results:",1,"")", database}) +
            crlfLines({R"("Array size",500)", R"("Precision%",.01)", R"("TempK",288.16)", R"("CSOLID",40)",
                       R"("THA TFA",1.4,.6)", R"("TCLAY",12.5)", R"("FAAQ",999)", R"("Gamma value",1.25)",
                       R"("pH fixed","Yes")", R"("Equilibrium pH",6.5)", R"("pCO2",999)"}) +
            crlfLines({R"("No. mast sp.",2)", R"("Na+","2",.001)", R"("Ca+2","15",.00025)", R"("END")"}));
    EXPECT_EQ(st->Probno, 1);
}

// Only problem 1 carries the selection; a single problem without a list kind carries none; only an
// incremented sweep has its increment line.
TEST_F(ProblemRecord, EveryListKindRoundTrips) {
    setList(*st, "Sweep - increment", 1);
    const std::string text = saveRecord(*st);
    EXPECT_NE(text.find(crlfLines({R"("Multi / Sweep","Sweep - increment",5)", R"("pH increment",.5)",
                                   R"("Selected sweep results:",3,"pH")", R"("Na+","Activity")",
                                   R"("NaOH","Concentration")"})),
              std::string::npos)
        << text;
    st->Selname.resize(2); // fewer names than the count: empty lines keep the count
    st->Seltype.resize(2);
    EXPECT_NE(
        saveRecord(*st).find(crlfLines({R"("Selected sweep results:",3,"pH")", R"("","")", R"("","")"})),
        std::string::npos);
    for (const std::string mode : {"No", "", "Only multi", "Sweep - increment", "Sweep - no increment"}) {
        for (int probno : {1, 2}) {
            SCOPED_TRACE(mode + " problem " + std::to_string(probno));
            setList(*st, mode, probno);
            auto o = openRecord(saveRecord(*st));
            ASSERT_TRUE(o.ok) << o.error;
            const ProgramState& b = *o.st;
            EXPECT_EQ(std::tuple(b.Sweepmode, b.Multino.v, b.Multiread), std::tuple(mode, 5.0, 5));
            const bool increment = mode == "Sweep - increment";
            EXPECT_EQ(std::tuple(b.pHincr.set, b.pHincr.v), std::tuple(increment, increment ? 0.5 : 0.0));
            const bool selection = !mode.empty() && probno == 1;
            ASSERT_EQ(b.Selname.size() > 3, selection);
            if (!selection) continue;
            // The first type is never written.
            EXPECT_EQ(std::tuple(b.Nsel.v, b.Selname[1], b.Selname[3], b.Seltype[1], b.Seltype[2]),
                      std::tuple(3.0, "pH", "NaOH", "", "Activity"));
        }
    }
}

TEST_F(ProblemRecord, VariantsOfARecordAreRead) {
    st->ProgMode = "Water";
    const std::string text = saveRecord(*st);
    std::string perLine = text; // a line end counts as a comma
    std::replace(perLine.begin(), perLine.end(), ',', '\n');
    for (const std::string& variant : {text, replaced(text, "\"Problem no.\",1\r\n", ""),
                                       replaced(text, "\"Water\"", "\"WATER\""), perLine}) {
        auto o = openRecord(variant);
        ASSERT_TRUE(o.ok) << o.error;
        expectConditions(*st, *o.st);
        expectComponents(*o.st);
        EXPECT_EQ(o.st->Dbfile, st->main.txtDb);
        EXPECT_TRUE(o.st->main.txtGammVisible); // the reader fills the state; the window shows it
    }
    auto soil = openRecord(replaced(text, "\"Water\"", "\"SOIL\""));
    EXPECT_TRUE(soil.ok && soil.st->ProgMode == "Soil") << soil.error;
    auto none = openRecord(replaced(text, "2\r\n\"Na+\",\"2\",.001\r\n\"Ca+2\",\"15\",.00025", "0"));
    EXPECT_TRUE(none.ok && none.st->Nmast == 0) << none.error; // a record without components
}

// What the record does not say keeps its previous value; its rows replace the previous rows.
TEST_F(ProblemRecord, RecordsWithoutGammaAndPhLinesKeepThePreviousValuesRowsAreReplaced) {
    st->rows[1].txtConc = "0.0025";
    std::string text = saveRecord(*st);
    EXPECT_EQ(openRecord(text, "Millimol / l").st->rows[1].txtConc, " 2.5"); // in the window's unit
    EXPECT_EQ(openRecord(text, "").st->rows[1].txtConc, " .0025");           // no unit chosen: mol/l
    for (const char* line :
         {"\"Gamma value\",1.25\r\n", "\"pH fixed\",\"Yes\"\r\n", "\"Equilibrium pH\",6.5\r\n"})
        text = replaced(text, line, "");
    Opened before;
    before.st->Gamma = 3;
    before.st->pH = 8;
    before.st->PhFixed = "Yes";
    for (int i = 0; i < 5; ++i) addRow(*before.st, "X", "1");
    auto o = openRecord(text, "Mol / l", std::move(before));
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_EQ(std::tuple(o.st->Gamma, o.st->pH, o.st->PhFixed, o.st->pCO2),
              std::tuple(3.0, 8.0, "No", 999.0f));
    EXPECT_EQ(std::tuple(o.st->Nmast, o.st->rows[5].visible, o.st->rows[5].txtName),
              std::tuple(2, false, ""));
    EXPECT_EQ(o.st->rows[1].txtConc, " .0025");
}

TEST_F(ProblemRecord, MalformedFieldsStopWithLineAndField) {
    const std::string text = saveRecord(*st);
    auto o = openRecord(replaced(text, "\"TempK\",288.16", "\"TempK\",abc"));
    EXPECT_FALSE(o.ok || o.error.find("line 8, field 2") == std::string::npos) << o.error;
    EXPECT_NE(o.error.find("abc"), std::string::npos) << o.error;
    EXPECT_EQ(o.st->Dbfile, st->main.txtDb); // read before the fault
    EXPECT_EQ(o.st->Precision, 0.01f);

    using Case = std::tuple<const char*, const char*, const char*>;
    for (const auto& [from, to, says] :
         {Case{"\"Ca+2\",\"15\",.00025\r\n", "\"Ca+2\",\"15\",.00025,7\r\n", "END"},
          Case{"\"Selected sweep results:\",1", "\"Selected sweep results:\",9", "at most 8"},
          Case{"\"No. mast sp.\",2", "\"No. mast sp.\",26", "at most 25"},
          Case{"\"No. mast sp.\",2", "\"No. mast sp.\",-1", ""}, Case{"\"No\",", "\"No\",1E+10", ""}}) {
        o = openRecord(replaced(text, from, to));
        EXPECT_FALSE(o.ok || o.error.find(says) == std::string::npos) << o.error;
        EXPECT_TRUE(o.st->Nmast == 0 || std::string(says) != "at most 25");
    }
}

TEST_F(ProblemRecord, TruncatedRecordsNeverCrash) {
    setList(*st, "Sweep - increment", 1);
    const std::string text = saveRecord(*st);
    // Cut anywhere: a failure always says why; cut at a line end before "END", the file ended early.
    for (std::size_t n = 0; n <= text.size(); ++n) {
        auto o = openRecord(text.substr(0, n));
        EXPECT_TRUE(o.ok || !o.error.empty()) << n;
        EXPECT_LE(o.st->Nmast, 2);
        if (n >= 2 && n + 7 < text.size() && text.compare(n - 2, 2, "\r\n") == 0) {
            EXPECT_FALSE(o.ok || o.error.find("ends early") == std::string::npos) << o.error;
        }
    }
}

TEST_F(ProblemRecord, ComponentsWithoutANumberKeepTheirRowWithANote) {
    // A name the database did not know is saved without a species number and must read back.
    st->rows[2].txtName = "Unobtainium";
    auto o = openRecord(saveRecord(*st));
    ASSERT_TRUE(o.ok && o.notes.size() == 1) << o.error;
    EXPECT_EQ(std::tuple(o.st->Nmast, o.st->rows[2].txtName, o.st->rows[2].txtConc),
              std::tuple(2, "Unobtainium", " .00025"));
    EXPECT_NE(o.notes[0].find("\"Unobtainium\""), std::string::npos) << o.notes[0];

    st->rows[2].txtName = "Ca+2";
    const std::string text = saveRecord(*st);
    for (const std::string no : {"0", "100", "500", "abc", "", "-3", "1E+20"}) {
        o = openRecord(replaced(text, "\"Ca+2\",\"15\"", "\"Ca+2\",\"" + no + "\""));
        ASSERT_TRUE(o.ok && o.notes.size() == 1) << no << ": " << o.error;
        EXPECT_NE(o.notes[0].find("line 19: component \"Ca+2\""), std::string::npos) << o.notes[0];
        // The row stays for the user to correct; nothing was put outside the tables.
        EXPECT_EQ(std::tuple(o.st->Nmast, o.st->rows[2].txtName, o.st->rows[2].visible, o.st->Tot[0],
                             o.st->Tot[15]),
                  std::tuple(2, "Ca+2", true, 0.0, 0.0))
            << no;
    }
    o = openRecord(replaced(text, "\"Ca+2\",\"15\"", "\"Ca+2\",99.7"));
    EXPECT_TRUE(o.ok && o.notes.empty()) << o.error; // the integer part of the number
    EXPECT_DOUBLE_EQ(o.st->Tot[99], 0.00025);
    EXPECT_FALSE(openRecord(replaced(text, "\"Ca+2\",\"15\",.00025", "\"Ca+2\",\"15\",abc")).ok);
}

// (A name as written relative to the problem file, and the places looked in: the main window's test.)
TEST(LocateDatabase, AsWrittenBesideTheProblemFileOrByItsBareName) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "p");
    spit(dir.file("top.DBS"), "x");
    spit(dir.file("p/near.DBS"), "x");
    const std::string problem = dir.file("p/x.DAT");
    using Case = std::tuple<std::string, std::string, std::string>;
    for (const auto& [named, base, found] : {Case{dir.file("top.DBS"), "", dir.file("top.DBS")},
                                             Case{"top.DBS", dir.path().string(), dir.file("top.DBS")},
                                             Case{"near.DBS", "/nowhere", dir.file("p/near.DBS")},
                                             Case{"c:\\kelvaspec\\near.DBS", "", dir.file("p/near.DBS")}}) {
        SCOPED_TRACE(named);
        EXPECT_EQ(locateDatabase(named, problem, base).value_or("none"), found);
    }
    EXPECT_FALSE(locateDatabase("c:\\data\\gone.DBS", problem));
    EXPECT_FALSE(locateDatabase("  ", problem));
}
