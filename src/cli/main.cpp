// kelvaspec-run: the batch runner.
#include "cli/batch.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    kelva::cli::BatchOptions opt;
    CLI::App app{"Solves the problems of a Kelvaspec problem file (*.DAT) and writes the result file (*.OUT)."};
    app.add_option("problems", opt.problems, "Problem file: one problem, a multi-problem list or a pH sweep")
        ->required();
    app.add_option("--db", opt.db, "Database file (*.DBS); default: the one the problem file names");
    app.add_option("--out", opt.out, "Result file; default: the problem file with the extension .OUT");
    app.add_option("--mode", opt.mode, "Program mode for every problem: soil (sorption included) or water");
    app.add_option("--precision", opt.precision, "Required precision in percent, for every problem")
        ->check(CLI::PositiveNumber);
    app.add_option("--max-iter", opt.maxIter, "Iteration limit per problem (default 10000, at most 32766)")
        ->check(CLI::Range(1, 32766));
    app.add_option("--solver", opt.solver,
                   "Solver for every problem: substitution (the damped successive substitution, default) or newton")
        ->check(CLI::IsMember({"substitution", "newton"}, CLI::ignore_case));
    app.add_option("--csv", opt.csv, "Also write the main results as a CSV table");
    app.add_option("--json", opt.json, "Also write the main results as JSON");
    app.add_option(
        "--xlsx", opt.xlsx,
        "Also write a spreadsheet workbook (.xlsx): the sheets Species and Totals (every problem's "
        "species table and total aqueous concentrations with Kd values, as the result windows show "
        "them) and, for more than one problem, Sweep (the sweep table); numbers as numbers");
    app.add_option("--jobs", opt.jobs, "Threads for the independent problems of an \"Only multi\" list")
        ->check(CLI::Range(1, 256));
    app.add_flag("--quiet", opt.quiet, "No progress line and no summary");
    app.footer("Exit status: 0 all problems solved; 1 bad input or a problem that could not be solved;\n"
               "2 every problem written, but some without a sound result (the iteration limit, an undefined\n"
               "value, a diffuse layer that could not be balanced).");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kelva::cli::kExitBadInput;
    }
    opt.progress = isatty(STDERR_FILENO) != 0;
    return kelva::cli::runBatch(opt, std::cerr);
}
