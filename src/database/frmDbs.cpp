#include "database/frmDbs.h"

#include "app/App.h"

namespace kelva {

frmDbs::frmDbs(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("frmDbs");
    setWindowTitle("Kelvaspec - Database");
}


} // namespace kelva
