// The generator's alternatives, the pages of separate pH values, "Save and Back", "Cancel and
// Back", and the run's check of the sweep values.
#include "files/numtext.h"
#include "run/problemlist.h"
#include "run/readinput.h"
#include "run/sweepgen.h"

#include <algorithm>
#include <cmath>

namespace kelva::sweepgen {
namespace {

constexpr const char* kOnlyMulti = "Only multi";
constexpr const char* kIncrement = "Sweep - increment";
constexpr const char* kNoIncrement = "Sweep - no increment";

void ensureValues(ProgramState& st) {
    if (st.SweeppH.size() < static_cast<std::size_t>(kMaxProblems) + 1)
        st.SweeppH.resize(static_cast<std::size_t>(kMaxProblems) + 1);
}

std::string valueOf(const ProgramState& st, int k) {
    const auto at = static_cast<std::size_t>(k);
    return k >= 1 && at < st.SweeppH.size() ? st.SweeppH[at] : std::string();
}

// The values the pages hold: the number of problems, within the 20 a list holds.
int valueCount(const ProgramState& st) {
    return std::clamp<int>(st.Nsweep, 0, kMaxProblems);
}

// Shows the page that starts after Pagestart values (the first page when that holds none):
// a box for each of its values, the previous-page button on the second page, and the
// next-page button, captioned with the number of values of the following page, on the first.
void showPage(ProgramState& st) {
    ensureValues(st);
    SweepForm& w = st.sweep;
    const int n = valueCount(st);
    if (w.Pagestart != kPageSize || w.Pagestart >= n) w.Pagestart = 0;
    for (int i = 1; i <= kPageSize; ++i) {
        const int k = w.Pagestart + i;
        w.txtSweepvalVisible[i] = k <= n;
        w.txtSweepval[i] = k <= n ? valueOf(st, k) : std::string();
    }
    w.cmdPrev10Visible = w.Pagestart > 0;
    const int following = n - (w.Pagestart + kPageSize);
    w.cmdNext10Visible = following > 0;
    if (following > 0) w.cmdNext10Caption = "Next " + std::to_string(std::min(following, kPageSize));
}

void hideValueInputs(SweepForm& w) {
    w.startIncrVisible = false;
    w.separateVisible = false;
    w.txtSweepvalVisible.fill(false);
    w.cmdPrev10Visible = false;
    w.cmdNext10Visible = false;
    w.Pagestart = 0;
}

// The number of problems "Save and Back" stores: the box's value rounded down, within 1..20.
int savedCount(const SweepForm& w) {
    const double v = std::floor(text::leadingNumber(w.txtSweepno));
    return static_cast<int>(std::clamp(v, 1.0, static_cast<double>(kMaxProblems)));
}

// "<subject> is empty." or "<subject> holds "x", which is not a number."
std::string notANumber(const std::string& subject, const std::string& typed) {
    if (trimmed(typed).empty()) return subject + " is empty.";
    return subject + " holds \"" + typed + "\", which is not a number.";
}

std::optional<SaveRefusal> valueRefusal(const ProgramState& st, int n) {
    const SweepForm& w = st.sweep;
    using Box = SaveRefusal::Box;
    if (!w.chkpH) return std::nullopt;
    if (st.Sweepmode == kIncrement) {
        if (!isNumberText(w.txtStartpH))
            return SaveRefusal{Box::StartpH, 1,
                               notANumber("The box \"Start pH\" (the pH of problem 1)", w.txtStartpH) +
                                   " Type the pH of the first problem, for example 4.5."};
        if (n > 1 && !isNumberText(w.txtIncpH))
            return SaveRefusal{Box::IncpH, 0,
                               notANumber("The box \"Increment between values\"", w.txtIncpH) +
                                   " Type the pH step from one problem to the next, for example 0.5."};
    } else if (st.Sweepmode == kNoIncrement) {
        for (int k = 1; k <= n; ++k)
            if (!isNumberText(valueOf(st, k)))
                return SaveRefusal{
                    Box::Sweepval, k,
                    notANumber("The pH value of problem " + std::to_string(k), valueOf(st, k)) +
                        " Type the pH of that problem, for example 6.5."};
    }
    return std::nullopt;
}

// A list of problems entered one by one keeps no more problems than the number typed; the
// window shows the last one kept when it showed one beyond.
bool cutList(ProgramState& st, int n, std::string& err) {
    if (st.Sweepmode != kOnlyMulti || st.Multiactive != "1" || st.Nprob <= n) return true;
    if (st.Probno > n) {
        if (!storeShownProblem(st, err) || !readListProblem(st, n, err)) return false;
        Assigner(st);
        st.Probno = static_cast<i16>(n);
        st.main.lblNoprob = std::to_string(n);
    }
    st.Nprob = static_cast<i16>(n);
    return true;
}

void copySelection(ProgramState& st) {
    const SweepForm& w = st.sweep;
    const int n = std::max(boundedInt(st.Nsel.v, 0, kMaxSelection), 1);
    const auto size = static_cast<std::size_t>(kMaxSelection) + 1;
    if (st.Selname.size() < size) st.Selname.resize(size);
    if (st.Seltype.size() < size) st.Seltype.resize(size);
    int kept = n;
    for (int i = 1; i <= n; ++i) {
        if (trimmed(w.lblConame[i]).empty()) {
            kept = i - 1; // the selection ends at its first empty entry
            break;
        }
        st.Selname[static_cast<std::size_t>(i)] = w.lblConame[i];
        st.Seltype[static_cast<std::size_t>(i)] = w.lblCotype[i];
    }
    st.Nsel = kept;
}

} // namespace

bool isNumberText(const std::string& s) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    const std::size_t end = s.size();
    while (i < end && blank(s[i])) ++i;
    if (i < end && (s[i] == '+' || s[i] == '-')) ++i;
    int digits = 0;
    while (i < end && digit(s[i])) ++i, ++digits;
    if (i < end && s[i] == '.') {
        ++i;
        while (i < end && digit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < end && std::string_view("EeDd").find(s[i]) != std::string_view::npos) {
        ++i;
        if (i < end && (s[i] == '+' || s[i] == '-')) ++i;
        int exponent = 0;
        while (i < end && digit(s[i])) ++i, ++exponent;
        if (exponent == 0) return false;
    }
    while (i < end && blank(s[i])) ++i;
    return i == end;
}

void setSweepno(ProgramState& st, const std::string& text) {
    st.sweep.txtSweepno = text;
    const double v = std::floor(text::leadingNumber(text));
    st.Nsweep = static_cast<i16>(std::clamp(v, -32768.0, 32767.0));
    if (st.sweep.separateVisible) showPage(st);
}

void setSweepval(ProgramState& st, int i, const std::string& text) {
    if (i < 1 || i > kPageSize) return;
    ensureValues(st);
    st.sweep.txtSweepval[i] = text;
    const int k = st.sweep.Pagestart + i;
    if (k <= kMaxProblems) st.SweeppH[static_cast<std::size_t>(k)] = text;
}

void chkMultiClick(ProgramState& st) {
    SweepForm& w = st.sweep;
    if (w.chkMulti) return;
    w.chkMulti = true;
    w.chkpH = false;
    compinp(st);
    hideValueInputs(w);
    st.Sweepmode = kOnlyMulti;
}

void chkpHClick(ProgramState& st) {
    SweepForm& w = st.sweep;
    if (w.chkpH) return;
    w.chkpH = true;
    w.chkMulti = false;
    compinp(st);
    hideValueInputs(w);
    w.startIncrVisible = true;
    st.Sweepmode = kIncrement;
    // A sweep is one problem in the main window.
    st.main.navVisible = false;
    st.main.lblNoprob = "1";
}

void cmdSepar(ProgramState& st) {
    SweepForm& w = st.sweep;
    w.startIncrVisible = false;
    w.separateVisible = true;
    w.Pagestart = 0;
    showPage(st);
    st.Sweepmode = kNoIncrement;
}

void cmdStartincr(ProgramState& st) {
    SweepForm& w = st.sweep;
    st.Sweepmode = kIncrement;
    ensureValues(st);
    std::fill(st.SweeppH.begin(), st.SweeppH.end(), std::string());
    hideValueInputs(w);
    w.startIncrVisible = true;
    w.txtSweepval.fill(std::string());
    w.cmdNext10Caption = "Next 10";
}

void cmdNext10(ProgramState& st) {
    SweepForm& w = st.sweep;
    if (w.Pagestart + kPageSize >= valueCount(st)) return; // the last page is shown
    w.Pagestart += kPageSize;
    showPage(st);
}

void cmdPrev10(ProgramState& st) {
    SweepForm& w = st.sweep;
    if (w.Pagestart == 0) return;
    w.Pagestart -= kPageSize;
    showPage(st);
}

std::optional<SaveRefusal> cmdSave(ProgramState& st) {
    SweepForm& w = st.sweep;
    const int n = savedCount(w);
    if (auto refused = valueRefusal(st, n)) {
        if (refused->box == SaveRefusal::Box::Sweepval) {
            w.Pagestart = (refused->problem - 1) / kPageSize * kPageSize;
            showPage(st);
        }
        return refused;
    }
    std::string err;
    if (!cutList(st, n, err))
        return SaveRefusal{SaveRefusal::Box::None, 0,
                           "The list could not be cut to " + std::to_string(n) + " problems: " + err};

    copySelection(st);
    // A new list starts at one problem, and so does a sweep, which the main window shows as one.
    if ((st.Sweepmode != kIncrement && st.Multiactive != "1") || w.chkpH) {
        st.Probno = 1;
        st.Nprob = 1;
        st.main.lblNoprob = "1";
    }
    if (text::leadingNumber(w.txtSweepno) != n) w.txtSweepno = std::to_string(n);
    st.Nsweep = static_cast<i16>(n);
    st.Multino = n;
    st.pHincr = w.chkMulti ? 0.0 : text::leadingNumber(w.txtIncpH);
    st.Multicap = "1";
    if (w.chkpH) {
        st.main.txtpH = st.Sweepmode == kIncrement ? w.txtStartpH : valueOf(st, 1);
        lstpHClick(st, kPhFixedItem);
    }
    if (w.chkMulti && st.Multiactive != "1") {
        st.main.navVisible = true;
        st.main.lblNoprob = "1";
    }
    st.Multiactive.clear();
    return std::nullopt;
}

void cmdCancel(ProgramState& st) {
    SweepForm& w = st.sweep;
    setSweepno(st, std::string());
    w.txtStartpH.clear();
    w.txtIncpH.clear();
    cmdNewsel(st);
    w.cboComp2.clear();
    w.lstUnit.clear();
    w.cboComp2Text.clear();
    w.lstUnitText.clear();
    st.Multicap = "0";
    w.chkMulti = false;
    w.chkpH = false;
    st.main.navVisible = false;
    st.main.lblNoprob = "1";
    st.Sweepmode = "No";
    st.Probno = 1;
    st.Nprob = 1;
    ensureValues(st);
    std::fill(st.SweeppH.begin(), st.SweeppH.end(), std::string());
    hideValueInputs(w);
    w.txtSweepval.fill(std::string());
    w.cmdNext10Caption = "Next 10";
    // The list is no longer one of problems entered one by one: a later opening starts afresh.
    st.Multiactive.clear();
}

std::string runRefusal(const ProgramState& st) {
    const int n = boundedInt(st.Multino.v, 0, 32767); // as the run takes it
    const std::string where = " Set it in the \"Multi-problem / Sweep\" menu.";
    if (st.Sweepmode == kIncrement) {
        if (st.PhFixed == "Yes" && !isNumberText(st.main.txtpH))
            return notANumber("The pH box of the input window, where the sweep starts (problem 1),",
                              st.main.txtpH) +
                   " Type the start pH there or in the \"Multi-problem / Sweep\" menu.";
        if (n > 1 && (st.pHincr.empty() || !std::isfinite(st.pHincr.v)))
            return "The pH increment of the sweep is empty." + where;
    } else if (st.Sweepmode == kNoIncrement) {
        for (int k = 1; k <= n; ++k)
            if (!isNumberText(valueOf(st, k)))
                return notANumber("The pH value of problem " + std::to_string(k) + " of the sweep",
                                  valueOf(st, k)) +
                       where;
    }
    return std::string();
}

} // namespace kelva::sweepgen
