// Finding a block in a result file and reading it back. Every read advances, so a search or a
// read ends at the end of the file at the latest; the first thing that does not fit the layout
// ends the block and is reported with its place in the file.
#include "files/resultfile.h"

#include <cmath>
#include <initializer_list>
#include <string_view>

namespace kelva {
namespace {

using namespace reslabel;

constexpr int kH = 1;
constexpr int kOH = 51;
constexpr int kMaxSelection = 32767; // the sweep count is a 16-bit number

bool startsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool sameLabel(std::string_view a, std::string_view b) {
    return trimmed(a) == trimmed(b);
}

// The line 38 that closes every block: one empty text field.
bool isBlockEnd(const Field& f) {
    return f.quoted && f.text.empty();
}

int toInt(double v) {
    if (!(v > -2147483648.0 && v < 2147483648.0)) return 0;
    return static_cast<int>(std::lround(v));
}

// Reads the fields of one block and records the first thing that goes wrong in the block.
class BlockParser {
  public:
    BlockParser(FieldReader& r, ResultBlock& b) : r_(r), b_(b) {}

    bool field(Field& f, std::string_view what) {
        if (r_.next(f)) return true;
        return fail(r_.name() + ": the file ends before " + std::string(what));
    }
    bool label(const char* expected) {
        Field f;
        return field(f, quote(expected)) && isLabel(f, expected);
    }
    bool isLabel(const Field& f, const char* expected) {
        if (sameLabel(f.text, expected)) return true;
        return failAt(f, "expected " + quote(expected) + ", found " + quote(f.text));
    }
    bool captions(std::initializer_list<const char*> list) {
        for (const char* c : list)
            if (!label(c)) return false;
        return true;
    }
    bool toNumber(const Field& f, double& v, std::string_view what) {
        if (!f.quoted && f.text.empty()) { // a value that was never assigned
            v = 0;
            return true;
        }
        if (auto n = f.number()) {
            v = *n;
            return true;
        }
        return failAt(f, "expected " + std::string(what) + ", found " + quote(f.text));
    }
    bool number(double& v, std::string_view what) {
        Field f;
        return field(f, what) && toNumber(f, v, what);
    }
    bool whole(int& v, std::string_view what) {
        double d = 0;
        if (!number(d, what)) return false;
        v = toInt(d);
        return true;
    }
    bool text(std::string& s, std::string_view what) {
        Field f;
        if (!field(f, what)) return false;
        s = std::move(f.text);
        return true;
    }
    bool labelled(const char* lbl, double& v) {
        return label(lbl) && number(v, std::string("the value of ") + quote(lbl));
    }
    bool failAt(const Field& f, const std::string& msg) {
        return fail(r_.name() + ", line " + std::to_string(f.line) + ", field " + std::to_string(f.index) +
                    ": " + msg);
    }
    bool fail(const std::string& msg) {
        if (b_.error.empty()) b_.error = msg;
        return false;
    }

  private:
    static std::string quote(std::string_view s) { return "\"" + std::string(s) + "\""; }
    FieldReader& r_;
    ResultBlock& b_;
};

bool readSweep(BlockParser& p, SweepSelection& sel) {
    sel.present = true;
    Field f;
    if (!p.field(f, "the number of selected sweep results") ||
        !p.toNumber(f, sel.count, "the number of selected sweep results"))
        return false;
    const double c = std::trunc(sel.count);
    if (c > kMaxSelection) return p.failAt(f, "the number of selected sweep results is too large");
    sel.Nswsel = static_cast<i16>(c > 0 ? c : 0);
    sel.Swselname.assign(static_cast<std::size_t>(sel.Nswsel) + 1, std::string());
    sel.Swseltype.assign(static_cast<std::size_t>(sel.Nswsel) + 1, std::string());
    std::string first;
    if (!p.text(first, "the first selected sweep result")) return false;
    if (sel.Nswsel >= 1) sel.Swselname[1] = std::move(first);
    for (std::size_t j = 2; j <= static_cast<std::size_t>(sel.Nswsel); ++j)
        if (!p.text(sel.Swselname[j], "a selected sweep result") || !p.text(sel.Swseltype[j], "its kind"))
            return false;
    return true;
}

// Lines 1 to 9: up to and including the pH value.
bool readHead(BlockParser& p, bool searched, ResultBlock& b) {
    if (!searched && !p.label(kResults)) return false;
    if (!p.whole(b.probno, "the problem number") || !p.label(kNprob) ||
        !p.whole(b.nprob, "the number of problems"))
        return false;
    Field f;
    if (!p.field(f, "the number of iterations")) return false;
    if (startsWith(f.text, "Below is information")) {
        if (!readSweep(p, b.sweep) || !p.field(f, "the number of iterations")) return false;
    }
    if (startsWith(f.text, "ERROR")) {
        b.iterError = true;
        if (!p.field(f, "the number of iterations")) return false;
    }
    if (!p.isLabel(f, kIter) || !p.whole(b.iterations, "the number of iterations")) return false;
    if (!p.field(f, "the pH")) return false;
    if (sameLabel(f.text, kMode)) {
        std::string mode;
        if (!p.text(mode, "the program mode") || !p.field(f, "the pH")) return false;
        b.mode = std::move(mode);
    }
    return p.isLabel(f, kPH) && p.number(b.pH, "the pH");
}

bool readFaaq(BlockParser& p, ResultBlock& b) {
    Field f;
    if (!p.field(f, "the dissolved fulvic acid")) return false;
    if (sameLabel(f.text, kFaaqCalc) || sameLabel(f.text, kFaaqFixed)) {
        b.faaqKind = sameLabel(f.text, kFaaqCalc) ? FaaqKind::Calc : FaaqKind::Fixed;
        return p.number(b.faaq, "the dissolved fulvic acid") && p.labelled(kZedHA, b.zedHA);
    }
    // An older writer left line 13 out for a fixed value above 999.
    b.faaqKind = FaaqKind::Missing;
    return p.isLabel(f, kZedHA) && p.number(b.zedHA, "the value of \"Zed-HA \"");
}

bool readPpt(BlockParser& p, PptLine& ppt, const char* label, const char* pctLabel) {
    if (!p.label(label) || !p.text(ppt.flag, "the precipitation flag") ||
        !p.number(ppt.amount, "the amount precipitated"))
        return false;
    if (trimmed(ppt.flag) == "Yes") {
        ppt.hasPercent = true;
        return p.labelled(pctLabel, ppt.percent);
    }
    Field f;
    return p.field(f, "the line after the precipitation line");
}

// Lines 10 to 30.
bool readConditions(BlockParser& p, ResultBlock& b) {
    return p.labelled(kIonic, b.ionic) && p.labelled(kChRatio, b.chargeRatio) &&
           p.labelled(kChDiff, b.chargeDiff) && readFaaq(p, b) && p.labelled(kZedFA, b.zedFA) &&
           p.labelled(kRatioHA, b.ratioHA) && p.labelled(kRatioFA, b.ratioFA) &&
           p.labelled(kRatioClay, b.ratioClay) && p.label(kWater) && p.labelled(kFracHA, b.fracHADDL) &&
           p.labelled(kFracFA, b.fracFADDL) && p.labelled(kFracClay, b.fracClayDDL) &&
           p.labelled(kFracSol, b.fracSol) && readPpt(p, b.fe, kFePpt, kFePct) &&
           readPpt(p, b.al, kAlPpt, kAlPct) && p.labelled(kSatn, b.satIndex) && p.label(kMasterTitle) &&
           p.captions({"Master species", "S", "DHA", "DFA", "HA", "FA", "Clay"});
}

// The rest of a species row whose index field `f` has been read.
bool readSpeciesRow(BlockParser& p, const Field& f, ResultBlock& b) {
    SpeciesRow row;
    double idx = 0;
    if (!p.toNumber(f, idx, "a species number") || !p.text(row.name, "a species name") ||
        !p.number(row.conc, "a concentration") || !p.number(row.act, "an activity"))
        return false;
    row.index = toInt(idx);
    b.species.push_back(std::move(row));
    return true;
}

// Master rows until the species title, however many there are. The read that meets the title
// takes the title, its three captions and the first species row, as one eight-field read
// would. `speciesDone`: the species section turned out to be empty.
bool readMasters(BlockParser& p, ResultBlock& b, bool& speciesDone) {
    speciesDone = false;
    for (;;) {
        Field f;
        if (!p.field(f, "the species table")) return false;
        if (startsWith(f.text, "CON")) {
            if (!p.captions({"Species", "Conc", "Activity"}) || !p.field(f, "the first species"))
                return false;
            if (startsWith(f.text, "TOT")) return speciesDone = true;
            return readSpeciesRow(p, f, b);
        }
        MasterRow row;
        double idx = 0;
        if (!p.toNumber(f, idx, "a component number") || !p.text(row.name, "a component name")) return false;
        row.index = toInt(idx);
        for (double& x : row.fr)
            if (!p.number(x, "a fraction")) return false;
        b.master.push_back(std::move(row));
    }
}

bool readSpecies(BlockParser& p, ResultBlock& b) {
    for (;;) {
        Field f;
        if (!p.field(f, "the totals table")) return false;
        if (startsWith(f.text, "TOT")) return true;
        if (!readSpeciesRow(p, f, b)) return false;
    }
}

// After the totals title: the Kd section, when the block has one, then the closing "". A
// block without a mode line (older files) shows by what follows whether it has the section.
bool readTotals(BlockParser& p, ResultBlock& b) {
    Field f;
    if (!p.field(f, "the end of the block")) return false;
    const bool water = b.mode ? trimmed(*b.mode) == "Water" : isBlockEnd(f);
    if (water) return isBlockEnd(f) || p.failAt(f, "expected the end of the block, found \"" + f.text + "\"");
    if (!p.isLabel(f, "Species") || !p.captions({"Aqconc", "Kd", "Kd-app"})) return false;
    b.hasKdSection = true;
    for (;;) {
        if (!p.field(f, "the end of the block")) return false;
        if (isBlockEnd(f)) return true;
        TotalsRow row;
        double idx = 0;
        if (!p.toNumber(f, idx, "a component number") || !p.text(row.name, "a component name") ||
            !p.number(row.aqconc, "an aqueous concentration") || !p.number(row.kd, "a Kd value") ||
            !p.number(row.kdapp, "an apparent Kd value"))
            return false;
        row.index = toInt(idx);
        const std::string_view name = trimmed(row.name);
        // H+ and OH- have lines of their own but no values.
        if (name == "H" || name == "OH" || row.index == kH || row.index == kOH) continue;
        b.totals.push_back(std::move(row));
    }
}

} // namespace

bool findBlock(FieldReader& reader, int k) {
    if (k < 1) return false;
    reader.rewind();
    int count = 0;
    Field f;
    while (reader.next(f))
        if (sameLabel(f.text, reslabel::kResults) && ++count == k) return true;
    return false;
}

int scanBlocks(FieldReader& reader, std::vector<i16>& errorFlags) {
    reader.rewind();
    errorFlags.assign(1, 0);
    bool inHead = false; // between a block's first label and its iteration count
    Field f;
    while (reader.next(f)) {
        if (sameLabel(f.text, reslabel::kResults)) {
            errorFlags.push_back(0);
            inHead = true;
        } else if (inHead && startsWith(f.text, "ERROR")) {
            errorFlags.back() = 1;
            inHead = false;
        } else if (inHead && sameLabel(f.text, reslabel::kIter)) {
            inHead = false;
        }
    }
    reader.rewind();
    return static_cast<int>(errorFlags.size()) - 1;
}

bool readBlock(FieldReader& reader, bool searched, ResultBlock& block) {
    block = ResultBlock{};
    BlockParser p(reader, block);
    bool speciesDone = false;
    block.complete = readHead(p, searched, block) && readConditions(p, block) &&
                     readMasters(p, block, speciesDone) && (speciesDone || readSpecies(p, block)) &&
                     readTotals(p, block);
    return block.complete;
}

bool readResultFile(const std::string& path, int k, ResultBlock& block, std::string& err) {
    block = ResultBlock{};
    auto reader = FieldReader::open(path);
    if (!reader) {
        err = path + ": the file cannot be opened";
    } else if (!findBlock(*reader, k)) {
        err = path + ": there is no block for problem " + std::to_string(k);
    } else if (!readBlock(*reader, true, block)) {
        err = block.error;
    } else {
        err.clear();
        return true;
    }
    block.error = err;
    return false;
}

} // namespace kelva
