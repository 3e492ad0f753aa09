// Small helpers over the state's values that the readers, the writers and the window hand-over
// share: the concentration units of the component rows, trimming a typed name, and holding a
// typed number within a field's range.
#pragma once

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

namespace kelva {

inline constexpr const char* kUnitMol = "Mol / l";
inline constexpr const char* kUnitMillimol = "Millimol / l";
inline constexpr const char* kUnitMicromol = "Micromol / l";

// Rows per mol/l in `unit` (1, 1000 or 1000000); 0 for a text that is no unit.
inline double unitFactor(std::string_view unit) {
    if (unit == kUnitMol) return 1.0;
    if (unit == kUnitMillimol) return 1000.0;
    if (unit == kUnitMicromol) return 1000000.0;
    return 0.0;
}

// The text without leading and trailing blanks and tabs.
inline std::string trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

// A typed value in single precision: beyond the float range it is held at the largest float
// (a plain conversion would be undefined there).
inline float toSingle(double v) {
    constexpr double big = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(v, -big, big));
}

// The integer part of v held within lo..hi (lo for a value that is not a number).
inline int boundedInt(double v, int lo, int hi) {
    if (!(v >= lo)) return lo;
    if (!(v <= hi)) return hi;
    return static_cast<int>(v);
}

} // namespace kelva
