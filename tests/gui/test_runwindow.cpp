// Runs from the main window: the refusals, a run whose result file is the batch runner's, the
// iteration limit said in words, and stopping a long run.
#include "cli/batch.h"
#include "gui/support/inputwindow.h"
#include "input/RunWorker.h"
#include "results/frmOut1.h"

#include <QFile>
#include <QMenuBar>

#include <sstream>

using namespace kelva;
using namespace kelva::guitest;

namespace {

QByteArray slurp(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void pressRun(frmMain& w) {
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
}

// Opens data/examples/<name> (with the default database beside it) in the window.
void openExample(InputProgram& p, const QString& name) {
    p.copyData("default.DBS");
    p.w.openProblemFile(p.copyData("examples/" + name));
    QVERIFY(p.w.txtDb->isVisible());
}

} // namespace

class TestRunWindow : public QObject {
    Q_OBJECT
  private slots:
    void refusalsAreMessageBoxes_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("says");
        QTest::newRow("no database")
            << 0 << "Running Kelvaspec without connecting a database is not a particularly good idea";
        QTest::newRow("no components") << 1 << "You have to add components before running Kelvaspec";
        QTest::newRow("no solids")
            << 2
            << "In sorption mode, the concentration of total solids must have a value > 0. "
               "Either change program mode or change solids value!";
    }
    void refusalsAreMessageBoxes() {
        QFETCH(int, step);
        QFETCH(QString, says);
        InputProgram p;
        if (step >= 1) p.connectDefault();
        if (step >= 2) p.add("Na", "0.001");
        pressRun(p.w);
        QVERIFY(!p.w.running());
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        const auto& m = p.ui().messages().front();
        QCOMPARE(std::tuple(m.title, m.text, m.icon),
                 std::tuple(QString("Kelvaspec Error"), says, ui::Icon::Stop));
        QVERIFY(!QFile::exists(p.file("Temp.dat")));
    }

    void aRunGivesTheBatchRunnersResultFile() {
        InputProgram p;
        openExample(p, "soil.DAT");
        click(p.w.cmdRun);
        QVERIFY(p.w.running());
        QVERIFY(!p.w.cmdRun->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!p.w.running(), 60000);
        QVERIFY(p.ui().messages().empty());
        QCOMPARE(p.ui().beeps(), 3);
        auto* out = p.app().existing<frmOut1>();
        QVERIFY(out && out->isVisible() && !p.w.isVisible()); // the result side opens in place of the input

        cli::BatchOptions opt;
        opt.problems = p.file("soil.DAT").toStdString();
        opt.out = p.file("batch.OUT").toStdString();
        opt.quiet = true;
        std::ostringstream err;
        QCOMPARE(cli::runBatch(opt, err), cli::kExitOk);
        QCOMPARE(slurp(p.file("Tempo.out")), slurp(p.file("batch.OUT")));
        QCOMPARE(p.st().main.txtSolids, std::string(" 100")); // the window shows its problem again
    }

    void theIterationLimitIsSaidInWords() {
        InputProgram p;
        openExample(p, "water.DAT");
        p.st().Itermax = 3;
        click(p.w.cmdRun);
        QTRY_VERIFY_WITH_TIMEOUT(!p.w.running(), 60000);
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        const auto& m = p.ui().messages().front();
        QVERIFY2(m.text.startsWith("Problem 1 stopped at the iteration limit (3 iterations); still failing: "),
                 qPrintable(m.text));
        QCOMPARE(m.icon, ui::Icon::Warning);
        QVERIFY(p.app().existing<frmOut1>()->isVisible());
    }

    void aLongRunCanBeStoppedAndKeepsThePreviousResults() {
        InputProgram p;
        openExample(p, "soil.DAT");
        QFile previous(p.file("Tempo.out"));
        QVERIFY(previous.open(QIODevice::WriteOnly));
        previous.write("the results of the previous run\r\n");
        previous.close();
        p.st().Itermax = 32000;
        p.st().Precision = 1e-30f; // never converges: runs to the limit unless stopped

        pressRun(p.w);
        QVERIFY(p.w.running());
        QVERIFY(p.w.cmdStop->isVisible() && p.w.txtIter->isVisible() && !p.w.menuBar()->isEnabled());
        QTRY_VERIFY(!p.w.txtIter->text().isEmpty()); // the count goes on while the window repaints
        pressRun(p.w);                               // no second run meanwhile
        QTest::keyClick(&p.w, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!p.w.running(), 20000);
        QVERIFY(p.w.runWorker().report().stopped);
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        QVERIFY(p.ui().messages().front().text.startsWith("The run was stopped"));
        QCOMPARE(slurp(p.file("Tempo.out")), QByteArray("the results of the previous run\r\n"));
        QVERIFY(p.w.isVisible() && !p.w.cmdStop->isVisible() && !p.w.txtIter->isVisible());
        QVERIFY(p.w.cmdRun->isEnabled() && p.w.menuBar()->isEnabled());
        QCOMPARE(p.ui().beeps(), 0);
    }
};

QTEST_MAIN(TestRunWindow)
#include "test_runwindow.moc"
