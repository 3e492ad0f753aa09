// A small database file and a problem set up in a scratch folder, shared by the tests of the
// problem hand-over and the problem files.
#pragma once

#include "support/testutil.h"

#include <fstream>
#include <string>

namespace kelva::test {

// A database in the file layout: H+, Na+, Al3+, Ca+2, OH-, a species numbered 100, a complex,
// and a component line after the complex (which the name lookup never reaches).
inline std::string smallDatabase(int nosite = 1) {
    auto pk = [&](const std::string& ha, const std::string& fa) {
        std::string s = ha;
        for (int k = 2; k <= nosite; ++k) s += "," + ha;
        s += "," + fa;
        for (int k = 2; k <= nosite; ++k) s += "," + fa;
        return s;
    };
    std::string db = "\"Kelvaspec DATABASE\"\r\n"
                     "\"HA parameters\",3.3E-03,4.1,8.8,3.3,2.1,-103,.5,1.72E-09,15000\r\n"
                     "\"FA parameters\",5.5E-03,3.8,9.2,3.3,2.9,-147,.4,8E-10,1500\r\n"
                     "\"Clay parameters\",2.5E-04,80\r\n"
                     "\"Double layer overlap factor\",1\r\n"
                     "\"Log KSO(25) & DeltaH for Al(OH)3\",8.5,-22800\r\n"
                     "\"Log KSO(25) & DeltaH for Fe(OH)3\",2.7,-24600\r\n"
                     "\"Constant to control DDL at low ZED\",1000\r\n"
                     "\"Constants for FA desorption\",1,1.5,1000\r\n";
    db += "\"Heterogeneity\"," + std::to_string(nosite) + ",100,0,0\r\n";
    db += "\"No. of data lines\",8\r\n";
    db += "1,\"H+\",1,1,0,0,1,0,0,0,0," + pk("999", "999") + ",0,0\r\n";
    db += "2,\"Na+\",1,2,0,0,1,0,0,0,0," + pk("1.5", "1.7") + ",1,1\r\n";
    db += "5,\"Al3+\",3,5,0,0,1,0,0,0,0," + pk("2.5", "2.7") + ",1,1\r\n";
    db += "15,\"Ca+2\",2,15,0,0,1,0,0,0,0," + pk("1.2", "1.3") + ",1,1\r\n";
    db += "51,\"OH-\",-1,51,0,0,1,0,0,0,0," + pk("999", "999") + ",0,0\r\n";
    db += "100,\"Odd\",0,100,0,0,1,0,0,0,0," + pk("999", "999") + ",0,0\r\n";
    db += "101,\"NaOH\",0,2,51,0,1,1,0,-13.9,0," + pk("999", "999") + ",0,0\r\n";
    db += "20,\"Late\",2,20,0,0,1,0,0,0,0," + pk("999", "999") + ",0,0\r\n";
    db += "\"END OF DATA\"\r\n";
    return db;
}

inline void writeText(const std::string& path, const std::string& content) {
    std::ofstream f(path, std::ios::binary);
    f << content;
}

inline std::string readText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Appends a visible component row.
inline void addRow(ProgramState& st, const std::string& name, const std::string& conc) {
    ++st.Nmast;
    st.rows[st.Nmast].txtName = name;
    st.rows[st.Nmast].txtConc = conc;
    st.rows[st.Nmast].visible = true;
}

// A state whose working directory is `dir`, connected to a small database written there,
// holding a soil problem with Na+ and Ca+2.
inline std::unique_ptr<ProgramState> problemState(const TempDir& dir, int nosite = 1) {
    auto st = freshState();
    const std::string db = dir.file("small.DBS");
    writeText(db, smallDatabase(nosite));
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
    addRow(*st, "Na+", " .001");
    addRow(*st, "Ca+2", " 2.5E-04");
    return st;
}

} // namespace kelva::test
