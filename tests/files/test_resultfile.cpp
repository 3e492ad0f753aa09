// The result file: what writeres adds to the layout that the golden result files of the examples
// pin (sweep lines, error line, precipitates, fixed FA, undefined values), reading blocks back,
// also from files that are old, cut short or damaged, and the sweep table built from them.
#include "files/result_fixture.h"
#include "files/resultfile.h"
#include "files/sweeptable.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <utility>
#include <vector>

namespace kelva {
namespace {

using test::blockText;
using test::freshState;
using test::nameSpecies;
using test::replaced;
using test::runText;
using test::smallProblem;
using Strs = std::vector<std::string>;

// Checks the written lines from position `from` on (negative: counted from the end).
void expectLines(ProgramState& st, int from, const Strs& want) {
    const std::string text = blockText(st);
    Strs lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    ASSERT_EQ(start, text.size()) << "the last line ends with CR LF";
    const auto first = from < 0 ? std::ssize(lines) + from : from;
    ASSERT_TRUE(first >= 0 && first + std::ssize(want) <= std::ssize(lines)) << from;
    EXPECT_EQ(Strs(lines.begin() + first, lines.begin() + first + std::ssize(want)), want)
        << "from line " << from;
}

ResultBlock readFirst(const std::string& text) {
    FieldReader r(text, "Tempo.out");
    ResultBlock b;
    readBlock(r, false, b);
    return b;
}

template <class Row> Strs names(const std::vector<Row>& rows) {
    Strs out;
    for (const auto& r : rows) out.push_back(r.name);
    return out;
}

class WriteRes : public ::testing::Test {
  protected:
    WriteRes() { smallProblem(*st); }
    std::unique_ptr<ProgramState> st = freshState();
};
using ReadBlock = WriteRes;

// (Problem 1's sweep lines as a run writes them: the golden results.)
TEST_F(WriteRes, SweepLinesStayInStepWithTheirCountAndNeedAListKind) {
    expectLines(*st, 2, {R"("No. of iterations ",12)"});
    st->Sweepmode = "Only multi";
    st->Nsel = 3.0;
    st->Selname = {"", "pH"}; // fewer names than the count says
    expectLines(*st, 3, {R"(3,"pH")", R"("","")", R"("","")"});
    for (const auto& [count, line] :
         {std::pair{1e9, R"(32767,"pH")"}, {-2.0, R"(0,"pH")"}, {1.5, R"(1.5,"pH")"}}) {
        st->Nsel = count;
        expectLines(*st, 3, {line});
    }
    st->Nsel.clear();
    expectLines(*st, 3, {R"(,"pH")", R"("No. of iterations ",12)"});
}

TEST_F(WriteRes, PrecipitatesFixedFulvicAcidAndChargeRatioWithoutAnions) {
    nameSpecies(*st, 11, "Fe");
    st->Tot[11] = 0.002;
    st->Tcalc[11] = 0.0005;
    st->FePpt = "Yes";
    expectLines(
        *st, 19,
        {R"("[Fe(OH)3 ppt]","Yes",.0015)", R"("% Tot Fe pptd ",75)", R"("[Al(OH)3 ppt]","No",0)", R"("")"});
    st->AlPpt = "Yes"; // flagged but no aluminium at all: no percentage of nothing
    expectLines(*st, 21, {R"("[Al(OH)3 ppt]","Yes",0)", R"("% Tot Al pptd ",0)"});

    st->Negchg = 0;
    st->Faaq = st->FaaqRes = 1500.0f;
    expectLines(*st, 6, {R"("Charge ratio ",0)", R"("Charge difference ",.75)", R"("Faaq (Fixed) ",1500)"});
    st->Faaq = st->FaaqRes = 0.013f;
    expectLines(*st, 8, {R"("Faaq (Fixed) ",.013)"});
    st->Faaq = 999.0f; // calculated: the value the solve used
    expectLines(*st, 8, {R"("Faaq (Calc) ",.013)"});

    st->FePpt = "No";
    st->Tot[11] = 0;
    nameSpecies(*st, 5, "Al");
    st->Tot[5] = 0.004;
    st->Tcalc[5] = 0.001;
    ResultBlock b = readFirst(blockText(*st));
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_EQ(std::tuple(b.fe.hasPercent, b.al.flag, b.al.hasPercent, b.al.amount, b.al.percent),
              std::tuple(false, "Yes", true, 0.003, 75.0));
    EXPECT_EQ(std::tuple(b.faaqKind, b.faaq), std::tuple(FaaqKind::Calc, 0.013));
    EXPECT_EQ(names(b.master), (Strs{"Na", "Cl", "Al"}));
}

TEST_F(WriteRes, ZeroConcentrationsAndTotalsAreLeftOutUndefinedValuesWrittenEmpty) {
    st->Conc[3] = 0;
    st->Tot[1] = 0;
    st->Tot[51] = 1e-9; // OH- has a Kd line of zeros but no master row
    st->Ionic = std::numeric_limits<double>::quiet_NaN();
    st->Act[2] = std::numeric_limits<double>::infinity();
    const std::string text = blockText(*st);
    for (const char* gone : {R"(3,"Cl",.5,.4)", R"(1,"H",0,0,0)", "NaCl", "51,\"OH\",0,0,0,0"})
        EXPECT_EQ(text.find(gone), std::string::npos) << gone;
    for (const char* there : {"51,\"OH\",0,0,0\r\n", "\"Ionic strength \",\r\n", "2,\"Na\",.125,\r\n"})
        EXPECT_NE(text.find(there), std::string::npos) << there;
    ResultBlock b = readFirst(text);
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_EQ(std::tuple(b.ionic, b.species[1].act), std::tuple(0.0, 0.0));
}

// (A soil block without the mode line: the result window's tests.)
TEST_F(ReadBlock, OldOrSparseBlocksAreStillRead) {
    ResultBlock b = readFirst(replaced(blockText(*st), "\"Faaq (Calc) \",.013\r\n", ""));
    EXPECT_EQ(std::tuple(b.complete, b.faaqKind, b.zedHA, b.zedFA),
              std::tuple(true, FaaqKind::Missing, -0.0025, -0.005));
    st->Nsplist = 0; // no species rows at all
    b = readFirst(blockText(*st));
    EXPECT_EQ(std::tuple(b.complete, b.species.size(), b.master.size(), b.totals.size()),
              std::tuple(true, 0u, 2u, 2u));
    st->ProgMode = "Water"; // the block ends after the totals title
    expectLines(*st, -2, {R"("TOTAL AQUEOUS-PHASE CONCENTRATIONS AND KD VALUES:")", R"("")"});
    b = readFirst(replaced(blockText(*st), "\"Program mode \",\"Water\"\r\n", ""));
    EXPECT_EQ(std::tuple(b.complete, b.hasKdSection, b.totals.size(), b.master.size()),
              std::tuple(true, false, 0u, 2u))
        << b.error;
}

// However many master rows there are, the sections stay in step.
TEST_F(ReadBlock, SixtyMasterRowsAreReadAndTheSectionsStayInStep) {
    st->Nsplist = 1; // H only
    for (int i = 2; i <= 62; ++i) {
        if (i == 51) continue; // OH
        nameSpecies(*st, i, ("C" + std::to_string(i)).c_str());
        st->Tot[i] = st->Tcalc[i] = st->Conc[i] = 0.5;
        st->Act[i] = 0.25;
        st->Splist[++st->Nsplist] = static_cast<i16>(i);
    }
    ResultBlock b = readFirst(blockText(*st));
    ASSERT_EQ(std::tuple(b.complete, b.master.size(), b.species.size(), b.totals.size()),
              std::tuple(true, 60u, 61u, 60u));
    EXPECT_EQ(
        std::tuple(b.master.back().name, b.species.back().name, b.totals.back().name, b.species.back().act),
        std::tuple("C62", "C62", "C62", 0.25));
}

// Five blocks; the fourth in water mode.
std::string fiveBlocks() {
    return runText(
        5, {}, [](ProgramState& s, int k) { s.ProgMode = k == 4 ? "Water" : "Soil"; }, false);
}

// (Blocks found by their number, the stopped ones marked: the result window's tests.)
TEST(ResultFile, ConsecutiveBlocksAreReadWithoutSearchingAndASearchPassesOthers) {
    FieldReader r(fiveBlocks(), "five");
    ResultBlock b;
    ASSERT_TRUE(readBlock(r, false, b) && readBlock(r, false, b)) << b.error;
    EXPECT_EQ(std::tuple(b.probno, b.master.size()), std::tuple(2, 2u)); // nothing left of block 1
    ASSERT_TRUE(findBlock(r, 5) && readBlock(r, true, b)) << b.error;    // past the water block
    EXPECT_EQ(std::tuple(b.probno, b.nprob, b.pH, b.hasKdSection), std::tuple(5, 5, 8.0, true));
    EXPECT_FALSE(findBlock(r, 6));
    FieldReader empty("", "empty");
    std::vector<i16> flags;
    EXPECT_EQ(scanBlocks(empty, flags), 0);
}

TEST_F(ReadBlock, TextWhereANumberOrLabelBelongs) {
    const std::string text = blockText(*st);
    ResultBlock b = readFirst(replaced(text, "\"pH \",7.05", "\"pH \",seven"));
    EXPECT_EQ(std::tuple(b.complete, b.iterations), std::tuple(false, 12));
    EXPECT_NE(b.error.find("line 5, field 2"), std::string::npos) << b.error;
    b = readFirst(replaced(text, "3,\"Cl\",1,0", "3,\"Cl\",one,0"));
    EXPECT_EQ(std::tuple(b.complete, b.master.size()), std::tuple(false, 1u));
    b = readFirst(replaced(text, "\"Ionic strength \"", "\"Ionic strenght \""));
    EXPECT_FALSE(b.complete || b.error.find("Ionic strength") == std::string::npos) << b.error;
    EXPECT_FALSE(readFirst("just,some,text\r\n1,2,3\r\n").complete);
    b = readFirst(replaced(text, "2,\"Na\",.5", "2.15E+09,\"Na\",.5")); // a number no index can hold
    EXPECT_EQ(std::tuple(b.complete, b.master[0].index, b.master[1].index), std::tuple(true, 0, 3));
    // A huge sweep count ends at the file end.
    const std::string head = "\"RESULTS Prob. no. \",1\r\n\"No. of problems in this file \",1\r\n"
                             "\"Below is information on selected sweep results\"\r\n";
    b = readFirst(head + "-3,\"pH\"\r\n");
    EXPECT_EQ(std::tuple(b.sweep.Nswsel, b.sweep.Swselname), std::tuple(0, Strs{""}));
    b = readFirst(head + "30000,\"pH\"\r\n");
    EXPECT_EQ(std::tuple(b.complete, b.sweep.present), std::tuple(false, true));
    b = readFirst(head + "1E+30,\"pH\"\r\n");
    EXPECT_FALSE(b.complete || b.error.find("too large") == std::string::npos) << b.error;
}

TEST(ResultFile, CutFilesAreReportedNotFatalAndWhatWasReadIsKept) {
    const std::string good = fiveBlocks();
    const std::size_t firstEnd = good.find("\"RESULTS", 1);
    for (std::size_t n = 0; n + 3 < firstEnd; n += 3) {
        ResultBlock b = readFirst(good.substr(0, n));
        EXPECT_FALSE(b.complete || b.error.empty()) << "cut at " << n;
    }
    // Block 5 cut short, found by the search: what was read is kept.
    FieldReader r(good.substr(0, good.size() - 40), "cut");
    ResultBlock b;
    ASSERT_TRUE(findBlock(r, 5));
    EXPECT_FALSE(readBlock(r, true, b));
    EXPECT_EQ(std::tuple(b.probno, b.master.size()), std::tuple(5, 2u));
    EXPECT_NE(b.error.find("ends before"), std::string::npos) << b.error;
}

// The scan input as the result window gets it: the selection from problem 1's block.
SweepScanInput inputFrom(const std::string& text, std::vector<i16> iterr = {}) {
    FieldReader r(text, "Tempo.out");
    ResultBlock b;
    EXPECT_TRUE(readBlock(r, false, b)) << b.error;
    return {b.sweep, b.nprob, 0.5f, 0.65f, std::move(iterr)};
}

Strs column(const SweepTable& t, int c) {
    Strs out;
    for (int r = 2; r < t.rows; ++r) out.push_back(t.at(r, c));
    return out;
}

TEST(SweepTable, NotPresentExactlyWhereTheRowIsMissing) {
    auto vary = [](ProgramState& st, int k) {
        st.Conc[101] = (k % 2) ? 0.001 * k : 0.0; // NaCl only in problems 1, 3, 5
        st.Act[101] = 0.002;
        if (k == 2) st.Tot[3] = st.Conc[3] = 0; // no chloride at all in problem 2
        if (k == 5) st.ProgMode = "Water";      // last block: no Kd rows
    };
    const auto text = runText(5,
                              {{"pH", ""},
                               {"NaCl", "Concentration"},
                               {"NaCl", "Activity"},
                               {"NaCl", "Log Activity"},
                               {"Cl", "Total dissolved"},
                               {"Na", "Conc. (mg/l)"}},
                              vary);
    const SweepTable t = buildSweepTable(text, inputFrom(text));
    ASSERT_EQ(t.cols, 7);
    const std::string np = "Not present";
    EXPECT_EQ(column(t, 2), (Strs{"1.000E-03", np, "3.000E-03", np, "5.000E-03"}));
    EXPECT_EQ(column(t, 3), (Strs{"2.000E-03", np, "2.000E-03", np, "2.000E-03"}));
    // log10 .002 = -2.69897: cut down, not towards zero.
    EXPECT_EQ(column(t, 4), (Strs{"-2.699", np, "-2.699", np, "-2.699"}));
    // Chloride in solution: free Cl plus the NaCl of the block.
    EXPECT_EQ(column(t, 5), (Strs{"5.010E-01", np, "5.030E-01", "5.000E-01", np}));
    EXPECT_EQ(column(t, 6), (Strs{"", "", "", "", ""})); // a kind the table does not know
    EXPECT_EQ(t.at(1, 6), "Conc. (mg/l)");
}

TEST(SweepTable, DocIsCutNotRoundedAndWithoutASweepBlockOnlyProblemNumbersShow) {
    // 4.56789 mg/l of DOC, held as dissolved FA in g/l with the default factors.
    EXPECT_EQ(std::tuple(docText(4.56789e-3 * 0.65 / 0.5, 0.5f, 0.65f), docText(-4.5671e-3, 1.0f, 1.0f),
                         docText(0.0, 1.0f, 1.0f), docText(0.013, 0.5f, 0.0f)),
              std::tuple(" 4.567", "-4.568", " 0", ""));

    for (bool sweepBlock : {true, false}) { // exactly one selected result, or none written
        const auto text = runText(3, {{"pH", ""}}, {}, sweepBlock);
        const SweepScanInput in = inputFrom(text);
        EXPECT_EQ(in.sel.present, sweepBlock);
        const SweepTable t = buildSweepTable(text, in);
        ASSERT_EQ(std::tuple(t.rows, t.cols), std::tuple(5, 2));
        EXPECT_EQ(t.cells[0], (Strs{"Problem no.", sweepBlock ? "pH" : ""}));
        EXPECT_EQ(column(t, 0), (Strs{" 1", " 2", " 3"}));
        EXPECT_EQ(column(t, 1), sweepBlock ? (Strs{" 4", " 5", " 6"}) : (Strs{"", "", ""}));
    }
}

TEST(SweepTable, CutShortFileOrMissingBlocksLeaveTheRestEmpty) {
    const auto text =
        runText(3, {{"pH", ""}, {"Na", "Concentration"}, {"Cl", "Total dissolved"}, {"DOC", ""}});
    SweepScanInput in = inputFrom(text);
    const std::size_t third = text.find("\"RESULTS Prob. no. \",3");
    ASSERT_NE(third, std::string::npos);
    SweepTable t = buildSweepTable(text.substr(0, third + 200), in);
    EXPECT_EQ(column(t, 1), (Strs{" 4", " 5", " 6"}));
    EXPECT_EQ(column(t, 2), (Strs{"1.250E-01", "2.500E-01", ""}));
    EXPECT_EQ(column(t, 3), (Strs{"5.000E-01", "5.000E-01", ""}));
    for (std::size_t n = 0; n < text.size(); n += 7)
        EXPECT_EQ(buildSweepTable(text.substr(0, n), in).rows, 5);

    in.Nswprob = 5; // more problems claimed than blocks
    t = buildSweepTable(text, in);
    EXPECT_EQ(column(t, 1), (Strs{" 4", " 5", " 6", "", ""}));
    EXPECT_EQ(column(t, 4), (Strs{" 10", " 10", " 10", "", ""}));

    test::TempDir dir; // read from a file as well; a missing one is refused
    std::string err;
    ASSERT_TRUE(writeFileAtomic(dir.file("Tempo.out"), text, err)) << err;
    ASSERT_TRUE(buildSweepTableFromFile(dir.file("Tempo.out"), in, t, err)) << err;
    EXPECT_EQ(t.cells, buildSweepTable(text, in).cells);
    EXPECT_FALSE(buildSweepTableFromFile(dir.file("none.out"), in, t, err) || err.empty());
    in.Nswprob = 0; // no problems: the captions only
    t = buildSweepTable(text, in);
    EXPECT_EQ(std::tuple(t.rows, t.cols, t.at(0, 4)), std::tuple(2, 5, "DOC"));
}

} // namespace
} // namespace kelva
