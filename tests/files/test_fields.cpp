#include "files/fields.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>
#include <random>
#include <vector>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace kelva {
namespace {

struct Got {
    std::string text;
    bool quoted;
    int line;
    int index;
};

std::vector<Got> allFields(const std::string& content) {
    FieldReader r(content, "t.DAT");
    std::vector<Got> out;
    Field f;
    while (r.next(f)) out.push_back({f.text, f.quoted, f.line, f.index});
    return out;
}

std::vector<std::string> texts(const std::string& content) {
    std::vector<std::string> out;
    for (const auto& g : allFields(content)) out.push_back(g.text);
    return out;
}

using Texts = std::vector<std::string>;

TEST(FieldReaderSyntax, RecordsOfQuotedAndBareFields) {
    auto got = allFields("\"RESULTS Prob. no. \",1\r\n\"pH \",7.5\r\n");
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].text, "RESULTS Prob. no. ");
    EXPECT_TRUE(got[0].quoted);
    EXPECT_EQ(got[1].text, "1");
    EXPECT_FALSE(got[1].quoted);
    EXPECT_EQ(got[2].text, "pH ");
    EXPECT_EQ(got[2].line, 2);
    EXPECT_EQ(got[2].index, 1);
    EXPECT_EQ(got[3].line, 2);
    EXPECT_EQ(got[3].index, 2);
}

TEST(FieldReaderSyntax, QuoteRules) {
    EXPECT_EQ(texts("\"abc\"xyz,5\r\n"), (Texts{"abc", "5"}));
    EXPECT_EQ(texts("\"a,b\",c\r\n"), (Texts{"a,b", "c"}));
    EXPECT_EQ(texts("  \"x\"  ,  12  \r\n"), (Texts{"x", "12"}));
    EXPECT_EQ(texts("\t\" keep \"\r\n"), (Texts{" keep "}));
    EXPECT_EQ(texts("\"\"\r\n"), (Texts{""}));
    EXPECT_EQ(texts("ab\"c\",d\r\n"), (Texts{"ab\"c\"", "d"})); // a quote inside is plain text
    EXPECT_EQ(texts("a b  ,\tc\t\r\n"), (Texts{"a b", "c"}));
}

TEST(FieldReaderSyntax, QuotedTextSpanningLinesKeepsLineCount) {
    auto got = allFields("\"one\r\ntwo\",x\r\ny\r\n");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].text, "one\r\ntwo");
    EXPECT_EQ(got[1].line, 2);
    EXPECT_EQ(got[2].line, 3);
}

TEST(FieldReaderSyntax, LineEndsOfEveryKind) {
    const Texts want{"a", "1", "b", "2"};
    for (const char* content : {"a,1\r\nb,2\r\n", "a,1\nb,2\n", "a,1\rb,2\r", "a,1\r\nb,2"}) {
        auto got = allFields(content);
        ASSERT_EQ(got.size(), 4u) << content;
        EXPECT_EQ(texts(content), want);
        EXPECT_EQ(got[2].line, 2);
        EXPECT_EQ(got[3].index, 2);
    }
    // LF CR is two line ends, so an empty line between.
    EXPECT_EQ(texts("a\n\rb\r\n"), (Texts{"a", "", "b"}));
}

TEST(FieldReaderSyntax, EmptyLinesAndFields) {
    EXPECT_EQ(texts(""), Texts{});
    EXPECT_EQ(texts("\r\n"), (Texts{""}));
    EXPECT_EQ(texts("a\r\n\r\nb\r\n"), (Texts{"a", "", "b"}));
    EXPECT_EQ(texts("   \r\n"), (Texts{""}));
    EXPECT_EQ(texts("a,,b\r\n"), (Texts{"a", "", "b"}));
    EXPECT_EQ(texts("a,\r\n"), (Texts{"a", ""}));
    EXPECT_EQ(texts("a,"), (Texts{"a", ""})); // the comma still owes its field
    EXPECT_EQ(texts(","), (Texts{"", ""}));
    EXPECT_EQ(texts("a"), (Texts{"a"}));
}

TEST(FieldReaderSyntax, TruncatedAndOddContent) {
    EXPECT_EQ(texts("1,\"abc\r\ndef"), (Texts{"1", "abc\r\ndef"})); // never closed
    EXPECT_EQ(texts("\""), (Texts{""}));
    EXPECT_EQ(texts("\"a,"), (Texts{"a,"}));
    EXPECT_EQ(texts("\xEF\xBB\xBF\"x\",1\r\n"), (Texts{"x", "1"}));
    EXPECT_EQ(texts("\xEF\xBB\xBF"), Texts{});
    std::string withNul("a\0b,c", 5);
    auto got = texts(withNul);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], std::string("a\0b", 3));
}

TEST(FieldReaderSyntax, EveryPrefixOfAFileReadsSafely) {
    const std::string file = "\"Name\",\"H\",1\r\n\"log K\", -1.5E-07 ,\"x\"tail\r\n\r\n2,.5,\"a,b\"\r\n";
    for (std::size_t n = 0; n <= file.size(); ++n) {
        FieldReader r(file.substr(0, n), "p");
        Field f;
        std::size_t count = 0;
        while (r.next(f)) ASSERT_LE(++count, n + 1);
        EXPECT_TRUE(r.atEnd());
        EXPECT_FALSE(r.next(f));
    }
}

TEST(FieldReaderSyntax, RandomBytesNeverHangOrOverrun) {
    std::mt19937 rng(99);
    const char alphabet[] = {'"', ',', '\r', '\n', ' ', '\t', 'a', '1', '.', 'E', '-', '\0'};
    for (int round = 0; round < 2000; ++round) {
        std::string s(rng() % 40, ' ');
        for (char& c : s) c = alphabet[rng() % sizeof alphabet];
        FieldReader r(s, "fuzz");
        Field f;
        std::size_t count = 0;
        while (r.next(f)) {
            ASSERT_LE(++count, s.size() + 1);
            ASSERT_LE(f.text.size(), s.size());
            f.number();
        }
    }
}

TEST(FieldNumber, WhichTextsAreNumbers) {
    for (const char* yes : {"0.5", ".5", "1E-03", "1.5E+07", "-3", "+2", "5.", "1e5", "2D3", "-.5E-1"}) {
        Field f{yes, false, 1, 1};
        EXPECT_TRUE(f.number().has_value()) << yes;
    }
    for (const char* no : {"1.2.3", "", "abc", "1e", "1e+", ".", "-", "1 2", "12abc", "E5", "1,5"}) {
        Field f{no, false, 1, 1};
        EXPECT_FALSE(f.number().has_value()) << no;
    }
    EXPECT_DOUBLE_EQ(Field({"1.5E+07", false, 1, 1}).number().value(), 1.5e7);
    EXPECT_DOUBLE_EQ(Field({"-.5E-1", false, 1, 1}).number().value(), -0.05);
    EXPECT_FALSE(Field({"5", true, 1, 1}).number().has_value());
}

TEST(FieldReaderTyped, NumbersAndTexts) {
    FieldReader r("\"Name\",2.5,,\"7\",\" -1E+2 \",1e999\r\n", "db.DBS");
    std::string name;
    double a = -1, b = -1, c = -1, d = -1, e = -1;
    ASSERT_TRUE(r.readText(name));
    EXPECT_EQ(name, "Name");
    ASSERT_TRUE(r.readNumber(a));
    ASSERT_TRUE(r.readNumber(b));
    ASSERT_TRUE(r.readNumber(c));
    ASSERT_TRUE(r.readNumber(d));
    ASSERT_TRUE(r.readNumber(e));
    EXPECT_EQ(a, 2.5);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(c, 7);
    EXPECT_EQ(d, -100);
    EXPECT_EQ(e, DBL_MAX);
    EXPECT_FALSE(r.error().has_value());
    EXPECT_EQ(r.fieldsRead(), 6u);
}

TEST(FieldReaderTyped, TextWhereANumberBelongs) {
    std::string content;
    for (int i = 0; i < 13; ++i) content += "1\r\n";
    content += "\"H\",1,abc,\"def\"\r\n";
    FieldReader r(content, "db.DBS");
    ASSERT_TRUE(r.skip(15));
    double v = 42;
    EXPECT_FALSE(r.readNumber(v, "log K"));
    EXPECT_EQ(v, 42);
    ASSERT_TRUE(r.error().has_value());
    EXPECT_EQ(r.error()->describe(), "db.DBS, line 14, field 3: expected log K, found \"abc\"");
    // Only the first failure is kept.
    EXPECT_FALSE(r.readNumber(v, "deltaH"));
    EXPECT_EQ(r.error()->field, 3);
    r.rewind();
    EXPECT_FALSE(r.error().has_value());
    EXPECT_EQ(r.line(), 1);
    EXPECT_EQ(r.fieldsRead(), 0u);
}

TEST(FieldReaderTyped, QuotedTextIsNotANumber) {
    FieldReader r("\"abc\",\"\"\r\n", "p.DAT");
    double v = 0;
    EXPECT_FALSE(r.readNumber(v, "pH"));
    EXPECT_EQ(r.error()->describe(), "p.DAT, line 1, field 1: expected pH, found \"abc\"");
    FieldReader q("\"\"\r\n", "p.DAT");
    EXPECT_FALSE(q.readNumber(v));
}

TEST(FieldReaderTyped, EndOfFile) {
    FieldReader r("1,2\r\n", "p.DAT");
    double v = 0;
    std::string s;
    ASSERT_TRUE(r.skip(2));
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.readText(s, "component name"));
    EXPECT_EQ(r.error()->message, "the file ends early (expected component name)");
    EXPECT_EQ(r.error()->line, 2);
    EXPECT_FALSE(r.readNumber(v));
    FieldReader q("1\r\n", "p.DAT");
    EXPECT_FALSE(q.skip(2));
}

TEST(FieldReaderTyped, WholeNumbersRoundHalfToEven) {
    FieldReader r("2.5,3.5,-2.5,32767.4,-32768.5,2.4999,7\r\n", "p");
    const std::int16_t want[] = {2, 4, -2, 32767, -32768, 2, 7};
    for (std::int16_t w : want) {
        std::int16_t got = 0;
        ASSERT_TRUE(r.readInt16(got));
        EXPECT_EQ(got, w);
    }
}

TEST(FieldReaderTyped, WholeNumbersOutOfRange) {
    for (const char* bad : {"32767.5", "40000", "-32769", "1e999"}) {
        FieldReader r(std::string("1,") + bad, "p");
        std::int16_t got = 5;
        ASSERT_TRUE(r.readInt16(got));
        EXPECT_FALSE(r.readInt16(got, "number of problems")) << bad;
        EXPECT_EQ(got, 1);
        ASSERT_TRUE(r.error().has_value());
        EXPECT_EQ(r.error()->field, 2);
        EXPECT_NE(r.error()->message.find(bad), std::string::npos);
    }
}

TEST(FieldReaderTyped, FloatsStayInRange) {
    FieldReader r(".1,1e300,-1e300\r\n", "p");
    float a = 0, b = 0, c = 0;
    ASSERT_TRUE(r.readFloat(a));
    ASSERT_TRUE(r.readFloat(b));
    ASSERT_TRUE(r.readFloat(c));
    EXPECT_EQ(a, 0.1f);
    EXPECT_EQ(b, FLT_MAX);
    EXPECT_EQ(c, -FLT_MAX);
}

TEST(FieldReaderTyped, SetErrorPointsAtTheLastField) {
    FieldReader r("\"x\"\r\n\"Yes\",\"Maybe\"\r\n", "p.DAT");
    ASSERT_TRUE(r.skip(3));
    r.setError("unknown flag");
    EXPECT_EQ(r.error()->describe(), "p.DAT, line 2, field 2: unknown flag");
    FieldReader q("", "e.DAT");
    q.setError("empty file");
    EXPECT_EQ(q.error()->describe(), "e.DAT, line 1, field 1: empty file");
    EXPECT_EQ((ReadError{"f", 0, 0, "cannot open"}).describe(), "f: cannot open");
}

TEST(FieldWriter, RecordLayout) {
    FieldWriter w;
    w.text("pH ");
    w.number(7.5);
    w.endLine();
    w.text("");
    w.endLine();
    w.integer(-12);
    w.empty();
    w.single(0.1f);
    w.number(1.0 / 3.0, 4);
    w.empty();
    w.endLine();
    w.raw("\"copied\"");
    w.endLine();
    EXPECT_EQ(w.str(), "\"pH \",7.5\r\n\"\"\r\n-12,,.1,.3333,\r\n\"copied\"\r\n");
    std::string taken = w.take();
    EXPECT_EQ(taken.substr(0, 5), "\"pH \"");
}

TEST(FieldWriter, QuoteInsideTextBecomesApostrophe) {
    FieldWriter w;
    w.text("5\" disk");
    w.integer(3);
    w.endLine();
    EXPECT_EQ(w.str(), "\"5' disk\",3\r\n");
    EXPECT_EQ(texts(w.str()), (Texts{"5' disk", "3"}));
}

TEST(FieldWriter, WhatIsWrittenReadsBack) {
    FieldWriter w;
    w.text("a, b");
    w.number(-1.5e-7);
    w.empty();
    w.single(2.5e10f);
    w.endLine();
    FieldReader r(w.str(), "w");
    std::string s;
    double a = 1, b = 1;
    float c = 0;
    ASSERT_TRUE(r.readText(s));
    ASSERT_TRUE(r.readNumber(a));
    ASSERT_TRUE(r.readNumber(b));
    ASSERT_TRUE(r.readFloat(c));
    EXPECT_EQ(s, "a, b");
    EXPECT_EQ(a, -1.5e-7);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(c, 2.5e10f);
    EXPECT_TRUE(r.atEnd());
}

TEST(WholeFiles, WriteReplaceAppendRead) {
    test::TempDir dir;
    const std::string path = dir.file("Tempo.out");
    std::string err;
    ASSERT_TRUE(writeFileAtomic(path, "first\r\n", err)) << err;
    ASSERT_TRUE(writeFileAtomic(path, std::string("se\0cond\r", 8), err)) << err;
    EXPECT_EQ(readWholeFile(path).value_or(""), std::string("se\0cond\r", 8));
    ASSERT_TRUE(appendFile(path, "more", err)) << err;
    EXPECT_EQ(readWholeFile(path).value_or("").size(), 12u);
    ASSERT_TRUE(appendFile(dir.file("new.out"), "x", err)) << err;
    EXPECT_EQ(readWholeFile(dir.file("new.out")).value_or(""), "x");
    ASSERT_TRUE(writeFileAtomic(dir.file("empty"), "", err)) << err;
    EXPECT_EQ(readWholeFile(dir.file("empty")).value_or("?"), "");
    // No temporary is left beside the files.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 3);
}

TEST(WholeFiles, MissingFilesAndFolders) {
    test::TempDir dir;
    std::string err;
    EXPECT_FALSE(readWholeFile(dir.file("none")).has_value());
    EXPECT_FALSE(readWholeFile(dir.path().string()).has_value());
    EXPECT_FALSE(FieldReader::open(dir.file("none")).has_value());
    EXPECT_FALSE(writeFileAtomic(dir.file("no/such/x.DBS"), "x", err));
    EXPECT_NE(err.find("no/such"), std::string::npos);
    err.clear();
    EXPECT_FALSE(appendFile(dir.file("no/such/x.out"), "x", err));
    EXPECT_FALSE(err.empty());
}

TEST(WholeFiles, OpenNamesTheFileInErrors) {
    test::TempDir dir;
    std::string err;
    ASSERT_TRUE(writeFileAtomic(dir.file("db.DBS"), "abc\r\n", err));
    auto r = FieldReader::open(dir.file("db.DBS"));
    ASSERT_TRUE(r.has_value());
    double v = 0;
    EXPECT_FALSE(r->readNumber(v, "Ncooh"));
    EXPECT_EQ(r->error()->describe(), "db.DBS, line 1, field 1: expected Ncooh, found \"abc\"");
}

TEST(WholeFiles, FailedRenameKeepsTheOldContent) {
    test::TempDir dir;
    // The target is a folder with a file in it: the rename over it must fail.
    const std::string target = dir.file("busy");
    std::filesystem::create_directories(target);
    std::string err;
    ASSERT_TRUE(writeFileAtomic(target + "/inside", "old", err));
    EXPECT_FALSE(writeFileAtomic(target, "new", err));
    EXPECT_NE(err.find("busy"), std::string::npos);
    EXPECT_EQ(readWholeFile(target + "/inside").value_or(""), "old");
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries += !e.path().empty();
    EXPECT_EQ(entries, 1u); // the temporary was removed
}

#if !defined(_WIN32)
TEST(WholeFiles, ReadOnlyFolderKeepsTheOldFile) {
    test::TempDir dir;
    const std::string path = dir.file("x.DBS");
    std::string err;
    ASSERT_TRUE(writeFileAtomic(path, "old", err));
    namespace fs = std::filesystem;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    bool stillWritable = access(dir.path().c_str(), W_OK) == 0; // e.g. when run as root
    bool ok = writeFileAtomic(path, "new", err);
    fs::permissions(dir.path(), fs::perms::owner_all);
    if (stillWritable) GTEST_SKIP() << "the folder stays writable for this user";
    EXPECT_FALSE(ok);
    EXPECT_NE(err.find("x.DBS.tmp-"), std::string::npos);
    EXPECT_EQ(readWholeFile(path).value_or(""), "old");
}

TEST(WholeFiles, FailedWriteKeepsTheOldFile) {
    test::TempDir dir;
    const std::string path = dir.file("Temp.dat");
    std::string err;
    ASSERT_TRUE(writeFileAtomic(path, "old", err));
    // A file size limit makes the write itself fail, whoever runs the test.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool ok = writeFileAtomic(path, std::string(1 << 20, 'x'), err);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_NE(err.find("cannot write"), std::string::npos);
    EXPECT_EQ(readWholeFile(path).value_or(""), "old");
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries += !e.path().empty();
    EXPECT_EQ(entries, 1u);
}

TEST(WholeFiles, LinkedTargetIsReplacedThroughTheLink) {
    test::TempDir dir;
    std::string err;
    ASSERT_TRUE(writeFileAtomic(dir.file("real.DBS"), "old", err));
    std::filesystem::create_symlink(dir.file("real.DBS"), dir.file("link.DBS"));
    ASSERT_TRUE(writeFileAtomic(dir.file("link.DBS"), "new", err)) << err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.DBS")));
    EXPECT_EQ(readWholeFile(dir.file("real.DBS")).value_or(""), "new");
}
#endif

} // namespace
} // namespace kelva
