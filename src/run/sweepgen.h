// The multi-problem and sweep generator without its window: the two alternatives ("Only multi"
// and the fixed-pH sweep, by start and increment or by separately typed values), the pages of
// ten separate pH values, the list of entries offered for the sweep output and the selection of
// up to eight of them, and what "Save and Back" and "Cancel and Back" do to the problem list and
// the main window. Every operation changes the state (SweepForm and the sweep settings); the
// window only shows it.
//
// The separate values live in SweeppH (1..20): a page box writes its value there as it is typed,
// so a page is never lost by paging, switching alternatives or changing the number of problems.
// The pages never reach beyond the 20 values a list can hold: with more problems typed, the
// second page is the last and holds values 11 to 20.
#pragma once

#include "state/state.h"

#include <optional>
#include <string>

namespace kelva {

inline constexpr const char* kSweepErrorTitle = "Kelvaspec error";
inline constexpr const char* kSelectionFullMessage =
    "No more than seven species + the sweep component can be selected for sweep output";
inline constexpr const char* kConcMgItem = "Conc. (mg/l)";

namespace sweepgen {

constexpr int kPageSize = 10;    // value boxes on a page
constexpr int kMaxSelection = 8; // pH and seven entries
constexpr int kMaxProblems = 20; // problems of a generated list

// The window's first load: the unit list for a component of the program mode, and "pH" as the
// first entry of the selection.
void load(ProgramState& st);

// Fills the entries offered for the sweep output (cboComp2): the problem's components, "DOC" in
// sorption mode, then every complex the problem can form from its components, H+, OH- and (with
// a fixed CO2 pressure) carbonate, in database order. Nothing without a connected database.
void compinp(ProgramState& st);

// Choosing an entry: the unit list follows its kind (a component, "DOC" or a species), keeping
// the unit chosen before where the new list offers it and "Concentration" otherwise.
void chooseEntry(ProgramState& st, const std::string& entry);
void chooseUnit(ProgramState& st, const std::string& unit);

enum class AddResult { Added, Full, NothingChosen };
// Appends the chosen entry with its unit to the selection (pH and at most seven more).
AddResult cmdAdd(ProgramState& st);
// The selection back to pH alone.
void cmdNewsel(ProgramState& st);

// The number of problems typed: Nsweep follows it (rounded down), and the page of separate values
// shows as many boxes as the values it holds.
void setSweepno(ProgramState& st, const std::string& text);
// A value typed in box i (1..10) of the page shown.
void setSweepval(ProgramState& st, int i, const std::string& text);

// Ticking an alternative. A click on the alternative already ticked changes nothing.
void chkMultiClick(ProgramState& st);
void chkpHClick(ProgramState& st);
// Separate values (first page), or start and increment again (the separate values discarded).
void cmdSepar(ProgramState& st);
void cmdStartincr(ProgramState& st);
void cmdNext10(ProgramState& st);
void cmdPrev10(ProgramState& st);

// Why "Save and Back" was refused: the box whose text cannot be used (None when the problem list
// could not be shortened), the problem whose pH it holds (0 for the increment), and the message.
struct SaveRefusal {
    enum class Box { None, StartpH, IncpH, Sweepval } box = Box::None;
    int problem = 0;
    std::string message;
};

// "Save and Back": the selection, the number of problems (held within 1..20 and shown so), the
// increment, and the main window's pH and problem navigation for the alternative ticked. A start
// pH, increment or separate value that is empty or no number refuses the save: nothing changes
// but the page, which moves to the value refused. A list of problems entered one by one that
// holds more problems than the number now typed is cut to that number.
std::optional<SaveRefusal> cmdSave(ProgramState& st);
// "Cancel and Back": the generator, the list and the selection back to rest (a single problem).
void cmdCancel(ProgramState& st);

// The run's check of the sweep it is about to make, from what the main window and the generator
// hold: the start pH (the main window's pH box), the increment, and the separate values of the
// problems to run. Empty when all are numbers, else the refusal.
std::string runRefusal(const ProgramState& st);

// True when `s`, blanks aside, is one whole number (a decimal point, an optional exponent).
bool isNumberText(const std::string& s);

} // namespace sweepgen
} // namespace kelva
