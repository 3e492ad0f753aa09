// Runs from the main window: the refusals, a run whose result file is the batch runner's, the
// iteration limit said in words, and stopping a long run.
#include "gui/support/inputwindow.h"
#include "input/RunWorker.h"
#include "results/frmOut1.h"

#include <QMenuBar>

using namespace kelva;
using namespace kelva::guitest;

namespace {
void pressRun(frmMain& w) {
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
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
        const auto& m = p.ui().messages()[0];
        QCOMPARE(std::tuple(m.title, m.text, m.icon),
                 std::tuple(QString("Kelvaspec Error"), says, ui::Icon::Stop));
        QVERIFY(!QFile::exists(p.file("Temp.dat")));
    }

    void aRunGivesTheBatchRunnersResultFile() {
        InputProgram p;
        p.openExample("soil.DAT");
        click(p.w.cmdRun);
        QVERIFY(p.w.running());
        QVERIFY(!p.w.cmdRun->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!p.w.running(), 60000);
        QVERIFY2(p.ui().messages().empty(), qPrintable(p.said()));
        QCOMPARE(p.ui().beeps(), 3);
        auto* out = p.app().existing<frmOut1>();
        QVERIFY(out && out->isVisible() && !p.w.isVisible()); // the result side opens in place of the input
        QCOMPARE(readFile(p.file("Tempo.out")), runBatch(p, p.file("soil.DAT"), "batch.OUT"));
        QCOMPARE(p.st().main.txtSolids, std::string(" 100")); // the window shows its problem again
    }

    void theIterationLimitIsSaidInWords() {
        InputProgram p;
        p.openExample("water.DAT");
        p.st().Itermax = 3;
        click(p.w.cmdRun);
        QTRY_VERIFY_WITH_TIMEOUT(!p.w.running(), 60000);
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        const auto& m = p.ui().messages().front();
        QVERIFY2(
            m.text.startsWith("Problem 1 stopped at the iteration limit (3 iterations); still failing: "),
            qPrintable(m.text));
        QCOMPARE(m.icon, ui::Icon::Warning);
        QVERIFY(p.app().existing<frmOut1>()->isVisible());
    }

    void aLongRunCanBeStoppedAndKeepsThePreviousResults() {
        InputProgram p;
        p.openExample("soil.DAT");
        writeFile(p.file("Tempo.out"), "the results of the previous run\r\n");
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
        QCOMPARE(readFile(p.file("Tempo.out")), QByteArray("the results of the previous run\r\n"));
        QVERIFY(p.w.isVisible() && !p.w.cmdStop->isVisible() && !p.w.txtIter->isVisible());
        QVERIFY(p.w.cmdRun->isEnabled() && p.w.menuBar()->isEnabled());
        QCOMPARE(p.ui().beeps(), 0);
    }
};

QTEST_MAIN(TestRunWindow)
#include "test_runwindow.moc"
