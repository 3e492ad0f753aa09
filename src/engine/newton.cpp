// The Newton solver over the engine state: the unknowns and residuals of one problem, the
// solve at a given precipitation state, and the complete solve with the Fe(OH)3 and Al(OH)3
// checks of the default solver.
#include "engine/newton.h"

#include "engine/engine.h"
#include "engine/enginemath.h"
#include "engine/newtonmethod.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelva {

namespace {

constexpr double kZedScale = 1e-3; // molc/g: humic charges enter the solve in these units
constexpr double kRelTol = 1e-10;  // every balance met to this relative mismatch
const double kLogTol = std::log10(1.0 + kRelTol);
constexpr double kIonicCap = 100.0; // mol/l, as the default solver caps it
constexpr double kHStep = 0.5;      // a pass moves log a(H+) by half the charge residual
constexpr double kZedStep = 0.5;
constexpr double kZedStepMin = 0.05; // and a humic charge half way to the calculated one

bool yes(const std::string& s) {
    return s == "Yes";
}
bool co2Fixed(const ProgramState& st) {
    return st.pCO2 != static_cast<float>(kNoValue);
}
double pow10(double x) {
    return std::pow(10.0, x);
}

// The iteration limit in the width of the 16-bit counter, as the default solver takes it.
int iterationLimit(const ProgramState& st) {
    return std::min(static_cast<int>(st.Itermax) + 1, static_cast<int>(std::numeric_limits<i16>::max()));
}

class StateSystem final : public NewtonSystem {
  public:
    StateSystem(ProgramState& st, const NewtonLayout& lay) : st_(st), lay_(lay) {}

    int size() const override { return lay_.n; }

    bool evaluate(const double* x, double* f) override {
        place(x);
        totcalc(st_);
        if (st_.RatioFail != 0) return false;
        return residuals(f);
    }

    // Only finite points are tried. A humic charge may cross zero: the layer's counter-charge
    // Tha |Zed| goes to zero from both sides (cations on one, anions on the other), so the
    // balances stay continuous, and an acid water rich in Al has its equilibrium beyond zero.
    bool admissible(const double* /*from*/, const double* to) const override {
        for (int j = 0; j < lay_.n; ++j)
            if (!std::isfinite(to[j])) return false;
        return true;
    }

    // Components by the ratio of their totals, H+ by the charge ratio, the humic charges half
    // way toward the calculated ones (a full step overshoots where the electrostatics are
    // strong) and the ionic strength to the calculated one.
    void startPasses() override { seen_ = false; }
    void substitute(const double* x, const double* f, double* next) override {
        for (int j = 0; j < lay_.nComp; ++j) next[j] = x[j] - f[j];
        if (lay_.h >= 0) next[lay_.h] = x[lay_.h] - kHStep * f[lay_.h];
        for (int k = 1; k <= 2; ++k) {
            const int j = lay_.zed[k];
            if (j < 0) continue;
            double w = kZedStep;
            if (seen_) {
                const double dx = x[j] - lastX_[k], df = f[j] - lastF_[k];
                const double a = (dx != 0.0) ? -df / dx : 0.0;
                if (a > 0.0 && std::isfinite(a)) w = std::clamp(1.0 / a, kZedStepMin, 1.0);
            }
            lastX_[k] = x[j];
            lastF_[k] = f[j];
            next[j] = x[j] + w * f[j];
        }
        seen_ = true;
        next[lay_.ionic] = x[lay_.ionic] + f[lay_.ionic];
    }

    bool converged(const double* x, const double* f) const override {
        for (int j = 0; j < lay_.n; ++j) {
            const bool zed = (j == lay_.zed[1] || j == lay_.zed[2]);
            const double limit = zed ? kRelTol * std::fabs(x[j]) : kLogTol;
            if (!(std::fabs(f[j]) <= limit)) return false;
        }
        return true;
    }

    bool tick() override {
        if (st_.Iter < std::numeric_limits<i16>::max()) ++st_.Iter;
        if (st_.Iter >= iterationLimit(st_)) {
            st_.setIterr(st_.currentProblem(), 1);
            return false;
        }
        // A stop request of the run ends the solve unconverged at once, passes, steps and pH
        // search alike; the run then keeps nothing of it.
        if (st_.stopRequested()) return false;
        if (st_.onIter) st_.onIter(st_.Iter);
        return true;
    }

    void start(double* x) const {
        for (int j = 0; j < lay_.nComp; ++j) {
            const int c = lay_.comp[static_cast<std::size_t>(j)];
            x[j] = st_.Act[c] > 0.0 ? Log10(st_.Act[c]) : Log10(st_.Tot[c] * 1e-6);
        }
        if (lay_.h >= 0) x[lay_.h] = Log10(st_.Act[1]);
        for (int k = 1; k <= 2; ++k)
            if (lay_.zed[k] >= 0) x[lay_.zed[k]] = st_.Zed[k] / kZedScale;
        x[lay_.ionic] = Log10(st_.Ionic);
    }

  private:
    void place(const double* x) {
        for (int j = 0; j < lay_.nComp; ++j) st_.Act[lay_.comp[static_cast<std::size_t>(j)]] = pow10(x[j]);
        if (lay_.h >= 0) {
            st_.Act[1] = pow10(x[lay_.h]);
            st_.pH = -Log10(st_.Act[1]);
        }
        // a precipitating metal follows H+ through its hydroxide
        if (st_.Tot[5] != 0.0 && yes(st_.AlPpt)) st_.Act[5] = std::pow(st_.Act[1], 3) * pow10(st_.LksAl);
        if (st_.Tot[11] != 0.0 && yes(st_.FePpt)) st_.Act[11] = std::pow(st_.Act[1], 3) * pow10(st_.LksFe);
        for (int k = 1; k <= 2; ++k)
            if (lay_.zed[k] >= 0) st_.Zed[k] = x[lay_.zed[k]] * kZedScale;
        st_.Ionic = pow10(x[lay_.ionic]);
    }

    bool residuals(double* f) const {
        for (int j = 0; j < lay_.nComp; ++j) {
            const int c = lay_.comp[static_cast<std::size_t>(j)];
            if (!(st_.Tcalc[c] > 0.0)) return false;
            f[j] = Log10(st_.Tcalc[c] / st_.Tot[c]);
        }
        if (lay_.h >= 0) {
            if (!(st_.Poschg > 0.0 && st_.Negchg > 0.0)) return false;
            f[lay_.h] = Log10(st_.Poschg / st_.Negchg);
        }
        for (int k = 1; k <= 2; ++k)
            if (lay_.zed[k] >= 0) f[lay_.zed[k]] = (st_.Zcalc[k] - st_.Zed[k]) / kZedScale;
        double ionic = 0.0;
        for (int j = 1; j <= st_.Nsplist; ++j) {
            const int s = st_.Splist[j];
            const double z = st_.SpCharge[s];
            if (st_.Conc[s] > 0.0) ionic += 0.5 * (z * z) * st_.Conc[s];
        }
        ionic = std::min(ionic, kIonicCap);
        if (!(ionic > 0.0)) return false;
        f[lay_.ionic] = Log10(ionic / st_.Ionic);
        for (int j = 0; j < lay_.n; ++j)
            if (!std::isfinite(f[j])) return false;
        return true;
    }

    ProgramState& st_;
    const NewtonLayout& lay_;
    bool seen_ = false;
    std::array<double, 3> lastX_{}, lastF_{};
};

// The unknowns of the same problem at a fixed pH: the layout without log a(H+), which sits
// right after the components.
NewtonLayout withoutH(const NewtonLayout& lay) {
    NewtonLayout f = lay;
    f.h = -1;
    f.n = lay.n - 1;
    for (int k = 1; k <= 2; ++k)
        if (f.zed[k] >= 0) --f.zed[k];
    --f.ionic;
    return f;
}

// The charge balance of a calculated-pH problem as a function of pH alone. Where Newton's
// method on the whole system crawls along a valley (a pH far from its start in a weakly
// buffered suspension), the pH is found by a bracketed search instead: at each trial pH every
// other balance is solved by the same method at that fixed pH, warm from the nearest trial,
// and log10(Poschg/Negchg) rises with a(H+).
class PHSearch {
  public:
    PHSearch(ProgramState& st, const NewtonLayout& lay)
        : st_(st), lay_(lay), fixed_(withoutH(lay)), sys_(st, fixed_) {}

    // Searches from x (the whole system's unknowns where its own steps stalled), or from the
    // start x0 when the balances cannot be solved at the pH of x; true with x at the pH found.
    bool run(double* x, const double* x0) {
        Trial a, b;
        if (!(load(x, a) && solve(a)) && !(load(x0, a) && solve(a))) return false;
        if (!bracket(a, b)) return false;
        refine(a, b);
        const Trial& best = std::fabs(a.g) < std::fabs(b.g) ? a : b;
        for (int j = 0, r = 0; j < lay_.n; ++j)
            x[j] = (j == lay_.h) ? best.u : best.x[static_cast<std::size_t>(r++)];
        return true;
    }
    int evaluations = 0;

  private:
    struct Trial {
        double u = 0.0, g = 0.0; // log10 a(H+) and the charge residual there
        std::array<double, kMaxUnknowns> x{};
    };
    bool load(const double* x, Trial& t) const {
        t.u = x[lay_.h];
        for (int j = 0, r = 0; j < lay_.n; ++j)
            if (j != lay_.h) t.x[static_cast<std::size_t>(r++)] = x[j];
        return !stopped_;
    }
    static constexpr double kFirstStep = 0.5, kLongestStep = 4.0; // decades of a(H+)
    static constexpr double kLowest = -16.0, kHighest = 1.0;      // log10 a(H+) searched
    static constexpr double kChargeTol = 1e-4;                    // the whole system takes over here
    static constexpr int kTrials = 40;
    static constexpr int kInnerSteps = 150; // passes and steps of one solve at a fixed pH

    // Solves the other balances at t.u, warm from t.x; false when that fails or the solve
    // must stop.
    bool solve(Trial& t) {
        st_.Act[1] = pow10(t.u);
        st_.pH = -Log10(st_.Act[1]);
        NewtonSettings inner;
        inner.maxSteps = kInnerSteps;
        const NewtonOutcome out = newtonMethod(sys_, t.x.data(), inner);
        evaluations += out.evaluations;
        stopped_ = stopped_ || out.stopped;
        if (!out.converged || !(st_.Poschg > 0.0 && st_.Negchg > 0.0)) return false;
        t.g = Log10(st_.Poschg / st_.Negchg);
        return std::isfinite(t.g);
    }

    // Steps away from a in the direction that lowers |g|, doubling the step, until the sign
    // of g changes between a and b.
    bool bracket(Trial& a, Trial& b) {
        const double dir = a.g > 0.0 ? -1.0 : 1.0; // more H+ means more cations
        double step = kFirstStep;
        for (int t = 0; t < kTrials && !stopped_; ++t) {
            if (std::fabs(a.g) <= kChargeTol) {
                b = a;
                return true;
            }
            b = a;
            b.u = std::clamp(a.u + dir * step, kLowest, kHighest);
            if (b.u == a.u) return false;
            if (!solve(b)) {
                step *= 0.5;
                if (step < kChargeTol) return false;
                continue;
            }
            if (a.g * b.g <= 0.0) return true;
            a = b;
            step = std::min(2.0 * step, kLongestStep);
        }
        return false;
    }

    // Regula falsi with the Illinois modification between a and b.
    void refine(Trial& a, Trial& b) {
        for (int t = 0; t < kTrials && !stopped_; ++t) {
            if (std::fabs(a.g) <= kChargeTol || std::fabs(b.g) <= kChargeTol) return;
            double u = b.u - b.g * (b.u - a.u) / (b.g - a.g);
            if (!(u > std::min(a.u, b.u) && u < std::max(a.u, b.u))) u = 0.5 * (a.u + b.u);
            Trial c = std::fabs(u - a.u) < std::fabs(u - b.u) ? a : b;
            c.u = u;
            if (!solve(c)) return;
            if (c.g * b.g < 0.0) {
                a = b;
            } else {
                a.g *= 0.5;
            }
            b = c;
        }
    }

    ProgramState& st_;
    const NewtonLayout& lay_;
    NewtonLayout fixed_;
    StateSystem sys_;
    bool stopped_ = false;
};

// While set, speciate balances the diffuse layers exactly.
class ExactRatios {
  public:
    explicit ExactRatios(ProgramState& st) : st_(st), was_(st.newton.exactRatios) {
        st.newton.exactRatios = true;
    }
    ~ExactRatios() { st_.newton.exactRatios = was_; }
    ExactRatios(const ExactRatios&) = delete;
    ExactRatios& operator=(const ExactRatios&) = delete;

  private:
    ProgramState& st_;
    bool was_;
};

// The previous answer as the start: component activities, H+ when pH is calculated, the
// humic charges, the ionic strength and the layer ratios; the rest as the default start.
void startFromPrevious(ProgramState& st) {
    const auto act = st.Act;
    const auto zed = st.Zed;
    const auto rddl = st.Rddl;
    const double ionic = st.Ionic, rclay = st.Rclay;
    setStartValues(st);
    auto usable = [](double v) { return v > 0.0 && std::isfinite(v); };
    for (int i = 2; i <= kMaxComponent - 1; ++i)
        if (i != 51 && st.Tot[i] > 0.0 && usable(act[i])) st.Act[i] = act[i];
    if (!yes(st.PhFixed) && usable(act[1])) st.Act[1] = act[1];
    for (int k = 1; k <= 2; ++k)
        if (std::isfinite(zed[k]) && zed[k] != 0.0) st.Zed[k] = zed[k];
    if (usable(ionic)) st.Ionic = ionic;
    for (int k = 1; k <= 2; ++k)
        if (usable(rddl[k])) st.Rddl[k] = rddl[k];
    if (usable(rclay)) st.Rclay = rclay;
}

} // namespace

NewtonLayout newtonLayout(const ProgramState& st) {
    NewtonLayout lay;
    for (int i = 2; i < kMaxComponent; ++i) {
        if (i == 51 || !(st.Tot[i] > 0.0)) continue;
        if (i == 55 && co2Fixed(st)) continue;  // CO3 follows the CO2 pressure and pH
        if (i == 5 && yes(st.AlPpt)) continue;  // Al follows Al(OH)3 and pH
        if (i == 11 && yes(st.FePpt)) continue; // Fe follows Fe(OH)3 and pH
        lay.comp[static_cast<std::size_t>(lay.nComp++)] = i;
    }
    lay.n = lay.nComp;
    if (!yes(st.PhFixed)) lay.h = lay.n++;
    for (int k = 1; k <= 2; ++k)
        if (st.Tha[k] > 0.0f) lay.zed[static_cast<std::size_t>(k)] = lay.n++;
    lay.ionic = lay.n++;
    return lay;
}

void newtonIterate(ProgramState& st) {
    const NewtonLayout lay = newtonLayout(st);
    StateSystem sys(st, lay);
    std::array<double, kMaxUnknowns> x{};
    sys.start(x.data());
    const std::array<double, kMaxUnknowns> x0 = x;
    NewtonSettings first;
    first.giveUpWhenStalled = lay.h >= 0; // a calculated pH has the pH search to fall back on
    NewtonOutcome out = newtonMethod(sys, x.data(), first);
    st.newton.evaluations += out.evaluations;
    if (!out.converged && !out.stopped && lay.h >= 0) {
        PHSearch search(st, lay);
        const bool found = search.run(x.data(), x0.data());
        st.newton.evaluations += search.evaluations;
        if (found) {
            out = newtonMethod(sys, x.data());
            st.newton.evaluations += out.evaluations;
        }
    }
    if (!out.converged) st.setIterr(st.currentProblem(), 1);
}

void newtonSolver(ProgramState& st, bool fromPrevious) {
    ExactRatios exact(st);
    st.setIterr(st.currentProblem(), 0);
    st.SiAl = st.SiFe = 0.0;
    if (fromPrevious)
        startFromPrevious(st);
    else
        setStartValues(st);
    makelist(st);
    st.Iter = 0;
    st.AlPpt = "No";
    st.FePpt = "No";
    st.newton.evaluations = 0;
    const double q = static_cast<double>(st.Precision / 100.0f);
    st.Tol = static_cast<float>(q * q);
    newtonIterate(st);
    precipitationChecks(st, newtonIterate);
    // Whatever the method reached, the result is judged by the default solver's own tests.
    if (st.RatioFail != 0 || !failingTests(st).empty()) st.setIterr(st.currentProblem(), 1);
}

void runSolver(ProgramState& st, bool fromPrevious) {
    if (st.Solver == kSolverNewton)
        newtonSolver(st, fromPrevious);
    else
        solver(st);
}

} // namespace kelva
