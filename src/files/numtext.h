// Every text form of a number that the files and the windows use, and the reading of a number
// from the text of a box. "." is always the decimal point, whatever the locale.
#pragma once

#include <string>
#include <string_view>

namespace kelva::text {

// Significant digits of the general text form: 7 for single, 15 for double precision.
constexpr int kSingleDigits = 7;
constexpr int kDoubleDigits = 15;

// The value of a text box: the leading number of the text (leading blanks skipped, optional
// sign, digits with "." as decimal point, optional exponent), the longest numeric prefix;
// 0 when there is none. "12abc" -> 12, " -1.5E-3x" -> -0.0015, "abc" -> 0, "1e" -> 1.
double leadingNumber(std::string_view s);

// The same, rounded down to a whole number (floor), for whole-number fields.
long leadingWhole(std::string_view s);

// General decimal text without leading blank, as written in the files: up to `digits`
// significant digits, trailing zeros dropped, no zero before the point of a value between
// -1 and 1 (.05, -.5), exponent form (mantissa, "E", sign, at least two exponent digits) when
// the decimal exponent is below -4 or not below `digits` (1.5E-07, 1E+15). 0 gives "0".
std::string bare(double v, int digits = kDoubleDigits);
// The same text appended to `out`, without a string of its own (the file writers' form).
void appendBare(std::string& out, double v, int digits = kDoubleDigits);
inline std::string bareSingle(float v) { return bare(static_cast<double>(v), kSingleDigits); }

// Plain form of the windows: bare() with a leading blank when the value is not negative.
std::string plain(double v, int digits = kDoubleDigits);
inline std::string plainSingle(float v) { return plain(static_cast<double>(v), kSingleDigits); }

// Exact decimal form: like plain() but never with an exponent; the value rounded to 15
// significant digits and written out in full (1.234E-04 -> " .0001234").
std::string exactDecimal(double v);

// Percent form: fraction x 100 with the pattern "##0.000" (0.1234 -> "12.340", 0 -> "0.000").
std::string percent(double fraction);

// Scientific form of the result windows: mantissa "0.0000", "E", sign, two or more exponent
// digits, of |v| (0.000123 -> "1.2300E-04", 15 -> "1.5000E+01"). The caller adds "-" for a
// negative v. 0 gives "0.0000E+00"; a mantissa that rounds to 10 moves to the next exponent.
std::string scientific(double v);

// Short scientific form of the sweep table (outpformat): "#0.000" mantissa; 0 -> " 0";
// 0.000123 -> "1.230E-04"; 9.9996 -> "1.000E+01"; a negative value gets "-" in front.
std::string shortScientific(double v);

// Pattern "#######.00": two decimals, no digit before the point below 1 (0.5 -> ".50").
std::string fixed2(double v);

// Pattern "###.000": three decimals, no digit before the point below 1 (0.5 -> ".500",
// -0.25 -> "-.250").
std::string fixed3(double v);

// Pattern "##0.000": three decimals, at least one digit before the point (0.5 -> "0.500",
// -7 -> "-7.000"), as the log activities of the species table.
std::string fixed3Lead(double v);

// Base-10 logarithm as the engine computes it: natural logarithm divided by ln 10.
double Log10(double x);

} // namespace kelva::text
