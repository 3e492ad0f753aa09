// The solver: a damped successive-substitution scheme. Each component activity is multiplied
// by a power of the ratio of its analytical to its calculated total, H+ is moved by the
// solution's cation/anion charge ratio, and each humic charge moves toward the charge that
// binding produces. Al(OH)3 and Fe(OH)3 are switched on when saturated, with a re-solve.
#include "engine/engine.h"
#include "engine/enginemath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelva {

namespace {

constexpr double kMarker = 100.0;
constexpr double kSearchStep = 0.001;  // molc/g, first step of the fixed-pH charge search
constexpr int kSearchIterations = 500; // the fixed-pH search runs up to this iteration
constexpr float kLooseTol = 0.0001f;   // tolerance of the first evaluation of a solve
constexpr double kIonicCap = 100.0;

bool yes(const std::string& s) { return s == "Yes"; }

// Squared relative mismatch of an analytical and a calculated total.
double mismatch(double tot, double calc) { return std::pow(2.0 * (tot - calc) / (tot + calc), 2); }

} // namespace

void setStartValues(ProgramState& st) {
    st.Ionic = 0.1;
    st.Zed[1] = st.Zed[2] = -0.0001;
    st.Rddl[1] = st.Rddl[2] = 10.0;
    st.Rclay = 10.0;
    st.Act[1] = yes(st.PhFixed) ? std::pow(10.0, -st.pH) : 1e-4;
    for (int i = 2; i <= 50; ++i) st.Act[i] = st.Tot[i] * 1e-6;
    st.Act[52] = st.Tot[52];
    st.Act[53] = st.Tot[53];
    st.Act[54] = st.Tot[54];
    st.Act[56] = st.Tot[56] * 1e-4;
    st.Act[57] = st.Tot[57] * 1e-15;
    st.Act[58] = st.Tot[58] * 1e-7;
    if (st.pCO2 == static_cast<float>(kNoValue)) st.Act[55] = st.Tot[55] * 1e-6;
    // Components 59..99 start at their total, like the weakly complexed anions; without a start
    // value their activity would stay 0 and the full step would divide 0 by 0.
    for (int i = 59; i <= 99; ++i) st.Act[i] = st.Tot[i];
}

namespace {

// The iteration limit in the width of the 16-bit counter: the counter saturates at its maximum,
// so a limit beyond it is taken as that maximum (and the loop still ends).
int iterationLimit(const ProgramState& st) {
    return std::min(static_cast<int>(st.Itermax) + 1, static_cast<int>(std::numeric_limits<i16>::max()));
}

void stepPH(ProgramState& st, int n, double& e) {
    const double s = std::max(std::sqrt(st.Ionic), 0.03);
    const double d = std::min(n / (30000.0 * s), 0.48);
    e = std::min(0.5 - d, e);
    if (st.Iter > 10) {
        const double r = st.Poschg / ((st.Negchg + st.Poschg) / 2.0);
        st.Act[1] = st.Act[1] / std::pow(r, e);
    }
    st.pH = -Log10(st.Act[1]);
}

// A calculated total of 0 (an activity that underflowed) gives no direction: the activity is
// left as it is, and the mass-balance test keeps failing visibly instead of turning into NaN.
void stepComponent(ProgramState& st, int i, bool squareRoot) {
    if (st.Tcalc[i] <= 0.0) return;
    st.Act[i] = squareRoot ? st.Act[i] * std::sqrt(st.Tot[i] / st.Tcalc[i]) : st.Act[i] * st.Tot[i] / st.Tcalc[i];
}

void stepComponents(ProgramState& st) {
    const auto& c = st.cache;
    for (int n = 1; n <= c.nbalanced; ++n) {
        const int i = c.balanced[n];
        if (i > 50)
            stepComponent(st, i, false);
        else if (i == 5 && yes(st.AlPpt))
            st.Act[5] = std::pow(st.Act[1], 3) * std::pow(10.0, st.LksAl);
        else if (i == 11 && yes(st.FePpt))
            st.Act[11] = std::pow(st.Act[1], 3) * std::pow(10.0, st.LksFe);
        else
            stepComponent(st, i, true);
    }
}

void stepHumicCharges(ProgramState& st) {
    const bool search = yes(st.PhFixed) && st.Iter < kSearchIterations + 1;
    for (int k = 1; k <= 2; ++k) {
        if (!(st.Tha[k] > 0.0f)) continue;
        if (search) {
            if (st.Zdown[k] == kMarker)
                st.Zed[k] = st.Zed[k] - st.Zstep[k];
            else if (st.Zup[k] == kMarker)
                st.Zed[k] = st.Zed[k] + st.Zstep[k];
        } else {
            st.Zed[k] = st.Zed[k] + (st.Zcalc[k] - st.Zed[k]) / 30.0;
        }
    }
}

// The convergence tests in their order; true when all pass.
bool converged(const ProgramState& st) {
    const double tol = st.Tol;
    const auto& c = st.cache;
    for (int n = 1; n <= c.nbalanced; ++n) {
        const int i = c.balanced[n];
        if ((i == 5 && yes(st.AlPpt)) || (i == 11 && yes(st.FePpt))) continue;
        if (!(mismatch(st.Tot[i], st.Tcalc[i]) <= tol)) return false;
    }
    if (!yes(st.PhFixed) && !(std::pow(st.Chgratio - 1.0, 2) <= tol)) return false;
    if (!(st.Zres[1] <= tol)) return false;
    if (!(st.Zres[2] <= tol)) return false;
    return true;
}

constexpr int kAl = 5, kFe = 11;

// log *Ks of the hydroxide at TempK, and when the metal is present its saturation index; a
// saturated solution switches the precipitate on and is solved again with the metal's
// activity fixed by the solid. The temperature correction uses 298 and 0.219 on deltaHr
// (cal/mol).
void checkPrecipitation(ProgramState& st, int metal, double dh, double lks25, double& lks, double& si,
                        std::string& ppt, void (*resolve)(ProgramState&)) {
    lks = (1.0 / 298.0 - 1.0 / static_cast<double>(st.TempK)) * (dh * 0.219) + lks25;
    if (st.Tot[metal] == 0.0) return;
    si = Log10(st.Act[metal]) + 3.0 * st.pH;
    if (si >= lks) {
        ppt = "Yes";
        resolve(st);
    }
}

} // namespace

void precipitationChecks(ProgramState& st, void (*resolve)(ProgramState&)) {
    checkPrecipitation(st, kFe, st.Dhfe, st.Lksofe25, st.LksFe, st.SiFe, st.FePpt, resolve); // Fe first,
    checkPrecipitation(st, kAl, st.Dhal, st.Lksoal25, st.LksAl, st.SiAl, st.AlPpt, resolve); // then Al
}

void totcalc(ProgramState& st) {
    speciate(st);
    auto& c = st.cache;
    // Each listed species over all phases, mol per l of suspension.
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        c.phase[s] = st.Fsol * st.Conc[s] + st.Bound(1, s) + st.Bound(2, s) + st.Fddl[1] * st.Cddl(1, s) +
                     st.Fddl[2] * st.Cddl(2, s) + st.Fclay * st.Cclay[s];
    }
    // H+ and OH- have no calculated total of their own; a component without terms has 0
    // (makelist set it).
    for (int i : {1, 51})
        if (st.Act[i] == 0.0) st.Tcalc[i] = 0.0;
    for (int m = 1; m <= c.ntotalled; ++m) {
        const int i = c.totalled[m];
        if (st.Act[i] == 0.0) {
            st.Tcalc[i] = 0.0;
            continue;
        }
        double t = 0.0;
        for (int n = c.termStart[i]; n < c.termStart[i + 1]; ++n) {
            const auto e = static_cast<std::size_t>(n);
            t = t + c.termSto[e] * c.phase[c.termSpecies[e]];
        }
        st.Tcalc[i] = t;
    }
    double pos = 0.0, neg = 0.0;
    for (int j = 1; j <= st.Nsplist; ++j) {
        const int s = st.Splist[j];
        const int z = st.SpCharge[s];
        if (z > 0) pos = pos + z * st.Conc[s];
        if (z < 0) neg = neg - z * st.Conc[s];
    }
    st.Poschg = pos;
    st.Negchg = neg;
    st.Chgratio = pos / neg;
}

void iterate(ProgramState& st) {
    double e = 0.5; // the pH-step exponent only decreases within one call
    const int limit = iterationLimit(st);
    for (;;) {
        if (st.Iter < std::numeric_limits<i16>::max()) ++st.Iter;
        if (st.Iter >= limit) {
            st.setIterr(st.currentProblem(), 1);
            return;
        }
        if (st.onIter) st.onIter(st.Iter);
        if (st.stopRequested()) return; // the run is abandoned; nothing of this solve is kept
        const int n = std::min<int>(st.Iter, 500);

        double ionic = 0.0;
        for (int j = 1; j <= st.Nsplist; ++j) {
            const int s = st.Splist[j];
            const double z = st.SpCharge[s];
            if (st.Conc[s] > 0.0) ionic = ionic + 0.5 * (z * z) * st.Conc[s];
        }
        st.Ionic = std::min(ionic, kIonicCap);

        if (!yes(st.PhFixed)) stepPH(st, n, e);
        stepComponents(st);
        stepHumicCharges(st);
        totcalc(st);
        if (!stateDefined(st)) return noteUndefined(st);
        if (converged(st)) return;
    }
}

void solver(ProgramState& st) {
    // The flag describes this solve only, not an earlier run of the same problem number.
    st.setIterr(st.currentProblem(), 0);
    st.Undefined.clear();
    // The saturation indices are computed only when the metal is present; without it they
    // must read 0, not the value of an earlier problem.
    st.SiAl = st.SiFe = 0.0;
    setStartValues(st);
    makelist(st);
    st.Iter = 0;
    st.AlPpt = "No";
    st.FePpt = "No";
    st.Zstep[1] = st.Zstep[2] = kSearchStep;
    st.Zdown[1] = st.Zdown[2] = kMarker;
    st.Zup[1] = st.Zup[2] = kMarker;
    st.Tol = kLooseTol;
    totcalc(st);
    const double q = static_cast<double>(st.Precision / 100.0f);
    st.Tol = static_cast<float>(q * q);
    if (!stateDefined(st)) return noteUndefined(st); // nothing to iterate on
    iterate(st);
    if (!st.Undefined.empty()) return;
    st.Zstep[1] = st.Zstep[2] = kSearchStep;

    precipitationChecks(st, iterate);
    // A diffuse layer that could not be balanced in the final evaluation makes the result
    // unreliable: the problem is marked like one that stopped at the iteration limit.
    if (st.RatioFail != 0) st.setIterr(st.currentProblem(), 1);
}

} // namespace kelva
