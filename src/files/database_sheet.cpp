// The editor sheet as the loader leaves it: headings, one row per species line, the "no value"
// cells blanked and the pK columns of unused site groups locked.
#include "files/database.h"
#include "files/numtext.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace kelva {

namespace {

constexpr int kFirstDataCol = 1;
constexpr int kLastCol = kSheetCols - 1;

std::size_t rowIndex(int row) {
    return static_cast<std::size_t>(row);
}

// Whole numbers and empty "number" cells show as the value they count as, so that copying the
// sheet back into the tables keeps their meaning (an empty cell there would become 999).
std::string wholeText(long v) {
    return text::plain(static_cast<double>(v));
}
std::string numText(const Num& v) {
    return text::plain(v.v);
}

// Characters, not bytes: names may hold non-ASCII letters.
int displayWidth(std::string_view s) {
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

bool isNoValue(const std::string& cell) {
    const auto first = cell.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const auto last = cell.find_last_not_of(" \t");
    Field f;
    f.text = cell.substr(first, last - first + 1);
    const auto v = f.number();
    return v && *v == kNoValue;
}

bool hasRow(const DbSheet& sheet, int row) {
    return row >= 0 && rowIndex(row) < sheet.cells.size() && rowIndex(row) < sheet.locked.size();
}

} // namespace

void resetDbSheet(DbSheet& sheet, int rows) {
    rows = std::max(rows, 0);
    sheet.cells.assign(rowIndex(rows) + 1, {});
    sheet.locked.assign(rowIndex(rows) + 1, {});
    for (int c = 0; c < kSheetCols; ++c)
        sheet.cells[0][static_cast<std::size_t>(c)] = kDbHeadings[static_cast<std::size_t>(c)];
    sheet.maxRows = rows;
}

void truncateDbSheet(DbSheet& sheet, int rows) {
    rows = std::max(rows, 0);
    if (sheet.cells.empty()) {
        resetDbSheet(sheet, 0);
        return;
    }
    const auto keep = std::min(rowIndex(rows) + 1, sheet.cells.size());
    sheet.cells.resize(keep);
    sheet.locked.resize(keep);
    sheet.maxRows = static_cast<int>(keep) - 1;
}

void fillDbSheetRow(ProgramState& st, int row, int n) {
    if (!hasRow(st.vaDbs, row) || row == 0 || n < 1 || n > kMaxSpecies) return;
    auto& cells = st.vaDbs.cells[rowIndex(row)];
    auto put = [&cells](int col, std::string s) { cells[static_cast<std::size_t>(col)] = std::move(s); };

    put(dbcol::No, wholeText(n));
    put(dbcol::Name, st.SpName[n]);
    put(dbcol::Charge, wholeText(st.SpCharge[n]));
    put(dbcol::Comp1, wholeText(st.SpComp1[n]));
    put(dbcol::Comp1 + 1, wholeText(st.SpComp2[n]));
    put(dbcol::Comp1 + 2, wholeText(st.SpComp3[n]));
    put(dbcol::Sto1, wholeText(st.SpSto1[n]));
    put(dbcol::Sto1 + 1, wholeText(st.SpSto2[n]));
    put(dbcol::Sto1 + 2, wholeText(st.SpSto3[n]));
    put(dbcol::LogK, numText(st.SpLogK[n]));
    put(dbcol::DeltaH, numText(st.SpDeltaH[n]));
    // Site groups the file does not carry show the value of group 1, as the engine would
    // use it if the user raised the number of groups.
    const int groups = std::clamp<int>(st.Nosite, 1, 3);
    for (int k = 1; k <= 3; ++k) {
        const int from = k <= groups ? k : 1;
        put(dbcol::PkHA1 + k - 1, numText(st.SpPKM(1, n, from)));
        put(dbcol::PkFA1 + k - 1, numText(st.SpPKM(2, n, from)));
    }
    put(dbcol::KselHS, numText(st.SpKselHS[n]));
    put(dbcol::KselClay, numText(st.SpKselClay[n]));
}

void sizeDbSheetColumns(DbSheet& sheet) {
    for (int c = kFirstDataCol; c <= kLastCol; ++c) {
        int widest = 0;
        for (const auto& row : sheet.cells)
            widest = std::max(widest, displayWidth(row[static_cast<std::size_t>(c)]));
        sheet.colWidth[static_cast<std::size_t>(c)] = widest;
    }
}

void pro999(ProgramState& st) {
    auto& sheet = st.vaDbs;
    const bool kilojoules = st.Dhunit == 2;
    for (int r = 1; hasRow(sheet, r); ++r)
        for (int c = kFirstDataCol; c <= kLastCol; ++c) {
            if (c == dbcol::DeltaH && kilojoules) continue;
            auto& cell = sheet.cells[rowIndex(r)][static_cast<std::size_t>(c)];
            if (isNoValue(cell)) cell.clear();
        }
}

void lockcell(ProgramState& st) {
    auto& sheet = st.vaDbs;
    const bool lockGroup2 = st.Nosite == 1;
    const bool lockGroup3 = st.Nosite != 3;
    for (int r = 0; hasRow(sheet, r); ++r) {
        auto& locked = sheet.locked[rowIndex(r)];
        for (int base : {dbcol::PkHA1, dbcol::PkFA1}) {
            locked[static_cast<std::size_t>(base + 1)] = lockGroup2;
            locked[static_cast<std::size_t>(base + 2)] = lockGroup3;
        }
    }
}

} // namespace kelva
