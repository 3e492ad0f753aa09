// Small numeric helpers shared by the engine routines.
#pragma once

#include <cmath>

namespace kelva {

// ln 10, as the logarithm's divisor.
inline const double kLn10 = std::log(10.0);

// Base-10 logarithm as the engine computes it everywhere: ln x / ln 10, double precision.
inline double Log10(double x) { return std::log(x) / kLn10; }

// The van 't Hoff temperature term (1/298.15 taken as 0.003354) - 1/T.
double tempTerm(float tempK);

} // namespace kelva
