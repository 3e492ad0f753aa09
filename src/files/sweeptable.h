// The sweep table: one row per problem of a result file, one column per selected result,
// built by scanning the whole file for the selected values. Headless: the table is cell texts
// that the sweep window only displays.
#pragma once

#include "files/fields.h"
#include "files/resultfile.h"

#include <optional>
#include <string>
#include <vector>

namespace kelva {

struct SweepTable {
    int rows = 0;                                // Nswprob + 2: headings, kinds, one row per problem
    int cols = 0;                                // Nswsel + 1: the problem numbers, one column per entry
    std::vector<std::vector<std::string>> cells; // cells[row][col]
    std::vector<bool> errorRow; // the problem of this row stopped at the iteration limit (shown red)

    const std::string& at(int r, int c) const;
    void resize(int nrows, int ncols);
    void set(int r, int c, std::string s);
};

// What the scan needs besides the file: the reader-side selection from problem 1's block, the
// number of problems, the DOC factors and the iteration-limit flags of the last run (indexed by
// problem number; empty or short when the file was opened from disk).
struct SweepScanInput {
    SweepSelection sel;
    int Nswprob = 0;
    float Comrat = 0.5f;
    float Cactfract = 0.65f;
    std::vector<i16> Iterr;
};

// Rows 0 and 1: "Problem no." and the entry names, then the entry kinds.
void sweheaders(SweepTable& t, const SweepSelection& sel);

// Everything below the two heading rows: problem numbers (or "!!ERROR!!") and the selected
// values, scanned from `reader` (rewound as needed; left at the end of its last scan).
void sweepfeed(FieldReader& reader, SweepTable& t, const SweepScanInput& in);

// What svek and svek2 find for a name in one block's section.
struct SweepHit {
    bool found = false;
    std::optional<double> first;  // concentration (svek) or total aqueous concentration (svek2)
    std::optional<double> second; // activity (svek)
};

// The reader stands just after the species-section title: looks for `name` among the block's
// species rows.
SweepHit svek(FieldReader& reader, const std::string& name);
// The reader stands just after the totals-section title: looks for `name` among the block's
// Kd rows. A block without Kd rows ("Water" mode) has none of the names.
SweepHit svek2(FieldReader& reader, const std::string& name);

// DOC in mg/l from the dissolved FA (g/l), cut to three decimals, plain form; empty when
// it has no value (Cactfract 0).
std::string docText(double faaq, float Comrat, float Cactfract);

// The whole table from the text of a result file, or from a file (false and a message in
// `err` when it cannot be opened).
SweepTable buildSweepTable(const std::string& fileText, const SweepScanInput& in);
bool buildSweepTableFromFile(const std::string& path, const SweepScanInput& in, SweepTable& out,
                             std::string& err);

} // namespace kelva
