// The speciation engine: free routines over one ProgramState.
//
// A run calls, per problem: setprob (fresh tables; skipped for the later problems of a sweep),
// fills the problem inputs, solver, fadesorb (soil mode, dissolved FA to be calculated), and
// the result writer, which calls fracdist and then kdcalc for each component it reports.
#pragma once

#include "state/state.h"

#include <string>
#include <vector>

namespace kelva {

// Problem set-up: clears the work arrays and builds the humic site, pair and binding-constant
// tables from the database.
void setprob(ProgramState& st);

// One complete solve of the current problem: start values, species lists, iteration, and the
// Fe(OH)3 / Al(OH)3 re-solves. The iteration limit is reported through Iterr.
void solver(ProgramState& st);
void iterate(ProgramState& st);
// The start values of a solve: activities, humic charges, layer ratios and ionic strength.
void setStartValues(ProgramState& st);
// After a converged solve: Fe(OH)3, then Al(OH)3; a saturated solution switches the solid on
// (FePpt, AlPpt) and is solved again by `resolve` with the metal fixed by the solid.
void precipitationChecks(ProgramState& st, void (*resolve)(ProgramState&));
void totcalc(ProgramState& st);
void makelist(ProgramState& st);

// One evaluation of all phases at the current activities and humic charges.
void speciate(ProgramState& st);
// Binding to humic k (1 = HA, 2 = FA) at the assumed charge Zed(k).
void humbind(ProgramState& st, int k);
// Water split over bulk solution and the HA, FA and clay layers.
void watersplit(ProgramState& st);
// Composition of the diffuse layer of humic k, and of the clay layer.
void ddlhs(ProgramState& st, int k);
void ddlclay(ProgramState& st);

// Dissolved fulvic acid in soil mode.
void fadesorb(ProgramState& st);
// Distribution of component i over the six phases (FrS .. FrClay, AqSol, FaBound, FaDdl).
void fracdist(ProgramState& st, int i);
// Aqueous concentration and Kd values of component i; needs fracdist(i) first.
void kdcalc(ProgramState& st, int i);

// Problems the engine cannot solve soundly, in words for the user (empty when none): a
// negative total, a component number without a database row, a charge beyond +-4, ...
std::vector<std::string> checkprob(const ProgramState& st);

// Whether the solve's state holds only finite numbers (checked after every evaluation: an
// undefined value never comes right again).
bool stateDefined(const ProgramState& st);
// Notes in Undefined, in words, which value went undefined first and which database constant it
// came from, and marks the problem in Iterr like one that stopped at the iteration limit.
void noteUndefined(ProgramState& st);

// After a solve: which convergence tests still fail, in words a chemist understands
// ("Cu: total off by 3.1 %", "charge balance off by 0.4 %", "fulvic acid charge not settled").
std::vector<std::string> failingTests(const ProgramState& st);

} // namespace kelva
