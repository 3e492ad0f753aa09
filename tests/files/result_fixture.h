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
// concentration. Solids 4 g/l, no fulvic acid, no precipitation.
inline void smallProblem(ProgramState& st) {
    st.Probno = 1;
    st.Nprob = 1;
    st.Runprob = 1;
    st.Sweepmode = "";
    st.Iter = 12;
    st.ProgMode = "Soil";
    st.pH = 7.05;
    st.Ionic = 0.05;
    st.Poschg = 0.75;
    st.Negchg = 0.5;
    st.Faaq = 999.0f;
    st.FaaqRes = 0.013f;
    st.Csolid = 4.0f;
    st.Zed[1] = -0.0025;
    st.Zed[2] = -0.005;
    st.Rddl[1] = 2;
    st.Rddl[2] = 3.5;
    st.Rclay = 0;
    st.Fddl[1] = 0.01;
    st.Fddl[2] = 0.02;
    st.Fclay = 0;
    st.Fsol = 1;
    st.SiAl = 1.5;
    st.LksAl = 0.25;

    nameSpecies(st, 1, "H");
    nameSpecies(st, 2, "Na");
    nameSpecies(st, 3, "Cl");
    nameSpecies(st, 51, "OH");
    nameSpecies(st, 101, "NaCl");
    st.SpComp1[101] = 2;
    st.SpSto1[101] = 1;
    st.SpComp2[101] = 3;
    st.SpSto2[101] = 1;

    st.Tot[1] = 1e-7;
    st.Tot[2] = 0.25;
    st.Tot[3] = 0.5;
    st.Tcalc[2] = 0.25;
    st.Tcalc[3] = 0.5;
    st.Conc[1] = 1e-7;
    st.Act[1] = 1e-7;
    st.Conc[2] = 0.125;
    st.Act[2] = 0.1;
    st.Conc[3] = 0.5;
    st.Act[3] = 0.4;
    st.Conc[51] = 1e-7;
    st.Act[51] = 1e-7;
    st.Bound(1, 2) = 0.125;
    const int list[] = {1, 2, 3, 51, 101};
    st.Nsplist = 0;
    for (int s : list) st.Splist[++st.Nsplist] = static_cast<i16>(s);
}

// The block of smallProblem, line by line.
inline std::vector<std::string> smallBlockLines() {
    return {
        R"("RESULTS Prob. no. ",1)",
        R"("No. of problems in this file ",1)",
        R"("No. of iterations ",12)",
        R"("Program mode ","Soil")",
        R"("pH ",7.05)",
        R"("Ionic strength ",.05)",
        R"("Charge ratio ",1.5)",
        R"("Charge difference ",.25)",
        R"("Faaq (Calc) ",.013)",
        R"("Zed-HA ",-.0025)",
        R"("Zed-FA ",-.005)",
        R"("Ratio-HA ",2)",
        R"("Ratio-FA ",3.5)",
        R"("Ratio-Clay ",0)",
        R"("Water Volumes...............")",
        R"("Fraction HA-DDL ",.01)",
        R"("Fraction FA-DDL ",.02)",
        R"("Fraction Clay-DDL ",0)",
        R"("Fraction solution ",1)",
        R"("[Fe(OH)3 ppt]","No",0)",
        R"("")",
        R"("[Al(OH)3 ppt]","No",0)",
        R"("")",
        R"("Al(OH)3 satn. index ",1.25)",
        R"("FRACTIONAL DISTRIBUTION OF MASTER SPECIES:")",
        R"("Master species","S","DHA","DFA","HA","FA","Clay")",
        R"(2,"Na",.5,0,0,.5,0,0)",
        R"(3,"Cl",1,0,0,0,0,0)",
        R"("CONCENTRATIONS AND ACTIVITIES OF SPECIES IN SOLUTION PHASE:")",
        R"("Species","Conc","Activity")",
        R"(1,"H",1E-07,1E-07)",
        R"(2,"Na",.125,.1)",
        R"(3,"Cl",.5,.4)",
        R"(51,"OH",1E-07,1E-07)",
        R"("TOTAL AQUEOUS-PHASE CONCENTRATIONS AND KD VALUES:")",
        R"("Species","Aqconc","Kd","Kd-app")",
        R"(1,"H",0,0,0)",
        R"(2,"Na",.125,250,250)",
        R"(3,"Cl",.5,0,0)",
        R"("")",
    };
}

// Lines of a written text; false in `crlf` when a line is not ended by CR LF.
inline std::vector<std::string> splitCrlf(const std::string& s, bool& crlf) {
    std::vector<std::string> out;
    crlf = true;
    std::size_t start = 0;
    while (start < s.size()) {
        std::size_t nl = s.find('\n', start);
        if (nl == std::string::npos) {
            crlf = false;
            out.push_back(s.substr(start));
            break;
        }
        if (nl == start || s[nl - 1] != '\r') crlf = false;
        std::size_t end = (nl > start && s[nl - 1] == '\r') ? nl - 1 : nl;
        out.push_back(s.substr(start, end - start));
        start = nl + 1;
    }
    return out;
}

inline std::string blockText(ProgramState& st) {
    FieldWriter out;
    writeres(st, out);
    return out.take();
}

} // namespace kelva::test
