// The result windows' tables as spreadsheet sheets: the species table, the total aqueous
// concentrations and the sweep table as the windows hand them to a spreadsheet, and the batch
// runner's workbook of every problem of a result file, built by the same reading the windows
// use, so that the two never disagree.
#pragma once

#include "files/workbook.h"
#include "state/state.h"

#include <string>

namespace kelva {

inline constexpr int kMaxExportSpeciesRows = 199; // species rows of an exported species table
inline constexpr int kMaxExportSweepCols = 7;     // the problem numbers and six selected entries

// A grid as a sheet: the first `captionRows` rows as texts; below them column 0 as text and
// every other column as the number its text begins with (0 for "Not present" or an empty
// cell). Empty rows at the end are left out, then rows after `maxDataRows` data rows and
// columns from `maxCols` on (a negative limit: none).
Sheet gridSheet(std::string name, const TextTable& grid, int captionRows, int maxDataRows = -1,
                int maxCols = -1);

// "Species": grdSpecies with at most 199 species rows.
Sheet speciesSheet(const TextTable& grdSpecies);
// "Totals": grdTotals, one row per master species.
Sheet totalsSheet(const TextTable& grdTotals);
// "Sweep": grdSweep's two caption rows and one row per problem, columns 0 .. 6; a caption of
// row 0 that begins with "=" is trimmed and begins with ">" instead, so that no spreadsheet
// takes it for a formula.
Sheet sweepSheet(const TextTable& grdSweep);

// Every problem of the result file text `resultText` as the result windows show it: "Species"
// and "Totals" (a problem column, then the rows of each problem's table; "Totals" holds only
// its captions when no problem has a Kd section) and, for a file with more than one problem,
// "Sweep". `base` gives the DOC factors. False with the reason when a block cannot be read.
bool resultWorkbook(const ProgramState& base, const std::string& resultText, const std::string& name,
                    Workbook& book, std::string& err);

} // namespace kelva
