// The problem input file (*.DAT): the record writer and reader, the working files' names, and
// finding the database a problem file names. Whole lists and the scratch list that the main
// window steps through are in run/problemlist.h.
//
// A record holds one problem and ends with "END". The same format is the user's problem file,
// the run input "Temp.dat" and the scratch files. All run and scratch files live in the
// working directory st.Directory; nothing here changes the process's current directory.
#pragma once

#include "files/fields.h"
#include "state/state.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

// Appends the problem values as one record, as they stand: the window's texts are not read
// (Filesaver, run/problemlist.h, hands the window over first). A Probno of 0 is written as 1
// and set to 1.
void writeRecord(ProgramState& st, FieldWriter& out);

// Reads the next record into the problem values and the component rows (shown in the unit
// of st.main.lstUnits). Only the state is filled: the window shows it afterwards (Assigner).
// False with in.error() set when the record is malformed or the file ends early; what was
// read by then stays, and Nmast counts the rows filled so far.
// A component line whose species number names no component (a name the database did not
// know when the record was written) keeps its row, name and concentration, and adds a note
// to `notes`; such a problem cannot be run until the name is one of the database's.
// With `components` false the component lines are passed over unread (rows, totals and names
// keep what they held): for a check that needs only the problem's conditions.
bool Fileopener(ProgramState& st, FieldReader& in, std::vector<std::string>* notes = nullptr,
                bool components = true);

// The database a problem file names (`named`, which may be a path from another computer,
// such as c:\kelvaspec\soil.DBS), looked for as written (a relative name from `base`, the
// current directory when empty), then beside the problem file, then by its bare name beside
// it. The path found, or nullopt; `tried` receives every path looked at, in order.
std::optional<std::string> locateDatabase(const std::string& named, const std::string& problemFile,
                                          const std::string& base = {},
                                          std::vector<std::string>* tried = nullptr);

// The database file that the record at the reader's position names, as Fileopener would read
// it into Dbfile, without touching any state; empty when the record's head cannot be read that
// far. The reader moves on.
std::string recordDatabase(FieldReader& in);

} // namespace kelva
