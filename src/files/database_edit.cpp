// The database editor's routines over the state: the sheet into the tables, the deltaH unit of
// the sheet, row insertion and deletion, and the tables kept aside while a save is made.
#include "files/database_edit.h"

#include "files/database.h"
#include "files/fields.h"
#include "files/numtext.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

namespace kelva {

namespace {

constexpr int kLastCol = kSheetCols - 1;
constexpr int kShort = 32767;

// Column names for messages: the headings, with the component and stoichiometry columns
// named in full ("Comp. II" rather than "II").
constexpr std::array<const char*, kSheetCols> kColumnNames = {
    "No.",      "Species",  "Charge",   "Comp. I", "Comp. II", "Comp. III", "Sto. I",
    "Sto. II",  "Sto. III", "log K",    "deltaH",  "pKMHA(1)", "pKMHA(2)",  "pKMHA(3)",
    "pKMFA(1)", "pKMFA(2)", "pKMFA(3)", "Ksel,HS", "Ksel,Clay"};

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

int sheetRows(const ProgramState& st) {
    return std::max(static_cast<int>(st.vaDbs.cells.size()) - 1, 0);
}

const std::string& cell(const ProgramState& st, int row, int col) {
    return st.vaDbs.cells[at(row)][at(col)];
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The value of a cell that holds a whole number and nothing else.
std::optional<long> wholeValue(const std::string& text) {
    Field f;
    f.text = trimmed(text);
    const auto v = f.number();
    if (!v || !std::isfinite(*v) || *v != std::floor(*v) || std::fabs(*v) > 1e9) return std::nullopt;
    return static_cast<long>(*v);
}

struct WholeRange {
    long lo;
    long hi;
};

WholeRange rangeOf(int col) {
    if (col == dbcol::No) return {1, kMaxSpecies};
    if (col >= dbcol::Comp1 && col < dbcol::Sto1) return {0, kMaxSpecies};
    return {-kShort - 1, kShort};
}

std::string where(int row, int col) {
    return "Row " + std::to_string(row) + ", column \"" + kColumnNames[at(col)] + "\"";
}

// Why the cell (row, col) cannot go into the tables; empty when it can.
std::string cellProblem(const ProgramState& st, int row, int col) {
    const std::string& text = cell(st, row, col);
    if (col == dbcol::Name) {
        if (text.find('"') != std::string::npos)
            return where(row, col) + ": a name cannot hold a double quote (\").";
        if (std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }))
            return where(row, col) + ": a name cannot hold a line break.";
        return {};
    }
    if (col > dbcol::Sto1 + 2) return {};
    const WholeRange r = rangeOf(col);
    const std::string range = "a whole number from " + std::to_string(r.lo) + " to " + std::to_string(r.hi);
    if (trimmed(text).empty()) {
        if (col != dbcol::No) return {};
        return where(row, col) + " is empty: every row needs a species number, " + range + ".";
    }
    const auto v = wholeValue(text);
    if (!v || *v < r.lo || *v > r.hi)
        return where(row, col) + " holds \"" + text + "\", which is not " + range + ".";
    return {};
}

// The deltaH of a sheet row in kcal/mol: a cell still showing its kJ/mol conversion gives the
// exact value it was converted from.
double deltaHKcal(const ProgramState& st, int row, const std::string& text) {
    if (st.Dhunit != 2) return text::leadingNumber(text);
    if (at(row) < st.dhShown.size()) {
        const auto& shown = st.dhShown[at(row)];
        if (!shown.kj.empty() && text == shown.kj) return text::leadingNumber(shown.kcal);
    }
    return text::leadingNumber(text) / kKJPerKcal;
}

void storeRow(ProgramState& st, int row, int n) {
    auto whole = [&](int col) {
        const auto v = wholeValue(cell(st, row, col));
        return static_cast<i16>(v.value_or(0)); // empty: no component, no charge
    };
    auto number = [&](int col) -> Num {
        const std::string& text = cell(st, row, col);
        if (trimmed(text).empty()) return kNoValue;
        if (col == dbcol::DeltaH) return deltaHKcal(st, row, text);
        return text::leadingNumber(text);
    };
    const std::string& name = cell(st, row, dbcol::Name);
    st.SpName[n] = trimmed(name).empty() ? "999" : name;
    st.SpCharge[n] = whole(dbcol::Charge);
    st.SpComp1[n] = whole(dbcol::Comp1);
    st.SpComp2[n] = whole(dbcol::Comp1 + 1);
    st.SpComp3[n] = whole(dbcol::Comp1 + 2);
    st.SpSto1[n] = whole(dbcol::Sto1);
    st.SpSto2[n] = whole(dbcol::Sto1 + 1);
    st.SpSto3[n] = whole(dbcol::Sto1 + 2);
    st.SpLogK[n] = number(dbcol::LogK);
    st.SpDeltaH[n] = number(dbcol::DeltaH);
    for (int k = 1; k <= 3; ++k) {
        st.SpPKM(1, n, k) = number(dbcol::PkHA1 + k - 1);
        st.SpPKM(2, n, k) = number(dbcol::PkFA1 + k - 1);
    }
    st.SpKselHS[n] = number(dbcol::KselHS);
    st.SpKselClay[n] = number(dbcol::KselClay);
    // The run lists the binding species by this flag, so it follows the pK just stored.
    st.SpBind[n] = st.SpPKM(1, n, 1) < kNoValue ? 1 : 0;
}

std::string converted(double x) {
    return text::fixed3(x);
}

} // namespace

bool saval(ProgramState& st, std::string& err) {
    const int rows = sheetRows(st);
    if (rows > kMaxSpecies) {
        err = "The sheet has " + std::to_string(rows) + " rows; a database holds at most " +
              std::to_string(kMaxSpecies) + " species.";
        return false;
    }
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c <= kLastCol; ++c) {
            err = cellProblem(st, r, c);
            if (!err.empty()) return false;
        }

    for (int r = 1; r <= rows; ++r)
        for (auto& text : st.vaDbs.cells[at(r)])
            if (!text.empty() && trimmed(text).empty()) text.clear();
    clearSpeciesTables(st);
    st.Ndatalines = static_cast<i16>(rows);
    for (int r = 1; r <= rows; ++r) st.SpNo[r] = static_cast<i16>(*wholeValue(cell(st, r, dbcol::No)));
    // Row by row, so that of two rows with one number the one further down wins.
    for (int r = 1; r <= rows; ++r) storeRow(st, r, st.SpNo[r]);
    return true;
}

void setDhunit(ProgramState& st, int unit) {
    unit = unit == 2 ? 2 : 1;
    if (unit == st.Dhunit) {
        st.optKJ = unit == 2;
        return;
    }
    const int rows = sheetRows(st);
    if (unit == 2) st.dhShown.assign(at(rows) + 1, {});
    for (int r = 1; r <= rows; ++r) {
        std::string& text = st.vaDbs.cells[at(r)][at(dbcol::DeltaH)];
        if (unit == 2) {
            const double x = text::leadingNumber(text) * kKJPerKcal;
            if (x == 0) continue;
            st.dhShown[at(r)] = {text, converted(x)};
            text = st.dhShown[at(r)].kj;
            continue;
        }
        if (at(r) < st.dhShown.size() && !st.dhShown[at(r)].kj.empty() && text == st.dhShown[at(r)].kj) {
            text = st.dhShown[at(r)].kcal;
            continue;
        }
        const double x = text::leadingNumber(text) / kKJPerKcal;
        if (x != 0) text = converted(x);
    }
    if (unit == 1) st.dhShown.clear();
    st.Dhunit = static_cast<i16>(unit);
    st.optKJ = unit == 2;
}

void lockus(ProgramState& st, int row, int col) {
    if (row < 1 || row > sheetRows(st) || col < 0 || col > kLastCol) return;
    st.vaDbs.locked[at(row)][at(col)] = true;
}

void putDbRows(ProgramState& st, int where, const DbRows& rows) {
    auto& sheet = st.vaDbs;
    if (sheet.cells.empty()) resetDbSheet(sheet, 0);
    where = std::clamp(where, 1, sheetRows(st) + 1);
    const bool memo = st.Dhunit == 2 && st.dhShown.size() == sheet.cells.size();
    const auto pos = static_cast<std::ptrdiff_t>(where);
    sheet.cells.insert(sheet.cells.begin() + pos, rows.cells.begin(), rows.cells.end());
    sheet.locked.insert(sheet.locked.begin() + pos, rows.locked.begin(), rows.locked.end());
    if (memo) {
        std::vector<ProgramState::DeltaHShown> shown = rows.dhShown;
        shown.resize(rows.cells.size());
        st.dhShown.insert(st.dhShown.begin() + pos, shown.begin(), shown.end());
    }
    sheet.maxRows = sheetRows(st);
}

DbRows takeDbRows(ProgramState& st, int where, int n) {
    DbRows out;
    auto& sheet = st.vaDbs;
    const int rows = sheetRows(st);
    if (where < 1 || where > rows || n < 1) return out;
    n = std::min(n, rows - where + 1);
    const auto first = static_cast<std::ptrdiff_t>(where);
    const auto last = first + n;
    out.cells.assign(sheet.cells.begin() + first, sheet.cells.begin() + last);
    out.locked.assign(sheet.locked.begin() + first, sheet.locked.begin() + last);
    sheet.cells.erase(sheet.cells.begin() + first, sheet.cells.begin() + last);
    sheet.locked.erase(sheet.locked.begin() + first, sheet.locked.begin() + last);
    if (st.dhShown.size() == static_cast<std::size_t>(rows) + 1) {
        out.dhShown.assign(st.dhShown.begin() + first, st.dhShown.begin() + last);
        st.dhShown.erase(st.dhShown.begin() + first, st.dhShown.begin() + last);
    }
    sheet.maxRows = sheetRows(st);
    return out;
}

void insertDbRows(ProgramState& st, int where, int n) {
    if (n < 1) return;
    where = std::clamp(where, 1, sheetRows(st) + 1);
    DbRows fresh;
    fresh.cells.resize(at(n));
    fresh.locked.resize(at(n));
    putDbRows(st, where, fresh);
    std::vector<int> lockedCols;
    if (st.Nosite == 1) lockedCols = {dbcol::PkHA1 + 1, dbcol::PkHA1 + 2, dbcol::PkFA1 + 1, dbcol::PkFA1 + 2};
    if (st.Nosite == 2) lockedCols = {dbcol::PkHA1 + 2, dbcol::PkFA1 + 2};
    const auto above = where > 1 ? wholeValue(cell(st, where - 1, dbcol::No)) : std::nullopt;
    for (int k = 0; k < n; ++k) {
        for (int c : lockedCols) lockus(st, where + k, c);
        if (above)
            st.vaDbs.cells[at(where + k)][at(dbcol::No)] = text::plain(static_cast<double>(*above + k + 1));
    }
}

DatabaseTables databaseTables(const ProgramState& st) {
    DatabaseTables t;
#define KELVA_DATABASE_TAKE(m) t.m = st.m;
    KELVA_DATABASE_MEMBERS(KELVA_DATABASE_TAKE)
#undef KELVA_DATABASE_TAKE
    return t;
}

void restoreDatabaseTables(ProgramState& st, const DatabaseTables& before) {
#define KELVA_DATABASE_PUT(m) st.m = before.m;
    KELVA_DATABASE_MEMBERS(KELVA_DATABASE_PUT)
#undef KELVA_DATABASE_PUT
}

} // namespace kelva
