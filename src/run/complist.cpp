// The component rows: the main window's "Add to list" and unit list, and the list window's
// delete buttons.
#include "run/complist.h"

#include "files/numtext.h"

#include <algorithm>

namespace kelva {
namespace {

// Rows 1..n in use, whatever Nmast holds.
int rowsInUse(const ProgramState& st) {
    return std::clamp<int>(st.Nmast, 0, kRows);
}

} // namespace

std::string cmdAdd(ProgramState& st) {
    const std::string name = trimmed(st.main.txtCompname);
    if (name.empty()) return "";
    const int n = rowsInUse(st);
    int row = 0;
    for (int i = 1; i <= n && row == 0; ++i)
        if (trimmed(st.rows[i].txtName) == name) row = i;
    if (row == 0) {
        // The window has 25 rows; a longer list would have nowhere to be shown or edited.
        if (n >= kRows) return "The list holds at most 25 components";
        row = n + 1;
        st.Nmast = static_cast<i16>(row);
        st.rows[row].visible = true;
        st.rows[row].txtName = name;
    }
    st.rows[row].txtConc = " " + st.main.txtConc;
    return "";
}

void cmdDelete(ProgramState& st, int r) {
    const int n = rowsInUse(st);
    if (r < 1 || r > n) return;
    for (int k = r; k < n; ++k) {
        st.rows[k].txtName = st.rows[k + 1].txtName;
        st.rows[k].txtConc = st.rows[k + 1].txtConc;
    }
    st.rows[n] = ComplistRow{};
    st.Nmast = static_cast<i16>(n - 1);
}

void changeUnit(ProgramState& st, const std::string& newUnit) {
    const double to = unitFactor(newUnit);
    if (to == 0.0) return;
    const double from = unitFactor(st.main.lblUnits);
    const int n = rowsInUse(st);
    if (n > 0 && from != 0.0 && from != to) {
        // Multiply or divide by the whole factor between the units, so that a round trip
        // (mol -> micromol -> mol) gives back the number typed.
        for (int i = 1; i <= n; ++i) {
            double x = text::leadingNumber(st.rows[i].txtConc);
            x = to > from ? x * (to / from) : x / (from / to);
            st.rows[i].txtConc = text::plain(x);
        }
    }
    st.main.lstUnits = newUnit;
    st.main.lblUnits = newUnit;
}

} // namespace kelva
