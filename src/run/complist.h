// The component rows of the current problem: adding, deleting and the unit they are shown in.
#pragma once

#include "state/helpers.h" // the unit texts, unitFactor and trimmed
#include "state/state.h"

#include <string>

namespace kelva {

// "Add to list": the component named in txtCompname gets the concentration txtConc, in a new
// row or in the row that already holds that name. Returns a message for the user when the
// component cannot be added (the list is full), otherwise "".
std::string cmdAdd(ProgramState& st);

// Deletes row r (1..Nmast); the rows below move up. Other r change nothing.
void cmdDelete(ProgramState& st, int r);

// The unit list's click: every row's concentration is converted to `newUnit`, which then
// becomes the unit shown. An unknown unit text changes nothing.
void changeUnit(ProgramState& st, const std::string& newUnit);

} // namespace kelva
