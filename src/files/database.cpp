// The database loader. The file is read into memory once and walked twice: the first walk
// takes the general parameters and the species numbers, the second the species lines into
// the tables at their numbers. Every number that later indexes a table is checked before it
// is stored, so a file can stop a load but never make it reach outside a table.
#include "files/database.h"
#include "files/numtext.h"

#include <cmath>
#include <set>
#include <string>

namespace kelva {

namespace {

constexpr const char* kHeteroLabel = "Heterogeneity";
constexpr const char* kCountLabel = "No. of data lines";
constexpr int kLabelSearchLimit = 200;
constexpr int kMaxCharge = 4; // the activity coefficients cover |z| <= 4
constexpr int kLastComponent = 99;
constexpr int kHydrogen = 1;
constexpr int kHydroxide = 51;

int fieldsPerLine(int nosite) {
    return 13 + 2 * nosite;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

void markConnected(ProgramState& st, bool connected) {
    st.main.txtDb = connected ? st.Dbfile : std::string{};
    st.main.txtDbVisible = connected;
    st.main.cmdEddbsVisible = connected;
    st.main.mnuDatabaseEnabled = connected;
}

class Loader {
  public:
    Loader(ProgramState& st, FieldReader& in, DbReport& rep) : st_(st), in_(in), rep_(rep) {}

    bool firstPass() {
        return readParameters() && readHeterogeneity() && readCount() && readSpeciesNumbers();
    }
    bool secondPass();
    int linesLoaded() const { return loaded_; }

  private:
    bool fail(const std::string& message) {
        in_.setError(message);
        return false;
    }
    bool label() {
        std::string scratch;
        return in_.readText(scratch, "label");
    }
    bool whole(double& out, const char* what, double lo, double hi);
    bool numCell(Num& out, const char* what);
    bool readParameters();
    bool readHeterogeneity();
    bool readCount();
    bool readSpeciesNumbers();
    bool findSpeciesLines();
    bool readSpeciesLine(int i, int n);
    bool readComposition(int n);
    void checkSpecies(int n);
    void checkConstants(int n, const std::string& who);

    ProgramState& st_;
    FieldReader& in_;
    DbReport& rep_;
    int loaded_ = 0;
    int lineOfSpecies_ = 0; // the file line of the species line being read
};

// A whole number that will index a table or size a loop: rounded as every whole-number
// field is, and refused outside lo..hi before anything uses it.
bool Loader::whole(double& out, const char* what, double lo, double hi) {
    double v = 0;
    if (!in_.readNumber(v, what)) return false;
    v = std::nearbyint(v);
    if (!(v >= lo && v <= hi))
        return fail(std::string(what) + " " + text::bare(v) + " is outside " + text::bare(lo) + ".." +
                    text::bare(hi));
    out = v;
    return true;
}

// An empty field leaves the cell empty, as the writer writes an empty cell.
bool Loader::numCell(Num& out, const char* what) {
    Field f;
    if (!in_.next(f)) return fail(std::string("the file ends where ") + what + " belongs");
    Field bareField = f;
    bareField.quoted = false;
    const auto first = f.text.find_first_not_of(" \t");
    bareField.text =
        first == std::string::npos ? "" : f.text.substr(first, f.text.find_last_not_of(" \t") - first + 1);
    if (bareField.text.empty()) {
        out.clear();
        return true;
    }
    const auto v = bareField.number();
    if (!v) return fail(std::string(what) + " expected, found " + quoted(f.text));
    out = *v;
    return true;
}

bool Loader::readParameters() {
    if (!label()) return false; // the title line is not compared: any name loads
    for (int k = 1; k <= 2; ++k) {
        if (!label()) return false;
        for (auto* arr : {&st_.Ncooh, &st_.Pkha, &st_.Pkhb, &st_.Dpkha, &st_.Dpkhb, &st_.P, &st_.Fpr,
                          &st_.Radius, &st_.Molwt})
            if (!in_.readFloat((*arr)[k], k == 1 ? "HA parameter" : "FA parameter")) return false;
    }
    double marker = 0;
    return label() && in_.readFloat(st_.Eqclay, "Eqclay") && in_.readFloat(st_.Saclay, "Saclay") && label() &&
           in_.readFloat(st_.Dlf, "Dlf") && label() && in_.readNumber(st_.Lksoal25, "Lksoal25") &&
           in_.readNumber(st_.Dhal, "Dhal") && label() && in_.readNumber(st_.Lksofe25, "Lksofe25") &&
           in_.readNumber(st_.Dhfe, "Dhfe") && label() && in_.readNumber(st_.Kzed, "Kzed") && label() &&
           in_.readNumber(marker, "format marker") && in_.readNumber(st_.K0, "K0") &&
           in_.readNumber(st_.Beta, "Beta");
}

// The heterogeneity line is optional: without it the next field is already the count label.
bool Loader::readHeterogeneity() {
    Field f;
    if (!in_.next(f)) return fail("the file ends before \"No. of data lines\"");
    if (f.text != kHeteroLabel) {
        st_.Nosite = 1;
        return true;
    }
    double groups = 0;
    if (!in_.readNumber(groups, "number of site groups")) return false;
    groups = std::trunc(groups);
    if (!(groups >= 1 && groups <= 3)) {
        st_.Nosite = 1;
        return fail("the number of site groups is " + text::bare(groups) + "; it must be 1, 2 or 3");
    }
    st_.Nosite = static_cast<i16>(groups);
    return numCell(st_.S1proc, "S1proc") && numCell(st_.S2proc, "S2proc") && numCell(st_.S3proc, "S3proc") &&
           label();
}

bool Loader::readCount() {
    double n = 0;
    if (!whole(n, "the number of species lines", 0, kMaxSpecies)) return false;
    st_.Ndatalines = static_cast<i16>(n);
    return true;
}

bool Loader::readSpeciesNumbers() {
    const int rest = fieldsPerLine(st_.Nosite) - 1;
    for (int i = 1; i <= st_.Ndatalines; ++i) {
        double n = 0;
        if (!whole(n, "species number", 1, kMaxSpecies)) return false;
        st_.SpNo[i] = static_cast<i16>(n);
        std::string scratch;
        for (int j = 0; j < rest; ++j)
            if (!in_.readText(scratch, "species field")) return false;
    }
    return true;
}

bool Loader::findSpeciesLines() {
    in_.rewind();
    Field f;
    for (int k = 0; k < kLabelSearchLimit && in_.next(f); ++k)
        if (f.text == kCountLabel) {
            double count = 0;
            return in_.readNumber(count, "number of species lines");
        }
    return fail(std::string("no field ") + quoted(kCountLabel) + " among the first " +
                std::to_string(kLabelSearchLimit) + " fields");
}

bool Loader::secondPass() {
    resetDbSheet(st_.vaDbs, st_.Ndatalines);
    if (!findSpeciesLines()) return false;
    for (int i = 1; i <= st_.Ndatalines; ++i) {
        if (!readSpeciesLine(i, st_.SpNo[i])) return false;
        loaded_ = i;
    }
    return true;
}

bool Loader::readComposition(int n) {
    double v = 0;
    const char* what[] = {"Comp. I", "Comp. II", "Comp. III"};
    Arr<i16, kMaxSpecies>* comps[] = {&st_.SpComp1, &st_.SpComp2, &st_.SpComp3};
    for (int j = 0; j < 3; ++j) {
        if (!whole(v, what[j], 0, kMaxSpecies)) return false;
        (*comps[j])[n] = static_cast<i16>(v);
    }
    return in_.readInt16(st_.SpSto1[n], "Sto. I") && in_.readInt16(st_.SpSto2[n], "Sto. II") &&
           in_.readInt16(st_.SpSto3[n], "Sto. III");
}

bool Loader::readSpeciesLine(int i, int n) {
    lineOfSpecies_ = in_.line();
    double again = 0;
    if (!in_.readNumber(again, "species number")) return false;
    if (std::nearbyint(again) != n)
        return fail("species line " + std::to_string(i) + " reads as species " + text::bare(again) +
                    " now but as species " + std::to_string(n) +
                    " before: the file's layout is not consistent");
    if (!in_.readText(st_.SpName[n], "species name") || !in_.readInt16(st_.SpCharge[n], "charge") ||
        !readComposition(n) || !numCell(st_.SpLogK[n], "log K") || !numCell(st_.SpDeltaH[n], "deltaH"))
        return false;
    for (int k = 1; k <= st_.Nosite; ++k)
        if (!numCell(st_.SpPKM(1, n, k), "pKMHA")) return false;
    for (int k = 1; k <= st_.Nosite; ++k)
        if (!numCell(st_.SpPKM(2, n, k), "pKMFA")) return false;
    if (!numCell(st_.SpKselHS[n], "Ksel,HS") || !numCell(st_.SpKselClay[n], "Ksel,Clay")) return false;

    // Set or cleared by each line, so that of two lines with one number the later decides,
    // as it does for every other table.
    st_.SpBind[n] = st_.SpPKM(1, n, 1) < kNoValue ? 1 : 0;
    fillDbSheetRow(st_, i, n);
    if (n != kHydrogen && n != kHydroxide && n <= kLastComponent)
        st_.main.lstCompnames.push_back(st_.SpName[n]);
    checkSpecies(n);
    return true;
}

void Loader::checkSpecies(int n) {
    const std::string who = "line " + std::to_string(lineOfSpecies_) + ", species " + std::to_string(n) + " " +
                            quoted(st_.SpName[n]) + ": ";
    if (std::abs(st_.SpCharge[n]) > kMaxCharge)
        rep_.warnings.push_back(who + "charge " + std::to_string(st_.SpCharge[n]) +
                                " is beyond +-4; activity coefficients are only known up to a charge of 4");
    if (st_.SpComp3[n] != 0 && st_.SpSto3[n] < 0)
        rep_.warnings.push_back(who +
                                "negative coefficient in Comp. III; that component is not counted in the "
                                "mass action");
    for (int c : {st_.SpComp1[n], st_.SpComp2[n], st_.SpComp3[n]})
        if (c > kLastComponent)
            rep_.warnings.push_back(who + "component " + std::to_string(c) +
                                    " is not a component species (1..99)");
    checkConstants(n, who);
}

// Constants whose power of ten the engine cannot take: 10^log K of a complex, and for a species
// that binds the binding constants a pK column gives (10^-pK at type A sites, 10^-(3 pK - 3) or
// 10^-(3.96 pK) at type B sites, and the product of two of them at a pair). Such a value makes
// the first evaluation of every problem with the species undefined.
void Loader::checkConstants(int n, const std::string& who) {
    auto overflows = [](double exponent) { return !std::isfinite(std::pow(10.0, exponent)); };
    auto warn = [&](const char* column, double v) {
        rep_.warnings.push_back(who + "column " + column + " holds " + text::bare(v) +
                                ", which cannot be used: its power of ten overflows");
    };
    if (n > 100 && overflows(st_.SpLogK[n])) warn("log K", st_.SpLogK[n]);
    if (!(st_.SpPKM(1, n, 1) < kNoValue)) return; // does not bind: the pK columns are not used
    static const char* const columns[3][3] = {{"", "", ""},
                                              {"pKMHA(1)", "pKMHA(2)", "pKMHA(3)"},
                                              {"pKMFA(1)", "pKMFA(2)", "pKMFA(3)"}};
    for (int k = 1; k <= 2; ++k)
        for (int m = 1; m <= st_.Nosite && m <= 3; ++m) {
            const double pk = st_.SpPKM(k, n, m);
            if (pk == kNoValue) continue;
            const double typeB = k == 1 ? 3.0 * pk - 3.0 : 3.96 * pk;
            if (overflows(-pk) || overflows(-typeB) || overflows(-2.0 * pk) || overflows(-(pk + typeB)))
                warn(columns[k][m - 1], pk);
        }
}

void warnDuplicates(const ProgramState& st, DbReport& rep) {
    std::set<int> seen;
    for (int i = 1; i <= st.Ndatalines; ++i)
        if (!seen.insert(st.SpNo[i]).second)
            rep.warnings.push_back("species number " + std::to_string(st.SpNo[i]) +
                                   " appears on more than one line; the later line's values are used");
}

ReadError openError(const std::string& path) {
    ReadError e;
    e.file = path;
    e.message = "the database file cannot be opened";
    return e;
}

} // namespace

void clearSpeciesTables(ProgramState& st) {
    st.SpNo.fill(0);
    st.SpName.fill(std::string{});
    for (auto* arr :
         {&st.SpCharge, &st.SpComp1, &st.SpComp2, &st.SpComp3, &st.SpSto1, &st.SpSto2, &st.SpSto3})
        arr->fill(0);
    for (auto* arr : {&st.SpLogK, &st.SpDeltaH, &st.SpKselHS, &st.SpKselClay}) arr->fill(Num{});
    st.SpPKM.fill(Num{});
    // A binding flag of an earlier database must not make one of this database bind.
    st.SpBind.fill(0);
}

DbReport readdb(ProgramState& st) {
    DbReport rep;
    auto reader = FieldReader::open(st.Dbfile);
    if (!reader) {
        rep.error = openError(st.Dbfile);
        return rep;
    }
    clearSpeciesTables(st);
    st.main.lstCompnames.clear();
    st.main.txtCompname.clear();
    st.Dhunit = 1;
    st.optKJ = false;
    st.dhShown.clear();
    ++st.vaDbsLoads;

    Loader load(st, *reader, rep);
    const bool firstOk = load.firstPass();
    if (!firstOk) st.Ndatalines = 0; // no species line has reached the tables
    if (firstOk && load.secondPass()) {
        sizeDbSheetColumns(st.vaDbs);
        pro999(st);
        markConnected(st, true);
        lockcell(st);
        warnDuplicates(st, rep);
        rep.ok = true;
        return rep;
    }
    // Stopped: keep what was read, but only as many species lines as reached the tables.
    if (firstOk) {
        st.Ndatalines = static_cast<i16>(load.linesLoaded());
        truncateDbSheet(st.vaDbs, st.Ndatalines);
    } else {
        resetDbSheet(st.vaDbs, 0);
    }
    markConnected(st, false);
    lockcell(st);
    rep.error = reader->error();
    if (!rep.error) {
        rep.error = openError(st.Dbfile);
        rep.error->message = "the database file could not be read";
    }
    return rep;
}

} // namespace kelva
