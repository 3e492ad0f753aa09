// Undefined values: a state that holds an infinite or undefined number cannot come right again,
// so a solve stops as soon as one appears, and says which value went undefined first (in the
// order one evaluation computes them) and which database constant it came from.
#include "engine/engine.h"
#include "engine/enginemath.h"

#include <cmath>
#include <cstdio>

namespace kelva {

namespace {

const char* const kHumic[3] = {"", "humic acid", "fulvic acid"};

bool finite(double v) {
    return std::isfinite(v);
}

std::string speciesText(const ProgramState& st, int s) {
    const std::string no = "no. " + std::to_string(s);
    return st.SpName[s].empty() ? "species " + std::to_string(s) : st.SpName[s] + " (" + no + ")";
}

std::string valueText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string columnText(const std::string& column, double v) {
    return "database column " + column + " (" + valueText(v) + ")";
}

// The formation constant of complex s: log K corrected for the temperature by deltaH.
std::string complexOrigin(const ProgramState& st, int s) {
    const double logK = st.SpLogK[s], dh = st.SpDeltaH[s];
    const std::string whose = "the formation constant of " + speciesText(st, s) + ", ";
    if (!finite(std::pow(10.0, logK)))
        return whose + columnText("log K", logK) + ": its power of ten overflows";
    if (!finite(std::pow(10.0, logK + 220.0 * dh * tempTerm(st.TempK))))
        return whose + columnText("deltaH", dh) + ": the corrected log K overflows";
    return {};
}

// The binding constants of the binding species of humic k, class by class: each comes from one
// pK column (type B sites and the pairs from the same one).
std::string bindingOrigin(const ProgramState& st, int k) {
    const auto& c = st.cache.humic.read();
    const int nosite = st.Nosite < 3 ? st.Nosite : 3;
    for (int j = 1; j <= st.Nhslist; ++j) {
        const int s = st.Hslist[j];
        for (int m = 1; m <= nosite; ++m) {
            const auto& km = m == 1 ? st.KMsite1 : (m == 2 ? st.KMsite2 : st.KMsite3);
            const auto& pk = m == 1 ? c.pairK1 : (m == 2 ? c.pairK2 : c.pairK3);
            bool bad = false;
            for (int i = 1; i <= 8; ++i) bad = bad || !finite(km(k, i, s));
            for (int p = 1; p <= 12; ++p) bad = bad || !finite(pk(k, p, s));
            if (!bad) continue;
            const std::string column = std::string(k == 1 ? "pKMHA(" : "pKMFA(") + std::to_string(m) + ")";
            return "the binding constant of " + speciesText(st, s) + " to " + kHumic[k] + ", " +
                   columnText(column, st.SpPKM(k, s, m)) + ": its power of ten overflows";
        }
    }
    return {};
}

// The selectivity coefficients of the species in a diffuse layer.
std::string layerOrigin(const ProgramState& st, bool clay) {
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        const double ksel = clay ? st.SpKselClay[s] : st.SpKselHS[s];
        if (!finite(ksel) || !finite(ksel * st.Conc[s]))
            return "the selectivity of " + speciesText(st, s) + ", " +
                   columnText(clay ? "Ksel,Clay" : "Ksel,HS", ksel);
    }
    return {};
}

struct Finding {
    std::string what, origin;
};

// The first undefined value in the order of an evaluation, and its origin.
Finding firstUndefined(const ProgramState& st) {
    if (!finite(st.Act[1])) return {"the activity of H+ (the pH)", "the charge balance"};
    for (int n = 0; n <= 4; ++n)
        if (!finite(st.Gam[n])) return {"the activity coefficients", "the ionic strength"};
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        if (finite(st.Act[s])) continue;
        if (s < 100) return {"the activity of " + speciesText(st, s), "its mass balance"};
        const std::string origin = complexOrigin(st, s);
        return {"the activity of " + speciesText(st, s),
                origin.empty() ? "the activities of its components" : origin};
    }
    for (int j = 1; j <= st.Nsplist; ++j)
        if (!finite(st.Conc[st.Splist[j]]))
            return {"the concentration of " + speciesText(st, st.Splist[j]), "the activity coefficients"};
    for (int k = 1; k <= 2; ++k) {
        if (st.Tha[k] == 0.0f) continue;
        const std::string origin = bindingOrigin(st, k);
        if (!finite(st.Zed[k])) return {std::string("the charge of ") + kHumic[k], origin};
        for (int j = 1; j <= st.Nsplist; ++j)
            if (!finite(st.Bound(k, st.Splist[j])))
                return {"the amount of " + speciesText(st, st.Splist[j]) + " bound to " + kHumic[k], origin};
        if (!finite(st.Zcalc[k])) return {std::string("the charge that binding gives ") + kHumic[k], origin};
    }
    if (!finite(st.Fsol) || !finite(st.Fddl[1]) || !finite(st.Fddl[2]) || !finite(st.Fclay))
        return {"the water fractions of the diffuse layers", "the double layer parameters of the database"};
    for (int k = 1; k <= 2; ++k) {
        if (!(st.Tha[k] > 0.0f)) continue;
        bool bad = !finite(st.Rddl[k]);
        for (int j = 1; j <= st.Nsplist; ++j) bad = bad || !finite(st.Cddl(k, st.Splist[j]));
        if (bad) return {std::string("the diffuse layer of ") + kHumic[k], layerOrigin(st, false)};
    }
    if (st.Tclay > 0.0f) {
        bool bad = !finite(st.Rclay);
        for (int j = 1; j <= st.Nsplist; ++j) bad = bad || !finite(st.Cclay[st.Splist[j]]);
        if (bad) return {"the clay diffuse layer", layerOrigin(st, true)};
    }
    for (int n = 1; n <= st.cache.ntotalled; ++n) {
        const int i = st.cache.totalled[n];
        if (!finite(st.Tcalc[i])) return {"the calculated total of " + speciesText(st, i), {}};
    }
    return {"the charge balance", {}};
}

} // namespace

bool stateDefined(const ProgramState& st) {
    bool ok = finite(st.Act[1]) && finite(st.Poschg) && finite(st.Negchg);
    for (int n = 1; n <= st.cache.ntotalled; ++n) ok = ok && finite(st.Tcalc[st.cache.totalled[n]]);
    for (int k = 1; k <= 2; ++k)
        if (st.Tha[k] != 0.0f) ok = ok && finite(st.Zed[k]) && finite(st.Zcalc[k]) && finite(st.Rddl[k]);
    if (st.Tclay > 0.0f) ok = ok && finite(st.Rclay);
    return ok;
}

void noteUndefined(ProgramState& st) {
    const Finding f = firstUndefined(st);
    st.Undefined =
        f.what + " became undefined " +
        (st.Iter == 0 ? std::string("in the first evaluation") : "in iteration " + std::to_string(st.Iter));
    if (!f.origin.empty()) st.Undefined += "; it comes from " + f.origin;
    st.setIterr(st.currentProblem(), 1);
}

} // namespace kelva
