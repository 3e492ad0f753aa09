// Aqueous speciation and the solver on the bundled database and on small databases.
#include "engine/enginetest.h"

#include <vector>

namespace kelva::test {
namespace {

TEST(Makelist, ComponentsFirstThenComplexesWhoseComponentsAreAllPresent) {
    auto st = freshState();
    addComponent(*st, 1, "H", 1);
    addComponent(*st, 51, "OH", -1);
    addComponent(*st, 12, "Cu", 2, 1.5, 0.8);
    addComponent(*st, 52, "Cl", -1);
    addComponent(*st, 55, "CO3", -2);
    addSpecies(*st, 240, "CuOH+", 1, 12, 1, 0, 1, -1, 0, -7.5, 0, 1.5, 0.8);
    addSpecies(*st, 241, "CuCl+", 1, 12, 52, 0, 1, 1, 0, 0.4);
    addSpecies(*st, 242, "CuCO3", 0, 12, 55, 0, 1, 1, 0, 6.7);
    addSpecies(*st, 243, "Cu-only", 2, 12, 0, 0, 2, 0, 0, 1.0); // one component: never listed
    addSpecies(*st, 244, "CuHCO3+", 1, 12, 55, 1, 1, 1, 1, 12.0);
    st->Tot[12] = 1e-6;
    st->Tot[52] = 1e-3;
    st->Tot[55] = 0.0; // carbonate absent ...
    makelist(*st);
    std::vector<int> listed(st->Splist.a.begin() + 1, st->Splist.a.begin() + 1 + st->Nsplist);
    EXPECT_EQ(listed, (std::vector<int>{1, 12, 51, 52, 240, 241}));
    ASSERT_EQ(st->Nhslist, 2);
    EXPECT_EQ(st->Hslist[1], 12);
    EXPECT_EQ(st->Hslist[2], 240);

    st->pCO2 = 3.5e-4f; // ... unless the CO2 pressure is fixed
    makelist(*st);
    listed.assign(st->Splist.a.begin() + 1, st->Splist.a.begin() + 1 + st->Nsplist);
    EXPECT_EQ(listed, (std::vector<int>{1, 12, 51, 52, 55, 240, 241, 242, 244}));
}

TEST(Makelist, NegativeOrZeroTotalsLeaveTheComponentOut) {
    auto st = freshState();
    addComponent(*st, 1, "H", 1);
    addComponent(*st, 2, "Na", 1);
    addComponent(*st, 3, "K", 1);
    st->Tot[2] = -1e-3;
    st->Tot[3] = 0.0;
    makelist(*st);
    EXPECT_EQ(st->Nsplist, 2); // H and OH only
}

TEST(Speciate, ActivityCoefficientsFollowTheExtendedDebyeHueckelLaw) {
    auto st = defaultDbState();
    st->Act[1] = 1e-7;
    st->Ionic = 0.0;
    speciate(*st);
    for (int z = 0; z <= 4; ++z) EXPECT_EQ(st->Gam[z], 1.0);

    st->Ionic = 0.1;
    speciate(*st);
    const double a = static_cast<double>(298.16f) * 0.0008 + 0.27, si = std::sqrt(0.1);
    EXPECT_DOUBLE_EQ(st->Gam[1], std::pow(10.0, -a * si / (1 + 0.99 * si)));
    EXPECT_DOUBLE_EQ(st->Gam[2], std::pow(10.0, -4 * a * si / (1 + 1.98 * si)));
    EXPECT_NEAR(st->Gam[1], 0.754, 0.001);
    EXPECT_GT(st->Gam[1], st->Gam[2]);
    EXPECT_GT(st->Gam[3], st->Gam[4]);
}

TEST(Speciate, WaterAndCarbonateFollowFromHydrogenAtTheTemperature) {
    auto st = defaultDbState();
    st->Act[1] = 1e-7;
    st->Ionic = 0.001;
    speciate(*st);
    // at 298.16 K the temperature term is about 9.6e-8, not exactly 0
    const double tt = 0.003354 - 1.0 / static_cast<double>(298.16f); // TempK is single precision
    EXPECT_NEAR(tt, 9.6e-8, 0.2e-8);
    EXPECT_DOUBLE_EQ(st->Act[51], std::pow(10.0, tt * 2935 - 14) / 1e-7);

    st->pCO2 = 3.5e-4f;
    speciate(*st);
    const double k = std::pow(10.0, 18.149 - 211.64 * tt);
    EXPECT_NEAR(st->Act[55] / (3.5e-4 / k / 1e-14), 1.0, 1e-7); // pCO2 = K {CO3} {H}^2

    st->TempK = 283.16f; // colder water ionises less
    speciate(*st);
    EXPECT_LT(st->Act[51] * 1e-7, 1e-14);
}

TEST(Speciate, MassActionWithTemperatureCorrectedConstant) {
    auto st = defaultDbState();
    st->Tot[2] = 1e-3;
    st->Tot[55] = 1e-3;
    makelist(*st);
    st->Act[1] = 1e-8;
    st->Act[2] = 9e-4;
    st->Act[55] = 1e-5;
    st->Ionic = 0.001;
    st->TempK = 283.16f;
    speciate(*st);
    // HCO3- = CO3 2- + H+
    const double l = st->SpLogK[101] + 220.0 * st->SpDeltaH[101] * (0.003354 - 1.0 / static_cast<double>(283.16f)) + std::log10(1e-5) +
                     std::log10(1e-8);
    EXPECT_NEAR(st->Act[101] / std::pow(10.0, l), 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(st->Conc[101], st->Act[101] / st->Gam[1]);
    EXPECT_DOUBLE_EQ(st->Conc[55], st->Act[55] / st->Gam[2]);
}

TEST(Speciate, SlotThreeCountsOnlyWithAPositiveCoefficient) {
    auto st = freshState();
    addComponent(*st, 1, "H", 1);
    addComponent(*st, 51, "OH", -1);
    addComponent(*st, 12, "Cu", 2);
    addComponent(*st, 52, "Cl", -1);
    addSpecies(*st, 300, "pos", 2, 12, 52, 1, 1, 1, 1, 1.0);
    addSpecies(*st, 301, "neg", 0, 12, 52, 1, 1, 1, -1, 1.0);
    st->Tot[12] = 1e-6;
    st->Tot[52] = 1e-3;
    st->TempK = 298.16f;
    makelist(*st);
    st->Act[1] = 1e-6;
    st->Act[12] = 1e-6;
    st->Act[52] = 1e-3;
    st->Ionic = 0.01;
    speciate(*st);
    EXPECT_NEAR(std::log10(st->Act[300]), 1.0 - 6 - 3 - 6, 1e-6);
    EXPECT_NEAR(std::log10(st->Act[301]), 1.0 - 6 - 3, 1e-6); // no slot III term
}

// Runs a problem with calculated pH on the bundled database.
std::unique_ptr<ProgramState> solveCalculated(std::initializer_list<std::pair<int, double>> totals, int itermax = 10000) {
    auto st = defaultDbState();
    for (auto [i, t] : totals) st->Tot[i] = t;
    st->PhFixed = "No";
    st->Itermax = static_cast<i16>(itermax);
    solver(*st);
    return st;
}

TEST(Solver, PureWaterIsNeutral) {
    auto st = solveCalculated({});
    EXPECT_EQ(st->iterr(1), 0);
    EXPECT_NEAR(st->pH, 7.00, 0.01);
    EXPECT_NEAR(st->Chgratio, 1.0, 1e-4);
}

TEST(Solver, SodiumBicarbonateCreepsSlowlyToItsPH) {
    auto st = solveCalculated({{2, 1e-3}, {55, 1e-3}}, 30000);
    EXPECT_EQ(st->iterr(1), 0);
    EXPECT_NEAR(st->pH, 8.27, 0.02);
    // an unbuffered solution takes the damped pH step many thousands of iterations
    EXPECT_GT(st->Iter, 15000);
    EXPECT_LE(balance(*st, 2), st->Tol);
    EXPECT_LE(balance(*st, 55), st->Tol);
}

TEST(Solver, UnbufferedSaltStopsAtTheIterationLimitWithTheFlagSet) {
    auto st = solveCalculated({{2, 1e-3}, {52, 1e-3}}, 10000);
    EXPECT_EQ(st->iterr(1), 1);
    EXPECT_EQ(st->Iter, 10001);
    const auto failing = failingTests(*st);
    ASSERT_FALSE(failing.empty());
    EXPECT_NE(failing.front().find("charge balance off by"), std::string::npos);
}

TEST(Solver, CarbonateUnderAtmosphericCO2) {
    auto st = defaultDbState();
    st->PhFixed = "No";
    st->pCO2 = static_cast<float>(std::pow(10.0, -3.5));
    solver(*st);
    EXPECT_EQ(st->iterr(1), 0);
    EXPECT_NEAR(st->pH, 5.66, 0.02);
}

TEST(Solver, FixedPHStaysAndEveryTotalIsConserved) {
    auto st = defaultDbState();
    st->PhFixed = "Yes";
    st->pH = 5.0;
    const int comps[] = {2, 4, 5, 6, 12, 13, 21, 52, 54, 55};
    for (int i : comps) st->Tot[i] = 1e-4;
    st->Tot[5] = 1e-5;
    st->Tot[21] = 5e-5;
    std::vector<double> acts;
    st->onIter = [&](int) { acts.push_back(st->Act[1]); };
    solver(*st);
    EXPECT_EQ(st->iterr(1), 0);
    EXPECT_DOUBLE_EQ(st->pH, 5.0);
    EXPECT_DOUBLE_EQ(st->Act[1], 1e-5);
    for (int i : comps) EXPECT_LE(balance(*st, i), st->Tol) << "component " << i;
    // progress was reported at every iteration
    EXPECT_EQ(static_cast<int>(acts.size()), st->Iter);
    // in this acid fluoride water most Al is bound to fluoride
    EXPECT_GT(st->Conc[174] + st->Conc[175] + st->Conc[176], st->Conc[5]);
}

TEST(Solver, HydrogenDoesNotMoveDuringTheFirstTenIterations) {
    auto st = defaultDbState();
    st->PhFixed = "No";
    st->Tot[2] = 1e-3;
    st->Tot[55] = 1e-3;
    std::vector<double> h;
    st->onIter = [&](int) { h.push_back(st->Act[1]); };
    st->Itermax = 20;
    solver(*st);
    ASSERT_GE(h.size(), 12u);
    // Act(1) is recorded before the step of the same iteration
    for (int i = 0; i < 11; ++i) EXPECT_EQ(h[static_cast<std::size_t>(i)], 1e-4);
    EXPECT_NE(h[11], 1e-4);
}

TEST(Solver, ToleranceFollowsThePrecisionInSinglePrecision) {
    auto st = defaultDbState();
    st->Precision = 0.01f;
    solver(*st);
    const double q = static_cast<double>(0.01f / 100.0f);
    EXPECT_EQ(st->Tol, static_cast<float>(q * q));
    EXPECT_NEAR(st->Tol, 1e-8, 1e-14);
}

TEST(Solver, IronPrecipitatesAndLeavesItsMassBalance) {
    auto st = defaultDbState();
    st->PhFixed = "Yes";
    st->pH = 7.0;
    st->Tot[11] = 1e-5;
    st->Tot[2] = 1e-3;
    st->Tot[52] = 1e-3;
    solver(*st);
    EXPECT_EQ(st->iterr(1), 0);
    EXPECT_EQ(st->FePpt, "Yes");
    EXPECT_EQ(st->AlPpt, "No");
    const double lks = (1.0 / 298 - 1.0 / 298.16f) * (st->Dhfe * 0.219) + st->Lksofe25;
    EXPECT_DOUBLE_EQ(st->LksFe, lks);
    EXPECT_NEAR(std::log10(st->Act[11]), lks - 3 * 7.0, 1e-9);
    EXPECT_GT(st->Tot[11] - st->Tcalc[11], 0.99 * st->Tot[11]); // nearly all precipitated
    EXPECT_LE(balance(*st, 2), st->Tol);
}

TEST(Solver, AluminiumPrecipitatesOnlyWhenSaturated) {
    auto st = defaultDbState();
    st->PhFixed = "Yes";
    st->pH = 4.0;
    st->Tot[5] = 1e-5;
    st->Tot[52] = 3e-5;
    solver(*st);
    EXPECT_EQ(st->AlPpt, "No");
    EXPECT_LT(st->SiAl, st->LksAl);

    st->pH = 7.0;
    solver(*st);
    EXPECT_EQ(st->AlPpt, "Yes");
    EXPECT_GE(st->SiAl, st->LksAl);
    EXPECT_NEAR(std::log10(st->Act[5]), st->LksAl - 21.0, 1e-9);
}

TEST(Solver, ResolveAfterTheLimitStopsAtOnce) {
    auto st = defaultDbState();
    st->PhFixed = "No";
    st->Tot[2] = 1e-3;
    st->Tot[52] = 1e-3;
    st->Tot[11] = 1e-4; // saturated with Fe(OH)3 even at the unfinished pH
    st->Itermax = 30;
    solver(*st);
    EXPECT_EQ(st->iterr(1), 1);
    EXPECT_EQ(st->FePpt, "Yes");
    EXPECT_EQ(st->Iter, 32); // one more count for the re-solve, which stops at once
}

TEST(Solver, LargestIterationLimitStillEnds) {
    auto st = defaultDbState();
    st->PhFixed = "No";
    st->Tot[2] = 1e-3;
    st->Tot[52] = 1e-3;
    st->Itermax = 32767;
    solver(*st);
    EXPECT_EQ(st->iterr(1), 1);
    EXPECT_EQ(st->Iter, 32767);
}

TEST(Solver, HighComponentNumbersGetAStartValue) {
    auto st = defaultDbState();
    addComponent(*st, 70, "X", -1);
    setprob(*st);
    st->PhFixed = "Yes";
    st->pH = 7.0;
    st->Tot[70] = 1e-3;
    st->Tot[2] = 1e-3;
    solver(*st);
    EXPECT_EQ(st->iterr(1), 0);
    EXPECT_TRUE(std::isfinite(st->Act[70]));
    EXPECT_LE(balance(*st, 70), st->Tol);
}

TEST(Solver, FlagOfAnEarlierRunDoesNotStick) {
    auto st = defaultDbState();
    st->setIterr(1, 1);
    solver(*st);
    EXPECT_EQ(st->iterr(1), 0);
}

TEST(Checkprob, RefusesWhatTheEngineCannotSolve) {
    auto st = defaultDbState();
    EXPECT_TRUE(checkprob(*st).empty());
    st->Tot[2] = -1e-3;
    st->Tot[60] = 1e-3; // no database row
    addSpecies(*st, 400, "Big5+", 5, 12, 1, 0, 1, 1, 0, 1.0);
    st->Tot[12] = 1e-6;
    const auto msgs = checkprob(*st);
    ASSERT_EQ(msgs.size(), 3u);
    EXPECT_NE(msgs[0].find("Na"), std::string::npos);
    EXPECT_NE(msgs[1].find("no. 60"), std::string::npos);
    EXPECT_NE(msgs[2].find("charge 5"), std::string::npos);
}

} // namespace
} // namespace kelva::test
