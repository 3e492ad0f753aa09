// kelvaspec: the desktop program.
#include "app/App.h"
#include "input/frmMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Kelvaspec");
    QApplication::setApplicationVersion(KELVA_VERSION);
    kelva::App app(std::make_unique<kelva::ui::QtUi>());
    app.window<kelva::frmMain>().show();
    return QApplication::exec();
}
