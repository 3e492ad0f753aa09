#include "gui/support/guitest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelva::guitest {

Program::Program() {
    auto scripted = std::make_unique<ui::ScriptedUi>();
    ui_ = scripted.get();
    app_ = std::make_unique<App>(std::move(scripted));
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

} // namespace kelva::guitest
