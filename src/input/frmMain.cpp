#include "input/frmMain.h"

#include "app/App.h"

namespace kelva {

frmMain::frmMain(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("frmMain");
    setWindowTitle("Kelvaspec - Input");
}

void frmMain::showState() {}

} // namespace kelva
