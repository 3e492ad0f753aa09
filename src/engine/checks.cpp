// What the engine cannot solve soundly, said before a solve; and, after a solve that stopped
// at the iteration limit, which tests were still failing, in a chemist's words.
#include "engine/engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kelva {

namespace {

std::string componentName(const ProgramState& st, int i) {
    const std::string& n = st.SpName[i];
    return n.empty() ? "component " + std::to_string(i) : n;
}

std::string percentText(double fraction) {
    char buf[64];
    const double pct = 100.0 * fraction;
    if (pct >= 0.1 || pct == 0.0)
        std::snprintf(buf, sizeof buf, "%.1f %%", pct);
    else
        std::snprintf(buf, sizeof buf, "%.2g %%", pct);
    return buf;
}

// Whether component c takes part in the problem, as the species list decides it.
bool present(const ProgramState& st, int c) {
    if (c == 1 || c == 51) return true;
    if (c == 55 && st.pCO2 != static_cast<float>(kNoValue)) return true;
    return c > 0 && c < 100 && st.Tot[c] > 0.0;
}

bool listedComplex(const ProgramState& st, int s) {
    int count = 0;
    for (int c : {st.SpComp1[s], st.SpComp2[s], st.SpComp3[s]})
        if (c != 0 && present(st, c)) ++count;
    if (st.SpComp3[s] == 0) ++count;
    return count == 3;
}

void checkAmounts(const ProgramState& st, std::vector<std::string>& out) {
    if (!(st.TempK > 0.0f)) out.push_back("The temperature must be above absolute zero.");
    if (!(st.Precision > 0.0f)) out.push_back("The required precision must be above 0 %.");
    const char* humic[3] = {"", "humic acid", "fulvic acid"};
    for (int k = 1; k <= 2; ++k) {
        if (st.Tha[k] < 0.0f) out.push_back(std::string("The amount of ") + humic[k] + " must not be negative.");
        if (st.Tha[k] > 0.0f && !(st.Molwt[k] > 0.0f))
            out.push_back(std::string("The database gives no molecular weight for ") + humic[k] + ".");
    }
    if (st.Tclay < 0.0f) out.push_back("The amount of clay must not be negative.");
    if ((st.Tha[1] > 0.0f || st.Tha[2] > 0.0f || st.Tclay > 0.0f) && !(st.Dlf > 0.0f))
        out.push_back("The database's double layer overlap factor must be above 0.");
    if (st.PhFixed == "Yes" && !std::isfinite(st.pH)) out.push_back("The fixed pH is not a number.");
}

void checkComponents(const ProgramState& st, std::vector<std::string>& out) {
    for (int i = 1; i <= kMaxComponent; ++i) {
        const double t = st.Tot[i];
        if (t == 0.0) continue;
        if (!std::isfinite(t) || t < 0.0) {
            out.push_back(componentName(st, i) + ": the total concentration must be a number of 0 or more.");
            continue;
        }
        if (i == 1 || i == 51) continue; // H+ and OH- follow from pH and water
        if (i == 100) {
            out.push_back("Species number 100 is not a component.");
            continue;
        }
        // A component counts its free amount through its own row (itself in slot I, coefficient 1).
        if (st.SpComp1[i] != i || st.SpSto1[i] != 1)
            out.push_back(componentName(st, i) + " (no. " + std::to_string(i) +
                          ") has no row of its own in the database, so its total cannot be balanced.");
    }
}

void checkCharges(const ProgramState& st, std::vector<std::string>& out) {
    // A database rarely holds any such charge: one pass over the table says whether to look.
    int widest = 0;
    for (int s = 1; s <= kMaxSpecies; ++s) widest = std::max(widest, std::abs(static_cast<int>(st.SpCharge[s])));
    if (widest <= 4) return;
    for (int s = 1; s <= kMaxSpecies; ++s) {
        if (std::abs(st.SpCharge[s]) <= 4) continue;
        const bool listed = (s < 100) ? present(st, s) : (s > 100 && listedComplex(st, s));
        if (listed)
            out.push_back(componentName(st, s) + " (no. " + std::to_string(s) + ") has charge " +
                          std::to_string(st.SpCharge[s]) + "; activity coefficients cover charges -4..4 only.");
    }
}

} // namespace

std::vector<std::string> checkprob(const ProgramState& st) {
    std::vector<std::string> out;
    checkAmounts(st, out);
    checkComponents(st, out);
    checkCharges(st, out);
    return out;
}

std::vector<std::string> failingTests(const ProgramState& st) {
    // An undefined value fails every test after it; what matters is where it came from.
    if (!st.Undefined.empty()) return {st.Undefined};
    std::vector<std::string> out;
    const double tol = st.Tol;
    for (int i = 2; i <= kMaxComponent; ++i) {
        if (i == 51 || st.Tot[i] == 0.0) continue;
        if ((i == 5 && st.AlPpt == "Yes") || (i == 11 && st.FePpt == "Yes")) continue;
        const double tot = st.Tot[i], calc = st.Tcalc[i];
        const double rel = 2.0 * (tot - calc) / (tot + calc);
        if (!(rel * rel <= tol)) {
            const double off = std::fabs(tot - calc) / std::fabs(tot);
            out.push_back(componentName(st, i) + ": total off by " + (std::isfinite(off) ? percentText(off) : "an undefined amount"));
        }
    }
    if (st.PhFixed != "Yes" && !(std::pow(st.Chgratio - 1.0, 2) <= tol))
        out.push_back("charge balance off by " +
                      (std::isfinite(st.Chgratio) ? percentText(std::fabs(st.Chgratio - 1.0)) : std::string("an undefined amount")));
    const char* humic[3] = {"", "humic acid", "fulvic acid"};
    for (int k = 1; k <= 2; ++k)
        if (!(st.Zres[k] <= tol))
            out.push_back(std::string(humic[k]) + " charge not settled" +
                          (std::isfinite(st.Zres[k]) ? " (off by " + percentText(std::sqrt(st.Zres[k])) + ")" : std::string()));
    // A layer balanced at a ratio of 0 or below holds negative concentrations: no balance.
    auto layer = [&](int bit, const std::string& what, double ratio) {
        if (!(st.RatioFail & bit)) return;
        if (ratio <= 0.0) {
            char r[32];
            std::snprintf(r, sizeof r, "%.4g", ratio);
            out.push_back(what + " balances only at a negative ratio (" + r + ")");
        } else {
            out.push_back(what + " could not be balanced");
        }
    };
    layer(1, "diffuse layer of humic acid", st.Rddl[1]);
    layer(2, "diffuse layer of fulvic acid", st.Rddl[2]);
    layer(4, "clay diffuse layer", st.Rclay);
    return out;
}

} // namespace kelva
