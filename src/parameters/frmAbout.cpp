#include "parameters/frmAbout.h"

#include "app/App.h"

namespace kelva {

frmAbout::frmAbout(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmAbout");
    setWindowTitle("Kelvaspec - About this program");
}


} // namespace kelva
