// Shared set-up of the engine tests: the bundled database, or a tiny database built in code.
#pragma once

#include "engine/engine.h"
#include "files/database.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelva::test {

// A fresh state with the bundled default database loaded, one problem at 25 deg C.
inline std::unique_ptr<ProgramState> defaultDbState() {
    auto st = freshState();
    st->Dbfile = sourcePath("data/default.DBS");
    const DbReport rep = readdb(*st);
    EXPECT_TRUE(rep.ok) << (rep.error ? rep.error->describe() : "");
    setprob(*st);
    st->TempK = 298.16f;
    st->Runprob = 1;
    return st;
}

// One row of a database built in code.
inline void addSpecies(ProgramState& st, int no, const std::string& name, int charge, int c1, int c2, int c3,
                       int s1, int s2, int s3, double logK, double dH = 0.0, double pkmHA = 999.0,
                       double pkmFA = 999.0) {
    st.SpNo[++st.Ndatalines] = static_cast<i16>(no);
    st.SpName[no] = name;
    st.SpCharge[no] = static_cast<i16>(charge);
    st.SpComp1[no] = static_cast<i16>(c1);
    st.SpComp2[no] = static_cast<i16>(c2);
    st.SpComp3[no] = static_cast<i16>(c3);
    st.SpSto1[no] = static_cast<i16>(s1);
    st.SpSto2[no] = static_cast<i16>(s2);
    st.SpSto3[no] = static_cast<i16>(s3);
    st.SpLogK[no] = logK;
    st.SpDeltaH[no] = dH;
    for (int m = 1; m <= 3; ++m) {
        st.SpPKM(1, no, m) = pkmHA;
        st.SpPKM(2, no, m) = pkmFA;
    }
    st.SpKselHS[no] = 1.0;
    st.SpKselClay[no] = 1.0;
    st.SpBind[no] = pkmHA < 999.0 ? 1 : 0;
}

// A component row: the component itself in slot I with coefficient 1.
inline void addComponent(ProgramState& st, int no, const std::string& name, int charge, double pkmHA = 999.0,
                         double pkmFA = 999.0) {
    addSpecies(st, no, name, charge, no, 0, 0, 1, 0, 0, 0.0, 0.0, pkmHA, pkmFA);
}

// A soil suspension with ten components, humic and fulvic acid, clay and solids.
inline void soilInputs(ProgramState& st, bool fixedPH, double pH) {
    const std::pair<int, double> totals[] = {{2, 2e-3},  {3, 5e-4},  {4, 1e-3},  {6, 2e-3},  {12, 1e-6},
                                             {13, 1e-6}, {14, 1e-8}, {52, 4e-3}, {54, 1e-3}, {55, 1e-3}};
    for (auto [i, t] : totals) st.Tot[i] = t;
    st.Tha[1] = 0.5f;
    st.Tha[2] = 0.2f;
    st.Tclay = 5.0f;
    st.Csolid = 100.0f;
    st.PhFixed = fixedPH ? "Yes" : "No";
    st.pH = pH;
}

// Squared relative mismatch of a component's analytical and calculated total.
inline double balance(const ProgramState& st, int i) {
    const double r = 2.0 * (st.Tot[i] - st.Tcalc[i]) / (st.Tot[i] + st.Tcalc[i]);
    return r * r;
}

} // namespace kelva::test
