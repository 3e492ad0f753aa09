// The diffuse layers balanced exactly, in double precision, for the Newton solver: the ratio R
// of a layer is the root of S(R) = sum over charges z of z R^z t(z) = D, where t(z) sums the
// selectivity-weighted bulk concentrations of the layer's species of charge z. S rises
// monotonically with R, so Newton's method on u = ln R, kept inside a bisection bracket, finds
// the root to rounding and R stays positive whatever the mix of cations and anions. The
// damped loop of the default solver stops at its tolerance in single precision, which would
// make a finite-difference Jacobian noise.
#include "engine/engine.h"
#include "engine/newton.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kelva {

namespace {

constexpr int kRatioPassCap = 200; // the root is usually found in well under ten passes
constexpr double kReach = 10.0;    // largest ln R step beyond an open end of the bracket
constexpr double kRounding = 8.0 * std::numeric_limits<double>::epsilon(); // S balanced to rounding

constexpr int kFailHA = 1, kFailFA = 2, kFailClay = 4;

struct Layer {
    double s = 0.0, ds = 0.0; // S(u) and dS/du
    double size = 0.0;        // sum of the magnitudes of the terms of S, for its rounding error
};

Layer layerSum(const RatioSums& t, double u) {
    Layer l;
    for (int z = -RatioSums::kMaxCharge; z <= RatioSums::kMaxCharge; ++z) {
        const double tz = t.at(z);
        if (tz == 0.0 || z == 0) continue;
        const double term = z * std::exp(z * u) * tz;
        l.s += term;
        l.ds += z * term;
        l.size += std::fabs(term);
    }
    return l;
}

// Whether some R > 0 balances d: S runs from 0 (no anions) or -inf up to 0 (no cations) or +inf.
bool reachable(const RatioSums& t, double d) {
    bool cations = false, anions = false;
    for (int z = 1; z <= RatioSums::kMaxCharge; ++z) {
        cations = cations || t.at(z) > 0.0;
        anions = anions || t.at(-z) > 0.0;
    }
    if (d > 0.0) return cations;
    if (d < 0.0) return anions;
    return cations && anions;
}

// The next u: Newton's step (on ln S where S and D are positive, so that a layer dominated by
// one charge is solved in a single step), at most kReach beyond an open end of the bracket,
// or the bracket's midpoint when the step leaves it.
double nextU(double u, double d, const Layer& l, double lo, double hi) {
    double next = (l.s > 0.0 && d > 0.0) ? u - std::log(l.s / d) * l.s / l.ds : u - (l.s - d) / l.ds;
    if (!std::isfinite(hi)) return std::isfinite(next) ? std::clamp(next, lo, u + kReach) : u + kReach;
    if (!std::isfinite(lo)) return std::isfinite(next) ? std::clamp(next, u - kReach, hi) : u - kReach;
    if (std::isfinite(next) && next > lo && next < hi) return next;
    return lo + 0.5 * (hi - lo);
}

void fill(const ProgramState& st, double u, int sign, bool allCharges, const Arr<Num, kMaxSpecies>& ksel,
          double* layer) {
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        const int z = sign * st.SpCharge[s];
        if (!allCharges && z < 0) continue;
        layer[s] = std::exp(z * u) * static_cast<double>(ksel[s]) * st.Conc[s];
    }
}

} // namespace

double& RatioSums::at(int z) {
    return t[static_cast<std::size_t>(z + kMaxCharge)];
}
double RatioSums::at(int z) const {
    return t[static_cast<std::size_t>(z + kMaxCharge)];
}

bool solveRatio(const RatioSums& t, double d, double& r) {
    if (!std::isfinite(d) || !reachable(t, d)) return false;
    const double inf = std::numeric_limits<double>::infinity();
    double lo = -inf, hi = inf;
    const double u0 = (r > 0.0 && std::isfinite(r)) ? std::log(r) : std::log(10.0);
    double u = u0;
    for (int pass = 0; pass < kRatioPassCap; ++pass) {
        const Layer l = layerSum(t, u);
        const double res = l.s - d;
        if (!std::isfinite(res)) return false;
        // The residual decides first: a balance to rounding ends here, and only a point
        // whose residual is known moves the bracket.
        if (std::fabs(res) <= kRounding * (l.size + std::fabs(d))) break;
        if (res < 0.0)
            lo = u;
        else
            hi = u;
        const double next = nextU(u, d, l, lo, hi);
        if (!(next > lo && next < hi)) break; // the bracket has closed to rounding
        u = next;
    }
    if (u != u0 || !(r > 0.0 && std::isfinite(r))) r = std::exp(u); // a balanced start stays as it was
    return true;
}

bool ddlhsExact(ProgramState& st, int k) {
    for (int j = 1; j <= st.Nsplist; ++j) st.Cddl(k, st.Splist[j]) = 0.0;
    if (st.Fddl[k] == 0.0) return true; // an uncharged humic has no layer
    const double d = -(st.Tha[k] * st.Zed[k]) / st.Fddl[k];
    // A negative humic holds cations (and neutral species at R^0 = 1); a positive one anions.
    const int sign = (d >= 0.0) ? 1 : -1;
    RatioSums t;
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        const int z = sign * st.SpCharge[s];
        if (z < 0) continue;
        if (z > RatioSums::kMaxCharge) return false;
        t.at(z) += static_cast<double>(st.SpKselHS[s]) * st.Conc[s];
    }
    if (!solveRatio(t, sign * d, st.Rddl[k])) {
        st.RatioFail |= (k == 1 ? kFailHA : kFailFA);
        return false;
    }
    fill(st, std::log(st.Rddl[k]), sign, false, st.SpKselHS, st.Cddl.row(k));
    return true;
}

bool ddlclayExact(ProgramState& st) {
    for (int j = 1; j <= st.Nsplist; ++j) st.Cclay[st.Splist[j]] = 0.0;
    if (st.Fclay == 0.0) return true; // no clay surface, no layer
    const double d = st.Eqclay * st.Tclay / st.Fclay;
    RatioSums t;
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        const int z = st.SpCharge[s];
        if (std::abs(z) > RatioSums::kMaxCharge) return false;
        t.at(z) += static_cast<double>(st.SpKselClay[s]) * st.Conc[s];
    }
    if (!solveRatio(t, d, st.Rclay)) {
        st.RatioFail |= kFailClay;
        return false;
    }
    fill(st, std::log(st.Rclay), 1, true, st.SpKselClay, &st.Cclay[0]);
    return true;
}

} // namespace kelva
