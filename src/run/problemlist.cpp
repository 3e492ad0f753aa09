// Problem lists: saving a whole list, opening a problem file, and the scratch list
// "temp01.dat" through which the main window steps from problem to problem.
#include "run/problemlist.h"

#include "files/numtext.h"
#include "run/readinput.h"
#include "run/shownproblem.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace kelva {
namespace fs = std::filesystem;
namespace {

constexpr const char* kOnlyMulti = "Only multi";
constexpr const char* kNoIncrement = "Sweep - no increment";
constexpr const char* kIncrement = "Sweep - increment";
constexpr const char* kEnd = "END";

void addNote(std::string& err, const std::string& note) {
    if (!err.empty()) err += "\n";
    err += note;
}

bool ensureDirectory(const ProgramState& st, std::string& err) {
    const fs::path dir = workPath(st, ".").parent_path();
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return true;
    fs::create_directories(dir, ec);
    if (ec) addNote(err, "cannot create the working directory " + dir.string() + ": " + ec.message());
    return !ec;
}

bool writeTo(const fs::path& path, const std::string& content, std::string& err) {
    std::string why;
    if (writeFileAtomic(path.string(), content, why)) return true;
    addNote(err, why);
    return false;
}

void copyField(FieldWriter& out, const Field& f) {
    if (f.quoted)
        out.text(f.text);
    else
        out.raw(f.text);
    out.endLine();
}

// Copies fields one per line, at most `limit`, writing the current Multino in place of the
// value after each "Only multi". With `records` > 0 it stops after that many "END" fields;
// otherwise it copies to the end. False when the limit stopped it first.
bool copyFields(FieldReader& in, FieldWriter& out, const ProgramState& st, int records, int& ended) {
    Field f;
    int copied = 0;
    ended = 0;
    while (records <= 0 || ended < records) {
        if (in.atEnd()) return true;
        if (copied >= kCopyFieldLimit) return false;
        if (!in.next(f)) return true;
        copyField(out, f);
        ++copied;
        if (f.text == kEnd) ++ended;
        if (f.text == kOnlyMulti && in.next(f)) {
            if (st.Multino.empty())
                out.empty();
            else
                out.number(st.Multino.v);
            out.endLine();
            ++copied;
        }
    }
    return true;
}

// Skips the fields of one record, "END" included. False when the limit stopped it first.
bool skipRecord(FieldReader& in) {
    Field f;
    for (int i = 0; i < kSkipFieldLimit; ++i) {
        if (!in.next(f) || f.text == kEnd) return true;
    }
    return in.atEnd();
}

// The scratch list with the shown problem in place of record Probno, in `list`.
bool spliceShownProblem(ProgramState& st, std::string& list, std::string& err) {
    const fs::path scratch = workPath(st, kScratchList);
    FieldReader in(readWholeFile(scratch.string()).value_or(std::string()), kScratchList);
    FieldWriter out;
    const int before = st.Probno - 1;
    if (before > 0) {
        int found = 0;
        if (!copyFields(in, out, st, before, found)) {
            addNote(err, "The problem list is too long: more than 5000 fields before problem " +
                             std::to_string(st.Probno) + "; nothing was saved");
            return false;
        }
        if (found < before) {
            addNote(err, "The problem list " + scratch.string() + " holds " + std::to_string(found) +
                             " problems; problem " + std::to_string(st.Probno) +
                             " cannot be put in its place");
            return false;
        }
    }
    Filesaver(st, out);
    if (st.Probno != st.Nprob) {
        int found = 0;
        if (!skipRecord(in) || !copyFields(in, out, st, 0, found)) {
            addNote(err, "The problem list is too long: more than 5000 fields after problem " +
                             std::to_string(st.Probno) +
                             ", or a problem of more than 300; nothing was saved");
            return false;
        }
    }
    list = out.take();
    return true;
}

bool saveTarget(const ProgramState& st, fs::path& target, std::string& err) {
    if (st.Savefile.empty()) {
        addNote(err, "No file name was given to save the problems to");
        return false;
    }
    target = workPath(st, st.Savefile);
    return true;
}

bool saveSweepList(ProgramState& st, std::string& err) {
    fs::path target;
    if (!saveTarget(st, target, err)) return false;
    if (st.Nsweep < 1) {
        addNote(err, "The sweep has no pH values; nothing was saved");
        return false;
    }
    st.Nprob = st.Nsweep;
    // Each record is the shown problem at its own pH; the window keeps showing the problem.
    const std::string shownpH = st.main.txtpH;
    const i16 shownNo = st.Probno;
    FieldWriter out;
    for (int k = 1; k <= st.Nsweep; ++k) {
        st.Probno = static_cast<i16>(k);
        const auto at = static_cast<std::size_t>(k);
        st.main.txtpH = at < st.SweeppH.size() ? st.SweeppH[at] : std::string();
        Filesaver(st, out);
    }
    st.main.txtpH = shownpH;
    st.Probno = shownNo;
    Readinput(st);
    return writeTo(target, out.str(), err);
}

void setNoprob(ProgramState& st) {
    st.main.lblNoprob = std::to_string(st.Probno);
}

std::string describe(const FieldReader& in, const std::string& otherwise) {
    return in.error() ? in.error()->describe() : otherwise;
}

// A list states at least one problem. (The generator window makes lists of up to 20, but a
// file made elsewhere, for example for the batch runner, may hold more: they are all kept.)
i16 listCount(const ProgramState& st, std::string& err) {
    const int n = st.Multiread;
    const int used = std::max(n, 1);
    if (used != n)
        addNote(err, "The file states " + std::to_string(n) + " problems; a list holds at least 1, so " +
                         std::to_string(used) + " is used");
    return static_cast<i16>(used);
}

// The list becomes the `found` problems the file holds when it states more.
void shortenList(ProgramState& st, int found, const std::string& why, std::string& err) {
    if (found >= st.Nsweep) return;
    addNote(err, why);
    addNote(err, "The file states " + std::to_string(st.Nsweep) + " problems but holds " +
                     std::to_string(found) + " that can be read; the list holds those " +
                     std::to_string(found));
    st.Nsweep = static_cast<i16>(found);
    st.Multino = found;
    st.Multiread = static_cast<i16>(found);
}

// Reads the records of an "Only multi" list on a scratch state (the shown problem stays as
// it is), then makes the scratch list: the file itself, or only its readable records.
bool openMultiList(ProgramState& st, const fs::path& input, std::string& err) {
    st.Nsweep = listCount(st, err);
    auto content = readWholeFile(input.string());
    if (!content) {
        addNote(err, "cannot read " + input.string() + " again");
        return false;
    }
    FieldReader in(*content, input.filename().string());
    auto scratch = std::make_unique<ProgramState>(st);
    std::vector<std::string> notes, later; // the first problem's notes are already said
    int found = 0;
    std::size_t fields = 0;
    while (found < st.Nsweep && Fileopener(*scratch, in, &notes)) {
        ++found;
        fields = in.fieldsRead();
        if (found > 1) later.insert(later.end(), notes.begin(), notes.end());
        notes.clear();
    }
    const bool cut = found < st.Nsweep;
    shortenList(st, found, describe(in, "the file ends early"), err);
    for (const auto& n : later) addNote(err, n);

    st.main.navVisible = true;
    st.Nprob = st.Nsweep;
    st.sweep.chkMulti = true;
    st.sweep.chkpH = false;
    st.sweep.txtSweepno = std::to_string(st.Nsweep);
    const fs::path scratchList = workPath(st, kScratchList);
    std::error_code ec;
    if (!cut && fs::equivalent(input, scratchList, ec)) return true;
    if (!ensureDirectory(st, err)) return false;
    if (!cut) return writeTo(scratchList, *content, err);
    // Only the complete records, one field per line as every copy of the list is written.
    FieldReader again(*content, input.filename().string());
    FieldWriter out;
    Field f;
    for (std::size_t i = 0; i < fields && again.next(f); ++i) copyField(out, f);
    return writeTo(scratchList, out.str(), err);
}

// The pH of every problem of a "Sweep - no increment" list, read on a scratch state.
void readSweepValues(ProgramState& st, FieldReader& in, std::string& err) {
    in.rewind();
    auto scratch = std::make_unique<ProgramState>(st);
    st.sweep.txtSweepval.fill(std::string());
    const int n = st.Nsweep;
    const auto slots = static_cast<std::size_t>(std::max(n, kMaxListProblems)) + 1;
    if (st.SweeppH.size() < slots) st.SweeppH.resize(slots);
    int found = 0;
    while (found < n && Fileopener(*scratch, in)) {
        ++found;
        st.SweeppH[static_cast<std::size_t>(found)] = text::plain(scratch->pH);
        if (found <= 10) st.sweep.txtSweepval[found] = st.SweeppH[static_cast<std::size_t>(found)];
    }
    shortenList(st, found, describe(in, "the file ends early"), err);
    // The generator shows the values separately, ten to a page.
    SweepForm& w = st.sweep;
    w.txtSweepno = std::to_string(st.Nsweep);
    w.startIncrVisible = false;
    w.separateVisible = true;
    w.Pagestart = 0;
    for (int i = 1; i <= 10; ++i) w.txtSweepvalVisible[i] = i <= st.Nsweep;
    w.cmdNext10Visible = st.Nsweep > 10;
    w.cmdPrev10Visible = false;
    w.cmdNext10Caption = "Next " + std::to_string(std::clamp(st.Nsweep - 10, 1, 10));
}

void prepareList(ProgramState& st, const fs::path& input, FieldReader& in, std::string& err) {
    // Every kind of list opens at its first problem.
    st.Probno = 1;
    setNoprob(st);
    if (st.Sweepmode == kOnlyMulti) {
        openMultiList(st, input, err);
    } else if (st.Sweepmode == kNoIncrement) {
        st.Nsweep = listCount(st, err);
        st.sweep.chkMulti = false;
        st.sweep.chkpH = true;
        readSweepValues(st, in, err);
    } else if (st.Sweepmode == kIncrement) {
        st.Nsweep = listCount(st, err);
        st.sweep.chkMulti = false;
        st.sweep.chkpH = true;
        st.sweep.txtSweepno = std::to_string(st.Nsweep);
        st.sweep.txtStartpH = text::plain(st.pH);
        // The increment the list runs with, so that saving the generator again keeps it.
        st.sweep.txtIncpH = st.pHincr.empty() ? std::string() : text::plain(st.pHincr);
        st.sweep.startIncrVisible = true;
        st.sweep.separateVisible = false;
    }
}

} // namespace

void Filesaver(ProgramState& st, FieldWriter& out) {
    Readinput(st);
    writeRecord(st, out);
}

bool Multisave(ProgramState& st, std::string& err) {
    err.clear();
    if (!ensureDirectory(st, err)) return false;
    if (st.Sweepmode == kNoIncrement) return saveSweepList(st, err);
    fs::path target;
    if (!saveTarget(st, target, err)) return false;
    if (st.Probno == 1 && st.Nprob == 1) {
        st.Multino = 1.0;
        FieldWriter out;
        Filesaver(st, out);
        return writeTo(workPath(st, kScratchList), out.str(), err) && writeTo(target, out.str(), err);
    }
    // The saved list states the problems it really holds.
    if (st.Nprob < st.Multino.v) {
        st.Multino = st.Nprob;
        st.Nsweep = st.Nprob;
    }
    std::string list;
    if (!spliceShownProblem(st, list, err)) return false;
    return writeTo(workPath(st, kScratchCopy), list, err) && writeTo(workPath(st, kScratchList), list, err) &&
           writeTo(target, list, err);
}

bool storeShownProblem(ProgramState& st, std::string& err) {
    std::string list;
    return ensureDirectory(st, err) && spliceShownProblem(st, list, err) &&
           writeTo(workPath(st, kScratchCopy), list, err) && writeTo(workPath(st, kScratchList), list, err);
}

bool readListProblem(ProgramState& st, int k, std::string& err) {
    const fs::path scratch = workPath(st, kScratchList);
    auto in = FieldReader::open(scratch.string());
    if (!in) {
        addNote(err, "Cannot open the problem list " + scratch.string());
        return false;
    }
    std::vector<std::string> notes;
    for (int j = 1; j <= k; ++j) {
        notes.clear();
        if (!Fileopener(st, *in, &notes)) {
            addNote(err, "Problem " + std::to_string(k) +
                             " cannot be read: " + describe(*in, "the list ends early"));
            return false;
        }
    }
    for (const auto& n : notes) addNote(err, n);
    return true;
}

namespace {

// Stores the shown problem, then shows problem `to` (read from the list unless it is new).
// On any failure the window keeps the problem and the number it showed.
bool stepTo(ProgramState& st, int to, std::string& err) {
    if (!storeShownProblem(st, err)) return false;
    const auto shown = ShownProblem::take(st);
    st.Probno = static_cast<i16>(to);
    setNoprob(st);
    if (st.Probno == st.Nprob + 1) {
        st.Nprob = st.Probno; // a new problem starts from the one shown
        return true;
    }
    if (!readListProblem(st, st.Probno, err)) {
        shown->restore(st);
        return false;
    }
    Assigner(st);
    return true;
}

} // namespace

bool cmdNextprob(ProgramState& st, std::string& err) {
    err.clear();
    if (st.Probno >= st.Nsweep) return true;
    if (st.Probno == 1 && st.Nprob == 1) {
        FieldWriter out;
        Filesaver(st, out);
        if (!ensureDirectory(st, err) || !writeTo(workPath(st, kScratchList), out.str(), err)) return false;
        st.Probno = st.Nprob = 2;
        setNoprob(st);
        return true;
    }
    return stepTo(st, st.Probno + 1, err);
}

bool cmdPrevprob(ProgramState& st, std::string& err) {
    err.clear();
    if (st.Probno <= 1) return true;
    return stepTo(st, st.Probno - 1, err);
}

OpenReport openProblemList(ProgramState& st) {
    OpenReport r;
    if (st.Inputfile.empty()) {
        r.opened = true; // nothing to open: the problem shown stays
        return r;
    }
    const fs::path input = workPath(st, st.Inputfile);
    auto in = FieldReader::open(input.string());
    if (!in) {
        r.message = "Cannot open the problem file " + input.string();
        return r;
    }
    std::vector<std::string> notes;
    if (!Fileopener(st, *in, &notes)) {
        r.message = describe(*in, "cannot read " + input.string());
        return r;
    }
    Assigner(st);
    r.opened = true;
    for (const auto& n : notes) addNote(r.message, n);
    prepareList(st, input, *in, r.message);
    return r;
}

bool Fileopena(ProgramState& st, std::string& err) {
    const OpenReport r = openProblemList(st);
    err = r.message;
    return r.complete();
}

OpenReport openInputFile(ProgramState& st, const std::string& path) {
    auto before = std::make_unique<ProgramState>(st);
    const std::string dir = st.Directory;
    resetter(st);
    st.Directory = dir;
    st.Inputfile = path;
    OpenReport r = openProblemList(st);
    if (!r.opened) {
        st = *before; // a file that cannot be read changes nothing
        return r;
    }
    st.main.lblFilename = path;
    return r;
}

bool saveInputFile(ProgramState& st, const std::string& path, std::string& err) {
    err.clear();
    st.Savefile = path;
    bool ok;
    if (st.Sweepmode == kNoIncrement || st.Sweepmode == kOnlyMulti) {
        ok = Multisave(st, err);
    } else {
        FieldWriter out;
        Filesaver(st, out);
        ok = ensureDirectory(st, err) && writeTo(workPath(st, st.Savefile), out.str(), err);
    }
    if (ok) st.main.lblFilename = st.Savefile;
    return ok;
}

} // namespace kelva
