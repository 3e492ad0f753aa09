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

} // namespace

TEST(Complist, AddingNewAndExistingComponents) {
    auto st = freshState();
    EXPECT_EQ(add(*st, "Na+", "0.001"), "");
    EXPECT_EQ(add(*st, " Ca+2 ", "2E-04"), "");
    ASSERT_EQ(st->Nmast, 2);
    EXPECT_EQ(st->rows[1].txtName, "Na+");
    EXPECT_EQ(st->rows[1].txtConc, " 0.001");
    EXPECT_EQ(st->rows[2].txtName, "Ca+2");
    EXPECT_TRUE(st->rows[2].visible);

    // The same name again replaces the concentration and adds no row.
    EXPECT_EQ(add(*st, "Ca+2", "5E-04"), "");
    EXPECT_EQ(st->Nmast, 2);
    EXPECT_EQ(st->rows[2].txtConc, " 5E-04");

    // A blank name does nothing.
    EXPECT_EQ(add(*st, "   ", "1"), "");
    EXPECT_EQ(add(*st, "", "1"), "");
    EXPECT_EQ(st->Nmast, 2);
    EXPECT_FALSE(st->rows[3].visible);
}

TEST(Complist, TheTwentySixthComponentIsRefused) {
    auto st = freshState();
    for (int i = 1; i <= 25; ++i) ASSERT_EQ(add(*st, "C" + std::to_string(i), "1"), "");
    EXPECT_EQ(st->Nmast, 25);
    EXPECT_EQ(add(*st, "C26", "1"), "The list holds at most 25 components");
    EXPECT_EQ(st->Nmast, 25);
    // A component already in a full list can still be changed.
    EXPECT_EQ(add(*st, "C25", "7"), "");
    EXPECT_EQ(st->rows[25].txtConc, " 7");
}

TEST(Complist, DeletingMovesTheRowsUp) {
    auto st = freshState();
    add(*st, "A", "1");
    add(*st, "B", "2");
    add(*st, "C", "3");
    cmdDelete(*st, 2);
    ASSERT_EQ(st->Nmast, 2);
    EXPECT_EQ(st->rows[2].txtName, "C");
    EXPECT_EQ(st->rows[2].txtConc, " 3");
    EXPECT_FALSE(st->rows[3].visible);
    EXPECT_TRUE(st->rows[3].txtName.empty());

    cmdDelete(*st, 0);
    cmdDelete(*st, 3);
    EXPECT_EQ(st->Nmast, 2);

    cmdDelete(*st, 1);
    cmdDelete(*st, 1);
    EXPECT_EQ(st->Nmast, 0);
    EXPECT_FALSE(st->rows[1].visible);
}

TEST(Complist, UnitChangesConvertEveryRow) {
    auto st = freshState();
    add(*st, "A", "0.001");
    add(*st, "B", "2.5E-04");
    changeUnit(*st, "Micromol / l");
    EXPECT_EQ(st->rows[1].txtConc, " 1000");
    EXPECT_EQ(st->rows[2].txtConc, " 250");
    EXPECT_EQ(st->main.lblUnits, "Micromol / l");
    changeUnit(*st, "Millimol / l");
    EXPECT_EQ(st->rows[1].txtConc, " 1");
    EXPECT_EQ(st->rows[2].txtConc, " .25");
    changeUnit(*st, "Mol / l");
    EXPECT_EQ(st->rows[1].txtConc, " .001");
    EXPECT_EQ(st->rows[2].txtConc, " .00025");
    EXPECT_EQ(st->main.lstUnits, "Mol / l");

    changeUnit(*st, "Gallons");
    EXPECT_EQ(st->main.lblUnits, "Mol / l");
    EXPECT_EQ(st->rows[1].txtConc, " .001");
}

TEST(Complist, UnitChangeWithoutComponentsOnlySetsTheLabel) {
    auto st = freshState();
    changeUnit(*st, "Millimol / l");
    EXPECT_EQ(st->main.lblUnits, "Millimol / l");
    EXPECT_EQ(st->Nmast, 0);
    EXPECT_TRUE(st->rows[1].txtConc.empty());
}
