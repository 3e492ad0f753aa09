// The pieces of the Newton solver: the dense LU, the damped method on a small system, and the
// exact balance of a diffuse layer.
#include "engine/enginetest.h"
#include "engine/newton.h"
#include "engine/newtonmethod.h"

#include <limits>

namespace kelva::test {
namespace {

// f(x) = e^x - 2 on one unknown, whose evaluation fails beyond x = 0.9.
class Exponential final : public NewtonSystem {
  public:
    int size() const override { return 1; }
    bool evaluate(const double* x, double* f) override {
        ++calls;
        tried.push_back({x[0], x[0] <= 0.9});
        if (x[0] > 0.9) return false;
        f[0] = std::exp(x[0]) - 2.0;
        return true;
    }
    bool admissible(const double*, const double* to) const override { return std::isfinite(to[0]); }
    void startPasses() override {}
    void substitute(const double* x, const double*, double* next) override { next[0] = x[0]; }
    bool converged(const double*, const double* f) const override { return std::fabs(f[0]) < 1e-12; }
    bool tick() override { return true; }
    int calls = 0;
    std::vector<std::pair<double, bool>> tried; // points evaluated, and whether they could be
};

TEST(NewtonMethod, FailedEvaluationShortensTheStepInsteadOfEndingTheSolve) {
    Exponential sys;
    double x = -1.0; // Newton's step from here (capped at 2) lands at 1.0, where evaluation fails
    const NewtonOutcome out = newtonMethod(sys, &x);
    EXPECT_TRUE(out.converged && out.failedEvaluations >= 1 && out.evaluations == sys.calls);
    EXPECT_NEAR(x, std::log(2.0), 1e-12);
    // right after the failure, a shorter step along the same direction
    std::size_t i = 0;
    while (i < sys.tried.size() && sys.tried[i].second) ++i;
    ASSERT_LT(i + 1, sys.tried.size());
    EXPECT_TRUE(sys.tried[i + 1].second && sys.tried[i + 1].first > -0.99 &&
                sys.tried[i + 1].first < sys.tried[i].first);
    // Passes and steps together stay within their budget.
    Exponential capped;
    x = -1.0;
    NewtonSettings few;
    std::tie(few.maxPasses, few.maxSteps) = std::tuple(1, 2);
    const NewtonOutcome cut = newtonMethod(capped, &x, few);
    EXPECT_TRUE(!cut.converged && cut.passes + cut.steps == 2) << cut.passes << " " << cut.steps;
}

// S(R) = sum of z R^z t(z) for the sums t, and the sum of the magnitudes of its terms (which
// bounds its rounding error where cations and anions cancel).
std::pair<double, double> layerCharge(const RatioSums& t, double r) {
    double s = 0.0, size = 0.0;
    for (int z = -RatioSums::kMaxCharge; z <= RatioSums::kMaxCharge; ++z) {
        s += z * std::pow(r, z) * t.at(z);
        size += std::fabs(z * std::pow(r, z) * t.at(z));
    }
    return {s, size};
}

TEST(ExactRatio, BalancesTheLayerToRoundingWithAPositiveRatio) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, double>> sums;
        double d, start;
    };
    const Case cases[] = {
        {"one cation", {{1, 0.25}}, 1.0, 10.0},
        {"cations of three charges", {{1, 1e-6}, {2, 1e-3}, {3, 1e-9}}, 0.3, 10.0},
        {"excess anions: S(10) < 0", {{1, 1e-6}, {2, 1e-7}, {-1, 1e-2}, {-2, 1e-3}}, 0.05, 10.0},
        {"root far below the start, cations and anions cancelling", {{1, 1.0}, {-1, 1e-12}}, 1e-9, 1e6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RatioSums t;
        for (auto [z, v] : c.sums) t.at(z) = v;
        double r = c.start;
        ASSERT_TRUE(solveRatio(t, c.d, r) && r > 0.0);
        const auto [s, size] = layerCharge(t, r);
        EXPECT_NEAR(s, c.d, 1e-13 * (c.d + size));
    }
}

TEST(ExactRatio, AnExactStartIsKeptAndAnUnreachableChargeRefused) {
    RatioSums t, anions;
    t.at(1) = 0.5;
    anions.at(-1) = 1e-3;
    double r = 10.0, r3 = 3.0; // S(10) = 5 exactly: the residual is tested before anything moves
    EXPECT_TRUE(solveRatio(t, 5.0, r));
    EXPECT_FALSE(solveRatio(anions, 0.01, r3)); // no cation can carry a positive counter-charge
    EXPECT_EQ(std::tuple(r, r3), std::tuple(10.0, 3.0));
}

// A clay in a salt solution with almost no cations: the exact balance goes straight to the
// positive ratio (the damped loop's update R D / S first turns negative).
TEST(ExactRatio, ClayLayerAmongExcessAnions) {
    auto st = freshState();
    addComponent(*st, 2, "Na", 1);
    addComponent(*st, 52, "Cl", -1);
    std::tie(st->Nsplist, st->Splist[1], st->Splist[2], st->Conc[2], st->Conc[52]) =
        std::tuple(2, 2, 52, 1e-6, 0.1);
    std::tie(st->Eqclay, st->Tclay, st->Fclay, st->Tol) = std::tuple(1e-3f, 1.0f, 0.01, 1e-8f);
    const double d = static_cast<double>(st->Eqclay) * st->Tclay / st->Fclay;

    st->Rclay = 10.0;
    ASSERT_TRUE(ddlclayExact(*st) && st->Rclay > 10.0);
    EXPECT_NEAR(st->Cclay[2] - st->Cclay[52], d, 1e-12 * d);
    EXPECT_DOUBLE_EQ(st->Cclay[2], st->Rclay * 1e-6);
    st->Conc[2] = 0.0; // without any cation there is no balance, and the clay's flag says so
    EXPECT_FALSE(ddlclayExact(*st));
    EXPECT_EQ(st->RatioFail, 4);
}

} // namespace
} // namespace kelva::test
