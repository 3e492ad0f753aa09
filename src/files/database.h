// The database file (*.DBS): its loader, its writer and the editor sheet that the loader fills.
//
// A database file holds the humic, fulvic and clay parameters, the double-layer and
// precipitation constants, the heterogeneity setting and one line per species. Loading it
// replaces the database tables of the state, the component name list of the main window and
// the rows of the editor sheet; saving writes the tables back in the same layout.
#pragma once

#include "files/fields.h"
#include "state/state.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kelva {

// The outcome of a load. On failure `error` says where (file, line, field) and why; the
// tables keep what had been read by then, but the database does not count as connected.
// Warnings name species the engine cannot treat fully (charge beyond +-4, a negative
// coefficient in slot III, a species number used twice ...); such a database still loads.
struct DbReport {
    bool ok = false;
    std::optional<ReadError> error;
    std::vector<std::string> warnings;
};

// Loads the database file named in st.Dbfile into the tables, fills st.main.lstCompnames
// and the editor sheet st.vaDbs, and marks the database connected (txtDb, cmdEddbs, the
// database menu). A file that cannot be opened changes nothing. A file that stops early or
// holds text where a number belongs leaves the tables as far as they were read, with
// Ndatalines the number of species lines loaded completely and the sheet showing those, and
// marks no database connected. Never indexes outside a table, whatever the file holds.
DbReport readdb(ProgramState& st);

// The whole database as the file text that savdata writes; nullopt (and a message in `err`)
// when the tables cannot be written as a loadable file: Nosite outside 1..3, Ndatalines
// outside 0..500, a species number outside 1..500.
std::optional<std::string> databaseText(const ProgramState& st, std::string& err);

// Writes the whole database to `path`. The old file is replaced only once the new one is
// complete, so a failed save leaves it as it was. False with a message in `err` on failure.
bool savdata(const ProgramState& st, const std::string& path, std::string& err);

// Locks and greys the sheet's pK columns of the site groups that Nosite leaves out (columns
// 12 and 15 for group 2, 13 and 16 for group 3) and unlocks the others, over every row of
// the sheet.
void lockcell(ProgramState& st);

// Empties every sheet cell of columns 1..18 whose value is exactly 999 ("no value"). A deltaH
// cell shown in kJ/mol is a kJ/mol value and stays.
void pro999(ProgramState& st);

// Empties the species tables, SpBind included.
void clearSpeciesTables(ProgramState& st);

// ---------------------------------------------------------------- editor sheet helpers

// Sheet columns of the species line's fields.
namespace dbcol {
constexpr int No = 0, Name = 1, Charge = 2, Comp1 = 3, Sto1 = 6, LogK = 9, DeltaH = 10;
constexpr int PkHA1 = 11, PkFA1 = 14, KselHS = 17, KselClay = 18;
} // namespace dbcol

inline constexpr std::array<const char*, kSheetCols> kDbHeadings = {
    "No.",      "Species",  "Charge",   "Comp. I", "II",       "III",      "Sto. I",
    "II",       "III",      "log K",    "deltaH",  "pKMHA(1)", "pKMHA(2)", "pKMHA(3)",
    "pKMFA(1)", "pKMFA(2)", "pKMFA(3)", "Ksel,HS", "Ksel,Clay"};

// Gives the sheet `rows` empty, unlocked data rows under the heading row.
void resetDbSheet(DbSheet& sheet, int rows);
// Keeps the heading row and the first `rows` data rows.
void truncateDbSheet(DbSheet& sheet, int rows);
// Fills sheet row `row` from the tables at species number n (1..500), with the site-group
// repeats of the pK columns that Nosite calls for.
void fillDbSheetRow(ProgramState& st, int row, int n);
// Sets the width of columns 1..18 to that of their widest text, in characters.
void sizeDbSheetColumns(DbSheet& sheet);

} // namespace kelva
