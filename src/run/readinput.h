// The hand-over between the main window's texts and the problem values, and the main
// window's own state operations: reset, showing a read problem, the pH and DOC list clicks
// and the program-mode display.
#pragma once

#include "state/helpers.h" // toSingle, boundedInt
#include "state/state.h"

#include <string>
#include <vector>

namespace kelva {

inline constexpr const char* kPhFixedItem = "Fixed at...";
inline constexpr const char* kPhCalcItem = "To be calculated";
inline constexpr const char* kDocFixedItem = "Fixed";
inline constexpr const char* kDocCalcItem = "Calculated";

// Turns the window's texts and the component rows into engine inputs: TempK (K), Csolid,
// Tha, Tclay (g/l), Gamma, pH, pCO2 (0 -> 999), Faaq (g/l, 999 = calculated) and
// Mastname / Mastno / Mastconc (mol/l). Mastno is the species number text of the name in
// the database file named by st.main.txtDb; a name not found keeps an empty Mastno.
void Readinput(ProgramState& st);

// Components the run cannot take, in words for the user: names not found among the
// database's components, and negative concentrations. Reads what Readinput has set.
std::vector<std::string> componentProblems(const ProgramState& st);

// Puts the window and the problem back to a fresh, unsaved problem with no database.
void resetter(ProgramState& st);

// Shows the problem values just read in the window's texts, after the display of its program
// mode (Pmoder).
void Assigner(ProgramState& st);

// Shows or hides the sorption-related inputs for ProgMode (MainForm::sorptionVisible); "Water"
// clears them, "Soil" shows the DOC box or the Gamma value as the DOC list says.
void Pmoder(ProgramState& st);

// A choice in the pH list ("Fixed at..." / "To be calculated").
void lstpHClick(ProgramState& st, const std::string& item);
// A choice in the DOC list ("Fixed" / "Calculated").
void lstDOCClick(ProgramState& st, const std::string& item);

} // namespace kelva
