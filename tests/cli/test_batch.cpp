// The batch runner: golden results, parallel runs, the Newton solver, refusals, summaries, tables.
#include "cli/batch.h"
#include "cli/export.h"
#include "support/testutil.h"
#include "support/xlsxread.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace kelva::test {
namespace {

using cli::BatchOptions;
using cli::runBatch;

// One problem record, by default 1 mM NaCl in water at pH 7; `list` follows "Multi / Sweep".
// clang-format off
struct Record {
    int k = 1;
    std::string list = "\"No\",", mode = "Water", solids = "0", humics = "0,0", clay = "0", fixed = "Yes", pH = "7";
    std::string components = "\"No. mast sp.\",2\r\n\"Na\",\"2\",.001\r\n\"Cl\",\"52\",.001";
    std::string text() const {
        const bool selection = k == 1 && list.find("Only multi") != std::string::npos;
        return "\"Problem no.\"," + std::to_string(k) + "\r\n\"" + mode + "\",\"\"\r\n\"Multi / Sweep\"," + list + "\r\n" +
               (selection ? "\"Selected sweep results:\",1,\"pH\"\r\n" : "") + "\"Database\",\"" + sourcePath("data/default.DBS") +
               "\"\r\n\"Array size\",500\r\n\"Precision%\",.01\r\n\"TempK\",298.16\r\n\"CSOLID\"," + solids +
               "\r\n\"THA TFA\"," + humics + "\r\n\"TCLAY\"," + clay + "\r\n\"FAAQ\",999\r\n\"Gamma value\",1\r\n\"pH fixed\",\"" +
               fixed + "\"\r\n\"Equilibrium pH\"," + pH + "\r\n\"pCO2\",999\r\n" + components + "\r\n\"END\"\r\n";
    }
};

// An "Only multi" list of n soil problems that differ in pH and copper, for the parallel runs.
std::string multiList(int n) {
    std::string all;
    for (int k = 1; k <= n; ++k)
        all += Record{.k = k, .list = "\"Only multi\"," + std::to_string(n), .mode = "Soil", .solids = "50", .humics = ".2,.1",
                      .clay = "2", .pH = std::to_string(4 + k % 5),
                      .components = "\"No. mast sp.\",4\r\n\"Ca\",\"6\",.001\r\n\"Cl\",\"52\",.002\r\n\"Cu\",\"12\"," +
                                    std::to_string(k) + "E-06\r\n\"Al\",\"5\",1E-05"}.text();
    return all;
}
// clang-format on

class Batch : public ::testing::Test {
  protected:
    static BatchOptions at(const std::string& problems, const std::string& out) {
        BatchOptions o;
        o.problems = problems;
        o.out = out;
        o.quiet = true;
        return o;
    }
    BatchOptions example(const std::string& name) {
        return at(sourcePath("data/examples/" + name + ".DAT"), dir.file(name + ".OUT"));
    }
    BatchOptions options(const std::string& problems) {
        spit(dir.file("list.DAT"), problems);
        return at(dir.file("list.DAT"), dir.file("list.OUT"));
    }
    bool says(const std::string& words) const { return err.str().find(words) != std::string::npos; }
    int run(const BatchOptions& o) {
        err.str("");
        return runBatch(o, err);
    }
    TempDir dir;
    std::ostringstream err;
};

// Every digit of every result is pinned, so a change of summation order, a contracted multiply-add
// or of formatting shows here. (The sweep's clay layer at pH 7.2 balances only at a negative ratio.)
TEST_F(Batch, ExamplesMatchTheirGoldenResultFilesByteForByteAlsoInParallel) {
    const std::pair<const char*, int> examples[] = {{"water", cli::kExitOk},
                                                    {"soil", cli::kExitOk},
                                                    {"sweep", cli::kExitIterLimit},
                                                    {"multi", cli::kExitOk}};
    for (const auto& [name, status] : examples) {
        const std::string golden = slurp(sourcePath(std::string("data/examples/golden/") + name + ".OUT"));
        ASSERT_FALSE(golden.empty()) << name;
        for (int jobs : {1, 2}) {
            BatchOptions o = example(name);
            o.jobs = jobs;
            o.quiet = false;
            o.progress = jobs == 1;
            ASSERT_EQ(run(o), status) << name << ": " << err.str();
            EXPECT_TRUE(slurp(o.out) == golden)
                << name << " with " << jobs << " jobs no longer gives its golden results";
            if (std::string(name) != "multi") continue;
            EXPECT_EQ(says("on 2 threads"), jobs == 2) << err.str();
            EXPECT_EQ(says("Problem 2 of 3"), jobs == 1) << err.str();
            EXPECT_TRUE(says("Solved 3 problems")) << err.str();
        }
        // Every example converges with the Newton solver too, to its own golden results (its
        // iteration counts included, so a change of the method's path shows here).
        BatchOptions o = example(name);
        o.solver = "newton";
        EXPECT_EQ(run(o), cli::kExitOk) << name << ": " << err.str();
        EXPECT_TRUE(slurp(o.out) ==
                    slurp(sourcePath(std::string("data/examples/golden/") + name + ".newton.OUT")))
            << name << " no longer gives its golden results with the Newton solver";
    }
}

// 1 mM NaCl with calculated pH: unbuffered, so the default solver creeps and stops at the limit.
TEST_F(Batch, IterationLimitGivesItsOwnStatusSaysWhatFailedAndAdvisesNewton) {
    BatchOptions o =
        options(Record{.list = "\"No\",3", .fixed = "No"}.text()); // a count left from a list: one problem
    o.maxIter = 20;
    EXPECT_EQ(run(o), cli::kExitIterLimit);
    EXPECT_TRUE(says("Problem 1 stopped at the iteration limit (20 iterations); still failing: "))
        << err.str();
    EXPECT_TRUE(says(
        "converge with the Newton solver: choose it as the solver and run them again. (--solver newton)"))
        << err.str();
    o.solver = "newton";
    o.maxIter = 10000;
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
    EXPECT_FALSE(says("Newton solver"));
    const auto blocks = cli::readAllBlocks(slurp(o.out), "salt");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_NEAR(blocks[0].pH, 7.00, 0.01);
    o.solver = "secant";
    EXPECT_EQ(run(o), cli::kExitBadInput);
    // The sweep cut at its problem 17, whose clay layer balances only at a negative ratio: the
    // last problem is marked before the limit.
    o = options(replaced(slurp(sourcePath("data/examples/sweep.DAT")), "increment\",20", "increment\",17"));
    o.db = sourcePath("data/default.DBS");
    EXPECT_EQ(run(o), cli::kExitIterLimit);
    EXPECT_TRUE(says("Problem 17 has no sound result (")) << err.str();
}

TEST_F(Batch, ParallelRunsGiveTheSameFileAndBadInputIsRefusedWithAClearMessage) {
    BatchOptions o = options(multiList(7));
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
    const std::string one = slurp(o.out);
    EXPECT_EQ(cli::readAllBlocks(one, "one").size(), 7u);
    o.jobs = 3;
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
    EXPECT_TRUE(slurp(o.out) == one);

    // Refused before anything is solved, a value outside its range in one line (the range checks
    // themselves are the run's).
    BatchOptions missing = example("soil"), noDatabase = example("soil"), swamp = example("soil"),
                 loose = example("soil");
    missing.problems = dir.file("missing.DAT");
    noDatabase.db = dir.file("nothing.DBS");
    swamp.mode = "swamp";
    loose.precision = 50.0;
    const std::pair<BatchOptions, const char*> refused[] = {
        {missing, "cannot read the problem file"},
        {noDatabase, "cannot load the database"},
        {swamp, ""},
        {loose, "kelvaspec-run: Problem 1: the required precision 50 % lies outside the range above 0 up to "
                "10 %\n"}};
    for (const auto& [opt, words] : refused) {
        EXPECT_EQ(run(opt), cli::kExitBadInput) << words;
        EXPECT_TRUE(says(words) && !std::filesystem::exists(opt.out)) << err.str();
    }
    // A list cut short in problem 3: every worker of a parallel run meets the unreadable record.
    for (int jobs : {1, 2}) {
        o = options(multiList(3).substr(0, 900));
        o.jobs = jobs;
        EXPECT_EQ(run(o), cli::kExitBadInput);
        EXPECT_TRUE(says("Problem 3 could not be read")) << jobs << " jobs: " << err.str();
        EXPECT_TRUE(says("problems 1 to 2 are in")) << err.str();
    }
}

TEST_F(Batch, ManyProblemsAtTheIterationLimitReadAsASummary) {
    BatchOptions o =
        options(Record{.list = "\"Sweep - increment\",999\r\n\"pH increment\",.01", .pH = "2"}.text());
    o.maxIter = 1;
    o.json = dir.file("list.json");
    ASSERT_EQ(run(o), cli::kExitIterLimit) << err.str();
    // The summary (its lines are the run's) and where the details are.
    const std::string said = err.str();
    EXPECT_TRUE(said.starts_with("999 of 999 problems stopped at the iteration limit (1 iteration): problems "
                                 "1\u2013999\nProblem 1 still failing: "))
        << said;
    EXPECT_TRUE(
        says("in the result file " + o.out + "\nThe failing tests of every problem are in " + o.json));
    const auto j = nlohmann::json::parse(slurp(o.json));
    ASSERT_EQ(j["problems"].size(), 999u);
    for (const auto& p : j["problems"])
        EXPECT_TRUE(!p["converged"].get<bool>() && !p["failing_tests"].empty());
}

// (The workbook's cells are checked against the windows with the run's export tables.)
TEST_F(Batch, WaterModeOverrideAndTables) {
    BatchOptions o = example("multi");
    o.xlsx = dir.file("no-such-folder/multi.xlsx");
    EXPECT_EQ(run(o), cli::kExitBadInput);
    EXPECT_TRUE(says("No such file or directory")) << err.str();
    o.mode = "water";
    o.csv = dir.file("r.csv");
    o.json = dir.file("r.json");
    o.xlsx = dir.file("r.xlsx");
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
    const auto sheets = testxlsx::readXlsx(o.xlsx);
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(std::tuple(sheets[0].name, sheets[1].name, sheets[2].name, sheets[1].rows, sheets[2].rows),
              std::tuple("Species", "Totals", "Sweep", 1, 5)); // no Kd values in water mode: captions only
    EXPECT_NE(slurp(o.out).find("\"Program mode \",\"Water\""), std::string::npos);
    EXPECT_EQ(slurp(o.out).find("\"Aqconc\""), std::string::npos);
    const std::string csv = slurp(o.csv);
    EXPECT_TRUE(csv.starts_with("problem,mode,pH,converged,section,number,name,"));
    EXPECT_NE(csv.find("\r\n3,Water,7,true,component,12,Cu,"), std::string::npos);
    const auto j = nlohmann::json::parse(slurp(o.json));
    ASSERT_EQ(j["problems"].size(), 3u);
    EXPECT_EQ(std::tuple(j["problems"][1]["pH"], j["problems"][2]["mode"]), std::tuple(6.0, "Water"));
    const auto& comps = j["problems"][0]["components"];
    const auto& cu =
        *std::find_if(comps.begin(), comps.end(), [](const auto& c) { return c["name"] == "Cu"; });
    double sum = 0;
    for (const auto& [k, v] : cu["fraction"].items()) sum += v.get<double>();
    EXPECT_NEAR(sum, 1.0, 1e-5);
    EXPECT_FALSE(cu.contains("kd_l_kg")); // no Kd in water mode
}

} // namespace
} // namespace kelva::test
