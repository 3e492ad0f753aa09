// Problem lists as the main window keeps them: the record of the shown problem, saving a whole
// list, opening a problem file, and the scratch list "temp01.dat" through which the window
// steps from problem to problem. Every file lives in the working directory st.Directory.
#pragma once

#include "files/fields.h"
#include "files/problemfile.h"
#include "state/state.h"

#include <string>

namespace kelva {

// Appends the problem the window shows as one record: the hand-over Readinput first, so that
// the record holds what the window shows, then the record writer.
void Filesaver(ProgramState& st, FieldWriter& out);

// Writes the whole problem list to Savefile (a relative Savefile lies in the working
// directory). For a list of several problems the shown problem replaces its record in the
// scratch list first. False with a message in `err` when anything could not be done; a file
// is never replaced by a list that would have been cut.
bool Multisave(ProgramState& st, std::string& err);

// What opening a problem file gave: `opened` when its first problem was read and is shown (the
// caller then loads the database it names); `message` says what went wrong (when not opened)
// or what had to be corrected or could not be read beyond the first problem (when opened).
struct OpenReport {
    bool opened = false;
    std::string message;
    bool complete() const { return opened && message.empty(); }
};

// Loads the first problem of the file Inputfile (nothing when it is empty), shows it, and
// prepares the list (starting at problem 1) and the sweep generator's controls for the file's
// kind of list. A list that holds fewer problems than it states becomes the list of those it
// holds, and the message says so.
OpenReport openProblemList(ProgramState& st);
// The same; true when the file was read completely, else the message in `err`.
bool Fileopena(ProgramState& st, std::string& err);

// Writes the shown problem into its place (record Probno) of the scratch list.
bool storeShownProblem(ProgramState& st, std::string& err);
// Reads problem k (1-based) of the scratch list into the problem values and the rows; notes
// on components without a number go to `err` while the result stays true.
bool readListProblem(ProgramState& st, int k, std::string& err);

// The main window's problem navigation. A step that fails leaves the shown problem and its
// number as they were and says why in `err`; `err` may also carry a note when the step was
// made (empty when nothing went wrong, also when nothing was to be done).
bool cmdNextprob(ProgramState& st, std::string& err);
bool cmdPrevprob(ProgramState& st, std::string& err);

// "Open input file" after its file dialog: reset (keeping the working directory), read the
// file, and name it in lblFilename. A file whose first problem cannot be read changes
// nothing. The caller then loads the database that Dbfile names (locateDatabase).
OpenReport openInputFile(ProgramState& st, const std::string& path);
// "Save input file" after its file dialog: the list or the single problem to `path`.
bool saveInputFile(ProgramState& st, const std::string& path, std::string& err);

} // namespace kelva
