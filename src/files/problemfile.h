// The problem input file (*.DAT): the record writer and reader, saving and opening a whole
// problem list, and the scratch list "temp01.dat" that the main window steps through.
//
// A record holds one problem and ends with "END". The same format is the user's problem file,
// the run input "Temp.dat" and the scratch files. All run and scratch files live in the
// working directory st.Directory; nothing here changes the process's current directory.
#pragma once

#include "files/fields.h"
#include "state/state.h"

#include <filesystem>
#include <string>

namespace kelva {

// The canonical spellings of the working files. Any other capitalisation of these names
// ("temp.dat", "TEMPO.OUT") means the same file and is mapped onto these.
inline constexpr const char* kRunInput = "Temp.dat";
inline constexpr const char* kRunResult = "Tempo.out";
inline constexpr const char* kScratchList = "temp01.dat";
inline constexpr const char* kScratchCopy = "temp02.dat";

// Copying a list stops after this many fields; skipping one old record after this many.
constexpr int kCopyFieldLimit = 5000;
constexpr int kSkipFieldLimit = 300;

// A list holds at most this many problems (the generator's limit).
constexpr int kMaxListProblems = 20;

// The working directory used when none is set: a folder "kelvaspec" in the home directory.
std::string defaultDirectory();

// `name` resolved in the working directory (absolute names stay as they are). A name that
// equals one of the working-file names without regard to case takes its canonical spelling.
std::filesystem::path workPath(const ProgramState& st, const std::string& name);

// Appends the current problem as one record. Runs Readinput before the values from
// "Array size" on, so that the record holds what the window shows. A Probno of 0 is written
// as 1 and set to 1.
void Filesaver(ProgramState& st, FieldWriter& out);

// Reads the next record into the problem values and the component rows (shown in the unit
// of st.main.lstUnits). False with in.error() set when the record is malformed or the file
// ends early; what was read by then stays, and Nmast counts the rows filled so far.
bool Fileopener(ProgramState& st, FieldReader& in);

// The database file that the record at the reader's position names, as Fileopener would read
// it into Dbfile, without touching any state; empty when the record's head cannot be read that
// far. The reader moves on.
std::string recordDatabase(FieldReader& in);

// Writes the whole problem list to Savefile (a relative Savefile lies in the working
// directory). For a list of several problems the shown problem replaces its record in the
// scratch list first. False with a message in `err` when anything could not be done; a file
// is never replaced by a list that would have been cut.
bool Multisave(ProgramState& st, std::string& err);

// Loads the first problem of the file Inputfile (nothing when it is empty), shows it, and
// prepares the list and the sweep generator's controls for the file's kind of list. False
// with a message in `err` when the file could not be read completely or a count had to be
// corrected; what was read stays.
bool Fileopena(ProgramState& st, std::string& err);

// ---------------------------------------------------------------- scratch-file protocol

// Writes the shown problem into its place (record Probno) of the scratch list.
bool storeShownProblem(ProgramState& st, std::string& err);
// Reads problem k (1-based) of the scratch list into the problem values and the rows.
bool readListProblem(ProgramState& st, int k, std::string& err);

// The main window's problem navigation. Each leaves the list consistent on failure and
// reports why in `err` (empty when nothing went wrong, also when nothing was to be done).
bool cmdNextprob(ProgramState& st, std::string& err);
bool cmdPrevprob(ProgramState& st, std::string& err);

// "Open input file" after its file dialog: reset (keeping the working directory), read the
// file, and name it in lblFilename. The caller then loads the database Dbfile names.
bool openInputFile(ProgramState& st, const std::string& path, std::string& err);
// "Save input file" after its file dialog: the list or the single problem to `path`.
bool saveInputFile(ProgramState& st, const std::string& path, std::string& err);

} // namespace kelva
