// Gaussian elimination with partial pivoting (row interchanges).
#include "engine/denselu.h"

#include <cmath>
#include <utility>

namespace kelva {

bool luFactor(double* a, int n, int* piv) {
    for (int c = 0; c < n; ++c) {
        int p = c;
        double big = std::fabs(a[c * n + c]);
        for (int r = c + 1; r < n; ++r) {
            const double v = std::fabs(a[r * n + c]);
            if (v > big) {
                big = v;
                p = r;
            }
        }
        piv[c] = p;
        if (!(big > 0.0) || !std::isfinite(big)) return false;
        if (p != c)
            for (int j = 0; j < n; ++j) std::swap(a[c * n + j], a[p * n + j]);
        const double inv = 1.0 / a[c * n + c];
        for (int r = c + 1; r < n; ++r) {
            double* row = a + r * n;
            const double m = row[c] * inv;
            row[c] = m;
            if (m == 0.0) continue;
            const double* top = a + c * n;
            for (int j = c + 1; j < n; ++j) row[j] -= m * top[j];
        }
    }
    return true;
}

void luSolve(const double* lu, int n, const int* piv, double* b) {
    // the interchanges in the order they were made, then L y = P b, then U x = y
    for (int c = 0; c < n; ++c)
        if (piv[c] != c) std::swap(b[c], b[piv[c]]);
    for (int c = 0; c < n; ++c) {
        const double bc = b[c];
        if (bc == 0.0) continue;
        for (int r = c + 1; r < n; ++r) b[r] -= lu[r * n + c] * bc;
    }
    for (int r = n - 1; r >= 0; --r) {
        double s = b[r];
        for (int j = r + 1; j < n; ++j) s -= lu[r * n + j] * b[j];
        b[r] = s / lu[r * n + r];
    }
}

} // namespace kelva
