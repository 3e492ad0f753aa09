#include "files/result_fixture.h"
#include "files/sweeptable.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace kelva {
namespace {

using test::runText;
using Col = std::vector<std::string>;

// The scan input as the result window gets it: the selection from problem 1's block.
SweepScanInput inputFrom(const std::string& text, std::vector<i16> iterr = {}) {
    FieldReader r(text, "Tempo.out");
    ResultBlock b;
    EXPECT_TRUE(readBlock(r, false, b)) << b.error;
    return {b.sweep, b.nprob, 0.5f, 0.65f, std::move(iterr)};
}

Col column(const SweepTable& t, int c) {
    Col out;
    for (int r = 2; r < t.rows; ++r) out.push_back(t.at(r, c));
    return out;
}

TEST(SweepTable, PhSweepWithConcentrationAndDocAlsoFromFile) {
    const auto text = runText(5, {{"pH", ""}, {"Na", "Concentration"}, {"DOC", "Concentration"}});
    const SweepTable t = buildSweepTable(text, inputFrom(text));
    ASSERT_EQ(std::tuple(t.rows, t.cols), std::tuple(7, 4));
    EXPECT_EQ(t.cells[0], (Col{"Problem no.", "pH", "Na", "DOC"}));
    EXPECT_EQ(t.cells[1], (Col{"", "", "Concentration", "Concentration"}));
    EXPECT_EQ(column(t, 0), (Col{" 1", " 2", " 3", " 4", " 5"}));
    EXPECT_EQ(column(t, 1), (Col{" 4", " 5", " 6", " 7", " 8"}));
    EXPECT_EQ(column(t, 2), (Col{"1.250E-01", "2.500E-01", "3.750E-01", "5.000E-01", "6.250E-01"}));
    // 10 mg/l of DOC fixed the dissolved FA at .013 g/l; the table turns it back into DOC.
    EXPECT_EQ(column(t, 3), (Col{" 10", " 10", " 10", " 10", " 10"}));
    EXPECT_EQ(t.errorRow, std::vector<bool>(7, false));

    test::TempDir dir;
    std::string err;
    ASSERT_TRUE(writeFileAtomic(dir.file("Tempo.out"), text, err)) << err;
    SweepTable fromFile;
    ASSERT_TRUE(buildSweepTableFromFile(dir.file("Tempo.out"), inputFrom(text), fromFile, err)) << err;
    EXPECT_EQ(fromFile.cells, t.cells);
    EXPECT_FALSE(buildSweepTableFromFile(dir.file("none.out"), inputFrom(text), fromFile, err));
    EXPECT_FALSE(err.empty());
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
    EXPECT_EQ(column(t, 2), (Col{"1.000E-03", np, "3.000E-03", np, "5.000E-03"}));
    EXPECT_EQ(column(t, 3), (Col{"2.000E-03", np, "2.000E-03", np, "2.000E-03"}));
    // log10 .002 = -2.69897: cut down, not towards zero.
    EXPECT_EQ(column(t, 4), (Col{"-2.699", np, "-2.699", np, "-2.699"}));
    // Chloride in solution: free Cl plus the NaCl of the block.
    EXPECT_EQ(column(t, 5), (Col{"5.010E-01", np, "5.030E-01", "5.000E-01", np}));
    EXPECT_EQ(column(t, 6), (Col{"", "", "", "", ""})); // a kind the table does not know
    EXPECT_EQ(t.at(1, 6), "Conc. (mg/l)");
}

TEST(SweepTable, ErrorRowsAreMarkedAndStillFilled) {
    auto vary = [](ProgramState& st, int k) {
        if (k == 3) st.setIterr(3, 1);
        if (k == 4) st.Conc[2] = 9.9996;    // the mantissa rounds up: the exponent moves
        if (k == 1) st.Conc[2] = -0.000123; // negative
        if (k == 2) st.Conc[2] = 0;         // in the master and totals rows only: not present
    };
    const auto text = runText(4, {{"pH", ""}, {"Na", "Concentration"}}, vary);
    const SweepTable t = buildSweepTable(text, inputFrom(text, {0, 0, 0, 1, 0}));
    EXPECT_EQ(column(t, 0), (Col{" 1", " 2", "!!ERROR!!", " 4"}));
    EXPECT_EQ(t.errorRow, (std::vector<bool>{false, false, false, false, true, false}));
    EXPECT_EQ(column(t, 1), (Col{" 4", " 5", " 6", " 7"}));
    EXPECT_EQ(column(t, 2), (Col{"-1.230E-04", "Not present", "3.750E-01", "1.000E+01"}));
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
        EXPECT_EQ(t.cells[0], (Col{"Problem no.", sweepBlock ? "pH" : ""}));
        EXPECT_EQ(column(t, 0), (Col{" 1", " 2", " 3"}));
        EXPECT_EQ(column(t, 1), sweepBlock ? (Col{" 4", " 5", " 6"}) : (Col{"", "", ""}));
    }
}

TEST(SweepTable, CutShortFileOrMissingBlocksLeaveTheRestEmpty) {
    const auto text =
        runText(3, {{"pH", ""}, {"Na", "Concentration"}, {"Cl", "Total dissolved"}, {"DOC", ""}});
    SweepScanInput in = inputFrom(text);
    const std::size_t third = text.find("\"RESULTS Prob. no. \",3");
    ASSERT_NE(third, std::string::npos);
    SweepTable t = buildSweepTable(text.substr(0, third + 200), in);
    EXPECT_EQ(column(t, 1), (Col{" 4", " 5", " 6"}));
    EXPECT_EQ(column(t, 2), (Col{"1.250E-01", "2.500E-01", ""}));
    EXPECT_EQ(column(t, 3), (Col{"5.000E-01", "5.000E-01", ""}));
    for (std::size_t n = 0; n < text.size(); n += 7)
        EXPECT_EQ(buildSweepTable(text.substr(0, n), in).rows, 5);

    in.Nswprob = 5; // more problems claimed than blocks
    t = buildSweepTable(text, in);
    EXPECT_EQ(column(t, 1), (Col{" 4", " 5", " 6", "", ""}));
    EXPECT_EQ(column(t, 4), (Col{" 10", " 10", " 10", "", ""}));
    in.Nswprob = 0; // no problems: the captions only
    t = buildSweepTable(text, in);
    EXPECT_EQ(std::tuple(t.rows, t.cols, t.at(0, 4)), std::tuple(2, 5, "DOC"));
}

} // namespace
} // namespace kelva
