// Binding of protons and metals to one humic substance at its 8 monodentate sites and 12
// bidentate pairs, competitive with protons, every constant corrected by the electrostatic
// factor exp(2 w Zed dz) with w = P log10 I. The electrostatics use the assumed charge Zed;
// the charge that the binding produces is Zcalc.
#include "engine/engine.h"
#include "engine/enginemath.h"

#include <array>
#include <cmath>
#include <limits>

namespace kelva {

namespace {

constexpr double kFlagMarker = 100.0; // "the opposite direction was found last time"


// The competitive share-out of one site or pair: species s takes term(s) / (1 + sum of the
// terms) of it, and holds that share times the density (mol/g). Returns the summed shares SF
// and their charge ZF.
struct Shares {
    double sf = 0.0, zf = 0.0;
};
Shares shareOut(const ProgramState& st, const double* term, double* bound, double density) {
    double d = 1.0;
    for (int j = 1; j <= st.Nhslist; ++j) d = d + term[st.Hslist[j]];
    Shares sh;
    for (int j = 1; j <= st.Nhslist; ++j) {
        const int s = st.Hslist[j];
        const double f = term[s] / d;
        bound[s] = f * density;
        sh.sf = sh.sf + f;
        sh.zf = sh.zf + st.SpCharge[s] * f;
    }
    return sh;
}

// Bound amount of each binding species summed over the n sites or pairs of `rows`.
template <class Rows> void sumOver(const ProgramState& st, const Rows& rows, int n, double* total) {
    for (int j = 1; j <= st.Nhslist; ++j) {
        const int s = st.Hslist[j];
        double t = 0.0;
        for (int r = 1; r <= n; ++r) t = t + rows(r, s);
        total[s] = t;
    }
}

// Pairs: a bound species replaces two protons, so it carries exp((2 - z) g) / H^2.
void bidentate(ProgramState& st, int k, double g, double h) {
    auto& c = st.cache.humic.write();
    auto& sc = c.scratch;
    std::array<double, kMaxSpecies + 1> a2{};
    // exp((2 - z) g) depends on the charge only
    PerCharge factor([g](int z) { return std::exp((2 - z) * g); });
    const double h2 = std::pow(h, 2);
    for (int j = 1; j <= st.Nhslist; ++j) {
        const int s = st.Hslist[j];
        a2[s] = st.Act[s] * factor(st.SpCharge[s]) / h2;
    }
    const int nosite = st.Nosite < 3 ? st.Nosite : 3;
    for (int p = 1; p <= 12; ++p) {
        const int a = st.Pair(p, 1), b = st.Pair(p, 2);
        const double pa = st.Prot[a], pb = st.Prot[b];
        // term(s, m) = Hetfrac(m) KM_m(a) KM_m(b) A2(s) Prot(a) Prot(b), the constant part
        // taken from the table makelist prepared; classes above Nosite add 0
        for (int j = 1; j <= st.Nhslist; ++j) {
            const int s = st.Hslist[j];
            const double t1 = c.pairK1(k, p, s) * a2[s] * pa * pb;
            const double t2 = nosite >= 2 ? c.pairK2(k, p, s) * a2[s] * pa * pb : 0.0;
            const double t3 = nosite >= 3 ? c.pairK3(k, p, s) * a2[s] * pa * pb : 0.0;
            sc.pairSum[s] = t1 + t2 + t3;
        }
        const auto [sf, zf] = shareOut(st, &sc.pairSum[0], sc.pairBound.row(p), st.PairDen(k, p));
        sc.pairCharge[p] = (2.0 * pa * pb * (1.0 - sf) + (1.0 - pb) * pa * (1.0 - sf) + (1.0 - pa) * pb * (1.0 - sf) +
                            zf - 2.0) *
                           st.PairDen(k, p);
    }
    sumOver(st, sc.pairBound, 12, &sc.pairTotal[0]);
}

// Single sites: a bound species replaces one proton; only class 1 binds here, unweighted.
void monodentate(ProgramState& st, int k, double g, double h) {
    auto& sc = st.cache.humic.write().scratch;
    std::array<double, kMaxSpecies + 1> a1{};
    PerCharge factor([g](int z) { return std::exp((1 - z) * g); });
    for (int j = 1; j <= st.Nhslist; ++j) {
        const int s = st.Hslist[j];
        a1[s] = st.Act[s] * factor(st.SpCharge[s]) / h;
    }
    for (int i = 1; i <= 8; ++i) {
        const double prot = st.Prot[i];
        for (int j = 1; j <= st.Nhslist; ++j) {
            const int s = st.Hslist[j];
            sc.siteTerm[s] = a1[s] * prot * st.KMsite1(k, i, s);
        }
        const auto [sf, zf] = shareOut(st, &sc.siteTerm[0], sc.siteBound.row(i), st.SiteDen(k, i));
        sc.siteCharge[i] = ((1.0 - sf) * prot + zf - 1.0) * st.SiteDen(k, i);
    }
    sumOver(st, sc.siteBound, 8, &sc.siteTotal[0]);
}

// Direction flags of the fixed-pH charge search: the step shrinks by 0.8 at every change of
// direction (and once at the first call, since both flags start at the marker).
void searchFlags(ProgramState& st, int k) {
    if (st.Zcalc[k] <= st.Zed[k]) {
        if (st.Zup[k] == kFlagMarker) st.Zstep[k] = 0.8 * st.Zstep[k];
        st.Zup[k] = st.Zed[k] - st.Zcalc[k];
        st.Zdown[k] = kFlagMarker;
    } else {
        if (st.Zdown[k] == kFlagMarker) st.Zstep[k] = 0.8 * st.Zstep[k];
        st.Zdown[k] = st.Zcalc[k] - st.Zed[k];
        st.Zup[k] = kFlagMarker;
    }
}

} // namespace

void humbind(ProgramState& st, int k) {
    const double w = st.P[k] * Log10(st.Ionic);
    const double g = 2.0 * w * st.Zed[k];
    const double e = std::exp(g);
    const double h = st.Act[1];

    for (int i = 1; i <= 8; ++i) st.Prot[i] = 1.0 / (1.0 + st.KHsite(k, i) * e / h);

    bidentate(st, k, g, h);
    monodentate(st, k, g, h);

    auto& sc = st.cache.humic.write().scratch;
    for (int j = 1; j <= st.Nhslist; ++j) {
        const int s = st.Hslist[j];
        st.Nu(k, s) = sc.siteTotal[s] + sc.pairTotal[s];
    }

    double sites = 0.0, pairs = 0.0;
    for (int i = 1; i <= 8; ++i) sites = sites + sc.siteCharge[i];
    for (int p = 1; p <= 12; ++p) pairs = pairs + sc.pairCharge[p];
    st.Zcalc[k] = sites + pairs;

    // Both charges exactly 0 agree; a zero sum with a real mismatch is an infinite one (never
    // a NaN, which would pass the convergence test unnoticed).
    const double sum = st.Zcalc[k] + st.Zed[k];
    if (sum == 0.0)
        st.Zres[k] = (st.Zed[k] == st.Zcalc[k]) ? 0.0 : std::numeric_limits<double>::infinity();
    else
        st.Zres[k] = std::pow(2.0 * (st.Zed[k] - st.Zcalc[k]) / sum, 2);

    searchFlags(st, k);
}

} // namespace kelva
