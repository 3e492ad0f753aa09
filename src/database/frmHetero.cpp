#include "database/frmHetero.h"

#include "app/App.h"

namespace kelva {

frmHetero::frmHetero(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmHetero");
    setWindowTitle("Kelvaspec - Heterogeneity");
}


} // namespace kelva
