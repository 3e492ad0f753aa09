#include "app/App.h"

namespace kelva {

App::App(std::unique_ptr<ui::Ui> ui, QObject* parent)
    : QObject(parent), st_(std::make_unique<ProgramState>()), ui_(std::move(ui)) {}

App::~App() {
    // Windows are top-level widgets without a parent: the App closes them with itself.
    for (auto& [type, w] : windows_) delete w.data();
}

ui::Printer& App::printer() {
    if (!printer_) printer_ = std::make_unique<ui::QtPrinter>();
    return *printer_;
}

void App::handOver(QWidget* from, QWidget* to) {
    if (to) {
        to->show();
        to->raise();
        to->activateWindow();
    }
    if (from && from != to) from->hide();
}

} // namespace kelva
