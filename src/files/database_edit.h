// What the database editor does to the sheet and the tables, without any window: copying the
// sheet into the species tables (saval), the deltaH unit of the sheet, inserting and deleting
// rows, and putting the tables back when a save cannot be completed.
//
// The tables hold deltaH in kcal/mol at all times, whatever unit the sheet shows: saval
// converts a sheet shown in kJ/mol once, on its way into the tables, so the run and every
// file save take the tables as they are.
#pragma once

#include "state/state.h"

#include <array>
#include <string>
#include <vector>

namespace kelva {

inline constexpr double kKJPerKcal = 4.184;

// Copies the sheet into the species tables (Ndatalines, SpNo, SpName ... SpKselClay, SpBind).
// An empty cell of the number columns becomes 999 ("no value"), of the whole-number columns
// 2..8 the value 0; the number columns take the leading number of their text, the deltaH
// column converted to kcal/mol when the sheet shows kJ/mol. A sheet that cannot be stored
// (a species number that is empty or not a whole number in 1..500, a whole-number column
// holding anything but a whole number in its range, a name with a double quote or a line
// break, more than 500 rows) is refused with a message naming the row and the column, and
// then neither the tables nor the sheet change. Cells holding only blanks are emptied.
bool saval(ProgramState& st, std::string& err);

// Shows the sheet's deltaH column in kcal/mol (unit 1) or kJ/mol (unit 2): each cell whose
// value is not 0 becomes the converted value in the pattern "###.000"; a cell still showing
// what an earlier conversion wrote returns to the exact text it came from. Choosing the unit
// already shown changes nothing, so no value is ever converted twice. Sets Dhunit and optKJ.
void setDhunit(ProgramState& st, int unit);

// Rows of the sheet taken out or to be put in, with their locks and kJ/mol memory.
struct DbRows {
    std::vector<std::array<std::string, kSheetCols>> cells;
    std::vector<std::array<bool, kSheetCols>> locked;
    std::vector<ProgramState::DeltaHShown> dhShown;
    int count() const { return static_cast<int>(cells.size()); }
};

// Locks the sheet cell (row, col) against editing and shows it grey.
void lockus(ProgramState& st, int row, int col);

// Inserts n empty rows at sheet row `at` (1..rows+1), the rows below moving down: the pK
// cells of the site groups that Nosite leaves out are locked (lockus), and the rows are
// numbered m+1 .. m+n after the species number m of the row above (left empty when there is
// no row above holding a whole number). The tables do not change until a save.
void insertDbRows(ProgramState& st, int at, int n);
// Puts rows taken out earlier back in at sheet row `at` (1..rows+1).
void putDbRows(ProgramState& st, int at, const DbRows& rows);
// Removes n rows from sheet row `at` on and returns them.
DbRows takeDbRows(ProgramState& st, int at, int n);

// Everything a database file holds, kept so that a save that cannot be completed can put the
// tables back as they were.
#define KELVA_DATABASE_MEMBERS(X)                                                                            \
    X(Ncooh)                                                                                                 \
    X(Pkha)                                                                                                  \
    X(Pkhb) X(Dpkha) X(Dpkhb) X(P) X(Fpr) X(Radius) X(Molwt) X(Eqclay) X(Saclay) X(Dlf) X(Lksoal25) X(Dhal)  \
        X(Lksofe25) X(Dhfe) X(Kzed) X(K0) X(Beta) X(Nosite) X(S1proc) X(S2proc) X(S3proc) X(Ndatalines)      \
            X(SpNo) X(SpName) X(SpCharge) X(SpComp1) X(SpComp2) X(SpComp3) X(SpSto1) X(SpSto2) X(SpSto3)     \
                X(SpLogK) X(SpDeltaH) X(SpPKM) X(SpKselHS) X(SpKselClay) X(SpBind)

struct DatabaseTables {
#define KELVA_DATABASE_MEMBER(m) decltype(ProgramState::m) m;
    KELVA_DATABASE_MEMBERS(KELVA_DATABASE_MEMBER)
#undef KELVA_DATABASE_MEMBER
};
DatabaseTables databaseTables(const ProgramState& st);
void restoreDatabaseTables(ProgramState& st, const DatabaseTables& before);

} // namespace kelva
