#include "run/exporttables.h"

#include "files/fields.h"
#include "files/resultfile.h"
#include "run/resultform.h"

#include <algorithm>
#include <memory>

namespace kelva {

namespace {

constexpr int kSpeciesCaptionRows = 1;
constexpr int kSweepCaptionRows = 2;

bool isEmptyRow(const std::vector<std::string>& row) {
    return std::all_of(row.begin(), row.end(),
                       [](const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; });
}

std::string noFormula(std::string caption) {
    const auto first = caption.find_first_not_of(" \t");
    if (first == std::string::npos || caption[first] != '=') return caption;
    const auto last = caption.find_last_not_of(" \t");
    caption = caption.substr(first, last - first + 1);
    caption[0] = '>';
    return caption;
}

SheetCell problemCell(int k) {
    SheetCell c;
    c.kind = SheetCell::Kind::Number;
    c.text = std::to_string(k);
    c.number = k;
    return c;
}

// A sheet of every problem: its captions, then each problem's data rows behind its number.
struct AllProblems {
    Sheet sheet;
    AllProblems(std::string name, std::initializer_list<const char*> captions) {
        sheet.name = std::move(name);
        sheet.frozenRows = 1;
        std::vector<SheetCell> row;
        for (const char* c : captions) row.push_back(textCell(c));
        sheet.rows.push_back(std::move(row));
    }
    void add(int k, const Sheet& table) {
        for (std::size_t r = kSpeciesCaptionRows; r < table.rows.size(); ++r) {
            std::vector<SheetCell> row{problemCell(k)};
            row.insert(row.end(), table.rows[r].begin(), table.rows[r].end());
            sheet.rows.push_back(std::move(row));
        }
    }
};

} // namespace

Sheet gridSheet(std::string name, const TextTable& grid, int captionRows, int maxDataRows, int maxCols) {
    Sheet sheet;
    sheet.name = std::move(name);
    sheet.frozenRows = captionRows;
    std::size_t rows = grid.size();
    while (rows > static_cast<std::size_t>(captionRows) && isEmptyRow(grid[rows - 1])) --rows;
    if (maxDataRows >= 0) rows = std::min(rows, static_cast<std::size_t>(captionRows + maxDataRows));
    for (std::size_t r = 0; r < rows; ++r) {
        const auto& from = grid[r];
        const std::size_t cols =
            maxCols >= 0 ? std::min(from.size(), static_cast<std::size_t>(maxCols)) : from.size();
        std::vector<SheetCell> row;
        for (std::size_t c = 0; c < cols; ++c) {
            const bool caption = r < static_cast<std::size_t>(captionRows);
            row.push_back(caption || c == 0 ? textCell(from[c]) : numberCell(from[c]));
        }
        sheet.rows.push_back(std::move(row));
    }
    return sheet;
}

Sheet speciesSheet(const TextTable& grdSpecies) {
    return gridSheet("Species", grdSpecies, kSpeciesCaptionRows, kMaxExportSpeciesRows);
}

Sheet totalsSheet(const TextTable& grdTotals) {
    return gridSheet("Totals", grdTotals, kSpeciesCaptionRows);
}

Sheet sweepSheet(const TextTable& grdSweep) {
    Sheet sheet = gridSheet("Sweep", grdSweep, kSweepCaptionRows, -1, kMaxExportSweepCols);
    if (!sheet.rows.empty())
        for (SheetCell& c : sheet.rows.front()) c.text = noFormula(std::move(c.text));
    return sheet;
}

bool resultWorkbook(const ProgramState& base, const std::string& resultText, const std::string& name,
                    Workbook& book, std::string& err) {
    auto st = std::make_unique<ProgramState>(base);
    st->Outflag = "t";
    outdel(*st);
    outdel2(*st);
    FieldReader in(resultText, name);
    std::vector<i16> stopped;
    const int blocks = scanBlocks(in, stopped);

    AllProblems species("Species", {"Problem no.", "Species", "Concentration", "Activity", "Log activity"});
    AllProblems totals("Totals", {"Problem no.", "Master species", "Total aqueous concentration", "Kd value",
                                  "Apparent Kd value"});
    std::optional<Sheet> sweep;
    bool atNextBlock = false; // the reader stands at the next block's first field
    for (int k = 1; k <= blocks; ++k) {
        const bool searched = !atNextBlock;
        if (searched && !findBlock(in, k)) break;
        outdel(*st);
        headers(*st);
        if (!datafeed(*st, in, searched, err)) return false;
        // Problem 1 of a file with more than one problem builds the sweep table from the same
        // reader, which leaves it elsewhere; any other block ends where the next one begins.
        atNextBlock = k > 1;
        species.add(k, gridSheet("", st->out.grdSpecies, kSpeciesCaptionRows));
        if (st->out.soilMode) totals.add(k, totalsSheet(st->out.grdTotals));
        if (k == 1 && st->out.selectorVisible) sweep = sweepSheet(st->out.grdSweep);
    }
    if (blocks == 0) {
        err = name + ": the file holds no result block";
        return false;
    }
    book.sheets = {std::move(species.sheet), std::move(totals.sheet)};
    if (sweep) book.sheets.push_back(std::move(*sweep));
    err.clear();
    return true;
}

} // namespace kelva
