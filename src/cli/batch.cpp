#include "cli/batch.h"

#include "cli/export.h"
#include "engine/newton.h"
#include "files/database.h"
#include "files/fields.h"
#include "files/problemfile.h"
#include "files/resultfile.h"
#include "run/exporttables.h"
#include "run/runcontrol.h"
#include "run/summary.h"
#include "state/state.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <ostream>

namespace kelva::cli {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string defaultOut(const std::string& problems) {
    fs::path p(problems);
    p.replace_extension(".OUT");
    return p.string();
}

// The database the problem file names (its first record).
std::string databaseOfProblemFile(FieldReader& in) {
    std::string db = recordDatabase(in);
    in.rewind();
    return db;
}

class Progress {
public:
    Progress(std::ostream& err, bool show) : err_(err), show_(show) {}
    RunProgress hooks() {
        RunProgress p;
        if (!show_) return p;
        p.onProblem = [this](int k, int n) {
            problem_ = k;
            nprob_ = n;
            draw(0);
        };
        p.onIter = [this](int iter) {
            if (iter % 250 == 0) draw(iter);
        };
        return p;
    }
    void finish() {
        if (show_) err_ << "\r\033[K" << std::flush;
    }

private:
    void draw(int iter) {
        err_ << "\r\033[KProblem " << problem_ << " of " << nprob_;
        if (iter > 0) err_ << ", iteration " << iter;
        err_ << std::flush;
    }
    std::ostream& err_;
    bool show_;
    int problem_ = 0, nprob_ = 0;
};

bool loadDatabase(ProgramState& st, const BatchOptions& opt, FieldReader& in, std::ostream& err) {
    const std::string named = opt.db.empty() ? databaseOfProblemFile(in) : opt.db;
    if (named.empty()) {
        err << "kelvaspec-run: " << opt.problems << " names no database; give one with --db\n";
        return false;
    }
    // A database named in a problem file may be a path from another computer: it is looked
    // for as written, beside the problem file, and by its bare name beside it.
    st.Dbfile = opt.db.empty() ? locateDatabase(named, opt.problems).value_or(named) : named;
    const DbReport rep = readdb(st);
    if (!rep.ok) {
        err << "kelvaspec-run: cannot load the database: "
            << (rep.error ? rep.error->describe() : st.Dbfile + ": cannot be opened") << "\n";
        return false;
    }
    if (!opt.quiet)
        for (const auto& w : rep.warnings) err << "kelvaspec-run: database: " << w << "\n";
    return true;
}

bool wantTables(const BatchOptions& opt) { return !opt.csv.empty() || !opt.json.empty() || !opt.xlsx.empty(); }

// The species, totals and sweep tables as the result windows show them, in one workbook.
bool writeWorkbookOf(const BatchOptions& opt, const std::string& results, const ProgramState& st,
                     std::ostream& err) {
    Workbook book;
    std::string why;
    if (resultWorkbook(st, results, opt.out.empty() ? defaultOut(opt.problems) : opt.out, book, why) &&
        writeWorkbook(opt.xlsx, book, why))
        return true;
    err << "kelvaspec-run: " << opt.xlsx << ": " << why << "\n";
    return false;
}

bool writeTables(const BatchOptions& opt, const std::string& results, const RunReport& report,
                 const ProgramState& st, std::ostream& err) {
    if (!opt.xlsx.empty() && !writeWorkbookOf(opt, results, st, err)) return false;
    if (opt.csv.empty() && opt.json.empty()) return true;
    const auto blocks = readAllBlocks(results, opt.out.empty() ? defaultOut(opt.problems) : opt.out);
    std::string why;
    if (!opt.csv.empty() && !writeFileAtomic(opt.csv, resultsCsv(blocks), why)) {
        err << "kelvaspec-run: " << why << "\n";
        return false;
    }
    if (!opt.json.empty() && !writeFileAtomic(opt.json, resultsJson(blocks, report.failing), why)) {
        err << "kelvaspec-run: " << why << "\n";
        return false;
    }
    return true;
}

} // namespace

int runBatch(const BatchOptions& opt, std::ostream& err) {
    auto in = FieldReader::open(opt.problems);
    if (!in) {
        err << "kelvaspec-run: cannot read the problem file " << opt.problems << "\n";
        return kExitBadInput;
    }
    if (opt.mode && lower(*opt.mode) != "soil" && lower(*opt.mode) != "water") {
        err << "kelvaspec-run: --mode must be soil or water\n";
        return kExitBadInput;
    }
    if (opt.solver && lower(*opt.solver) != "substitution" && lower(*opt.solver) != "newton") {
        err << "kelvaspec-run: --solver must be substitution or newton\n";
        return kExitBadInput;
    }
    auto st = std::make_unique<ProgramState>();
    if (!loadDatabase(*st, opt, *in, err)) return kExitBadInput;

    const ListHeader header = readListHeader(*in);
    if (opt.maxIter) st->Itermax = static_cast<i16>(std::clamp(*opt.maxIter, 1, 32766));
    if (opt.solver) st->Solver = lower(*opt.solver) == "newton" ? kSolverNewton : kSolverSubstitution;
    ListRunOptions run;
    run.nprob = header.nprob;
    run.sweepmode = header.sweepmode;
    run.jobs = std::max(opt.jobs, 1);
    run.afterRead = [&opt](ProgramState& s) {
        if (opt.mode) s.ProgMode = lower(*opt.mode) == "soil" ? "Soil" : "Water";
        if (opt.precision) s.Precision = static_cast<float>(*opt.precision);
    };

    // The blocks go to the result file as they are made; it replaces the old file only when
    // complete. The text is kept in memory only for the tables.
    const std::string out = opt.out.empty() ? defaultOut(opt.problems) : opt.out;
    std::string why;
    AtomicFileWriter file(out);
    if (!file.open(why)) {
        err << "kelvaspec-run: cannot write the result file: " << why << "\n";
        return kExitBadInput;
    }
    std::string results;
    run.onBlock = [&](std::string_view block) {
        file.write(block);
        if (wantTables(opt)) results += block;
    };

    Progress progress(err, opt.progress && !opt.quiet);
    RunReport report;
    runList(*st, *in, run, progress.hooks(), results, report);
    progress.finish();

    if (!report.ran) { // refused before anything was solved: the old result file stays
        err << "kelvaspec-run: " << report.message << "\n";
        return kExitBadInput;
    }
    report.resultFile = out;
    if (!file.commit(why)) {
        err << "kelvaspec-run: cannot write the result file: " << why << "\n";
        return kExitBadInput;
    }
    if (!report.ok) {
        err << "kelvaspec-run: " << report.message << "\n";
        if (report.solved > 0) err << "The results of problems 1 to " << report.solved << " are in " << out << "\n";
        return kExitBadInput;
    }
    if (!writeTables(opt, results, report, *st, err)) return kExitBadInput;
    err << limitSummary(report, st->Itermax);
    if (report.limitProblems.size() > kFewFailures && !opt.json.empty())
        err << "The failing tests of every problem are in " << opt.json << "\n";
    if (!report.suggestion.empty()) err << report.suggestion << " (--solver newton)\n";
    if (!opt.quiet) {
        err << "Solved " << report.solved << (report.solved == 1 ? " problem" : " problems");
        if (report.threads > 1) err << " on " << report.threads << " threads";
        if (!report.limitProblems.empty())
            err << " (" << report.limitProblems.size() << " without a sound result)";
        err << "; results in " << out << "\n";
    }
    return report.limitProblems.empty() ? kExitOk : kExitIterLimit;
}

} // namespace kelva::cli
