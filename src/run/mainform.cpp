// The main window's reset and its display of a problem that was read from a file.
#include "files/numtext.h"
#include "files/problemfile.h"
#include "run/readinput.h"

#include <algorithm>

namespace kelva {
namespace {

void resetTexts(ProgramState& st) {
    MainForm& m = st.main;
    st.Inputfile.clear();
    st.Savefile.clear();
    m.txtTemp = "25.0";
    m.txtSolids = m.txtClay = m.txtHA = m.txtFA = m.txtDOC = "0.0";
    m.txtGamm = "1.00";
    m.txtpH = "7.00";
    m.txtDOCVisible = false;
    m.txtGammVisible = true;
    m.lblFilename = "Unsaved";
}

void resetList(ProgramState& st) {
    st.Sweepmode = "No";
    st.Nsweep = 0;
    st.Multino.clear();
    st.Selname.clear();
    st.Seltype.clear();
    // The working directory is the user's choice (program-mode window); a reset of the problem
    // keeps it, so the run files never move without a word.
    st.Probno = 1;
    st.Nprob = 1;
}

void resetWindow(ProgramState& st) {
    MainForm& m = st.main;
    m.navVisible = false;
    m.lblNoprob = "1";
    m.lstDOC = kDocCalcItem;
    m.txtDbVisible = false;
    m.cmdEddbsVisible = false;
    m.txtCompname = "Connect database";
    m.lstCompnames.clear();
    m.txtConc = "0.0";
    st.PhFixed = "Yes";
    // The pH list follows the fixed pH, so that what the window shows is what a run uses.
    m.lstpH = kPhFixedItem;
    m.txtpHVisible = true;
    m.lstUnits = "Mol / l";
    m.lblUnits = "Mol / l";
}

void resetSweepForm(ProgramState& st) {
    SweepForm& w = st.sweep;
    w.chkMulti = false;
    w.chkpH = false;
    w.txtSweepno.clear();
    w.txtStartpH.clear();
    w.txtIncpH.clear();
    w.txtSweepval.fill(std::string());
    w.cmdNext10Visible = false;
    w.lblConame.fill(std::string());
    w.lblCotype.fill(std::string());
    w.lblConame[1] = "pH";
    w.Pagestart = 0;
    w.txtSweepvalVisible.fill(false);
    w.startIncrVisible = false;
    w.separateVisible = false;
    w.cmdPrev10Visible = false;
    w.cmdNext10Caption = "Next 10";
    w.cboComp2.clear();
    w.lstUnit.clear();
    w.cboComp2Text.clear();
    w.lstUnitText.clear();
    st.Multicap = "0";
}

void resetParameters(ProgramState& st) {
    for (auto* a :
         {&st.Ncooh, &st.Pkha, &st.Pkhb, &st.Dpkha, &st.Dpkhb, &st.P, &st.Fpr, &st.Radius, &st.Molwt})
        a->fill(0.0f);
    st.Eqclay = st.Saclay = st.Dlf = 0;
    st.Lksoal25 = st.Dhal = st.Lksofe25 = st.Dhfe = st.Kzed = st.K0 = st.Beta = 0;
    st.Gamma = 0;
    st.Precision = 0.01f;
    st.Nsel = 1.0;
    resetSweepForm(st);
}

std::string plainText(double v) {
    return text::plain(v);
}
std::string singleText(float v) {
    return text::plainSingle(v);
}

} // namespace

void resetter(ProgramState& st) {
    resetTexts(st);
    resetList(st);
    resetWindow(st);
    resetParameters(st);
    st.pCO2 = static_cast<float>(kNoValue);
    for (int i = 1; i <= kRows; ++i) st.rows[i] = ComplistRow{};
    st.Nmast = 0;
}

void Assigner(ProgramState& st) {
    Pmoder(st); // the mode the problem was read with
    MainForm& m = st.main;
    // In single precision, as the temperature is held, so that 298.16 K shows as 25.
    m.txtTemp = singleText(st.TempK - 273.16f);
    m.txtSolids = singleText(st.Csolid);
    m.txtClay = singleText(st.Tclay);
    const float sum = st.Tha[1] + st.Tha[2];
    m.txtHA = singleText(sum);
    m.txtFA = sum == 0 ? " 0.0" : singleText(100.0f * st.Tha[2] / sum);

    if (st.ProgMode == "Soil") {
        const bool calculated = st.Faaq == static_cast<float>(kNoValue);
        m.lstDOC = calculated ? kDocCalcItem : kDocFixedItem;
        m.txtDOCVisible = !calculated;
        m.txtGammVisible = calculated;
        if (calculated)
            m.txtGamm = plainText(st.Gamma);
        else
            m.txtDOC = singleText(toSingle(st.Faaq * 1000.0 * st.Comrat / st.Cactfract));
    }

    m.txtpH = plainText(st.pH);
    const bool fixed = st.PhFixed == "Yes";
    m.txtpHVisible = fixed;
    m.lstpH = fixed ? kPhFixedItem : kPhCalcItem;

    if (!st.Sweepmode.empty()) {
        const int n = boundedInt(st.Nsel.v, 1, 8);
        for (int i = 1; i <= 8; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const bool used = i <= n;
            st.sweep.lblConame[i] = used && at < st.Selname.size() ? st.Selname[at] : "";
            st.sweep.lblCotype[i] = used && at < st.Seltype.size() ? st.Seltype[at] : "";
        }
        st.sweep.lblConame[1] = "pH";
    }
}

} // namespace kelva
