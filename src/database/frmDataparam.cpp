#include "database/frmDataparam.h"

#include "app/App.h"

namespace kelva {

frmDataparam::frmDataparam(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmDataparam");
    setWindowTitle("Kelvaspec - Database parameters");
}

void frmDataparam::showParameters() {}

} // namespace kelva
