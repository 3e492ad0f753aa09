// Opening and saving problem files from the main window, single problems and lists, the
// database a file names, and stepping through an "Only multi" list.
#include "gui/support/inputwindow.h"
#include "input/frmComplist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

using namespace kelva;
using namespace kelva::guitest;

namespace {

QString slurp(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Copies data/<rel> into the folder <scratch>/<to> and returns the copy's path. Problem files
// and databases are laid out below the scratch folder, with the working folder in "a/work",
// so that a relative name such as "../default.DBS" never reaches outside it.
QString place(Program& p, const QString& rel, const QString& to) {
    QDir().mkpath(p.file(to));
    const QString dest = p.file(to + "/" + QFileInfo(rel).fileName());
    if (!QFile::copy(sourcePath("data/" + rel), dest)) qFatal("cannot copy %s", qPrintable(rel));
    return dest;
}

void useNestedWorkFolder(Program& p) {
    QDir().mkpath(p.file("a/work"));
    p.st().Directory = p.file("a/work").toStdString();
}

} // namespace

class TestInputFiles : public QObject {
    Q_OBJECT
  private slots:
    void savingAndOpeningASingleProblem() {
        InputProgram p;
        p.connectDefault();
        p.add("Na", "0.002");
        p.add("Cl", "0.002");
        choose(p.w.lstpH, "Fixed at...");
        type(p.w.txtpH, "6.5");
        type(p.w.txtTemp, "15");
        p.ui().chooseFile(p.file("one")); // the extension is added
        p.w.mnuFileSave->trigger();
        const auto& asked = p.ui().fileDialogs().back();
        QCOMPARE(std::tuple(asked.save, asked.filter, asked.dir),
                 std::tuple(true, QString("Input files (*.DAT)|*.DAT"), p.dir()));
        QCOMPARE(p.w.lblFilename->text(), p.file("one.DAT"));
        QVERIFY(slurp(p.file("one.DAT")).contains("\"Equilibrium pH\",6.5"));

        click(p.w.cmdReset);
        p.ui().cancelFileDialog();
        p.w.mnuFileOpen->trigger(); // a cancel changes nothing
        QCOMPARE(p.w.lblFilename->text(), QString("Unsaved"));

        p.ui().chooseFile(p.file("one.DAT"));
        p.w.mnuFileOpen->trigger();
        QCOMPARE(p.ui().fileDialogs().back().filter, QString("Kelvaspec Input files(*.DAT)|*.DAT"));
        QCOMPARE(std::tuple(p.w.txtTemp->text(), p.w.txtpH->text(), p.w.lstpH->currentItem()->text()),
                 std::tuple(QString(" 15"), QString(" 6.5"), QString("Fixed at...")));
        QVERIFY(p.w.txtDb->isVisible()); // the database it names is connected again
        QCOMPARE(p.w.txtDb->text(), p.file("default.DBS"));
        QCOMPARE(p.app().window<frmComplist>().txtName[2]->text(), QString("Cl"));
        QCOMPARE(p.w.lblFilename->text(), p.file("one.DAT"));
        QVERIFY(p.ui().messages().empty());
    }

    void openingAListAndSteppingThroughIt() {
        InputProgram p;
        useNestedWorkFolder(p);
        const QString db = place(p, "default.DBS", "a/examples");
        const QString list = place(p, "examples/multi.DAT", "a/examples"); // names "../default.DBS"
        p.w.openProblemFile(list);                                         // as "kelvaspec multi.DAT" does
        QVERIFY(p.ui().messages().empty());
        QCOMPARE(p.w.txtDb->text(), db); // found by its bare name beside the file
        QVERIFY(p.w.lblThisis->isVisible() && p.w.cmdNextprob->isVisible() && p.w.cmdPrevprob->isVisible());
        QCOMPARE(std::tuple(p.w.lblNoprob->text(), p.w.txtpH->text()),
                 std::tuple(QString("1"), QString(" 5")));

        click(p.w.cmdNextprob);
        QCOMPARE(std::tuple(p.w.lblNoprob->text(), p.w.txtpH->text()),
                 std::tuple(QString("2"), QString(" 6")));
        type(p.w.txtpH, "6.25");
        click(p.w.cmdNextprob);
        click(p.w.cmdNextprob); // the last problem: nothing happens
        QCOMPARE(p.w.lblNoprob->text(), QString("3"));
        click(p.w.cmdPrevprob);
        QCOMPARE(std::tuple(p.w.lblNoprob->text(), p.w.txtpH->text()),
                 std::tuple(QString("2"), QString(" 6.25")));

        p.ui().chooseFile(p.file("saved.DAT"));
        p.w.mnuFileSave->trigger();
        const QString saved = slurp(p.file("saved.DAT"));
        QCOMPARE(saved.count("\"END\""), 3);
        QVERIFY(saved.contains("6.25"));
        QVERIFY(p.ui().messages().empty());
    }

    void aDatabaseThatCannotBeFoundIsNamed() {
        InputProgram p;
        useNestedWorkFolder(p);
        const QString soil = place(p, "examples/soil.DAT", "a/examples"); // no database anywhere
        p.w.openProblemFile(soil);
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        const auto& m = p.ui().messages().front();
        QVERIFY2(m.text.contains("\"../default.DBS\"") && m.text.contains(p.file("a/default.DBS")) &&
                     m.text.contains(p.file("a/examples/default.DBS")),
                 qPrintable(m.text));
        QCOMPARE(m.icon, ui::Icon::Warning);
        QVERIFY(!p.w.txtDb->isVisible());                 // the database stays unconnected
        QCOMPARE(p.w.txtSolids->text(), QString(" 100")); // the problem itself is shown
        QCOMPARE(p.w.lblFilename->text(), soil);
    }

    void aFileThatCannotBeReadChangesNothing() {
        InputProgram p;
        p.connectDefault();
        p.add("Na", "0.001");
        QFile bad(p.file("bad.DAT"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("\"Problem no.\",1\r\n\"Marsh\",\"\"\r\n");
        bad.close();
        p.w.openProblemFile(p.file("bad.DAT"));
        QCOMPARE(p.ui().messages().back().title, QString("Kelvaspec Error"));
        QVERIFY(p.ui().messages().back().text.contains("Marsh"));
        QVERIFY(p.w.txtDb->isVisible());
        QCOMPARE(p.st().Nmast, 1);
        QCOMPARE(p.w.lblFilename->text(), QString("Unsaved"));
    }
};

QTEST_MAIN(TestInputFiles)
#include "test_inputfiles.moc"
