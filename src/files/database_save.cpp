// The database writer. It refuses tables that would not load again rather than write a file
// that the loader would stop on: a save must never turn a working database into a broken one.
#include "files/database.h"

#include <string>

namespace kelva {

namespace {

void putNum(FieldWriter& w, const Num& v) {
    if (v.empty())
        w.empty();
    else
        w.number(v.v);
}

void writeHumic(FieldWriter& w, const ProgramState& st, int k, const char* label) {
    w.text(label);
    for (const auto* arr :
         {&st.Ncooh, &st.Pkha, &st.Pkhb, &st.Dpkha, &st.Dpkhb, &st.P, &st.Fpr, &st.Radius, &st.Molwt})
        w.single((*arr)[k]);
    w.endLine();
}

void writeParameters(FieldWriter& w, const ProgramState& st) {
    w.text("Kelvaspec DATABASE");
    w.endLine();
    writeHumic(w, st, 1, "HA parameters");
    writeHumic(w, st, 2, "FA parameters");
    w.text("Clay parameters");
    w.single(st.Eqclay);
    w.single(st.Saclay);
    w.endLine();
    w.text("Double layer overlap factor");
    w.single(st.Dlf);
    w.endLine();
    w.text("Log KSO(25) & DeltaH for Al(OH)3");
    w.number(st.Lksoal25);
    w.number(st.Dhal);
    w.endLine();
    w.text("Log KSO(25) & DeltaH for Fe(OH)3");
    w.number(st.Lksofe25);
    w.number(st.Dhfe);
    w.endLine();
    w.text("Constant to control DDL at low ZED");
    w.number(st.Kzed);
    w.endLine();
    // The leading 1 is a format marker that readers skip.
    w.text("Constants for FA desorption");
    w.integer(1);
    w.number(st.K0);
    w.number(st.Beta);
    w.endLine();
    w.text("Heterogeneity");
    w.integer(st.Nosite);
    putNum(w, st.S1proc);
    putNum(w, st.S2proc);
    putNum(w, st.S3proc);
    w.endLine();
    w.text("No. of data lines");
    w.integer(st.Ndatalines);
    w.endLine();
}

void writeSpecies(FieldWriter& w, const ProgramState& st, int n) {
    w.integer(n);
    w.text(st.SpName[n]);
    for (const auto* arr :
         {&st.SpCharge, &st.SpComp1, &st.SpComp2, &st.SpComp3, &st.SpSto1, &st.SpSto2, &st.SpSto3})
        w.integer((*arr)[n]);
    putNum(w, st.SpLogK[n]);
    putNum(w, st.SpDeltaH[n]);
    for (int k = 1; k <= st.Nosite; ++k) putNum(w, st.SpPKM(1, n, k));
    for (int k = 1; k <= st.Nosite; ++k) putNum(w, st.SpPKM(2, n, k));
    putNum(w, st.SpKselHS[n]);
    putNum(w, st.SpKselClay[n]);
    w.endLine();
}

// Why the tables cannot be written as a file that loads again; empty when they can.
std::string unwritable(const ProgramState& st) {
    if (st.Nosite < 1 || st.Nosite > 3)
        return "the number of site groups is " + std::to_string(st.Nosite) + "; it must be 1, 2 or 3";
    if (st.Ndatalines < 0 || st.Ndatalines > kMaxSpecies)
        return "the number of species lines is " + std::to_string(st.Ndatalines) + "; it must lie in 0.." +
               std::to_string(kMaxSpecies);
    for (int i = 1; i <= st.Ndatalines; ++i) {
        const int n = st.SpNo[i];
        if (n < 1 || n > kMaxSpecies)
            return "species line " + std::to_string(i) + " has the species number " + std::to_string(n) +
                   "; it must lie in 1.." + std::to_string(kMaxSpecies);
    }
    return {};
}

} // namespace

std::optional<std::string> databaseText(const ProgramState& st, std::string& err) {
    err = unwritable(st);
    if (!err.empty()) return std::nullopt;
    FieldWriter w;
    writeParameters(w, st);
    for (int i = 1; i <= st.Ndatalines; ++i) writeSpecies(w, st, st.SpNo[i]);
    w.text("END OF DATA");
    w.endLine();
    return w.take();
}

bool savdata(const ProgramState& st, const std::string& path, std::string& err) {
    auto content = databaseText(st, err);
    if (!content) {
        err = "The database cannot be saved: " + err + ".";
        return false;
    }
    return writeFileAtomic(path, *content, err);
}

} // namespace kelva
