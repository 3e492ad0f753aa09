// Engine states set by hand for the result file tests: values that are exact in binary, so
// every number the writer prints is known in advance.
#pragma once

#include "files/fields.h"
#include "files/resultfile.h"
#include "state/state.h"

#include <string>
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
    struct Sp {
        int s;
        const char* name;
        double tot, tcalc, conc, act;
    };
    st.Nsplist = 0;
    for (const auto& [s, name, tot, tcalc, conc, act] :
         {Sp{1, "H", 1e-7, 0, 1e-7, 1e-7}, Sp{2, "Na", 0.25, 0.25, 0.125, 0.1},
          Sp{3, "Cl", 0.5, 0.5, 0.5, 0.4}, Sp{51, "OH", 0, 0, 1e-7, 1e-7}}) {
        nameSpecies(st, s, name);
        st.Tot[s] = tot;
        st.Tcalc[s] = tcalc;
        st.Conc[s] = conc;
        st.Act[s] = act;
        st.Splist[++st.Nsplist] = static_cast<i16>(s);
    }
    nameSpecies(st, 101, "NaCl");
    st.Splist[++st.Nsplist] = 101;
    st.SpComp1[101] = 2;
    st.SpComp2[101] = 3;
    st.SpSto1[101] = st.SpSto2[101] = 1;
    st.Bound(1, 2) = 0.125;
}

// The block of smallProblem, line by line.
inline std::vector<std::string> smallBlockLines() {
    std::vector<std::string> v;
    auto add = [&v](std::initializer_list<const char*> part) { v.insert(v.end(), part.begin(), part.end()); };
    // Heading and the solution's state.
    add({R"("RESULTS Prob. no. ",1)", R"("No. of problems in this file ",1)", R"("No. of iterations ",12)",
         R"("Program mode ","Soil")", R"("pH ",7.05)", R"("Ionic strength ",.05)", R"("Charge ratio ",1.5)",
         R"("Charge difference ",.25)", R"("Faaq (Calc) ",.013)", R"("Zed-HA ",-.0025)", R"("Zed-FA ",-.005)",
         R"("Ratio-HA ",2)", R"("Ratio-FA ",3.5)", R"("Ratio-Clay ",0)"});
    // Water volumes and precipitates.
    add({R"("Water Volumes...............")", R"("Fraction HA-DDL ",.01)", R"("Fraction FA-DDL ",.02)",
         R"("Fraction Clay-DDL ",0)", R"("Fraction solution ",1)", R"("[Fe(OH)3 ppt]","No",0)", R"("")",
         R"("[Al(OH)3 ppt]","No",0)", R"("")", R"("Al(OH)3 satn. index ",1.25)"});
    // Master species fractions.
    add({R"("FRACTIONAL DISTRIBUTION OF MASTER SPECIES:")",
         R"("Master species","S","DHA","DFA","HA","FA","Clay")", R"(2,"Na",.5,0,0,.5,0,0)",
         R"(3,"Cl",1,0,0,0,0,0)"});
    // Species in solution.
    add({R"("CONCENTRATIONS AND ACTIVITIES OF SPECIES IN SOLUTION PHASE:")", R"("Species","Conc","Activity")",
         R"(1,"H",1E-07,1E-07)", R"(2,"Na",.125,.1)", R"(3,"Cl",.5,.4)", R"(51,"OH",1E-07,1E-07)"});
    // Totals and Kd values.
    add({R"("TOTAL AQUEOUS-PHASE CONCENTRATIONS AND KD VALUES:")", R"("Species","Aqconc","Kd","Kd-app")",
         R"(1,"H",0,0,0)", R"(2,"Na",.125,250,250)", R"(3,"Cl",.5,0,0)", R"("")"});
    return v;
}

inline std::string blockText(ProgramState& st) {
    FieldWriter out;
    writeres(st, out);
    return out.take();
}

} // namespace kelva::test
