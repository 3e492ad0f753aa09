#include "files/result_fixture.h"
#include "files/resultfile.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

namespace kelva {
namespace {

using test::blockText;
using test::freshState;
using test::smallBlockLines;
using test::smallProblem;
using test::splitCrlf;

std::vector<std::string> writtenLines(ProgramState& st) {
    bool crlf = false;
    auto lines = splitCrlf(blockText(st), crlf);
    EXPECT_TRUE(crlf) << "every line ends with CR LF";
    return lines;
}

// Replaces the first occurrence of `from` (which must exist) in `s`.
std::string replaced(std::string s, const std::string& from, const std::string& to) {
    auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

ResultBlock readFirst(const std::string& text, std::string name = "Tempo.out") {
    FieldReader r(text, std::move(name));
    ResultBlock b;
    readBlock(r, false, b);
    return b;
}

// ------------------------------------------------------------------------------ writing

TEST(WriteRes, SmallBlockLineByLine) {
    auto st = freshState();
    smallProblem(*st);
    EXPECT_EQ(writtenLines(*st), smallBlockLines());
}

TEST(WriteRes, SweepLinesOnlyInProblemOneAndAlsoForModeNo) {
    auto st = freshState();
    smallProblem(*st);
    st->Sweepmode = "No";
    st->Nsel = 3.0;
    st->Selname = {"", "pH", "Na", "DOC"};
    st->Seltype = {"", "", "Concentration", "Activity"};
    auto lines = writtenLines(*st);
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ(lines[2], R"("Below is information on selected sweep results")");
    EXPECT_EQ(lines[3], R"(3,"pH")");
    EXPECT_EQ(lines[4], R"("Na","Concentration")");
    EXPECT_EQ(lines[5], R"("DOC","Activity")");
    EXPECT_EQ(lines[6], R"("No. of iterations ",12)");

    st->Probno = 2;
    lines = writtenLines(*st);
    EXPECT_EQ(lines[1], R"("No. of problems in this file ",1)");
    EXPECT_EQ(lines[2], R"("No. of iterations ",12)");

    st->Probno = 1;
    st->Sweepmode = "";
    EXPECT_EQ(writtenLines(*st)[2], R"("No. of iterations ",12)");
}

TEST(WriteRes, SweepCountAndLinesStayInStep) {
    auto st = freshState();
    smallProblem(*st);
    st->Sweepmode = "Only multi";
    st->Nsel = 3.0;
    st->Selname = {"", "pH"}; // fewer names than the count says
    auto lines = writtenLines(*st);
    EXPECT_EQ(lines[3], R"(3,"pH")");
    EXPECT_EQ(lines[4], R"("","")");
    EXPECT_EQ(lines[5], R"("","")");
    st->Nsel.clear();
    lines = writtenLines(*st);
    EXPECT_EQ(lines[3], R"(,"pH")");
    EXPECT_EQ(lines[4], R"("No. of iterations ",12)");
}

TEST(WriteRes, ErrorLineForTheRunningProblem) {
    auto st = freshState();
    smallProblem(*st);
    st->Runprob = st->Probno = 2;
    st->setIterr(1, 1);
    EXPECT_EQ(writtenLines(*st)[2], R"("No. of iterations ",12)");
    st->setIterr(2, 1);
    auto lines = writtenLines(*st);
    EXPECT_EQ(lines[2], R"("ERROR - Exceedance of no. of iterations")");
    EXPECT_EQ(lines[3], R"("No. of iterations ",12)");
}

TEST(WriteRes, WaterModeEndsAfterTheTotalsTitle) {
    auto st = freshState();
    smallProblem(*st);
    st->ProgMode = "Water";
    auto lines = writtenLines(*st);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[3], R"("Program mode ","Water")");
    EXPECT_EQ(lines[lines.size() - 2], R"("TOTAL AQUEOUS-PHASE CONCENTRATIONS AND KD VALUES:")");
    EXPECT_EQ(lines.back(), R"("")");
}

TEST(WriteRes, PrecipitationLines) {
    auto st = freshState();
    smallProblem(*st);
    test::nameSpecies(*st, 11, "Fe");
    st->Tot[11] = 0.002;
    st->Tcalc[11] = 0.0005;
    st->FePpt = "Yes";
    auto lines = writtenLines(*st);
    EXPECT_EQ(lines[19], R"("[Fe(OH)3 ppt]","Yes",.0015)");
    EXPECT_EQ(lines[20], R"("% Tot Fe pptd ",75)");
    EXPECT_EQ(lines[21], R"("[Al(OH)3 ppt]","No",0)");
    EXPECT_EQ(lines[22], R"("")");

    st->AlPpt = "Yes"; // flagged but no aluminium at all: no percentage of nothing
    lines = writtenLines(*st);
    EXPECT_EQ(lines[21], R"("[Al(OH)3 ppt]","Yes",0)");
    EXPECT_EQ(lines[22], R"("% Tot Al pptd ",0)");
}

TEST(WriteRes, ChargeRatioWithoutAnionsAndFaaqAboveNoValue) {
    auto st = freshState();
    smallProblem(*st);
    st->Negchg = 0;
    st->Faaq = 1500.0f;
    st->FaaqRes = 1500.0f;
    auto lines = writtenLines(*st);
    EXPECT_EQ(lines[6], R"("Charge ratio ",0)");
    EXPECT_EQ(lines[7], R"("Charge difference ",.75)");
    EXPECT_EQ(lines[8], R"("Faaq (Fixed) ",1500)");
    st->Faaq = st->FaaqRes = 0.013f;
    EXPECT_EQ(writtenLines(*st)[8], R"("Faaq (Fixed) ",.013)");
    st->Faaq = 999.0f; // calculated: the value the solve used
    EXPECT_EQ(writtenLines(*st)[8], R"("Faaq (Calc) ",.013)");
}

TEST(WriteRes, ZeroConcentrationsAndTotalsAreLeftOut) {
    auto st = freshState();
    smallProblem(*st);
    st->Conc[3] = 0;
    st->Tot[1] = 0;
    auto text = blockText(*st);
    EXPECT_EQ(text.find(R"(3,"Cl",.5,.4)"), std::string::npos);
    EXPECT_EQ(text.find(R"(1,"H",0,0,0)"), std::string::npos);
    EXPECT_EQ(text.find("NaCl"), std::string::npos);
    st->Tot[51] = 1e-9; // OH- has a Kd line of zeros but no master row
    text = blockText(*st);
    EXPECT_NE(text.find("51,\"OH\",0,0,0\r\n"), std::string::npos);
    EXPECT_EQ(text.find("51,\"OH\",0,0,0,0"), std::string::npos);
}

TEST(WriteRes, ToFileCreatesThenAppends) {
    test::TempDir dir;
    auto st = freshState();
    smallProblem(*st);
    const auto path = dir.file("Tempo.out");
    std::string err;
    ASSERT_TRUE(writeresToFile(*st, path, true, err)) << err;
    ASSERT_TRUE(writeresToFile(*st, path, false, err)) << err;
    ASSERT_TRUE(writeresToFile(*st, path, true, err)) << err;
    auto text = readWholeFile(path);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, blockText(*st));
}

TEST(WriteRes, ValueWithoutDecimalFormIsWrittenEmpty) {
    auto st = freshState();
    smallProblem(*st);
    st->Ionic = std::numeric_limits<double>::quiet_NaN();
    st->Act[2] = std::numeric_limits<double>::infinity();
    const std::string text = blockText(*st);
    EXPECT_NE(text.find("\"Ionic strength \",\r\n"), std::string::npos);
    EXPECT_NE(text.find("2,\"Na\",.125,\r\n"), std::string::npos);
    ResultBlock b = readFirst(text);
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_EQ(b.ionic, 0);
    EXPECT_EQ(b.species[1].act, 0);
}

// ------------------------------------------------------------------------------ reading

TEST(ReadBlock, GivesBackWhatWasWritten) {
    auto st = freshState();
    smallProblem(*st);
    st->Sweepmode = "Sweep - increment";
    st->Nsel = 2.0;
    st->Selname = {"", "pH", "NaCl"};
    st->Seltype = {"", "", "Log Activity"};
    st->setIterr(1, 1);
    ResultBlock b = readFirst(blockText(*st));
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_TRUE(b.error.empty());
    EXPECT_EQ(b.probno, 1);
    EXPECT_EQ(b.nprob, 1);
    ASSERT_TRUE(b.sweep.present);
    EXPECT_EQ(b.sweep.Nswsel, 2);
    EXPECT_EQ(b.sweep.Swselname[1], "pH");
    EXPECT_EQ(b.sweep.Swselname[2], "NaCl");
    EXPECT_EQ(b.sweep.Swseltype[2], "Log Activity");
    EXPECT_TRUE(b.iterError);
    EXPECT_EQ(b.iterations, 12);
    EXPECT_EQ(b.mode, std::optional<std::string>("Soil"));
    EXPECT_DOUBLE_EQ(b.pH, 7.05);
    EXPECT_DOUBLE_EQ(b.ionic, 0.05);
    EXPECT_DOUBLE_EQ(b.chargeRatio, 1.5);
    EXPECT_DOUBLE_EQ(b.chargeDiff, 0.25);
    EXPECT_EQ(b.faaqKind, FaaqKind::Calc);
    EXPECT_DOUBLE_EQ(b.faaq, 0.013);
    EXPECT_DOUBLE_EQ(b.zedHA, -0.0025);
    EXPECT_DOUBLE_EQ(b.zedFA, -0.005);
    EXPECT_DOUBLE_EQ(b.ratioFA, 3.5);
    EXPECT_DOUBLE_EQ(b.fracFADDL, 0.02);
    EXPECT_DOUBLE_EQ(b.fracSol, 1.0);
    EXPECT_EQ(b.fe.flag, "No");
    EXPECT_FALSE(b.fe.hasPercent);
    EXPECT_DOUBLE_EQ(b.satIndex, 1.25);
    ASSERT_EQ(b.master.size(), 2u);
    EXPECT_EQ(b.master[0].index, 2);
    EXPECT_EQ(b.master[0].name, "Na");
    EXPECT_EQ(b.master[0].fr, (std::array<double, 6>{0.5, 0, 0, 0.5, 0, 0}));
    ASSERT_EQ(b.species.size(), 4u);
    EXPECT_EQ(b.species[0].name, "H"); // taken with the section title
    EXPECT_DOUBLE_EQ(b.species[0].conc, 1e-7);
    EXPECT_EQ(b.species[2].name, "Cl");
    EXPECT_DOUBLE_EQ(b.species[2].act, 0.4);
    EXPECT_TRUE(b.hasKdSection);
    ASSERT_EQ(b.totals.size(), 2u); // H skipped
    EXPECT_EQ(b.totals[0].name, "Na");
    EXPECT_DOUBLE_EQ(b.totals[0].aqconc, 0.125);
    EXPECT_DOUBLE_EQ(b.totals[0].kd, 250);
    EXPECT_DOUBLE_EQ(b.totals[0].kdapp, 250);
}

TEST(ReadBlock, PrecipitationAndWaterMode) {
    auto st = freshState();
    smallProblem(*st);
    test::nameSpecies(*st, 5, "Al");
    st->Tot[5] = 0.004;
    st->Tcalc[5] = 0.001;
    st->AlPpt = "Yes";
    st->ProgMode = "Water";
    ResultBlock b = readFirst(blockText(*st));
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_FALSE(b.fe.hasPercent);
    EXPECT_EQ(b.al.flag, "Yes");
    EXPECT_DOUBLE_EQ(b.al.amount, 0.003);
    ASSERT_TRUE(b.al.hasPercent);
    EXPECT_DOUBLE_EQ(b.al.percent, 75);
    EXPECT_EQ(b.master.size(), 3u);
    EXPECT_FALSE(b.hasKdSection);
    EXPECT_TRUE(b.totals.empty());
}

TEST(ReadBlock, OldFileWithoutModeLine) {
    auto st = freshState();
    smallProblem(*st);
    auto text = replaced(blockText(*st), "\"Program mode \",\"Soil\"\r\n", "");
    ResultBlock b = readFirst(text);
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_FALSE(b.mode.has_value());
    EXPECT_DOUBLE_EQ(b.pH, 7.05);
    EXPECT_EQ(b.totals.size(), 2u);

    st->ProgMode = "Water";
    text = replaced(blockText(*st), "\"Program mode \",\"Water\"\r\n", "");
    b = readFirst(text);
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_FALSE(b.hasKdSection);
}

TEST(ReadBlock, BlockWithoutFaaqLineIsStillRead) {
    auto st = freshState();
    smallProblem(*st);
    auto text = replaced(blockText(*st), "\"Faaq (Calc) \",.013\r\n", "");
    ResultBlock b = readFirst(text);
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_EQ(b.faaqKind, FaaqKind::Missing);
    EXPECT_DOUBLE_EQ(b.zedHA, -0.0025);
    EXPECT_DOUBLE_EQ(b.zedFA, -0.005);
}

TEST(ReadBlock, NoSpeciesRowsAtAll) {
    auto st = freshState();
    smallProblem(*st);
    st->Nsplist = 0;
    ResultBlock b = readFirst(blockText(*st));
    ASSERT_TRUE(b.complete) << b.error;
    EXPECT_TRUE(b.species.empty());
    EXPECT_EQ(b.master.size(), 2u);
    EXPECT_EQ(b.totals.size(), 2u);
}

class ManyMasters : public ::testing::TestWithParam<int> {};

TEST_P(ManyMasters, AllRowsReadAndSectionsStayInStep) {
    const int n = GetParam();
    auto st = freshState();
    smallProblem(*st);
    st->Tot[2] = st->Tot[3] = 0;
    st->Nsplist = 0;
    st->Splist[++st->Nsplist] = 1;
    int made = 0;
    for (int i = 2; made < n; ++i) {
        if (i == 51) continue;
        const std::string name = "C" + std::to_string(i);
        st->SpName[i] = name;
        st->SpComp1[i] = static_cast<i16>(i);
        st->SpSto1[i] = 1;
        st->Tot[i] = st->Tcalc[i] = st->Conc[i] = 0.5;
        st->Act[i] = 0.25;
        st->Splist[++st->Nsplist] = static_cast<i16>(i);
        ++made;
    }
    ResultBlock b = readFirst(blockText(*st));
    ASSERT_TRUE(b.complete) << b.error;
    ASSERT_EQ(b.master.size(), static_cast<std::size_t>(n));
    EXPECT_EQ(b.species.size(), static_cast<std::size_t>(n) + 1);
    ASSERT_EQ(b.totals.size(), static_cast<std::size_t>(n));
    EXPECT_EQ(b.master.back().name, b.totals.back().name);
    EXPECT_EQ(b.species.back().name, b.master.back().name);
    EXPECT_DOUBLE_EQ(b.species.back().act, 0.25);
}

INSTANTIATE_TEST_SUITE_P(Counts, ManyMasters, ::testing::Values(1, 49, 50, 60));

// ------------------------------------------------------------------------------ files

std::string fiveBlocks() {
    auto st = freshState();
    smallProblem(*st);
    st->Nprob = 5;
    std::string text;
    for (int k = 1; k <= 5; ++k) {
        st->Probno = st->Runprob = static_cast<i16>(k);
        st->pH = 3.0 + k;
        st->ProgMode = k == 4 ? "Water" : "Soil";
        text += blockText(*st);
    }
    return text;
}

TEST(ResultFile, FindsBlockThreeAndMissesBlockSix) {
    test::TempDir dir;
    const auto path = dir.file("five.OUT");
    std::string err;
    ASSERT_TRUE(writeFileAtomic(path, fiveBlocks(), err)) << err;
    ResultBlock b;
    for (int k = 1; k <= 5; ++k) {
        ASSERT_TRUE(readResultFile(path, k, b, err)) << k << ": " << err;
        EXPECT_EQ(b.probno, k);
        EXPECT_EQ(b.nprob, 5);
        EXPECT_DOUBLE_EQ(b.pH, 3.0 + k);
        EXPECT_EQ(b.hasKdSection, k != 4);
    }
    EXPECT_FALSE(readResultFile(path, 6, b, err));
    EXPECT_NE(err.find("no block"), std::string::npos) << err;
    EXPECT_FALSE(b.complete);
    EXPECT_FALSE(readResultFile(path, 0, b, err));
    EXPECT_FALSE(readResultFile(dir.file("missing.OUT"), 1, b, err));
    EXPECT_NE(err.find("cannot be opened"), std::string::npos) << err;
}

TEST(ResultFile, ConsecutiveBlocksReadWithoutSearching) {
    FieldReader r(fiveBlocks(), "five");
    ResultBlock b;
    ASSERT_TRUE(readBlock(r, false, b)) << b.error;
    ASSERT_TRUE(readBlock(r, false, b)) << b.error;
    EXPECT_EQ(b.probno, 2);
    ASSERT_TRUE(findBlock(r, 3));
    ASSERT_TRUE(readBlock(r, true, b)) << b.error;
    EXPECT_EQ(b.probno, 3);
}

TEST(ResultFile, TruncatedAnywhereNeverCompletes) {
    const std::string text = fiveBlocks();
    const std::size_t firstEnd = text.find("\"RESULTS", 1);
    ASSERT_NE(firstEnd, std::string::npos);
    for (std::size_t n = 0; n + 3 < firstEnd; n += 3) {
        ResultBlock b = readFirst(text.substr(0, n));
        EXPECT_FALSE(b.complete) << "cut at " << n;
        EXPECT_FALSE(b.error.empty()) << "cut at " << n;
    }
    // Block 5 cut short, found by the search.
    FieldReader r(text.substr(0, text.size() - 40), "cut");
    ResultBlock b;
    ASSERT_TRUE(findBlock(r, 5));
    EXPECT_FALSE(readBlock(r, true, b));
    EXPECT_EQ(b.probno, 5);
    EXPECT_EQ(b.master.size(), 2u); // what was read is kept
    EXPECT_NE(b.error.find("ends before"), std::string::npos) << b.error;
}

TEST(ResultFile, TextWhereANumberBelongs) {
    auto st = freshState();
    smallProblem(*st);
    const std::string text = blockText(*st);

    ResultBlock b = readFirst(replaced(text, "\"pH \",7.05", "\"pH \",seven"));
    EXPECT_FALSE(b.complete);
    EXPECT_EQ(b.iterations, 12);
    EXPECT_NE(b.error.find("line 5, field 2"), std::string::npos) << b.error;

    b = readFirst(replaced(text, "3,\"Cl\",1,0", "3,\"Cl\",one,0"));
    EXPECT_FALSE(b.complete);
    EXPECT_EQ(b.master.size(), 1u);

    b = readFirst(replaced(text, "\"Ionic strength \"", "\"Ionic strenght \""));
    EXPECT_FALSE(b.complete);
    EXPECT_NE(b.error.find("Ionic strength"), std::string::npos) << b.error;

    b = readFirst("just,some,text\r\n1,2,3\r\n");
    EXPECT_FALSE(b.complete);
}

TEST(ResultFile, HugeSweepCountEndsAtTheFileEnd) {
    ResultBlock b = readFirst("\"RESULTS Prob. no. \",1\r\n\"No. of problems in this file \",1\r\n"
                              "\"Below is information on selected sweep results\"\r\n30000,\"pH\"\r\n");
    EXPECT_FALSE(b.complete);
    EXPECT_TRUE(b.sweep.present);
    b = readFirst("\"RESULTS Prob. no. \",1\r\n\"No. of problems in this file \",1\r\n"
                  "\"Below is information on selected sweep results\"\r\n1E+30,\"pH\"\r\n");
    EXPECT_FALSE(b.complete);
    EXPECT_NE(b.error.find("too large"), std::string::npos) << b.error;
}

TEST(ResultFile, RandomDamageIsReportedNotFatal) {
    const std::string good = fiveBlocks();
    std::mt19937 rng(12345);
    const std::string junk = "\",\r\n0.Ex- ";
    int complete = 0;
    for (int trial = 0; trial < 300; ++trial) {
        std::string text = good;
        for (int d = 0; d < 3; ++d) {
            auto at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(rng);
            text[at] = junk[std::uniform_int_distribution<std::size_t>(0, junk.size() - 1)(rng)];
        }
        for (int k = 1; k <= 6; ++k) {
            FieldReader r(text, "damaged");
            ResultBlock b;
            if (!findBlock(r, k)) continue;
            const bool ok = readBlock(r, true, b);
            EXPECT_EQ(ok, b.complete);
            EXPECT_EQ(ok, b.error.empty()) << b.error;
            complete += ok;
        }
    }
    EXPECT_GT(complete, 0); // most damage hits one block only; the others still read
}

} // namespace
} // namespace kelva
