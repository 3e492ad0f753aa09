// A small database file and a problem set up in a scratch folder.
#pragma once

#include "files/problemfile.h"
#include "run/problemlist.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelva::test {

// The lines, each ended by CR LF.
inline std::string crlfLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

// A database in the file layout: H+, Na+, Al3+, Ca+2, OH-, a species numbered 100, a complex,
// and a component line after the complex (which the name lookup never reaches).
inline std::string smallDatabase(int nosite = 1) {
    std::string db = crlfLines(
        {R"("Kelvaspec DATABASE")", R"("HA parameters",3.3E-03,4.1,8.8,3.3,2.1,-103,.5,1.72E-09,15000)",
         R"("FA parameters",5.5E-03,3.8,9.2,3.3,2.9,-147,.4,8E-10,1500)", R"("Clay parameters",2.5E-04,80)",
         R"("Double layer overlap factor",1)", R"("Log KSO(25) & DeltaH for Al(OH)3",8.5,-22800)",
         R"("Log KSO(25) & DeltaH for Fe(OH)3",2.7,-24600)", R"("Constant to control DDL at low ZED",1000)",
         R"("Constants for FA desorption",1,1.5,1000)",
         R"("Heterogeneity",)" + std::to_string(nosite) + ",100,0,0", R"("No. of data lines",8)"});
    struct Line {
        const char *head, *ha, *fa, *tail;
    };
    for (const auto& [head, ha, fa, tail] :
         {Line{R"(1,"H+",1,1,0,0,1,0,0,0,0)", "999", "999", "0,0"},
          Line{R"(2,"Na+",1,2,0,0,1,0,0,0,0)", "1.5", "1.7", "1,1"},
          Line{R"(5,"Al3+",3,5,0,0,1,0,0,0,0)", "2.5", "2.7", "1,1"},
          Line{R"(15,"Ca+2",2,15,0,0,1,0,0,0,0)", "1.2", "1.3", "1,1"},
          Line{R"(51,"OH-",-1,51,0,0,1,0,0,0,0)", "999", "999", "0,0"},
          Line{R"(100,"Odd",0,100,0,0,1,0,0,0,0)", "999", "999", "0,0"},
          Line{R"(101,"NaOH",0,2,51,0,1,1,0,-13.9,0)", "999", "999", "0,0"},
          Line{R"(20,"Late",2,20,0,0,1,0,0,0,0)", "999", "999", "0,0"}}) {
        db += head;
        for (const char* pk : {ha, fa})
            for (int k = 1; k <= nosite; ++k) db += std::string(",") + pk;
        db += std::string(",") + tail + "\r\n";
    }
    return db + "\"END OF DATA\"\r\n";
}

// Appends a visible component row.
inline void addRow(ProgramState& st, const std::string& name, const std::string& conc) {
    ++st.Nmast;
    st.rows[st.Nmast].txtName = name;
    st.rows[st.Nmast].txtConc = conc;
    st.rows[st.Nmast].visible = true;
}

// A soil problem with Na+ and Ca+2 in `dir`, connected to a small database written there.
inline std::unique_ptr<ProgramState> problemState(const TempDir& dir, int nosite = 1) {
    auto st = freshState();
    const std::string db = dir.file("small.DBS");
    spit(db, smallDatabase(nosite));
    st->Nosite = static_cast<i16>(nosite);
    st->Directory = dir.path().string();
    st->Dbfile = db;
    st->main.txtDb = db;
    st->main.txtDbVisible = true;
    st->main.txtTemp = "15";
    st->main.txtSolids = "40";
    st->main.txtClay = "12.5";
    st->main.txtHA = "2";
    st->main.txtFA = "30";
    st->main.txtGamm = "1.25";
    st->main.txtpH = "6.5";
    st->PhFixed = "Yes";
    st->main.lstpH = "Fixed at...";
    st->main.txtpHVisible = true;
    addRow(*st, "Na+", " .001");
    addRow(*st, "Ca+2", " 2.5E-04");
    return st;
}

// The scratch list of an "Only multi" run with one problem per value, put in the main window's `box`.
inline void writeList(ProgramState& st, const std::vector<std::string>& values,
                      std::string MainForm::*box = &MainForm::txtpH) {
    st.Sweepmode = "Only multi";
    st.Multino = static_cast<double>(values.size());
    FieldWriter out;
    for (std::size_t k = 0; k < values.size(); ++k) {
        st.Probno = static_cast<i16>(k + 1);
        st.main.*box = values[k];
        Filesaver(st, out);
    }
    spit((std::filesystem::path(st.Directory) / kScratchList).string(), out.str());
    st.Nprob = static_cast<i16>(values.size());
    st.Nsweep = st.Nprob;
}

// A test with a scratch folder holding the problem of problemState.
class ProblemTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::unique_ptr<ProgramState> st = problemState(dir);
    std::string err;
};

} // namespace kelva::test
