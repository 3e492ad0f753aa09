// The Newton solver against the damped substitution scheme on the bundled database.
#include "engine/enginetest.h"
#include "engine/newton.h"

#include <functional>

namespace kelva::test {
namespace {

double relDiff(double a, double b) {
    const double m = std::max(std::fabs(a), std::fabs(b));
    return m == 0.0 ? 0.0 : std::fabs(a - b) / m;
}

void soil(ProgramState& st) {
    const std::pair<int, double> totals[] = {{2, 2e-3},  {3, 5e-4},  {4, 1e-3},  {6, 2e-3},  {12, 1e-6},
                                             {13, 1e-6}, {14, 1e-8}, {52, 4e-3}, {54, 1e-3}, {55, 1e-3}};
    for (auto [i, t] : totals) st.Tot[i] = t;
    st.Tha[1] = 0.5f;
    st.Tha[2] = 0.2f;
    st.Tclay = 5.0f;
    st.Csolid = 100.0f;
}

void calculatedPH(ProgramState& st) {
    st.PhFixed = "No";
}
void fixedPH(ProgramState& st, double pH) {
    st.PhFixed = "Yes";
    st.pH = pH;
}

struct Problem {
    const char* name;
    std::function<void(ProgramState&)> inputs;
};

std::unique_ptr<ProgramState> problem(const Problem& p) {
    auto st = defaultDbState();
    p.inputs(*st);
    setprob(*st); // after the site classes are chosen
    p.inputs(*st);
    return st;
}

std::unique_ptr<ProgramState> newton(const Problem& p) {
    auto st = problem(p);
    st->Solver = kSolverNewton;
    runSolver(*st);
    return st;
}

const Problem kAgreement[] = {
    {"water",
     [](ProgramState& s) {
         const std::pair<int, double> t[] = {{2, 1e-3},  {3, 1e-4},  {4, 2e-4},  {6, 5e-4},  {12, 1e-7},
                                             {13, 5e-7}, {15, 1e-8}, {52, 1e-3}, {54, 2e-4}, {55, 2e-3}};
         for (auto [i, v] : t) s.Tot[i] = v;
         calculatedPH(s);
     }},
    {"water with FA, calculated pH",
     [](ProgramState& s) {
         const std::pair<int, double> t[] = {{2, 1e-3}, {6, 1e-3}, {12, 1e-6}, {52, 2e-3}, {55, 1e-3}};
         for (auto [i, v] : t) s.Tot[i] = v;
         s.Tha[1] = s.Tha[2] = 0.01f;
         calculatedPH(s);
     }},
    {"soil, fixed pH",
     [](ProgramState& s) {
         soil(s);
         fixedPH(s, 5.5);
     }},
    {"soil, calculated pH",
     [](ProgramState& s) {
         soil(s);
         calculatedPH(s);
     }},
    {"Al and Fe precipitating",
     [](ProgramState& s) {
         const std::pair<int, double> t[] = {{2, 1e-3}, {5, 1e-5}, {6, 1e-4}, {11, 1e-5}, {52, 1e-3}};
         for (auto [i, v] : t) s.Tot[i] = v;
         fixedPH(s, 7.0);
     }},
    {"three site classes",
     [](ProgramState& s) {
         s.Nosite = 3;
         s.S1proc = 50.0;
         s.S2proc = 30.0;
         s.S3proc = 20.0;
         soil(s);
         fixedPH(s, 6.0);
     }},
};

// At a precision of 1e-4 % the substitution scheme's own error still reaches 1.1e-4 on
// Cu(OH)4 2- (a species with H+ to the power -4) in the FA water; 1e-5 % makes it 1e-5.
TEST(Newton, ReachesTheSubstitutionSchemesEquilibriumAtATightPrecision) {
    for (const auto& p : kAgreement) {
        SCOPED_TRACE(p.name);
        auto ss = problem(p);
        ss->Precision = 1e-5f;
        ss->Itermax = 32000;
        solver(*ss);
        auto nw = newton(p);
        ASSERT_EQ(ss->iterr(1), 0);
        ASSERT_EQ(nw->iterr(1), 0);
        EXPECT_EQ(nw->AlPpt, ss->AlPpt);
        EXPECT_EQ(nw->FePpt, ss->FePpt);
        for (int j = 1; j <= ss->Nsplist; ++j) {
            const int s = ss->Splist[j];
            EXPECT_LT(relDiff(nw->Act[s], ss->Act[s]), 1e-4) << "species " << s;
        }
        for (int k = 1; k <= 2; ++k) {
            EXPECT_LT(relDiff(nw->Zed[k], ss->Zed[k]), 1e-4) << "humic " << k;
            if (ss->Fddl[k] > 0.0) {
                EXPECT_LT(relDiff(nw->Rddl[k], ss->Rddl[k]), 1e-4) << "humic " << k;
            }
            EXPECT_LT(relDiff(nw->Fddl[k], ss->Fddl[k]), 1e-4) << "humic " << k;
        }
        if (ss->Fclay > 0.0) {
            EXPECT_LT(relDiff(nw->Rclay, ss->Rclay), 1e-4);
        }
        EXPECT_LT(relDiff(nw->Fclay, ss->Fclay), 1e-4);
        EXPECT_LT(relDiff(nw->Fsol, ss->Fsol), 1e-4);
        EXPECT_LT(nw->Iter, ss->Iter);
    }
}

TEST(Newton, UnbufferedWatersFromPH4InAFewDozenEvaluations) {
    struct Water {
        const char* name;
        std::pair<int, double> salt[2];
        double pH;
    };
    const Water waters[] = {{"1 mM NaCl", {{2, 1e-3}, {52, 1e-3}}, 7.00},
                            {"10 mM NaCl", {{2, 1e-2}, {52, 1e-2}}, 7.00},
                            {"1 mM NaHCO3", {{2, 1e-3}, {55, 1e-3}}, 8.27},
                            {"pure water", {{2, 0.0}, {52, 0.0}}, 7.00}};
    for (const auto& w : waters) {
        SCOPED_TRACE(w.name);
        auto nw = newton({w.name, [&w](ProgramState& s) {
                              for (auto [i, t] : w.salt) s.Tot[i] = t;
                              calculatedPH(s); // the solve starts at pH 4
                          }});
        EXPECT_EQ(nw->iterr(1), 0);
        EXPECT_NEAR(nw->pH, w.pH, 0.01);
        EXPECT_LE(nw->newton.evaluations, 40);
        EXPECT_TRUE(failingTests(*nw).empty());
    }
}

TEST(Newton, SoilWhoseLayersHoldNearlyAllCationsConvergesInBoundedEvaluations) {
    auto nw = newton({"clay and humics at pH 7.5", [](ProgramState& s) {
                          soil(s);
                          s.Tclay = 50.0f;
                          s.Tha[1] = 5.0f;
                          fixedPH(s, 7.5);
                      }});
    ASSERT_EQ(nw->iterr(1), 0);
    EXPECT_LE(nw->newton.evaluations, 300);
    for (int i : {2, 4, 6}) { // Na, Mg, Ca
        fracdist(*nw, i);
        EXPECT_LT(nw->FrS, 0.05f) << "component " << i;
    }
}

TEST(Newton, HumicChargeMayCrossZeroOnTheWayToItsEquilibrium) {
    // An acid water rich in Al: the bound Al3+ turns both humics positive, while every solve
    // starts from a slightly negative charge.
    const Problem p{"acid Al water", [](ProgramState& s) {
                        s.Tot[2] = 0.01;
                        s.Tot[5] = 0.01;
                        s.Tot[52] = 0.04;
                        s.Tha[1] = s.Tha[2] = 0.05f;
                        fixedPH(s, 2.5);
                    }};
    auto ss = problem(p);
    ss->Precision = 1e-4f;
    solver(*ss);
    auto nw = newton(p);
    ASSERT_EQ(nw->iterr(1), 0);
    for (int k = 1; k <= 2; ++k) {
        EXPECT_GT(nw->Zed[k], 0.0) << "humic " << k;
        EXPECT_LT(relDiff(nw->Zed[k], ss->Zed[k]), 1e-4) << "humic " << k;
    }
    EXPECT_LT(relDiff(nw->Act[5], ss->Act[5]), 1e-4);
}

TEST(Newton, UnknownsLeaveOutWhatAnEquilibriumFixes) {
    auto st = defaultDbState();
    st->Tot[2] = 1e-3;
    st->Tot[5] = 1e-5;
    st->Tot[55] = 1e-3;
    st->Tha[2] = 0.1f;
    calculatedPH(*st);
    auto comps = [&] {
        const NewtonLayout lay = newtonLayout(*st);
        return std::vector<int>(lay.comp.begin(), lay.comp.begin() + lay.nComp);
    };
    EXPECT_EQ(comps(), (std::vector<int>{2, 5, 55}));
    NewtonLayout lay = newtonLayout(*st);
    EXPECT_EQ(lay.n, 3 + 1 + 1 + 1); // components, H+, Zed(FA), ionic strength
    EXPECT_EQ(lay.zed[1], -1);

    st->pCO2 = 3.5e-4f; // CO3 follows the CO2 pressure
    EXPECT_EQ(comps(), (std::vector<int>{2, 5}));
    st->AlPpt = "Yes"; // Al follows Al(OH)3
    EXPECT_EQ(comps(), (std::vector<int>{2}));
    fixedPH(*st, 7.0);
    EXPECT_EQ(newtonLayout(*st).h, -1);
}

TEST(Newton, CarbonateUnderAFixedCO2PressureAsTheSubstitutionSchemeHasIt) {
    const Problem p{"water under atmospheric CO2", [](ProgramState& s) {
                        s.pCO2 = 3.5e-4f;
                        calculatedPH(s);
                    }};
    auto ss = problem(p);
    ss->Precision = 1e-4f;
    solver(*ss);
    auto nw = newton(p);
    ASSERT_EQ(ss->iterr(1), 0);
    ASSERT_EQ(nw->iterr(1), 0);
    EXPECT_NEAR(nw->pH, 5.64, 0.01);
    EXPECT_NEAR(nw->pH, ss->pH, 1e-4);
    EXPECT_LT(relDiff(nw->Act[55], ss->Act[55]), 1e-4);
}

TEST(Newton, IterationLimitAndProgressAsTheSubstitutionSchemeHasThem) {
    auto st = problem({"soil", [](ProgramState& s) {
                           soil(s);
                           calculatedPH(s);
                       }});
    st->Solver = kSolverNewton;
    st->Itermax = 5;
    int shown = 0;
    st->onIter = [&shown](int) { ++shown; };
    runSolver(*st);
    EXPECT_EQ(st->iterr(1), 1);
    EXPECT_EQ(st->Iter, 6);
    EXPECT_EQ(shown, 5);
    EXPECT_FALSE(failingTests(*st).empty());
}

TEST(Newton, SweepFromThePreviousAnswerReachesTheSameEquilibrium) {
    auto cold = problem({"soil", [](ProgramState& s) {
                             soil(s);
                             fixedPH(s, 5.0);
                         }});
    cold->Solver = kSolverNewton;
    runSolver(*cold);
    auto warm = std::make_unique<ProgramState>(*cold);
    const int coldEvaluations = cold->newton.evaluations;
    cold->pH = warm->pH = 5.2;
    runSolver(*cold);
    runSolver(*warm, true);
    ASSERT_EQ(warm->iterr(1), 0);
    EXPECT_LT(warm->newton.evaluations, coldEvaluations);
    for (int j = 1; j <= cold->Nsplist; ++j) {
        const int s = cold->Splist[j];
        EXPECT_LT(relDiff(warm->Act[s], cold->Act[s]), 1e-8) << "species " << s;
    }
}

} // namespace
} // namespace kelva::test
