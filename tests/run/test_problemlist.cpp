// Problem lists: saving, opening each kind, stepping through; the sweep values a run refuses.
#include "files/numtext.h"
#include "run/problemfixture.h"
#include "run/problemlist.h"
#include "run/sweepgen.h"

#include <gtest/gtest.h>

using namespace kelva;
using namespace kelva::test;

namespace {

// Every record of a list file: its pH, the count of problems it states and its components.
using Records = std::vector<std::tuple<double, double, int>>;
Records records(const std::string& path) {
    Records out;
    auto st = freshState();
    FieldReader in(slurp(path), path);
    while (!in.atEnd()) {
        if (!Fileopener(*st, in)) {
            ADD_FAILURE() << in.error()->describe();
            break;
        }
        out.emplace_back(st->pH, st->Multino.v, st->Nmast);
    }
    return out;
}

std::vector<double> phs(const std::string& path) {
    std::vector<double> v;
    for (const auto& r : records(path)) v.push_back(std::get<0>(r));
    return v;
}

class ProblemList : public ProblemTest {
  protected:
    ProblemList() { other->Directory = dir.path().string(); }
    bool open(const std::string& file) {
        other->Inputfile = file;
        return Fileopena(*other, err);
    }
    std::unique_ptr<ProgramState> other = freshState(); // the state a list file is opened into
};

using Vals = std::vector<double>;

} // namespace

TEST_F(ProblemList, MultisaveReplacesTheShownProblemInPlace) {
    st->Sweepmode = "Only multi"; // a single problem: the list is made
    st->Savefile = dir.file("one.DAT");
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(st->Multino.v, 1);
    EXPECT_EQ(slurp(dir.file("one.DAT")), slurp(dir.file("temp01.dat")));
    EXPECT_EQ(phs(dir.file("one.DAT")), (Vals{6.5}));

    writeList(*st, {"6", "7", "8"});
    st->Savefile = "list.DAT";
    for (const auto& [probno, pH, want] : {std::tuple(2, "7.7", Vals{6, 7.7, 8}),
                                           {3, "8.8", Vals{6, 7.7, 8.8}},
                                           {1, "6.6", Vals{6.6, 7.7, 8.8}}}) {
        st->Probno = static_cast<i16>(probno);
        st->main.txtpH = pH;
        ASSERT_TRUE(Multisave(*st, err)) << err;
        EXPECT_EQ(phs(dir.file("temp01.dat")), want);
        EXPECT_EQ(slurp(dir.file("list.DAT")), slurp(dir.file("temp01.dat")));
        EXPECT_EQ(countOf(slurp(dir.file("list.DAT")), "Selected sweep results:"), 1);
    }
    EXPECT_EQ(records(dir.file("list.DAT")), (Records{{6.6, 3, 2}, {7.7, 3, 2}, {8.8, 3, 2}}));

    // A list shorter than planned states its length.
    writeList(*st, {"6", "7"});
    st->Multino = 5;
    st->Nsweep = 5;
    st->Probno = 2;
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(std::tuple(st->Multino.v, st->Nsweep), std::tuple(2, 2));
    EXPECT_EQ(records(dir.file("list.DAT")), (Records{{6, 2, 2}, {7, 2, 2}}));
}

TEST_F(ProblemList, MultisaveNeverReplacesAFileWithACutList) {
    std::tie(st->Sweepmode, st->Nprob, st->Nsweep, st->Probno, st->Savefile) =
        std::tuple("Only multi", 3, 3, 2, "list.DAT");
    st->Multino = 3;
    spit(dir.file("list.DAT"), "precious");
    std::string junk;
    for (int i = 0; i < 6000; ++i) junk += "1\r\n";
    spit(dir.file("temp01.dat"), junk);
    EXPECT_FALSE(Multisave(*st, err));
    EXPECT_NE(err.find("5000"), std::string::npos) << err;
    EXPECT_EQ(slurp(dir.file("list.DAT")), "precious");

    // A record that never ends cannot be skipped either.
    writeList(*st, {"6", "7", "8"});
    std::string list = slurp(dir.file("temp01.dat"));
    const auto second = list.find("\"Problem no.\",2");
    list = list.substr(0, second) + std::string(400, ',') + list.substr(second);
    list.erase(list.find("\"END\"", second + 400), 5);
    spit(dir.file("temp01.dat"), list);
    st->Probno = 2;
    EXPECT_FALSE(Multisave(*st, err));
    EXPECT_NE(err.find("more than 300"), std::string::npos) << err;
    EXPECT_EQ(slurp(dir.file("list.DAT")), "precious");

    // Record 2 cannot be put in place when the list holds none before it.
    std::filesystem::remove(dir.file("temp01.dat"));
    st->Probno = 3;
    EXPECT_FALSE(Multisave(*st, err));
    EXPECT_NE(err.find("holds 0 problems"), std::string::npos) << err;
}

TEST_F(ProblemList, SweepWithSeparateValuesSavedAndOpened) {
    std::tie(st->Sweepmode, st->Nsweep, st->SweeppH, st->Savefile) =
        std::tuple("Sweep - no increment", 12, std::vector<std::string>{""}, "sweep.DAT");
    st->Multino = 12;
    Vals pHs;
    for (int k = 1; k <= 12; ++k) {
        pHs.push_back(4.0 + 0.5 * k);
        st->SweeppH.push_back(k == 3 ? " 5.5" : text::bare(pHs.back())); // typed with a blank
    }
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(std::tuple(st->Nprob, phs(dir.file("sweep.DAT"))), std::tuple(12, pHs));
    EXPECT_EQ(countOf(slurp(dir.file("sweep.DAT")), "\"Problem no.\",12"), 1);

    ASSERT_TRUE(open(dir.file("sweep.DAT"))) << err;
    const auto& o = *other;
    const auto& w = o.sweep;
    EXPECT_EQ(std::tuple(o.Nsweep, w.chkpH, w.chkMulti, w.txtSweepno, w.cmdNext10Visible, o.SweeppH[1],
                         o.SweeppH[12], w.txtSweepval[10], o.main.txtpH, w.separateVisible,
                         w.txtSweepvalVisible[10], w.cmdNext10Caption),
              std::tuple(12, true, false, "12", true, " 4.5", " 10", " 9", " 4.5", true, true, "Next 2"));
}

TEST_F(ProblemList, ListsThatHoldFewerProblemsThanTheyStateBecomeTheListTheyHold) {
    st->SweeppH = {"", "6", "6.5", "7"};
    for (const std::string mode : {"Sweep - no increment", "Only multi"}) {
        SCOPED_TRACE(mode);
        st->Sweepmode = mode;
        st->Multino = 3;
        st->Nsweep = st->Nprob = 3;
        st->Probno = 1;
        if (mode == "Only multi") writeList(*st, {"6", "6.5", "7"});
        st->Savefile = "full.DAT";
        ASSERT_TRUE(Multisave(*st, err)) << err;
        const std::string text = slurp(dir.file("full.DAT"));
        const bool multi = mode == "Only multi"; // the scratch list itself may be the one cut
        const std::string cut = multi ? "temp01.dat" : "short.DAT";
        spit(dir.file(cut), text.substr(0, text.find("\"Problem no.\",3") + 20)); // 2 and a bit

        other->Probno = 3; // where an earlier run left it
        EXPECT_FALSE(open(cut));
        EXPECT_NE(err.find("states 3 problems but holds 2"), std::string::npos) << err;
        EXPECT_EQ(countOf(slurp(dir.file(cut)), "\"Problem no.\""), multi ? 2 : 3); // the list it holds
        const auto& o = *other; // the rows of the problem shown stay
        EXPECT_EQ(std::tuple(o.Nsweep, o.Multino.v, o.Probno, o.main.lblNoprob, o.sweep.txtSweepno, o.Nmast,
                             o.main.txtpH),
                  std::tuple(2, 2.0, 1, "1", "2", 2, " 6"));
    }
}

TEST_F(ProblemList, OpeningASweepWithIncrementCorrectsTheCounts) {
    st->Sweepmode = "Sweep - increment";
    st->Multino = 5;
    st->pHincr = 0.5;
    st->main.txtpH = "6.0";
    FieldWriter out;
    Filesaver(*st, out);
    const std::string text = out.str();
    spit(dir.file("Temp.dat"), text);
    ASSERT_TRUE(open("temp.dat")) << err; // the same file as "Temp.dat"
    const auto& o = *other;
    EXPECT_EQ(std::tuple(o.Nsweep, o.pHincr.v, o.sweep.chkpH, o.sweep.txtStartpH, o.sweep.txtIncpH),
              std::tuple(5, 0.5, true, " 6", " .5")); // the increment it runs with

    // a file made for the batch runner may state more problems than the generator makes
    const auto at = text.find(",5\r\n");
    spit(dir.file("many.DAT"), std::string(text).replace(at, 4, ",25\r\n"));
    EXPECT_TRUE(open("many.DAT")) << err;
    EXPECT_EQ(o.Nsweep, 25);

    spit(dir.file("none.DAT"), std::string(text).replace(at, 4, ",0\r\n"));
    EXPECT_FALSE(open("none.DAT"));
    EXPECT_EQ(o.Nsweep, 1);
    EXPECT_NE(err.find("at least 1"), std::string::npos) << err;
}

TEST_F(ProblemList, AFileThatCannotBeReadChangesNothing) {
    spit(dir.file("bad.DAT"), "\"Problem no.\",1\r\n\"Marsh\"\r\n");
    st->main.lblFilename = "kept.DAT";
    for (const char* name : {"bad.DAT", "missing.DAT"}) {
        const OpenReport bad = openInputFile(*st, dir.file(name));
        EXPECT_FALSE(bad.opened);
        EXPECT_NE(bad.message.find(name), std::string::npos) << bad.message;
        EXPECT_EQ(std::tuple(st->main.lblFilename, st->Nmast, st->main.txtDbVisible, st->main.txtpH),
                  std::tuple("kept.DAT", 2, true, "6.5"));
    }
}

TEST_F(ProblemList, AStepThatCannotReadItsProblemKeepsTheShownOne) {
    writeList(*st, {"6", "7", "8"});
    std::string list = slurp(dir.file("temp01.dat"));
    const auto third = list.find("\"Problem no.\",3");
    spit(dir.file("temp01.dat"), list.replace(list.find("\"TempK\"", third), 7, "\"TempK\",abc"));
    st->Probno = 2;
    st->main.lblNoprob = "2";
    st->main.txtpH = "7.5";
    EXPECT_FALSE(cmdNextprob(*st, err));
    EXPECT_NE(err.find("Problem 3 cannot be read"), std::string::npos) << err;
    EXPECT_EQ(std::tuple(st->Probno, st->main.lblNoprob, st->main.txtpH, st->Nmast, st->rows[2].txtName),
              std::tuple(2, "2", "7.5", 2, "Ca+2"));
    auto stored = freshState(); // what was shown is stored in its place
    stored->Directory = st->Directory;
    ASSERT_TRUE(readListProblem(*stored, 2, err)) << err;
    EXPECT_EQ(stored->pH, 7.5);
}

TEST(SweepValues, OnlyAWholeNumberIsANumber) {
    for (const char* s : {"6.5", " 7 ", "-.5", "+3", "1E-3", "2.5d1", "8."})
        EXPECT_TRUE(sweepgen::isNumberText(s)) << s;
    for (const char* s : {"", "  ", ".", "7,5", "7.5x", "1e", "--1"})
        EXPECT_FALSE(sweepgen::isNumberText(s)) << s;
}

TEST(SweepValues, TheRunRefusesValuesThatAreNoNumbers) {
    struct Case {
        std::string mode, txtpH, phFixed;
        double problems;
        bool step; // pHincr set
        std::vector<std::string> values;
        std::string refusal; // its start; empty: the run goes on
    };
    // clang-format off
    const Case cases[] = {
        {"Sweep - increment", "", "Yes", 3, true, {}, "The pH box of the input window, where the sweep starts"},
        {"Sweep - increment", "", "No", 3, true, {}, ""}, // a calculated pH needs no start
        {"Sweep - increment", "6", "Yes", 3, false, {}, "The pH increment of the sweep is empty."},
        {"Sweep - increment", "6", "Yes", 1, false, {}, ""}, // one problem needs no step
        {"Sweep - no increment", "", "Yes", 3, false, {"", "4", "x", "5"}, "The pH value of problem 2 of the sweep holds"},
        {"Sweep - no increment", "", "Yes", 2, false, {"", "4", "5", ""}, ""}, // beyond the count: not run
        {"Sweep - no increment", "", "Yes", 3, false, {"", "4"}, "The pH value of problem 2 of the sweep is empty."}};
    // clang-format on
    for (const auto& c : cases) {
        auto st = freshState();
        st->Sweepmode = c.mode;
        st->main.txtpH = c.txtpH;
        st->PhFixed = c.phFixed;
        st->Multino = c.problems;
        if (c.step) st->pHincr = 0.5;
        st->SweeppH = c.values;
        const std::string said = sweepgen::runRefusal(*st);
        EXPECT_TRUE(said.rfind(c.refusal, 0) == 0 && said.empty() == c.refusal.empty())
            << c.mode << ": " << said;
    }
}

using SweepGenerator = ProblemTest;
TEST_F(SweepGenerator, ARefusedValueShowsItsPageAndCancelGoesBackToRest) {
    sweepgen::load(*st);
    sweepgen::chkpHClick(*st);
    sweepgen::setSweepno(*st, "15"); // separate values: a page of ten, then five
    sweepgen::cmdSepar(*st);
    sweepgen::cmdNext10(*st);
    sweepgen::setSweepval(*st, 5, "8");
    EXPECT_EQ(std::tuple(st->sweep.Pagestart, st->SweeppH[15]), std::tuple(10, "8"));
    EXPECT_EQ(sweepgen::cmdSave(*st)->message,
              "The pH value of problem 1 is empty. Type the pH of that problem, for example 6.5.");
    EXPECT_EQ(st->sweep.Pagestart, 0);
    st->main.lblNoprob = "3"; // as if a later problem of a list were shown
    sweepgen::cmdCancel(*st);
    EXPECT_EQ(std::tuple(st->Sweepmode, st->Multicap, st->SweeppH[15], st->main.lblNoprob),
              std::tuple("No", "0", "", "1"));
}
