// How a run's problems ended, in a few lines for a person: the batch runner prints them and the
// desktop program shows them once after a run.
#pragma once

#include "run/runcontrol.h"

#include <string>
#include <vector>

namespace kelva {

// Up to this many problems that stopped at the iteration limit are described one line each;
// more are summarised.
inline constexpr std::size_t kFewFailures = 5;

// Problem numbers (ascending) as runs of consecutive numbers: "problem 4", "problems 3, 5,
// 17–999". At most `maxRuns` runs are written, then "and N more".
std::string problemRanges(const std::vector<int>& problems, std::size_t maxRuns = 8);

// The problems of `report` that stopped at the iteration limit of `itermax` iterations, one
// line each (ended by "\n"). A few are named one per line with the tests still failing; more
// read as a summary: how many and which, the failing tests of the first few, and where the
// details are (the result file's error lines). Empty when every problem converged.
std::string limitSummary(const RunReport& report, int itermax);

} // namespace kelva
