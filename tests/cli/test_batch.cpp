// The batch runner over the example problem files and problem lists made here: golden results,
// parallel runs, the Newton solver, refusals before anything is solved, summaries and tables.
#include "cli/batch.h"
#include "cli/export.h"
#include "files/fields.h"
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

// One problem record: by default a water problem with 1 mM NaCl at pH 7; `list` is the kind
// and count after "Multi / Sweep" (with the increment line when it is one).
struct Record {
    int k = 1;
    std::string list = "\"No\",", mode = "Water", solids = "0", humics = "0,0", clay = "0", fixed = "Yes",
                pH = "7";
    std::string components = "\"No. mast sp.\",2\r\n\"Na\",\"2\",.001\r\n\"Cl\",\"52\",.001";
    std::string text() const {
        return "\"Problem no.\"," + std::to_string(k) + "\r\n\"" + mode + "\",\"\"\r\n\"Multi / Sweep\"," +
               list + "\r\n" +
               (k == 1 && list.find("Only multi") != std::string::npos
                    ? "\"Selected sweep results:\",1,\"pH\"\r\n"
                    : "") +
               "\"Database\",\"" + sourcePath("data/default.DBS") +
               "\"\r\n\"Array size\",500\r\n\"Precision%\",.01\r\n\"TempK\",298.16\r\n\"CSOLID\"," + solids +
               "\r\n\"THA TFA\"," + humics + "\r\n\"TCLAY\"," + clay +
               "\r\n\"FAAQ\",999\r\n\"Gamma value\",1\r\n\"pH fixed\",\"" + fixed +
               "\"\r\n\"Equilibrium pH\"," + pH + "\r\n\"pCO2\",999\r\n" + components + "\r\n\"END\"\r\n";
    }
};

// An "Only multi" list of n soil problems that differ in pH and copper, for the parallel runs.
std::string multiList(int n) {
    std::string all;
    for (int k = 1; k <= n; ++k)
        all += Record{.k = k,
                      .list = "\"Only multi\"," + std::to_string(n),
                      .mode = "Soil",
                      .solids = "50",
                      .humics = ".2,.1",
                      .clay = "2",
                      .pH = std::to_string(4 + k % 5),
                      .components =
                          "\"No. mast sp.\",4\r\n\"Ca\",\"6\",.001\r\n\"Cl\",\"52\",.002\r\n\"Cu\",\"12\"," +
                          std::to_string(k) + "E-06\r\n\"Al\",\"5\",1E-05"}
                   .text();
    return all;
}

class Batch : public ::testing::Test {
  protected:
    BatchOptions example(const std::string& name) {
        BatchOptions o;
        o.problems = sourcePath("data/examples/" + name + ".DAT");
        o.out = dir.file(name + ".OUT");
        o.quiet = true;
        return o;
    }
    BatchOptions options(const std::string& problems) {
        spit(dir.file("list.DAT"), problems);
        BatchOptions o;
        o.problems = dir.file("list.DAT");
        o.out = dir.file("list.OUT");
        o.quiet = true;
        return o;
    }
    int run(const BatchOptions& o) {
        err.str("");
        return runBatch(o, err);
    }
    TempDir dir;
    std::ostringstream err;
};

// The result files of the examples, byte for byte: every digit of every result is pinned, so a
// change of the summation order, a contracted multiply-add or a different formatting shows here.
// At pH 7.2 the sweep's clay layer ends at a negative ratio, which is no balance.
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
            o.quiet = jobs == 1;
            ASSERT_EQ(run(o), status) << name << ": " << err.str();
            EXPECT_TRUE(slurp(o.out) == golden)
                << name << " with " << jobs << " jobs no longer gives its golden results";
            if (std::string(name) == "multi" && jobs == 2) {
                EXPECT_NE(err.str().find("on 2 threads"), std::string::npos) << err.str();
            }
        }
        // and the result windows read every block back to its end
        const auto blocks = cli::readAllBlocks(golden, name);
        ASSERT_FALSE(blocks.empty()) << name;
        EXPECT_EQ(static_cast<int>(blocks.size()), blocks.front().nprob) << name;
        for (const auto& b : blocks)
            EXPECT_TRUE(b.complete) << name << " block " << b.probno << ": " << b.error;
        BatchOptions o = example(name); // every example converges with the Newton solver too
        o.solver = "newton";
        EXPECT_EQ(run(o), cli::kExitOk) << name << ": " << err.str();
    }
}

TEST_F(Batch, ParallelRunOfALongerListGivesTheSameResultFile) {
    BatchOptions o = options(multiList(7));
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
    const std::string one = slurp(o.out);
    EXPECT_EQ(cli::readAllBlocks(one, "one").size(), 7u);
    o.jobs = 3;
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
    EXPECT_TRUE(slurp(o.out) == one);
}

TEST_F(Batch, IterationLimitGivesItsOwnStatusAndSaysWhatFailed) {
    BatchOptions o = example("soil");
    o.maxIter = 20;
    EXPECT_EQ(run(o), cli::kExitIterLimit);
    EXPECT_NE(err.str().find("Problem 1 stopped at the iteration limit (20 iterations); still failing: "),
              std::string::npos)
        << err.str();
    EXPECT_NE(slurp(o.out).find("ERROR - Exceedance of no. of iterations"), std::string::npos);
}

// 1 mM NaCl with calculated pH: unbuffered, so the default solver creeps and stops at the limit.
TEST_F(Batch, NewtonSolverWhereTheDefaultOneStopsAtTheLimit) {
    BatchOptions o = options(Record{.fixed = "No"}.text());
    EXPECT_EQ(run(o), cli::kExitIterLimit);
    EXPECT_NE(err.str().find("converge with the Newton solver"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("--solver newton"), std::string::npos) << err.str();
    o.solver = "newton";
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
    EXPECT_EQ(err.str().find("Newton solver"), std::string::npos);
    const auto blocks = cli::readAllBlocks(slurp(o.out), "salt");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_NEAR(blocks[0].pH, 7.00, 0.01);
    o.solver = "secant";
    EXPECT_EQ(run(o), cli::kExitBadInput);
}

TEST_F(Batch, BadInputIsRefusedWithAClearMessage) {
    BatchOptions o = example("soil");
    o.problems = dir.file("missing.DAT");
    EXPECT_EQ(run(o), cli::kExitBadInput);
    EXPECT_NE(err.str().find("cannot read the problem file"), std::string::npos);
    o = example("soil");
    o.db = dir.file("nothing.DBS");
    EXPECT_EQ(run(o), cli::kExitBadInput);
    EXPECT_NE(err.str().find("cannot load the database"), std::string::npos) << err.str();
    o = example("soil");
    o.mode = "swamp";
    EXPECT_EQ(run(o), cli::kExitBadInput);
    // A list cut short in problem 3: every worker of a parallel run meets the unreadable record.
    for (int jobs : {1, 2}) {
        o = options(multiList(3).substr(0, 900));
        o.jobs = jobs;
        EXPECT_EQ(run(o), cli::kExitBadInput);
        EXPECT_NE(err.str().find("Problem 3 could not be read"), std::string::npos)
            << jobs << " jobs: " << err.str();
        EXPECT_NE(err.str().find("problems 1 to 2 are in"), std::string::npos) << err.str();
    }
}

TEST_F(Batch, ValuesOutsideTheirRangesAreRefusedInOneLineBeforeAnythingIsSolved) {
    auto list = [](int n, const std::string& kind, std::initializer_list<const char*> pHs) {
        std::string all;
        int k = 0;
        for (const char* pH : pHs)
            all += Record{.k = ++k, .list = "\"" + kind + "\"," + std::to_string(n), .pH = pH}.text();
        return all;
    };
    const std::tuple<const char*, std::string, std::optional<double>, std::string> cases[] = {
        {"an increment that walks the pH out of the range",
         Record{.list = "\"Sweep - increment\",999\r\n\"pH increment\",.7", .pH = "4"}.text(),
         {},
         "Problem 16: the fixed pH 14.5 lies outside the range 0 to 14 (the sweep starts at pH 4 and rises "
         "by .7 "
         "per problem). Problems 17\u2013999 lie outside the ranges too"},
        {"a typed pH of a sweep",
         list(3, "Sweep - no increment", {"6", "15", "16"}),
         {},
         "Problem 2: the fixed pH 15 lies outside the range 0 to 14. Problem 3 lies outside the ranges too"},
        {"negative solids in a later problem",
         list(3, "Only multi", {"6", "7"}) +
             Record{.k = 3, .list = "\"Only multi\",3", .mode = "Soil", .solids = "-1"}.text(),
         {},
         "Problem 3: the amount of total solids -1 g/l lies outside the range 0 g/l or more"},
        {"a precision given for every problem", Record{}.text(), 50.0,
         "Problem 1: the required precision 50 % lies outside the range above 0 up to 10 %"}};
    for (const auto& [what, problems, precision, message] : cases) {
        BatchOptions o = options(problems);
        o.precision = precision;
        EXPECT_EQ(run(o), cli::kExitBadInput) << what;
        EXPECT_EQ(err.str(), "kelvaspec-run: " + message + "\n") << what;
        EXPECT_FALSE(std::filesystem::exists(o.out)) << what;
    }
}

TEST_F(Batch, ManyProblemsAtTheIterationLimitReadAsASummary) {
    BatchOptions o =
        options(Record{.list = "\"Sweep - increment\",999\r\n\"pH increment\",.01", .pH = "2"}.text());
    o.maxIter = 1;
    o.json = dir.file("list.json");
    ASSERT_EQ(run(o), cli::kExitIterLimit) << err.str();
    const std::string said = err.str();
    // The summary, where the details are, and the advice to try the Newton solver.
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 7) << said;
    EXPECT_EQ(
        said.rfind("999 of 999 problems stopped at the iteration limit (1 iteration): problems 1\u2013999\n"
                   "Problem 1 still failing: ",
                   0),
        0u)
        << said;
    EXPECT_NE(said.find("\nProblem 3 still failing: "), std::string::npos) << said;
    EXPECT_NE(
        said.find("in the result file " + o.out + "\nThe failing tests of every problem are in " + o.json),
        std::string::npos)
        << said;
    const auto j = nlohmann::json::parse(slurp(o.json));
    ASSERT_EQ(j["problems"].size(), 999u);
    for (const auto& p : j["problems"]) {
        EXPECT_FALSE(p["converged"].get<bool>());
        EXPECT_FALSE(p["failing_tests"].empty()) << p["problem"];
    }
}

TEST_F(Batch, WaterModeOverrideAndTables) {
    BatchOptions o = example("multi");
    o.mode = "water";
    o.csv = dir.file("r.csv");
    o.json = dir.file("r.json");
    o.xlsx = dir.file("r.xlsx");
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
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
    const auto& cu =
        *std::find_if(j["problems"][0]["components"].begin(), j["problems"][0]["components"].end(),
                      [](const auto& c) { return c["name"] == "Cu"; });
    double sum = 0;
    for (const auto& [k, v] : cu["fraction"].items()) sum += v.get<double>();
    EXPECT_NEAR(sum, 1.0, 1e-5);
    EXPECT_FALSE(cu.contains("kd_l_kg")); // no Kd in water mode
}

// The workbook holds every problem's rows (the cells themselves are checked against the windows
// with the run's export tables), numbers in the windows' forms; a folder that is not there is told.
TEST_F(Batch, WorkbookHoldsEveryProblemsTablesAsNumbers) {
    BatchOptions o = example("multi");
    o.xlsx = dir.file("multi.xlsx");
    ASSERT_EQ(run(o), cli::kExitOk) << err.str();
    const auto sheets = testxlsx::readXlsx(o.xlsx);
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(std::tuple(sheets[0].name, sheets[1].name, sheets[2].name),
              std::tuple("Species", "Totals", "Sweep"));
    const auto blocks = cli::readAllBlocks(slurp(o.out), "multi.OUT");
    ASSERT_EQ(blocks.size(), 3u);
    // (problem, name) -> row of a sheet whose column 0 is the problem and column 1 the name.
    auto rowOf = [](const testxlsx::Sheet& s, int k, const std::string& name) {
        for (int r = 1; r < s.rows; ++r)
            if (s.at(r, 0)->number == k && s.at(r, 1)->text == name) return r;
        return -1;
    };
    std::size_t speciesRows = 1, totalsRows = 1; // the captions
    for (const auto& b : blocks) {
        speciesRows += b.species.size();
        totalsRows += b.totals.size();
        for (const auto& sp : b.species) {
            const auto* conc = sheets[0].at(rowOf(sheets[0], b.probno, sp.name), 2);
            ASSERT_NE(conc, nullptr) << sp.name;
            EXPECT_EQ(std::tuple(conc->type, conc->format), std::tuple('n', "0.0000E+00"));
            EXPECT_NEAR(conc->number, sp.conc, 1e-4 * sp.conc) << sp.name;
        }
        for (const auto& t : b.totals)
            EXPECT_NEAR(sheets[1].at(rowOf(sheets[1], b.probno, t.name), 3)->number, t.kd, 0.005);
    }
    EXPECT_EQ(std::tuple(static_cast<std::size_t>(sheets[0].rows), static_cast<std::size_t>(sheets[1].rows),
                         sheets[2].rows),
              std::tuple(speciesRows, totalsRows, 5));
    o.xlsx = dir.file("no-such-folder/multi.xlsx");
    EXPECT_EQ(run(o), cli::kExitBadInput);
    EXPECT_NE(err.str().find("No such file or directory"), std::string::npos) << err.str();
}

TEST_F(Batch, ProgressLineOnATerminalOnly) {
    BatchOptions o = example("multi");
    o.quiet = false;
    o.progress = true; // what the runner sets when standard error is a terminal
    ASSERT_EQ(run(o), cli::kExitOk);
    EXPECT_NE(err.str().find("Problem 2 of 3"), std::string::npos);
    EXPECT_NE(err.str().find("Solved 3 problems; results in"), std::string::npos);
    o.progress = false;
    ASSERT_EQ(run(o), cli::kExitOk);
    EXPECT_EQ(err.str().find("Problem 2 of 3"), std::string::npos);
}

} // namespace
} // namespace kelva::test
