#include "run/shownproblem.h"

namespace kelva {
namespace {

// One list of the members, used in both directions.
template <class A, class B> void copyShown(A& to, const B& from) {
    to.main = from.main;
    to.sweep = from.sweep;
    to.rows = from.rows;
    to.Nmast = from.Nmast;
    to.Probno = from.Probno;
    to.Nprob = from.Nprob;
    to.Nsweep = from.Nsweep;
    to.Multiread = from.Multiread;
    to.Arraysize = from.Arraysize;
    to.Sweepmode = from.Sweepmode;
    to.Multicap = from.Multicap;
    to.Multiactive = from.Multiactive;
    to.Savefile = from.Savefile;
    to.Inputfile = from.Inputfile;
    to.ProgMode = from.ProgMode;
    to.PhFixed = from.PhFixed;
    to.Dbfile = from.Dbfile;
    to.Multino = from.Multino;
    to.pHincr = from.pHincr;
    to.Nsel = from.Nsel;
    to.SweeppH = from.SweeppH;
    to.Selname = from.Selname;
    to.Seltype = from.Seltype;
    to.pH = from.pH;
    to.Gamma = from.Gamma;
    to.TempK = from.TempK;
    to.Tclay = from.Tclay;
    to.Csolid = from.Csolid;
    to.Faaq = from.Faaq;
    to.pCO2 = from.pCO2;
    to.Precision = from.Precision;
    to.Tha = from.Tha;
    to.Mastname = from.Mastname;
    to.Mastno = from.Mastno;
    to.Mastconc = from.Mastconc;
    to.SpName = from.SpName;
}

} // namespace

std::unique_ptr<ShownProblem> ShownProblem::take(const ProgramState& st) {
    auto p = std::make_unique<ShownProblem>();
    copyShown(*p, st);
    return p;
}

void ShownProblem::restore(ProgramState& st) const {
    copyShown(st, *this);
}

} // namespace kelva
