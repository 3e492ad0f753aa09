// The batch runner: solves the problems of a problem file against a database and writes the
// result file, optionally with CSV and JSON tables of the main results and a spreadsheet
// workbook of the tables the result windows show.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace kelva::cli {

struct BatchOptions {
    std::string problems;             // the problem file (*.DAT)
    std::string db;                   // database; empty: the one the problem file names
    std::string out;                  // result file; empty: the problem file with .OUT
    std::optional<std::string> mode;  // "soil" or "water" for every problem
    std::optional<double> precision;  // percent, for every problem
    std::optional<int> maxIter;       // iteration limit (default 10000)
    std::optional<std::string> solver; // "substitution" (default) or "newton" for every problem
    std::string csv;                  // CSV table of the results, when set
    std::string json;                 // JSON document of the results, when set
    std::string xlsx;                 // workbook of the species, totals and sweep tables, when set
    int jobs = 1;                     // threads for the problems of an "Only multi" list
    bool quiet = false;               // no progress line and no summary
    bool progress = false;            // show a progress line (the caller knows if it is a terminal)
};

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;   // nothing or not everything could be solved
constexpr int kExitIterLimit = 2;  // all written, some without a sound result (marked in Iterr)

// Runs the batch; messages go to `err` (progress, warnings, errors, the summary).
int runBatch(const BatchOptions& opt, std::ostream& err);

} // namespace kelva::cli
