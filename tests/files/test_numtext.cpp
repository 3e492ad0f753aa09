#include "files/fields.h"
#include "files/generalform.h"
#include "files/numtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <iomanip>
#include <limits>

namespace kelva::text {
namespace {

using Form = std::string (*)(double);
constexpr Form bare15 = [](double v) { return bare(v); };
constexpr Form bare7 = [](double v) { return bare(v, kSingleDigits); };
constexpr Form plain15 = [](double v) { return plain(v); };

struct Case {
    double v;
    const char* want;
};
void expectForm(Form form, std::initializer_list<Case> cases) {
    for (const auto& c : cases) EXPECT_EQ(form(c.v), c.want) << std::setprecision(17) << c.v;
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The case tables keep several cases on a line.
// clang-format off
TEST(NumTextGeneral, FileFormPlainAndSingles) {
    // The file spelling: no zero before the point, a capital E, at least two exponent digits. The
    // exponent is decided after rounding, which may carry into a new digit.
    expectForm(bare15, {{0.05, ".05"}, {-0.5, "-.5"}, {1.5e-7, "1.5E-07"}, {-2.5e120, "-2.5E+120"}, {0, "0"}});
    expectForm(bare7, {{99999995.0, "1E+08"}, {9.9999999, "10"}, {-0.99999999, "-1"}, {12345678.0, "1.234568E+07"}});
    expectForm(plain15, {{0.05, " .05"}, {1.5e-7, " 1.5E-07"}, {-0.05, "-.05"}, {0, " 0"}, {42, " 42"}});
    EXPECT_EQ(std::tuple(plainSingle(-2.5f), bareSingle(0.1f), bare(static_cast<double>(0.1f))),
              std::tuple("-2.5", ".1", ".100000001490116"));
    EXPECT_EQ(std::tuple(bareSingle(1.0f / 3.0f), bareSingle(6.02e23f)), std::tuple(".3333333", "6.02E+23"));
}
// clang-format on

// The direct computation of the general form against the library's, on the values where rounding
// is delicate: powers of ten, their neighbours and halves, for 7 and 15 digits and for every count.
TEST(NumTextGeneral, DirectFormMatchesTheLibraryCharacterForCharacter) {
    auto check = [](double v, int digits) {
        char want[64], got[kGeneralFormSize];
        const auto w = std::to_chars(want, want + sizeof want, v, std::chars_format::general, digits);
        std::string printf(want, w.ptr);
        ASSERT_EQ(std::string(got, generalForm(got, v, digits)), printf)
            << std::setprecision(17) << v << " with " << digits;
        // the files' spelling: no zero before the point, a capital E
        if (printf.find("0.") == (v < 0 ? 1u : 0u)) printf.erase(v < 0 ? 1 : 0, 1);
        std::replace(printf.begin(), printf.end(), 'e', 'E');
        ASSERT_EQ(std::string(got, generalForm(got, v, digits, Spelling::File)), printf)
            << std::setprecision(17) << v << " with " << digits;
    };
    // clang-format off
    std::vector<double> values = {DBL_MIN, DBL_MAX, DBL_TRUE_MIN, 1.5, 2.5, 0.125, 0.375, 12345678901234.5, 999999999999999.5,
                                  99999995.0, 9.9999999, 0.99999999, 9.99999e-5, -1.5e-7, 7.5, -273.16, 1.5e-300,
                                  999999999999999.0, 9.99999999e-5, 9999999.0, 9999999.9, 12345678.0};
    // clang-format on
    for (int p = -310; p <= 308; ++p) {
        const double t = std::pow(10.0, p);
        values.insert(values.end(), {t, std::nextafter(t, 0.0), std::nextafter(t, kInf), 5 * t, -9.5 * t});
    }
    for (double v : values)
        if (v != 0 && std::isfinite(v))
            for (int digits : {7, 15}) check(v, digits);
    for (double v : {1.5, 0.125, 2.675, 1e22, 123456.789, 5e-324})
        for (int digits = 1; digits <= 17; ++digits) check(v, digits);
}

// clang-format off
TEST(NumTextGeneral, NegativeZeroAndNonFiniteValuesHaveFixedTexts) {
    const std::tuple<Form, double, const char*> cases[] = {
        {bare15, -0.0, "0"}, {plain15, -0.0, " 0"}, {exactDecimal, -0.0, " 0"}, {fixed2, -0.0, ".00"},
        {scientific, -0.0, "0.0000E+00"}, {shortScientific, -0.0, " 0"}, {percent, -0.0, "0.000"},
        {bare15, kNan, "NaN"}, {bare15, kInf, "Inf"}, {bare15, -kInf, "-Inf"}, {plain15, kInf, " Inf"},
        {exactDecimal, -kInf, "-Inf"}, {percent, kNan, "NaN"}, {scientific, -kInf, "Inf"},
        {shortScientific, -kInf, "-Inf"}, {fixed2, kNan, "NaN"}, {fixed3, kInf, "Inf"}};
    for (const auto& [form, v, want] : cases) EXPECT_EQ(form(v), want) << v;
}

TEST(NumTextExactAndPercent, NeverAnExponentAndThreeDecimals) {
    expectForm(exactDecimal, {
        {1.234e-4, " .0001234"}, {1e20, " 100000000000000000000"}, {-1.5, "-1.5"}, {-1.5e-7, "-.00000015"},
        {1.0 / 3.0, " .333333333333333"}, {2.0 / 3.0, " .666666666666667"}, {123456789.125, " 123456789.125"},
        {1234567890123456789.0, " 1234567890123460000"}, {1e-20, " .00000000000000000001"}});
    // An exact half rounds away from zero; what rounds to zero has no sign.
    expectForm(percent, {{0.1234, "12.340"}, {0, "0.000"}, {1, "100.000"}, {-0.05, "-5.000"}, {0.000005, "0.001"},
                       {0.0000049, "0.000"}, {-0.0000001, "0.000"}, {12.5, "1250.000"}});
}

TEST(NumTextScientific, ExamplesExtremesAndAMantissaNeverTen) {
    // The caller adds the sign of a negative value.
    expectForm(scientific, {
        {0.000123, "1.2300E-04"}, {15, "1.5000E+01"}, {-15, "1.5000E+01"}, {0, "0.0000E+00"}, {1, "1.0000E+00"},
        {123456, "1.2346E+05"}, {1e-100, "1.0000E-100"}, {DBL_MAX, "1.7977E+308"}, {4.94e-324, "4.9407E-324"},
        {9.99996, "1.0000E+01"}, {0.0999999, "1.0000E-01"}, {9.99994, "9.9999E+00"}, {1000, "1.0000E+03"}});
    EXPECT_LT(Log10(1000), 3.0); // so the mantissa of 1000 first comes out as 10
    for (int e = -300; e <= 300; e += 7) EXPECT_EQ(scientific(std::pow(10.0, e)).substr(0, 7), "1.0000E") << e;
    expectForm(shortScientific, {
        {0, " 0"}, {0.000123, "1.230E-04"}, {9.9996, "1.000E+01"}, {9.9994, "9.999E+00"}, {1, "1.000E+00"},
        {-0.000123, "-1.230E-04"}, {1000, "1.000E+03"}, {2.5e-120, "2.500E-120"}, {-DBL_MAX, "-1.798E+308"}});
}

TEST(NumTextFixed, TwoAndThreeDecimals) {
    // Halves round away from zero at the shown digits; more digits than the pattern's "#"s stay.
    expectForm(fixed2, {
        {0.5, ".50"}, {12.345, "12.35"}, {2.675, "2.68"}, {0, ".00"}, {-0.5, "-.50"}, {-0.004, ".00"},
        {99.995, "100.00"}, {0.995, "1.00"}, {1234567.891, "1234567.89"}, {123456789.0, "123456789.00"}});
    expectForm(fixed3, {{0.5, ".500"}, {-0.25, "-.250"}, {4.184 * 0.5, "2.092"}, {-1.0005, "-1.001"},
                          {0.0004, ".000"}, {-12.3456, "-12.346"}});
    // "##0.000" keeps a digit before the point (log activities: 1 gives 0.000, 1E-7 gives -7.000).
    expectForm(fixed3Lead, {{0.5, "0.500"}, {-0.25, "-0.250"}, {Log10(1), "0.000"}, {Log10(1e-7), "-7.000"},
                         {-0.0004, "0.000"}, {-12.3456, "-12.346"}});
}

TEST(NumTextReading, LeadingNumberIsTheLongestNumericPrefixLeadingWholeRoundsDown) {
    const std::pair<std::string, double> cases[] = {
        {"12abc", 12}, {" -1.5E-3x", -0.0015}, {"abc", 0}, {"1e", 1}, {"1e+", 1}, {"1e+x5", 1}, {".5", 0.5},
        {"-.5", -0.5}, {".", 0}, {"-", 0}, {"", 0}, {"1,5", 1}, {"  12abc", 12}, {"\t+2.", 2},
        {"1.5D-03", 0.0015}, {"2d2", 200}, {"1.2.3", 1.2}, {"- 5", 0},
        // Out of range: clamped to the largest value, or to 0.
        {"1e999", DBL_MAX}, {"-1e999", -DBL_MAX}, {"1e-999", 0}, {"1000000e-330", 0},
        {"0.00000000000000000000000000000001e400", DBL_MAX}, {"123e99999999999999999999999", DBL_MAX},
        {"5e-324", std::numeric_limits<double>::denorm_min()}, {std::string(400, '9'), DBL_MAX}};
    for (const auto& [text, want] : cases) EXPECT_EQ(leadingNumber(text), want) << text;
    EXPECT_FALSE(std::signbit(leadingNumber("-0")));
    const std::pair<const char*, long> whole[] = {
        {"12.9", 12}, {"-1.5", -2}, {" 3abc", 3}, {"x", 0}, {"1e30", std::numeric_limits<long>::max()},
        {"-1e30", std::numeric_limits<long>::min()}};
    for (const auto& [text, want] : whole) EXPECT_EQ(leadingWhole(text), want) << text;
}
// clang-format on

} // namespace
} // namespace kelva::text
