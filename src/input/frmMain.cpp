#include "input/frmMain.h"

#include "app/App.h"

namespace kelva {

frmMain::frmMain(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("frmMain");
    setWindowTitle("Kelvaspec - Input");
}

void frmMain::showState() {}

void frmMain::openProblemFile(const QString&) {}

} // namespace kelva
