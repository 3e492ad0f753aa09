#include "parameters/frmCO2.h"

#include "app/App.h"

namespace kelva {

frmCO2::frmCO2(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmCO2");
    setWindowTitle("Kelvaspec - Specify CO2 pressure");
}


} // namespace kelva
