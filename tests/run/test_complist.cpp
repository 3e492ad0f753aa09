// The component rows: adding, deleting and converting between units.
#include "run/complist.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace kelva;
using namespace kelva::test;

namespace {

std::string add(ProgramState& st, const std::string& name, const std::string& conc) {
    st.main.txtCompname = name;
    st.main.txtConc = conc;
    return cmdAdd(st);
}

std::vector<std::string> rows(const ProgramState& st) {
    std::vector<std::string> out;
    for (int i = 1; i <= kRows; ++i)
        if (st.rows[i].visible || !st.rows[i].txtName.empty())
            out.push_back(st.rows[i].txtName + "=" + st.rows[i].txtConc);
    return out;
}

} // namespace

TEST(Complist, AddingChangingAndDeletingRows) {
    auto st = freshState();
    EXPECT_EQ(add(*st, "Na+", "0.001"), "");
    EXPECT_EQ(add(*st, " Ca+2 ", "2E-04"), "");
    // The same name again replaces the concentration and adds no row; a blank name does nothing.
    for (const auto& [name, conc] : {std::pair{"Ca+2", "5E-04"}, {"   ", "1"}, {"", "1"}})
        EXPECT_EQ(add(*st, name, conc), "");
    EXPECT_EQ(rows(*st), (std::vector<std::string>{"Na+= 0.001", "Ca+2= 5E-04"}));
    add(*st, "K", "3");
    cmdDelete(*st, 2); // the rows below move up
    EXPECT_EQ(rows(*st), (std::vector<std::string>{"Na+= 0.001", "K= 3"}));
    for (int row : {0, 3}) cmdDelete(*st, row); // no such row
    EXPECT_EQ(rows(*st).size(), 2u);
    for (int i = 0; i < 2; ++i) cmdDelete(*st, 1);
    EXPECT_EQ(std::tuple(st->Nmast, rows(*st).size()), std::tuple(0, 0u));

    for (int i = 1; i <= 25; ++i) ASSERT_EQ(add(*st, "C" + std::to_string(i), "1"), "");
    EXPECT_EQ(add(*st, "C26", "1"), "The list holds at most 25 components");
    EXPECT_EQ(add(*st, "C25", "7"), ""); // a component already in a full list can still be changed
    EXPECT_EQ(std::tuple(st->Nmast, st->rows[25].txtConc), std::tuple(25, " 7"));
}

TEST(Complist, UnitChangesConvertEveryRow) {
    auto st = freshState();
    changeUnit(*st, "Millimol / l"); // without components only the label changes
    EXPECT_EQ(std::tuple(st->main.lblUnits, st->Nmast, st->rows[1].txtConc),
              std::tuple("Millimol / l", 0, ""));
    changeUnit(*st, "Mol / l");
    add(*st, "A", "0.001");
    add(*st, "B", "2.5E-04");
    for (const auto& [unit, a, b] : {std::tuple{"Millimol / l", " 1", " .25"},
                                     {"Micromol / l", " 1000", " 250"},
                                     {"Mol / l", " .001", " .00025"},
                                     {"Gallons", " .001", " .00025"}}) {
        changeUnit(*st, unit);
        EXPECT_EQ(std::tuple(st->rows[1].txtConc, st->rows[2].txtConc), std::tuple(a, b)) << unit;
        EXPECT_EQ(st->main.lblUnits, std::string(unit) == "Gallons" ? "Mol / l" : unit);
    }
    EXPECT_EQ(st->main.lstUnits, "Mol / l");
}
