// Species lists, aqueous speciation and the damped solver on the bundled and on small databases.
#include "engine/enginetest.h"

#include <vector>

namespace kelva::test {
namespace {

std::vector<int> listed(const ProgramState& st) {
    return {st.Splist.a.begin() + 1, st.Splist.a.begin() + 1 + st.Nsplist};
}

TEST(Makelist, ComponentsFirstThenComplexesWhoseComponentsAreAllPresent) {
    auto st = freshState();
    for (auto [no, name, z] :
         {std::tuple{1, "H", 1}, {51, "OH", -1}, {52, "Cl", -1}, {55, "CO3", -2}, {2, "Na", 1}})
        addComponent(*st, no, name, z);
    addComponent(*st, 12, "Cu", 2, 1.5, 0.8);
    addSpecies(*st, 240, "CuOH+", 1, 12, 1, 0, 1, -1, 0, -7.5, 0, 1.5, 0.8);
    addSpecies(*st, 241, "CuCl+", 1, 12, 52, 0, 1, 1, 0, 0.4);
    addSpecies(*st, 242, "CuCO3", 0, 12, 55, 0, 1, 1, 0, 6.7);
    addSpecies(*st, 243, "Cu-only", 2, 12, 0, 0, 2, 0, 0, 1.0); // one component: never listed
    addSpecies(*st, 244, "CuHCO3+", 1, 12, 55, 1, 1, 1, 1, 12.0);
    addSpecies(*st, 245, "NaCl", 0, 2, 52, 0, 1, 1, 0, 0.1);
    // a negative total leaves Na out, and carbonate is absent ...
    std::tie(st->Tot[12], st->Tot[52], st->Tot[2]) = std::tuple(1e-6, 1e-3, -1e-3);
    makelist(*st);
    EXPECT_EQ(listed(*st), (std::vector<int>{1, 12, 51, 52, 240, 241}));
    EXPECT_EQ(std::tuple(st->Nhslist, st->Hslist[1], st->Hslist[2]), std::tuple(2, 12, 240));

    st->pCO2 = 3.5e-4f; // ... unless the CO2 pressure is fixed
    makelist(*st);
    EXPECT_EQ(listed(*st), (std::vector<int>{1, 12, 51, 52, 55, 240, 241, 242, 244}));
}

TEST(Speciate, ActivityCoefficientsFollowTheExtendedDebyeHueckelLawForEveryCharge) {
    auto st = defaultDbState();
    std::tie(st->Act[1], st->Ionic) = std::tuple(1e-7, 0.0);
    speciate(*st);
    for (int z = 0; z <= 4; ++z) EXPECT_EQ(st->Gam[z], 1.0);

    st->Ionic = 0.1; // ion size 3 |z|
    speciate(*st);
    const double a = static_cast<double>(298.16f) * 0.0008 + 0.27, si = std::sqrt(0.1);
    for (int z = 1; z <= 4; ++z)
        EXPECT_DOUBLE_EQ(st->Gam[z], std::pow(10.0, -z * z * a * si / (1 + 3 * z * 0.33 * si))) << z;
    EXPECT_NEAR(st->Gam[1], 0.754, 0.001);
}

// Water, the CO2 pressure and the complexes away from 25 deg C (TempK is single precision).
TEST(Speciate, WaterCarbonateAndComplexesAtTheTemperature) {
    auto st = defaultDbState();
    st->Tot[2] = st->Tot[55] = 1e-3;
    makelist(*st);
    std::tie(st->Act[1], st->Act[2], st->Act[55], st->Ionic, st->TempK) =
        std::tuple(1e-8, 9e-4, 1e-5, 0.001, 283.16f);
    speciate(*st);
    const double tt = 0.003354 - 1.0 / static_cast<double>(283.16f);
    EXPECT_DOUBLE_EQ(st->Act[51], std::pow(10.0, tt * 2935 - 14) / 1e-8);      // colder water ionises less
    const double l = st->SpLogK[101] + 220.0 * st->SpDeltaH[101] * tt - 5 - 8; // HCO3- = CO3 2- + H+
    EXPECT_NEAR(st->Act[101] / std::pow(10.0, l), 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(st->Conc[101], st->Act[101] / st->Gam[1]);
    EXPECT_DOUBLE_EQ(st->Conc[55], st->Act[55] / st->Gam[2]);
    st->pCO2 = 3.5e-4f;
    speciate(*st);
    const double k = std::pow(10.0, 18.149 - 211.64 * tt);
    EXPECT_NEAR(st->Act[55] / (3.5e-4 / k / 1e-16), 1.0, 1e-7); // pCO2 = K {CO3} {H}^2
}

TEST(Speciate, SlotThreeCountsOnlyWithAPositiveCoefficient) {
    auto st = freshState();
    for (auto [no, name, z] : {std::tuple{1, "H", 1}, {51, "OH", -1}, {12, "Cu", 2}, {52, "Cl", -1}})
        addComponent(*st, no, name, z);
    addSpecies(*st, 300, "pos", 2, 12, 52, 1, 1, 1, 1, 1.0);
    addSpecies(*st, 301, "neg", 0, 12, 52, 1, 1, 1, -1, 1.0);
    std::tie(st->Tot[12], st->Tot[52], st->TempK) = std::tuple(1e-6, 1e-3, 298.16f);
    makelist(*st);
    std::tie(st->Act[1], st->Act[12], st->Act[52], st->Ionic) = std::tuple(1e-6, 1e-6, 1e-3, 0.01);
    speciate(*st);
    EXPECT_NEAR(std::log10(st->Act[300]), 1.0 - 6 - 3 - 6, 1e-6);
    EXPECT_NEAR(std::log10(st->Act[301]), 1.0 - 6 - 3, 1e-6); // no slot III term
}

std::unique_ptr<ProgramState> solved(std::initializer_list<std::pair<int, double>> totals,
                                     const char* phFixed, double pH = 7.0, int itermax = 10000) {
    auto st = defaultDbState();
    for (auto [i, t] : totals) st->Tot[i] = t;
    st->PhFixed = phFixed;
    st->pH = pH;
    st->Itermax = static_cast<i16>(itermax);
    st->setIterr(1, 1); // the flag of an earlier run does not stick
    solver(*st);
    return st;
}

TEST(Solver, FixedPHStaysAndProgressIsReportedAtEveryIteration) {
    auto st = solved({{5, 1e-5}, {21, 5e-5}, {52, 1e-4}}, "Yes", 5.0);
    int reported = 0;
    st->onIter = [&](int iter) { EXPECT_EQ(iter, ++reported); };
    solver(*st);
    EXPECT_EQ(std::tuple(st->iterr(1), reported, st->Act[1]), std::tuple(0, st->Iter, 1e-5));
    for (int i : {5, 21, 52}) EXPECT_LE(balance(*st, i), st->Tol) << "component " << i;
    EXPECT_TRUE(failingTests(*st).empty()); // a fixed pH leaves the charges unbalanced, untested
    // in this acid fluoride water most Al is bound to fluoride
    EXPECT_GT(st->Conc[174] + st->Conc[175] + st->Conc[176], st->Conc[5]);
}

TEST(Solver, IterationLimitSetsTheFlagAndSaysWhatFails) {
    struct Case {
        int itermax;
        double iron;
        int iterations;
        const char* fePpt;
    };
    // The re-solve after Fe(OH)3 saturates counts once more and stops at once; the limit is
    // taken in the width of the 16-bit counter.
    for (const auto& c :
         {Case{10000, 0, 10001, "No"}, Case{30, 1e-4, 32, "Yes"}, Case{32767, 0, 32767, "No"}}) {
        auto st = solved({{2, 1e-3}, {52, 1e-3}, {11, c.iron}}, "No", 7.0, c.itermax);
        EXPECT_EQ(std::tuple(st->iterr(1), st->Iter, st->FePpt), std::tuple(1, c.iterations, c.fePpt))
            << c.itermax;
        const auto failing = failingTests(*st);
        ASSERT_FALSE(failing.empty());
        EXPECT_EQ(failing.back().rfind("charge balance off by ", 0), 0u) << failing.back();
    }
}

TEST(Solver, HydroxidesPrecipitateWhenSaturatedAndTheIndexIsResetWithoutTheMetal) {
    auto fe = solved({{11, 1e-5}, {2, 1e-3}, {52, 1e-3}}, "Yes");
    EXPECT_EQ(std::tuple(fe->iterr(1), fe->FePpt, fe->AlPpt), std::tuple(0, "Yes", "No"));
    const double lks = (1.0 / 298 - 1.0 / 298.16f) * (fe->Dhfe * 0.219) + fe->Lksofe25;
    EXPECT_DOUBLE_EQ(fe->LksFe, lks);
    EXPECT_NEAR(std::log10(fe->Act[11]), lks - 3 * 7.0, 1e-9);
    EXPECT_GT(fe->Tot[11] - fe->Tcalc[11], 0.99 * fe->Tot[11]); // nearly all precipitated
    EXPECT_LE(balance(*fe, 2), fe->Tol);
    EXPECT_TRUE(failingTests(*fe).empty()); // the precipitated metal's balance is not tested

    auto st = solved({{5, 1e-5}, {52, 3e-5}}, "Yes", 4.0);
    EXPECT_EQ(st->AlPpt, "No");
    EXPECT_TRUE(st->SiAl < st->LksAl && st->SiAl != 0.0) << st->SiAl;
    st->pH = 7.0;
    solver(*st);
    EXPECT_EQ(st->AlPpt, "Yes");
    EXPECT_GE(st->SiAl, st->LksAl);
    EXPECT_NEAR(std::log10(st->Act[5]), st->LksAl - 21.0, 1e-9);
    EXPECT_TRUE(failingTests(*st).empty());
    // the next problem has neither metal: its indices read 0, not the last problem's
    st->SiFe = 1.0;
    st->Tot[5] = 0.0;
    solver(*st);
    EXPECT_EQ(std::tuple(st->SiAl, st->SiFe, st->AlPpt), std::tuple(0.0, 0.0, "No"));
}

// Each component from 2 to 99 must start at a non-zero activity, or its balance never moves.
TEST(Solver, EveryComponentNumberGetsAStartValue) {
    for (int no : {21, 22, 50, 53, 56, 57, 58, 59, 99}) {
        auto st = defaultDbState();
        if (st->SpName[no].empty()) addComponent(*st, no, "X", -1); // a number the database leaves free
        setprob(*st);
        st->PhFixed = "Yes";
        st->pH = 7.0;
        st->Tot[no] = 1e-4; // alone: no other balance holds the solve back
        solver(*st);
        EXPECT_TRUE(st->iterr(1) == 0 && balance(*st, no) <= st->Tol) << no;
    }
}

TEST(Checkprob, RefusesWhatTheEngineCannotSolve) {
    auto st = defaultDbState();
    EXPECT_TRUE(checkprob(*st).empty());
    st->Tot[2] = -1e-3;
    st->Tot[60] = 1e-3; // no database row
    addSpecies(*st, 400, "Big5+", 5, 12, 1, 0, 1, 1, 0, 1.0);
    st->Tot[12] = 1e-6;
    EXPECT_EQ(
        checkprob(*st),
        (std::vector<std::string>{
            "Na: the total concentration must be a number of 0 or more.",
            "component 60 (no. 60) has no row of its own in the database, so its total cannot be balanced.",
            "Big5+ (no. 400) has charge 5; activity coefficients cover charges -4..4 only."}));
    // A complex counts where all its components do: carbonate only under a fixed CO2 pressure.
    st = defaultDbState();
    st->SpCharge[101] = 6; // HCO3-, of CO3 and H+
    addSpecies(*st, 402, "BigZn", 6, 12, 13, 0, 1, 1, 0, 1.0);
    st->Tot[12] = 1e-6;
    EXPECT_TRUE(checkprob(*st).empty());
    st->pCO2 = 3.5e-4f;
    EXPECT_EQ(checkprob(*st),
              std::vector<std::string>{
                  "HCO3- (no. 101) has charge 6; activity coefficients cover charges -4..4 only."});
}

} // namespace
} // namespace kelva::test
