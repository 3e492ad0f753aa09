#include "gui/support/guitest.h"

#ifdef KELVA_HAVE_CLI
#include "cli/batch.h"
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sstream>

namespace kelva::guitest {

namespace {
// The offscreen platform says, for every window shown, that it cannot do what only a real
// screen does; those notes are dropped so that a real warning stands out.
QtMessageHandler testLog = nullptr;
void quietPlatform(QtMsgType type, const QMessageLogContext& where, const QString& text) {
    if (type == QtWarningMsg && text.startsWith("This plugin does not support")) return;
    testLog(type, where, text);
}
} // namespace

Program::Program() {
    if (!testLog) testLog = qInstallMessageHandler(quietPlatform);
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

QString Program::said() const {
    QStringList all;
    for (const auto& m : ui_->messages()) all << m.title + ": " + m.text;
    return all.join('\n');
}

void Program::toldOnce(const QString& start, ui::Icon icon) {
    QVERIFY2(ui_->messages().size() == 1 && said().startsWith(start), qPrintable(said()));
    QCOMPARE(ui_->messages().front().icon, icon);
}

QString textOf(QWidget* w, const char* name) {
    return child<QLineEdit>(w, name)->text();
}
bool shown(QWidget* w, const char* name) {
    return !child<QWidget>(w, name)->isHidden();
}
QStringList row(QWidget* w, const char* grid, int r) {
    auto* g = child<ui::Grid>(w, grid);
    QStringList cells;
    for (int c = 0; c < g->columnCount(); ++c) cells << g->text(r, c);
    return cells;
}

void click(QAbstractButton* b) {
    QVERIFY2(b->isVisible() || !b->window()->isVisible(), qPrintable(b->objectName() + " is hidden"));
    QVERIFY2(b->isEnabled(), qPrintable(b->objectName() + " is disabled"));
    b->click();
}

void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
}

void type(QWidget* w, const char* name, const QString& text) {
    type(child<QLineEdit>(w, name), text);
}

void choose(QWidget* w, const char* name, const QString& text) {
    choose(child<QListWidget>(w, name), text);
}

void choose(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(list->objectName() + " has no entry " + text));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
    QCOMPARE(list->currentItem()->text(), text);
}

void pick(QComboBox* box, int index) {
    QVERIFY2(!box->isHidden(), qPrintable(box->objectName() + " is hidden"));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void screenshot(QWidget* w, const QString& name) {
    if (!w->isVisible()) w->show();
    QCoreApplication::processEvents();
    const QString dir = QStringLiteral(KELVA_BINARY_DIR) + "/screenshots";
    QDir().mkpath(dir);
    QVERIFY2(w->grab().save(dir + "/" + name + ".png"), qPrintable(name));
}

QString sourcePath(const QString& rel) {
    return QStringLiteral(KELVA_SOURCE_DIR) + "/" + rel;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray runBatch(Program& p, const QString& problems, const QString& out, const QString& db) {
#ifdef KELVA_HAVE_CLI
    cli::BatchOptions opt;
    opt.problems = problems.toStdString();
    opt.db = db.toStdString();
    opt.out = p.file(out).toStdString();
    opt.quiet = true;
    std::ostringstream err;
    const int status = cli::runBatch(opt, err);
    if (status != cli::kExitOk && status != cli::kExitIterLimit)
        qFatal("the batch runner cannot solve %s: %s", qPrintable(problems), err.str().c_str());
    return readFile(p.file(out));
#else
    qFatal("the window tests need the batch runner to solve %s", qPrintable(problems));
    return {};
#endif
}

QString runExample(Program& p, const QString& name, const QString& out) {
    runBatch(p, sourcePath("data/examples/" + name), out, sourcePath("data/default.DBS"));
    return p.file(out);
}

} // namespace kelva::guitest
