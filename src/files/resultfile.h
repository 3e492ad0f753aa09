// The result file ("Tempo.out" and its saved copies): one block per solved problem, written by
// writeres after each solve and read back block by block by the result windows.
//
// Readers take the file field by field (a line end counts as a comma) and find block k as the
// k-th field "RESULTS Prob. no. ". A block that is cut short or out of layout is kept as far as
// it was read; ResultBlock::complete says whether it was read to its end and `error` says why
// not.
#pragma once

#include "files/fields.h"
#include "state/state.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kelva {

// The labels of the block, with their trailing blanks as written.
namespace reslabel {
inline constexpr const char* kResults = "RESULTS Prob. no. ";
inline constexpr const char* kNprob = "No. of problems in this file ";
inline constexpr const char* kSweep = "Below is information on selected sweep results";
inline constexpr const char* kError = "ERROR - Exceedance of no. of iterations";
inline constexpr const char* kIter = "No. of iterations ";
inline constexpr const char* kMode = "Program mode ";
inline constexpr const char* kPH = "pH ";
inline constexpr const char* kIonic = "Ionic strength ";
inline constexpr const char* kChRatio = "Charge ratio ";
inline constexpr const char* kChDiff = "Charge difference ";
inline constexpr const char* kFaaqCalc = "Faaq (Calc) ";
inline constexpr const char* kFaaqFixed = "Faaq (Fixed) ";
inline constexpr const char* kZedHA = "Zed-HA ";
inline constexpr const char* kZedFA = "Zed-FA ";
inline constexpr const char* kRatioHA = "Ratio-HA ";
inline constexpr const char* kRatioFA = "Ratio-FA ";
inline constexpr const char* kRatioClay = "Ratio-Clay ";
inline constexpr const char* kWater = "Water Volumes...............";
inline constexpr const char* kFracHA = "Fraction HA-DDL ";
inline constexpr const char* kFracFA = "Fraction FA-DDL ";
inline constexpr const char* kFracClay = "Fraction Clay-DDL ";
inline constexpr const char* kFracSol = "Fraction solution ";
inline constexpr const char* kFePpt = "[Fe(OH)3 ppt]";
inline constexpr const char* kFePct = "% Tot Fe pptd ";
inline constexpr const char* kAlPpt = "[Al(OH)3 ppt]";
inline constexpr const char* kAlPct = "% Tot Al pptd ";
inline constexpr const char* kSatn = "Al(OH)3 satn. index ";
inline constexpr const char* kMasterTitle = "FRACTIONAL DISTRIBUTION OF MASTER SPECIES:";
inline constexpr const char* kSpeciesTitle = "CONCENTRATIONS AND ACTIVITIES OF SPECIES IN SOLUTION PHASE:";
inline constexpr const char* kTotalsTitle = "TOTAL AQUEOUS-PHASE CONCENTRATIONS AND KD VALUES:";
} // namespace reslabel

// The sweep selection as the result file carries it (problem 1's block only). Entry 1 is the
// swept quantity and has no kind.
struct SweepSelection {
    bool present = false;
    double count = 0;                   // the count as written
    i16 Nswsel = 0;                     // its integer part
    std::vector<std::string> Swselname; // 1..Nswsel (element 0 unused)
    std::vector<std::string> Swseltype; // 1..Nswsel (elements 0 and 1 empty)
};

struct MasterRow {
    int index = 0;
    std::string name;
    // Fractions of the calculated total: solution, HA-DDL, FA-DDL, HA, FA, clay.
    std::array<double, 6> fr{};
};

struct SpeciesRow {
    int index = 0;
    std::string name;
    double conc = 0; // mol/l
    double act = 0;  // mol/l
};

struct TotalsRow {
    int index = 0;
    std::string name;
    double aqconc = 0; // mol/l
    double kd = 0;     // 1000 x Kd, l/kg
    double kdapp = 0;  // 1000 x Kdapp, l/kg
};

struct PptLine {
    std::string flag;  // "Yes" / "No"
    double amount = 0; // mol/l precipitated
    bool hasPercent = false;
    double percent = 0; // of the analytical total
};

// Which line 13 the block carries. Missing: a block without that line (written for a fixed
// dissolved FA above 999 by an older writer); the block is still read.
enum class FaaqKind { Calc, Fixed, Missing };

struct ResultBlock {
    int probno = 0;
    int nprob = 0;
    SweepSelection sweep;
    bool iterError = false; // the solve stopped at the iteration limit
    int iterations = 0;
    std::optional<std::string> mode; // "Soil" / "Water"; older files have no mode line
    double pH = 0;
    double ionic = 0;       // mol/l
    double chargeRatio = 0; // cation / anion equivalents
    double chargeDiff = 0;  // cation - anion equivalents
    FaaqKind faaqKind = FaaqKind::Missing;
    double faaq = 0;             // dissolved FA, g/l
    double zedHA = 0, zedFA = 0; // molc/g
    double ratioHA = 0, ratioFA = 0, ratioClay = 0;
    double fracHADDL = 0, fracFADDL = 0, fracClayDDL = 0, fracSol = 0;
    PptLine fe, al;
    double satIndex = 0; // Al(OH)3 saturation index
    std::vector<MasterRow> master;
    std::vector<SpeciesRow> species;
    bool hasKdSection = false;     // false for a block written in "Water" mode
    std::vector<TotalsRow> totals; // without the rows of H and OH

    bool complete = false; // read to the block's last field
    std::string error;     // why not, with file, line and field
};

// Appends the block of the current problem (lines "RESULTS Prob. no. " .. the closing "").
// Calls fracdist and kdcalc for each component it reports, so it changes their result members.
void writeres(ProgramState& st, FieldWriter& out);

// Writes the current problem's block to `path`: replaces the file when `create` (problem 1 of
// a run), appends otherwise. False with a message in `err` when the file cannot be written.
bool writeresToFile(ProgramState& st, const std::string& path, bool create, std::string& err);

// Positions the reader just after the k-th "RESULTS Prob. no. " of the file (k >= 1): the next
// field is that block's problem number. False when the file has fewer blocks.
bool findBlock(FieldReader& reader, int k);

// Counts the blocks of the file and marks those that stopped at the iteration limit:
// errorFlags[k] is 1 when block k carries the error line before its iteration count
// (element 0 unused). One pass; the reader is rewound afterwards.
int scanBlocks(FieldReader& reader, std::vector<i16>& errorFlags);

// Reads one block. `searched`: findBlock has consumed the first label; otherwise the reader
// stands at the block's first field. Returns `block.complete`.
bool readBlock(FieldReader& reader, bool searched, ResultBlock& block);

// Opens `path`, finds block k and reads it. False with the reason in `err` when the file cannot
// be opened, has no block k, or block k is cut short or out of layout (`block` keeps what was
// read).
bool readResultFile(const std::string& path, int k, ResultBlock& block, std::string& err);

} // namespace kelva
