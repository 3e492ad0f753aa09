// Engine states set by hand for the result file tests: values that are exact in binary, so
// every number the writer prints is known in advance.
#pragma once

#include "files/fields.h"
#include "files/resultfile.h"
#include "state/state.h"

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace kelva::test {

inline void nameSpecies(ProgramState& st, int s, const char* name) {
    st.SpName[s] = name;
    if (s < 100) {
        st.SpComp1[s] = static_cast<i16>(s);
        st.SpSto1[s] = 1;
    }
}

// A soil problem: H+, Na+ (half bound to humic acid), Cl-, OH-, the complex NaCl at zero
// concentration. Solids 4 g/l, no fulvic acid, no precipitation, no clay.
inline void smallProblem(ProgramState& st) {
    st.Probno = st.Nprob = st.Runprob = 1;
    st.Sweepmode = "";
    st.Iter = 12;
    st.FaaqRes = 0.013f;
    st.Csolid = 4.0f;
    using P = std::pair<double*, double>;
    for (auto [at, v] :
         {P{&st.pH, 7.05}, P{&st.Ionic, 0.05}, P{&st.Poschg, 0.75}, P{&st.Negchg, 0.5},
          P{&st.Zed[1], -0.0025}, P{&st.Zed[2], -0.005}, P{&st.Rddl[1], 2.0}, P{&st.Rddl[2], 3.5},
          P{&st.Fddl[1], 0.01}, P{&st.Fddl[2], 0.02}, P{&st.SiAl, 1.5}, P{&st.LksAl, 0.25}})
        *at = v;
    st.Nsplist = 0;
    using Sp = std::tuple<int, const char*, double, double, double, double>; // tot, tcalc, conc, act
    for (const auto& [s, name, tot, tcalc, conc, act] :
         {Sp{1, "H", 1e-7, 0, 1e-7, 1e-7}, Sp{2, "Na", 0.25, 0.25, 0.125, 0.1},
          Sp{3, "Cl", 0.5, 0.5, 0.5, 0.4}, Sp{51, "OH", 0, 0, 1e-7, 1e-7}}) {
        nameSpecies(st, s, name);
        std::tie(st.Tot[s], st.Tcalc[s], st.Conc[s], st.Act[s]) = std::tuple(tot, tcalc, conc, act);
        st.Splist[++st.Nsplist] = static_cast<i16>(s);
    }
    nameSpecies(st, 101, "NaCl");
    st.Splist[++st.Nsplist] = 101;
    std::tie(st.SpComp1[101], st.SpComp2[101], st.SpSto1[101], st.SpSto2[101]) = std::tuple(2, 3, 1, 1);
    st.Bound(1, 2) = 0.125;
}

inline std::string blockText(ProgramState& st) {
    FieldWriter out;
    writeres(st, out);
    return out.take();
}

// The result text of a run of n problems over pH 4, 5, ... of smallProblem, with the sweep
// selection in problem 1's block (pairs of name and kind) unless `sweepBlock` is false, Na at
// 0.125 k mol/l; `vary` changes problem k.
inline std::string runText(int n, const std::vector<std::pair<std::string, std::string>>& selection,
                           const std::function<void(ProgramState&, int)>& vary = {}, bool sweepBlock = true) {
    std::string text;
    for (int k = 1; k <= n; ++k) {
        auto st = std::make_unique<ProgramState>();
        smallProblem(*st);
        st->Sweepmode = sweepBlock ? "Sweep - increment" : "";
        st->Nsel = static_cast<double>(selection.size());
        st->Selname = st->Seltype = {""};
        for (const auto& [name, kind] : selection) {
            st->Selname.push_back(name);
            st->Seltype.push_back(kind);
        }
        st->Nprob = static_cast<i16>(n);
        st->Probno = st->Runprob = static_cast<i16>(k);
        st->pH = 3.0 + k;
        st->Conc[2] = 0.125 * k;
        if (vary) vary(*st, k);
        text += blockText(*st);
    }
    return text;
}

} // namespace kelva::test
