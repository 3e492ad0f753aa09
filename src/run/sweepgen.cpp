// The generator's output selection: the entries offered (compinp and its species filter), the
// unit list that follows the kind of entry, and the selection of up to eight results.
#include "run/sweepgen.h"

#include "state/helpers.h"

#include <algorithm>
#include <vector>

namespace kelva::sweepgen {
namespace {

constexpr const char* kConcentration = "Concentration";
constexpr const char* kActivity = "Activity";
constexpr const char* kLogActivity = "Log Activity";
constexpr const char* kTotalDissolved = "Total dissolved";
constexpr const char* kDoc = "DOC";

// Component numbers with a fixed meaning in the filter.
constexpr int kHydrogen = 1; // numbers up to this one (0 and 1) are always available
constexpr int kHydroxide = 51;
constexpr int kCarbonate = 55;
constexpr int kNoComponent = 999;
constexpr int kFirstComplexNo = 100;     // species numbers from here on are complexes
constexpr int kComponentLineLimit = 100; // lines searched for the problem's components

std::vector<std::string> componentUnits(const ProgramState& st) {
    std::vector<std::string> u{kConcentration, kActivity, kLogActivity};
    if (st.ProgMode == "Soil") u.emplace_back(kTotalDissolved);
    return u;
}

int rowsInUse(const ProgramState& st) {
    return std::clamp<int>(st.Nmast, 0, kRows);
}

bool validSpecies(int s) {
    return s >= 1 && s <= kMaxSpecies;
}

// A component number that a complex may hold in a problem of these components: H+, OH-, "no
// component", one of the problem's own, or carbonate while the CO2 pressure is fixed. Nothing
// is available in a problem without components.
bool available(int n, const std::vector<int>& SwCompNo, bool co2Fixed) {
    if (SwCompNo.size() <= 1) return false;
    if (n == kHydroxide || n == kNoComponent || n <= kHydrogen) return true;
    if (n == kCarbonate && co2Fixed) return true;
    return std::find(SwCompNo.begin() + 1, SwCompNo.end(), n) != SwCompNo.end();
}

// The unit `last` again where `units` offers it, else "Concentration".
std::string keepUnit(const std::vector<std::string>& units, const std::string& last) {
    return std::find(units.begin(), units.end(), last) != units.end() ? last : kConcentration;
}

} // namespace

void load(ProgramState& st) {
    st.sweep.lstUnit = componentUnits(st);
    st.sweep.lblConame[1] = "pH";
    st.sweep.lblCotype[1].clear();
}

void compinp(ProgramState& st) {
    if (!st.main.cmdEddbsVisible) return; // no database connected
    SweepForm& w = st.sweep;
    w.cboComp2.clear();
    w.cboComp2Text.clear();
    const int nmast = rowsInUse(st);
    std::vector<std::string> SwCompName(static_cast<std::size_t>(nmast) + 1);
    std::vector<int> SwCompNo(static_cast<std::size_t>(nmast) + 1, 0);
    for (int i = 1; i <= nmast; ++i) {
        SwCompName[static_cast<std::size_t>(i)] = st.rows[i].txtName;
        w.cboComp2.push_back(st.rows[i].txtName);
    }
    if (st.ProgMode == "Soil") w.cboComp2.emplace_back(kDoc);

    // The problem's components in the database: the component lines come first.
    const int lines = std::clamp<int>(st.Ndatalines, 0, kMaxSpecies);
    const int searched = std::min(lines, kComponentLineLimit);
    int Firstcomplex = searched + 1;
    for (int j = 1; j <= searched; ++j) {
        const int s = st.SpNo[j];
        if (s >= kFirstComplexNo) {
            Firstcomplex = j;
            break;
        }
        if (!validSpecies(s)) continue;
        for (int i = 1; i <= nmast; ++i)
            if (trimmed(st.SpName[s]) == trimmed(SwCompName[static_cast<std::size_t>(i)]))
                SwCompNo[static_cast<std::size_t>(i)] = st.SpComp1[s];
    }

    // Every complex whose components are all available. A pressure of 0 is not fixed (the run
    // takes it so).
    const bool co2Fixed = st.pCO2 != static_cast<float>(kNoValue) && st.pCO2 != 0.0f;
    for (int j = Firstcomplex; j <= lines; ++j) {
        const int s = st.SpNo[j];
        if (!validSpecies(s)) continue;
        if (available(st.SpComp1[s], SwCompNo, co2Fixed) && available(st.SpComp2[s], SwCompNo, co2Fixed) &&
            available(st.SpComp3[s], SwCompNo, co2Fixed))
            w.cboComp2.push_back(st.SpName[s]);
    }
}

void chooseEntry(ProgramState& st, const std::string& entry) {
    SweepForm& w = st.sweep;
    const std::string Lastunit = w.lstUnitText;
    w.cboComp2Text = entry;
    const std::string name = trimmed(entry);
    bool component = false;
    for (int i = 1; i <= rowsInUse(st) && !component; ++i) component = trimmed(st.rows[i].txtName) == name;
    if (component) {
        w.lstUnit = componentUnits(st);
        w.lstUnitText = keepUnit(w.lstUnit, Lastunit);
    } else if (name == kDoc) {
        w.lstUnit = {kConcMgItem};
        w.lstUnitText = kConcMgItem;
    } else {
        w.lstUnit = {kConcentration, kActivity, kLogActivity};
        w.lstUnitText = keepUnit(w.lstUnit, Lastunit);
    }
}

void chooseUnit(ProgramState& st, const std::string& unit) {
    st.sweep.lstUnitText = unit;
}

AddResult cmdAdd(ProgramState& st) {
    SweepForm& w = st.sweep;
    const int n = std::max(boundedInt(st.Nsel.v, 0, kMaxSelection), 1);
    if (n >= kMaxSelection) return AddResult::Full;
    if (trimmed(w.cboComp2Text).empty() || w.lstUnitText.empty()) return AddResult::NothingChosen;
    st.Nsel = n + 1;
    w.lblConame[n + 1] = w.cboComp2Text;
    w.lblCotype[n + 1] = w.lstUnitText;
    return AddResult::Added;
}

void cmdNewsel(ProgramState& st) {
    st.sweep.lblConame.fill(std::string());
    st.sweep.lblCotype.fill(std::string());
    st.sweep.lblConame[1] = "pH";
    st.Nsel = 1.0;
}

} // namespace kelva::sweepgen
