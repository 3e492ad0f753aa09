// One evaluation of the whole system at the current component activities and humic charges:
// temperature-corrected constants, activity coefficients, OH- (and CO3 2- under a fixed CO2
// pressure), complexes by mass action, concentrations, humic binding and the diffuse layers.
#include "engine/engine.h"
#include "engine/enginemath.h"
#include "engine/newton.h"

#include <cmath>
#include <cstdlib>

namespace kelva {

namespace {

constexpr double kInvT25 = 0.003354;      // 1/298.15 as the temperature terms take it
constexpr double kLogKw25 = -14.0;
constexpr double kWaterEnthalpy = 2935.0;
constexpr double kSpeciesEnthalpy = 220.0; // per kcal/mol of deltaH
constexpr double kCO2LogK25 = 18.149;
constexpr double kCO2Enthalpy = -211.64;

// Extended Debye-Hueckel with an ion size growing with the charge (3, 6, 9, 12).
void activityCoefficients(ProgramState& st, double tempK) {
    const double a = tempK * 0.0008 + 0.27;
    const double si = std::sqrt(st.Ionic);
    st.Gam[0] = 1.0;
    st.Gam[1] = std::pow(10.0, -a * si / (1.0 + 3.0 * 0.33 * si));
    st.Gam[2] = std::pow(10.0, -4.0 * a * si / (1.0 + 6.0 * 0.33 * si));
    st.Gam[3] = std::pow(10.0, -9.0 * a * si / (1.0 + 9.0 * 0.33 * si));
    st.Gam[4] = std::pow(10.0, -16.0 * a * si / (1.0 + 12.0 * 0.33 * si));
}

bool complexFormable(const ProgramState& st, int s) {
    if (st.SpSto1[s] == 0) return false;
    if (st.SpSto1[s] > 0 && st.Act[st.SpComp1[s]] == 0.0) return false;
    if (st.SpSto2[s] > 0 && st.Act[st.SpComp2[s]] == 0.0) return false;
    if (st.SpSto3[s] > 0 && st.Act[st.SpComp3[s]] == 0.0) return false;
    return true;
}

// Mass action, with the logarithms of the component activities taken once per evaluation.
// A slot with coefficient 0 adds nothing (so an unused slot never brings in log10 of a zero
// activity); slot III counts only with a positive coefficient.
void formComplex(ProgramState& st, int s, double tempTerm) {
    const auto& lg = st.cache.logAct;
    double l = static_cast<double>(st.SpLogK[s]) + kSpeciesEnthalpy * static_cast<double>(st.SpDeltaH[s]) * tempTerm;
    if (st.SpSto1[s] != 0) l = l + st.SpSto1[s] * lg[st.SpComp1[s]];
    if (st.SpSto2[s] != 0) l = l + st.SpSto2[s] * lg[st.SpComp2[s]];
    if (st.SpSto3[s] > 0) l = l + st.SpSto3[s] * lg[st.SpComp3[s]];
    st.Act[s] = std::pow(10.0, l);
}

// Components of complexes are numbered below 100 (the loader refuses others beyond 500 and
// warns of 100..500); such a slot reads the activity table directly.
void componentLogs(ProgramState& st) {
    auto& lg = st.cache.logAct;
    lg[0] = Log10(st.Act[0]);
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int c = st.Splist[j];
        if (c >= 100) break; // components come first in the list
        lg[c] = Log10(st.Act[c]);
    }
}

} // namespace

double tempTerm(float tempK) { return kInvT25 - 1.0 / static_cast<double>(tempK); }

void speciate(ProgramState& st) {
    const double t = st.TempK;
    const double tt = tempTerm(st.TempK);

    // The ion product of water and the CO2 constant depend on the temperature alone.
    auto& c = st.cache;
    if (!c.haveTempConstants || c.constantsTempK != st.TempK) {
        const double logKw = tt * kWaterEnthalpy + kLogKw25;
        c.kw = std::pow(10.0, logKw);
        c.kCO2 = std::pow(10.0, kCO2LogK25 + kCO2Enthalpy * tt);
        c.constantsTempK = st.TempK;
        c.haveTempConstants = true;
    }
    st.Act[51] = c.kw / st.Act[1];

    activityCoefficients(st, t);

    if (st.pCO2 != static_cast<float>(kNoValue)) st.Act[55] = st.pCO2 / c.kCO2 / st.Act[1] / st.Act[1];

    // Only listed complexes carry weight; an unlisted one is never read, so it is not formed.
    componentLogs(st);
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        if (s > 100 && complexFormable(st, s)) formComplex(st, s, tt);
    }

    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        // Charges beyond +-4 are refused before a solve (checkprob); the clamp only keeps the
        // table read inside its bounds.
        const int z = std::abs(st.SpCharge[s]);
        st.Conc[s] = st.Act[s] / st.Gam[z > 4 ? 4 : z];
    }

    for (int k = 1; k <= 2; ++k) {
        if (st.Tha[k] == 0.0f) continue;
        humbind(st, k);
        for (int j = 1; j <= st.Nsplist; ++j) {
            const int s = st.Splist[j];
            st.Bound(k, s) = st.Tha[k] * st.Nu(k, s);
        }
    }

    watersplit(st);
    st.RatioFail = 0;
    if (st.newton.exactRatios) { // the Newton solver balances the layers exactly
        for (int k = 1; k <= 2; ++k)
            if (st.Tha[k] > 0.0f) ddlhsExact(st, k);
        if (st.Tclay > 0.0f) ddlclayExact(st);
        return;
    }
    for (int k = 1; k <= 2; ++k)
        if (st.Tha[k] > 0.0f) ddlhs(st, k);
    if (st.Tclay > 0.0f) ddlclay(st);
}

} // namespace kelva
