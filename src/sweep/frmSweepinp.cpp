#include "sweep/frmSweepinp.h"

#include "app/App.h"

namespace kelva {

frmSweepinp::frmSweepinp(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmSweepinp");
    setWindowTitle("Kelvaspec - Multi-problem menu");
}

void frmSweepinp::compinp() {}

} // namespace kelva
