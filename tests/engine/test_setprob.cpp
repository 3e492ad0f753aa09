// Problem set-up: the humic site, pair and binding-constant tables.
#include "engine/enginetest.h"

namespace kelva::test {
namespace {

std::unique_ptr<ProgramState> humicState() {
    auto st = freshState();
    st->Ncooh[1] = 3.29e-3f;
    st->Pkha[1] = 4.02f;
    st->Dpkha[1] = 1.78f;
    st->Pkhb[1] = 8.55f;
    st->Dpkhb[1] = 3.43f;
    st->Fpr[1] = 0.5f;
    st->Ncooh[2] = 4.73e-3f;
    st->Pkha[2] = 3.26f;
    st->Dpkha[2] = 3.34f;
    st->Pkhb[2] = 9.64f;
    st->Dpkhb[2] = 5.52f;
    st->Fpr[2] = 0.4f;
    addComponent(*st, 1, "H", 1);
    addComponent(*st, 12, "Cu", 2, 1.5, 0.8);
    addComponent(*st, 2, "Na", 1);
    return st;
}

TEST(Setprob, SitePKsAreSinglePrecisionSpreadsAroundTheCentralValues) {
    auto st = humicState();
    setprob(*st);
    const float a = 4.02f, da = 1.78f;
    EXPECT_EQ(st->pKsite(1, 1), a - da / 2.0f);
    EXPECT_EQ(st->pKsite(1, 2), a - da / 6.0f);
    EXPECT_EQ(st->pKsite(1, 3), a + da / 6.0f);
    EXPECT_EQ(st->pKsite(1, 4), a + da / 2.0f);
    EXPECT_EQ(st->pKsite(2, 8), 9.64f + 5.52f / 2.0f);
    for (int k = 1; k <= 2; ++k)
        for (int i = 1; i <= 8; ++i)
            EXPECT_DOUBLE_EQ(st->KHsite(k, i), std::pow(10.0, -static_cast<double>(st->pKsite(k, i))));
    // the type A sites ascend, and every type B site lies above every type A site
    for (int i = 1; i < 8; ++i) EXPECT_LT(st->pKsite(1, i), st->pKsite(1, i + 1));
}

TEST(Setprob, EqualTypeAPKsWhenTheRangeIsZero) {
    auto st = humicState();
    st->Dpkha[1] = 0.0f;
    setprob(*st);
    for (int i = 2; i <= 4; ++i) EXPECT_EQ(st->pKsite(1, i), st->pKsite(1, 1));
}

TEST(Setprob, PairTableAndDensities) {
    auto st = humicState();
    setprob(*st);
    const int expected[12][2] = {{1, 2}, {1, 4}, {1, 6}, {1, 8}, {2, 3}, {2, 5},
                                 {2, 7}, {3, 4}, {3, 6}, {3, 8}, {4, 5}, {4, 7}};
    for (int p = 1; p <= 12; ++p) {
        EXPECT_EQ(st->Pair(p, 1), expected[p - 1][0]);
        EXPECT_EQ(st->Pair(p, 2), expected[p - 1][1]);
    }
    // type B groups are half as many as type A; all groups together make Ncooh * 1.5
    EXPECT_FLOAT_EQ(st->SiteDen(1, 1), 0.5f * 3.29e-3f / 4.0f);
    EXPECT_FLOAT_EQ(st->SiteDen(1, 5), 0.5f * 3.29e-3f / 8.0f);
    EXPECT_FLOAT_EQ(st->PairDen(2, 7), 4.73e-3f * 0.4f / 16.0f);
    double groups = 0.0;
    for (int i = 1; i <= 8; ++i) groups += st->SiteDen(2, i);
    for (int p = 1; p <= 12; ++p) groups += 2.0 * st->PairDen(2, p);
    EXPECT_NEAR(groups, 1.5 * 4.73e-3, 1e-9);
}

TEST(Setprob, ProximityFactorZeroOrOneLeavesOnlyOneKindOfSite) {
    auto st = humicState();
    st->Fpr[1] = 0.0f;
    st->Fpr[2] = 1.0f;
    setprob(*st);
    for (int p = 1; p <= 12; ++p) EXPECT_EQ(st->PairDen(1, p), 0.0f);
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(st->SiteDen(2, i), 0.0f);
    EXPECT_GT(st->SiteDen(1, 1), 0.0f);
    EXPECT_GT(st->PairDen(2, 1), 0.0f);
}

TEST(Setprob, BindingConstantsOfTypeBFollowTheHumicSpecificRelation) {
    auto st = humicState();
    setprob(*st);
    EXPECT_DOUBLE_EQ(st->KMsite1(1, 1, 12), std::pow(10.0, -1.5));
    EXPECT_DOUBLE_EQ(st->KMsite1(1, 5, 12), std::pow(10.0, -(3.0 * 1.5 - 3.0)));
    EXPECT_DOUBLE_EQ(st->KMsite1(2, 4, 12), std::pow(10.0, -0.8));
    EXPECT_DOUBLE_EQ(st->KMsite1(2, 8, 12), std::pow(10.0, -(3.96 * 0.8)));
    // a species marked 999 gets no binding constant at all
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(st->KMsite1(1, i, 2), 0.0);
}

TEST(Setprob, NoValue999InTheFirstHumicColumnSwitchesBindingOffWhateverTheOthersHold) {
    auto st = humicState();
    st->Nosite = 3;
    for (int m = 2; m <= 3; ++m) st->SpPKM(1, 12, m) = st->SpPKM(2, 12, m) = 1.0;
    setprob(*st); // an earlier problem in which Cu binds in every class
    ASSERT_NE(st->KMsite2(1, 1, 12), 0.0);
    st->SpPKM(1, 12, 1) = 999.0;
    st->SpPKM(2, 12, 1) = 0.5;
    setprob(*st);
    for (int k = 1; k <= 2; ++k)
        for (int i = 1; i <= 8; ++i) {
            EXPECT_EQ(st->KMsite1(k, i, 12), 0.0);
            EXPECT_EQ(st->KMsite2(k, i, 12), 0.0);
            EXPECT_EQ(st->KMsite3(k, i, 12), 0.0);
        }
}

TEST(Setprob, SiteClassesAboveNositeKeepTheirShareAndConstants) {
    auto st = humicState();
    st->Nosite = 3;
    st->S1proc = 50.0;
    st->S2proc = 30.0;
    st->S3proc = 20.0;
    st->SpPKM(1, 12, 3) = 2.5;
    setprob(*st);
    EXPECT_DOUBLE_EQ(st->Hetfrac[3], 0.2);
    EXPECT_DOUBLE_EQ(st->KMsite3(1, 1, 12), std::pow(10.0, -2.5));

    st->Nosite = 1;
    st->S1proc = 100.0;
    setprob(*st);
    EXPECT_DOUBLE_EQ(st->Hetfrac[1], 1.0);
    EXPECT_DOUBLE_EQ(st->Hetfrac[3], 0.2);
    EXPECT_DOUBLE_EQ(st->KMsite3(1, 1, 12), std::pow(10.0, -2.5));
}

// setprob takes a power of ten only for a pK that changed since the last set-up: a series of
// set-ups with changing values and site classes must give the constants of a fresh one.
TEST(Setprob, ConstantsFollowEveryChangeOfTheBindingPKs) {
    struct Step {
        int nosite;
        double ha[3], fa[3];
    };
    const Step steps[] = {{1, {1.5, 0, 0}, {0.8, 0, 0}}, {1, {2.0, 0, 0}, {0.8, 0, 0}}, {3, {2.0, 1.0, 0.5}, {0.8, 0.7, 0.6}},
                          {3, {2.0, 1.2, 0.5}, {0.8, 0.7, 0.9}}, {1, {2.0, 9, 9}, {0.3, 9, 9}}, {2, {2.0, 1.2, 9}, {0.3, 0.7, 9}}};
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
                for (int i = 1; i <= 8; ++i) EXPECT_EQ(km(k, i, 12), want(k, i, 12)) << "class " << m << " humic " << k << " site " << i;
        }
    }
}

TEST(Setprob, ClearsTheWorkArraysOfTheLastProblem) {
    auto st = humicState();
    st->Tot[12] = 1e-6;
    st->Act[12] = 3.0;
    st->Nu(1, 12) = 1.0;
    st->Cclay[12] = 2.0;
    st->Zres[1] = 0.5;
    setprob(*st);
    EXPECT_EQ(st->Tot[12], 0.0);
    EXPECT_EQ(st->Act[12], 0.0);
    EXPECT_EQ(st->Nu(1, 12), 0.0);
    EXPECT_EQ(st->Cclay[12], 0.0);
    // an unsettled humic charge of an earlier problem must not block the next one
    EXPECT_EQ(st->Zres[1], 0.0);
}

} // namespace
} // namespace kelva::test
