#include "gui/support/guitest.h"

#ifdef KELVA_HAVE_CLI
#include "cli/batch.h"
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sstream>

namespace kelva::guitest {

Program::Program() {
    auto scripted = std::make_unique<ui::ScriptedUi>();
    ui_ = scripted.get();
    app_ = std::make_unique<App>(std::move(scripted));
    auto printer = std::make_unique<ui::ScriptedPrinter>();
    printer_ = printer.get();
    app_->setPrinter(std::move(printer));
    app_->st().Directory = tmp_.path().toStdString();
}

QString Program::copyData(const QString& rel) {
    const QString to = tmp_.filePath(QFileInfo(rel).fileName());
    QFile::remove(to);
    if (!QFile::copy(sourcePath("data/" + rel), to)) qFatal("cannot copy data/%s", qPrintable(rel));
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

void click(QAbstractButton* b) {
    QVERIFY2(b->isVisible() || !b->window()->isVisible(), qPrintable(b->objectName() + " is hidden"));
    QVERIFY2(b->isEnabled(), qPrintable(b->objectName() + " is disabled"));
    b->click();
}

QString screenshot(QWidget* w, const QString& name) {
    if (!w->isVisible()) w->show();
    QCoreApplication::processEvents();
    const QString dir = QStringLiteral(KELVA_BINARY_DIR) + "/screenshots";
    QDir().mkpath(dir);
    const QString path = dir + "/" + name + ".png";
    w->grab().save(path);
    return path;
}

QString sourcePath(const QString& rel) { return QStringLiteral(KELVA_SOURCE_DIR) + "/" + rel; }

QString runExample(Program& p, const QString& name, const QString& out) {
#ifdef KELVA_HAVE_CLI
    cli::BatchOptions opt;
    opt.problems = sourcePath("data/examples/" + name).toStdString();
    opt.db = sourcePath("data/default.DBS").toStdString();
    opt.out = p.file(out).toStdString();
    opt.quiet = true;
    std::ostringstream err;
    const int status = cli::runBatch(opt, err);
    if (status != cli::kExitOk && status != cli::kExitIterLimit)
        qFatal("cannot solve %s: %s", qPrintable(name), err.str().c_str());
    return p.file(out);
#else
    qFatal("the window tests need the batch runner to solve %s", qPrintable(name));
    return {};
#endif
}

} // namespace kelva::guitest
