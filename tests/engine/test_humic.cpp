// Humic and fulvic binding with electrostatics, and the diffuse layers.
#include "engine/enginetest.h"

namespace kelva::test {
namespace {

// The default database at a fixed pH with some Cu and Ca, HA and FA present, species listed.
std::unique_ptr<ProgramState> boundState(double pH, double ionic) {
    auto st = defaultDbState();
    std::tie(st->Tot[12], st->Tot[6], st->Tot[52]) = std::tuple(1e-6, 1e-3, 2e-3);
    st->Tha[1] = st->Tha[2] = 0.05f;
    makelist(*st);
    std::tie(st->Act[1], st->Act[12], st->Act[6], st->Act[52]) =
        std::tuple(std::pow(10.0, -pH), 1e-8, 5e-4, 1.5e-3);
    std::tie(st->Ionic, st->Zed[1], st->Zed[2]) = std::tuple(ionic, -0.002, -0.003);
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
        std::tie(s.S1proc, s.S2proc, s.S3proc) =
            std::tuple(nosite == 1 ? 100.0 : 50.0, nosite == 2 ? 50.0 : 25.0, 25.0);
        for (int m = 2; m <= 3; ++m) {
            s.SpPKM(1, 12, m) = 1.5 - m; // stronger classes
            s.SpPKM(2, 12, m) = 0.8 - m;
        }
        setprob(s);
        s.Tot[12] = 1e-6;
        s.Tha[1] = 0.05f;
        makelist(s);
        std::tie(s.Act[1], s.Act[12], s.Ionic, s.Zed[1]) = std::tuple(1e-6, 1e-8, 0.01, -0.002);
        s.Zdown[1] = s.Zup[1] = 100.0;
        humbind(s, 1);
    };
    auto st = defaultDbState();
    for (int nosite = 3; nosite >= 1; --nosite) {
        bind(*st, nosite);
        pairBound[nosite] = st->cache.humic.read().scratch.pairTotal[12];
        siteBound[nosite] = st->cache.humic.read().scratch.siteTotal[12];
    }
    EXPECT_LT(pairBound[1], pairBound[2]);
    EXPECT_NE(pairBound[2], pairBound[3]);
    EXPECT_TRUE(siteBound[1] == siteBound[2] && siteBound[2] == siteBound[3]);
    auto fresh = defaultDbState();
    bind(*fresh, 1);
    EXPECT_EQ(fresh->cache.humic.read().scratch.pairTotal[12], pairBound[1]);
}

TEST(WaterSplit, WithoutLayersAllWaterIsSolutionWhateverTheOverlapFactorAndClayTakesItsShare) {
    auto st = defaultDbState();
    std::tie(st->Dlf, st->Ionic, st->Fsol) = std::tuple(0.0f, 0.01, 0.5);
    watersplit(*st);
    EXPECT_EQ(std::tuple(st->Fsol, st->Fclay, st->Fddl[1], st->Fddl[2]), std::tuple(1.0, 0.0, 0.0, 0.0));
    std::tie(st->Dlf, st->Tclay) = std::tuple(1.0f, 1.0f); // a gram of clay has its layer
    watersplit(*st);
    EXPECT_TRUE(st->Fclay > 0.0 && st->Fsol == 1.0 - st->Fclay) << st->Fclay;
}

TEST(DiffuseLayer, UnchargedHumicHasNoLayerAndALayerWithoutCounterIonsIsReported) {
    auto st = boundState(6.0, 0.01);
    st->Zed[1] = 0.0;
    speciate(*st);
    EXPECT_EQ(std::tuple(st->Fddl[1], st->RatioFail), std::tuple(0.0, 0));
    for (int j = 1; j <= st->Nsplist; ++j) EXPECT_EQ(st->Cddl(1, st->Splist[j]), 0.0);

    for (int s = 1; s <= kMaxSpecies; ++s) st->SpKselHS[s] = 0.0;
    speciate(*st);
    EXPECT_EQ(st->RatioFail, 2);
    EXPECT_TRUE(std::isfinite(st->Rddl[2]) && std::isfinite(st->Fsol));
    EXPECT_EQ(failingTests(*st).back(), "diffuse layer of fulvic acid could not be balanced");
}

} // namespace
} // namespace kelva::test
