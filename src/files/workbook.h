// Spreadsheet workbooks (.xlsx) of the result tables: a sheet is rows of cells that are empty,
// texts or numbers, each number with the number format that shows it as the window's text
// does. Written with libxlsxwriter; the windows and the batch runner share it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelva {

struct SheetCell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    std::string text;   // the text of a text cell; for a number, the window's text it came from
    double number = 0;  // the value of a number cell
    std::string format; // number format of a number cell ("0.0000E+00"); empty: general
};

struct Sheet {
    std::string name;                         // at most 31 characters, none of []:*?/\ .
    std::vector<std::vector<SheetCell>> rows; // rows[r][c] goes to row r + 1, column c + 1
    int frozenRows = 0;                       // caption rows kept in view while scrolling
};

struct Workbook {
    std::vector<Sheet> sheets;
};

SheetCell textCell(std::string text);
// The number a grid cell's text begins with ("." as decimal point, exponent allowed; 0 when
// the text has no leading number, as "Not present" or an empty cell), formatted as the text
// shows it: "1.2300E-04" -> 0.000123 in "0.0000E+00", ".50" -> 0.5 in "0.00".
SheetCell numberCell(std::string_view text);
// The number format that shows a number as `text` does: as many decimals, in scientific form
// when the text has an exponent; empty (general) for a whole number or no number at all.
std::string numberFormatOf(std::string_view text);

// The workbook file's bytes. False with the reason in `err` when it cannot be built.
bool workbookBytes(const Workbook& book, std::string& bytes, std::string& err);

// Writes `book` to `path`, replacing that file only once the new one is complete.
bool writeWorkbook(const std::string& path, const Workbook& book, std::string& err);

// Writes `book` as a new file in `dir` named `stem`.xlsx, or `stem` (2).xlsx, ... when that
// name is taken: an existing file is never replaced. The path written goes to `path`.
bool writeNewWorkbook(const std::string& dir, const std::string& stem, const Workbook& book,
                      std::string& path, std::string& err);

} // namespace kelva
