// Problem set-up: fresh work arrays and the humic site, pair and binding-constant tables.
#include "engine/engine.h"

#include <cmath>

namespace kelva {

namespace {

// The 12 bidentate pairs: each joins a type A site (1..4) with another site.
constexpr int kPairSites[12][2] = {{1, 2}, {1, 4}, {1, 6}, {1, 8}, {2, 3}, {2, 5},
                                   {2, 7}, {3, 4}, {3, 6}, {3, 8}, {4, 5}, {4, 7}};

void clearWorkArrays(ProgramState& st) {
    st.Tot.fill(0.0);
    st.Tcalc.fill(0.0);
    st.Act.fill(0.0);
    st.Conc.fill(0.0);
    st.Gam.fill(0.0);
    st.SiteDen.fill(0.0f);
    st.PairDen.fill(0.0f);
    st.KHsite.fill(0.0);
    st.pKsite.fill(0.0f);
    st.Pair.fill(0);
    st.Prot.fill(0.0);
    st.Nu.fill(0.0);
    st.Bound.fill(0.0);
    st.Cddl.fill(0.0);
    st.Fafrac.fill(0.0);
    st.Cclay.fill(0.0);
    // KMsite1 is rewritten whole below, and humic binding writes each scratch entry it reads
    // (for the binding species of the list) before reading it: neither needs clearing.
    // A humic absent from this problem must not keep the charge mismatch of an earlier problem:
    // the convergence test reads Zres of both humics, and a stale unsettled value would stop
    // every later problem at the iteration limit.
    st.Zres.fill(0.0);
    st.RatioFail = 0;
}

// Site pK's, each computed and stored in single precision: four type A sites spread over
// the range dA around A, four type B sites over dB around B.
void buildSitePKs(ProgramState& st, int k) {
    const float a = st.Pkha[k], da = st.Dpkha[k];
    const float b = st.Pkhb[k], db = st.Dpkhb[k];
    st.pKsite(k, 1) = a - da / 2.0f;
    st.pKsite(k, 2) = a - da / 6.0f;
    st.pKsite(k, 3) = a + da / 6.0f;
    st.pKsite(k, 4) = a + da / 2.0f;
    st.pKsite(k, 5) = b - db / 2.0f;
    st.pKsite(k, 6) = b - db / 6.0f;
    st.pKsite(k, 7) = b + db / 6.0f;
    st.pKsite(k, 8) = b + db / 2.0f;
    for (int i = 1; i <= 8; ++i) st.KHsite(k, i) = std::pow(10.0, -static_cast<double>(st.pKsite(k, i)));
}

// Type B groups are half as many as type A; the share Fpr of all groups forms pairs.
void buildDensities(ProgramState& st, int k) {
    const float mono = 1.0f - st.Fpr[k];
    for (int i = 1; i <= 4; ++i) st.SiteDen(k, i) = mono * st.Ncooh[k] / 4.0f;
    for (int i = 5; i <= 8; ++i) st.SiteDen(k, i) = mono * st.Ncooh[k] / 8.0f;
    for (int p = 1; p <= 12; ++p) st.PairDen(k, p) = st.Ncooh[k] * st.Fpr[k] / 16.0f;
}

Arr3<double, 2, 8, kMaxSpecies>& kmsite(ProgramState& st, int m) {
    return m == 1 ? st.KMsite1 : (m == 2 ? st.KMsite2 : st.KMsite3);
}

// Binding constants of species s for every site and class. Type B sites follow from type A:
// HA 3 pKM - 3, FA 3.96 pKM. Each power of ten is taken once and shared by the four sites of
// its type.
void buildBindingConstants(ProgramState& st, int s) {
    const bool binds = !st.SpName[s].empty() && static_cast<double>(st.SpPKM(1, s, 1)) != kNoValue;
    const bool written = st.KMwritten[s];
    const int classesBefore = written ? st.KMclasses[s] : 0;
    st.KMwritten[s] = binds;
    if (!binds) {
        // The constants of a species that did not bind at the last set-up are still 0.
        if (!written) return;
        for (int k = 1; k <= 2; ++k)
            for (int i = 1; i <= 8; ++i) st.KMsite1(k, i, s) = st.KMsite2(k, i, s) = st.KMsite3(k, i, s) = 0.0;
        return;
    }
    // Without any site class (a table set up by hand) the class 1 constants stay 0.
    if (st.Nosite < 1) {
        for (int k = 1; k <= 2; ++k)
            for (int i = 1; i <= 8; ++i) st.KMsite1(k, i, s) = 0.0;
        st.KMclasses[s] = 0;
        return;
    }
    int classes = 0;
    for (int m = 1; m <= st.Nosite && m <= 3; ++m) {
        const double a = st.SpPKM(1, s, m);
        const double f = st.SpPKM(2, s, m);
        classes = m;
        // The constants of this class are in place when they were made from the same pK's.
        if (m <= classesBefore && st.KMfrom(s, m - 1) == a && st.KMfrom(s, m + 2) == f) continue;
        st.KMfrom(s, m - 1) = a;
        st.KMfrom(s, m + 2) = f;
        const double haA = std::pow(10.0, -a), faA = std::pow(10.0, -f);
        const double haB = std::pow(10.0, -(3.0 * a - 3.0)), faB = std::pow(10.0, -(3.96 * f));
        auto& km = kmsite(st, m);
        for (int i = 1; i <= 4; ++i) {
            km(1, i, s) = haA;
            km(2, i, s) = faA;
        }
        for (int i = 5; i <= 8; ++i) {
            km(1, i, s) = haB;
            km(2, i, s) = faB;
        }
    }
    // Classes written before and not now keep their constants, and what they were made from.
    st.KMclasses[s] = static_cast<i16>(classes > classesBefore ? classes : classesBefore);
}

} // namespace

void setprob(ProgramState& st) {
    clearWorkArrays(st);
    for (int k = 1; k <= 2; ++k) {
        buildSitePKs(st, k);
        buildDensities(st, k);
    }
    for (int p = 1; p <= 12; ++p) {
        st.Pair(p, 1) = static_cast<i16>(kPairSites[p - 1][0]);
        st.Pair(p, 2) = static_cast<i16>(kPairSites[p - 1][1]);
    }
    // Classes above Nosite keep their previous share.
    const double shares[3] = {st.S1proc, st.S2proc, st.S3proc};
    for (int m = 1; m <= st.Nosite && m <= 3; ++m) st.Hetfrac[m] = shares[m - 1] / 100.0;
    for (int s = 1; s <= kMaxSpecies; ++s) buildBindingConstants(st, s);
}

} // namespace kelva
