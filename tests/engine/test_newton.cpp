// The Newton solver against the substitution scheme, its method on a small system, exact layers.
#include "engine/enginetest.h"
#include "engine/newton.h"
#include "engine/newtonmethod.h"

#include <functional>
#include <limits>
#include <vector>

namespace kelva::test {
namespace {

double relDiff(double a, double b) {
    const double m = std::max(std::fabs(a), std::fabs(b));
    return m == 0.0 ? 0.0 : std::fabs(a - b) / m;
}

using Inputs = std::function<void(ProgramState&)>;

void totals(ProgramState& st, const std::vector<std::pair<int, double>>& t, const char* phFixed,
            double pH = 7.0) {
    for (auto [i, v] : t) st.Tot[i] = v;
    st.PhFixed = phFixed;
    st.pH = pH;
}

std::unique_ptr<ProgramState> problem(const Inputs& inputs, const char* solver, float precision = 0.01f) {
    auto st = defaultDbState();
    inputs(*st);
    setprob(*st); // after the site classes are chosen
    inputs(*st);
    st->Solver = solver;
    st->Precision = precision;
    st->Itermax = 32000;
    runSolver(*st);
    return st;
}

// The substitution scheme at a tight precision (at 1e-4 % its own error still reaches 1.1e-4 on
// Cu(OH)4 2-, a species with H+ to the power -4, in the FA water) against the Newton solver.
void expectSameEquilibrium(const Inputs& inputs, float precision = 1e-5f) {
    auto ss = problem(inputs, "", precision);
    auto nw = problem(inputs, kSolverNewton);
    ASSERT_EQ(ss->iterr(1), 0);
    ASSERT_EQ(nw->iterr(1), 0);
    EXPECT_EQ(std::tuple(nw->AlPpt, nw->FePpt), std::tuple(ss->AlPpt, ss->FePpt));
    for (int j = 1; j <= ss->Nsplist; ++j)
        EXPECT_LT(relDiff(nw->Act[ss->Splist[j]], ss->Act[ss->Splist[j]]), 1e-4)
            << "species " << ss->Splist[j];
    auto layer = [](double f, double a, double b) { return f > 0.0 ? relDiff(a, b) : 0.0; };
    for (int k = 1; k <= 2; ++k) // a ratio counts only where its layer is there
        EXPECT_LT(relDiff(nw->Zed[k], ss->Zed[k]) + relDiff(nw->Fddl[k], ss->Fddl[k]) +
                      layer(ss->Fddl[k], nw->Rddl[k], ss->Rddl[k]),
                  1e-4)
            << "humic " << k;
    EXPECT_LT(layer(ss->Fclay, nw->Rclay, ss->Rclay) + relDiff(nw->Fsol, ss->Fsol), 1e-4);
    EXPECT_LT(nw->Iter, ss->Iter);
}

// A water of the given totals, with humic and fulvic acid at `tha` g/l.
Inputs water(std::vector<std::pair<int, double>> t, const char* phFixed, double pH = 7.0, float tha = 0.0f) {
    return [=](ProgramState& s) {
        totals(s, t, phFixed, pH);
        s.Tha[1] = s.Tha[2] = tha;
    };
}

TEST(Newton, ReachesTheSubstitutionSchemesEquilibrium) {
    const std::vector<std::pair<int, double>> salts = {{2, 1e-3},  {3, 1e-4},  {4, 2e-4},  {6, 5e-4},
                                                       {12, 1e-7}, {13, 5e-7}, {15, 1e-8}, {52, 1e-3},
                                                       {54, 2e-4}, {55, 2e-3}};
    const std::pair<const char*, Inputs> cases[] = {
        {"water", water(salts, "No")},
        {"water with FA, calculated pH",
         water({{2, 1e-3}, {6, 1e-3}, {12, 1e-6}, {52, 2e-3}, {55, 1e-3}}, "No", 7.0, 0.01f)},
        {"soil, fixed pH", [](ProgramState& s) { soilInputs(s, true, 5.5); }},
        {"soil, calculated pH", [](ProgramState& s) { soilInputs(s, false, 7.0); }},
        {"Al and Fe precipitating", water({{2, 1e-3}, {5, 1e-5}, {6, 1e-4}, {11, 1e-5}, {52, 1e-3}}, "Yes")},
        {"three site classes",
         [](ProgramState& s) {
             std::tie(s.Nosite, s.S1proc, s.S2proc, s.S3proc) = std::tuple(3, 50.0, 30.0, 20.0);
             soilInputs(s, true, 6.0);
         }},
        // CO3 is no unknown: it follows the CO2 pressure
        {"water under atmospheric CO2", [](ProgramState& s) { s.pCO2 = 3.5e-4f; }},
        // an acid water rich in Al: the bound Al3+ turns both humics positive, while every solve
        // starts from a slightly negative charge
        {"acid Al water, humic charges crossing zero",
         water({{2, 0.01}, {5, 0.01}, {52, 0.04}}, "Yes", 2.5, 0.05f)}};
    for (const auto& [name, inputs] : cases) {
        SCOPED_TRACE(name);
        expectSameEquilibrium(inputs);
    }
    auto co2 = problem(cases[6].second, kSolverNewton);
    EXPECT_NEAR(co2->pH, 5.64, 0.01);
    auto al = problem(cases[7].second, kSolverNewton);
    EXPECT_GT(std::min(al->Zed[1], al->Zed[2]), 0.0);
}

TEST(Newton, UnbufferedWatersFromPH4InAFewDozenEvaluations) {
    const std::tuple<const char*, std::vector<std::pair<int, double>>, double> waters[] = {
        {"1 mM NaCl", {{2, 1e-3}, {52, 1e-3}}, 7.00},
        {"10 mM NaCl", {{2, 1e-2}, {52, 1e-2}}, 7.00},
        {"1 mM NaHCO3", {{2, 1e-3}, {55, 1e-3}}, 8.27},
        {"pure water", {}, 7.00}};
    for (const auto& [name, salt, pH] : waters) {
        auto nw = problem(water(salt, "No"), kSolverNewton); // starts at pH 4
        EXPECT_TRUE(nw->iterr(1) == 0 && failingTests(*nw).empty() && nw->newton.evaluations <= 40) << name;
        EXPECT_EQ(std::tuple(nw->SiAl, nw->SiFe), std::tuple(0.0, 0.0)) << name; // no metal: no index
        EXPECT_NEAR(nw->pH, pH, 0.01) << name;
    }
}

TEST(Newton, SoilWhoseLayersHoldNearlyAllCationsConvergesInBoundedEvaluations) {
    auto nw = problem(
        [](ProgramState& s) {
            soilInputs(s, true, 7.5);
            s.Tclay = 50.0f;
            s.Tha[1] = 5.0f;
        },
        kSolverNewton);
    ASSERT_EQ(nw->iterr(1), 0);
    EXPECT_LE(nw->newton.evaluations, 300);
    for (int i : {2, 4, 6}) { // Na, Mg, Ca
        fracdist(*nw, i);
        EXPECT_LT(nw->FrS, 0.05f) << "component " << i;
    }
}

// CO3 follows a fixed CO2 pressure whatever its total: the other balances are met all the same.
TEST(Newton, CarbonateUnderAFixedCO2PressureLeavesTheOtherBalancesMet) {
    auto st = problem(
        [](ProgramState& s) {
            totals(s, {{2, 1e-3}, {52, 1e-3}, {55, 1e-3}}, "Yes", 6.0);
            s.pCO2 = 3.5e-4f;
        },
        kSolverNewton);
    for (int i : {2, 52}) EXPECT_LE(balance(*st, i), st->Tol) << "component " << i;
}

TEST(Newton, IterationLimitAndProgressAsTheSubstitutionSchemeHasThem) {
    auto st = defaultDbState();
    soilInputs(*st, false, 7.0);
    st->Solver = kSolverNewton;
    st->Itermax = 5;
    int shown = 0;
    st->onIter = [&shown](int) { ++shown; };
    runSolver(*st);
    EXPECT_EQ(std::tuple(st->iterr(1), st->Iter, shown), std::tuple(1, 6, 5));
    EXPECT_FALSE(failingTests(*st).empty());
}

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
