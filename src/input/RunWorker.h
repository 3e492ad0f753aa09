// A run from the main window, off the GUI thread: the run button's cmdRun solves a copy of the
// state on a worker thread, so that the windows keep repainting and the window's state is
// never touched while the run goes on. Progress reaches the GUI thread as a throttled signal;
// the iteration count is handed over through an atomic, so the solve pays one store per
// iteration and nothing more.
#pragma once

#include "run/runcontrol.h"
#include "state/state.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

class QThread;

namespace kelva {

class RunWorker : public QObject {
    Q_OBJECT
  public:
    // Progress is shown at most every `intervalMs` milliseconds.
    explicit RunWorker(QObject* parent = nullptr, int intervalMs = 40);
    ~RunWorker() override; // stops a run that is still going and waits for it

    bool running() const { return thread_ != nullptr; }

    // Starts cmdRun on a copy of `st`. When it has ended, the run's per-problem flags (Iterr,
    // Ratiofail) are copied into `st` and finished() is emitted. Nothing when a run is going.
    void start(ProgramState& st);
    // Asks the run to stop; finished() follows with a report that says it was stopped.
    void stop();
    // Waits for the run to end (tests; the program never blocks on a run).
    bool wait(int ms);

    const RunReport& report() const { return report_; }

  signals:
    // The problem being solved (1-based, of nprob) and its iteration count.
    void progress(int runprob, int nprob, int iter);
    void finished();

  private:
    void publish();
    void ended();

    QThread* thread_ = nullptr;
    QTimer timer_;
    ProgramState* shown_ = nullptr;
    std::unique_ptr<ProgramState> work_;
    RunReport report_;
    std::atomic<bool> stop_{false};
    std::atomic<int> iter_{0};
    std::atomic<int> runprob_{0};
    std::atomic<int> nprob_{0};
    int shownIter_ = -1, shownProb_ = -1;
};

} // namespace kelva
