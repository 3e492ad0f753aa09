// One problem record of the problem input file: the writer and the reader Fileopener; the
// working files' names and the search for the database a problem file names.
#include "files/problemfile.h"

#include "files/numtext.h"
#include "state/helpers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace kelva {
namespace fs = std::filesystem;
namespace {

constexpr const char* kProblemNoLabel = "Problem no.";
constexpr const char* kMultiLabel = "Multi / Sweep";
constexpr const char* kSelectionLabel = "Selected sweep results:";
constexpr const char* kGammaLabel = "Gamma value";
constexpr const char* kPhFixedLabel = "pH fixed";
constexpr const char* kPhLabel = "Equilibrium pH";
constexpr const char* kEndLabel = "END";
constexpr const char* kIncrementMode = "Sweep - increment";
constexpr int kMaxSelection = 8;

std::string quote(const std::string& s) {
    return "\"" + s + "\"";
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// ---------------------------------------------------------------- writing

void writeNum(FieldWriter& out, const Num& v) {
    if (v.empty())
        out.empty();
    else
        out.number(v.v);
}

const std::string& element(const std::vector<std::string>& v, int k) {
    static const std::string none;
    return k >= 0 && static_cast<std::size_t>(k) < v.size() ? v[static_cast<std::size_t>(k)] : none;
}

int selectionCount(const ProgramState& st) {
    return boundedInt(st.Nsel.v, 0, kMaxSelection);
}

void writeHead(ProgramState& st, FieldWriter& out) {
    if (st.Probno < 1) st.Probno = 1;
    out.text(kProblemNoLabel);
    out.integer(st.Probno);
    out.endLine();
    out.text(st.ProgMode);
    out.text(st.Savefile);
    out.endLine();
    out.text(kMultiLabel);
    out.text(st.Sweepmode);
    writeNum(out, st.Multino);
    out.endLine();
    if (st.Sweepmode == kIncrementMode) {
        out.text("pH increment");
        writeNum(out, st.pHincr);
        out.endLine();
    }
    if (!st.Sweepmode.empty() && st.Probno == 1) {
        const int n = selectionCount(st);
        out.text(kSelectionLabel);
        out.number(n);
        out.text(element(st.Selname, 1));
        out.endLine();
        for (int k = 2; k <= n; ++k) {
            out.text(element(st.Selname, k));
            out.text(element(st.Seltype, k));
            out.endLine();
        }
    }
    out.text("Database");
    out.text(st.main.txtDb);
    out.endLine();
}

template <class Fn> void labelled(FieldWriter& out, const char* label, Fn values) {
    out.text(label);
    values();
    out.endLine();
}

void writeValues(const ProgramState& st, FieldWriter& out) {
    labelled(out, "Array size", [&] { out.integer(500); });
    labelled(out, "Precision%", [&] { out.single(st.Precision); });
    labelled(out, "TempK", [&] { out.single(st.TempK); });
    labelled(out, "CSOLID", [&] { out.single(st.Csolid); });
    labelled(out, "THA TFA", [&] {
        out.single(st.Tha[1]);
        out.single(st.Tha[2]);
    });
    labelled(out, "TCLAY", [&] { out.single(st.Tclay); });
    labelled(out, "FAAQ", [&] { out.single(st.Faaq); });
    labelled(out, kGammaLabel, [&] { out.number(st.Gamma); });
    labelled(out, kPhFixedLabel, [&] { out.text(st.PhFixed); });
    labelled(out, kPhLabel, [&] { out.number(st.pH); });
    labelled(out, "pCO2", [&] { out.single(st.pCO2); });
    const int n = std::clamp<int>(st.Nmast, 0, kRows);
    labelled(out, "No. mast sp.", [&] { out.integer(n); });
    for (int i = 1; i <= n; ++i) {
        out.text(st.Mastname[i]);
        out.text(st.Mastno[i]);
        out.single(st.Mastconc[i]);
        out.endLine();
    }
    out.text(kEndLabel);
    out.endLine();
}

// ---------------------------------------------------------------- reading

// A field's number, also when it was written between quotes.
std::optional<double> numberOf(const Field& f) {
    if (!f.quoted) return f.number();
    Field bare;
    bare.text = trimmed(f.text);
    return bare.number();
}

bool readNum(FieldReader& in, Num& out, const char* what) {
    Field f;
    if (!in.next(f)) {
        in.setError(std::string("the file ends early (expected ") + what + ")");
        return false;
    }
    if (!f.quoted && f.text.empty()) {
        out.clear(); // nothing was written: the value was never set
        return true;
    }
    auto v = numberOf(f);
    if (!v) {
        in.setError(std::string("expected ") + what + ", found " + quote(f.text));
        return false;
    }
    out = *v;
    return true;
}

// The integer part of v into `out`, refused outside lo..hi.
bool wholeIn(FieldReader& in, double v, int lo, int hi, i16& out, const std::string& why) {
    const double t = std::trunc(v);
    if (!(t >= lo && t <= hi)) {
        in.setError(why);
        return false;
    }
    out = static_cast<i16>(t);
    return true;
}

bool readMode(ProgramState& st, FieldReader& in) {
    std::string mode;
    if (!in.readText(mode, "the program mode or \"Problem no.\"")) return false;
    if (mode == kProblemNoLabel) {
        double unused = 0;
        if (!in.readNumber(unused, "the problem number") || !in.readText(mode, "the program mode"))
            return false;
    }
    std::string upper = mode;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    if (upper != "SOIL" && upper != "WATER") {
        in.setError("expected the program mode \"Soil\" or \"Water\", found " + quote(mode));
        return false;
    }
    st.ProgMode = upper == "SOIL" ? "Soil" : "Water";
    return true;
}

bool readSelection(ProgramState& st, FieldReader& in, std::string& label) {
    double count = 0;
    if (!in.readNumber(count, "the number of selected sweep results")) return false;
    i16 n = 0;
    if (!wholeIn(in, count, 0, kMaxSelection, n, "at most 8 sweep results can be selected")) return false;
    st.Nsel = n;
    const auto size = static_cast<std::size_t>(kMaxSelection + 1);
    if (st.Selname.size() < size) st.Selname.resize(size);
    if (st.Seltype.size() < size) st.Seltype.resize(size);
    if (!in.readText(st.Selname[1], "the first selected sweep result")) return false;
    for (std::size_t k = 2; k <= static_cast<std::size_t>(n); ++k) {
        if (!in.readText(st.Selname[k], "a selected sweep result") ||
            !in.readText(st.Seltype[k], "the type of a selected sweep result"))
            return false;
    }
    return in.readText(label, "the label \"Database\"");
}

// From the saved path to the label "Database".
bool readListPart(ProgramState& st, FieldReader& in) {
    std::string saved, label;
    if (!in.readText(saved, "the saved file name") || !in.readText(label, "the label \"Multi / Sweep\""))
        return false;
    if (label == kMultiLabel) {
        if (!in.readText(st.Sweepmode, "the list kind") || !readNum(in, st.Multino, "the number of problems"))
            return false;
        if (!wholeIn(in, st.Multino.v, -32768, 32767, st.Multiread, "the number of problems is out of range"))
            return false;
        if (!in.readText(label, "a label")) return false;
    }
    if (st.Sweepmode == kIncrementMode) {
        if (!readNum(in, st.pHincr, "the pH increment") || !in.readText(label, "a label")) return false;
    }
    if (label == kSelectionLabel) return readSelection(st, in, label);
    return true;
}

bool skipLabel(FieldReader& in) {
    return in.skip(1) || (in.setError("the file ends early (expected a label)"), false);
}

// From the database path to "FAAQ"; the labels are not compared.
bool readConditions(ProgramState& st, FieldReader& in) {
    return in.readText(st.Dbfile, "the database file name") && skipLabel(in) &&
           in.readInt16(st.Arraysize, "the array size") && skipLabel(in) &&
           in.readFloat(st.Precision, "the precision") && skipLabel(in) &&
           in.readFloat(st.TempK, "the temperature (K)") && skipLabel(in) &&
           in.readFloat(st.Csolid, "the total solids (g/l)") && skipLabel(in) &&
           in.readFloat(st.Tha[1], "the humic acid (g/l)") &&
           in.readFloat(st.Tha[2], "the fulvic acid (g/l)") && skipLabel(in) &&
           in.readFloat(st.Tclay, "the clay (g/l)") && skipLabel(in) &&
           in.readFloat(st.Faaq, "the dissolved fulvic acid (g/l)");
}

// The optional lines, then pCO2 and the number of components.
bool readOptional(ProgramState& st, FieldReader& in, int& count) {
    std::string label;
    if (!in.readText(label, "a label")) return false;
    if (label == kGammaLabel) {
        if (!in.readNumber(st.Gamma, "the Gamma value") || !in.readText(label, "a label")) return false;
    }
    if (label == kPhFixedLabel) {
        if (!in.readText(st.PhFixed, "\"Yes\" or \"No\"") || !in.readText(label, "a label")) return false;
    } else {
        st.PhFixed = "No";
    }
    if (label == kPhLabel) {
        if (!in.readNumber(st.pH, "the pH") || !in.readText(label, "a label")) return false;
    }
    double n = 0;
    if (!in.readFloat(st.pCO2, "the CO2 pressure (atm)") || !skipLabel(in) ||
        !in.readNumber(n, "the number of components"))
        return false;
    const double t = std::trunc(n);
    if (t < 0 || t > kRows) {
        in.setError("the record lists " + text::bare(t) + " components; a problem holds at most 25");
        return false;
    }
    count = static_cast<int>(t);
    return true;
}

void clearRows(ProgramState& st) {
    const int n = std::clamp<int>(st.Nmast, 0, kRows);
    for (int i = 1; i <= n; ++i) st.rows[i] = ComplistRow{};
    st.Nmast = 0;
}

// The component number of a species-number field: its integer part when that lies in 1..99,
// else 0 (empty, text, a complex's number: a name the database did not know).
int componentNumber(const std::string& text) {
    Field bare;
    bare.text = trimmed(text);
    const auto no = bare.number();
    if (!no) return 0;
    const double n = std::trunc(*no);
    return n >= 1 && n <= 99 ? static_cast<int>(n) : 0;
}

bool readComponent(ProgramState& st, FieldReader& in, int i, std::vector<std::string>* notes) {
    std::string name;
    Field noField;
    if (!in.readText(name, "a component name")) return false;
    if (!in.next(noField)) {
        in.setError("the file ends early (expected the species number of component " + quote(name) + ")");
        return false;
    }
    const int line = noField.line;
    double conc = 0;
    if (!in.readNumber(conc, "a concentration (mol/l)")) return false;
    const int s = componentNumber(noField.text);
    if (s > 0) {
        st.Tot[s] = conc;
        st.SpName[s] = name;
    } else if (notes) {
        // The row is kept so that the user can see and correct the name; the run refuses it.
        notes->push_back(in.name() + ", line " + std::to_string(line) + ": component " +
                         quote(trimmed(name)) + " has no component number (" + quote(trimmed(noField.text)) +
                         "); is the name in the database?");
    }
    double factor = unitFactor(st.main.lstUnits);
    if (factor == 0) factor = 1;
    st.rows[i].txtName = name;
    st.rows[i].txtConc = text::plain(conc * factor);
    st.rows[i].visible = true;
    st.Nmast = static_cast<i16>(i);
    return true;
}

bool readEnd(FieldReader& in) {
    Field f;
    if (in.atEnd() || !in.next(f)) return true;
    if (f.text == kEndLabel) return true;
    in.setError("expected \"END\" after the components, found " + quote(f.text));
    return false;
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

void writeRecord(ProgramState& st, FieldWriter& out) {
    writeHead(st, out);
    writeValues(st, out);
}

bool Fileopener(ProgramState& st, FieldReader& in, std::vector<std::string>* notes, bool components) {
    if (components) clearRows(st);
    int count = 0;
    if (!readMode(st, in) || !readListPart(st, in) || !readConditions(st, in) || !readOptional(st, in, count))
        return false;
    if (!components) {
        if (!in.skip(3 * count)) {
            in.setError("the file ends early (expected " + std::to_string(count) + " component lines)");
            return false;
        }
    } else {
        for (int i = 1; i <= count; ++i)
            if (!readComponent(st, in, i, notes)) return false;
    }
    return readEnd(in);
}

std::optional<std::string> locateDatabase(const std::string& named, const std::string& problemFile,
                                          const std::string& base, std::vector<std::string>* tried) {
    if (trimmed(named).empty()) return std::nullopt;
    std::string bare = named;
    const auto cut = bare.find_last_of("\\/");
    if (cut != std::string::npos) bare = bare.substr(cut + 1);
    const fs::path dir = fs::path(problemFile).parent_path();
    fs::path asWritten(named);
    if (asWritten.is_relative() && !base.empty()) asWritten = fs::path(base) / asWritten;
    std::vector<fs::path> candidates{asWritten, dir / named};
    if (!bare.empty() && bare != named) candidates.push_back(dir / bare);
    std::error_code ec;
    for (const auto& p : candidates) {
        if (tried) tried->push_back(p.lexically_normal().string());
        if (fs::is_regular_file(p, ec)) return p.string();
    }
    return std::nullopt;
}

// The head of a record as readMode and readListPart take it, up to the database name.
std::string recordDatabase(FieldReader& in) {
    Field f;
    auto text = [&](std::string& out) { return in.next(f) ? (out = f.text, true) : false; };
    auto number = [&](double& out) {
        if (!in.next(f)) return false;
        if (!f.quoted && f.text.empty()) return out = 0, true;
        const auto v = numberOf(f);
        return v ? (out = *v, true) : false;
    };
    std::string mode, label, sweepmode;
    double n = 0;
    if (!text(mode)) return {};
    if (mode == kProblemNoLabel && !(number(n) && text(mode))) return {};
    std::transform(mode.begin(), mode.end(), mode.begin(), [](unsigned char c) { return std::toupper(c); });
    if ((mode != "SOIL" && mode != "WATER") || !in.skip(1) || !text(label)) return {};
    if (label == kMultiLabel) {
        if (!text(sweepmode) || !number(n) || !(std::trunc(n) >= -32768 && std::trunc(n) <= 32767) || !text(label))
            return {};
        if (sweepmode == kIncrementMode && !(number(n) && text(label))) return {};
    }
    if (label == kSelectionLabel) {
        if (!number(n) || !(std::trunc(n) >= 0 && std::trunc(n) <= kMaxSelection) || !in.skip(1)) return {};
        for (int k = 2; k <= static_cast<int>(std::trunc(n)); ++k)
            if (!in.skip(2)) return {};
        if (!in.skip(1)) return {};
    }
    std::string db;
    return text(db) ? db : std::string();
}

} // namespace kelva
