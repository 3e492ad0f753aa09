// The ranges within which the chemistry means something, checked for a whole list before the
// first problem is solved.
#include "run/rangecheck.h"

#include "files/numtext.h"
#include "files/problemfile.h"
#include "run/readinput.h"
#include "run/summary.h"

#include <cctype>
#include <memory>

namespace kelva {

namespace {

constexpr double kMinPH = 0.0, kMaxPH = 14.0;
constexpr double kKelvinOffset = 273.16; // the run's deg C to K, as Readinput converts
constexpr double kMinCelsius = 0.0, kMaxCelsius = 100.0;
constexpr float kMaxPrecision = 10.0f; // percent
constexpr const char* kIncrementMode = "Sweep - increment";
constexpr const char* kNoIncrementMode = "Sweep - no increment";
constexpr const char* kOnlyMulti = "Only multi";

// The temperature limits as the run holds them: typed deg C converted to a single-precision
// kelvin exactly as Readinput does, so that 0 and 100 deg C typed are inside.
float kelvin(double celsius) {
    return toSingle(celsius + kKelvinOffset);
}

// The problems of a list, checked in order: the first refusal in full, the others counted.
class Refusals {
  public:
    void check(const ProgramState& st, int k, const std::string& incrementNote = std::string()) {
        const auto bad = outOfRange(st);
        if (!bad) return;
        if (!first_.empty()) {
            others_.push_back(k);
            return;
        }
        first_ = rangeMessage(k, *bad);
        if (bad->quantity == Quantity::pH) first_ += incrementNote;
    }

    std::string message() const {
        if (first_.empty() || others_.empty()) return first_;
        std::string more = problemRanges(others_);
        more[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(more[0])));
        return first_ + ". " + more + (others_.size() == 1 ? " lies" : " lie") + " outside the ranges too";
    }

  private:
    std::string first_;
    std::vector<int> others_;
};

// What a refused pH of a later problem of an increment sweep says about where it came from.
std::string incrementNote(double startPH, const Num& step) {
    return " (the sweep starts at pH " + text::bare(startPH) + " and rises by " + text::bare(step.v) +
           " per problem)";
}

// The later problems of an increment sweep: each raises the pH of the one before.
void checkIncrements(ProgramState& probe, int n, Refusals& refusals) {
    const std::string note = incrementNote(probe.pH, probe.pHincr);
    for (int k = 2; k <= n; ++k) {
        probe.pH = probe.pH + static_cast<double>(probe.pHincr);
        refusals.check(probe, k, note);
    }
}

// The records of the scratch list, with the shown problem in place of record Probno.
void checkScratchList(const ProgramState& st, const ProgramState& shown, int n, Refusals& refusals) {
    auto in = FieldReader::open(workPath(st, kScratchList).string());
    auto probe = std::make_unique<ProgramState>(st);
    bool readable = in.has_value();
    for (int k = 1; k <= n; ++k) {
        readable = readable && Fileopener(*probe, *in);
        if (k == st.Probno)
            refusals.check(shown, k);
        else if (readable)
            refusals.check(*probe, k);
    }
}

} // namespace

std::optional<OutOfRange> outOfRange(const ProgramState& st) {
    if (st.PhFixed == "Yes" && !(st.pH >= kMinPH && st.pH <= kMaxPH)) return OutOfRange{Quantity::pH, st.pH};
    if (!(st.TempK >= kelvin(kMinCelsius) && st.TempK <= kelvin(kMaxCelsius)))
        return OutOfRange{Quantity::Temperature,
                          static_cast<double>(st.TempK - static_cast<float>(kKelvinOffset))};
    if (!(st.Precision > 0.0f && st.Precision <= kMaxPrecision))
        return OutOfRange{Quantity::Precision, st.Precision};
    if (!(st.Tha[1] >= 0.0f)) return OutOfRange{Quantity::HumicAcid, st.Tha[1]};
    if (!(st.Tha[2] >= 0.0f)) return OutOfRange{Quantity::FulvicAcid, st.Tha[2]};
    if (!(st.Tclay >= 0.0f)) return OutOfRange{Quantity::Clay, st.Tclay};
    // Only sorption uses the solids: in water mode they are not part of the problem.
    if (st.ProgMode != "Water" && !(st.Csolid >= 0.0f)) return OutOfRange{Quantity::Solids, st.Csolid};
    return std::nullopt;
}

std::string rangeMessage(int problem, const OutOfRange& bad) {
    const double v = bad.value;
    const std::string single = text::bare(v, text::kSingleDigits);
    std::string what;
    switch (bad.quantity) {
    case Quantity::pH:
        what = "the fixed pH " + text::bare(v) + " lies outside the range 0 to 14";
        break;
    case Quantity::Temperature:
        what = "the temperature " + single + " \u00B0C lies outside the range 0 to 100 \u00B0C";
        break;
    case Quantity::Precision:
        what = "the required precision " + single + " % lies outside the range above 0 up to 10 %";
        break;
    case Quantity::HumicAcid:
        what = "the amount of humic acid " + single + " g/l lies outside the range 0 g/l or more";
        break;
    case Quantity::FulvicAcid:
        what = "the amount of fulvic acid " + single + " g/l lies outside the range 0 g/l or more";
        break;
    case Quantity::Clay:
        what = "the amount of clay " + single + " g/l lies outside the range 0 g/l or more";
        break;
    case Quantity::Solids:
        what = "the amount of total solids " + single + " g/l lies outside the range 0 g/l or more";
        break;
    }
    return "Problem " + std::to_string(problem) + ": " + what;
}

std::string listRangeRefusal(const ProgramState& st, const FieldReader& list, const ListRunOptions& opt) {
    FieldReader in = list;
    auto probe = std::make_unique<ProgramState>(st);
    Refusals refusals;
    std::string note;
    for (int k = 1; k <= opt.nprob; ++k) {
        const bool raised = k > 1 && probe->Sweepmode == kIncrementMode;
        if (raised) {
            if (note.empty()) note = incrementNote(probe->pH, probe->pHincr);
            probe->pH = probe->pH + static_cast<double>(probe->pHincr);
        } else if (!Fileopener(*probe, in, nullptr, false)) { // the conditions are enough here
            break;
        }
        if (opt.afterRead) opt.afterRead(*probe);
        refusals.check(*probe, k, raised ? note : std::string());
    }
    return refusals.message();
}

std::string shownRangeRefusal(const ProgramState& st) {
    auto probe = std::make_unique<ProgramState>(st);
    Readinput(*probe);
    const bool sweep = st.Sweepmode == kIncrementMode || st.Sweepmode == kNoIncrementMode;
    const int n = std::max<int>(sweep ? st.Nsweep : st.Nprob, 1);
    Refusals refusals;
    if (st.Sweepmode == kIncrementMode) {
        refusals.check(*probe, 1);
        checkIncrements(*probe, n, refusals);
    } else if (st.Sweepmode == kNoIncrementMode) {
        for (int k = 1; k <= n; ++k) {
            const auto at = static_cast<std::size_t>(k);
            probe->pH = text::leadingNumber(at < st.SweeppH.size() ? st.SweeppH[at] : std::string());
            refusals.check(*probe, k);
        }
    } else if (st.Sweepmode == kOnlyMulti && n > 1) {
        checkScratchList(st, *probe, n, refusals);
    } else {
        refusals.check(*probe, 1);
    }
    return refusals.message();
}

} // namespace kelva
