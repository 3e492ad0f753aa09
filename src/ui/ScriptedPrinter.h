// A printer for tests: records what it was given and answers as scripted (printed on
// "Scripted printer" unless told otherwise). Nothing reaches a real printer.
#pragma once

#include "ui/Printer.h"

#include <QPointer>
#include <QWidget>

#include <vector>

namespace kelva::ui {

class ScriptedPrinter : public Printer {
  public:
    struct Job {
        QPointer<QWidget> page;
        QString pdfDir;
        QString pdfStem;
    };

    void setAnswer(PrintResult r) { answer_ = std::move(r); }
    const std::vector<Job>& jobs() const { return jobs_; }

    PrintResult print(QWidget& page, const QString& pdfDir, const QString& pdfStem) override {
        jobs_.push_back({&page, pdfDir, pdfStem});
        return answer_;
    }

  private:
    PrintResult answer_{PrintResult::Kind::Printed, "Scripted printer", {}};
    std::vector<Job> jobs_;
};

} // namespace kelva::ui
