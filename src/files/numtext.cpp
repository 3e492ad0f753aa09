// The number text forms. Everything goes through std::to_chars / std::from_chars so that the
// decimal point stays "." whatever locale the windowing toolkit installs.
#include "files/numtext.h"

#include "files/generalform.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kelva::text {
namespace {

// Texts of the values that have no decimal form. The files never hold them on purpose; they
// only have to come out as something readable instead of undefined behaviour.
std::string nonFinite(double v) {
    if (std::isnan(v)) return "NaN";
    return v < 0 ? "-Inf" : "Inf";
}

// Significant decimal digits of a positive finite value, rounded to `sig` digits:
// value = d[0].d[1]d[2]... x 10^exp; trailing zeros dropped (at least one digit stays).
struct Digits {
    std::string d;
    int exp = 0;
};

Digits decimalDigits(double a, int sig) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, sig - 1);
    std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
    Digits out;
    std::size_t e = s.find('e');
    for (char c : s.substr(0, e))
        if (c >= '0' && c <= '9') out.d += c;
    std::string_view ex = s.substr(e + 1);
    bool negExp = !ex.empty() && ex.front() == '-';
    if (!ex.empty() && (ex.front() == '-' || ex.front() == '+')) ex.remove_prefix(1);
    std::from_chars(ex.data(), ex.data() + ex.size(), out.exp);
    if (negExp) out.exp = -out.exp;
    while (out.d.size() > 1 && out.d.back() == '0') out.d.pop_back();
    return out;
}

// Integer part (without leading zeros, possibly empty) and exactly k decimals of a >= 0.
// The value is first taken at 15 significant digits, as the general form shows it, and then
// rounded half away from zero, the way a spreadsheet-style Format pattern rounds: 2.675
// gives 2.68 although the binary value lies a little below the half.
std::pair<std::string, std::string> fixedParts(double a, int k) {
    if (a == 0) return {"", std::string(static_cast<std::size_t>(k), '0')};
    Digits g = decimalDigits(a, kDoubleDigits);
    int hi = std::max(g.exp, 0);
    std::string s(static_cast<std::size_t>(hi + k + 1), '0');
    bool up = false;
    for (std::size_t i = 0; i < g.d.size(); ++i) {
        int p = g.exp - static_cast<int>(i);
        if (p >= -k)
            s[static_cast<std::size_t>(hi - p)] = g.d[i];
        else if (p == -k - 1)
            up = g.d[i] >= '5';
    }
    if (up) {
        std::size_t i = s.size();
        while (i > 0 && s[i - 1] == '9') s[--i] = '0';
        if (i == 0)
            s.insert(s.begin(), '1');
        else
            ++s[i - 1];
    }
    std::string intPart = s.substr(0, s.size() - static_cast<std::size_t>(k));
    std::size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? std::string() : intPart.substr(nz);
    return {intPart, s.substr(s.size() - static_cast<std::size_t>(k))};
}

// A fixed pattern with k decimals; `leadingZero` is the "0" before the point ("##0.000"),
// without it a value below 1 has no digit before the point ("#######.00"). A value that
// rounds to zero shows no sign.
std::string fixedForm(double v, int k, bool leadingZero) {
    if (!std::isfinite(v)) return nonFinite(v);
    auto [intPart, frac] = fixedParts(std::fabs(v), k);
    bool zero = intPart.empty() && frac.find_first_not_of('0') == std::string::npos;
    if (intPart.empty() && leadingZero) intPart = "0";
    std::string out = (v < 0 && !zero) ? "-" : "";
    out += intPart;
    if (k > 0) out += "." + frac;
    return out;
}

// x / 10^e without overflowing the power for the smallest (subnormal) magnitudes.
double scaleDown(double x, int e) {
    if (e < -300) return (x * 1e300) / std::pow(10.0, e + 300);
    return x / std::pow(10.0, e);
}

std::string exponentText(int e) {
    std::string digits = std::to_string(std::abs(e));
    if (digits.size() < 2) digits.insert(0, "0");
    return std::string(e < 0 ? "E-" : "E+") + digits;
}

// Mantissa-and-exponent text of x > 0 with `decimals` decimals: e from the engine's
// logarithm; a mantissa that rounds up to 10 moves to the next exponent.
std::string mantissaExponent(double x, int decimals) {
    int e = static_cast<int>(std::floor(Log10(x)));
    std::string m = fixedForm(scaleDown(x, e), decimals, true);
    if (m.rfind("10.", 0) == 0) {
        ++e;
        m = fixedForm(scaleDown(x, e), decimals, true);
    }
    return m + exponentText(e);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isExponentLetter(char c) {
    return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// Decimal order of magnitude of a mantissa of digits with or without a point ("0012.5" -> 1,
// ".003" -> -3); only used to tell an overflow from an underflow.
long mantissaOrder(std::string_view m) {
    std::size_t point = m.find('.');
    std::string_view ip = m.substr(0, point);
    std::size_t nz = ip.find_first_not_of('0');
    if (nz != std::string_view::npos) return static_cast<long>(ip.size() - nz) - 1;
    if (point == std::string_view::npos) return 0;
    std::string_view fp = m.substr(point + 1);
    nz = fp.find_first_not_of('0');
    return nz == std::string_view::npos ? 0 : -static_cast<long>(nz) - 1;
}

long saturatedExponent(std::string_view ex) {
    bool neg = !ex.empty() && ex.front() == '-';
    if (!ex.empty() && (ex.front() == '-' || ex.front() == '+')) ex.remove_prefix(1);
    long e = 0;
    for (char c : ex) e = std::min(e * 10 + (c - '0'), 1000000000L);
    return neg ? -e : e;
}

} // namespace

double leadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    std::size_t mStart = i;
    std::size_t nDigits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++nDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++nDigits;
    }
    if (nDigits == 0) return 0;
    std::string_view mantissa = s.substr(mStart, i - mStart);
    std::string_view exponent;
    std::size_t end = i;
    if (i < s.size() && isExponentLetter(s[i])) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t k = j;
        while (k < s.size() && isDigit(s[k])) ++k;
        if (k > j) {
            exponent = s.substr(i + 1, k - i - 1);
            end = k;
        }
    }
    std::string_view number = s.substr(mStart, end - mStart);
    std::string converted;
    if (!exponent.empty() && (s[i] == 'D' || s[i] == 'd')) {
        converted.assign(number);
        converted[mantissa.size()] = 'e';
        number = converted;
    }
    double value = 0;
    auto r = std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond the double range: the largest finite value, or zero below the smallest.
        bool over = mantissaOrder(mantissa) + saturatedExponent(exponent) > 0;
        value = over ? std::numeric_limits<double>::max() : 0.0;
    } else if (r.ec != std::errc()) {
        value = 0;
    }
    if (value == 0) return 0.0; // never -0: "-0" in a box is plain zero
    return neg ? -value : value;
}

long leadingWhole(std::string_view s) {
    double d = std::floor(leadingNumber(s));
    constexpr double lo = static_cast<double>(std::numeric_limits<long>::min());
    if (d >= -lo) return std::numeric_limits<long>::max();
    if (d < lo) return std::numeric_limits<long>::min();
    return static_cast<long>(d);
}

void appendBare(std::string& out, double v, int digits) {
    if (!std::isfinite(v)) {
        out += nonFinite(v);
        return;
    }
    if (v == 0) {
        out += '0';
        return;
    }
    char buf[kGeneralFormSize];
    out.append(buf, generalForm(buf, v, std::clamp(digits, 1, 17), Spelling::File));
}

std::string bare(double v, int digits) {
    std::string s;
    appendBare(s, v, digits);
    return s;
}

std::string plain(double v, int digits) {
    std::string s(1, ' ');
    appendBare(s, v, digits);
    if (s[1] == '-') s.erase(0, 1);
    return s;
}

std::string exactDecimal(double v) {
    if (!std::isfinite(v)) return plain(v);
    if (v == 0) return " 0";
    Digits g = decimalDigits(std::fabs(v), kDoubleDigits);
    std::string intPart, frac;
    if (g.exp >= 0) {
        std::size_t n = static_cast<std::size_t>(g.exp) + 1;
        intPart = g.d.substr(0, std::min(n, g.d.size()));
        if (intPart.size() < n) intPart.append(n - intPart.size(), '0');
        if (g.d.size() > n) frac = g.d.substr(n);
    } else {
        frac = std::string(static_cast<std::size_t>(-g.exp - 1), '0') + g.d;
    }
    std::string out = v < 0 ? "-" : " ";
    out += intPart;
    if (!frac.empty()) out += "." + frac;
    return out;
}

std::string percent(double fraction) {
    return fixedForm(fraction * 100.0, 3, true);
}

std::string scientific(double v) {
    double x = std::fabs(v);
    if (!std::isfinite(x)) return nonFinite(x);
    if (x == 0) return "0.0000E+00";
    return mantissaExponent(x, 4);
}

std::string shortScientific(double v) {
    if (!std::isfinite(v)) return nonFinite(v);
    if (v == 0) return " 0";
    std::string t = mantissaExponent(std::fabs(v), 3);
    return v < 0 ? "-" + t : t;
}

std::string fixed2(double v) {
    return fixedForm(v, 2, false);
}

std::string fixed3(double v) {
    return fixedForm(v, 3, false);
}

std::string fixed3Lead(double v) {
    return fixedForm(v, 3, true);
}

double Log10(double x) {
    return std::log(x) / std::log(10.0);
}

} // namespace kelva::text
