// The field reader and writer shared by every file, and the whole-file writes that never leave a
// half-written file in place of the old one.
#include "files/fields.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <csignal>
#include <filesystem>
#include <vector>

#include <sys/resource.h>

namespace kelva {
namespace {

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

    FieldReader e("1,2\r\n", "p.DAT");
    std::string s;
    ASSERT_TRUE(e.skip(2) && e.atEnd());
    EXPECT_FALSE(e.readText(s, "component name"));
    EXPECT_EQ(e.error()->describe(), "p.DAT, line 2, field 1: the file ends early (expected component name)");
    EXPECT_FALSE(FieldReader("1\r\n", "p.DAT").skip(2));
    FieldReader q("\"x\"\r\n\"Yes\",\"Maybe\"\r\n", "p.DAT");
    ASSERT_TRUE(q.skip(3));
    q.setError("unknown flag");
    EXPECT_EQ(q.error()->describe(), "p.DAT, line 2, field 2: unknown flag");
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

// Whole files are replaced only when written completely: a streamed run that is abandoned, a
// rename over a folder and a write cut by the file size limit all leave the old file, and no
// temporary file is left behind.
TEST(WholeFiles, WritesReplaceOnlyWhenCompleteAndLeaveNoTemporary) {
    test::TempDir dir;
    const std::string path = dir.file("Tempo.out"), old("se\0cond\rmore", 12);
    std::string err;
    ASSERT_TRUE(writeFileAtomic(path, "first\r\n", err) && writeFileAtomic(path, old.substr(0, 8), err) &&
                appendFile(path, "more", err) && appendFile(dir.file("new.out"), "x", err) &&
                writeFileAtomic(dir.file("db.DBS"), "abc\r\n", err))
        << err;
    EXPECT_EQ(std::tuple(readWholeFile(path), readWholeFile(dir.file("new.out"))), std::tuple(old, "x"));
    auto r = FieldReader::open(dir.file("db.DBS")); // a reader of a file names it in its errors
    double v = 0;
    ASSERT_TRUE(r && !r->readNumber(v, "Ncooh"));
    EXPECT_EQ(r->error()->describe(), "db.DBS, line 1, field 1: expected Ncooh, found \"abc\"");
    EXPECT_FALSE(readWholeFile(dir.file("none")) || readWholeFile(dir.path().string()) ||
                 FieldReader::open(dir.file("none")));
    EXPECT_FALSE(writeFileAtomic(dir.file("no/such/x.DBS"), "x", err));
    EXPECT_NE(err.find("no/such"), std::string::npos);
    err.clear();
    EXPECT_FALSE(appendFile(dir.file("no/such/x.out"), "x", err) || err.empty());
    EXPECT_EQ(entries(dir), 3u);
    {
        AtomicFileWriter file(path);
        ASSERT_TRUE(file.open(err)) << err;
        file.write("part of a run");
        EXPECT_EQ(readWholeFile(path), old); // nothing replaced while it runs
    }                                        // abandoned: a run that never finished
    EXPECT_EQ(readWholeFile(path), old);
    AtomicFileWriter file(path);
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

} // namespace
} // namespace kelva
