// The main results of a run as tables for other programs: CSV (one row per problem and
// species or component) and JSON (one object per problem).
#pragma once

#include "files/resultfile.h"

#include <string>
#include <vector>

namespace kelva::cli {

// Every block of a result file's text, in order (as far as each could be read).
std::vector<ResultBlock> readAllBlocks(const std::string& resultText, const std::string& name);

// Columns: problem, mode, pH, converged, section ("species" or "component"), number, name,
// conc_mol_l, activity, the six fractions, aqconc_mol_l, kd_l_kg, kdapp_l_kg. A cell that does
// not apply to its row is empty.
std::string resultsCsv(const std::vector<ResultBlock>& blocks);

// `failing` (indexed by problem number, as RunReport::failing) gives each problem's
// "failing_tests": the convergence tests still failing when it stopped at the iteration limit.
std::string resultsJson(const std::vector<ResultBlock>& blocks,
                        const std::vector<std::vector<std::string>>& failing = {});

} // namespace kelva::cli
