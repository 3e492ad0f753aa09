// Problem lists: saving a list with the shown problem in its place, opening each kind of
// list file, and stepping through the scratch list.
#include "files/numtext.h"
#include "files/problemfile.h"
#include "run/problemfixture.h"

#include <gtest/gtest.h>

using namespace kelva;
using namespace kelva::test;

namespace {

struct Record {
    double pH = 0;
    double multino = 0;
    int rows = 0;
};

// Every record of a list file.
std::vector<Record> records(const std::string& path) {
    std::vector<Record> out;
    auto st = freshState();
    FieldReader in(readText(path), path);
    while (!in.atEnd()) {
        if (!Fileopener(*st, in)) {
            ADD_FAILURE() << in.error()->describe();
            break;
        }
        out.push_back({st->pH, st->Multino.v, st->Nmast});
    }
    return out;
}

std::vector<double> phs(const std::string& path) {
    std::vector<double> v;
    for (const auto& r : records(path)) v.push_back(r.pH);
    return v;
}

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The scratch list of an "Only multi" run with one problem per pH.
void writeList(ProgramState& st, const std::vector<std::string>& pHs) {
    st.Sweepmode = "Only multi";
    st.Multino = static_cast<double>(pHs.size());
    FieldWriter out;
    for (std::size_t k = 0; k < pHs.size(); ++k) {
        st.Probno = static_cast<i16>(k + 1);
        st.main.txtpH = pHs[k];
        Filesaver(st, out);
    }
    writeText((std::filesystem::path(st.Directory) / kScratchList).string(), out.str());
    st.Nprob = static_cast<i16>(pHs.size());
    st.Nsweep = st.Nprob;
}

} // namespace

TEST(Multisave, ReplacesTheShownProblemInPlace) {
    TempDir dir;
    auto st = problemState(dir);
    writeList(*st, {"6", "7", "8"});
    st->Probno = 2;
    st->main.txtpH = "7.7";
    st->Savefile = "list.DAT";
    std::string err;
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(phs(dir.file("temp01.dat")), (std::vector<double>{6, 7.7, 8}));
    EXPECT_EQ(readText(dir.file("list.DAT")), readText(dir.file("temp01.dat")));
    for (const auto& r : records(dir.file("list.DAT"))) {
        EXPECT_EQ(r.multino, 3);
        EXPECT_EQ(r.rows, 2);
    }
    EXPECT_EQ(count(readText(dir.file("list.DAT")), "Selected sweep results:"), 1);
}

TEST(Multisave, FirstAndLastProblemsOfAList) {
    TempDir dir;
    auto st = problemState(dir);
    st->Savefile = "list.DAT";
    std::string err;
    writeList(*st, {"6", "7", "8"});
    st->Probno = 3;
    st->main.txtpH = "8.8";
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(phs(dir.file("list.DAT")), (std::vector<double>{6, 7, 8.8}));

    st->Probno = 1;
    st->main.txtpH = "6.6";
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(phs(dir.file("list.DAT")), (std::vector<double>{6.6, 7, 8.8}));
    EXPECT_EQ(count(readText(dir.file("list.DAT")), "Selected sweep results:"), 1);
}

TEST(Multisave, AListShorterThanPlannedStatesItsLength) {
    TempDir dir;
    auto st = problemState(dir);
    writeList(*st, {"6", "7"});
    st->Multino = 5;
    st->Nsweep = 5;
    st->Probno = 2;
    st->Savefile = "list.DAT";
    std::string err;
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(st->Multino.v, 2);
    EXPECT_EQ(st->Nsweep, 2);
    for (const auto& r : records(dir.file("list.DAT"))) EXPECT_EQ(r.multino, 2);
}

TEST(Multisave, SingleProblemAndPhSweep) {
    TempDir dir;
    auto st = problemState(dir);
    st->Sweepmode = "Only multi";
    st->Savefile = dir.file("one.DAT");
    std::string err;
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(st->Multino.v, 1);
    EXPECT_EQ(readText(dir.file("one.DAT")), readText(dir.file("temp01.dat")));
    EXPECT_EQ(phs(dir.file("one.DAT")), (std::vector<double>{6.5}));

    st->Sweepmode = "Sweep - no increment";
    st->Nsweep = 3;
    st->SweeppH = {"", "5", " 6", "7.5"};
    st->Savefile = "sweep.DAT";
    ASSERT_TRUE(Multisave(*st, err)) << err;
    EXPECT_EQ(st->Nprob, 3);
    EXPECT_EQ(phs(dir.file("sweep.DAT")), (std::vector<double>{5, 6, 7.5}));
    EXPECT_EQ(count(readText(dir.file("sweep.DAT")), "\"Problem no.\",3"), 1);
}

TEST(Multisave, NeverReplacesAFileWithACutList) {
    TempDir dir;
    auto st = problemState(dir);
    st->Sweepmode = "Only multi";
    st->Multino = 3;
    st->Nprob = 3;
    st->Nsweep = 3;
    st->Probno = 2;
    st->Savefile = "list.DAT";
    writeText(dir.file("list.DAT"), "precious");
    std::string junk;
    for (int i = 0; i < 6000; ++i) junk += "1\r\n";
    writeText(dir.file("temp01.dat"), junk);
    std::string err;
    EXPECT_FALSE(Multisave(*st, err));
    EXPECT_NE(err.find("5000"), std::string::npos) << err;
    EXPECT_EQ(readText(dir.file("list.DAT")), "precious");

    // A record that never ends cannot be skipped either.
    writeList(*st, {"6", "7", "8"});
    std::string list = readText(dir.file("temp01.dat"));
    const auto second = list.find("\"Problem no.\",2");
    list = list.substr(0, second) + std::string(400, ',') + list.substr(second);
    list.erase(list.find("\"END\"", second + 400), 5);
    writeText(dir.file("temp01.dat"), list);
    st->Probno = 2;
    EXPECT_FALSE(Multisave(*st, err));
    EXPECT_NE(err.find("more than 300"), std::string::npos) << err;
    EXPECT_EQ(readText(dir.file("list.DAT")), "precious");

    // Record 2 cannot be put in place when the list holds none before it.
    std::filesystem::remove(dir.file("temp01.dat"));
    st->Probno = 3;
    EXPECT_FALSE(Multisave(*st, err));
    EXPECT_NE(err.find("holds 0 problems"), std::string::npos) << err;

    st->Savefile.clear();
    EXPECT_FALSE(Multisave(*st, err));
}

TEST(Fileopena, OnlyMultiListPreparesTheNavigation) {
    TempDir dir;
    auto src = problemState(dir);
    writeList(*src, {"6", "7", "8"});
    std::filesystem::copy_file(dir.file("temp01.dat"), dir.file("multi.DAT"));
    std::filesystem::remove(dir.file("temp01.dat"));

    auto st = freshState();
    st->Directory = dir.path().string();
    st->Inputfile = "multi.DAT";
    std::string err;
    ASSERT_TRUE(Fileopena(*st, err)) << err;
    EXPECT_EQ(st->Nsweep, 3);
    EXPECT_EQ(st->Nprob, 3);
    EXPECT_EQ(st->Probno, 1);
    EXPECT_TRUE(st->main.navVisible);
    EXPECT_TRUE(st->sweep.chkMulti);
    EXPECT_EQ(st->sweep.txtSweepno, "3");
    EXPECT_EQ(st->main.txtpH, " 6");
    EXPECT_EQ(readText(dir.file("temp01.dat")), readText(dir.file("multi.DAT")));
}

TEST(Fileopena, SweepWithSeparateValuesFillsTheGenerator) {
    TempDir dir;
    auto src = problemState(dir);
    src->Sweepmode = "Sweep - no increment";
    src->Nsweep = 12;
    src->Multino = 12;
    src->SweeppH = {""};
    for (int k = 1; k <= 12; ++k) src->SweeppH.push_back(text::bare(4.0 + 0.5 * k));
    src->Savefile = "sweep.DAT";
    std::string err;
    ASSERT_TRUE(Multisave(*src, err)) << err;

    auto st = freshState();
    st->Directory = dir.path().string();
    st->Inputfile = dir.file("sweep.DAT");
    ASSERT_TRUE(Fileopena(*st, err)) << err;
    EXPECT_EQ(st->Nsweep, 12);
    EXPECT_TRUE(st->sweep.chkpH);
    EXPECT_FALSE(st->sweep.chkMulti);
    EXPECT_EQ(st->sweep.txtSweepno, "12");
    EXPECT_EQ(st->SweeppH[1], " 4.5");
    EXPECT_EQ(st->SweeppH[12], " 10");
    EXPECT_EQ(st->sweep.txtSweepval[10], " 9");
    EXPECT_TRUE(st->sweep.cmdNext10Visible);
    EXPECT_EQ(st->main.txtpH, " 4.5");

    // A file that states more problems than it holds keeps those it holds.
    std::string text = readText(dir.file("sweep.DAT"));
    text = text.substr(0, text.find("\"Problem no.\",3"));
    writeText(dir.file("short.DAT"), text);
    st->Inputfile = "short.DAT";
    EXPECT_FALSE(Fileopena(*st, err));
    EXPECT_EQ(st->Nsweep, 2);
    EXPECT_EQ(st->sweep.txtSweepno, "2");
    EXPECT_FALSE(st->sweep.cmdNext10Visible);
}

TEST(Fileopena, SweepWithIncrementAndCorrectedCounts) {
    TempDir dir;
    auto src = problemState(dir);
    src->Sweepmode = "Sweep - increment";
    src->Multino = 5;
    src->pHincr = 0.5;
    src->main.txtpH = "6.0";
    FieldWriter out;
    Filesaver(*src, out);
    writeText(dir.file("Temp.dat"), out.str());

    auto st = freshState();
    st->Directory = dir.path().string();
    st->Inputfile = "temp.dat"; // the same file as "Temp.dat"
    std::string err;
    ASSERT_TRUE(Fileopena(*st, err)) << err;
    EXPECT_EQ(st->Nsweep, 5);
    EXPECT_EQ(st->pHincr.v, 0.5);
    EXPECT_TRUE(st->sweep.chkpH);
    EXPECT_EQ(st->sweep.txtStartpH, " 6");
    EXPECT_EQ(st->sweep.txtIncpH, "0.20");

    // a file made for the batch runner may state more problems than the generator makes
    writeText(dir.file("many.DAT"), std::string(out.str()).replace(out.str().find(",5\r\n"), 4, ",25\r\n"));
    st->Inputfile = "many.DAT";
    EXPECT_TRUE(Fileopena(*st, err)) << err;
    EXPECT_EQ(st->Nsweep, 25);

    writeText(dir.file("none.DAT"), std::string(out.str()).replace(out.str().find(",5\r\n"), 4, ",0\r\n"));
    st->Inputfile = "none.DAT";
    EXPECT_FALSE(Fileopena(*st, err));
    EXPECT_EQ(st->Nsweep, 1);
    EXPECT_NE(err.find("at least 1"), std::string::npos) << err;
}

TEST(Fileopena, NothingOrAMissingFile) {
    TempDir dir;
    auto st = freshState();
    st->Directory = dir.path().string();
    std::string err;
    EXPECT_TRUE(Fileopena(*st, err));
    EXPECT_EQ(st->main.txtTemp, "25.0");
    st->Inputfile = "missing.DAT";
    EXPECT_FALSE(Fileopena(*st, err));
    EXPECT_NE(err.find("missing.DAT"), std::string::npos);
}

TEST(Navigation, StepsThroughAGrowingList) {
    TempDir dir;
    auto st = problemState(dir);
    st->Sweepmode = "Only multi";
    st->Nsweep = 3;
    st->Multino = 3; // stepping through never shortens the planned list
    std::string err;

    ASSERT_TRUE(cmdPrevprob(*st, err)) << err; // nothing before problem 1
    EXPECT_EQ(st->Probno, 1);

    ASSERT_TRUE(cmdNextprob(*st, err)) << err; // problem 2 starts as a copy of problem 1
    EXPECT_EQ(st->Probno, 2);
    EXPECT_EQ(st->Nprob, 2);
    EXPECT_EQ(st->main.lblNoprob, "2");
    EXPECT_EQ(st->main.txtpH, "6.5");
    EXPECT_EQ(phs(dir.file("temp01.dat")), (std::vector<double>{6.5}));

    st->main.txtpH = "7";
    ASSERT_TRUE(cmdNextprob(*st, err)) << err;
    EXPECT_EQ(st->Nprob, 3);
    st->main.txtpH = "8";
    st->rows[1].txtConc = "0.002";
    ASSERT_TRUE(cmdNextprob(*st, err)) << err; // the last problem: nothing happens
    EXPECT_EQ(st->Probno, 3);

    ASSERT_TRUE(cmdPrevprob(*st, err)) << err;
    EXPECT_EQ(st->Probno, 2);
    EXPECT_EQ(st->main.txtpH, " 7");
    EXPECT_EQ(phs(dir.file("temp01.dat")), (std::vector<double>{6.5, 7, 8}));
    ASSERT_TRUE(cmdPrevprob(*st, err)) << err;
    EXPECT_EQ(st->main.txtpH, " 6.5");
    EXPECT_EQ(st->rows[1].txtConc, " .001");

    // Forward again to the end of the list.
    ASSERT_TRUE(cmdNextprob(*st, err)) << err;
    ASSERT_TRUE(cmdNextprob(*st, err)) << err;
    EXPECT_EQ(st->Probno, 3);
    EXPECT_EQ(st->main.txtpH, " 8");
    EXPECT_EQ(st->rows[1].txtConc, " .002");
    EXPECT_EQ(st->Nsweep, 3);
}

TEST(InputFiles, SaveAndOpenAProblem) {
    TempDir dir;
    auto st = problemState(dir);
    st->Sweepmode = "No";
    std::string err;
    ASSERT_TRUE(saveInputFile(*st, dir.file("one.DAT"), err)) << err;
    EXPECT_EQ(st->main.lblFilename, dir.file("one.DAT"));

    auto other = freshState();
    other->Directory = dir.path().string();
    other->main.txtDbVisible = true;
    ASSERT_TRUE(openInputFile(*other, dir.file("one.DAT"), err)) << err;
    EXPECT_EQ(other->Directory, dir.path().string());
    EXPECT_EQ(other->main.lblFilename, dir.file("one.DAT"));
    EXPECT_FALSE(other->main.txtDbVisible); // the caller loads the database named in Dbfile
    EXPECT_EQ(other->Dbfile, st->main.txtDb);
    EXPECT_EQ(other->main.txtpH, " 6.5");
    EXPECT_EQ(other->Nmast, 2);
    EXPECT_EQ(other->Sweepmode, "No");
    EXPECT_FALSE(other->main.navVisible); // a single problem has no list to step through
    EXPECT_EQ(other->Nsweep, 0);
}
