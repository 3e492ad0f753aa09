// Small numeric helpers shared by the engine routines.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>

namespace kelva {

// ln 10, as the logarithm's divisor.
inline const double kLn10 = std::log(10.0);

// Base-10 logarithm as the engine computes it everywhere: ln x / ln 10, double precision.
inline double Log10(double x) { return std::log(x) / kLn10; }

// A factor that depends on a species' charge only, computed once per charge on first use
// (charges -8..8; any other charge is computed each time).
template <class F> class PerCharge {
public:
    explicit PerCharge(F f) : f_(f) { known_.fill(false); }
    double operator()(int z) {
        const int i = z + kOffset;
        if (i < 0 || i >= kSize) return f_(z);
        const auto u = static_cast<std::size_t>(i);
        if (!known_[u]) {
            value_[u] = f_(z);
            known_[u] = true;
        }
        return value_[u];
    }

private:
    static constexpr int kOffset = 8, kSize = 17;
    F f_;
    std::array<double, kSize> value_{};
    std::array<bool, kSize> known_{};
};

// The van 't Hoff temperature term (1/298.15 taken as 0.003354) - 1/T.
double tempTerm(float tempK);

} // namespace kelva
