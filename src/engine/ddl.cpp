// The diffuse double layers: the water of the suspension is split over bulk solution and the
// layers of HA, FA and clay, and in each layer the ratio R is found at which the counter-ions
// (bulk concentration x selectivity x R^z) carry exactly the particle's counter-charge.
#include "engine/engine.h"
#include "engine/enginemath.h"

#include <array>
#include <cmath>

namespace kelva {

namespace {

constexpr double kDebye = 3.04e-10;  // m, Debye length at I = 1
constexpr double kFourPiThird = 4.19;
constexpr double kAvogadro = 6e23;
constexpr double kLitresPerM3 = 1000.0;

// A ratio loop normally balances its layer in a few passes (the ratio starts from the last
// evaluation's value); the cap only stops a layer that cannot be balanced at all.
constexpr int kRatioPassCap = 1000;

constexpr int kFailHA = 1, kFailFA = 2, kFailClay = 4;

double debyeLength(double ionic) { return kDebye / std::sqrt(ionic); }


// Iterates the ratio r until the layer's charge sum S (single precision, computed by `fill`
// for a given r) meets D: r moves to the mean of itself and r D/S. The path may lead through
// negative ratios (the first evaluation of a clay layer starts with the anions at their totals
// and the cations at a millionth of theirs, so S < 0) and back. The loop stops only when the
// layer balances, when S is exactly 0 (nothing carries the counter-charge), when a value is not
// finite (r keeps its last finite value) or at the cap. Returns whether the layer balanced at a
// positive ratio.
template <class Fill>
bool balanceRatio(double& r, double d, float tol, Fill fill) {
    for (int pass = 0; pass < kRatioPassCap; ++pass) {
        const double s = fill(r);
        if (s == 0.0 || !std::isfinite(s)) return false;
        const double mismatch = std::pow(2.0 * (d - s) / (s + d), 2);
        if (!std::isfinite(mismatch)) return false;
        if (mismatch < tol) return r > 0.0;
        const double next = (r * d / s + r) / 2.0;
        if (!std::isfinite(next)) return false;
        r = next;
    }
    return false;
}

// Fills the layer concentrations layer[s] = r^(sign z) T(s) of the listed species the layer
// holds (every species, or those with sign z >= 0: counter-ions and neutral species) and
// returns their charge sum, sign z layer[s], accumulated in single precision.
float fillLayer(const ProgramState& st, double r, const std::array<double, kMaxSpecies + 1>& t, double* layer,
                int sign, bool allCharges) {
    float s = 0.0f;
    PerCharge power([r](int z) { return std::pow(r, z); }); // r^z, once per charge
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int sp = st.Splist[j];
        const int z = st.SpCharge[sp];
        if (!allCharges && sign * z < 0) continue;
        layer[sp] = power(sign * z) * t[sp];
        s = static_cast<float>(s + sign * z * layer[sp]);
    }
    return s;
}

} // namespace

void watersplit(ProgramState& st) {
    const double kappa = debyeLength(st.Ionic);
    for (int k = 1; k <= 2; ++k) {
        if (st.Tha[k] == 0.0f) {
            st.Vddl[k] = 0.0;
            continue;
        }
        const double rad = st.Radius[k];
        st.Vddlsp[k] =
            kFourPiThird * (std::pow(rad + kappa, 3) - std::pow(rad, 3)) * kAvogadro * kLitresPerM3 / st.Molwt[k];
        st.Vddl[k] = st.Tha[k] * st.Vddlsp[k];
        const double q = std::fabs(st.Zed[k]) * st.Kzed; // a weakly charged humic has a thin layer
        st.Vddl[k] = st.Vddl[k] * q / (1.0 + q);
    }
    const double vclay = (st.Tclay != 0.0f) ? st.Tclay * 1000.0 * st.Saclay * kappa : 0.0;
    // Without any layer all water is bulk solution (also when the overlap factor is 0).
    const double layers = st.Vddl[1] + st.Vddl[2] + vclay;
    const double vt = (layers == 0.0) ? 1.0 : 1.0 + layers / st.Dlf;
    for (int k = 1; k <= 2; ++k) st.Fddl[k] = (st.Tha[k] != 0.0f) ? st.Vddl[k] / vt : 0.0;
    st.Fclay = vclay / vt;
    st.Fsol = 1.0 - st.Fddl[1] - st.Fddl[2] - st.Fclay;
}

void ddlhs(ProgramState& st, int k) {
    std::array<double, kMaxSpecies + 1> t{};
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        st.Cddl(k, s) = 0.0;
        t[s] = static_cast<double>(st.SpKselHS[s]) * st.Conc[s];
    }
    // A layer without water (an uncharged humic, or a database without layers: KZ = 0) holds
    // nothing.
    if (st.Fddl[k] == 0.0) return;
    const double d = -(st.Tha[k] * st.Zed[k]) / st.Fddl[k];
    // A negative humic holds cations (and neutral species at R^0 = 1); a positive one anions.
    const int sign = (d >= 0.0) ? 1 : -1;
    const double target = sign * d;
    double* layer = st.Cddl.row(k);
    auto fill = [&](double r) { return fillLayer(st, r, t, layer, sign, false); };
    if (!balanceRatio(st.Rddl[k], target, st.Tol, fill)) st.RatioFail |= (k == 1 ? kFailHA : kFailFA);
}

void ddlclay(ProgramState& st) {
    std::array<double, kMaxSpecies + 1> t{};
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        st.Cclay[s] = 0.0;
        t[s] = static_cast<double>(st.SpKselClay[s]) * st.Conc[s];
    }
    if (st.Fclay == 0.0) return; // no clay surface, no layer
    const double d = st.Eqclay * st.Tclay / st.Fclay;
    // Every listed species is in the clay layer; anions at a reduced concentration (R^z < 1).
    auto fill = [&](double r) { return fillLayer(st, r, t, &st.Cclay[0], 1, true); };
    if (!balanceRatio(st.Rclay, d, st.Tol, fill)) st.RatioFail |= kFailClay;
}

} // namespace kelva
