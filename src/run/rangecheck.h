// What the chemistry cannot mean, refused before anything is solved: a fixed pH outside
// 0..14, a temperature outside 0..100 deg C, a required precision outside (0, 10] %, and a
// negative amount of humic acid, fulvic acid, clay or (with sorption) solids.
//
// Every problem of a list is checked before the first one runs, as the run will see it: each
// record of the list, and every pH that an increment sweep reaches. The refusal is one line
// that names the problem, the quantity, its value and the range.
#pragma once

#include "files/fields.h"
#include "run/runcontrol.h"
#include "state/state.h"

#include <optional>
#include <string>

namespace kelva {

enum class Quantity { pH, Temperature, Precision, HumicAcid, FulvicAcid, Clay, Solids };

// One value outside its range: which quantity, and its value in the unit the user typed
// (pH, deg C, percent, g/l).
struct OutOfRange {
    Quantity quantity;
    double value;
};

// The first value of the problem in `st` (engine units, as Readinput or Fileopener set them)
// that lies outside its range; nothing when all lie inside.
std::optional<OutOfRange> outOfRange(const ProgramState& st);

// "Problem 3: the fixed pH 15.2 lies outside the range 0 to 14"
std::string rangeMessage(int problem, const OutOfRange& bad);

// Every problem of the list `in` (standing at its first record, and left there), read as
// runList reads it: empty when all lie inside, else the refusal. A record that cannot be read
// ends the check (the run itself then reports it).
std::string listRangeRefusal(const ProgramState& st, const FieldReader& in, const ListRunOptions& opt);

// The problem or list that the run button is about to write, from the window's texts, the
// sweep settings (Nsweep as the run button sets it) and the scratch list: empty when all lie inside, else the
// refusal.
std::string shownRangeRefusal(const ProgramState& st);

} // namespace kelva
