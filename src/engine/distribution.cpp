// Dissolved fulvic acid, the distribution of a component over the six phases, and Kd values.
// None of these changes the equilibrium; they turn the solved state into reported quantities.
#include "engine/engine.h"

#include <cmath>

namespace kelva {

namespace {
constexpr int kFaFractions = 10;
}

// The FA is split into ten fractions whose shares grow as n^Gamma; fraction n carries
// 0.1 n Ncooh(FA) type A groups per gram, and the more that exceeds the FA's charge, the more
// of the fraction the solids hold.
void fadesorb(ProgramState& st) {
    double g = 0.0;
    for (int n = 1; n <= kFaFractions; ++n) g += std::pow(static_cast<double>(n), st.Gamma);

    float total = 0.0f; // accumulated in single precision
    for (int n = 1; n <= kFaFractions; ++n) {
        const double t = st.Tha[2] * std::pow(static_cast<double>(n), st.Gamma) / g;
        const double q =
            1.0 + st.K0 * st.Csolid * std::exp(st.Beta * (0.1 * n * st.Ncooh[2] - std::fabs(st.Zed[2])));
        st.Fafrac[n] = t / q;
        total = static_cast<float>(static_cast<double>(total) + st.Fafrac[n]);
    }
    st.FaaqRes = total;
}

void fracdist(ProgramState& st, int i) {
    float aqSol = 0.0f, faDdl = 0.0f, faBound = 0.0f; // single precision sums
    double haDdl = 0.0, clay = 0.0, haBound = 0.0;
    auto add = [&](int s, int n) {
        aqSol = static_cast<float>(aqSol + n * st.Fsol * st.Conc[s]);
        haDdl = haDdl + n * st.Cddl(1, s) * st.Fddl[1];
        faDdl = static_cast<float>(faDdl + n * st.Cddl(2, s) * st.Fddl[2]);
        clay = clay + n * st.Fclay * st.Cclay[s];
        haBound = haBound + n * st.Bound(1, s);
        faBound = static_cast<float>(faBound + n * st.Bound(2, s));
    };
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        if (st.SpComp1[s] == i) add(s, st.SpSto1[s]);
        if (st.SpComp2[s] == i) add(s, st.SpSto2[s]);
        if (st.SpComp3[s] == i) add(s, st.SpSto3[s]);
    }
    st.AqSol = aqSol;
    st.FaDdl = faDdl;
    st.FaBound = faBound;

    // A component with no calculated total has no distribution: report zeros, not 0/0.
    const double t = (i >= 1 && i <= kMaxComponent) ? st.Tcalc[i] : 0.0;
    if (t == 0.0 || !std::isfinite(t)) {
        st.FrS = st.FrDHA = st.FrDFA = st.FrHA = st.FrFA = st.FrClay = 0.0f;
        return;
    }
    st.FrS = static_cast<float>(aqSol / t);
    st.FrDHA = static_cast<float>(haDdl / t);
    st.FrDFA = static_cast<float>(faDdl / t);
    st.FrHA = static_cast<float>(haBound / t);
    st.FrFA = static_cast<float>(faBound / t);
    st.FrClay = static_cast<float>(clay / t);
}

// The dissolved share F/TFA of the fulvic acid carries its bound and layer amounts, and its
// layer water, into the aqueous phase.
void kdcalc(ProgramState& st, int i) {
    const double f = st.FaaqRes;
    const double tfa = st.Tha[2];
    double w = st.Fsol;
    double a = st.AqSol;
    if (tfa > 0) {
        w = st.Fsol / (1.0 - f * st.Fddl[2] / tfa);
        a = st.AqSol + w * static_cast<double>(st.FaDdl + st.FaBound) * f / tfa; // single-precision sum
    }
    st.Aqconc = static_cast<float>(a / w);

    // An undefined quotient (no solids, or nothing in the aqueous phase) is reported as 0.
    const double tot = (i >= 1 && i <= kMaxComponent) ? st.Tot[i] : 0.0;
    const double aq = st.Aqconc;
    if (st.Csolid == 0.0f || aq == 0.0 || !std::isfinite(aq)) {
        st.Kd = 0.0f;
        st.Kdapp = 0.0f;
        return;
    }
    st.Kd = static_cast<float>((tot - a) / st.Csolid / aq);
    st.Kdapp = static_cast<float>((tot - aq) / st.Csolid / aq);
}

} // namespace kelva
