// Problem set-up: the humic site, pair and binding-constant tables.
#include "engine/enginetest.h"

namespace kelva::test {
namespace {

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

// setprob takes a power of ten only for a pK that changed since the last set-up: a series of
// set-ups with changing values and site classes must give the constants of a fresh one.
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
