// The batch runner over the example problem files.
#include "cli/batch.h"
#include "cli/export.h"
#include "files/fields.h"
#include "support/testutil.h"
#include "support/xlsxread.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace kelva::test {
namespace {

using cli::BatchOptions;
using cli::runBatch;

std::string slurp(const std::string& path) {
    auto s = readWholeFile(path);
    return s ? *s : std::string();
}

BatchOptions example(const std::string& name, const TempDir& dir) {
    BatchOptions o;
    o.problems = sourcePath("data/examples/" + name + ".DAT");
    o.out = dir.file(name + ".OUT");
    o.quiet = true;
    return o;
}

// An "Only multi" list of n problems that differ in pH and copper, for the parallel runs.
std::string multiList(int n) {
    std::string all;
    for (int k = 1; k <= n; ++k) {
        all += "\"Problem no.\"," + std::to_string(k) + "\r\n\"Soil\",\"\"\r\n\"Multi / Sweep\",\"Only multi\"," +
               std::to_string(n) + "\r\n";
        if (k == 1) all += "\"Selected sweep results:\",1,\"pH\"\r\n";
        all += "\"Database\",\"" + sourcePath("data/default.DBS") +
               "\"\r\n\"Array size\",500\r\n\"Precision%\",.01\r\n\"TempK\",298.16\r\n\"CSOLID\",50\r\n"
               "\"THA TFA\",.2,.1\r\n\"TCLAY\",2\r\n\"FAAQ\",999\r\n\"Gamma value\",1\r\n\"pH fixed\",\"Yes\"\r\n"
               "\"Equilibrium pH\"," +
               std::to_string(4 + k % 5) + "\r\n\"pCO2\",999\r\n\"No. mast sp.\",4\r\n\"Ca\",\"6\",.001\r\n"
               "\"Cl\",\"52\",.002\r\n\"Cu\",\"12\"," +
               std::to_string(k) + "E-06\r\n\"Al\",\"5\",1E-05\r\n\"END\"\r\n";
    }
    return all;
}

// The result files of the examples, byte for byte: every digit of every result is pinned, so a
// change of the summation order, a contracted multiply-add or a different formatting shows here.
TEST(Batch, ExamplesMatchTheirGoldenResultFilesByteForByte) {
    TempDir dir;
    // At pH 7.2 the sweep's clay layer ends at a negative ratio, which is no balance.
    const std::pair<const char*, int> examples[] = {
        {"water", cli::kExitOk}, {"soil", cli::kExitOk}, {"sweep", cli::kExitIterLimit}, {"multi", cli::kExitOk}};
    for (const auto& [name, status] : examples) {
        for (int jobs : {1, 2}) {
            BatchOptions o = example(name, dir);
            o.jobs = jobs;
            std::ostringstream err;
            ASSERT_EQ(runBatch(o, err), status) << name << ": " << err.str();
            const std::string golden = slurp(sourcePath(std::string("data/examples/golden/") + name + ".OUT"));
            ASSERT_FALSE(golden.empty()) << name;
            EXPECT_TRUE(slurp(o.out) == golden) << name << " with " << jobs << " jobs no longer gives its golden results";
        }
        // and the result windows read every block back to its end
        const auto blocks = cli::readAllBlocks(slurp(dir.file(std::string(name) + ".OUT")), name);
        ASSERT_FALSE(blocks.empty()) << name;
        EXPECT_EQ(static_cast<int>(blocks.size()), blocks.front().nprob) << name;
        for (const auto& b : blocks) EXPECT_TRUE(b.complete) << name << " block " << b.probno << ": " << b.error;
    }
}

TEST(Batch, ParallelRunGivesTheSameResultFile) {
    TempDir dir;
    ASSERT_TRUE([&] {
        std::string e;
        return writeFileAtomic(dir.file("list.DAT"), multiList(7), e);
    }());
    BatchOptions o;
    o.problems = dir.file("list.DAT");
    o.quiet = true;
    o.out = dir.file("one.OUT");
    std::ostringstream err;
    ASSERT_EQ(runBatch(o, err), cli::kExitOk) << err.str();
    o.quiet = false;
    for (int jobs : {2, 3}) {
        o.jobs = jobs;
        o.out = dir.file("many.OUT");
        std::ostringstream said;
        ASSERT_EQ(runBatch(o, said), cli::kExitOk) << said.str();
        EXPECT_NE(said.str().find("on " + std::to_string(jobs) + " threads"), std::string::npos) << said.str();
        EXPECT_TRUE(slurp(dir.file("one.OUT")) == slurp(dir.file("many.OUT"))) << jobs << " jobs";
    }
    EXPECT_EQ(cli::readAllBlocks(slurp(dir.file("one.OUT")), "one").size(), 7u);
}

TEST(Batch, IterationLimitGivesItsOwnStatusAndSaysWhatFailed) {
    TempDir dir;
    BatchOptions o = example("soil", dir);
    o.maxIter = 20;
    std::ostringstream err;
    EXPECT_EQ(runBatch(o, err), cli::kExitIterLimit);
    EXPECT_NE(err.str().find("Problem 1 stopped at the iteration limit (20 iterations)"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("off by"), std::string::npos) << err.str();
    EXPECT_NE(slurp(o.out).find("ERROR - Exceedance of no. of iterations"), std::string::npos);
}

// 1 mM NaCl with calculated pH: unbuffered, so the default solver creeps and stops at the limit.
std::string unbufferedSalt() {
    return "\"Problem no.\",1\r\n\"Water\",\"\"\r\n\"Multi / Sweep\",\"No\",\r\n\"Database\",\"" +
           sourcePath("data/default.DBS") +
           "\"\r\n\"Array size\",500\r\n\"Precision%\",.01\r\n\"TempK\",298.16\r\n\"CSOLID\",0\r\n"
           "\"THA TFA\",0,0\r\n\"TCLAY\",0\r\n\"FAAQ\",999\r\n\"Gamma value\",1\r\n\"pH fixed\",\"No\"\r\n"
           "\"Equilibrium pH\",7\r\n\"pCO2\",999\r\n\"No. mast sp.\",2\r\n\"Na\",\"2\",.001\r\n"
           "\"Cl\",\"52\",.001\r\n\"END\"\r\n";
}

TEST(Batch, NewtonSolverWhereTheDefaultOneStopsAtTheLimit) {
    TempDir dir;
    std::string e;
    ASSERT_TRUE(writeFileAtomic(dir.file("salt.DAT"), unbufferedSalt(), e));
    BatchOptions o;
    o.problems = dir.file("salt.DAT");
    o.out = dir.file("salt.OUT");
    o.quiet = true;
    std::ostringstream err;
    EXPECT_EQ(runBatch(o, err), cli::kExitIterLimit);
    EXPECT_NE(err.str().find("converge with the Newton solver"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("--solver newton"), std::string::npos) << err.str();

    o.solver = "newton";
    std::ostringstream quiet;
    ASSERT_EQ(runBatch(o, quiet), cli::kExitOk) << quiet.str();
    EXPECT_EQ(quiet.str().find("Newton solver"), std::string::npos);
    const auto blocks = cli::readAllBlocks(slurp(o.out), "salt");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_NEAR(blocks[0].pH, 7.00, 0.01);

    o.solver = "secant";
    EXPECT_EQ(runBatch(o, err), cli::kExitBadInput);
}

TEST(Batch, EveryExampleRunsWithTheNewtonSolver) {
    TempDir dir;
    for (const char* name : {"water", "soil", "sweep", "multi"}) {
        BatchOptions o = example(name, dir);
        o.solver = "newton";
        std::ostringstream err;
        EXPECT_EQ(runBatch(o, err), cli::kExitOk) << name << ": " << err.str();
    }
}

TEST(Batch, BadInputIsRefusedWithAClearMessage) {
    TempDir dir;
    std::ostringstream err;
    BatchOptions o = example("soil", dir);
    o.problems = dir.file("missing.DAT");
    EXPECT_EQ(runBatch(o, err), cli::kExitBadInput);
    EXPECT_NE(err.str().find("cannot read the problem file"), std::string::npos);

    o = example("soil", dir);
    o.db = dir.file("nothing.DBS");
    err.str("");
    EXPECT_EQ(runBatch(o, err), cli::kExitBadInput);
    EXPECT_NE(err.str().find("cannot load the database"), std::string::npos) << err.str();

    o = example("soil", dir);
    o.mode = "swamp";
    EXPECT_EQ(runBatch(o, err), cli::kExitBadInput);

    // A list cut short in problem 3: every worker of a parallel run meets the unreadable record.
    std::string e;
    ASSERT_TRUE(writeFileAtomic(dir.file("cut.DAT"), multiList(3).substr(0, 900), e));
    for (int jobs : {1, 2}) {
        o = example("soil", dir);
        o.problems = dir.file("cut.DAT");
        o.jobs = jobs;
        err.str("");
        EXPECT_EQ(runBatch(o, err), cli::kExitBadInput);
        EXPECT_NE(err.str().find("Problem 3 could not be read"), std::string::npos) << jobs << " jobs: " << err.str();
        EXPECT_NE(err.str().find("problems 1 to 2 are in"), std::string::npos) << err.str();
    }
}

TEST(Batch, WaterModeOverrideAndTables) {
    TempDir dir;
    BatchOptions o = example("multi", dir);
    o.mode = "water";
    o.csv = dir.file("r.csv");
    o.json = dir.file("r.json");
    o.xlsx = dir.file("r.xlsx");
    std::ostringstream err;
    ASSERT_EQ(runBatch(o, err), cli::kExitOk) << err.str();
    const auto sheets = testxlsx::readXlsx(o.xlsx);
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[1].rows, 1); // no Kd values in water mode: the captions only
    EXPECT_EQ(sheets[1].at(0, 2)->text, "Total aqueous concentration");
    EXPECT_NE(slurp(o.out).find("\"Program mode \",\"Water\""), std::string::npos);
    EXPECT_EQ(slurp(o.out).find("\"Aqconc\""), std::string::npos);

    const std::string csv = slurp(o.csv);
    EXPECT_EQ(csv.rfind("problem,mode,pH,converged,section,number,name,", 0), 0u);
    EXPECT_NE(csv.find("\r\n3,Water,7,true,component,12,Cu,"), std::string::npos);

    const auto j = nlohmann::json::parse(slurp(o.json));
    ASSERT_EQ(j["problems"].size(), 3u);
    EXPECT_EQ(j["problems"][1]["pH"], 6.0);
    EXPECT_EQ(j["problems"][2]["mode"], "Water");
    bool haveCu = false;
    for (const auto& c : j["problems"][0]["components"])
        if (c["name"] == "Cu") {
            haveCu = true;
            double sum = 0;
            for (const auto& [k, v] : c["fraction"].items()) sum += v.get<double>();
            EXPECT_NEAR(sum, 1.0, 1e-5);
            EXPECT_FALSE(c.contains("kd_l_kg")); // no Kd in water mode
        }
    EXPECT_TRUE(haveCu);
}

// The workbook's numbers against the result file: every species concentration and Kd value of
// every problem, as numbers in the windows' forms; the sweep table of the three problems.
TEST(Batch, WorkbookHoldsEveryProblemsTablesAsNumbers) {
    TempDir dir;
    BatchOptions o = example("multi", dir);
    o.xlsx = dir.file("multi.xlsx");
    std::ostringstream err;
    ASSERT_EQ(runBatch(o, err), cli::kExitOk) << err.str();
    const auto sheets = testxlsx::readXlsx(o.xlsx);
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[0].name, "Species");
    EXPECT_EQ(sheets[1].name, "Totals");
    EXPECT_EQ(sheets[2].name, "Sweep");
    const auto blocks = cli::readAllBlocks(slurp(o.out), "multi.OUT");
    ASSERT_EQ(blocks.size(), 3u);

    // (problem, name) -> row of a sheet whose column 0 is the problem and column 1 the name.
    auto rowOf = [](const testxlsx::Sheet& s, int k, const std::string& name) {
        for (int r = 1; r < s.rows; ++r)
            if (s.at(r, 0)->number == k && s.at(r, 1)->text == name) return r;
        return -1;
    };
    std::size_t speciesRows = 0, totalsRows = 0;
    for (const auto& b : blocks) {
        speciesRows += b.species.size();
        totalsRows += b.totals.size();
        for (const auto& sp : b.species) {
            const int r = rowOf(sheets[0], b.probno, sp.name);
            ASSERT_GT(r, 0) << sp.name;
            const auto* conc = sheets[0].at(r, 2);
            EXPECT_EQ(conc->type, 'n');
            EXPECT_EQ(conc->format, "0.0000E+00");
            EXPECT_NEAR(conc->number, sp.conc, 1e-4 * sp.conc) << sp.name;
        }
        for (const auto& t : b.totals) {
            const int r = rowOf(sheets[1], b.probno, t.name);
            ASSERT_GT(r, 0) << t.name;
            EXPECT_NEAR(sheets[1].at(r, 3)->number, t.kd, 0.005) << t.name;
            EXPECT_EQ(sheets[1].at(r, 3)->format, "0.00");
        }
    }
    EXPECT_EQ(static_cast<std::size_t>(sheets[0].rows), speciesRows + 1);
    EXPECT_EQ(static_cast<std::size_t>(sheets[1].rows), totalsRows + 1);
    EXPECT_EQ(sheets[2].rows, 5); // two caption rows, three problems
    EXPECT_EQ(sheets[2].at(4, 0)->text, " 3");

    o.xlsx = dir.file("no-such-folder/multi.xlsx");
    err.str("");
    EXPECT_EQ(runBatch(o, err), cli::kExitBadInput);
    EXPECT_NE(err.str().find("No such file or directory"), std::string::npos) << err.str();
}

} // namespace
} // namespace kelva::test

namespace kelva::test {
namespace {

TEST(Batch, ProgressLineOnATerminalOnly) {
    TempDir dir;
    BatchOptions o = example("multi", dir);
    o.quiet = false;
    o.progress = true; // what the runner sets when standard error is a terminal
    std::ostringstream shown;
    ASSERT_EQ(runBatch(o, shown), cli::kExitOk);
    EXPECT_NE(shown.str().find("Problem 2 of 3"), std::string::npos);
    EXPECT_NE(shown.str().find("Solved 3 problems; results in"), std::string::npos);

    o.progress = false;
    std::ostringstream piped;
    ASSERT_EQ(runBatch(o, piped), cli::kExitOk);
    EXPECT_EQ(piped.str().find("Problem 2 of 3"), std::string::npos);
}

} // namespace
} // namespace kelva::test
