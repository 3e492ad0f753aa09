// The hand-over from the main window to the problem values, and the window's reset and
// display of a problem that was read.
#include "run/readinput.h"

#include "files/fields.h"
#include "files/numtext.h"
#include "files/problemfile.h"
#include "run/complist.h"

#include <algorithm>
#include <utility>

namespace kelva {
namespace {

constexpr const char* kDataLinesLabel = "No. of data lines";
constexpr int kLabelSearchLimit = 500; // fields searched for the species lines' label
constexpr int kComponentLineLimit = 100;
constexpr double kLastComponentNo = 100; // a species number above this ends the components

// Species number text and name of the first species lines of a database file, in file
// order, up to the first line that is no component. An unreadable file gives none.
std::vector<std::pair<std::string, std::string>> databaseComponents(const std::string& path, int nosite) {
    std::vector<std::pair<std::string, std::string>> out;
    if (path.empty() || nosite < 1 || nosite > 3) return out;
    auto in = FieldReader::open(path);
    if (!in) return out;
    Field f;
    bool found = false;
    for (int i = 0; i < kLabelSearchLimit && !found; ++i) {
        if (!in->next(f)) return out;
        found = f.text == kDataLinesLabel;
    }
    if (!found || !in->skip(1)) return out;
    const int perLine = 13 + 2 * nosite; // 15, 17 or 19 fields
    for (int line = 0; line < kComponentLineLimit; ++line) {
        Field no, name;
        if (!in->next(no) || !in->next(name)) break;
        if (text::leadingNumber(no.text) > kLastComponentNo) break;
        out.emplace_back(no.text, name.text);
        if (!in->skip(perLine - 2)) break;
    }
    return out;
}

double unitDivisor(const std::string& unit) {
    if (unit == kUnitMillimol) return 1000.0;
    if (unit == kUnitMicromol) return 1000000.0;
    return 1.0;
}

int rowsInUse(const ProgramState& st) {
    return std::clamp<int>(st.Nmast, 0, kRows);
}

void readComponents(ProgramState& st) {
    const int n = rowsInUse(st);
    if (n == 0) return;
    const auto known = databaseComponents(st.main.txtDb, st.Nosite);
    const double divisor = unitDivisor(st.main.lblUnits);
    for (int i = 1; i <= n; ++i) {
        const double x = text::leadingNumber(st.rows[i].txtConc) / divisor;
        st.Mastconc[i] = toSingle(x);
        st.Mastname[i] = st.rows[i].txtName;
        const std::string name = trimmed(st.Mastname[i]);
        for (const auto& [no, dbName] : known)
            if (trimmed(dbName) == name) st.Mastno[i] = no;
    }
}

double value(const std::string& s) {
    return text::leadingNumber(s);
}

} // namespace

void Readinput(ProgramState& st) {
    for (int i = 1; i <= kRows; ++i) {
        st.Mastname[i].clear();
        st.Mastno[i].clear();
    }
    st.TempK = toSingle(value(st.main.txtTemp) + 273.16);
    st.Csolid = toSingle(value(st.main.txtSolids));
    st.Gamma = value(st.main.txtGamm);
    st.pH = value(st.main.txtpH);

    const double f = value(st.main.txtFA);
    const double t = value(st.main.txtHA);
    st.Tha[1] = toSingle(t * (1 - f * 0.01));
    st.Tha[2] = toSingle(t - st.Tha[1]);
    if (f == 100) st.Tha[1] = 0;

    st.Tclay = toSingle(value(st.main.txtClay));
    if (st.pCO2 == 0) st.pCO2 = static_cast<float>(kNoValue);

    if (st.main.lstDOC != kDocCalcItem)
        st.Faaq = toSingle(value(st.main.txtDOC) * 0.001 * st.Cactfract / st.Comrat);
    else
        st.Faaq = static_cast<float>(kNoValue);

    readComponents(st);
}

std::vector<std::string> componentProblems(const ProgramState& st) {
    std::vector<std::string> out;
    const int n = rowsInUse(st);
    for (int i = 1; i <= n; ++i) {
        const std::string name = trimmed(st.Mastname[i]);
        const std::string no = trimmed(st.Mastno[i]);
        if (no.empty()) {
            out.push_back("Component \"" + name + "\" is not in the database");
        } else {
            // The problem file can carry only component species (1..99).
            const double v = text::leadingNumber(no);
            if (v < 1 || v >= 100)
                out.push_back("\"" + name + "\" is species " + no + " of the database, not a component");
        }
        if (st.Mastconc[i] < 0) out.push_back("The concentration of component \"" + name + "\" is negative");
    }
    return out;
}

void Pmoder(ProgramState& st) {
    MainForm& m = st.main;
    m.sorptionVisible = st.ProgMode != "Water";
    if (!m.sorptionVisible) {
        m.txtClay = "0.0";
        m.txtSolids = "0.0";
        m.txtGamm = "1.00";
        m.txtDOC = "0.0";
        m.txtDOCVisible = false;
        m.txtGammVisible = false;
    } else {
        // The DOC box and the Gamma value come back as the DOC list says, never both at once.
        const bool fixed = m.lstDOC == kDocFixedItem;
        m.txtDOCVisible = fixed;
        m.txtGammVisible = !fixed;
    }
}

void lstpHClick(ProgramState& st, const std::string& item) {
    st.main.lstpH = item;
    const bool fixed = item == kPhFixedItem;
    st.main.txtpHVisible = fixed;
    st.PhFixed = fixed ? "Yes" : "No";
}

void lstDOCClick(ProgramState& st, const std::string& item) {
    st.main.lstDOC = item;
    const bool fixed = item == kDocFixedItem;
    st.main.txtDOCVisible = fixed;
    st.main.txtGammVisible = !fixed;
}

} // namespace kelva
