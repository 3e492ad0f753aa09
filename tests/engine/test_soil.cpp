// Whole problems with humics, clay and solids; dissolved fulvic acid, distribution and Kd.
#include "engine/enginetest.h"

#include <limits>
#include <vector>

namespace kelva::test {
namespace {

void expectConservedAndSettled(ProgramState& st) {
    EXPECT_EQ(st.iterr(1), 0);
    EXPECT_TRUE(failingTests(st).empty());
    for (int i = 2; i <= kMaxComponent; ++i) {
        if (i == 51 || st.Tot[i] == 0.0) continue;
        EXPECT_LE(balance(st, i), st.Tol) << "component " << i;
        fracdist(st, i);
        const double sum = static_cast<double>(st.FrS) + st.FrDHA + st.FrDFA + st.FrHA + st.FrFA + st.FrClay;
        EXPECT_NEAR(sum, 1.0, 1e-5) << "component " << i;
        EXPECT_GE(st.FrS, 0.0f);
    }
    for (int k = 1; k <= 2; ++k)
        if (st.Tha[k] > 0.0f) {
            EXPECT_LE(st.Zres[k], st.Tol) << "humic " << k;
        }
}

// (The soil with clay, at a calculated pH, is the bundled soil example, whose results are pinned.)
TEST(Soil, WatersWithHumicsBalanceEveryPhase) {
    for (const bool fixed : {true, false}) {
        SCOPED_TRACE(fixed);
        auto st = defaultDbState();
        for (auto [i, t] : {std::pair{12, 1e-6}, {6, 1e-3}, {52, 2e-3}, {2, 1e-3}, {55, fixed ? 0.0 : 1e-3}})
            st->Tot[i] = t;
        st->Tha[1] = st->Tha[2] = 0.01f;
        std::tie(st->PhFixed, st->pH) = std::tuple(fixed ? "Yes" : "No", fixed ? 6.0 : 7.0);
        st->Itermax = 20000;
        solver(*st);
        expectConservedAndSettled(*st);
        EXPECT_LT(std::max(st->Zed[1], st->Zed[2]), 0.0);
        EXPECT_GT(st->Fddl[1], 0.0);
        EXPECT_LE(fixed ? 0.0 : std::pow(st->Chgratio - 1.0, 2), st->Tol);
    }
}

// The clay ratio loop follows its path wherever it leads. In the first evaluation of a problem at
// fixed pH the layer's charge sum is negative (anions at their totals, cations at a millionth of
// theirs), so R steps to a negative value; with monovalent counter-ions only it comes back to a
// positive root, while divalent cations hold it at a negative root, which is no balance.
TEST(ClayLayer, FirstEvaluationFollowsTheRatioPathThroughNegativeValues) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, double>> totals;
        bool humics, positive;
    };
    const Case cases[] = {{"Na-K-Cl water", {{2, 2e-3}, {3, 5e-4}, {52, 2.5e-3}}, false, true},
                          {"soil", {}, true, false}};
    for (const auto& c : cases) {
        auto st = defaultDbState();
        soilInputs(*st, true, 6.5);
        if (!c.humics) {
            st->Tot.fill(0.0);
            for (auto [i, t] : c.totals) st->Tot[i] = t;
            st->Tha[1] = st->Tha[2] = 0.0f;
        }
        double ratio = 0, balance = 1;
        int flags = -1;
        st->onIter = [&](int iter) { // the state of the first evaluation
            if (iter != 1) return;
            ratio = st->Rclay;
            flags = st->RatioFail;
            const double d = st->Eqclay * st->Tclay / st->Fclay;
            double s = 0;
            for (int j = 1; j <= st->Nsplist; ++j)
                s += st->SpCharge[st->Splist[j]] * st->Cclay[st->Splist[j]];
            balance = std::pow(2 * (d - s) / (s + d), 2);
        };
        solver(*st);
        EXPECT_LT(balance, 1e-4) << c.name; // the loop ended at a root, not at its start value
        EXPECT_EQ(std::tuple(ratio > 0, flags == 4), std::tuple(c.positive, !c.positive))
            << c.name << ": " << ratio;
        // the iteration leads both to a positive ratio in the end
        EXPECT_TRUE(st->iterr(1) == 0 && st->Rclay > 0.0) << c.name;
    }
}

TEST(ClayLayer, SolveEndingAtANegativeRatioIsMarkedAndSaysSo) {
    auto st = defaultDbState();
    std::tie(st->Tot[6], st->Tot[52], st->Tclay, st->PhFixed, st->pH) =
        std::tuple(1e-3, 2e-3, 5.0f, "Yes", 6.5);
    solver(*st);
    EXPECT_TRUE(st->Rclay < 0.0 && st->iterr(1) == 1) << st->Rclay;
    const auto failing = failingTests(*st);
    ASSERT_EQ(failing.size(), 1u);
    EXPECT_EQ(failing[0].rfind("clay diffuse layer balances only at a negative ratio (-27.8", 0), 0u)
        << failing[0];
}

// A database constant whose power of ten overflows makes the state undefined: the solve stops
// in that evaluation, is marked, and says what went undefined first and where it came from.
TEST(Undefined, SolveStopsAtOnceAndNamesTheDatabaseColumn) {
    struct Case {
        void (*spoil)(ProgramState&);
        bool clay;
        const char *what, *from;
    };
    const Case cases[] = {
        {[](ProgramState& s) { s.SpPKM(1, 280, 1) = -32769.0; }, false, // the last binding species
         "the amount of CdOH+ (no. 280) bound to humic acid became undefined in the first evaluation",
         "the binding constant of CdOH+ (no. 280) to humic acid, database column pKMHA(1) (-32769)"},
        {[](ProgramState& s) { s.SpKselHS[249] = std::numeric_limits<double>::infinity(); }, false,
         "the diffuse layer of humic acid",
         "the selectivity of CuCl+ (no. 249), database column Ksel,HS (inf)"},
        {[](ProgramState& s) { s.SpLogK[249] = 400.0; }, false,
         "the activity of CuCl+ (no. 249) became undefined", "database column log K (400)"},
        {[](ProgramState& s) {
             s.SpDeltaH[249] = -1e10;
             s.TempK = 283.16f;
         },
         true, "the activity of CuCl+ (no. 249) became undefined", "database column deltaH (-1e+10)"}};
    for (const auto& c : cases) {
        auto st = defaultDbState();
        c.spoil(*st);
        setprob(*st);
        soilInputs(*st, true, 6.0);
        if (!c.clay) st->Tclay = 0.0f;
        int iterations = 0;
        st->onIter = [&](int) { ++iterations; };
        solver(*st);
        EXPECT_EQ(st->iterr(1), 1) << c.what;
        EXPECT_LE(iterations, 1) << c.what; // at once, not at the iteration limit
        EXPECT_NE(st->Undefined.find(c.what), std::string::npos) << st->Undefined;
        EXPECT_NE(st->Undefined.find(c.from), std::string::npos) << st->Undefined;
        EXPECT_EQ(failingTests(*st), std::vector<std::string>{st->Undefined});
    }
    // the next solve of a sound problem starts without the note
    auto st = defaultDbState();
    st->Undefined = "left from before";
    soilInputs(*st, true, 6.0);
    solver(*st);
    EXPECT_EQ(st->Undefined, "");
    EXPECT_EQ(st->iterr(1), 0);
}

// Nothing of the last solve's charge search carries over (here Zcalc starts above Zed).
TEST(Soil, SolvedAgainInTheSameStateTakesTheSamePath) {
    auto st = defaultDbState();
    std::tie(st->Tot[2], st->Tot[52], st->Tha[1], st->PhFixed, st->pH) =
        std::tuple(0.01, 0.04, 0.05f, "Yes", 1.5);
    solver(*st);
    const auto first = std::tuple(st->Iter, st->Zed[1]);
    solver(*st);
    EXPECT_EQ(std::tuple(st->Iter, st->Zed[1]), first);
}

TEST(Fadesorb, EqualFractionsWithoutSorptionAndMoreDissolvedWithMoreCharge) {
    auto st = defaultDbState();
    std::tie(st->Tha[2], st->Csolid, st->Zed[2], st->Gamma, st->K0) =
        std::tuple(0.2f, 100.0f, -0.004, 0.0, 0.0);
    fadesorb(*st);
    for (int n = 1; n <= 10; ++n) EXPECT_DOUBLE_EQ(st->Fafrac[n], 0.2f / 10.0);
    EXPECT_FLOAT_EQ(st->FaaqRes, 0.2f);
    st->K0 = 0.05;
    fadesorb(*st);
    const float lowCharge = st->FaaqRes;
    st->Zed[2] = -0.006;
    fadesorb(*st);
    EXPECT_GT(st->FaaqRes, lowCharge);
    EXPECT_LT(st->FaaqRes, 0.2f);
}

TEST(Kdcalc, WithoutFulvicAcidTheAqueousPhaseIsTheBulkSolutionAndUndefinedQuotientsGiveZero) {
    auto st = defaultDbState();
    soilInputs(*st, true, 6.0);
    st->Tha[2] = 0.0f;
    solver(*st);
    fracdist(*st, 12);
    kdcalc(*st, 12);
    EXPECT_FLOAT_EQ(st->Aqconc, static_cast<float>(st->AqSol / st->Fsol));
    EXPECT_FLOAT_EQ(st->Kd, static_cast<float>((st->Tot[12] - st->AqSol) / st->Csolid / st->Aqconc));
    EXPECT_FLOAT_EQ(st->Kdapp, static_cast<float>((st->Tot[12] - st->Aqconc) / st->Csolid / st->Aqconc));
    EXPECT_GT(st->Kd, 0.0f);

    st = defaultDbState();
    std::tie(st->Csolid, st->Fsol, st->Tot[12]) =
        std::tuple(100.0f, 1.0, 1e-6); // Tcalc and all concentrations 0
    st->FrS = st->FrHA = st->Kd = st->Kdapp = 1.0f;
    fracdist(*st, 12);
    kdcalc(*st, 12);
    EXPECT_EQ(std::tuple(st->FrS, st->FrHA, st->Aqconc, st->Kd, st->Kdapp),
              std::tuple(0.0f, 0.0f, 0.0f, 0.0f, 0.0f));
}

} // namespace
} // namespace kelva::test
