// The Newton solver: the same equations as the default damped substitution scheme, solved by a
// damped Newton-Raphson method (newtonmethod.h), with a bracketed search on pH alone for a
// calculated pH whose Newton steps crawl.
//
// Unknowns: log10 activity of each active component (not a metal fixed by its hydroxide, not
// CO3 under a fixed CO2 pressure), log10 a(H+) when pH is calculated, Zed(k)/1e-3 for each
// humic present, and log10 of the ionic strength. Residuals: log10(Tcalc/Tot) per component,
// log10(Poschg/Negchg), (Zcalc - Zed)/1e-3 and log10(I calculated / I assumed). Inside every
// evaluation the diffuse layers are balanced exactly in double precision.
#pragma once

#include "state/state.h"

#include <array>
#include <cstddef>

namespace kelva {

// The texts of the run parameter Solver.
inline constexpr const char* kSolverSubstitution = "Successive substitution";
inline constexpr const char* kSolverNewton = "Newton";

// Solves the current problem with the run's solver (Solver). With `fromPrevious` the Newton
// solver starts from the answer the state holds (the previous problem of a sweep); the
// default solver always starts afresh.
void runSolver(ProgramState& st, bool fromPrevious = false);

// One complete solve with the Newton method: start values, species lists, the solve, and the
// Fe(OH)3 / Al(OH)3 checks with their re-solves, decided as the default solver decides them.
// Iter counts substitution passes and Newton steps; Iterr is set as by the default solver,
// and also when the solve ends without meeting every convergence test.
void newtonSolver(ProgramState& st, bool fromPrevious = false);
// The solve at the current precipitation state (the Newton counterpart of iterate).
void newtonIterate(ProgramState& st);

// What each unknown of the Newton solve is, for the current problem and precipitation state.
constexpr int kMaxUnknowns = kMaxComponent + 4;
struct NewtonLayout {
    int n = 0;                            // unknowns
    int nComp = 0;                        // the first nComp are component activities
    std::array<int, kMaxUnknowns> comp{}; // their component numbers
    int h = -1;                           // log10 a(H+); -1 when pH is fixed
    std::array<int, 3> zed{-1, -1, -1};   // Zed(k)/1e-3 for k = 1, 2; -1 when humic k is absent
    int ionic = -1;                       // log10 of the ionic strength
};
NewtonLayout newtonLayout(const ProgramState& st);

// ---------------------------------------------------------------- exact diffuse layers

// Selectivity-weighted bulk concentration of a layer's species, summed by charge.
struct RatioSums {
    static constexpr int kMaxCharge = 8;
    std::array<double, 2 * kMaxCharge + 1> t{};
    double& at(int z);
    double at(int z) const;
};
// The ratio r > 0 at which sum over z of z r^z t(z) equals d, to rounding; r holds the start
// on entry. False (r unchanged) when no positive ratio balances d.
bool solveRatio(const RatioSums& t, double d, double& r);
// The layers of humic k and of the clay balanced exactly (speciate calls these instead of
// ddlhs and ddlclay while newton.exactRatios is set). False, with RatioFail set, when the
// layer cannot be balanced.
bool ddlhsExact(ProgramState& st, int k);
bool ddlclayExact(ProgramState& st);

} // namespace kelva
