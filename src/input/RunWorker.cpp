#include "input/RunWorker.h"

#include <QThread>

namespace kelva {

RunWorker::RunWorker(QObject* parent, int intervalMs) : QObject(parent) {
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &RunWorker::publish);
}

RunWorker::~RunWorker() {
    if (!thread_) return;
    stop();
    thread_->wait();
    delete thread_;
}

void RunWorker::start(ProgramState& st) {
    if (thread_) return;
    shown_ = &st;
    work_ = std::make_unique<ProgramState>(st); // on the heap: the state is large
    work_->stopRequest = &stop_;
    stop_ = false;
    iter_ = 0;
    runprob_ = 0;
    nprob_ = 0;
    shownIter_ = shownProb_ = -1;
    report_ = RunReport{};

    thread_ = QThread::create([this] {
        RunProgress progress;
        progress.onProblem = [this](int k, int n) {
            nprob_.store(n, std::memory_order_relaxed);
            runprob_.store(k, std::memory_order_relaxed);
        };
        progress.onIter = [this](int iter) { iter_.store(iter, std::memory_order_relaxed); };
        report_ = cmdRun(*work_, progress);
    });
    thread_->setObjectName("kelvaspec run");
    connect(thread_, &QThread::finished, this, &RunWorker::ended, Qt::QueuedConnection);
    timer_.start();
    thread_->start();
}

void RunWorker::stop() {
    stop_ = true;
}

bool RunWorker::wait(int ms) {
    if (!thread_) return true;
    return thread_->wait(ms);
}

void RunWorker::publish() {
    const int iter = iter_.load(std::memory_order_relaxed);
    const int k = runprob_.load(std::memory_order_relaxed);
    if (iter == shownIter_ && k == shownProb_) return;
    shownIter_ = iter;
    shownProb_ = k;
    emit progress(k, nprob_.load(std::memory_order_relaxed), iter);
}

void RunWorker::ended() {
    timer_.stop();
    publish();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    // The run's outcome that the result side may read; the rest of the window's state is as it
    // was (the run put back the problem it showed, on its own copy).
    if (shown_ && work_) {
        shown_->Iterr = work_->Iterr;
        shown_->Ratiofail = work_->Ratiofail;
    }
    work_.reset();
    emit finished();
}

} // namespace kelva
