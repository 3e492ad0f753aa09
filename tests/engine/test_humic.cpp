// The humic binding-constant tables, humic and fulvic binding, and the diffuse layers.
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
    // A copy of the state carries the binding tables and owns them: binding again in the copy
    // with three classes leaves the original's as they were.
    auto copy = std::make_unique<ProgramState>(*fresh);
    EXPECT_EQ(copy->cache.humic.read().scratch.pairTotal[12], pairBound[1]);
    bind(*copy, 3);
    EXPECT_EQ(copy->cache.humic.read().scratch.pairTotal[12], pairBound[3]);
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

std::unique_ptr<ProgramState> humicState() {
    auto st = freshState();
    const float ha[] = {3.29e-3f, 4.02f, 1.78f, 8.55f, 3.43f, 0.5f},
                fa[] = {4.73e-3f, 3.26f, 3.34f, 9.64f, 5.52f, 0.4f};
    for (int k = 1; k <= 2; ++k) {
        const float* v = k == 1 ? ha : fa;
        std::tie(st->Ncooh[k], st->Pkha[k], st->Dpkha[k], st->Pkhb[k], st->Dpkhb[k], st->Fpr[k]) =
            std::tuple(v[0], v[1], v[2], v[3], v[4], v[5]);
    }
    addComponent(*st, 1, "H", 1);
    addComponent(*st, 12, "Cu", 2, 1.5, 0.8);
    addComponent(*st, 2, "Na", 1);
    return st;
}

TEST(Setprob, NoValue999InTheFirstHumicColumnSwitchesBindingOffWhateverTheOthersHold) {
    auto st = humicState();
    st->Nosite = 3;
    for (int m = 2; m <= 3; ++m) st->SpPKM(1, 12, m) = st->SpPKM(2, 12, m) = 1.0;
    setprob(*st); // an earlier problem in which Cu binds in every class
    ASSERT_NE(st->KMsite3(2, 8, 12), 0.0);
    st->SpPKM(1, 12, 1) = 999.0;
    st->SpPKM(2, 12, 1) = 0.5;
    setprob(*st);
    for (int k = 1; k <= 2; ++k)
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ(std::tuple(st->KMsite1(k, i, 12), st->KMsite2(k, i, 12), st->KMsite3(k, i, 12)),
                      std::tuple(0.0, 0.0, 0.0));
}

TEST(Setprob, SiteClassesAboveNositeKeepTheirShareAndConstants) {
    auto st = humicState();
    std::tie(st->Nosite, st->S1proc, st->S2proc, st->S3proc) = std::tuple(3, 50.0, 30.0, 20.0);
    st->SpPKM(1, 12, 3) = 2.5;
    setprob(*st);
    EXPECT_EQ(std::tuple(st->Hetfrac[1], st->Hetfrac[2], st->Hetfrac[3]), std::tuple(0.5, 0.3, 0.2));
    std::tie(st->Nosite, st->S1proc) = std::tuple(1, 100.0);
    setprob(*st);
    EXPECT_EQ(std::tuple(st->Hetfrac[1], st->Hetfrac[3]), std::tuple(1.0, 0.2));
    EXPECT_DOUBLE_EQ(st->KMsite3(1, 1, 12), std::pow(10.0, -2.5));
}

// setprob recomputes only a pK that changed: every set-up in a series must equal a fresh one.
TEST(Setprob, ConstantsFollowEveryChangeOfTheBindingPKs) {
    struct Step {
        int nosite;
        double ha[3], fa[3];
    };
    const Step steps[] = {{1, {1.5, 0, 0}, {0.8, 0, 0}},         {1, {2.0, 0, 0}, {0.8, 0, 0}},
                          {3, {2.0, 1.0, 0.5}, {0.8, 0.7, 0.6}}, {3, {2.0, 1.2, 0.5}, {0.8, 0.7, 0.9}},
                          {1, {2.0, 9, 9}, {0.3, 9, 9}},         {2, {2.0, 1.2, 9}, {0.3, 0.7, 9}}};
    auto st = humicState();
    for (const auto& step : steps) {
        st->Nosite = static_cast<i16>(step.nosite);
        for (int m = 1; m <= 3; ++m) {
            st->SpPKM(1, 12, m) = step.ha[m - 1];
            st->SpPKM(2, 12, m) = step.fa[m - 1];
        }
        setprob(*st);
        auto fresh = humicState();
        fresh->Nosite = st->Nosite;
        fresh->SpPKM = st->SpPKM;
        setprob(*fresh);
        for (int m = 1; m <= step.nosite; ++m) {
            const auto& km = m == 1 ? st->KMsite1 : m == 2 ? st->KMsite2 : st->KMsite3;
            const auto& want = m == 1 ? fresh->KMsite1 : m == 2 ? fresh->KMsite2 : fresh->KMsite3;
            for (int k = 1; k <= 2; ++k)
                for (int i = 1; i <= 8; ++i)
                    EXPECT_EQ(km(k, i, 12), want(k, i, 12))
                        << "class " << m << " humic " << k << " site " << i;
        }
    }
}

TEST(Setprob, ClearsTheWorkArraysOfTheLastProblem) {
    auto st = humicState();
    // an unsettled humic charge of an earlier problem must not block the next one
    std::tie(st->Tot[12], st->Act[12], st->Nu(1, 12), st->Cclay[12], st->Zres[2], st->RatioFail) =
        std::tuple(1e-6, 3.0, 1.0, 2.0, 0.5, 4);
    setprob(*st);
    EXPECT_EQ(std::tuple(st->Tot[12], st->Act[12], st->Nu(1, 12), st->Cclay[12], st->Zres[2], st->RatioFail),
              std::tuple(0.0, 0.0, 0.0, 0.0, 0.0, 0));
}

} // namespace
} // namespace kelva::test
