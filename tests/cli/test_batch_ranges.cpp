// The batch runner refuses a file with values the chemistry cannot mean before it solves
// anything, and sums up many problems that stopped at the iteration limit in a few lines.
#include "cli/batch.h"
#include "files/fields.h"
#include "support/testutil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace kelva::test {
namespace {

// Problem k of a list: `list` is the kind and count after "Multi / Sweep" (with the increment
// line when it is one), then a water problem with Na and Cl at a fixed pH.
std::string record(int k, const std::string& list, const std::string& pH, const std::string& mode = "Water",
                   const std::string& solids = "0") {
    return "\"Problem no.\"," + std::to_string(k) + "\r\n\"" + mode + "\",\"\"\r\n\"Multi / Sweep\"," + list +
           "\r\n\"Database\",\"" + sourcePath("data/default.DBS") +
           "\"\r\n\"Array size\",500\r\n\"Precision%\",.01\r\n\"TempK\",298.16\r\n\"CSOLID\"," + solids +
           "\r\n\"THA TFA\",0,0\r\n\"TCLAY\",0\r\n\"FAAQ\",999\r\n\"Gamma value\",1\r\n\"pH "
           "fixed\",\"Yes\"\r\n"
           "\"Equilibrium pH\"," +
           pH +
           "\r\n\"pCO2\",999\r\n\"No. mast sp.\",2\r\n\"Na\",\"2\",.001\r\n\"Cl\",\"52\",.001\r\n\"END\"\r\n";
}

class BatchRanges : public ::testing::Test {
  protected:
    TempDir dir;
    std::ostringstream err;

    cli::BatchOptions options(const std::string& problems) {
        std::string e;
        EXPECT_TRUE(writeFileAtomic(dir.file("list.DAT"), problems, e)) << e;
        cli::BatchOptions o;
        o.problems = dir.file("list.DAT");
        o.out = dir.file("list.OUT");
        o.quiet = true;
        return o;
    }
};

struct Refused {
    const char* what;
    std::string problems;
    std::optional<double> precision;
    std::string message;
};

TEST_F(BatchRanges, RefusedInOneLineBeforeAnythingIsSolved) {
    const std::string multi = "\"Only multi\",3";
    const std::vector<Refused> cases = {
        {"an increment that walks the pH out of the range",
         record(1, "\"Sweep - increment\",999\r\n\"pH increment\",.7", "4"),
         {},
         "Problem 16: the fixed pH 14.5 lies outside the range 0 to 14 (the sweep starts at pH 4 and rises "
         "by .7 "
         "per problem). Problems 17\u2013999 lie outside the ranges too"},
        {"a typed pH of a sweep",
         record(1, "\"Sweep - no increment\",3", "6") + record(2, "\"Sweep - no increment\",3", "15") +
             record(3, "\"Sweep - no increment\",3", "16"),
         {},
         "Problem 2: the fixed pH 15 lies outside the range 0 to 14. Problem 3 lies outside the ranges too"},
        {"negative solids in a later problem",
         record(1, multi, "6") + record(2, multi, "7") + record(3, multi, "7", "Soil", "-1"),
         {},
         "Problem 3: the amount of total solids -1 g/l lies outside the range 0 g/l or more"},
        {"a precision given for every problem", record(1, "\"No\",", "7"), 50.0,
         "Problem 1: the required precision 50 % lies outside the range above 0 up to 10 %"},
    };
    for (const auto& c : cases) {
        cli::BatchOptions o = options(c.problems);
        o.precision = c.precision;
        err.str("");
        EXPECT_EQ(cli::runBatch(o, err), cli::kExitBadInput) << c.what;
        EXPECT_EQ(err.str(), "kelvaspec-run: " + c.message + "\n") << c.what;
        EXPECT_FALSE(std::filesystem::exists(o.out)) << c.what;
    }
}

TEST_F(BatchRanges, ManyProblemsAtTheIterationLimitReadAsASummary) {
    cli::BatchOptions o = options(record(1, "\"Sweep - increment\",999\r\n\"pH increment\",.01", "2"));
    o.maxIter = 1;
    o.json = dir.file("list.json");
    ASSERT_EQ(cli::runBatch(o, err), cli::kExitIterLimit) << err.str();
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

    const auto j = nlohmann::json::parse(readWholeFile(o.json).value_or("{}"));
    ASSERT_EQ(j["problems"].size(), 999u);
    for (const auto& p : j["problems"]) {
        EXPECT_FALSE(p["converged"].get<bool>());
        EXPECT_FALSE(p["failing_tests"].empty()) << p["problem"];
    }
}

} // namespace
} // namespace kelva::test
