// Writing a result block: the engine value behind every field, in the order readers expect.
#include "files/resultfile.h"

#include "engine/engine.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string_view>

namespace kelva {
namespace {

using namespace reslabel;

constexpr int kFe = 11;
constexpr int kAl = 5;
constexpr int kH = 1;
constexpr int kOH = 51;
constexpr int kMaxSelection = 32767; // the readers hold the count in 16 bits

// ------------------------------------------------------------------------------- writing

// A quotient or logarithm without a value (inf, NaN) has no decimal form a reader could take
// back; it is written as a field with no value.
void num(FieldWriter& out, double v) {
    if (std::isfinite(v))
        out.number(v);
    else
        out.empty();
}

void sgl(FieldWriter& out, float v) {
    if (std::isfinite(v))
        out.single(v);
    else
        out.empty();
}

void labelled(FieldWriter& out, std::string_view label, double v) {
    out.text(label);
    num(out, v);
    out.endLine();
}

void textLine(FieldWriter& out, std::string_view s) {
    out.text(s);
    out.endLine();
}

std::string entry(const std::vector<std::string>& v, int j) {
    return j >= 0 && static_cast<std::size_t>(j) < v.size() ? v[static_cast<std::size_t>(j)] : std::string();
}

void writeSweepLines(const ProgramState& st, FieldWriter& out) {
    textLine(out, kSweep);
    // The count and the lines after it must agree, or every reader loses step: a count the
    // readers cannot hold is written as the number of lines that follow.
    int n = 0;
    if (st.Nsel.empty()) {
        out.empty();
    } else if (st.Nsel.v >= 0 && st.Nsel.v < kMaxSelection + 1.0) {
        n = static_cast<int>(std::floor(st.Nsel.v));
        out.number(st.Nsel.v);
    } else {
        n = st.Nsel.v > 0 ? kMaxSelection : 0;
        out.integer(n);
    }
    out.text(entry(st.Selname, 1));
    out.endLine();
    for (int j = 2; j <= n; ++j) {
        out.text(entry(st.Selname, j));
        out.text(entry(st.Seltype, j));
        out.endLine();
    }
}

void writePpt(const ProgramState& st, FieldWriter& out, int i, const std::string& flag, const char* label,
              const char* pctLabel) {
    const double pptd = st.Tot[i] - st.Tcalc[i];
    out.text(label);
    out.text(flag);
    num(out, pptd);
    out.endLine();
    if (flag == "Yes")
        labelled(out, pctLabel, st.Tot[i] != 0 ? 100.0 * pptd / st.Tot[i] : 0.0);
    else
        textLine(out, "");
}

void writeConditions(const ProgramState& st, FieldWriter& out) {
    out.text(kIter);
    out.integer(st.Iter);
    out.endLine();
    out.text(kMode);
    out.text(st.ProgMode);
    out.endLine();
    labelled(out, kPH, st.pH);
    labelled(out, kIonic, st.Ionic);
    // No anion equivalents at all: the ratio has no value; 0 keeps the line readable.
    labelled(out, kChRatio, st.Negchg != 0 ? st.Poschg / st.Negchg : 0.0);
    labelled(out, kChDiff, st.Poschg - st.Negchg);
    // A fixed input above 999 is still a fixed input: every block carries line 13.
    out.text(st.Faaq == static_cast<float>(kNoValue) ? kFaaqCalc : kFaaqFixed);
    sgl(out, st.FaaqRes);
    out.endLine();
    labelled(out, kZedHA, st.Zed[1]);
    labelled(out, kZedFA, st.Zed[2]);
    labelled(out, kRatioHA, st.Rddl[1]);
    labelled(out, kRatioFA, st.Rddl[2]);
    labelled(out, kRatioClay, st.Rclay);
    textLine(out, kWater);
    labelled(out, kFracHA, st.Fddl[1]);
    labelled(out, kFracFA, st.Fddl[2]);
    labelled(out, kFracClay, st.Fclay);
    labelled(out, kFracSol, st.Fsol);
    writePpt(st, out, kFe, st.FePpt, kFePpt, kFePct);
    writePpt(st, out, kAl, st.AlPpt, kAlPpt, kAlPct);
    labelled(out, kSatn, st.SiAl - st.LksAl);
}

void writeMasters(ProgramState& st, FieldWriter& out) {
    textLine(out, kMasterTitle);
    for (const char* c : {"Master species", "S", "DHA", "DFA", "HA", "FA", "Clay"}) out.text(c);
    out.endLine();
    for (int i = 2; i <= kMaxComponent; ++i) {
        if (i == kOH || st.Tot[i] == 0) continue;
        fracdist(st, i);
        out.integer(i);
        out.text(st.SpName[i]);
        for (float f : {st.FrS, st.FrDHA, st.FrDFA, st.FrHA, st.FrFA, st.FrClay}) sgl(out, f);
        out.endLine();
    }
}

void writeSpecies(const ProgramState& st, FieldWriter& out) {
    textLine(out, kSpeciesTitle);
    for (const char* c : {"Species", "Conc", "Activity"}) out.text(c);
    out.endLine();
    const int n = std::clamp<int>(st.Nsplist, 0, kMaxSpecies);
    for (int k = 1; k <= n; ++k) {
        const int s = st.Splist[k];
        if (s < 1 || s > kMaxSpecies || st.Conc[s] == 0) continue;
        out.integer(s);
        out.text(st.SpName[s]);
        num(out, st.Conc[s]);
        num(out, st.Act[s]);
        out.endLine();
    }
}

void writeTotals(ProgramState& st, FieldWriter& out) {
    textLine(out, kTotalsTitle);
    if (st.ProgMode == "Water") return;
    for (const char* c : {"Species", "Aqconc", "Kd", "Kd-app"}) out.text(c);
    out.endLine();
    for (int i = 1; i <= kMaxComponent; ++i) {
        if (st.Tot[i] == 0) continue;
        out.integer(i);
        out.text(st.SpName[i]);
        if (i == kH || i == kOH) {
            // Readers skip these lines; nothing is computed for H+ and OH-.
            out.integer(0);
            out.integer(0);
            out.integer(0);
        } else {
            fracdist(st, i);
            kdcalc(st, i);
            sgl(out, st.Aqconc);
            num(out, 1000.0 * static_cast<double>(st.Kd));
            num(out, 1000.0 * static_cast<double>(st.Kdapp));
        }
        out.endLine();
    }
}

} // namespace

void writeres(ProgramState& st, FieldWriter& out) {
    out.text(kResults);
    out.integer(st.Probno);
    out.endLine();
    out.text(kNprob);
    out.integer(st.Nprob);
    out.endLine();
    if (!st.Sweepmode.empty() && st.Probno == 1) writeSweepLines(st, out);
    if (st.iterr(st.Runprob) == 1) textLine(out, kError);
    writeConditions(st, out);
    writeMasters(st, out);
    writeSpecies(st, out);
    writeTotals(st, out);
    textLine(out, "");
}

bool writeresToFile(ProgramState& st, const std::string& path, bool create, std::string& err) {
    FieldWriter out;
    writeres(st, out);
    return create ? writeFileAtomic(path, out.str(), err) : appendFile(path, out.str(), err);
}

} // namespace kelva
