// Humic and fulvic binding with electrostatics, and the diffuse layers.
#include "engine/enginetest.h"

namespace kelva::test {
namespace {

// The default database at a fixed pH with some Cu and Ca, HA and FA present, species listed.
std::unique_ptr<ProgramState> boundState(double pH, double ionic) {
    auto st = defaultDbState();
    st->Tot[12] = 1e-6;
    st->Tot[6] = 1e-3;
    st->Tot[52] = 2e-3;
    st->Tha[1] = 0.05f;
    st->Tha[2] = 0.05f;
    makelist(*st);
    st->Act[1] = std::pow(10.0, -pH);
    st->Act[12] = 1e-8;
    st->Act[6] = 5e-4;
    st->Act[52] = 1.5e-3;
    st->Ionic = ionic;
    st->Zed[1] = -0.002;
    st->Zed[2] = -0.003;
    st->Zstep[1] = st->Zstep[2] = 0.001;
    st->Zdown[1] = st->Zdown[2] = st->Zup[1] = st->Zup[2] = 100.0;
    st->Rddl[1] = st->Rddl[2] = st->Rclay = 10.0;
    return st;
}

TEST(Humbind, WithoutBindingSpeciesTheChargeIsThatOfTheFreeSites) {
    auto st = boundState(6.0, 0.01);
    st->Nhslist = 0;
    humbind(*st, 1);
    double expected = 0.0;
    for (int i = 1; i <= 8; ++i) expected += (st->Prot[i] - 1.0) * st->SiteDen(1, i);
    for (int p = 1; p <= 12; ++p)
        expected += (st->Prot[st->Pair(p, 1)] + st->Prot[st->Pair(p, 2)] - 2.0) * st->PairDen(1, p);
    EXPECT_NEAR(st->Zcalc[1], expected, 1e-15);
    EXPECT_LT(st->Zcalc[1], 0.0);
}

TEST(Humbind, UnitIonicStrengthSwitchesElectrostaticsOff) {
    auto st = boundState(5.0, 1.0);
    humbind(*st, 1);
    for (int i = 1; i <= 8; ++i)
        EXPECT_DOUBLE_EQ(st->Prot[i], 1.0 / (1.0 + st->KHsite(1, i) / st->Act[1]));
}

TEST(Humbind, NegativeChargeAtLowIonicStrengthHoldsProtonsAndMultivalentIonsMoreStrongly) {
    auto off = boundState(6.0, 1.0);
    humbind(*off, 1);
    auto on = boundState(6.0, 0.01);
    humbind(*on, 1);
    for (int i = 1; i <= 8; ++i) EXPECT_GT(on->Prot[i], off->Prot[i]);
    // Cu2+ gains from exp((1 - z) g) > 1 against the stronger proton competition
    EXPECT_GT(on->Nu(1, 12), off->Nu(1, 12));
}

TEST(Humbind, ChargeSearchFlagsShrinkTheStepAtEveryTurn) {
    auto st = boundState(6.0, 0.01);
    humbind(*st, 1); // both flags start at the marker: the first call always shrinks once
    EXPECT_DOUBLE_EQ(st->Zstep[1], 0.0008);
    const bool calcBelow = st->Zcalc[1] <= st->Zed[1];
    EXPECT_EQ(calcBelow ? st->Zdown[1] : st->Zup[1], 100.0);
    humbind(*st, 1); // same direction again: no change of step
    EXPECT_DOUBLE_EQ(st->Zstep[1], 0.0008);
    // move the assumed charge past the calculated one: the direction turns
    st->Zed[1] = calcBelow ? st->Zcalc[1] - 0.01 : st->Zcalc[1] + 0.01;
    humbind(*st, 1);
    EXPECT_DOUBLE_EQ(st->Zstep[1], 0.8 * 0.0008);
    const double expectedRes = std::pow(2 * (st->Zed[1] - st->Zcalc[1]) / (st->Zcalc[1] + st->Zed[1]), 2);
    EXPECT_DOUBLE_EQ(st->Zres[1], expectedRes);
}

TEST(Humbind, SiteClassesChangeOnlyBidentateBinding) {
    // One state goes from three site classes down to one: the constants of the classes left out
    // stay in their tables but must not take part, so the last pass equals a fresh state's.
    double pairBound[4] = {}, siteBound[4] = {};
    auto st = defaultDbState();
    auto bind = [](ProgramState& s, int nosite) {
        s.Nosite = static_cast<i16>(nosite);
        s.S1proc = nosite == 1 ? 100.0 : 50.0;
        s.S2proc = nosite == 2 ? 50.0 : 25.0;
        s.S3proc = 25.0;
        for (int m = 2; m <= 3; ++m) {
            s.SpPKM(1, 12, m) = 1.5 - m; // stronger classes
            s.SpPKM(2, 12, m) = 0.8 - m;
        }
        setprob(s);
        s.Tot[12] = 1e-6;
        s.Tha[1] = 0.05f;
        makelist(s);
        s.Act[1] = 1e-6;
        s.Act[12] = 1e-8;
        s.Ionic = 0.01;
        s.Zed[1] = -0.002;
        s.Zdown[1] = s.Zup[1] = 100.0;
        humbind(s, 1);
    };
    for (int nosite = 3; nosite >= 1; --nosite) {
        bind(*st, nosite);
        pairBound[nosite] = st->hum.pairTotal[12];
        siteBound[nosite] = st->hum.siteTotal[12];
    }
    EXPECT_NE(pairBound[1], pairBound[2]);
    EXPECT_NE(pairBound[2], pairBound[3]);
    EXPECT_LT(pairBound[1], pairBound[2]);
    EXPECT_DOUBLE_EQ(siteBound[1], siteBound[2]);
    EXPECT_DOUBLE_EQ(siteBound[2], siteBound[3]);
    auto fresh = defaultDbState();
    bind(*fresh, 1);
    EXPECT_EQ(fresh->hum.pairTotal[12], pairBound[1]);
}

TEST(WaterSplit, LayerVolumesFromDebyeLengthAndSize) {
    auto st = boundState(6.0, 0.1);
    st->Tclay = 10.0f;
    st->Dlf = 1.0f;
    watersplit(*st);
    const double kappa = 3.04e-10 / std::sqrt(0.1);
    EXPECT_NEAR(kappa, 0.961e-9, 0.001e-9);
    const double r = st->Radius[1];
    const double vsp = 4.19 * (std::pow(r + kappa, 3) - std::pow(r, 3)) * 6e23 * 1000 / st->Molwt[1];
    EXPECT_DOUBLE_EQ(st->Vddlsp[1], vsp);
    const double q = 0.002 * st->Kzed;
    EXPECT_DOUBLE_EQ(st->Vddl[1], 0.05f * vsp * q / (1 + q));
    const double vclay = 10.0 * 1000 * st->Saclay * kappa;
    const double vt = 1 + st->Vddl[1] + st->Vddl[2] + vclay; // Dlf = 1
    EXPECT_DOUBLE_EQ(st->Fclay, vclay / vt);
    EXPECT_DOUBLE_EQ(st->Fddl[1], st->Vddl[1] / vt);
    EXPECT_NEAR(st->Fsol + st->Fddl[1] + st->Fddl[2] + st->Fclay, 1.0, 1e-15);

    st->Ionic = 0.001; // ten times thicker at a hundredth of the ionic strength
    EXPECT_NEAR(3.04e-10 / std::sqrt(st->Ionic), 9.61e-9, 0.01e-9);
}

TEST(WaterSplit, NoHumicsAndNoClayLeaveAllWaterInSolution) {
    auto st = defaultDbState();
    st->Dlf = 0.0f; // even with a zero overlap factor
    st->Ionic = 0.01;
    watersplit(*st);
    EXPECT_EQ(st->Fsol, 1.0);
    EXPECT_EQ(st->Fclay, 0.0);
    EXPECT_EQ(st->Fddl[1], 0.0);
}

TEST(DiffuseLayer, RatioCarriesTheHumicCounterChargeWithCationsOnly) {
    auto st = boundState(6.0, 0.01);
    st->Tol = 1e-8f;
    speciate(*st);
    for (int k = 1; k <= 2; ++k) {
        const double d = -(st->Tha[k] * st->Zed[k]) / st->Fddl[k];
        double s = 0.0;
        for (int j = 1; j <= st->Nsplist; ++j) {
            const int sp = st->Splist[j];
            if (st->SpCharge[sp] < 0) {
                EXPECT_EQ(st->Cddl(k, sp), 0.0) << "anion in a humic layer";
            }
            s += st->SpCharge[sp] * st->Cddl(k, sp);
        }
        EXPECT_NEAR(s / d, 1.0, 2e-4);
        EXPECT_GT(st->Rddl[k], 1.0);
    }
    EXPECT_EQ(st->RatioFail, 0);
}

TEST(DiffuseLayer, ClayLayerHoldsItsExchangeCapacityWithAnionsReduced) {
    auto st = boundState(6.0, 0.01);
    st->Tha[1] = st->Tha[2] = 0.0f;
    st->Tclay = 20.0f;
    st->Rclay = 10.0;
    st->Tol = 1e-8f;
    speciate(*st);
    const double d = st->Eqclay * st->Tclay / st->Fclay;
    double s = 0.0;
    for (int j = 1; j <= st->Nsplist; ++j) s += st->SpCharge[st->Splist[j]] * st->Cclay[st->Splist[j]];
    EXPECT_NEAR(s / d, 1.0, 2e-4);
    EXPECT_LT(st->Cclay[52], st->Conc[52]); // chloride is pushed out of the layer
    EXPECT_GT(st->Cclay[6], st->Conc[6]);
}

TEST(DiffuseLayer, LayerWithoutCounterIonsIsReportedNotLeftAsInfinity) {
    auto st = boundState(6.0, 0.01);
    for (int s = 1; s <= kMaxSpecies; ++s) st->SpKselHS[s] = 0.0;
    st->Tol = 1e-8f;
    speciate(*st);
    EXPECT_NE(st->RatioFail & 1, 0);
    EXPECT_TRUE(std::isfinite(st->Rddl[1]));
    EXPECT_TRUE(std::isfinite(st->Fsol));
}

TEST(DiffuseLayer, UnchargedHumicHasNoLayer) {
    auto st = boundState(6.0, 0.01);
    st->Zed[1] = 0.0;
    st->Tol = 1e-8f;
    speciate(*st);
    EXPECT_EQ(st->Fddl[1], 0.0);
    for (int j = 1; j <= st->Nsplist; ++j) EXPECT_EQ(st->Cddl(1, st->Splist[j]), 0.0);
    EXPECT_EQ(st->RatioFail & 1, 0);
}

} // namespace
} // namespace kelva::test
