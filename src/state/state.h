// The program-wide state: one ProgramState holds the database tables, the problem and the
// problem list, the run parameters, the speciation engine's work arrays and the values the
// windows hold that other code reads. It is passed by reference; nothing is global.
//
// Names and index ranges are the chemistry's own: Act[s] is the activity of species s
// (1..500), Tot[i] the analytical total of component i (1..100), k = 1 is humic acid and
// k = 2 fulvic acid. Single-precision quantities are float, 16-bit counters std::int16_t.
#pragma once

#include "state/arrays.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kelva {

using i16 = std::int16_t;

constexpr int kMaxSpecies = 500;   // species numbers 1..500
constexpr int kMaxComponent = 100; // component numbers 1..99 (100 is left empty)
constexpr int kRows = 25;          // rows of the component list
constexpr int kSheetCols = 19;     // columns 0..18 of the database sheet

constexpr double kNoValue = 999.0; // "no value / not fixed"

// The database editor's sheet as text cells: row 0 holds the headings, rows 1..Ndatalines the
// species lines; column c of row r is cells[r][c]. The editor window only displays this.
struct DbSheet {
    std::vector<std::array<std::string, kSheetCols>> cells; // rows 0..maxRows
    std::vector<std::array<bool, kSheetCols>> locked;       // locked and greyed cells
    std::array<int, kSheetCols> colWidth{};                 // in characters
    int maxRows = 0;                                        // row count (without row 0)
};

// One row of the component list window.
struct ComplistRow {
    std::string txtName; // component name
    std::string txtConc; // total concentration as typed, in the unit of lblUnits
    bool visible = false;
};

// The texts of the main input window that the run and the problem files read and write.
struct MainForm {
    std::string txtTemp = "25.0";    // deg C
    std::string txtSolids = "0.0";   // g/l
    std::string txtClay = "0.0";     // g/l
    std::string txtHA = "0.0";       // humic plus fulvic acid, g/l
    std::string txtFA = "0.0";       // percent fulvic acid
    std::string txtDOC = "0.0";      // mg/l
    std::string txtGamm = "1.00";    // Gamma value
    std::string txtpH = "7.00";      //
    std::string lstpH = "To be calculated";
    std::string lstDOC = "Calculated";
    bool txtDOCVisible = false;
    bool txtGammVisible = true;
    bool txtpHVisible = false;
    std::string txtDb;               // path of the connected database
    bool txtDbVisible = false;       // a database counts as connected while this is true
    bool cmdEddbsVisible = false;
    bool mnuDatabaseEnabled = false;
    std::string lstUnits = "Mol / l";
    std::string lblUnits = "Mol / l";
    std::string txtCompname = "Connect database";
    std::string txtConc = "0.0";
    std::vector<std::string> lstCompnames;
    std::string lblFilename = "Unsaved";
    std::string lblNoprob = "1";
    bool navVisible = false;         // lblThisis, lblNoprob, cmdPrevprob, cmdNextprob
    std::string txtIter;             // iteration count shown during a run
    // The program mode's display (Pmoder): lblClay, txtClay, lblCsolid, txtSolids, lblDocconc
    // and lstDOC are shown in "Soil" mode only; txtDOC and txtGamm follow txtDOCVisible and
    // txtGammVisible, which Pmoder clears in "Water" mode.
    bool sorptionVisible = true;
};

// The controls of the multi-problem and sweep generator that the problem reader fills.
struct SweepForm {
    bool chkMulti = false;
    bool chkpH = false;
    std::string txtSweepno;
    Arr<std::string, 10> txtSweepval;
    bool cmdNext10Visible = false;
    std::string txtStartpH;
    std::string txtIncpH;
    Arr<std::string, 8> lblConame;  // names of the sweep output selection (1 is "pH")
    Arr<std::string, 8> lblCotype;  // their units or kinds

    // The page and control states of the generator, which the reset returns to rest and the
    // problem reader sets for the kind of list it opens.
    int Pagestart = 0;                       // values before the page shown (0, 10)
    Arr<bool, 10> txtSweepvalVisible{};      // the value boxes of the page shown
    bool startIncrVisible = false;           // lblStartvalue, txtStartpH, lblIncrement, txtIncpH, cmdSepar
    bool separateVisible = false;            // cmdStartincr, lblEnterval
    bool cmdPrev10Visible = false;
    std::string cmdNext10Caption = "Next 10";
    std::vector<std::string> cboComp2;       // the entries offered for the sweep output
    std::vector<std::string> lstUnit;        // the units or kinds offered for the chosen entry

    // The output selection being made: the entry chosen in cboComp2 and the unit or kind selected
    // in lstUnit, which "Add" appends (empty while nothing is chosen).
    std::string cboComp2Text;
    std::string lstUnitText;
};

// The cells of a read-only grid as texts: cells[row][col]; row 0 holds the column captions.
using TextTable = std::vector<std::vector<std::string>>;

// What the result windows show of one block of a result file: the main result window
// (frmOut1), the species, miscellaneous and totals windows (frmOut2, frmOut3, frmOut4) and
// the sweep table (frmSweepout). datafeed fills it, outdel and outdel2 clear it; the windows
// only display it, and the export reads its tables.
struct ResultForm {
    // frmOut1
    bool selectorVisible = false;            // cboProbno, lblProbno and cmdSweep
    std::vector<std::string> cboProbnoItems; // " 1", " 2", ...
    std::string cboProbno = "1";
    TextTable grdFractmast = TextTable(2, std::vector<std::string>(7)); // name, six percentages
    std::string txtpH, txtIstrength, txtDOC, txtIter, txtChrat, txtChdiff;
    std::string txtFeppt = "No", txtFepconc, txtFeproc; // precipitated mol/l and percent
    bool feDetailsVisible = false;                      // txtFepconc, lblFemol, txtFeproc, lblFeproc
    std::string txtAlppt = "No", txtAlpconc, txtAlproc;
    bool alDetailsVisible = false;
    bool lblErrorVisible = false; // the problem stopped at the iteration limit
    bool soilMode = true;         // lblDOC, txtDOC and the cmdTotaq buttons shown,
                                  // mnuOptionsExcel2 enabled (not in "Water" mode)
    // frmOut2, frmOut3, frmOut4
    std::string txtProbno = "1";
    bool probnoVisible = false; // lblProbno and txtProbno of the three windows
    TextTable grdSpecies = TextTable(2, std::vector<std::string>(4)); // name, conc., activity, log act.
    TextTable grdTotals = TextTable(2, std::vector<std::string>(4));  // name, aqueous conc., Kd, Kd-app
    std::string txtZedha, txtZedfa;                                   // molc/g
    std::string txtRatioha, txtRatiofa, txtRatioclay;
    std::string txtHADDL, txtFADDL, txtClayDDL, txtSol; // percent of the water
    bool ratioClayVisible = true;
    // frmSweepout: two caption rows, then one row per problem
    TextTable grdSweep = TextTable(2, std::vector<std::string>(2));
    std::vector<bool> grdSweepError = std::vector<bool>(2); // per row: "!!ERROR!!" in red in column 0
};

struct ProgramState {
    // ---------------------------------------------------------------- database tables
    Arr<float, 2> Ncooh{};  // mol type A groups per g
    Arr<float, 2> Pkha{};   // central pK of type A groups
    Arr<float, 2> Pkhb{};   // central pK of type B groups
    Arr<float, 2> Dpkha{};  // range of type A pK's
    Arr<float, 2> Dpkhb{};  // range of type B pK's
    Arr<float, 2> P{};      // electrostatic parameter; w = P log10 I
    Arr<float, 2> Fpr{};    // proximity factor: share of sites in bidentate pairs
    Arr<float, 2> Radius{}; // molecular radius, m
    Arr<float, 2> Molwt{};  // molecular weight, g/mol
    float Eqclay = 0;       // clay CEC, molc/g
    float Saclay = 0;       // clay surface area, m2/g
    float Dlf = 0;          // double layer overlap factor
    double Lksoal25 = 0;    // log *Ks of Al(OH)3 at 25 deg C
    double Dhal = 0;        // its deltaHr, cal/mol
    double Lksofe25 = 0;    // log *Ks of Fe(OH)3 at 25 deg C
    double Dhfe = 0;        // its deltaHr, cal/mol
    double Kzed = 0;        // charge factor of the DDL at low charge
    double K0 = 0;          // FA desorption, l/g
    double Beta = 0;        // FA desorption, g/mol
    i16 Nosite = 1;         // site classes, 1..3
    Num S1proc = 100.0;     // share of site class 1, percent
    Num S2proc = 0.0;       // share of site class 2, percent
    Num S3proc = 0.0;       // share of site class 3, percent
    i16 Ndatalines = 0;     // species lines in the file
    Arr<i16, kMaxSpecies> SpNo{}; // species numbers in file order, 1..Ndatalines
    std::string Dbfile;     // full path of the connected database

    Arr<std::string, kMaxSpecies> SpName;
    Arr<i16, kMaxSpecies> SpCharge{};
    Arr<i16, kMaxSpecies> SpComp1{}, SpComp2{}, SpComp3{};
    Arr<i16, kMaxSpecies> SpSto1{}, SpSto2{}, SpSto3{};
    Arr<Num, kMaxSpecies> SpLogK{};   // log K of formation at 25 deg C
    Arr<Num, kMaxSpecies> SpDeltaH{}; // kcal/mol
    Arr3<Num, 2, kMaxSpecies, 3> SpPKM{}; // (humic k, species, site class)
    Arr<Num, kMaxSpecies> SpKselHS{};
    Arr<Num, kMaxSpecies> SpKselClay{};
    Arr<i16, kMaxSpecies> SpBind{};   // 1 when the species binds to humics
    i16 Dhunit = 1;                   // editor's deltaH unit: 1 kcal/mol, 2 kJ/mol
    bool optKJ = false;               // the editor shows deltaH in kJ/mol
    DbSheet vaDbs;

    // ---------------------------------------------------------------- database editor
    // While the editor sheet shows deltaH in kJ/mol (Dhunit 2): per sheet row, the kcal/mol
    // text the conversion started from and the kJ/mol text it showed. A cell still showing
    // that text goes back to kcal/mol, and into the tables, exactly rather than through the
    // three decimals shown.
    struct DeltaHShown {
        std::string kcal;
        std::string kj;
    };
    std::vector<DeltaHShown> dhShown; // rows 0..vaDbs.maxRows, empty while Dhunit is 1
    unsigned vaDbsLoads = 0;          // database loads so far: the editor knows when to start afresh

    // ---------------------------------------------------------------- problem inputs
    Arr<double, kMaxComponent> Tot{}; // analytical totals, mol/l
    float TempK = 298.16f;            // K
    double pH = 7.0;
    std::string PhFixed = "No";       // as the window starts: the pH "To be calculated"
    Arr<float, 2> Tha{};              // HA, FA, g/l
    float Tclay = 0;                  // g/l
    float Csolid = 0;                 // g/l
    float Faaq = 999.0f;              // fixed dissolved FA, g/l; 999 = calculated
    float FaaqRes = 0;                // dissolved FA reported, g/l
    double Gamma = 1.0;

    // ---------------------------------------------------------------- run parameters
    float pCO2 = 999.0f;              // atm; 999 = not fixed
    float Precision = 0.01f;          // percent
    i16 Itermax = 10000;
    std::string ProgMode = "Soil";    // "Soil" or "Water"
    float Comrat = 0.5f;              // organic matter to DOC factor
    float Cactfract = 0.65f;          // dissolved FA as a fraction of DOC
    std::string Directory;            // working directory of the run files
    // The solver of a run: "Successive substitution" (the damped scheme, the default) or "Newton".
    std::string Solver = "Successive substitution";

    // ---------------------------------------------------------------- engine state
    Arr<double, kMaxSpecies> Act{};   // activities (index 0 unused, reads 0)
    Arr<double, kMaxSpecies> Conc{};  // bulk concentrations, mol/l
    Arr<double, kMaxComponent> Tcalc{}; // calculated totals over all phases, mol/l
    Arr<double, 4> Gam{};             // activity coefficient by abs(charge)
    Arr<i16, kMaxSpecies> Splist{};   // species present: components, then complexes
    i16 Nsplist = 0;
    Arr<i16, kMaxSpecies> Hslist{};   // present species that bind to humics
    i16 Nhslist = 0;

    Arr2<float, 2, 8> pKsite{};       // proton pK of site i
    Arr2<double, 2, 8> KHsite{};      // 10^-pKsite
    Arr2<float, 2, 8> SiteDen{};      // mol/g
    Arr2<float, 2, 12> PairDen{};     // mol/g
    Arr2<i16, 12, 2> Pair{};          // the two sites of pair p
    Arr<double, 3> Hetfrac{};         // share of site class m
    Arr3<double, 2, 8, kMaxSpecies> KMsite1{}, KMsite2{}, KMsite3{};

    // Binding-constant bookkeeping of setprob: the species whose constants it wrote last time,
    // how many site classes, and from which pKMHA(m), pKMFA(m). Only setprob writes
    // KMsite1..3, so every other species' constants are already 0, and a problem's set-up
    // touches the binding species alone and takes a power of ten only where a pK changed.
    Arr<bool, kMaxSpecies> KMwritten{};
    Arr<i16, kMaxSpecies> KMclasses{};
    Arr2<double, kMaxSpecies, 5> KMfrom{}; // (s, 0..2) pKMHA(1..3), (s, 3..5) pKMFA(1..3)

    Arr<double, 2> Zed{};             // assumed humic charge, molc/g
    Arr<double, 2> Zcalc{};           // charge from binding, molc/g
    Arr<double, 2> Zres{};            // squared relative charge mismatch
    Arr<double, 2> Zstep{}, Zdown{}, Zup{};
    Arr<double, 8> Prot{};            // fraction of site i protonated
    Arr2<double, 2, kMaxSpecies> Nu{};    // mol bound per g of humic
    Arr2<double, 2, kMaxSpecies> Bound{}; // mol/l bound to humic

    Arr<double, 2> Vddlsp{};          // specific DDL volume, l/g
    Arr<double, 2> Vddl{};            // DDL volume, l per l of suspension
    Arr<double, 2> Fddl{};            // water fraction in the humic DDL
    double Fclay = 0;                 // water fraction in the clay DDL
    double Fsol = 1;                  // water fraction in the bulk solution
    Arr<double, 2> Rddl{};            // DDL/bulk ratio per unit charge
    double Rclay = 0;
    Arr2<double, 2, kMaxSpecies> Cddl{}; // mol per l of DDL water
    Arr<double, kMaxSpecies> Cclay{};    // mol per l of clay DDL water

    double Ionic = 0;                 // mol/l
    double Poschg = 0, Negchg = 0, Chgratio = 0;
    float Tol = 0;
    i16 Iter = 0;
    std::vector<i16> Iterr;           // per problem number, 1 = iteration limit reached
    std::string AlPpt = "No", FePpt = "No";
    double LksAl = 0, LksFe = 0, SiAl = 0, SiFe = 0;
    Arr<double, 10> Fafrac{};         // dissolved FA of fraction n, g/l

    // A ratio loop of the diffuse layers that could not balance its layer in the last
    // evaluation: bit 1 HA, bit 2 FA, bit 4 clay. A solve that ends so is marked in Iterr.
    int RatioFail = 0;
    // The same, per problem number, for the run's report.
    std::vector<int> Ratiofail;

    // ---------------------------------------------------------------- undefined values
    // What went undefined first in the last solve and where it came from, in words; empty while
    // every value stayed defined. The solve stops at once when it happens (marked in Iterr).
    std::string Undefined;

    // Results of fracdist and kdcalc for the component last computed.
    float AqSol = 0, FaBound = 0, FaDdl = 0;
    float FrS = 0, FrDHA = 0, FrDFA = 0, FrHA = 0, FrFA = 0, FrClay = 0;
    float Aqconc = 0, Kd = 0, Kdapp = 0;

    // The work tables of humic binding, kept apart from the state (see EngineCache::humic).
    struct HumicWork {
        // Hetfrac(m) KMsite_m(k, a, s) KMsite_m(k, b, s) of pair p for the binding species.
        Arr3<double, 2, 12, kMaxSpecies> pairK1{}, pairK2{}, pairK3{};
        // Scratch of humic binding: each entry is written before it is read (the class terms of a
        // pair are summed on the fly into pairSum).
        struct Scratch {
            Arr<double, kMaxSpecies> pairSum{};
            Arr2<double, 12, kMaxSpecies> pairBound{};
            Arr<double, 12> pairCharge{};
            Arr<double, kMaxSpecies> siteTerm{};
            Arr2<double, 8, kMaxSpecies> siteBound{};
            Arr<double, 8> siteCharge{};
            Arr<double, kMaxSpecies> pairTotal{};
            Arr<double, kMaxSpecies> siteTotal{};
        } scratch;
    };

    // What the iteration loop would otherwise recompute at every pass: built by makelist from
    // the species lists and the set-up tables, never resized inside the loop.
    struct EngineCache {
        Arr<double, kMaxComponent> logAct{};  // log10 Act of the components, per evaluation
        // Per component i, the (species, coefficient) pairs of the listed species that hold
        // it, in list order and slot order: entries termStart[i] .. termStart[i+1]-1.
        Arr<int, kMaxComponent + 1> termStart{};
        std::array<std::int16_t, 3 * (kMaxSpecies + 1)> termSpecies{};
        std::array<std::int16_t, 3 * (kMaxSpecies + 1)> termSto{};
        // The tables of humic binding (400 KB), made by the first problem that binds to humics:
        // an inorganic run never pays for them, nor does a copy of its state.
        OnDemand<HumicWork> humic;
        Arr<double, kMaxSpecies> phase{};     // amount of species s over all phases, mol/l
        // The components whose totals are balanced (2..100 without OH-, total not 0), ascending.
        Arr<i16, kMaxComponent> balanced{};
        int nbalanced = 0;
        // The components with at least one term (2..100 without OH-), ascending.
        Arr<i16, kMaxComponent> totalled{};
        int ntotalled = 0;
        // 10^log Kw and the CO2 constant 10^log K at constantsTempK.
        bool haveTempConstants = false;
        float constantsTempK = 0;
        double kw = 0, kCO2 = 0;
    } cache;

    // ---------------------------------------------------------------- Newton solver
    // The Newton solver's switch that makes speciate balance the diffuse layers exactly in
    // double precision, and the evaluations of its last solve (the benchmarks report them).
    struct NewtonWork {
        bool exactRatios = false;
        int evaluations = 0;
    } newton;

    // Called at every iteration with Iter (the run shows it; the engine knows nothing more).
    std::function<void(int)> onIter;

    // ---------------------------------------------------------------- stopping a run
    // Set from another thread to stop the run: the engine's iteration ends at its next pass and
    // the run writes no result file. Not owned; null when the run cannot be stopped.
    const std::atomic<bool>* stopRequest = nullptr;
    bool stopRequested() const { return stopRequest && stopRequest->load(std::memory_order_relaxed); }

    // ---------------------------------------------------------------- problem and list
    i16 Probno = 1;
    i16 Nprob = 1;
    i16 Runprob = 0;
    std::string Sweepmode = "No";
    Num Multino;
    i16 Multiread = 0;
    i16 Nsweep = 0;
    std::vector<std::string> SweeppH; // 1-based
    Num pHincr;
    Num Nsel = 1.0;
    std::vector<std::string> Selname; // 1-based
    std::vector<std::string> Seltype; // 1-based
    std::string Multicap = "0";
    std::string Multiactive;
    i16 Arraysize = 500;
    i16 Nmast = 0;
    Arr<std::string, kRows> Mastname;
    Arr<std::string, kRows> Mastno;
    Arr<float, kRows> Mastconc{};
    std::string Savefile;
    std::string Inputfile;

    // ---------------------------------------------------------------- result side
    // Which result file the result windows show: "t" the run's "Tempo.out", "c" the file
    // chosen with "Open output file" (its full path in Outfile).
    std::string Outflag = "t";
    std::string Outfile;
    // The sweep selection read back from the result file (problem 1's block): entry 1 is the
    // swept quantity; Swseltype is empty for it. Both 1-based.
    i16 Nswsel = 0;
    std::vector<std::string> Swselname;
    std::vector<std::string> Swseltype;
    i16 Nswprob = 0; // problems in the sweep table
    ResultForm out;

    // ---------------------------------------------------------------- window-held values
    Arr<ComplistRow, kRows> rows;     // the component list window
    MainForm main;
    SweepForm sweep;

    // Problem number the engine reports to (the run's problem counter).
    int currentProblem() const { return Runprob > 0 ? Runprob : 1; }
    void setIterr(int n, i16 v) {
        if (n < 0) return;
        if (static_cast<std::size_t>(n) >= Iterr.size()) Iterr.resize(static_cast<std::size_t>(n) + 1, 0);
        Iterr[static_cast<std::size_t>(n)] = v;
    }
    i16 iterr(int n) const {
        return (n >= 0 && static_cast<std::size_t>(n) < Iterr.size()) ? Iterr[static_cast<std::size_t>(n)] : i16{0};
    }
};

} // namespace kelva
