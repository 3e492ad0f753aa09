// kelvaspec: the desktop program. `kelvaspec FILE.DAT` opens a problem file as "Open input file"
// does; `kelvaspec FILE.OUT` opens a result file as "Open output file" does.
#include "app/App.h"
#include "app/Startup.h"
#include "input/frmMain.h"
#include "results/frmOut1.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Kelvaspec");
    QApplication::setApplicationVersion(KELVA_VERSION);
    QApplication::setWindowIcon(kelva::programIcon());
    QGuiApplication::setDesktopFileName("kelvaspec");
    kelva::App app(std::make_unique<kelva::ui::QtUi>());
    kelva::prepareWorkingDirectory(app);
    auto& main = app.window<kelva::frmMain>();
    main.show();
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        const QString path = QFileInfo(args.at(1)).absoluteFilePath();
        if (path.endsWith(".OUT", Qt::CaseInsensitive))
            app.window<kelva::frmOut1>().openResultFile(path);
        else
            main.openProblemFile(path);
    }
    return QApplication::exec();
}
