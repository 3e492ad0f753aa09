// The few lines that say which problems of a run did not converge.
#include "run/summary.h"

#include "files/resultfile.h"

#include <algorithm>

namespace kelva {

namespace {

constexpr std::size_t kProblemsDetailed = 3; // problems whose failing tests a summary names
constexpr std::size_t kTestsPerLine = 4;     // failing tests named per problem in a summary
constexpr const char* kDash = "\u2013";      // en dash of a range "17–999"

const std::vector<std::string>& failingOf(const RunReport& report, int k) {
    static const std::vector<std::string> none;
    const auto at = static_cast<std::size_t>(k);
    return k >= 0 && at < report.failing.size() ? report.failing[at] : none;
}

std::string joined(const std::vector<std::string>& tests, std::size_t most) {
    std::string s;
    const std::size_t shown = std::min(tests.size(), most);
    for (std::size_t i = 0; i < shown; ++i) s += (i ? "; " : "") + tests[i];
    if (tests.size() > shown) s += "; and " + std::to_string(tests.size() - shown) + " more";
    return s;
}

std::string iterations(int itermax) {
    return "(" + std::to_string(itermax) + (itermax == 1 ? " iteration)" : " iterations)");
}

// A solve is also marked when a value went undefined or a diffuse layer did not balance; it then
// ended before the limit.
bool atLimit(const RunReport& report, int k, int itermax) {
    const auto at = static_cast<std::size_t>(k);
    return at >= report.iterations.size() || report.iterations[at] > itermax;
}

// "Problem 4 stopped at the iteration limit (10000 iterations)" or "Problem 4 has no sound
// result (66 iterations)".
std::string problemSaid(const RunReport& report, int k, int itermax) {
    if (atLimit(report, k, itermax))
        return "Problem " + std::to_string(k) + " stopped at the iteration limit " + iterations(itermax);
    return "Problem " + std::to_string(k) + " has no sound result " +
           iterations(report.iterations[static_cast<std::size_t>(k)]);
}

} // namespace

std::string problemRanges(const std::vector<int>& problems, std::size_t maxRuns) {
    if (problems.empty()) return std::string();
    std::vector<std::pair<int, int>> runs;
    for (int k : problems) {
        if (!runs.empty() && k == runs.back().second + 1)
            runs.back().second = k;
        else
            runs.emplace_back(k, k);
    }
    std::string s = problems.size() == 1 ? "problem " : "problems ";
    const std::size_t shown = std::min(runs.size(), std::max<std::size_t>(maxRuns, 1));
    for (std::size_t i = 0; i < shown; ++i) {
        const auto [from, to] = runs[i];
        if (i) s += ", ";
        s += std::to_string(from);
        if (to > from) s += (to == from + 1 ? ", " : kDash) + std::to_string(to);
    }
    if (runs.size() > shown) {
        std::size_t rest = 0;
        for (std::size_t i = shown; i < runs.size(); ++i)
            rest += static_cast<std::size_t>(runs[i].second - runs[i].first + 1);
        s += " and " + std::to_string(rest) + " more";
    }
    return s;
}

std::string limitSummary(const RunReport& report, int itermax) {
    std::vector<int> stopped = report.limitProblems;
    std::sort(stopped.begin(), stopped.end());
    std::string out;
    if (stopped.size() <= kFewFailures) {
        for (int k : stopped) {
            out += problemSaid(report, k, itermax);
            const auto& failing = failingOf(report, k);
            if (!failing.empty()) out += "; still failing: " + joined(failing, failing.size());
            out += "\n";
        }
        return out;
    }
    const int total = report.solved > 0 ? report.solved : report.nprob;
    const bool allAtLimit = std::all_of(stopped.begin(), stopped.end(), [&](int k) { return atLimit(report, k, itermax); });
    out += std::to_string(stopped.size()) + " of " + std::to_string(total) +
           (allAtLimit ? " problems stopped at the iteration limit " + iterations(itermax)
                       : std::string(" problems have no sound result (the iteration limit, an undefined value or an "
                                     "unbalanced diffuse layer)")) +
           ": " + problemRanges(stopped) + "\n";
    for (std::size_t i = 0; i < kProblemsDetailed; ++i) {
        const auto& failing = failingOf(report, stopped[i]);
        if (!failing.empty())
            out += "Problem " + std::to_string(stopped[i]) +
                   " still failing: " + joined(failing, kTestsPerLine) + "\n";
    }
    out += std::string("Each is marked \"") + reslabel::kError + "\" in the result file";
    if (!report.resultFile.empty()) out += " " + report.resultFile;
    return out + "\n";
}

} // namespace kelva
