// The problem the main window shows, with its list state, kept aside while something else is
// read into the state (a run reads every problem of its list; a step through the list reads
// the next problem) and put back afterwards, so that the window shows what it showed.
#pragma once

#include "state/state.h"

#include <memory>
#include <string>
#include <vector>

namespace kelva {

class ShownProblem {
  public:
    // Keeps what the window shows of `st`. (On the heap: the state's tables are large.)
    static std::unique_ptr<ShownProblem> take(const ProgramState& st);
    // Puts it back into `st`. The engine's work arrays and the database's numeric tables are
    // left as they are.
    void restore(ProgramState& st) const;

    // What is kept (the members of ProgramState of the same names).
    MainForm main;
    SweepForm sweep;
    Arr<ComplistRow, kRows> rows;
    i16 Nmast = 0, Probno = 1, Nprob = 1, Nsweep = 0, Multiread = 0, Arraysize = 500;
    std::string Sweepmode, Multicap, Multiactive, Savefile, Inputfile, ProgMode, PhFixed, Dbfile;
    Num Multino, pHincr, Nsel;
    std::vector<std::string> SweeppH, Selname, Seltype;
    double pH = 0, Gamma = 0;
    float TempK = 0, Tclay = 0, Csolid = 0, Faaq = 0, pCO2 = 0, Precision = 0;
    Arr<float, 2> Tha{};
    Arr<std::string, kRows> Mastname, Mastno;
    Arr<float, kRows> Mastconc{};
    Arr<std::string, kMaxSpecies> SpName; // a problem file's names replace the database's
};

} // namespace kelva
