// The result windows on the offscreen platform: opening and showing a 20-problem sweep file
// (every result window and the sweep chart filled and painted), picking a problem from the
// selector, and opening a 500-problem list file.
#include "app/App.h"
#include "benchdata.h"
#include "cli/batch.h"
#include "files/fields.h"
#include "results/frmOut1.h"
#include "results/frmOut2.h"
#include "results/frmOut3.h"
#include "results/frmOut4.h"
#include "results/frmSweepout.h"
#include "run/resultform.h"
#include "ui/ScriptedUi.h"

#include <QApplication>
#include <QComboBox>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace kelva;

using benchdata::kSource;

fs::path scratch() {
    return benchdata::scratch("kelva-bench-results");
}

// The example pH sweep (20 problems) solved once.
std::string sweepFile() {
    static const std::string path = [] {
        cli::BatchOptions opt;
        opt.problems = kSource + "/data/examples/sweep.DAT";
        opt.db = kSource + "/data/default.DBS";
        opt.out = (scratch() / "sweep.OUT").string();
        opt.quiet = true;
        std::ostringstream err;
        // The sweep's problem 17 is marked as not converged (status 2); its file is complete.
        const int status = cli::runBatch(opt, err);
        if (status != cli::kExitOk && status != cli::kExitIterLimit) {
            std::fprintf(stderr, "cannot solve the example sweep: %s\n", err.str().c_str());
            std::abort();
        }
        return opt.out;
    }();
    return path;
}

// A list of 500 problems: the sweep's blocks repeated and renumbered.
std::string listFile() {
    static const std::string path = [] {
        const std::string text = *readWholeFile(sweepFile());
        const std::string head = "\"RESULTS Prob. no. \",";
        std::vector<std::string> blocks;
        for (std::size_t at = text.find(head); at != std::string::npos;) {
            const std::size_t next = text.find(head, at + 1);
            std::string b = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
            b = b.substr(b.find("\r\n") + 2); // without its first line
            b = b.substr(b.find("\r\n") + 2);
            blocks.push_back(b);
            at = next;
        }
        std::string all;
        for (int k = 1; k <= 500; ++k)
            all += head + std::to_string(k) + "\r\n\"No. of problems in this file \",500\r\n" +
                   blocks[static_cast<std::size_t>((k - 1) % 20)];
        std::string err;
        const std::string out = (scratch() / "list500.OUT").string();
        if (!writeFileAtomic(out, all, err)) std::abort();
        return out;
    }();
    return path;
}

// A program with every result window open, as a user who looks at all of them.
struct Windows {
    App app{std::make_unique<ui::ScriptedUi>()};
    frmOut1& out1 = app.window<frmOut1>();
    Windows() {
        app.st().Directory = scratch().string();
        out1.show();
        for (QWidget* w : std::initializer_list<QWidget*>{&app.window<frmOut2>(), &app.window<frmOut3>(),
                                                          &app.window<frmOut4>(), &app.window<frmSweepout>()})
            w->show();
    }
    void paint() {
        out1.repaint();
        app.window<frmSweepout>().repaint();
        app.window<frmOut2>().repaint();
    }
};

void BM_OpenAndShowSweepFile(benchmark::State& state) {
    Windows w;
    const QString path = QString::fromStdString(sweepFile());
    for (auto _ : state) {
        w.out1.openResultFile(path);
        w.paint();
    }
    if (w.app.st().out.grdSweep.size() != 22) state.SkipWithError("the sweep table is not complete");
}
BENCHMARK(BM_OpenAndShowSweepFile)->Unit(benchmark::kMillisecond);

void BM_PickProblemOfSweep(benchmark::State& state) {
    Windows w;
    w.out1.openResultFile(QString::fromStdString(sweepFile()));
    auto* cbo = w.out1.findChild<QComboBox*>("cboProbno");
    int k = 0;
    for (auto _ : state) {
        k = k % 19 + 1; // problems 2 .. 20
        cbo->setCurrentIndex(k);
        emit cbo->activated(k);
        w.paint();
    }
}
BENCHMARK(BM_PickProblemOfSweep)->Unit(benchmark::kMillisecond);

void BM_OpenAndShowListOf500(benchmark::State& state) {
    Windows w;
    const QString path = QString::fromStdString(listFile());
    for (auto _ : state) {
        w.out1.openResultFile(path);
        w.paint();
    }
    if (w.app.st().Nswprob != 500) state.SkipWithError("not every problem is offered");
}
BENCHMARK(BM_OpenAndShowListOf500)->Unit(benchmark::kMillisecond);

void BM_PickLastProblemOf500(benchmark::State& state) {
    Windows w;
    w.out1.openResultFile(QString::fromStdString(listFile()));
    auto* cbo = w.out1.findChild<QComboBox*>("cboProbno");
    for (auto _ : state) {
        cbo->setCurrentIndex(499);
        emit cbo->activated(499);
        w.paint();
    }
}
BENCHMARK(BM_PickLastProblemOf500)->Unit(benchmark::kMillisecond);

// The same loads without windows: what the file reading and the sweep scan cost.
void BM_LoadListOf500WithoutWindows(benchmark::State& state) {
    auto st = std::make_unique<ProgramState>();
    st->Outflag = "c";
    st->Outfile = listFile();
    std::string err;
    for (auto _ : state) benchmark::DoNotOptimize(loadResultFile(*st, err));
}
BENCHMARK(BM_LoadListOf500WithoutWindows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
