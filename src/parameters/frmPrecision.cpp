#include "parameters/frmPrecision.h"

#include "app/App.h"

namespace kelva {

frmPrecision::frmPrecision(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmPrecision");
    setWindowTitle("Kelvaspec - Precision");
}


} // namespace kelva
