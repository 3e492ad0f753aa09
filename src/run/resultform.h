// The result windows' routines without windows: reading one block of a result file into the
// texts the windows show (datafeed), the grid captions (headers), clearing (outdel, outdel2),
// the problem selector and the sweep table (Sweepinfo), picking another problem, saving a copy
// of the result file and the result side's part of going back to the input window. Everything
// lands in st.out (and the reader-side sweep selection); the windows only display it.
#pragma once

#include "files/fields.h"
#include "state/state.h"

#include <string>

namespace kelva {

// Column captions of the three grids (column 0 has none).
inline constexpr const char* kFractmastCaptions[] = {"", "Solution", "HA-DDL", "FA-DDL", "HA", "FA", "Clay"};
inline constexpr const char* kSpeciesCaptions[] = {"", "Concentration", "Activity", "Log activity"};
inline constexpr const char* kTotalsCaptions[] = {"", "Total aqueous concentration", "Kd value",
                                                  "Apparent Kd value"};

// Writes the column captions of grdFractmast, grdSpecies and grdTotals into row 0.
void headers(ProgramState& st);

// Clears the shown results: the text boxes, the precipitation details and the three grids
// (captions too, two rows each). The error marker is left as it is.
void outdel(ProgramState& st);

// Clears the problem selector, the problem-number boxes, the sweep table (2 x 2) and the
// reader-side sweep selection, so that the next load of a file builds them anew.
void outdel2(ProgramState& st);

// Reads one block from `in` and fills st.out from it (`searched`: findBlock has consumed the
// block's first label). Problem 1 of a file with more than one problem also builds the sweep
// table and the problem selector, from the same reader. A block that does not follow the
// layout leaves the results cleared and gives false with the reason (file, line, field).
bool datafeed(ProgramState& st, FieldReader& in, bool searched, std::string& err);

// Builds the sweep table and the selector for a file whose problem 1 has just been read;
// nothing when the selector is already shown (built for this file).
void Sweepinfo(ProgramState& st, FieldReader& in, int nprob);

// The result file the windows show: "Tempo.out" in the working directory (Outflag "t") or
// the file chosen with "Open output file" (Outflag "c").
std::string shownResultFile(const ProgramState& st);

// Loads problem 1 of the shown result file anew: outdel, outdel2, datafeed, headers. False
// with a message naming the file when it cannot be opened or read.
bool loadResultFile(ProgramState& st, std::string& err);

// Picking a problem from the selector: the problem whose number the text begins with is read
// from the shown result file (re-opened from disk). False with a message when the file has
// no such block or it does not follow the layout; the results stay cleared then.
bool pickProblem(ProgramState& st, const std::string& selectorText, std::string& err);

// Copies the whole shown result file to `target`, replacing it only once the copy is
// complete (a temporary file beside it, then a rename). False with a message on failure.
bool saveResultFile(const ProgramState& st, const std::string& target, std::string& err);

} // namespace kelva
