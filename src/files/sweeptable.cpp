// The sweep table scan. Each column is one pass over the whole file: every section of the
// kind the column needs fills the next problem row, so the k-th block's value lands in row
// k + 1. Every read advances, so a pass ends at the end of the file at the latest.
#include "files/sweeptable.h"

#include "files/numtext.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace kelva {
namespace {

constexpr const char* kNotPresent = "Not present";
constexpr int kMaxProblems = 32767;

enum class Column { Empty, PH, DOC, Concentration, Activity, LogActivity, TotalDissolved };

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool startsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

// The line that closes every block: one empty text field.
bool isBlockEnd(const Field& f) {
    return f.quoted && f.text.empty();
}

const std::string& entry(const std::vector<std::string>& v, int j) {
    static const std::string none;
    return j >= 0 && static_cast<std::size_t>(j) < v.size() ? v[static_cast<std::size_t>(j)] : none;
}

// A selection without entries still has its first column.
int entryCount(const SweepSelection& sel) {
    return std::max<int>(sel.Nswsel, 1);
}

Column columnOf(const SweepSelection& sel, int j) {
    const std::string_view name = trimmed(entry(sel.Swselname, j));
    const std::string_view kind = trimmed(entry(sel.Swseltype, j));
    if (j == 1 && name == "pH") return Column::PH;
    if (name == "DOC") return Column::DOC;
    if (kind == "Concentration") return Column::Concentration;
    if (kind == "Activity") return Column::Activity;
    if (kind == "Log Activity") return Column::LogActivity;
    if (kind == "Total dissolved") return Column::TotalDissolved;
    return Column::Empty;
}

bool opensSection(Column c, const Field& f) {
    switch (c) {
    case Column::PH:
        return trimmed(f.text) == "pH";
    case Column::DOC:
        return trimmed(f.text) == "Faaq (Calc)" || trimmed(f.text) == "Faaq (Fixed)";
    case Column::Concentration:
    case Column::Activity:
    case Column::LogActivity:
        return startsWith(f.text, "CONCENTRATIONS AND");
    case Column::TotalDissolved:
        return startsWith(f.text, "TOTAL AQUEOUS-PHASE");
    case Column::Empty:
        break;
    }
    return false;
}

std::optional<double> nextNumber(FieldReader& r) {
    Field f;
    if (!r.next(f)) return std::nullopt;
    return f.number();
}

std::string shortSci(const std::optional<double>& v) {
    return v ? text::shortScientific(*v) : std::string();
}

std::string logActivityText(const std::optional<double>& a) {
    if (!a || !(*a > 0) || !std::isfinite(*a)) return {};
    return text::plain(std::floor(1000.0 * text::Log10(*a)) / 1000.0);
}

// The cell of a section just met; the reader stands after its opening field.
std::string cellText(Column c, FieldReader& r, const std::string& name, const SweepScanInput& in) {
    switch (c) {
    case Column::PH: {
        auto v = nextNumber(r);
        return v ? text::plain(*v) : std::string();
    }
    case Column::DOC: {
        auto v = nextNumber(r);
        return v ? docText(*v, in.Comrat, in.Cactfract) : std::string();
    }
    case Column::Concentration:
    case Column::Activity:
    case Column::LogActivity: {
        SweepHit h = svek(r, name);
        if (!h.found) return kNotPresent;
        if (c == Column::Concentration) return shortSci(h.first);
        return c == Column::Activity ? shortSci(h.second) : logActivityText(h.second);
    }
    case Column::TotalDissolved: {
        SweepHit h = svek2(r, name);
        return h.found ? shortSci(h.first) : kNotPresent;
    }
    case Column::Empty:
        break;
    }
    return {};
}

// The pH labels are looked for after problem 1's sweep block, whose first name is "pH" too.
void skipSweepBlock(FieldReader& r) {
    Field f;
    while (r.next(f))
        if (trimmed(f.text) == "No. of iterations" || startsWith(f.text, "ERROR")) return;
}

void scanColumn(FieldReader& r, SweepTable& t, int j, const SweepScanInput& in, int lastRow) {
    const Column c = columnOf(in.sel, j);
    if (c == Column::Empty) return;
    const std::string& name = entry(in.sel.Swselname, j);
    r.rewind();
    if (c == Column::PH) skipSweepBlock(r);
    int row = 2;
    Field f;
    while (row <= lastRow && r.next(f)) {
        if (!opensSection(c, f)) continue;
        t.set(row, j, cellText(c, r, name, in));
        ++row;
    }
    r.rewind();
}

} // namespace

const std::string& SweepTable::at(int r, int c) const {
    static const std::string none;
    if (r < 0 || r >= rows || c < 0 || c >= cols) return none;
    return cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
}

void SweepTable::resize(int nrows, int ncols) {
    rows = std::max(nrows, 0);
    cols = std::max(ncols, 0);
    cells.resize(static_cast<std::size_t>(rows));
    for (auto& row : cells) row.resize(static_cast<std::size_t>(cols));
    errorRow.resize(static_cast<std::size_t>(rows), false);
}

void SweepTable::set(int r, int c, std::string s) {
    if (r < 0 || r >= rows || c < 0 || c >= cols) return;
    cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = std::move(s);
}

void sweheaders(SweepTable& t, const SweepSelection& sel) {
    const int n = entryCount(sel);
    t.resize(std::max(t.rows, 2), n + 1);
    t.set(0, 0, "Problem no.");
    for (int j = 1; j <= n; ++j) t.set(0, j, entry(sel.Swselname, j));
    for (int j = 1; j <= n; ++j) t.set(1, j, entry(sel.Swseltype, j));
}

void sweepfeed(FieldReader& reader, SweepTable& t, const SweepScanInput& in) {
    const int nprob = std::clamp(in.Nswprob, 0, kMaxProblems);
    const int n = entryCount(in.sel);
    t.resize(nprob + 2, n + 1);
    for (int k = 1; k <= nprob; ++k) {
        const bool err =
            static_cast<std::size_t>(k) < in.Iterr.size() && in.Iterr[static_cast<std::size_t>(k)] == 1;
        t.set(k + 1, 0, err ? "!!ERROR!!" : text::plain(k));
        t.errorRow[static_cast<std::size_t>(k + 1)] = err;
    }
    for (int j = 1; j <= n; ++j) scanColumn(reader, t, j, in, nprob + 1);
}

SweepHit svek(FieldReader& reader, const std::string& name) {
    SweepHit h;
    if (!reader.skip(3)) return h;
    const std::string_view want = trimmed(name);
    Field idx, nm;
    while (reader.next(idx)) {
        // The section ends with the totals title; a block cut short ends at the next block.
        if (startsWith(idx.text, "TOTAL AQUEOUS-PHASE") || startsWith(idx.text, "RESULTS") || isBlockEnd(idx))
            return h;
        if (!reader.next(nm)) return h;
        if (trimmed(nm.text) == want) {
            h.found = true;
            h.first = nextNumber(reader);
            h.second = nextNumber(reader);
            return h;
        }
        if (!reader.skip(2)) return h;
    }
    return h;
}

SweepHit svek2(FieldReader& reader, const std::string& name) {
    SweepHit h;
    Field f, nm;
    // "Water" mode: the title is followed by the block's closing field, no captions, no rows.
    if (!reader.next(f) || isBlockEnd(f) || !reader.skip(3)) return h;
    const std::string_view want = trimmed(name);
    while (reader.next(f)) {
        if (isBlockEnd(f) || startsWith(trimmed(f.text), "RESULTS")) return h;
        if (!reader.next(nm)) return h;
        const std::string_view got = trimmed(nm.text);
        if (startsWith(got, "RESULTS")) return h;
        if (got == want) {
            h.found = true;
            h.first = nextNumber(reader);
            return h;
        }
        if (!reader.skip(3)) return h;
    }
    return h;
}

std::string docText(double faaq, float Comrat, float Cactfract) {
    const double mg = faaq * 1000000.0 * static_cast<double>(Comrat) / static_cast<double>(Cactfract);
    if (!std::isfinite(mg)) return {};
    return text::plain(std::floor(mg) / 1000.0);
}

SweepTable buildSweepTable(const std::string& fileText, const SweepScanInput& in) {
    FieldReader reader(fileText, "result file");
    SweepTable t;
    sweheaders(t, in.sel);
    sweepfeed(reader, t, in);
    return t;
}

bool buildSweepTableFromFile(const std::string& path, const SweepScanInput& in, SweepTable& out,
                             std::string& err) {
    auto reader = FieldReader::open(path);
    if (!reader) {
        err = path + ": the file cannot be opened";
        return false;
    }
    out = SweepTable{};
    sweheaders(out, in.sel);
    sweepfeed(*reader, out, in);
    err.clear();
    return true;
}

} // namespace kelva
