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
    st->Tha[1] = st->Tha[2] = 0.05f;
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
    st->Tol = 1e-8f;
    return st;
}

// Both charges exactly 0 agree; a zero sum with a real mismatch is an infinite one, never a NaN
// that would pass the convergence test unnoticed. Without binding species and electrostatics
// (unit ionic strength) the calculated charge does not depend on the assumed one.
TEST(Humbind, ChargesThatCancelAreAnInfiniteMismatchUnlessBothAreZero) {
    auto st = boundState(6.0, 1.0);
    st->Nhslist = 0;
    humbind(*st, 1);
    ASSERT_LT(st->Zcalc[1], 0.0);
    st->Zed[1] = -st->Zcalc[1];
    humbind(*st, 1);
    EXPECT_EQ(st->Zres[1], std::numeric_limits<double>::infinity());
    st->SiteDen.fill(0.0f);
    st->PairDen.fill(0.0f);
    st->Zed[1] = 0.0;
    humbind(*st, 1);
    EXPECT_EQ(st->Zres[1], 0.0);
}

TEST(Humbind, SiteClassesChangeOnlyBidentateBinding) {
    // One state goes from three site classes down to one: the constants of the classes left out
    // stay in their tables but must not take part, so the last pass equals a fresh state's.
    double pairBound[4] = {}, siteBound[4] = {};
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
    auto st = defaultDbState();
    for (int nosite = 3; nosite >= 1; --nosite) {
        bind(*st, nosite);
        pairBound[nosite] = st->hum.pairTotal[12];
        siteBound[nosite] = st->hum.siteTotal[12];
    }
    EXPECT_LT(pairBound[1], pairBound[2]);
    EXPECT_NE(pairBound[2], pairBound[3]);
    EXPECT_DOUBLE_EQ(siteBound[1], siteBound[2]);
    EXPECT_DOUBLE_EQ(siteBound[2], siteBound[3]);
    auto fresh = defaultDbState();
    bind(*fresh, 1);
    EXPECT_EQ(fresh->hum.pairTotal[12], pairBound[1]);
}

TEST(WaterSplit, NoHumicsAndNoClayLeaveAllWaterInSolutionWhateverTheOverlapFactor) {
    auto st = defaultDbState();
    st->Dlf = 0.0f;
    st->Ionic = 0.01;
    st->Fsol = 0.5;
    watersplit(*st);
    EXPECT_EQ(std::tuple(st->Fsol, st->Fclay, st->Fddl[1], st->Fddl[2]), std::tuple(1.0, 0.0, 0.0, 0.0));
}

TEST(DiffuseLayer, UnchargedHumicHasNoLayerAndALayerWithoutCounterIonsIsReported) {
    auto st = boundState(6.0, 0.01);
    st->Zed[1] = 0.0;
    speciate(*st);
    EXPECT_EQ(st->Fddl[1], 0.0);
    for (int j = 1; j <= st->Nsplist; ++j) EXPECT_EQ(st->Cddl(1, st->Splist[j]), 0.0);
    EXPECT_EQ(st->RatioFail, 0);

    for (int s = 1; s <= kMaxSpecies; ++s) st->SpKselHS[s] = 0.0;
    speciate(*st);
    EXPECT_EQ(st->RatioFail, 2);
    EXPECT_TRUE(std::isfinite(st->Rddl[2]) && std::isfinite(st->Fsol));
    EXPECT_EQ(failingTests(*st).back(), "diffuse layer of fulvic acid could not be balanced");
}

} // namespace
} // namespace kelva::test
