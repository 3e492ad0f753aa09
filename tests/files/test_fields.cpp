#include "files/fields.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>
#include <ostream>
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
    bool operator==(const Got&) const = default;
};
void PrintTo(const Got& g, std::ostream* os) {
    *os << ::testing::PrintToString(g.text) << (g.quoted ? " quoted" : "") << " at " << g.line << ":"
        << g.index;
}
using Gots = std::vector<Got>;
using Texts = std::vector<std::string>;

Gots allFields(const std::string& content) {
    FieldReader r(content, "t.DAT");
    Gots out;
    Field f;
    while (r.next(f)) out.push_back({f.text, f.quoted, f.line, f.index});
    return out;
}

Texts texts(const std::string& content) {
    Texts out;
    for (const auto& g : allFields(content)) out.push_back(g.text);
    return out;
}

// Reads every field of `content`: the reader must stop, at the end, within the content.
void drain(const std::string& content) {
    FieldReader r(content, "p");
    Field f;
    std::size_t count = 0;
    while (r.next(f)) {
        ASSERT_LE(++count, content.size() + 1);
        ASSERT_LE(f.text.size(), content.size());
        f.number();
    }
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.next(f));
}

std::size_t entries(const test::TempDir& dir) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) n += !e.path().empty();
    return n;
}

// The case tables keep several cases on a line.
// clang-format off
TEST(FieldReaderSyntax, FieldsKnowTheirLineAndPlace) {
    EXPECT_EQ(allFields("\"RESULTS Prob. no. \",1\r\n\"pH \",7.5\r\n"),
              (Gots{{"RESULTS Prob. no. ", true, 1, 1}, {"1", false, 1, 2}, {"pH ", true, 2, 1},
                    {"7.5", false, 2, 2}}));
    // Quoted text that spans lines keeps the line count.
    const auto spanning = allFields("\"one\r\ntwo\",x\r\ny\r\n");
    ASSERT_EQ(spanning.size(), 3u);
    EXPECT_EQ(spanning[0].text, "one\r\ntwo");
    EXPECT_EQ(spanning[1].line, 2);
    EXPECT_EQ(spanning[2].line, 3);
}

TEST(FieldReaderSyntax, LineEndsOfEveryKind) {
    const Gots want{{"a", false, 1, 1}, {"1", false, 1, 2}, {"b", false, 2, 1}, {"2", false, 2, 2}};
    for (const char* content : {"a,1\r\nb,2\r\n", "a,1\nb,2\n", "a,1\rb,2\r", "a,1\r\nb,2"})
        EXPECT_EQ(allFields(content), want) << content;
    // LF CR is two line ends, so an empty line between.
    EXPECT_EQ(texts("a\n\rb\r\n"), (Texts{"a", "", "b"}));
}

TEST(FieldReaderSyntax, QuotesBlanksAndUnclosedQuotes) {
    // A quote inside a bare field is plain text; a quote never closed runs to the end of the file.
    const std::pair<std::string, Texts> cases[] = {
        {"\"abc\"xyz,5\r\n", {"abc", "5"}}, {"\"a,b\",c\r\n", {"a,b", "c"}}, {"\"\"\r\n", {""}},
        {"  \"x\"  ,  12  \r\n", {"x", "12"}}, {"\t\" keep \"\r\n", {" keep "}},
        {"ab\"c\",d\r\n", {"ab\"c\"", "d"}},
        {"a b  ,\tc\t\r\n", {"a b", "c"}}, {"1,\"abc\r\ndef", {"1", "abc\r\ndef"}}, {"\"", {""}},
        {"\"a,", {"a,"}}, {"\xEF\xBB\xBF\"x\",1\r\n", {"x", "1"}}, {"\xEF\xBB\xBF", {}},
        {std::string("a\0b,c", 5), {std::string("a\0b", 3), "c"}}};
    for (const auto& [content, want] : cases) EXPECT_EQ(texts(content), want) << content;
}

TEST(FieldReaderSyntax, EmptyLinesAndFields) {
    // A comma at the very end still owes its field.
    const std::pair<std::string, Texts> cases[] = {
        {"", {}}, {"\r\n", {""}}, {"a\r\n\r\nb\r\n", {"a", "", "b"}}, {"   \r\n", {""}}, {"a", {"a"}},
        {"a,,b\r\n", {"a", "", "b"}}, {"a,\r\n", {"a", ""}}, {"a,", {"a", ""}}, {",", {"", ""}}};
    for (const auto& [content, want] : cases) EXPECT_EQ(texts(content), want) << content;
}
// clang-format on

TEST(FieldReaderSyntax, ArbitraryContentNeverHangsOrOverruns) {
    const std::string file = "\"Name\",\"H\",1\r\n\"log K\", -1.5E-07 ,\"x\"tail\r\n\r\n2,.5,\"a,b\"\r\n";
    for (std::size_t n = 0; n <= file.size(); ++n) drain(file.substr(0, n));
    std::mt19937 rng(99);
    const char alphabet[] = {'"', ',', '\r', '\n', ' ', '\t', 'a', '1', '.', 'E', '-', '\0'};
    for (int round = 0; round < 2000; ++round) {
        std::string s(rng() % 40, ' ');
        for (char& c : s) c = alphabet[rng() % sizeof alphabet];
        drain(s);
    }
}

TEST(FieldNumber, WhichTextsAreNumbers) {
    const auto num = [](const char* text, bool quoted = false) { return Field{text, quoted, 1, 1}.number(); };
    for (const char* yes : {"0.5", ".5", "1E-03", "1.5E+07", "-3", "+2", "5.", "1e5", "2D3", "-.5E-1"})
        EXPECT_TRUE(num(yes).has_value()) << yes;
    for (const char* no : {"1.2.3", "", "abc", "1e", "1e+", ".", "-", "1 2", "12abc", "E5", "1,5"})
        EXPECT_FALSE(num(no).has_value()) << no;
    EXPECT_DOUBLE_EQ(num("1.5E+07").value(), 1.5e7);
    EXPECT_DOUBLE_EQ(num("-.5E-1").value(), -0.05);
    EXPECT_FALSE(num("5", true).has_value());
}

TEST(FieldReaderTyped, NumbersTextsAndFloats) {
    FieldReader r("\"Name\",2.5,,\"7\",\" -1E+2 \",1e999\r\n", "db.DBS");
    std::string name;
    ASSERT_TRUE(r.readText(name));
    EXPECT_EQ(name, "Name");
    for (double want : {2.5, 0.0, 7.0, -100.0, DBL_MAX}) {
        double v = -1;
        ASSERT_TRUE(r.readNumber(v));
        EXPECT_EQ(v, want);
    }
    EXPECT_FALSE(r.error().has_value());
    EXPECT_EQ(r.fieldsRead(), 6u);
    // Floats stay in range.
    FieldReader q(".1,1e300,-1e300\r\n", "p");
    for (float want : {0.1f, FLT_MAX, -FLT_MAX}) {
        float v = 0;
        ASSERT_TRUE(q.readFloat(v));
        EXPECT_EQ(v, want);
    }
}

TEST(FieldReaderTyped, TextWhereANumberBelongsIsTheFirstError) {
    std::string content;
    for (int i = 0; i < 13; ++i) content += "1\r\n";
    FieldReader r(content + "\"H\",1,abc,\"def\"\r\n", "db.DBS");
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
    FieldReader q("\"abc\",\"\"\r\n", "p.DAT");
    EXPECT_FALSE(q.readNumber(v, "pH"));
    EXPECT_EQ(q.error()->describe(), "p.DAT, line 1, field 1: expected pH, found \"abc\"");
    EXPECT_FALSE(FieldReader("\"\"\r\n", "p.DAT").readNumber(v));
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
    EXPECT_FALSE(FieldReader("1\r\n", "p.DAT").skip(2));
}

TEST(FieldReaderTyped, WholeNumbersRoundHalfToEvenWithinSixteenBits) {
    FieldReader r("2.5,3.5,-2.5,32767.4,-32768.5,2.4999,7\r\n", "p");
    for (std::int16_t want : {2, 4, -2, 32767, -32768, 2, 7}) {
        std::int16_t got = 0;
        ASSERT_TRUE(r.readInt16(got));
        EXPECT_EQ(got, want);
    }
    for (const char* bad : {"32767.5", "40000", "-32769", "1e999"}) {
        FieldReader q(std::string("1,") + bad, "p");
        std::int16_t got = 5;
        ASSERT_TRUE(q.readInt16(got));
        EXPECT_FALSE(q.readInt16(got, "number of problems")) << bad;
        EXPECT_EQ(got, 1);
        ASSERT_TRUE(q.error().has_value());
        EXPECT_EQ(q.error()->field, 2);
        EXPECT_NE(q.error()->message.find(bad), std::string::npos);
    }
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
    w.text("5\" disk"); // a quote inside text becomes an apostrophe
    w.endLine();
    EXPECT_EQ(w.str(), "\"pH \",7.5\r\n\"\"\r\n-12,,.1,.3333,\r\n\"copied\",\"5' disk\"\r\n");
    EXPECT_EQ(w.take().substr(0, 5), "\"pH \"");
}

TEST(FieldWriter, WhatIsWrittenReadsBack) {
    FieldWriter w;
    w.text("a, b");
    w.number(-1.5e-7);
    w.empty();
    w.single(2.5e10f);
    w.text("5\" disk");
    w.endLine();
    FieldReader r(w.str(), "w");
    std::string s, disk;
    double a = 1, b = 1;
    float c = 0;
    ASSERT_TRUE(r.readText(s) && r.readNumber(a) && r.readNumber(b) && r.readFloat(c) && r.readText(disk));
    EXPECT_EQ(s, "a, b");
    EXPECT_EQ(a, -1.5e-7);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(c, 2.5e10f);
    EXPECT_EQ(disk, "5' disk");
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
    EXPECT_EQ(readWholeFile(path).value_or(""), std::string("se\0cond\rmore", 12));
    ASSERT_TRUE(appendFile(dir.file("new.out"), "x", err)) << err;
    EXPECT_EQ(readWholeFile(dir.file("new.out")).value_or(""), "x");
    ASSERT_TRUE(writeFileAtomic(dir.file("empty"), "", err)) << err;
    EXPECT_EQ(readWholeFile(dir.file("empty")).value_or("?"), "");
    EXPECT_EQ(entries(dir), 3u); // no temporary is left beside the files
    // A reader of a file names it in its errors.
    ASSERT_TRUE(writeFileAtomic(dir.file("db.DBS"), "abc\r\n", err));
    auto r = FieldReader::open(dir.file("db.DBS"));
    ASSERT_TRUE(r.has_value());
    double v = 0;
    EXPECT_FALSE(r->readNumber(v, "Ncooh"));
    EXPECT_EQ(r->error()->describe(), "db.DBS, line 1, field 1: expected Ncooh, found \"abc\"");
}

TEST(WholeFiles, StreamedFileReplacesTheOldOneOnlyWhenCommitted) {
    test::TempDir dir;
    const std::string path = dir.file("Tempo.out");
    std::string err;
    ASSERT_TRUE(writeFileAtomic(path, "old", err));
    {
        AtomicFileWriter file(path);
        ASSERT_TRUE(file.open(err)) << err;
        file.write("part of a run");
        EXPECT_EQ(readWholeFile(path).value_or(""), "old"); // nothing replaced while it runs
    } // abandoned: a run that never finished
    EXPECT_EQ(readWholeFile(path).value_or(""), "old");
    EXPECT_EQ(entries(dir), 1u);
    AtomicFileWriter file(path);
    ASSERT_TRUE(file.open(err)) << err;
    for (const char* piece : {"block 1\r\n", "", "block 2\r\n"}) file.write(piece);
    ASSERT_TRUE(file.commit(err)) << err;
    EXPECT_EQ(readWholeFile(path).value_or(""), "block 1\r\nblock 2\r\n");
    EXPECT_EQ(entries(dir), 1u);
    EXPECT_FALSE(file.commit(err)); // committed once, closed since
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
    EXPECT_EQ(entries(dir), 1u); // the temporary was removed
}

#if !defined(_WIN32)
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
    EXPECT_EQ(entries(dir), 1u);
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
