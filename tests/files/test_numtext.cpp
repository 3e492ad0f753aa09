#include "files/fields.h"
#include "files/numtext.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

namespace kelva::text {
namespace {

TEST(NumTextGeneral, FileExamples) {
    EXPECT_EQ(bare(0.05), ".05");
    EXPECT_EQ(bare(-0.5), "-.5");
    EXPECT_EQ(bare(1.5e-7), "1.5E-07");
    EXPECT_EQ(bare(1e15), "1E+15");
    EXPECT_EQ(bare(12345678.0, kSingleDigits), "1.234568E+07");
    EXPECT_EQ(bare(7.5), "7.5");
    EXPECT_EQ(bare(-273.16), "-273.16");
    EXPECT_EQ(bare(999), "999");
    EXPECT_EQ(bare(0), "0");
    EXPECT_EQ(bare(1.5e-300), "1.5E-300");
    EXPECT_EQ(bare(-2.5e120), "-2.5E+120");
}

TEST(NumTextGeneral, PlainAddsBlankUnlessNegative) {
    EXPECT_EQ(plain(0.05), " .05");
    EXPECT_EQ(plain(1.5e-7), " 1.5E-07");
    EXPECT_EQ(plain(-0.05), "-.05");
    EXPECT_EQ(plain(0), " 0");
    EXPECT_EQ(plain(42), " 42");
    EXPECT_EQ(plainSingle(-2.5f), "-2.5");
}

TEST(NumTextGeneral, ExponentRuleBoundaries) {
    EXPECT_EQ(bare(1e-4), ".0001");
    EXPECT_EQ(bare(9.99999e-5), "9.99999E-05");
    // The exponent is decided after rounding: this one rounds up to 1E-04 at 7 digits.
    EXPECT_EQ(bare(9.99999999e-5, kSingleDigits), ".0001");
    EXPECT_EQ(bare(1e14), "100000000000000");
    EXPECT_EQ(bare(999999999999999.0), "999999999999999");
    EXPECT_EQ(bare(1e15), "1E+15");
    EXPECT_EQ(bare(9999999.0, kSingleDigits), "9999999");
    EXPECT_EQ(bare(10000000.0, kSingleDigits), "1E+07");
    EXPECT_EQ(bare(99999995.0, kSingleDigits), "1E+08");
    // Rounding that carries into a new digit.
    EXPECT_EQ(bare(9.9999999, kSingleDigits), "10");
    EXPECT_EQ(bare(9999999.9, kSingleDigits), "1E+07");
    EXPECT_EQ(bare(0.99999999, kSingleDigits), "1");
    EXPECT_EQ(bare(-0.99999999, kSingleDigits), "-1");
}

TEST(NumTextGeneral, SinglePrecisionValuesUseSevenDigits) {
    EXPECT_EQ(bareSingle(0.1f), ".1");
    EXPECT_EQ(bare(static_cast<double>(0.1f)), ".100000001490116");
    EXPECT_EQ(bareSingle(1.0f / 3.0f), ".3333333");
    EXPECT_EQ(bareSingle(6.02e23f), "6.02E+23");
}

TEST(NumTextGeneral, NegativeZeroIsZero) {
    EXPECT_EQ(bare(-0.0), "0");
    EXPECT_EQ(plain(-0.0), " 0");
    EXPECT_EQ(exactDecimal(-0.0), " 0");
    EXPECT_EQ(scientific(-0.0), "0.0000E+00");
    EXPECT_EQ(shortScientific(-0.0), " 0");
    EXPECT_EQ(fixed2(-0.0), ".00");
    EXPECT_EQ(percent(-0.0), "0.000");
}

TEST(NumTextGeneral, NonFiniteValuesHaveFixedTexts) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(bare(nan), "NaN");
    EXPECT_EQ(bare(inf), "Inf");
    EXPECT_EQ(bare(-inf), "-Inf");
    EXPECT_EQ(plain(inf), " Inf");
    EXPECT_EQ(exactDecimal(-inf), "-Inf");
    EXPECT_EQ(percent(nan), "NaN");
    EXPECT_EQ(scientific(-inf), "Inf");
    EXPECT_EQ(shortScientific(-inf), "-Inf");
    EXPECT_EQ(fixed2(nan), "NaN");
    EXPECT_EQ(fixed3(inf), "Inf");
}

TEST(NumTextExact, NeverAnExponent) {
    EXPECT_EQ(exactDecimal(1.234e-4), " .0001234");
    EXPECT_EQ(exactDecimal(1e20), " 100000000000000000000");
    EXPECT_EQ(exactDecimal(-1.5), "-1.5");
    EXPECT_EQ(exactDecimal(1.0 / 3.0), " .333333333333333");
    EXPECT_EQ(exactDecimal(2.0 / 3.0), " .666666666666667");
    EXPECT_EQ(exactDecimal(-1.5e-7), "-.00000015");
    EXPECT_EQ(exactDecimal(123456789.125), " 123456789.125");
    EXPECT_EQ(exactDecimal(1234567890123456789.0), " 1234567890123460000");
    EXPECT_EQ(exactDecimal(1e-20), " .00000000000000000001");
}

TEST(NumTextPercent, ThreeDecimalsAtLeastOneDigit) {
    EXPECT_EQ(percent(0.1234), "12.340");
    EXPECT_EQ(percent(0), "0.000");
    EXPECT_EQ(percent(1), "100.000");
    EXPECT_EQ(percent(-0.05), "-5.000");
    EXPECT_EQ(percent(0.000005), "0.001"); // an exact half rounds away from zero
    EXPECT_EQ(percent(0.0000049), "0.000");
    EXPECT_EQ(percent(-0.0000001), "0.000"); // rounds to zero: no sign
    EXPECT_EQ(percent(12.5), "1250.000");
}

TEST(NumTextScientific, Examples) {
    EXPECT_EQ(scientific(0.000123), "1.2300E-04");
    EXPECT_EQ(scientific(15), "1.5000E+01");
    EXPECT_EQ(scientific(-15), "1.5000E+01"); // the caller adds the sign
    EXPECT_EQ(scientific(0), "0.0000E+00");
    EXPECT_EQ(scientific(1), "1.0000E+00");
    EXPECT_EQ(scientific(123456), "1.2346E+05");
    EXPECT_EQ(scientific(1e-100), "1.0000E-100");
}

TEST(NumTextScientific, MantissaNeverTen) {
    EXPECT_EQ(scientific(9.99996), "1.0000E+01");
    EXPECT_EQ(scientific(0.0999999), "1.0000E-01");
    EXPECT_EQ(scientific(9.99994), "9.9999E+00");
    // ln-based logarithm of 1000 lies just below 3: the mantissa first comes out as 10.
    EXPECT_LT(Log10(1000), 3.0);
    EXPECT_EQ(scientific(1000), "1.0000E+03");
    for (int e = -300; e <= 300; e += 7) {
        std::string s = scientific(std::pow(10.0, e));
        EXPECT_EQ(s.substr(0, 7), "1.0000E") << e;
    }
}

TEST(NumTextScientific, ExtremeMagnitudes) {
    EXPECT_EQ(scientific(std::numeric_limits<double>::denorm_min()), "4.9407E-324");
    EXPECT_EQ(scientific(DBL_MAX), "1.7977E+308");
    EXPECT_EQ(shortScientific(-DBL_MAX), "-1.798E+308");
}

TEST(NumTextShortScientific, Examples) {
    EXPECT_EQ(shortScientific(0), " 0");
    EXPECT_EQ(shortScientific(0.000123), "1.230E-04");
    EXPECT_EQ(shortScientific(9.9996), "1.000E+01");
    EXPECT_EQ(shortScientific(9.9994), "9.999E+00");
    EXPECT_EQ(shortScientific(-0.000123), "-1.230E-04");
    EXPECT_EQ(shortScientific(1), "1.000E+00");
    EXPECT_EQ(shortScientific(1000), "1.000E+03");
    EXPECT_EQ(shortScientific(2.5e-120), "2.500E-120");
}

TEST(NumTextFixed, TwoDecimals) {
    EXPECT_EQ(fixed2(0.5), ".50");
    EXPECT_EQ(fixed2(12.345), "12.35");
    EXPECT_EQ(fixed2(2.675), "2.68"); // half away from zero at the shown digits
    EXPECT_EQ(fixed2(0), ".00");
    EXPECT_EQ(fixed2(-0.5), "-.50");
    EXPECT_EQ(fixed2(-0.004), ".00");
    EXPECT_EQ(fixed2(99.995), "100.00");
    EXPECT_EQ(fixed2(0.995), "1.00");
    EXPECT_EQ(fixed2(1234567.891), "1234567.89");
    EXPECT_EQ(fixed2(123456789.0), "123456789.00"); // more digits than the pattern's "#"s
}

TEST(NumTextFixed, ThreeDecimals) {
    EXPECT_EQ(fixed3(0.5), ".500");
    EXPECT_EQ(fixed3(-0.25), "-.250");
    EXPECT_EQ(fixed3(4.184 * 0.5), "2.092");
    EXPECT_EQ(fixed3(-1.0005), "-1.001");
    EXPECT_EQ(fixed3(0.0004), ".000");
    EXPECT_EQ(fixed3(-12.3456), "-12.346");
}

TEST(NumTextReading, LeadingNumber) {
    EXPECT_DOUBLE_EQ(leadingNumber("12abc"), 12);
    EXPECT_DOUBLE_EQ(leadingNumber(" -1.5E-3x"), -0.0015);
    EXPECT_DOUBLE_EQ(leadingNumber("abc"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("1e"), 1);
    EXPECT_DOUBLE_EQ(leadingNumber("1e+"), 1);
    EXPECT_DOUBLE_EQ(leadingNumber("1e+x5"), 1);
    EXPECT_DOUBLE_EQ(leadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("."), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("-"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber(""), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("1,5"), 1);
    EXPECT_DOUBLE_EQ(leadingNumber("  12abc"), 12);
    EXPECT_DOUBLE_EQ(leadingNumber("\t+2."), 2);
    EXPECT_DOUBLE_EQ(leadingNumber("1.5D-03"), 0.0015);
    EXPECT_DOUBLE_EQ(leadingNumber("2d2"), 200);
    EXPECT_DOUBLE_EQ(leadingNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(leadingNumber("- 5"), 0);
    EXPECT_FALSE(std::signbit(leadingNumber("-0")));
}

TEST(NumTextReading, OutOfRangeIsClamped) {
    EXPECT_EQ(leadingNumber("1e999"), DBL_MAX);
    EXPECT_EQ(leadingNumber("-1e999"), -DBL_MAX);
    EXPECT_EQ(leadingNumber("1e-999"), 0);
    EXPECT_EQ(leadingNumber("0.00000000000000000000000000000001e400"), DBL_MAX);
    EXPECT_EQ(leadingNumber("123e99999999999999999999999"), DBL_MAX);
    EXPECT_EQ(leadingNumber("1000000e-330"), 0);
    EXPECT_EQ(leadingNumber("5e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(leadingNumber(std::string(400, '9')), DBL_MAX);
}

TEST(NumTextReading, LeadingWholeRoundsDown) {
    EXPECT_EQ(leadingWhole("12.9"), 12);
    EXPECT_EQ(leadingWhole("-1.5"), -2);
    EXPECT_EQ(leadingWhole(" 3abc"), 3);
    EXPECT_EQ(leadingWhole("x"), 0);
    EXPECT_EQ(leadingWhole("1e30"), std::numeric_limits<long>::max());
    EXPECT_EQ(leadingWhole("-1e30"), std::numeric_limits<long>::min());
}

// Half a unit in the 15th significant digit of v, plus the rounding of the read-back itself.
double halfUnit15(double v) {
    double e = std::floor(std::log10(std::fabs(v)));
    return 0.5 * std::pow(10.0, e - 14) + std::fabs(v) * DBL_EPSILON;
}

TEST(NumTextRoundTrip, DoublesThroughTheFileForm) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> mant(1.0, 10.0);
    std::uniform_int_distribution<int> expo(-300, 300);
    for (int i = 0; i < 20000; ++i) {
        double v = mant(rng) * std::pow(10.0, expo(rng)) * (i % 2 ? -1 : 1);
        Field f{bare(v), false, 1, 1};
        auto back = f.number();
        ASSERT_TRUE(back.has_value()) << f.text;
        ASSERT_LE(std::fabs(*back - v), halfUnit15(v)) << f.text;
        Field full{bare(v, 17), false, 1, 1};
        ASSERT_EQ(full.number().value_or(0), v) << full.text;
    }
}

TEST(NumTextRoundTrip, SinglesThroughTheFileForm) {
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> digits(0, 999999);
    std::uniform_int_distribution<int> expo(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        // A value typed with up to six digits comes back as the very same float.
        std::string typed = "." + std::to_string(digits(rng)) + "E" + std::to_string(expo(rng));
        float f = static_cast<float>(leadingNumber(typed));
        ASSERT_EQ(static_cast<float>(leadingNumber(bareSingle(f))), f) << typed;
        // Any float comes back within half a unit of its seventh digit.
        float g = std::ldexp(static_cast<float>(digits(rng) + 1) / 1e6f, expo(rng) * 3);
        double back = leadingNumber(bareSingle(g));
        double e = std::floor(std::log10(std::fabs(static_cast<double>(g))));
        ASSERT_LE(std::fabs(back - g), 0.5 * std::pow(10.0, e - 6) + std::fabs(back) * DBL_EPSILON)
            << bareSingle(g);
    }
}

} // namespace
} // namespace kelva::text
