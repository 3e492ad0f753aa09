// The damped Newton method over a NewtonSystem. Nothing is allocated once the solve runs: the
// work vectors and matrices are sized when the method starts.
#include "engine/newtonmethod.h"

#include "engine/denselu.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace kelva {

namespace {

// Substitution passes
constexpr double kSlowPass = 0.8;  // a pass that keeps more of the merit than this ...
constexpr double kWalk = 0.1;      // ... and moves no unknown by this much is slow;
constexpr int kSlowPasses = 2;     // this many slow passes in a row end the passes
constexpr int kNoBest = 4;         // passes without a new best that stay near it are cycling
constexpr double kDiverge = 4.0;   // a pass that raises the merit above this times the best diverges
constexpr double kAligned = 0.9;   // passes whose steps keep their direction (cosine) ...
constexpr double kStretchMax = 32; // ... are stretched, doubling up to this factor

// Newton and Levenberg-Marquardt steps
constexpr double kArmijo = 1e-4; // share of the predicted decrease a step must achieve
constexpr int kLineSearchTries = 12;
constexpr double kFailedShrink = 0.25; // step factor after a failed evaluation
constexpr double kStall = 0.9;         // a step that keeps more of the merit than this stalls
constexpr int kStallsBeforeLM = 3;
constexpr double kProgress = 0.5; // the merit must halve within ...
constexpr int kStallLimit = 10;   // ... this many steps, or the steps have stalled
constexpr double kMuStart = 1e-3, kMuMin = 1e-12, kMuMax = 1e10;
constexpr double kFdStep = 1e-7; // relative forward-difference step

class Method {
  public:
    Method(NewtonSystem& sys, double* x, const NewtonSettings& set)
        : sys_(sys), x_(x), n_(sys.size()), set_(set), f_(vec()), xt_(vec()), ft_(vec()), d_(vec()),
          g_(vec()), xb_(vec()), fb_(vec()), sp_(vec()), spPrev_(vec()), j_(vec() * vec()),
          lu_(vec() * vec()), piv_(vec()) {}

    // Rounds of substitution passes and Newton steps: where the steps stall, the next round
    // of passes walks on from there (or the caller takes over when it has another way).
    NewtonOutcome run() {
        if (!eval(x_, f_.data())) return out_; // no usable start
        phi_ = merit(f_.data());
        for (;;) {
            passes();
            newton();
            if (!out_.stalled || set_.giveUpWhenStalled || out_.stopped || !budget()) break;
            out_.stalled = false;
        }
        if (!atX_) eval(x_, f_.data());
        out_.converged = sys_.converged(x_, f_.data());
        return out_;
    }

  private:
    std::size_t vec() const { return static_cast<std::size_t>(std::max(n_, 1)); }
    std::size_t idx(int r, int c) const { return static_cast<std::size_t>(r * n_ + c); }
    bool budget() const { return out_.passes + out_.steps < set_.maxSteps; }

    bool eval(const double* x, double* f) {
        ++out_.evaluations;
        atX_ = (x == x_);
        if (sys_.evaluate(x, f)) return true;
        ++out_.failedEvaluations;
        atX_ = false;
        return false;
    }
    // A trial point of a step: an inadmissible one counts as a failed evaluation.
    bool trial(const double* x, double* f) {
        if (sys_.admissible(x_, x)) return eval(x, f);
        ++out_.failedEvaluations;
        return false;
    }
    double merit(const double* f) const {
        double s = 0.0;
        for (int i = 0; i < n_; ++i) s += f[i] * f[i];
        return 0.5 * s;
    }
    bool tick() {
        if (sys_.tick()) return true;
        out_.stopped = true;
        return false;
    }
    // Moves to the point xt_ with residuals ft_ (where the system was last evaluated).
    void take(double phi) {
        std::copy(xt_.begin(), xt_.begin() + n_, x_);
        std::copy(ft_.begin(), ft_.begin() + n_, f_.begin());
        phi_ = phi;
        atX_ = true;
    }
    void keepBest() {
        std::copy(x_, x_ + n_, xb_.begin());
        std::copy(f_.begin(), f_.begin() + n_, fb_.begin());
    }
    double distanceFromBest() const {
        double d = 0.0;
        for (int i = 0; i < n_; ++i) d = std::max(d, std::fabs(x_[i] - xb_[i]));
        return d;
    }
    double cosine(const std::vector<double>& a, const std::vector<double>& b) const {
        double ab = 0.0, aa = 0.0, bb = 0.0;
        for (int i = 0; i < n_; ++i) {
            ab += a[i] * b[i];
            aa += a[i] * a[i];
            bb += b[i] * b[i];
        }
        return (aa > 0.0 && bb > 0.0) ? ab / std::sqrt(aa * bb) : 0.0;
    }

    // The next pass point in xt_: the system's substitution step, stretched by omega (at most
    // maxStep per unknown) while the steps keep their direction and the merit falls.
    void passPoint(double& omega, bool& havePrev, bool improved) {
        sys_.substitute(x_, f_.data(), xt_.data());
        for (int i = 0; i < n_; ++i) sp_[i] = xt_[i] - x_[i];
        if (havePrev) {
            const double c = cosine(sp_, spPrev_);
            if (c > kAligned && improved)
                omega = std::min(2.0 * omega, kStretchMax);
            else if (c < kAligned)
                omega = 1.0;
        }
        spPrev_ = sp_;
        havePrev = true;
        double scale = omega, big = 0.0;
        for (int i = 0; i < n_; ++i) big = std::max(big, std::fabs(omega * sp_[i]));
        if (omega > 1.0 && big > set_.maxStep) scale = std::max(1.0, scale * set_.maxStep / big);
        for (int i = 0; i < n_; ++i) xt_[i] = x_[i] + scale * sp_[i];
        omega = scale;
    }

    // Substitution passes while they converge, or walk a flat direction; the solve goes on
    // from the best point they reached.
    void passes() {
        keepBest();
        double best = phi_, omega = 1.0;
        int slow = 0, sinceBest = 0;
        bool havePrev = false, improved = false;
        sys_.startPasses();
        for (int p = 0; p < set_.maxPasses && budget() && !out_.stopped; ++p) {
            if (sys_.converged(x_, f_.data()) || !tick()) break;
            ++out_.passes;
            passPoint(omega, havePrev, improved);
            const bool ok = eval(xt_.data(), ft_.data());
            const double phi = ok ? merit(ft_.data()) : 0.0;
            if (!ok || phi > kDiverge * best) {
                if (omega > 1.0) { // too long a stride: plain passes again from here
                    omega = 1.0;
                    havePrev = false;
                    continue;
                }
                break; // the passes fail or diverge
            }
            double moved = 0.0;
            for (int i = 0; i < n_; ++i) moved = std::max(moved, std::fabs(xt_[i] - x_[i]));
            slow = (moved < kWalk && phi > kSlowPass * phi_) ? slow + 1 : 0;
            improved = phi <= phi_;
            take(phi);
            if (phi < best) {
                best = phi;
                sinceBest = 0;
                keepBest();
            } else {
                ++sinceBest;
            }
            // Passes that no longer improve on the best and stay near it are cycling; passes
            // that walk away from it may be following a flat direction.
            if (slow >= kSlowPasses || (sinceBest >= kNoBest && distanceFromBest() < kWalk * sinceBest))
                break;
        }
        if (best < phi_) {
            std::copy(xb_.begin(), xb_.begin() + n_, x_);
            std::copy(fb_.begin(), fb_.begin() + n_, f_.begin());
            phi_ = best;
            atX_ = false;
        }
    }

    // Forward differences, backward where the forward point cannot be evaluated.
    void jacobian() {
        for (int c = 0; c < n_; ++c) {
            std::copy(x_, x_ + n_, xt_.begin());
            const double h = kFdStep * std::max(1.0, std::fabs(x_[c]));
            xt_[c] = x_[c] + h;
            bool ok = trial(xt_.data(), ft_.data());
            if (!ok) {
                xt_[c] = x_[c] - h;
                ok = trial(xt_.data(), ft_.data());
            }
            const double dx = xt_[c] - x_[c];
            for (int r = 0; r < n_; ++r) j_[idx(r, c)] = ok ? (ft_[r] - f_[r]) / dx : 0.0;
        }
        atX_ = false;
        haveJ_ = fresh_ = true;
    }

    // Broyden's update after a good step d_ with residual change ft_ - f_:
    // J += (y - J s) s' / (s' s).
    void broyden() {
        double ss = 0.0;
        for (int i = 0; i < n_; ++i) ss += d_[i] * d_[i];
        if (!(ss > 0.0)) return;
        for (int r = 0; r < n_; ++r) {
            double js = 0.0;
            for (int c = 0; c < n_; ++c) js += j_[idx(r, c)] * d_[c];
            const double k = (ft_[r] - f_[r] - js) / ss;
            for (int c = 0; c < n_; ++c) j_[idx(r, c)] += k * d_[c];
        }
        fresh_ = false;
    }

    // The slope of the merit along d_ at x_ as the Jacobian predicts it: (J' f) . d.
    double slope() const {
        double sl = 0.0;
        for (int r = 0; r < n_; ++r) {
            double jd = 0.0;
            for (int c = 0; c < n_; ++c) jd += j_[idx(r, c)] * d_[c];
            sl += f_[r] * jd;
        }
        return sl;
    }

    // Limits the step d_ so that no unknown moves by more than maxStep: each larger change is
    // clipped while the clipped step still descends (one unknown far off, such as the pH of
    // an unbuffered water, then does not hold the others back); otherwise the whole step is
    // scaled. Returns the predicted slope along the step; NaN when the step is not finite.
    double limitStep() {
        double big = 0.0;
        for (int i = 0; i < n_; ++i) big = std::max(big, std::fabs(d_[i]));
        if (!std::isfinite(big)) return std::numeric_limits<double>::quiet_NaN();
        if (big <= set_.maxStep) return slope();
        std::copy(d_.begin(), d_.end(), g_.begin());
        for (int i = 0; i < n_; ++i) d_[i] = std::clamp(d_[i], -set_.maxStep, set_.maxStep);
        const double clipped = slope();
        if (clipped < 0.0) return clipped;
        for (int i = 0; i < n_; ++i) d_[i] = g_[i] * set_.maxStep / big;
        return slope();
    }

    // Accepts the trial point xt_ reached by step lambda d_; a full step updates the
    // Jacobian by Broyden's formula, a shortened one asks for a fresh one.
    void accept(double lambda, double phi) {
        for (int i = 0; i < n_; ++i) d_[i] = xt_[i] - x_[i];
        if (lambda == 1.0)
            broyden();
        else
            haveJ_ = false;
        take(phi);
    }

    // A Newton step with Armijo backtracking; failed evaluations shorten the step.
    bool newtonStep() {
        lu_ = j_;
        if (!luFactor(lu_.data(), n_, piv_.data())) return false;
        for (int i = 0; i < n_; ++i) d_[i] = -f_[i];
        luSolve(lu_.data(), n_, piv_.data(), d_.data());
        const double sl = limitStep();
        if (!(sl < 0.0)) return false;
        double lambda = 1.0;
        for (int t = 0; t < kLineSearchTries; ++t) {
            for (int i = 0; i < n_; ++i) xt_[i] = x_[i] + lambda * d_[i];
            if (!trial(xt_.data(), ft_.data())) {
                lambda *= kFailedShrink;
                continue;
            }
            const double phi = merit(ft_.data());
            if (phi <= phi_ + kArmijo * lambda * sl) {
                accept(lambda, phi);
                return true;
            }
            // minimum of the quadratic through phi(0), phi'(0) and phi(lambda)
            const double q = -sl * lambda * lambda / (2.0 * (phi - phi_ - sl * lambda));
            lambda = std::clamp(q, 0.1 * lambda, 0.5 * lambda);
        }
        return false;
    }

    // A Levenberg-Marquardt step: (J'J + mu diag(J'J)) d = -J'f.
    bool lmStep() {
        double top = 0.0;
        for (int r = 0; r < n_; ++r) {
            double g = 0.0;
            for (int k = 0; k < n_; ++k) g += j_[idx(k, r)] * f_[k];
            g_[r] = g;
            for (int c = 0; c < n_; ++c) {
                double a = 0.0;
                for (int k = 0; k < n_; ++k) a += j_[idx(k, r)] * j_[idx(k, c)];
                lu_[idx(r, c)] = a;
            }
            top = std::max(top, lu_[idx(r, r)]);
        }
        for (int r = 0; r < n_; ++r) lu_[idx(r, r)] += mu_ * std::max(lu_[idx(r, r)], 1e-12 * top);
        if (!luFactor(lu_.data(), n_, piv_.data())) return false;
        for (int i = 0; i < n_; ++i) d_[i] = -g_[i];
        luSolve(lu_.data(), n_, piv_.data(), d_.data());
        if (!std::isfinite(limitStep())) return false;
        for (int i = 0; i < n_; ++i) xt_[i] = x_[i] + d_[i];
        if (!trial(xt_.data(), ft_.data())) return false;
        const double phi = merit(ft_.data());
        if (!(phi < phi_)) return false;
        mu_ = std::max(mu_ * 0.1, kMuMin);
        accept(1.0, phi);
        return true;
    }

    // Newton steps, Levenberg-Marquardt steps after stalled ones, until convergence, the
    // budget, a stop, or no progress over kStallLimit steps.
    void newton() {
        bool lm = false;
        int stalls = 0, sinceProgress = 0;
        double reference = phi_;
        haveJ_ = false;
        while (!out_.stopped && !sys_.converged(x_, f_.data()) && budget()) {
            if (phi_ < kProgress * reference) {
                reference = phi_;
                sinceProgress = 0;
            } else if (sinceProgress++ >= kStallLimit || (lm && mu_ > kMuMax)) {
                out_.stalled = true; // crawling along a valley
                return;
            }
            if (!tick()) return;
            if (!haveJ_) jacobian();
            ++out_.steps;
            const double before = phi_;
            const bool ok = lm ? lmStep() : newtonStep();
            if (ok) {
                stalls = (phi_ > kStall * before) ? stalls + 1 : 0;
            } else if (!fresh_) {
                haveJ_ = false; // an updated Jacobian misled the step: take a fresh one
                continue;
            } else if (lm) {
                mu_ *= 10.0;
                ++stalls;
            } else {
                stalls = kStallsBeforeLM; // no descent along the Newton direction at all
            }
            if (!lm && stalls >= kStallsBeforeLM) {
                lm = true;
                mu_ = kMuStart;
                stalls = 0;
            }
        }
    }

    NewtonSystem& sys_;
    double* x_;
    int n_;
    NewtonSettings set_;
    std::vector<double> f_, xt_, ft_, d_, g_, xb_, fb_, sp_, spPrev_;
    std::vector<double> j_, lu_;
    std::vector<int> piv_;
    double phi_ = 0.0;
    double mu_ = kMuStart;
    bool atX_ = false, haveJ_ = false, fresh_ = false;
    NewtonOutcome out_;
};

} // namespace

NewtonOutcome newtonMethod(NewtonSystem& sys, double* x, const NewtonSettings& settings) {
    Method m(sys, x, settings);
    return m.run();
}

} // namespace kelva
