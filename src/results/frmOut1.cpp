#include "results/frmOut1.h"

#include "app/App.h"

namespace kelva {

frmOut1::frmOut1(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("frmOut1");
    setWindowTitle("Kelvaspec - Output");
}

void frmOut1::showRunResults() {}

void frmOut1::openResultFile(const QString&) {}

} // namespace kelva
