// The result windows: a result file shown as the user sees it, problems picked from the
// selector, saved and reopened files, files that cannot be shown, and the way back.
#include "gui/support/guitest.h"
#include "input/frmMain.h"
#include "results/frmOut1.h"
#include "results/frmOut2.h"
#include "results/frmOut3.h"
#include "results/frmOut4.h"
#include "results/frmSweepout.h"
#include "ui/Grid.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace kelva;
using guitest::child;

namespace {

QString box(QWidget* w, const char* name) {
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

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Picks problem k from the selector as the user does.
void pick(frmOut1& w, int k) {
    auto* cbo = child<QComboBox>(&w, "cboProbno");
    QVERIFY(!cbo->isHidden());
    cbo->setCurrentIndex(k - 1);
    emit cbo->activated(k - 1);
}

} // namespace

class TestResults : public QObject {
    Q_OBJECT
  private slots:
    void goldenSoilResultAsTheUserSeesIt() {
        guitest::Program p;
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.copyData("examples/golden/soil.OUT"));
        QVERIFY(w.isVisible());
        QCOMPARE(p.st().Outflag, std::string("c"));
        QVERIFY(p.ui().messages().empty());
        // One problem: no selector, no sweep button, no error marker, no precipitation details.
        for (const char* hidden :
             {"cboProbno", "lblProbno", "cmdSweep", "lblError", "txtFepconc", "lblFeproc"})
            QVERIFY2(!shown(&w, hidden), hidden);
        QCOMPARE(box(&w, "txtpH"), QString(" 4.03914674523047"));
        QCOMPARE(box(&w, "txtIstrength"), QString(" .00837452107016758"));
        QCOMPARE(box(&w, "txtChdiff"), QString(" .000000331694420370281"));
        QCOMPARE(box(&w, "txtIter"), QString(" 415"));
        QCOMPARE(box(&w, "txtDOC"), QString(" 18.158")); // 18.1588 mg/l cut, not rounded
        QCOMPARE(box(&w, "txtFeppt"), QString("No"));
        QCOMPARE(row(&w, "grdFractmast", 0),
                 QStringList({"", "Solution", "HA-DDL", "FA-DDL", "HA", "FA", "Clay"}));
        QCOMPARE(row(&w, "grdFractmast", 1),
                 QStringList({"Na", "91.765", "2.128", "3.776", "0.000", "0.000", "2.331"}));
        QCOMPARE(child<ui::Grid>(&w, "grdFractmast")->rowCount(), 11);

        guitest::click(child<QPushButton>(&w, "cmdSpecies"));
        auto& species = p.app().window<frmOut2>();
        QVERIFY(species.isVisible() && w.isVisible());
        // Alphabetical by byte: "CO3" before "Ca"; scientific form and a three-decimal log.
        QCOMPARE(row(&species, "grdSpecies", 0),
                 QStringList({"", "Concentration", "Activity", "Log activity"}));
        QCOMPARE(row(&species, "grdSpecies", 1), QStringList({"CO3", "3.5700E-12", "2.4836E-12", "-11.605"}));
        QCOMPARE(row(&species, "grdSpecies", 2), QStringList({"Ca", "1.1335E-03", "7.8854E-04", "-3.103"}));
        QCOMPARE(child<ui::Grid>(&species, "grdSpecies")->rowCount(), 1 + 65);

        guitest::click(child<QPushButton>(&species, "cmdMisc"));
        auto& misc = p.app().window<frmOut3>();
        QVERIFY(misc.isVisible() && !species.isVisible());
        QCOMPARE(box(&misc, "txtZedha"), QString("-9.0059E-04 "));
        QCOMPARE(box(&misc, "txtRatioclay"), QString(" 16.3987015955692"));
        QVERIFY(shown(&misc, "lblRatioclay"));
        QCOMPARE(box(&misc, "txtHADDL"), QString("0.448"));
        QCOMPARE(box(&misc, "txtSol"), QString("97.903"));

        guitest::click(child<QPushButton>(&misc, "cmdTotaq"));
        auto& totals = p.app().window<frmOut4>();
        QVERIFY(totals.isVisible() && !misc.isVisible());
        QCOMPARE(row(&totals, "grdTotals", 1), QStringList({"Na", "1.8802E-03", ".83", ".64"}));
        QCOMPARE(row(&totals, "grdTotals", 5), QStringList({"Cu", "5.2039E-08", "182.35", "182.16"}));
        QCOMPARE(child<ui::Grid>(&totals, "grdTotals")->rowCount(), 11);

        guitest::screenshot(&w, "frmOut1");
        guitest::screenshot(&species, "frmOut2");
        guitest::screenshot(&misc, "frmOut3");
        guitest::screenshot(&totals, "frmOut4");
        guitest::click(child<QPushButton>(&totals, "cmdBack"));
        QVERIFY(!totals.isVisible() && w.isVisible());
    }

    void errorMarkerShownAndHiddenAgain() {
        guitest::Program p;
        const QString out = guitest::runExample(p, "multi.DAT", "multi.OUT");
        // Problem 2 stopped at the iteration limit.
        QByteArray text = readAll(out);
        const QByteArray iter = "\"No. of iterations \"";
        const qsizetype second = text.indexOf(iter, text.indexOf(iter) + 1);
        text.insert(second, "\"ERROR - Exceedance of no. of iterations\"\r\n");
        writeAll(out, text);

        auto& w = p.app().window<frmOut1>();
        w.openResultFile(out);
        QVERIFY(!shown(&w, "lblError"));
        QVERIFY(shown(&w, "cmdSweep") && shown(&w, "lblProbno"));
        QCOMPARE(child<QComboBox>(&w, "cboProbno")->count(), 3);
        QCOMPARE(child<QComboBox>(&w, "cboProbno")->itemText(0), QString(" 1"));
        pick(w, 2);
        QVERIFY(shown(&w, "lblError"));
        QVERIFY(!box(&w, "txtpH").isEmpty()); // its values are shown all the same
        QCOMPARE(box(&p.app().window<frmOut2>(), "txtProbno"), QString(" 2"));
        guitest::screenshot(&w, "frmOut1-iteration-limit");
        pick(w, 3);
        QVERIFY(!shown(&w, "lblError"));
        QVERIFY(p.ui().messages().empty());
    }

    void waterModeHidesDocAndTheTotals() {
        guitest::Program p;
        auto& w = p.app().window<frmOut1>();
        auto& species = p.app().window<frmOut2>();
        auto& misc = p.app().window<frmOut3>();
        w.openResultFile(guitest::runExample(p, "water.DAT", "water.OUT"));
        QCOMPARE(p.st().ProgMode, std::string("Water"));
        for (QWidget* win :
             {static_cast<QWidget*>(&w), static_cast<QWidget*>(&species), static_cast<QWidget*>(&misc)})
            QVERIFY(!shown(win, "cmdTotaq"));
        QVERIFY(!shown(&w, "txtDOC") && !shown(&w, "lblDOC"));
        QVERIFY(!child<QAction>(&w, "mnuOptionsExcel2")->isEnabled());
        QVERIFY(!shown(&misc, "txtRatioclay")); // no clay
        QCOMPARE(child<ui::Grid>(&p.app().window<frmOut4>(), "grdTotals")->rowCount(), 2);
        guitest::screenshot(&w, "frmOut1-water");
        // A soil result brings everything back.
        w.openResultFile(p.copyData("examples/golden/soil.OUT"));
        QVERIFY(shown(&w, "txtDOC") && shown(&species, "cmdTotaq"));
        QVERIFY(child<QAction>(&w, "mnuOptionsExcel2")->isEnabled());
    }

    void precipitationDetailsOnlyForTheMetalThatPrecipitates() {
        guitest::Program p;
        QByteArray text = readAll(guitest::sourcePath("data/examples/golden/soil.OUT"));
        text.replace("\"[Fe(OH)3 ppt]\",\"No\",0\r\n\"\"",
                     "\"[Fe(OH)3 ppt]\",\"Yes\",1.5E-06\r\n\"% Tot Fe pptd \",75");
        writeAll(p.file("fe.OUT"), text);
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.file("fe.OUT"));
        QCOMPARE(box(&w, "txtFeppt"), QString("Yes"));
        QCOMPARE(box(&w, "txtFepconc"), QString(" 1.5E-06"));
        QCOMPARE(box(&w, "txtFeproc"), QString(" 75"));
        for (const char* name : {"txtFepconc", "lblFemol", "txtFeproc", "lblFeproc"})
            QVERIFY2(shown(&w, name), name);
        for (const char* name : {"txtAlpconc", "lblAlmol", "txtAlproc", "lblAlproc"})
            QVERIFY2(!shown(&w, name), name);
        QCOMPARE(box(&w, "txtAlppt"), QString("No"));
        guitest::screenshot(&w, "frmOut1-precipitation");
    }

    void pickingRereadsTheChosenFileNotTheRunResult() {
        guitest::Program p;
        const QString sweep = guitest::runExample(p, "sweep.DAT", "sweep.OUT");
        p.copyData("examples/golden/soil.OUT");
        QFile::copy(p.file("soil.OUT"), p.file("Tempo.out")); // the "last run" is something else
        auto& w = p.app().window<frmOut1>();
        p.ui().chooseFile(sweep);
        child<QAction>(&w, "mnuFileOpen")->trigger();
        QCOMPARE(p.ui().fileDialogs().back().filter, QString("Kelvaspec Output files(*.OUT)|*.OUT"));
        QCOMPARE(box(&w, "txtpH"), QString(" 4"));
        pick(w, 6);
        QCOMPARE(box(&w, "txtpH"), QString(" 5")); // 4 + 5 x 0.2, from sweep.OUT
        QCOMPARE(box(&p.app().window<frmOut3>(), "txtProbno"), QString(" 6"));
        // A cancelled dialog changes nothing.
        p.ui().cancelFileDialog();
        child<QAction>(&w, "mnuFileOpen")->trigger();
        QCOMPARE(box(&w, "txtpH"), QString(" 5"));
        guitest::screenshot(&w, "frmOut1-sweep");
    }

    void saveCopiesTheWholeFileAndAddsTheExtension() {
        guitest::Program p;
        const QString run = guitest::runExample(p, "multi.DAT");
        auto& w = p.app().window<frmOut1>();
        w.showRunResults();
        p.ui().chooseFile(p.file("kept"));
        child<QAction>(&w, "mnuFileSave")->trigger();
        QCOMPARE(p.ui().fileDialogs().back().filter, QString("Output files (*.OUT)|*.OUT"));
        QCOMPARE(readAll(p.file("kept.OUT")), readAll(run));
        // A save that cannot be done says so and leaves nothing behind.
        p.ui().chooseFile(p.file("no-such-folder/kept.OUT"));
        child<QAction>(&w, "mnuFileSave")->trigger();
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        QVERIFY(!QFile::exists(p.file("no-such-folder/kept.OUT")));
    }

    void filesThatCannotBeShownAreRefusedWithAMessage_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        const QByteArray golden = readAll(guitest::sourcePath("data/examples/golden/soil.OUT"));
        QTest::newRow("empty") << QByteArray() << "the file is empty";
        QTest::newRow("problem file")
            << readAll(guitest::sourcePath("data/examples/soil.DAT")) << "not a Kelvaspec result file";
        QTest::newRow("truncated") << golden.left(golden.indexOf("\"CONCENTRATIONS"))
                                   << "the file ends before";
        QByteArray edited = golden;
        edited.replace("\"pH \",4.03914674523047", "\"pH \",\"four\"");
        QTest::newRow("text for a number") << edited << "line 7, field 2: expected the pH";
        QTest::newRow("binary") << QByteArray("RESULTS\0\x01\x02\xff,,,\"", 13)
                                << "not a Kelvaspec result file";
    }

    void filesThatCannotBeShownAreRefusedWithAMessage() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        guitest::Program p;
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.copyData("examples/golden/soil.OUT"));
        writeAll(p.file("bad.OUT"), content);
        p.ui().chooseFile(p.file("bad.OUT"));
        child<QAction>(&w, "mnuFileOpen")->trigger();
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        const auto& m = p.ui().messages().front();
        QCOMPARE(m.title, QString("Kelvaspec Error"));
        QVERIFY2(m.text.contains("bad.OUT") && m.text.contains(reason), qPrintable(m.text));
        // Nothing of the previous file stays on show.
        QCOMPARE(box(&w, "txtpH"), QString());
        QCOMPARE(row(&w, "grdFractmast", 1).join(""), QString());
        QCOMPARE(child<ui::Grid>(&p.app().window<frmOut2>(), "grdSpecies")->text(1, 0), QString());
    }

    void backToInputReloadsTheRunInputAndTheDatabase() {
        guitest::Program p;
        guitest::runExample(p, "sweep.DAT");
        QByteArray input = readAll(guitest::sourcePath("data/examples/sweep.DAT"));
        input.replace("../default.DBS", guitest::sourcePath("data/default.DBS").toUtf8());
        writeAll(p.file("Temp.dat"), input);
        p.st().setIterr(3, 1);
        auto& w = p.app().window<frmOut1>();
        w.showRunResults();
        w.show();
        guitest::click(child<QPushButton>(&w, "cmdSweep"));
        auto& sweep = p.app().window<frmSweepout>();
        QVERIFY(sweep.isVisible() && !w.isVisible());
        guitest::click(child<QPushButton>(&sweep, "cmdOutput"));
        guitest::click(child<QPushButton>(&w, "cmdBack"));
        QVERIFY(!sweep.isVisible());
        QVERIFY(p.ui().messages().empty());
        QVERIFY(!w.isVisible() && p.app().window<frmMain>().isVisible());
        QCOMPARE(p.st().Inputfile, std::string("temp.dat"));
        QCOMPARE(p.st().Sweepmode, std::string("Sweep - increment"));
        QCOMPARE(int(p.st().iterr(3)), 0);
        QVERIFY(p.st().Ndatalines > 0);
        QCOMPARE(p.st().out.grdSweep.size(), std::size_t(2)); // the sweep table is cleared
        // Closing the result window is the same way back.
        w.showRunResults();
        App::handOver(&p.app().window<frmMain>(), &w);
        w.close();
        QVERIFY(!w.isVisible() && p.app().window<frmMain>().isVisible());
    }
};

QTEST_MAIN(TestResults)
#include "test_results.moc"
