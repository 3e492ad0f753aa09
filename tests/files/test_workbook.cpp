// Workbooks of the result tables: numbers from the windows' texts with a format that shows
// them the same way, what a written file holds when read back, new files that never replace
// one, and failures that say why.
#include "files/fields.h"
#include "files/workbook.h"
#include "support/testutil.h"
#include "support/xlsxread.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kelva {
namespace {

TEST(Workbook, NumberCellsTakeTheLeadingNumberInTheFormTheWindowShows) {
    struct Case {
        const char* text;
        double value;
        const char* format;
    } cases[] = {
        {"1.2300E-04", 0.000123, "0.0000E+00"}, // scientific form
        {"1.230E-04", 0.000123, "0.000E+00"},   // short scientific form of the sweep table
        {"-1.000E+01", -10, "0.000E+00"},
        {" 1.5E-07", 1.5e-7, "0.0E+00"}, // plain form in exponent form
        {".50", 0.5, "0.00"},            // Kd with two decimals
        {"12.340", 12.34, "0.000"},      // percent form
        {"-7.000", -7, "0.000"},         // log activity
        {" 7", 7, ""},                   // a whole number: general
        {"Not present", 0, ""},
        {"", 0, ""},
        {"!!ERROR!!", 0, ""},
    };
    for (const Case& c : cases) {
        const SheetCell cell = numberCell(c.text);
        EXPECT_EQ(cell.kind, SheetCell::Kind::Number) << c.text;
        EXPECT_DOUBLE_EQ(cell.number, c.value) << c.text;
        EXPECT_EQ(cell.format, c.format) << c.text;
    }
}

Workbook sample() {
    Sheet a{"Species", {}, 1};
    a.rows = {{SheetCell{}, textCell("Total aqueous concentration")},
              {textCell("Cu\xE9"), numberCell("1.2300E-04")}, // a Latin-1 name from an older file
              {textCell("Na"), numberCell("Not present")}};
    Sheet b{"Sweep", {{textCell("Problem no."), textCell(">Cu")}, {textCell(" 1"), numberCell(".50")}}, 2};
    return Workbook{{a, b}};
}

TEST(Workbook, AWrittenWorkbookHoldsTheCellsWithTypesFormatsAndReadableWidths) {
    test::TempDir dir;
    std::string err;
    ASSERT_TRUE(writeWorkbook(dir.file("book.xlsx"), sample(), err)) << err;
    const auto sheets = testxlsx::readXlsx(dir.file("book.xlsx"));
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, "Species");
    EXPECT_EQ(sheets[1].name, "Sweep");
    const auto& s = sheets[0];
    EXPECT_EQ(s.at(0, 0), nullptr); // empty cells stay empty
    EXPECT_EQ(s.at(0, 1)->text, "Total aqueous concentration");
    EXPECT_EQ(s.at(1, 0)->type, 's');
    EXPECT_EQ(s.at(1, 0)->text, "Cu\xC3\xA9");
    EXPECT_EQ(s.at(1, 1)->type, 'n');
    EXPECT_DOUBLE_EQ(s.at(1, 1)->number, 0.000123);
    EXPECT_EQ(s.at(1, 1)->format, "0.0000E+00");
    EXPECT_EQ(s.at(2, 1)->type, 'n');
    EXPECT_EQ(s.at(2, 1)->number, 0);
    EXPECT_GE(s.widths.at(1), 27); // the caption fits
    EXPECT_GE(s.widths.at(0), 8);
    EXPECT_EQ(sheets[1].at(1, 0)->text, " 1");
    EXPECT_EQ(sheets[1].at(1, 1)->format, "0.00");
}

TEST(Workbook, ANewWorkbookNeverReplacesAFile) {
    test::TempDir dir;
    std::string err, path;
    ASSERT_TRUE(writeFileAtomic(dir.file("sweep-table.xlsx"), "keep", err));
    for (const char* expected : {"sweep-table (2).xlsx", "sweep-table (3).xlsx"}) {
        ASSERT_TRUE(writeNewWorkbook(dir.path().string(), "sweep-table", sample(), path, err)) << err;
        EXPECT_EQ(path, dir.file(expected));
        EXPECT_EQ(testxlsx::readXlsx(path).size(), 2u);
    }
    EXPECT_EQ(readWholeFile(dir.file("sweep-table.xlsx")), "keep");
}

TEST(Workbook, AFolderThatCannotBeWrittenIsReportedInWords) {
    test::TempDir dir;
    std::string err, path;
    ASSERT_TRUE(writeFileAtomic(dir.file("plain"), "x", err));
    struct Case {
        std::string folder;
        const char* reason;
    } cases[] = {{dir.file("plain"), "Not a directory"}, {dir.file("missing"), "No such file or directory"}};
    for (const Case& c : cases) {
        EXPECT_FALSE(writeNewWorkbook(c.folder, "species-problem-1", sample(), path, err));
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
        EXPECT_FALSE(writeWorkbook(c.folder + "/book.xlsx", sample(), err));
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

} // namespace
} // namespace kelva
