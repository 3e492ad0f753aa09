// Problem lists: saving a whole list, opening a problem file, and the scratch list
// "temp01.dat" through which the main window steps from problem to problem.
#include "files/numtext.h"
#include "files/problemfile.h"
#include "run/readinput.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <optional>

namespace kelva {
namespace fs = std::filesystem;
namespace {

constexpr const char* kOnlyMulti = "Only multi";
constexpr const char* kNoIncrement = "Sweep - no increment";
constexpr const char* kIncrement = "Sweep - increment";
constexpr const char* kEnd = "END";

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

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
    FieldWriter out;
    for (int k = 1; k <= st.Nsweep; ++k) {
        st.Probno = static_cast<i16>(k);
        const auto at = static_cast<std::size_t>(k);
        st.main.txtpH = at < st.SweeppH.size() ? st.SweeppH[at] : std::string();
        Filesaver(st, out);
    }
    return writeTo(target, out.str(), err);
}

void setNoprob(ProgramState& st) {
    st.main.lblNoprob = std::to_string(st.Probno);
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

bool openMultiList(ProgramState& st, const fs::path& input, std::string& err) {
    st.Nsweep = listCount(st, err);
    st.main.navVisible = true;
    st.Nprob = st.Nsweep;
    st.Probno = 1;
    setNoprob(st);
    st.sweep.chkMulti = true;
    st.sweep.chkpH = false;
    st.sweep.txtSweepno = std::to_string(st.Nsweep);
    const fs::path scratch = workPath(st, kScratchList);
    std::error_code ec;
    if (fs::equivalent(input, scratch, ec)) return true;
    auto content = readWholeFile(input.string());
    if (!content) {
        addNote(err, "cannot read " + input.string() + " again");
        return false;
    }
    return ensureDirectory(st, err) && writeTo(scratch, *content, err);
}

void readSweepValues(ProgramState& st, FieldReader& in, std::string& err) {
    in.rewind();
    st.sweep.txtSweepval.fill(std::string());
    const int n = st.Nsweep;
    const auto slots = static_cast<std::size_t>(std::max(n, kMaxListProblems)) + 1;
    if (st.SweeppH.size() < slots) st.SweeppH.resize(slots);
    for (int k = 1; k <= n; ++k) {
        if (!Fileopener(st, in)) {
            addNote(err, in.error() ? in.error()->describe() : "cannot read problem " + std::to_string(k));
            addNote(err, "The sweep holds the " + std::to_string(k - 1) + " pH values read");
            st.Nsweep = static_cast<i16>(k - 1);
            break;
        }
        st.SweeppH[static_cast<std::size_t>(k)] = text::plain(st.pH);
        if (k <= 10) st.sweep.txtSweepval[k] = st.SweeppH[static_cast<std::size_t>(k)];
    }
    st.sweep.txtSweepno = std::to_string(st.Nsweep);
    st.sweep.cmdNext10Visible = st.Nsweep > 10;
}

void prepareList(ProgramState& st, const fs::path& input, FieldReader& in, std::string& err) {
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
        st.sweep.txtIncpH = "0.20";
    }
}

// Reads and shows the first problem of Inputfile, then prepares the list; `shown` tells
// whether the first problem could be read.
bool openList(ProgramState& st, std::string& err, bool& shown) {
    shown = false;
    if (st.Inputfile.empty()) return true;
    const fs::path input = workPath(st, st.Inputfile);
    auto in = FieldReader::open(input.string());
    if (!in) {
        addNote(err, "Cannot open the problem file " + input.string());
        return false;
    }
    if (!Fileopener(st, *in)) {
        addNote(err, in->error() ? in->error()->describe() : "cannot read " + input.string());
        return false;
    }
    Assigner(st);
    shown = true;
    prepareList(st, input, *in, err);
    return err.empty();
}

} // namespace

std::string defaultDirectory() {
    const char* home = std::getenv("HOME");
#if defined(_WIN32)
    if (!home || !*home) home = std::getenv("USERPROFILE");
#endif
    fs::path base = home && *home ? fs::path(home) : fs::path();
    return (base / "kelvaspec").string();
}

fs::path workPath(const ProgramState& st, const std::string& name) {
    fs::path p(name);
    if (p.is_absolute()) return p;
    if (!p.has_parent_path()) {
        static const std::array<const char*, 4> canonical = {kRunInput, kRunResult, kScratchList,
                                                             kScratchCopy};
        for (const char* c : canonical)
            if (lower(name) == lower(c)) p = c;
    }
    const fs::path dir = st.Directory.empty() ? fs::path(defaultDirectory()) : fs::path(st.Directory);
    return dir / p;
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
    for (int j = 1; j <= k; ++j) {
        if (!Fileopener(st, *in)) {
            addNote(err, "Problem " + std::to_string(k) + " cannot be read: " +
                             (in->error() ? in->error()->describe() : std::string("the list ends early")));
            return false;
        }
    }
    return true;
}

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
    if (!storeShownProblem(st, err)) return false;
    ++st.Probno;
    setNoprob(st);
    if (st.Probno == st.Nprob + 1) {
        st.Nprob = st.Probno; // a new problem starts from the one shown
        return true;
    }
    if (!readListProblem(st, st.Probno, err)) return false;
    Assigner(st);
    return true;
}

bool cmdPrevprob(ProgramState& st, std::string& err) {
    err.clear();
    if (st.Probno <= 1) return true;
    if (!storeShownProblem(st, err)) return false;
    --st.Probno;
    setNoprob(st);
    if (!readListProblem(st, st.Probno, err)) return false;
    Assigner(st);
    return true;
}

bool Fileopena(ProgramState& st, std::string& err) {
    err.clear();
    bool shown = false;
    return openList(st, err, shown);
}

bool openInputFile(ProgramState& st, const std::string& path, std::string& err) {
    err.clear();
    const std::string dir = st.Directory;
    resetter(st);
    st.Directory = dir;
    st.Inputfile = path;
    bool shown = false;
    const bool ok = openList(st, err, shown);
    if (shown) st.main.lblFilename = path;
    return ok;
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
