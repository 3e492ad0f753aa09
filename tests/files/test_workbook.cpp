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
    // The scientific forms, the plain form in exponent form, Kd with two decimals, percent, log
    // activity, a whole number (general) and texts that hold no number.
    // clang-format off
    const std::tuple<const char*, double, const char*> cases[] = {
        {"1.2300E-04", 0.000123, "0.0000E+00"}, {"1.230E-04", 0.000123, "0.000E+00"}, {"-1.000E+01", -10, "0.000E+00"},
        {" 1.5E-07", 1.5e-7, "0.0E+00"}, {".50", 0.5, "0.00"}, {"12.340", 12.34, "0.000"}, {"-7.000", -7, "0.000"},
        {"1.0000E-100", 1e-100, "0.0000E+000"},
        {" 7", 7, ""}, {"Not present", 0, ""}, {"", 0, ""}, {"!!ERROR!!", 0, ""}};
    // clang-format on
    for (const auto& [text, value, format] : cases) {
        const SheetCell cell = numberCell(text);
        EXPECT_EQ(std::tuple(cell.kind, cell.number, cell.format),
                  std::tuple(SheetCell::Kind::Number, value, format))
            << text;
    }
}

Workbook sample() {
    Sheet a{"Species", {}, 1};
    a.rows = {{SheetCell{}, textCell("Total aqueous concentration")},
              {textCell("Cu\x80\xE9"), numberCell("1.2300E-04")}, // a Latin-1 name from an older file
              {textCell("Na\xF0\x9D\x9B\xBC"), numberCell("Not present")}};
    Sheet b{"Sweep", {{textCell("Problem no."), textCell(">Cu")}, {textCell(" 1"), numberCell(".50")}}, 2};
    return Workbook{{a, b}};
}

// A written workbook holds the cells with their types, formats and readable widths; a new one
// never replaces a file; a folder that cannot be written is reported in words.
TEST(Workbook, WrittenReadBackNeverReplacingAFileAndFailuresInWords) {
    test::TempDir dir;
    std::string err, path;
    ASSERT_TRUE(writeFileAtomic(dir.file("sweep-table.xlsx"), "keep", err));
    for (const char* expected : {"sweep-table (2).xlsx", "sweep-table (3).xlsx"}) {
        ASSERT_TRUE(writeNewWorkbook(dir.path().string(), "sweep-table", sample(), path, err)) << err;
        EXPECT_EQ(path, dir.file(expected));
    }
    EXPECT_EQ(readWholeFile(dir.file("sweep-table.xlsx")), "keep");
    const auto sheets = testxlsx::readXlsx(path);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(std::tuple(sheets[0].name, sheets[1].name), std::tuple("Species", "Sweep"));
    const auto& s = sheets[0];
    EXPECT_EQ(s.at(0, 0), nullptr); // empty cells stay empty
    EXPECT_EQ(s.at(0, 1)->text, "Total aqueous concentration");
    EXPECT_EQ(std::tuple(s.at(1, 0)->type, s.at(1, 0)->text), std::tuple('s', "Cu\xC2\x80\xC3\xA9"));
    EXPECT_EQ(std::tuple(s.at(1, 1)->type, s.at(1, 1)->number, s.at(1, 1)->format),
              std::tuple('n', 0.000123, "0.0000E+00"));
    EXPECT_EQ(std::tuple(s.at(2, 0)->text, s.at(2, 1)->type, s.at(2, 1)->number),
              std::tuple("Na\xF0\x9D\x9B\xBC", 'n', 0.0));    // a four-byte character stays as it is
    EXPECT_TRUE(s.widths.at(1) >= 27 && s.widths.at(0) >= 8); // the caption fits
    EXPECT_EQ(std::tuple(sheets[1].at(1, 0)->text, sheets[1].at(1, 1)->format), std::tuple(" 1", "0.00"));

    ASSERT_TRUE(writeFileAtomic(dir.file("plain"), "x", err));
    for (const auto& [folder, reason] : {std::pair{dir.file("plain"), "Not a directory"},
                                         std::pair{dir.file("missing"), "No such file or directory"}}) {
        EXPECT_FALSE(writeNewWorkbook(folder, "species-problem-1", sample(), path, err));
        EXPECT_NE(err.find(reason), std::string::npos) << err;
        EXPECT_FALSE(writeWorkbook(folder + "/book.xlsx", sample(), err));
        EXPECT_NE(err.find(reason), std::string::npos) << err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

} // namespace
} // namespace kelva
