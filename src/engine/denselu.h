// A small dense LU factorisation with partial pivoting, for the Newton solver's linear
// systems (at most about a hundred unknowns). The matrices are row-major, n x n, in storage
// the caller owns: nothing is allocated here.
#pragma once

namespace kelva {

// Factors a in place (L below the diagonal with a unit diagonal, U on and above it) and
// records the row interchanges in piv[0..n-1]. False when a pivot is zero or not finite,
// i.e. the matrix is singular to working precision.
bool luFactor(double* a, int n, int* piv);

// Solves (LU) x = b for a matrix factored by luFactor; b is overwritten with x.
void luSolve(const double* lu, int n, const int* piv, double* b);

} // namespace kelva
