// The main input window, the component list, the run-parameter windows, the About window and the
// first start: what each shows, what the user's typing and clicking does, the windows they open,
// problem files opened, saved and stepped through, and runs that never block the window.
#include "app/Startup.h"
#include "database/frmDataparam.h"
#include "database/frmDbs.h"
#include "database/frmHetero.h"
#include "gui/support/guitest.h"
#include "input/RunWorker.h"
#include "input/frmComplist.h"
#include "parameters/frmAbout.h"
#include "parameters/frmCO2.h"
#include "parameters/frmOther.h"
#include "parameters/frmPrecision.h"
#include "results/frmOut1.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QRadioButton>
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

// Copies data/examples/<name> into <scratch>/a/examples and makes <scratch>/a/work the working
// folder, so that the file's "../default.DBS" never reaches outside the scratch folder.
QString placeExample(Program& p, const QString& name) {
    QDir().mkpath(p.file("a/work"));
    QDir().mkpath(p.file("a/examples"));
    p.st().Directory = p.file("a/work").toStdString();
    if (!QFile::copy(sourcePath("data/examples/" + name), p.file("a/examples/" + name))) qFatal("no example");
    return p.file("a/examples/" + name);
}

template <class W> std::function<QWidget*()> seen(App& a) {
    return [&a] { return a.existing<W>(); };
}

template <class W> W* open(Program& p) {
    W& w = p.app().template openFresh<W>();
    w.show();
    return &w;
}
QString chosen(QWidget* w, const char* list) {
    return child<QListWidget>(w, list)->currentItem()->text();
}

// Clicks one of the two closing buttons; the window must be gone afterwards.
void leave(QWidget* w, const char* button) {
    QPointer<QWidget> alive(w);
    click(child<QPushButton>(w, button));
    QTRY_VERIFY(alive.isNull());
}

} // namespace

class TestInput : public QObject {
    Q_OBJECT
  private slots:
    void startsAsDescribedConnectsADatabaseTakesUnitsPhAndDocModesResetsSavesAndOpens() {
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
        choose(w.lstUnits, "Micromol / l"); // the list window shows the converted row
        QCOMPARE(w.lblUnits->text(), QString("Micromol / l"));
        QCOMPARE(rowTexts(p.app().window<frmComplist>(), 1), QStringList{"Na=1000"});

        choose(w.lstpH, "Fixed at...");
        type(w.txtpH, "6.5");
        QCOMPARE(std::tuple(w.txtpH->isVisible(), p.st().PhFixed, p.st().main.txtpH),
                 std::tuple(true, std::string("Yes"), std::string("6.5")));
        choose(w.lstpH, "To be calculated");
        QCOMPARE(std::pair(w.txtpH->isVisible(), p.st().PhFixed), std::pair(false, std::string("No")));
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

        p.connectDefault();
        p.add("Na", "0.002");
        p.add("Cl", "0.002");
        choose(p.w.lstpH, "Fixed at...");
        type(p.w.txtpH, "6.5");
        type(p.w.txtTemp, "15");
        p.ui().chooseFile(p.file("one")); // the extension is added
        p.w.mnuFileSave->trigger();
        const auto& saving = p.ui().fileDialogs().back();
        QCOMPARE(std::tuple(saving.save, saving.filter, saving.dir),
                 std::tuple(true, QString("Input files (*.DAT)|*.DAT"), p.dir()));
        QCOMPARE(p.w.lblFilename->text(), p.file("one.DAT"));

        click(p.w.cmdReset);
        p.ui().cancelFileDialog();
        p.w.mnuFileOpen->trigger(); // a cancel changes nothing
        QCOMPARE(p.w.lblFilename->text(), QString("Unsaved"));
        p.ui().chooseFile(p.file("one.DAT"));
        p.w.mnuFileOpen->trigger();
        QCOMPARE(p.ui().fileDialogs().back().filter, QString("Kelvaspec Input files(*.DAT)|*.DAT"));
        QCOMPARE(std::tuple(p.w.txtTemp->text(), p.w.txtpH->text(), p.w.lstpH->currentItem()->text()),
                 std::tuple(QString(" 15"), QString(" 6.5"), QString("Fixed at...")));
        // The database it names is connected again.
        QCOMPARE(std::tuple(p.w.txtDb->isVisible(), p.w.txtDb->text(), p.w.lblFilename->text(),
                            p.app().window<frmComplist>().txtName[2]->text()),
                 std::tuple(true, p.file("default.DBS"), p.file("one.DAT"), QString("Cl")));
        QVERIFY2(p.ui().messages().empty(), qPrintable(p.said()));

        writeFile(p.file("bad.DAT"), "\"Problem no.\",1\r\n\"Marsh\",\"\"\r\n"); // changes nothing
        p.w.openProblemFile(p.file("bad.DAT"));
        p.toldOnce("Kelvaspec Error: ");
        QCOMPARE(
            std::tuple(p.w.txtDb->isVisible(), p.st().Nmast, p.w.lblFilename->text(), p.w.txtTemp->text()),
            std::tuple(true, i16(2), p.file("one.DAT"), QString(" 15")));
    }

    void theComponentListWindowEditsAndDeletesRowsAFullListIsSaidAndTheMenusOpenTheOtherWindows() {
        InputProgram p;
        p.connectDefault();
        auto& list = p.app().window<frmComplist>();
        for (auto [name, conc] : {std::pair{"Na", "0.002"}, {"Cu", "1E-06"}, {"Cl", "0.004"}})
            p.add(name, conc);
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
        type(list.txtConc[3], "0.0045"); // edited here: the rows shown after a delete come from the state
        click(list.cmdDelete[2]);
        QCOMPARE(rowTexts(list, 2), (QStringList{"Na=0.002", "Cl=0.0045"}));
        QVERIFY(!list.txtName[3]->isVisible() && !list.cmdDelete[3]->isVisible());
        click(list.cmdMain);
        QVERIFY(p.w.isVisible() && !list.isVisible());

        for (int i = 3; i <= 26; ++i) {
            type(p.w.txtCompname, "X" + QString::number(i));
            click(p.w.cmdAdd);
        }
        QCOMPARE(p.st().Nmast, i16(25));
        p.toldOnce("Kelvaspec Error: The list holds at most 25 components"); // the 26th

        // The windows that take the main window's place, and windows beside it.
        auto& a = p.app();
        const std::tuple<QObject*, std::function<QWidget*()>, bool> opens[] = {
            {p.w.cmdEddbs, seen<frmDbs>(a), true},
            {p.w.mnuDatabaseEdit, seen<frmDbs>(a), true},
            {p.w.mnuDatabaseParameters, seen<frmDataparam>(a), true},
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
            QVERIFY2(w && w->isVisible(), by->objectName().toUtf8());
            QCOMPARE(p.w.isVisible(), !replaces);
            w->hide();
            p.w.show();
        }
        auto* about = a.existing<frmAbout>();
        QCOMPARE(about->windowTitle(), QString("Kelvaspec - About this program"));
        QVERIFY(child<QLabel>(about, "lblVersion")->text().startsWith(QString("Version ") + KELVA_VERSION));
        QVERIFY(child<QLabel>(about, "lblLicence")->text().contains("MIT"));
        QVERIFY(!child<QLabel>(about, "lblIcon")->pixmap().isNull());
        screenshot(about, "frmAbout");
        click(child<QPushButton>(about, "cmdMain"));
        QVERIFY(!about->isVisible());
        auto* first = a.existing<frmCO2>();
        p.w.mnuParametersCO2->trigger(); // a run-parameter window is built anew at each opening
        QVERIFY(a.existing<frmCO2>() != first);
    }

    // Both files name "../default.DBS"; it is looked for as written and by its bare name beside them.
    void aDatabaseThatCannotBeFoundIsNamedAndAListIsSteppedThrough() {
        InputProgram p;
        const QString soil = placeExample(p, "soil.DAT");
        p.w.openProblemFile(soil); // as "kelvaspec soil.DAT" does
        p.toldOnce("", ui::Icon::Warning);
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
        click(p.w.cmdNextprob);
        QCOMPARE(std::tuple(p.w.lblNoprob->text(), p.w.txtpH->text()),
                 std::tuple(QString("2"), QString(" 6")));
        click(p.w.cmdPrevprob);
        QCOMPARE(std::tuple(p.w.lblNoprob->text(), p.w.txtpH->text()),
                 std::tuple(QString("1"), QString(" 5")));
    }

    void runsCanBeStoppedGiveTheBatchRunnersResultFileAndTheIterationLimitIsSaidInWords() {
        InputProgram p;
        p.openExample("soil.DAT");
        writeFile(p.file("Tempo.out"), "the results of the previous run\r\n");
        p.st().Itermax = 32000;
        p.st().Precision = 1e-30f; // never converges: runs to the limit unless stopped

        QTest::keyClick(&p.w, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(p.w.running());
        QVERIFY(p.w.cmdStop->isVisible() && p.w.txtIter->isVisible() && !p.w.menuBar()->isEnabled());
        QTRY_VERIFY(!p.w.txtIter->text().isEmpty());           // the count goes on while the window repaints
        QTest::keyClick(&p.w, Qt::Key_R, Qt::ControlModifier); // no second run meanwhile
        QTest::keyClick(&p.w, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!p.w.running(), 20000);
        QVERIFY(p.w.runWorker().report().stopped);
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        QVERIFY(p.ui().messages().front().text.startsWith("The run was stopped"));
        QCOMPARE(readFile(p.file("Tempo.out")), QByteArray("the results of the previous run\r\n"));
        QVERIFY(p.w.isVisible() && !p.w.cmdStop->isVisible() && !p.w.txtIter->isVisible());
        QVERIFY(p.w.cmdRun->isEnabled() && p.w.menuBar()->isEnabled());
        QCOMPARE(p.ui().beeps(), 0);

        p.ui().clearLog();
        p.st().Itermax = 10000; // as the program starts
        p.st().Precision = 0.01f;
        click(p.w.cmdRun);
        QVERIFY(p.w.running() && !p.w.cmdRun->isEnabled());
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
        p.toldOnce("Kelvaspec: Problem 1 stopped at the iteration limit (3 iterations); still failing: ",
                   ui::Icon::Warning);
        QVERIFY(out->isVisible());
    }

    void co2ShowsAndStoresTheFactor() {
        const struct {
            int before; // times the atmosphere's pressure; 0: not fixed (999)
            const char* button;
            QString factor; // typed; empty: nothing typed
            float after;
        } cases[] = {{0, "optFixCO2", "10", float(10 * kAtmosphericCO2)}, // fixed at 10 x
                     {2, "", "", float(2 * kAtmosphericCO2)},             // stored again unchanged
                     {2, "", "abc", 0.0f},                                // letters store 0
                     {5, "optCO2", "", 999.0f}};                          // not fixed is 999
        for (const auto& c : cases) {
            Program p;
            if (c.before) p.st().pCO2 = float(c.before * kAtmosphericCO2);
            auto* w = open<frmCO2>(p);
            QCOMPARE(child<QRadioButton>(w, "optFixCO2")->isChecked(), c.before != 0);
            QCOMPARE(std::pair(shown(w, "txtCO2"), shown(w, "lblCO2")),
                     std::pair(c.before != 0, c.before != 0));
            if (c.before) QCOMPARE(textOf(w, "txtCO2"), QString::number(c.before));
            QCOMPARE(child<QRadioButton>(w, "optFixCO2")->accessibleName(), QString("Fix the CO2 pressure"));
            screenshot(w, c.before ? "frmCO2-fixed" : "frmCO2-not-fixed");
            if (*c.button) click(child<QRadioButton>(w, c.button));
            QCOMPARE(shown(w, "txtCO2"), c.after != 999.0f);
            if (!c.factor.isEmpty()) type(w, "txtCO2", c.factor);
            leave(w, "cmdMain");
            QCOMPARE(p.st().pCO2, c.after);
        }
    }

    // Every field changed, then "Quit without store" (or Esc): nothing shared changes.
    void quitStoresNothingAndPrecisionStores() {
        Program p;
        const auto shared = [&p] {
            const ProgramState& s = p.st();
            return std::tuple(s.pCO2, s.Precision, s.Comrat, s.Cactfract, s.Itermax, s.Directory, s.ProgMode,
                              s.Solver, s.main.txtClay);
        };
        const auto before = shared();
        auto* co2 = open<frmCO2>(p);
        click(child<QRadioButton>(co2, "optFixCO2"));
        type(co2, "txtCO2", "4");
        leave(co2, "cmdQuit");
        auto* precision = open<frmPrecision>(p);
        type(precision, "txtPrecision", "1");
        QPointer<QWidget> alive(precision);
        QTest::keyClick(child<QLineEdit>(precision, "txtPrecision"), Qt::Key_Escape);
        QTRY_VERIFY(alive.isNull());
        auto* other = open<frmOther>(p);
        choose(other, "lstMode", "Aqueous speciation only");
        choose(other, "lstSolver", "Newton");
        for (const char* box : {"txtItermax", "txtComrat", "txtCactfract"}) type(other, box, "7");
        type(other, "txtDirectory", p.file("elsewhere"));
        leave(other, "cmdQuit");
        QVERIFY(shared() == before);

        precision = open<frmPrecision>(p);
        QCOMPARE(textOf(precision, "txtPrecision"), QString("0.01"));
        screenshot(precision, "frmPrecision");
        type(precision, "txtPrecision", "0.001");
        leave(precision, "cmdMain");
        QCOMPARE(p.st().Precision, 0.001f);
    }

    // Water zeroes and hides the main window's sorption inputs; back to Soil shows them, zeroed.
    void otherShowsTheStateWaterAndSoilChangeTheMainWindowAndTheFolderIsMade() {
        InputProgram p;
        frmMain& m = p.w;
        type(m.txtClay, "3");
        type(m.txtSolids, "5");
        type(m.txtGamm, "0.7");
        auto* w = open<frmOther>(p);
        QCOMPARE(
            (QStringList{chosen(w, "lstMode"), chosen(w, "lstSolver"), textOf(w, "txtItermax"),
                         textOf(w, "txtComrat"), textOf(w, "txtCactfract"), textOf(w, "txtDirectory")}),
            (QStringList{"Sorption included", "Successive substitution", "10000", "0.5", "0.65", p.dir()}));
        QCOMPARE(child<QLineEdit>(w, "txtCactfract")->accessibleName(),
                 QString("Dissolved fulvic acid as a fraction of DOC"));
        screenshot(w, "frmOther-soil");
        choose(w, "lstMode", "Aqueous speciation only");
        for (const char* name : {"lblComrat", "txtComrat", "lblCactfract", "txtCactfract"})
            QVERIFY2(!shown(w, name), name);
        screenshot(w, "frmOther-water");
        choose(w, "lstSolver", "Newton");
        type(w, "txtComrat", "0.4");
        type(w, "txtItermax", "-1.5"); // rounded down, as a whole count
        leave(w, "cmdMain");
        QCOMPARE(std::tuple(p.st().ProgMode, p.st().Solver, p.st().Comrat, p.st().Itermax),
                 std::tuple(std::string("Water"), std::string("Newton"), 0.4f, i16(-2)));
        for (QWidget* c :
             std::initializer_list<QWidget*>{m.lblClay, m.txtClay, m.lblCsolid, m.txtSolids, m.lblDocconc,
                                             m.lstDOC, m.txtDOC, m.lblGamm, m.txtGamm})
            QVERIFY2(!c->isVisible(), qPrintable(c->objectName()));

        w = open<frmOther>(p);
        QCOMPARE(chosen(w, "lstSolver"), QString("Newton"));
        choose(w, "lstMode", "Sorption included");
        QVERIFY(shown(w, "txtComrat"));
        type(w, "txtDirectory", "  " + p.file("runs/new") + "/ "); // a new working folder is made
        leave(w, "cmdMain");
        QCOMPARE(std::pair(p.st().ProgMode, QString::fromStdString(p.st().Directory)),
                 std::pair(std::string("Soil"), p.file("runs/new")));
        QVERIFY(QFileInfo(p.file("runs/new")).isDir());
        QVERIFY(m.txtClay->isVisible() && m.txtSolids->isVisible() && m.txtGamm->isVisible());
        QVERIFY(!m.txtDOC->isVisible()); // DOC still "Calculated"
        QCOMPARE(m.txtClay->text(), QString("0.0"));

        // Refused, the window open and nothing stored: a folder that cannot be made, and an iteration
        // limit beyond a 16-bit count (32767.5 is rounded down and kept).
        writeFile(p.file("afile"), "");
        w = open<frmOther>(p);
        type(w, "txtDirectory", p.file("afile/sub"));
        type(w, "txtComrat", "0.25");
        click(child<QPushButton>(w, "cmdMain"));
        type(w, "txtDirectory", p.dir());
        type(w, "txtItermax", "32768");
        click(child<QPushButton>(w, "cmdMain"));
        QCOMPARE(p.ui().messages().size(), std::size_t(2));
        QVERIFY2(p.ui().messages()[1].text.contains("32767"), qPrintable(p.said()));
        QCOMPARE(std::tuple(p.st().Directory, p.st().Itermax, p.st().Comrat),
                 std::tuple(p.file("runs/new").toStdString(), i16(-2), 0.4f));
        type(w, "txtItermax", "32767.5");
        leave(w, "cmdMain");
        QCOMPARE(p.st().Itermax, i16(32767));
    }

    void firstStartCopiesWithoutOverwriting() {
        Program p;
        const QString work = p.file("home/kelvaspec");
        QVERIFY(QDir().mkpath(work));
        writeFile(work + "/water.DAT", "mine");
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", p.file("home").toUtf8());
        p.st().Directory.clear(); // as the program starts: the default folder in the home folder
        prepareWorkingDirectory(p.app(), sourcePath("data"));
        QCOMPARE(QString::fromStdString(p.st().Directory), work);
        for (const char* f : {"default.DBS", "soil.DAT", "sweep.DAT", "multi.DAT"})
            QVERIFY2(QFileInfo::exists(work + "/" + f), f);
        QCOMPARE(readFile(work + "/water.DAT"), QByteArray("mine"));
        QVERIFY(p.ui().messages().empty());
        p.st().Directory = (work + "/water.DAT/sub").toStdString(); // cannot be made
        prepareWorkingDirectory(p.app(), sourcePath("data"));
        QVERIFY2(p.said().contains("water.DAT/sub"), qPrintable(p.said()));
        qputenv("HOME", home);
    }
};

QTEST_MAIN(TestInput)
#include "test_input.moc"
