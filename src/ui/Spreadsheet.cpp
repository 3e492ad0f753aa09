#include "ui/Spreadsheet.h"

#include "ui/Ui.h"

#include <string>

namespace kelva::ui {

QString exportWorkbook(Ui& ui, QWidget* parent, const Workbook& book, const QString& dir, const QString& stem,
                       const QString& what) {
    std::string written, err;
    if (!writeNewWorkbook(dir.toStdString(), stem.toStdString(), book, written, err)) {
        ui.message(parent, "Error",
                   what + " cannot be saved as a spreadsheet file in\n" + dir + "\n\n" +
                       QString::fromStdString(err),
                   Icon::Stop);
        return {};
    }
    const QString path = QString::fromStdString(written);
    if (ui.openExternally(path))
        ui.message(parent, "Warning!",
                   what + " is saved as\n" + path +
                       "\n\nYour spreadsheet program will now open it. To return to Kelvaspec, click on the "
                       "Kelvaspec window.",
                   Icon::Warning);
    else
        ui.message(
            parent, "Warning!",
            what + " is saved as\n" + path +
                "\n\nNo program on this computer opens spreadsheet files (.xlsx). Open the file with a "
                "spreadsheet program of your choice.",
            Icon::Warning);
    return path;
}

} // namespace kelva::ui
