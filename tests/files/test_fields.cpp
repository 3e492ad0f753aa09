// The field reader and writer shared by every file, the whole-file writes that never leave a
// half-written file in place of the old one, and the text forms of numbers.
#include "files/fields.h"
#include "files/generalform.h"
#include "files/numtext.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <initializer_list>
#include <iomanip>
#include <limits>
#include <vector>

#include <sys/resource.h>

namespace kelva {
namespace {

using namespace text;
using Texts = std::vector<std::string>;

Texts texts(const std::string& content) {
    FieldReader r(content, "t.DAT");
    Texts out;
    for (Field f; r.next(f);) out.push_back(f.text);
    return out;
}

std::size_t entries(const test::TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

// clang-format off
TEST(FieldReader, FieldsKnowTheirLineAndPlaceQuotesBlanksAndEmptyFields) {
    using Got = std::vector<std::tuple<std::string, bool, int, int>>;
    for (const char* content : {"\"a\",1\r\nb,2\r\n", "a,1\nb,2\n", "a,1\rb,2\r", "a,1\r\nb,2"}) {
        FieldReader r(content, "t.DAT");
        Got got;
        for (Field f; r.next(f);) got.emplace_back(f.text, f.quoted, f.line, f.index);
        EXPECT_EQ(got, (Got{{"a", content[0] == '"', 1, 1}, {"1", false, 1, 2}, {"b", false, 2, 1}, {"2", false, 2, 2}})) << content;
    }
    FieldReader r("\"one\r\ntwo\",x\r\ny\r\n", "t.DAT"); // quoted text that spans lines keeps the count
    Field f, g;
    ASSERT_TRUE(r.next(f) && r.next(f) && r.next(g));
    EXPECT_EQ(std::tuple(f.text, f.line, g.line), std::tuple("x", 2, 3));
    // A quote inside a bare field is plain text; a quote never closed runs to the end of the file;
    // LF CR is two line ends; a comma at the very end still owes its field.
    const std::pair<std::string, Texts> cases[] = {
        {"\"abc\"xyz,5\r\n", {"abc", "5"}}, {"\"a,b\",c\r\n", {"a,b", "c"}}, {"\"\"\r\n", {""}},
        {"  \"x\"  ,  12  \r\n", {"x", "12"}}, {"\t\" keep \"\r\n", {" keep "}}, {"ab\"c\",d\r\n", {"ab\"c\"", "d"}},
        {"a b  ,\tc\t\r\n", {"a b", "c"}}, {"1,\"abc\r\ndef", {"1", "abc\r\ndef"}}, {"\"", {""}}, {"\"a,", {"a,"}},
        {"\xEF\xBB\xBF\"x\",1\r\n", {"x", "1"}}, {"\xEF\xBB\xBF", {}}, {std::string("a\0b,c", 5), {std::string("a\0b", 3), "c"}},
        {"a\n\rb\r\n", {"a", "", "b"}}, {"", {}}, {"\r\n", {""}}, {"a\r\n\r\nb\r\n", {"a", "", "b"}}, {"   \r\n", {""}},
        {"a", {"a"}}, {"a,,b\r\n", {"a", "", "b"}}, {"a,\r\n", {"a", ""}}, {"a,", {"a", ""}}, {",", {"", ""}}};
    for (const auto& [content, want] : cases) EXPECT_EQ(texts(content), want) << content;
}

TEST(FieldNumber, WhichTextsAreNumbers) {
    const auto num = [](const char* text, bool quoted = false) { return Field{text, quoted, 1, 1}.number(); };
    for (const char* yes : {"0.5", ".5", "1E-03", "-3", "+2", "5.", "1e5", "2D3"}) EXPECT_TRUE(num(yes)) << yes;
    for (const char* no : {"1.2.3", "", "abc", "1e", "1e+", ".", "-", "1 2", "12abc", "E5", "1,5"}) EXPECT_FALSE(num(no)) << no;
    EXPECT_EQ(std::tuple(num("1.5E+07").value(), num("-.5E-1").value(), num("5", true).has_value()), std::tuple(1.5e7, -0.05, false));
}
// clang-format on

TEST(FieldReader, TypedReadsKeepTheFirstErrorAndSayWhere) {
    FieldReader r("\"Name\",2.5,,\"7\",\" -1E+2 \",1e999\r\n.1,1e300,-1e300\r\n\"H\",abc,\"\"\r\n", "db.DBS");
    std::string name;
    ASSERT_TRUE(r.readText(name) && name == "Name") << name;
    for (double want : {2.5, 0.0, 7.0, -100.0, DBL_MAX}) { // an empty field is 0, a quoted number counts
        double v = -1;
        EXPECT_TRUE(r.readNumber(v) && v == want) << v;
    }
    for (float want : {0.1f, FLT_MAX, -FLT_MAX}) { // floats stay in range
        float v = 0;
        EXPECT_TRUE(r.readFloat(v) && v == want) << v;
    }
    EXPECT_EQ(r.fieldsRead(), 9u);
    ASSERT_TRUE(r.skip(1));
    double v = 42;
    EXPECT_TRUE(!r.readNumber(v, "log K") && v == 42);
    EXPECT_EQ(r.error()->describe(), "db.DBS, line 3, field 2: expected log K, found \"abc\"");
    EXPECT_FALSE(r.readNumber(v, "deltaH")); // only the first failure is kept
    EXPECT_EQ(r.error()->field, 2);
    r.rewind();
    EXPECT_EQ(std::tuple(r.error().has_value(), r.line(), r.fieldsRead()), std::tuple(false, 1, 0u));
    // (Where the file ends early and the readers' own messages: the readers' tests.)
    EXPECT_FALSE(FieldReader("1\r\n", "p.DAT").skip(2));
    EXPECT_EQ((ReadError{"f", 0, 0, "cannot open"}).describe(), "f: cannot open");
}

TEST(FieldReader, WholeNumbersRoundHalfToEvenWithinSixteenBits) {
    FieldReader r("2.5,3.5,-2.5,32767.4,-32768.5,2.4999,7\r\n", "p");
    for (std::int16_t want : {2, 4, -2, 32767, -32768, 2, 7}) {
        std::int16_t got = 0;
        EXPECT_TRUE(r.readInt16(got) && got == want) << got;
    }
    for (const char* bad : {"32767.5", "40000", "-32769", "1e999"}) {
        FieldReader q(std::string("1,") + bad, "p");
        std::int16_t got = 5;
        EXPECT_TRUE(q.readInt16(got) && !q.readInt16(got, "number of problems")) << bad;
        EXPECT_EQ(std::tuple(got, q.error()->field), std::tuple(1, 2));
        EXPECT_NE(q.error()->message.find(bad), std::string::npos);
    }
}

// clang-format off
TEST(FieldWriter, RecordLayoutReadsBack) {
    FieldWriter w;
    w.text("pH "); w.number(7.5); w.endLine();
    w.text(""); w.endLine();
    w.integer(-12); w.empty(); w.single(0.1f); w.number(1.0 / 3.0, 4); w.single(2.5e10f); w.empty(); w.endLine();
    w.raw("\"copied\""); w.text("5\" disk, a"); w.endLine(); // a quote inside text becomes an apostrophe
    EXPECT_EQ(w.str(), "\"pH \",7.5\r\n\"\"\r\n-12,,.1,.3333,2.5E+10,\r\n\"copied\",\"5' disk, a\"\r\n");
    EXPECT_EQ(texts(w.str()),
              (Texts{"pH ", "7.5", "", "-12", "", ".1", ".3333", "2.5E+10", "", "copied", "5' disk, a"}));
    EXPECT_EQ(w.take().substr(0, 5), "\"pH \"");
}
// clang-format on

// Whole files are replaced only when written completely: a rename over a folder and a write cut
// by the file size limit leave the old file, and no temporary file is left behind.
TEST(WholeFiles, WritesReplaceOnlyWhenCompleteAndLeaveNoTemporary) {
    test::TempDir dir;
    const std::string path = dir.file("Tempo.out"), old("se\0cond\rmore", 12);
    std::string err;
    ASSERT_TRUE(writeFileAtomic(path, "first\r\n", err) && writeFileAtomic(path, old.substr(0, 8), err) &&
                appendFile(path, "more", err) && appendFile(dir.file("new.out"), "x", err) &&
                writeFileAtomic(dir.file("db.DBS"), "abc\r\n", err))
        << err;
    EXPECT_EQ(std::tuple(readWholeFile(path), readWholeFile(dir.file("new.out"))), std::tuple(old, "x"));
    EXPECT_FALSE(readWholeFile(dir.file("none")) || readWholeFile(dir.path().string()));
    EXPECT_FALSE(writeFileAtomic(dir.file("no/such/x.DBS"), "x", err));
    EXPECT_NE(err.find("no/such"), std::string::npos) << err;
    err.clear();
    EXPECT_FALSE(appendFile(dir.file("no/such/x.out"), "x", err) || err.empty());
    EXPECT_EQ(entries(dir), 3u);
    AtomicFileWriter file(path); // (a run abandoned keeps the old file: the run's tests)
    ASSERT_TRUE(file.open(err)) << err;
    for (const char* piece : {"block 1\r\n", "", "block 2\r\n"}) file.write(piece);
    ASSERT_TRUE(file.commit(err)) << err;
    EXPECT_EQ(readWholeFile(path), "block 1\r\nblock 2\r\n");
    EXPECT_EQ(entries(dir), 3u);
    EXPECT_FALSE(file.commit(err)); // committed once, closed since

    const std::string busy = dir.file("busy"); // a folder with a file in it: the rename must fail
    std::filesystem::create_directories(busy);
    ASSERT_TRUE(writeFileAtomic(busy + "/inside", "old", err));
    EXPECT_FALSE(writeFileAtomic(busy, "new", err) || err.find("busy") == std::string::npos) << err;
    EXPECT_EQ(readWholeFile(busy + "/inside"), "old");
    EXPECT_EQ(entries(dir), 4u);

    // A file size limit makes the write itself fail, whoever runs the test.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = writeFileAtomic(path, std::string(1 << 20, 'x'), err);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok || err.find("cannot write") == std::string::npos) << err;
    EXPECT_EQ(readWholeFile(path), "block 1\r\nblock 2\r\n");
    EXPECT_EQ(entries(dir), 4u);
}

using Form = std::string (*)(double);
constexpr Form bare15 = [](double v) { return bare(v); };
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
} // namespace kelva
