// The main input window and the component list window: what they show, what typing, choosing
// and clicking does to the state, problem files opened, saved and stepped through, and runs:
// the refusals, a run whose result file is the batch runner's, the iteration limit said in
// words, and stopping a long run.
#include "database/frmDataparam.h"
#include "database/frmDbs.h"
#include "database/frmHetero.h"
#include "gui/support/inputwindow.h"
#include "input/RunWorker.h"
#include "input/frmComplist.h"
#include "parameters/frmAbout.h"
#include "parameters/frmCO2.h"
#include "parameters/frmOther.h"
#include "parameters/frmPrecision.h"
#include "results/frmOut1.h"
#include "sweep/frmSweepinp.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <functional>

using namespace kelva;
using namespace kelva::guitest;

namespace {

QString accessibleName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

QStringList rowTexts(frmComplist& c, int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i) out << c.txtName[i]->text().trimmed() + "=" + c.txtConc[i]->text().trimmed();
    return out;
}

// The window of type W, if it exists.
template <class W> std::function<QWidget*()> seen(App& a) {
    return [&a] { return a.existing<W>(); };
}

void pressRun(frmMain& w) {
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
}

// Copies data/examples/<name> into <scratch>/a/examples and makes <scratch>/a/work the working
// folder, so that the file's "../default.DBS" never reaches outside the scratch folder.
QString placeExample(Program& p, const QString& name) {
    QDir().mkpath(p.file("a/work"));
    QDir().mkpath(p.file("a/examples"));
    p.st().Directory = p.file("a/work").toStdString();
    if (!QFile::copy(sourcePath("data/examples/" + name), p.file("a/examples/" + name))) qFatal("no example");
    return p.file("a/examples/" + name);
}

} // namespace

class TestInput : public QObject {
    Q_OBJECT
  private slots:
    void startsAsDescribedThenConnectsADatabaseAndTakesUnitsPhAndDocModesAndReset() {
        InputProgram p;
        frmMain& w = p.w;
        QCOMPARE(w.windowTitle(), QString("Kelvaspec - Input"));
        QCOMPARE((QStringList{w.txtTemp->text(), w.txtGamm->text(), w.txtCompname->text()}),
                 (QStringList{"25.0", "1.00", "Connect database"}));
        // Until a database is loaded: no database box, no editor button, no database menu. The pH
        // is "To be calculated" (as the start state has it) and its box hidden; no navigation.
        QVERIFY(!w.txtDb->isVisible() && !w.cmdEddbs->isVisible() && !w.mnuDatabase->isEnabled());
        QCOMPARE(w.lstpH->currentItem()->text(), QString("To be calculated"));
        QVERIFY(!w.txtpH->isVisible() && !w.txtDOC->isVisible() && w.txtGamm->isVisible());
        QVERIFY(!w.lblThisis->isVisible() && !w.cmdNextprob->isVisible() && !w.txtIter->isVisible());
        QStringList menus;
        for (QAction* a : w.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus.join(' '),
                 QString("&File &Parameters &Database management &Multi-problem / Sweep &Help"));
        // Names a screen reader finds: captionless controls say what they are.
        QCOMPARE(
            (QStringList{accessibleName(w.cmdRun), w.cmdRun->toolTip(), accessibleName(w.txtConc),
                         accessibleName(w.lstCompnames)}),
            (QStringList{"Run", "Run (Ctrl+R)", "Total concentration", "Component names of the database"}));
        QVERIFY(w.cmdRun->text().isEmpty() && !w.cmdRun->icon().isNull());
        QCOMPARE(w.Label12->buddy(), static_cast<QWidget*>(w.txtConc));

        p.ui().cancelFileDialog();
        click(w.cmdDatabase);
        QVERIFY(!w.txtDb->isVisible()); // a cancel changes nothing
        p.connectDefault();
        const auto& asked = p.ui().fileDialogs().back();
        QCOMPARE(std::tuple(asked.filter, asked.dir),
                 std::tuple(QString("Database files(*.DBS)|*.DBS"), p.dir()));
        QCOMPARE(ui::toQtFilter(asked.filter), QString("Database files (*.DBS *.dbs)")); // either case
        QVERIFY(w.txtDb->isVisible() && w.cmdEddbs->isVisible() && w.mnuDatabase->isEnabled());
        QCOMPARE(w.txtDb->text(), p.file("default.DBS"));
        QCOMPARE(std::pair(w.lstCompnames->count(), w.lstCompnames->item(0)->text()),
                 std::pair(26, QString("Na"))); // the 28 components but H+ and OH-

        p.add("Na", "0.001");
        p.add("Cl", "0.0025");
        choose(w.lstUnits, "Micromol / l"); // every row is converted
        QCOMPARE(w.lblUnits->text(), QString("Micromol / l"));
        QCOMPARE(rowTexts(p.app().window<frmComplist>(), 2), (QStringList{"Na=1000", "Cl=2500"}));

        choose(w.lstpH, "Fixed at...");
        QVERIFY(w.txtpH->isVisible());
        QCOMPARE(p.st().PhFixed, std::string("Yes"));
        type(w.txtpH, "6.5");
        QCOMPARE(p.st().main.txtpH, std::string("6.5"));
        choose(w.lstpH, "To be calculated");
        QVERIFY(!w.txtpH->isVisible());
        QCOMPARE(p.st().PhFixed, std::string("No"));
        choose(w.lstDOC, "Fixed");
        QVERIFY(w.txtDOC->isVisible() && !w.txtGamm->isVisible() && !w.lblGamm->isVisible());
        choose(w.lstDOC, "Calculated");
        QVERIFY(!w.txtDOC->isVisible() && w.txtGamm->isVisible());

        type(w.txtTemp, "10");
        click(w.cmdReset); // a fresh, unsaved problem; the working folder stays
        QVERIFY(!w.txtDb->isVisible() && !w.cmdEddbs->isVisible() && w.txtpH->isVisible());
        QCOMPARE(std::tuple(w.lstCompnames->count(), p.st().Nmast, p.st().Directory),
                 std::tuple(0, i16(0), p.dir().toStdString()));
        QCOMPARE((QStringList{w.txtTemp->text(), w.txtCompname->text(), w.lblUnits->text(),
                              w.lstpH->currentItem()->text()}),
                 (QStringList{"25.0", "Connect database", "Mol / l", "Fixed at..."}));
    }

    void addingEditingAndDeletingComponents() {
        InputProgram p;
        p.connectDefault();
        auto& list = p.app().window<frmComplist>();
        p.add("Na", "0.001");
        p.add("Cu", "1E-06");
        p.add("Cl", "0.004");
        p.add("Na", "0.002"); // the same name again replaces its concentration
        type(p.w.txtCompname, "  ");
        click(p.w.cmdAdd); // a blank name adds nothing
        QCOMPARE(rowTexts(list, p.st().Nmast), (QStringList{"Na=0.002", "Cu=1E-06", "Cl=0.004"}));
        choose(p.w.lstpH, "Fixed at...");
        type(p.w.txtSolids, "100");
        p.w.resize(1000, 680);
        screenshot(&p.w, "frmMain");
        // The smallest the window can be still fits a 1366x768 screen, and shows every caption.
        const QSize least = p.w.minimumSizeHint();
        QVERIFY2(least.width() <= 1366 && least.height() <= 700,
                 qPrintable(QString("%1x%2").arg(least.width()).arg(least.height())));
        p.w.resize(least);
        screenshot(&p.w, "frmMain-smallest");

        click(p.w.cmdEdlist);
        QVERIFY(list.isVisible() && !p.w.isVisible());
        QCOMPARE(list.windowTitle(), QString("Kelvaspec - List of components"));
        QVERIFY(list.txtName[3]->isVisible() && !list.txtName[4]->isVisible());
        screenshot(&list, "frmComplist");
        type(list.txtConc[3], "0.0045"); // edited here, used by the next run or save
        QCOMPARE(p.st().rows[3].txtConc, std::string("0.0045"));
        click(list.cmdDelete[2]);
        QCOMPARE(rowTexts(list, 2), (QStringList{"Na=0.002", "Cl=0.0045"}));
        QVERIFY(!list.txtName[3]->isVisible() && !list.cmdDelete[3]->isVisible());
        QCOMPARE(p.st().Nmast, 2);
        click(list.cmdMain);
        QVERIFY(p.w.isVisible() && !list.isVisible());

        for (int i = 3; i <= 26; ++i) {
            type(p.w.txtCompname, "X" + QString::number(i));
            click(p.w.cmdAdd);
        }
        QCOMPARE(std::pair(p.st().Nmast, p.ui().messages()[0].icon), std::pair(i16(25), ui::Icon::Stop));
        QCOMPARE(p.said(), QString("Kelvaspec Error: The list holds at most 25 components")); // the 26th
    }

    void menusAndButtonsOpenTheOtherWindows() {
        InputProgram p;
        p.connectDefault();
        p.st().Sweepmode = "Only multi";
        auto& a = p.app();
        // Windows that take the main window's place, and windows beside it.
        const std::tuple<QObject*, std::function<QWidget*()>, bool> opens[] = {
            {p.w.cmdEddbs, seen<frmDbs>(a), true},
            {p.w.mnuDatabaseEdit, seen<frmDbs>(a), true},
            {p.w.mnuDatabaseParameters, seen<frmDataparam>(a), true},
            {p.w.mnuMulti, seen<frmSweepinp>(a), true},
            {p.w.cmdOutput, seen<frmOut1>(a), true},
            {p.w.mnuDatabaseHetero, seen<frmHetero>(a), false},
            {p.w.mnuParametersCO2, seen<frmCO2>(a), false},
            {p.w.mnuParametersPrecision, seen<frmPrecision>(a), false},
            {p.w.mnuParametersOther, seen<frmOther>(a), false},
            {p.w.mnuHelpAbout, seen<frmAbout>(a), false}};
        for (const auto& [by, window, replaces] : opens) {
            if (auto* b = qobject_cast<QAbstractButton*>(by))
                click(b);
            else
                qobject_cast<QAction*>(by)->trigger();
            QWidget* w = window();
            QVERIFY(w && w->isVisible());
            QCOMPARE(p.w.isVisible(), !replaces);
            w->hide();
            p.w.show();
        }
        QCOMPARE(p.st().Multiactive, std::string("1")); // the generator opened on an "Only multi" list
        auto* first = a.existing<frmCO2>();
        p.w.mnuParametersCO2->trigger(); // a run-parameter window is built anew at each opening
        QVERIFY(a.existing<frmCO2>() != first);
    }

    void savingAndOpeningASingleProblemOrOneThatCannotBeRead() {
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
        QVERIFY(readFile(p.file("one.DAT")).contains("\"Equilibrium pH\",6.5"));

        click(p.w.cmdReset);
        p.ui().cancelFileDialog();
        p.w.mnuFileOpen->trigger(); // a cancel changes nothing
        QCOMPARE(p.w.lblFilename->text(), QString("Unsaved"));
        p.ui().chooseFile(p.file("one.DAT"));
        p.w.mnuFileOpen->trigger();
        QCOMPARE(p.ui().fileDialogs().back().filter, QString("Kelvaspec Input files(*.DAT)|*.DAT"));
        QCOMPARE(std::tuple(p.w.txtTemp->text(), p.w.txtpH->text(), p.w.lstpH->currentItem()->text()),
                 std::tuple(QString(" 15"), QString(" 6.5"), QString("Fixed at...")));
        QCOMPARE(p.w.txtDb->text(), p.file("default.DBS")); // the database it names is connected again
        QVERIFY(p.w.txtDb->isVisible());
        QCOMPARE(p.app().window<frmComplist>().txtName[2]->text(), QString("Cl"));
        QCOMPARE(p.w.lblFilename->text(), p.file("one.DAT"));
        QVERIFY2(p.ui().messages().empty(), qPrintable(p.said()));

        writeFile(p.file("bad.DAT"), "\"Problem no.\",1\r\n\"Marsh\",\"\"\r\n"); // changes nothing
        p.w.openProblemFile(p.file("bad.DAT"));
        QVERIFY2(p.said().startsWith("Kelvaspec Error: ") && p.said().contains("Marsh"),
                 qPrintable(p.said()));
        QVERIFY(p.w.txtDb->isVisible());
        QCOMPARE(std::tuple(p.st().Nmast, p.w.lblFilename->text(), p.w.txtTemp->text()),
                 std::tuple(i16(2), p.file("one.DAT"), QString(" 15")));
    }

    // Both files name "../default.DBS"; it is looked for as written and by its bare name beside them.
    void aDatabaseThatCannotBeFoundIsNamedAndAListIsSteppedThrough() {
        InputProgram p;
        const QString soil = placeExample(p, "soil.DAT");
        p.w.openProblemFile(soil); // as "kelvaspec soil.DAT" does
        QCOMPARE(std::pair(p.ui().messages().size(), p.ui().messages()[0].icon),
                 std::pair(std::size_t(1), ui::Icon::Warning));
        QVERIFY2(p.said().contains("\"../default.DBS\"") && p.said().contains(p.file("a/default.DBS")) &&
                     p.said().contains(p.file("a/examples/default.DBS")),
                 qPrintable(p.said()));
        QVERIFY(!p.w.txtDb->isVisible()); // the database stays unconnected; the problem is shown
        QCOMPARE(std::tuple(p.w.txtSolids->text(), p.w.lblFilename->text()),
                 std::tuple(QString(" 100"), soil));

        p.ui().clearLog();
        QFile::copy(sourcePath("data/default.DBS"), p.file("a/examples/default.DBS"));
        p.w.openProblemFile(placeExample(p, "multi.DAT"));
        QVERIFY2(p.ui().messages().empty(), qPrintable(p.said()));
        QCOMPARE(p.w.txtDb->text(), p.file("a/examples/default.DBS")); // by its bare name beside the file
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
        const QByteArray saved = readFile(p.file("saved.DAT"));
        QCOMPARE(saved.count("\"END\""), 3);
        QVERIFY(saved.contains("6.25"));
        QVERIFY2(p.ui().messages().empty(), qPrintable(p.said()));
    }

    void refusalsAreMessageBoxes() {
        InputProgram p;
        const QString says[] = {
            "Running Kelvaspec without connecting a database is not a particularly good idea",
            "You have to add components before running Kelvaspec",
            "In sorption mode, the concentration of total solids must have a value > 0. Either change "
            "program "
            "mode or change solids value!"};
        for (int step = 0; step < 3; ++step) {
            if (step == 1) p.connectDefault();
            if (step == 2) p.add("Na", "0.001");
            p.ui().clearLog();
            pressRun(p.w);
            QVERIFY(!p.w.running() && !QFile::exists(p.file("Temp.dat")));
            QCOMPARE(p.ui().messages().size(), std::size_t(1));
            const auto& m = p.ui().messages()[0];
            QCOMPARE(std::tuple(m.title, m.text, m.icon),
                     std::tuple(QString("Kelvaspec Error"), says[step], ui::Icon::Stop));
        }
    }

    void aRunGivesTheBatchRunnersResultFileAndTheIterationLimitIsSaidInWords() {
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

        App::handOver(out, &p.w); // back, and a run that stops at the iteration limit
        p.ui().clearLog();
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
        QVERIFY(out->isVisible());
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

QTEST_MAIN(TestInput)
#include "test_input.moc"
