// From a block of the result file to the texts of the result windows. Each file is read from
// disk once per load or pick; the block is parsed in one pass, and the sweep table (problem 1
// of a multi-problem file only) scans the same text in memory.
#include "run/resultform.h"

#include "files/numtext.h"
#include "files/problemfile.h"
#include "files/resultfile.h"
#include "files/sweeptable.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>

namespace kelva {
namespace {

constexpr int kFractmastCols = 7;
constexpr int kSpeciesCols = 4;
constexpr int kTotalsCols = 4;
constexpr int kMaxProblems = 32767; // problem numbers are 16-bit

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

TextTable emptyTable(int rows, int cols) {
    return TextTable(static_cast<std::size_t>(rows),
                     std::vector<std::string>(static_cast<std::size_t>(cols)));
}

// `rows` rows of `cols` cells; the caption row is kept, every other cell emptied.
void resetRows(TextTable& t, int rows, int cols) {
    std::vector<std::string> captions = t.empty() ? std::vector<std::string>() : t.front();
    captions.resize(static_cast<std::size_t>(cols));
    t = emptyTable(std::max(rows, 1), cols);
    t.front() = std::move(captions);
}

void setCaptions(TextTable& t, const char* const* captions, int cols) {
    if (t.empty()) t = emptyTable(2, cols);
    t.front().assign(captions, captions + cols);
}

// Scientific form of a text box: "-" for a negative value, one blank after.
std::string signedScientific(double v) {
    return (v < 0 ? "-" : "") + text::scientific(v) + " ";
}

std::string logActivity(double act) {
    if (!(act > 0) || !std::isfinite(act)) return {};
    return text::fixed3Lead(text::Log10(act));
}

bool isWater(const ResultBlock& b) {
    return b.mode ? trimmed(*b.mode) == "Water" : !b.hasKdSection;
}

// The program mode follows the file (only the two modes the program knows).
void followMode(ProgramState& st, const ResultBlock& b) {
    if (!b.mode) return;
    const std::string_view m = trimmed(*b.mode);
    if (m == "Soil" || m == "Water") st.ProgMode = std::string(m);
}

void showPpt(const PptLine& p, std::string& flag, std::string& conc, std::string& proc, bool& details) {
    flag = p.flag;
    conc = text::plain(p.amount);
    details = trimmed(p.flag) == "Yes";
    proc = details ? text::plain(p.percent) : std::string();
}

void showConditions(ProgramState& st, const ResultBlock& b) {
    ResultForm& o = st.out;
    o.lblErrorVisible = b.iterError;
    o.txtIter = text::plain(b.iterations);
    o.txtpH = text::plain(b.pH);
    o.txtIstrength = text::exactDecimal(b.ionic);
    o.txtChrat = text::exactDecimal(b.chargeRatio);
    o.txtChdiff = text::exactDecimal(b.chargeDiff);
    o.txtDOC = b.faaqKind == FaaqKind::Missing ? std::string() : docText(b.faaq, st.Comrat, st.Cactfract);
    showPpt(b.fe, o.txtFeppt, o.txtFepconc, o.txtFeproc, o.feDetailsVisible);
    showPpt(b.al, o.txtAlppt, o.txtAlpconc, o.txtAlproc, o.alDetailsVisible);
}

void showMisc(ResultForm& o, const ResultBlock& b) {
    o.txtZedha = signedScientific(b.zedHA);
    o.txtZedfa = signedScientific(b.zedFA);
    o.txtRatioha = text::plain(b.ratioHA);
    o.txtRatiofa = text::plain(b.ratioFA);
    o.txtRatioclay = text::plain(b.ratioClay);
    o.txtHADDL = text::percent(b.fracHADDL);
    o.txtFADDL = text::percent(b.fracFADDL);
    o.txtClayDDL = text::percent(b.fracClayDDL);
    o.txtSol = text::percent(b.fracSol);
    o.ratioClayVisible = b.fracClayDDL != 0;
}

void showMasters(ResultForm& o, const ResultBlock& b) {
    const int n = static_cast<int>(b.master.size());
    resetRows(o.grdFractmast, std::max(n + 1, 2), kFractmastCols);
    for (int r = 1; r <= n; ++r) {
        const MasterRow& m = b.master[static_cast<std::size_t>(r - 1)];
        auto& row = o.grdFractmast[static_cast<std::size_t>(r)];
        row[0] = m.name;
        for (std::size_t c = 0; c < m.fr.size(); ++c) row[c + 1] = text::percent(m.fr[c]);
    }
}

// The species in alphabetical order: the rows sorted as byte strings, column 0 first.
void showSpecies(ResultForm& o, const ResultBlock& b) {
    const int n = static_cast<int>(b.species.size());
    resetRows(o.grdSpecies, std::max(n + 1, 2), kSpeciesCols);
    for (int r = 1; r <= n; ++r) {
        const SpeciesRow& s = b.species[static_cast<std::size_t>(r - 1)];
        o.grdSpecies[static_cast<std::size_t>(r)] = {s.name, text::scientific(s.conc),
                                                     text::scientific(s.act), logActivity(s.act)};
    }
    if (n > 1) std::stable_sort(o.grdSpecies.begin() + 1, o.grdSpecies.end());
}

// One row per master species, in the order of the fractions table.
void showTotals(ResultForm& o, const ResultBlock& b, bool water) {
    if (water) {
        resetRows(o.grdTotals, 2, kTotalsCols);
        return;
    }
    const std::size_t n = b.master.size();
    resetRows(o.grdTotals, static_cast<int>(n) + 1, kTotalsCols);
    for (std::size_t r = 1; r <= n && r <= b.totals.size(); ++r) {
        const TotalsRow& t = b.totals[r - 1];
        o.grdTotals[r] = {t.name, text::scientific(t.aqconc), text::fixed2(t.kd), text::fixed2(t.kdapp)};
    }
}

SweepTable toSweepTable(const ResultForm& o) {
    SweepTable t;
    const int rows = static_cast<int>(o.grdSweep.size());
    const int cols = rows > 0 ? static_cast<int>(o.grdSweep.front().size()) : 0;
    t.resize(rows, cols);
    t.cells = o.grdSweep;
    for (auto& row : t.cells) row.resize(static_cast<std::size_t>(cols));
    return t;
}

void fromSweepTable(ResultForm& o, SweepTable&& t) {
    o.grdSweep = std::move(t.cells);
    o.grdSweepError = std::move(t.errorRow);
}

SweepSelection selection(const ProgramState& st) {
    SweepSelection sel;
    sel.present = true;
    sel.Nswsel = st.Nswsel;
    sel.count = st.Nswsel;
    sel.Swselname = st.Swselname;
    sel.Swseltype = st.Swseltype;
    const std::size_t n = static_cast<std::size_t>(std::max<int>(st.Nswsel, 0)) + 1;
    sel.Swselname.resize(n);
    sel.Swseltype.resize(n);
    return sel;
}

// The selection read from problem 1's block, with the table's caption rows.
void readSelection(ProgramState& st, const SweepSelection& sel) {
    st.Nswsel = sel.Nswsel;
    st.Swselname = sel.Swselname;
    st.Swseltype = sel.Swseltype;
    SweepTable t = toSweepTable(st.out);
    sweheaders(t, selection(st));
    fromSweepTable(st.out, std::move(t));
}

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

bool isBlank(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

void headers(ProgramState& st) {
    setCaptions(st.out.grdFractmast, kFractmastCaptions, kFractmastCols);
    setCaptions(st.out.grdSpecies, kSpeciesCaptions, kSpeciesCols);
    setCaptions(st.out.grdTotals, kTotalsCaptions, kTotalsCols);
}

void outdel(ProgramState& st) {
    ResultForm& o = st.out;
    for (std::string* s : {&o.txtpH, &o.txtIstrength, &o.txtDOC, &o.txtChdiff, &o.txtChrat, &o.txtIter,
                           &o.txtFepconc, &o.txtFeproc, &o.txtAlpconc, &o.txtAlproc})
        s->clear();
    o.txtFeppt = o.txtAlppt = "No";
    o.feDetailsVisible = o.alDetailsVisible = false;
    o.grdFractmast = emptyTable(2, kFractmastCols);
    o.grdSpecies = emptyTable(2, kSpeciesCols);
    for (std::string* s : {&o.txtZedha, &o.txtZedfa, &o.txtRatioha, &o.txtRatiofa, &o.txtRatioclay,
                           &o.txtHADDL, &o.txtFADDL, &o.txtClayDDL, &o.txtSol})
        s->clear();
    o.grdTotals = emptyTable(2, kTotalsCols);
}

void outdel2(ProgramState& st) {
    ResultForm& o = st.out;
    o.cboProbnoItems.clear();
    o.cboProbno = "1";
    o.selectorVisible = false;
    o.probnoVisible = false;
    o.grdSweep = emptyTable(2, 2);
    o.grdSweepError.assign(2, false);
    // A file without a sweep block must not inherit the previous file's selection.
    st.Nswsel = 0;
    st.Swselname.clear();
    st.Swseltype.clear();
    st.Nswprob = 0;
}

bool datafeed(ProgramState& st, FieldReader& in, bool searched, std::string& err) {
    ResultBlock b;
    if (!readBlock(in, searched, b)) {
        outdel(st);
        headers(st);
        st.out.lblErrorVisible = false;
        err = b.error.empty() ? in.name() + ": the block cannot be read" : b.error;
        return false;
    }
    err.clear();
    if (b.sweep.present) readSelection(st, b.sweep);
    if (b.probno == 1 && b.nprob > 1) Sweepinfo(st, in, b.nprob);
    followMode(st, b);
    const bool water = isWater(b);
    st.out.soilMode = !water;
    showConditions(st, b);
    showMisc(st.out, b);
    showMasters(st.out, b);
    showSpecies(st.out, b);
    showTotals(st.out, b, water);
    return true;
}

void Sweepinfo(ProgramState& st, FieldReader& in, int nprob) {
    ResultForm& o = st.out;
    if (o.selectorVisible) return;
    if (st.Nswsel == 0) st.Nswsel = 1;
    if (st.Multicap == "0") st.Multicap = "1";
    // The problems the file really holds: a run cut short states more than it wrote.
    std::vector<i16> iterErr;
    const int blocks = scanBlocks(in, iterErr);
    st.Nswprob = static_cast<i16>(std::clamp(std::min(nprob, blocks), 0, kMaxProblems));

    SweepScanInput scan;
    scan.sel = selection(st);
    scan.Nswprob = st.Nswprob;
    scan.Comrat = st.Comrat;
    scan.Cactfract = st.Cactfract;
    scan.Iterr = std::move(iterErr);
    SweepTable t = toSweepTable(o);
    sweheaders(t, scan.sel);
    sweepfeed(in, t, scan);
    fromSweepTable(o, std::move(t));

    o.selectorVisible = true;
    o.probnoVisible = true;
    o.cboProbnoItems.clear();
    for (int k = 1; k <= st.Nswprob; ++k) o.cboProbnoItems.push_back(text::plain(k));
    o.cboProbno = o.txtProbno = text::plain(1);
}

std::string shownResultFile(const ProgramState& st) {
    if (st.Outflag == "c") return st.Outfile;
    return workPath(st, kRunResult).string();
}

bool loadResultFile(ProgramState& st, std::string& err) {
    outdel(st);
    outdel2(st);
    st.out.lblErrorVisible = false;
    headers(st);
    const std::string path = shownResultFile(st);
    const std::string name = fileName(path);
    auto content = readWholeFile(path);
    if (!content) {
        err = name + ": the file cannot be opened";
        return false;
    }
    if (isBlank(*content)) {
        err = name + ": the file is empty";
        return false;
    }
    FieldReader in(std::move(*content), name);
    Field first;
    in.next(first);
    if (trimmed(first.text) != trimmed(reslabel::kResults)) {
        err = name + ": this is not a Kelvaspec result file (it does not begin with \"RESULTS Prob. no. \")";
        return false;
    }
    in.rewind();
    const bool ok = datafeed(st, in, false, err);
    headers(st);
    return ok;
}

bool pickProblem(ProgramState& st, const std::string& selectorText, std::string& err) {
    outdel(st);
    st.out.lblErrorVisible = false;
    st.out.cboProbno = st.out.txtProbno = selectorText;
    headers(st);
    const long k = text::leadingWhole(selectorText);
    const std::string path = shownResultFile(st);
    const std::string name = fileName(path);
    auto in = FieldReader::open(path);
    if (!in) {
        err = name + ": the file cannot be opened";
        return false;
    }
    if (k < 1 || k > kMaxProblems || !findBlock(*in, static_cast<int>(k))) {
        err = name + ": the file holds no block for problem " + std::to_string(k);
        return false;
    }
    return datafeed(st, *in, true, err);
}

bool saveResultFile(const ProgramState& st, const std::string& target, std::string& err) {
    const std::string source = shownResultFile(st);
    auto content = readWholeFile(source);
    if (!content) {
        err = fileName(source) + ": the file cannot be opened";
        return false;
    }
    return writeFileAtomic(target, *content, err);
}

} // namespace kelva
