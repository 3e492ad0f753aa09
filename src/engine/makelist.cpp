// The lists of species present in a problem, and what the iteration loop would otherwise look
// up again at every pass: for every component the terms of its calculated total, the components
// that take part, and the constant factors of the bidentate binding terms.
#include "engine/engine.h"

#include <array>

namespace kelva {

namespace {

constexpr int kH = 1, kOH = 51, kCO3 = 55;

// A component slot that counts towards a calculated total (H+ and OH- have none).
bool totalled(int comp) {
    return comp >= 2 && comp <= kMaxComponent && comp != kOH;
}

// For every component, the listed species that hold it with their coefficients, in list order
// and slot order: the order in which its calculated total is summed. One pass counts the terms
// of each component, a second drops them into their component's bucket in that order.
void buildTermLists(ProgramState& st) {
    auto& c = st.cache;
    std::array<int, kMaxComponent + 2> fill{};
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        for (int comp : {st.SpComp1[s], st.SpComp2[s], st.SpComp3[s]})
            if (totalled(comp)) ++fill[static_cast<std::size_t>(comp)];
    }
    int n = 0;
    for (int i = 1; i <= kMaxComponent; ++i) {
        c.termStart[i] = n;
        const auto u = static_cast<std::size_t>(i);
        const int count = fill[u];
        fill[u] = n;
        n += count;
    }
    c.termStart[kMaxComponent + 1] = n;
    // The components with terms are the ones totcalc sums; every other one (but H+ and OH-,
    // which it leaves alone) has the calculated total 0 until the lists change.
    c.ntotalled = 0;
    for (int i = 2; i <= kMaxComponent; ++i) {
        if (i == kOH) continue;
        if (c.termStart[i + 1] > c.termStart[i])
            c.totalled[++c.ntotalled] = static_cast<i16>(i);
        else
            st.Tcalc[i] = 0.0;
    }
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        const int slots[3][2] = {
            {st.SpComp1[s], st.SpSto1[s]}, {st.SpComp2[s], st.SpSto2[s]}, {st.SpComp3[s], st.SpSto3[s]}};
        for (const auto& slot : slots) {
            if (!totalled(slot[0])) continue;
            const auto e = static_cast<std::size_t>(fill[static_cast<std::size_t>(slot[0])]++);
            c.termSpecies[e] = static_cast<i16>(s);
            c.termSto[e] = static_cast<i16>(slot[1]);
        }
    }
}

// The components whose totals are balanced (2..100 without OH-, a total other than 0), in
// ascending order: the steps and the convergence tests run over these.
void buildBalanced(ProgramState& st) {
    auto& c = st.cache;
    int n = 0;
    for (int i = 2; i <= kMaxComponent; ++i)
        if (i != kOH && st.Tot[i] != 0.0) c.balanced[++n] = static_cast<i16>(i);
    c.nbalanced = n;
}

// The constant factor Hetfrac(m) KM(a) KM(b) of every pair term, the leading part of the
// product that humbind evaluates left to right.
void buildPairConstants(ProgramState& st) {
    if (st.Nhslist == 0) return; // no binding species: nothing to write
    auto& c = st.cache.humic.write();
    const int nosite = st.Nosite < 3 ? st.Nosite : 3;
    for (int k = 1; k <= 2; ++k)
        for (int p = 1; p <= 12; ++p) {
            const int a = st.Pair(p, 1), b = st.Pair(p, 2);
            for (int j = 1; j <= st.Nhslist; ++j) {
                const int s = st.Hslist[j];
                c.pairK1(k, p, s) = st.Hetfrac[1] * st.KMsite1(k, a, s) * st.KMsite1(k, b, s);
                if (nosite >= 2)
                    c.pairK2(k, p, s) = st.Hetfrac[2] * st.KMsite2(k, a, s) * st.KMsite2(k, b, s);
                if (nosite >= 3)
                    c.pairK3(k, p, s) = st.Hetfrac[3] * st.KMsite3(k, a, s) * st.KMsite3(k, b, s);
            }
        }
}

} // namespace

// Components first (ascending): H+, OH-, CO3 2- under a fixed CO2 pressure, and every other one
// with a positive total. Then the complexes 100..500 (ascending) whose two or three components
// are all listed.
void makelist(ProgramState& st) {
    std::array<bool, kMaxComponent> listed{}; // component c (1..99) is in the list
    const bool fixedCO2 = st.pCO2 != static_cast<float>(kNoValue);
    int j = 0, h = 0;
    for (int s = 1; s < kMaxComponent; ++s) {
        const bool always = s == kH || s == kOH || (s == kCO3 && fixedCO2);
        if (!always && !(st.Tot[s] > 0.0)) continue;
        st.Splist[++j] = static_cast<i16>(s);
        listed[static_cast<std::size_t>(s)] = true;
        if (!always && st.SpBind[s] == 1) st.Hslist[++h] = static_cast<i16>(s);
    }
    // listed[0] is false: an empty slot never counts
    auto isListed = [&](int c) { return static_cast<unsigned>(c) < kMaxComponent && listed[static_cast<unsigned>(c)]; };
    for (int s = kMaxComponent; s <= kMaxSpecies; ++s) {
        const int count = isListed(st.SpComp1[s]) + isListed(st.SpComp2[s]) + isListed(st.SpComp3[s]) +
                          (st.SpComp3[s] == 0 ? 1 : 0);
        if (count != 3) continue;
        st.Splist[++j] = static_cast<i16>(s);
        if (st.SpBind[s] == 1) st.Hslist[++h] = static_cast<i16>(s);
    }
    st.Nsplist = static_cast<i16>(j);
    st.Nhslist = static_cast<i16>(h);
    buildTermLists(st);
    buildBalanced(st);
    buildPairConstants(st);
}

} // namespace kelva
