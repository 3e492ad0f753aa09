#include "parameters/frmOther.h"

#include "app/App.h"

namespace kelva {

frmOther::frmOther(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmOther");
    setWindowTitle("Kelvaspec - Program mode and other parameters");
}


} // namespace kelva
