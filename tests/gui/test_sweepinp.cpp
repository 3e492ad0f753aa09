// The multi-problem menu: pages of separate pH values, the number of problems, the selection,
// refused values, going back, and a run of each kind compared with the batch runner.
#include "gui/support/guitest.h"
#include "results/frmOut1.h"
#include "results/frmSweepout.h"
#include "sweep/frmSweepinp.h"

#include <QCheckBox>
#include <QLabel>

using namespace kelva;
using namespace kelva::guitest;

namespace {

// A small soil problem in the main window with the default database, and the menu opened.
class SweepProgram : public InputProgram {
  public:
    explicit SweepProgram(bool open = true) {
        connectDefault();
        for (auto [name, conc] : {std::pair{"Na", "0.002"}, {"Cu", "1E-06"}, {"Cl", "0.004"}})
            add(name, conc);
        type(w.txtSolids, "100");
        if (open) openMenu();
    }
    void openMenu() {
        w.mnuMulti->trigger();
        g = app().existing<frmSweepinp>();
        QVERIFY(g->isVisible() && !w.isVisible());
    }
    void choose(const QString& entry, const QString& unit = {}) {
        const int i = g->cboComp2->findText(entry);
        QVERIFY2(i >= 0, qPrintable("no entry " + entry));
        pick(g->cboComp2, i);
        if (!unit.isEmpty()) guitest::choose(g->lstUnit, unit);
    }
    void select(const QString& entry, const QString& unit = {}) {
        choose(entry, unit);
        click(g->cmdAdd);
    }
    int boxes() const {
        int n = 0;
        for (int i = 1; i <= 10; ++i) n += g->txtSweepval[i]->isVisible() ? 1 : 0;
        return n;
    }
    void typeValues(const QStringList& pH) {
        for (int k = 1; k <= pH.size(); ++k) {
            if (k == 11) click(g->cmdNext10);
            type(g->txtSweepval[(k - 1) % 10 + 1], pH[k - 1]);
        }
    }
    frmSweepinp* g = nullptr;
};

} // namespace

class TestSweepinp : public QObject {
    Q_OBJECT
  private slots:
    void theNumberOfProblemsIsHeldWithin1To20() {
        for (const auto& [typed, shown] : {std::pair{"25", 20}, {"0", 1}, {"many", 1}, {"7.5", 7}}) {
            SweepProgram p;
            click(p.g->chkMulti);
            type(p.g->txtSweepno, typed);
            click(p.g->cmdSave);
            QCOMPARE(
                std::tuple(p.g->txtSweepno->text(), p.st().Multino.v, int(p.st().Nsweep), p.st().Multicap),
                std::tuple(QString::number(shown), double(shown), shown, std::string("1")));
            // Back in the main window, which now steps through the problems from problem 1.
            QVERIFY(p.w.isVisible() && !p.g->isVisible() && p.w.cmdNextprob->isVisible());
            QCOMPARE(p.w.lblNoprob->text(), QString("1"));
        }
    }

    // Offered after the components: DOC in soil mode and the species they form, carbonates only
    // with a fixed CO2 pressure.
    void theEntriesOfferedFollowTheProblem() {
        const QStringList carbonate{"HCO3-", "CuCO3", "NaCO3-", "CuHCO3+"};
        const struct {
            bool co2Fixed;
            const char* mode;
            QStringList offered, notOffered;
        } cases[] = {{false, "Soil", {"CuOH+", "CuCl2", "DOC"}, carbonate + QStringList{"CaOH+", "ZnCl+"}},
                     {true, "Soil", carbonate, {"MgOH+", "FeCl+"}},
                     {false, "Water", {"CuCl+"}, {"DOC"}}};
        for (const auto& c : cases) {
            SweepProgram p(false);
            if (c.co2Fixed) p.st().pCO2 = 3.5e-4f;
            p.st().ProgMode = c.mode;
            p.openMenu();
            QStringList got;
            for (int i = 0; i < p.g->cboComp2->count(); ++i) got << p.g->cboComp2->itemText(i);
            for (const auto& s : c.offered) QVERIFY2(got.contains(s), qPrintable(s + " is not offered"));
            for (const auto& s : c.notOffered) QVERIFY2(!got.contains(s), qPrintable(s + " is offered"));
        }
    }

    void theUnitListFollowsTheEntryTheSelectionHoldsPhAndSevenMoreAndPagesFollowTheNumberOfProblems() {
        SweepProgram p;
        QCOMPARE(
            std::tuple(p.g->cboComp2->itemText(0), p.g->cboComp2->itemText(2), p.g->cboComp2->currentIndex()),
            std::tuple(QString("Na"), QString("Cl"), -1)); // the components first, nothing chosen
        click(p.g->cmdAdd);                                // nothing chosen: only a beep
        QCOMPARE(std::tuple(p.ui().beeps(), p.st().Nsel.v), std::tuple(1, 1.0));
        const QStringList component{"Concentration", "Activity", "Log Activity", "Total dissolved"};
        const QStringList species = component.mid(0, 3);
        const std::tuple<QString, QString, QStringList, QString> steps[] = {
            {"Cu", "Total dissolved", component, "Total dissolved"},
            {"CuOH+", "", species, "Concentration"}, // "Total dissolved" falls back
            {"DOC", "", {"Conc. (mg/l)"}, "Conc. (mg/l)"},
            {"Cl", "", component, "Concentration"}, // the last component is one too
        };
        for (const auto& [entry, unit, units, selected] : steps) {
            p.choose(entry, unit);
            QStringList got;
            for (int i = 0; i < p.g->lstUnit->count(); ++i) got << p.g->lstUnit->item(i)->text();
            QCOMPARE(std::pair(got, p.g->lstUnit->currentItem()->text()), std::pair(units, selected));
        }
        for (int i = 0; i < 7; ++i) p.select("CuOH+", "Activity");
        QVERIFY(p.ui().messages().empty());
        screenshot(p.g, "frmSweepinp-selection"); // full: pH and seven more
        QCOMPARE(std::tuple(p.g->lblConame[8]->text(), p.g->lblCotype[8]->text()),
                 std::tuple(QString("CuOH+"), QString("Activity")));
        click(p.g->cmdAdd);
        QCOMPARE(std::pair(p.ui().messages()[0].icon, p.st().Nsel.v), std::pair(ui::Icon::Stop, 8.0));
        QCOMPARE(p.said(), QString("Kelvaspec error: No more than seven species + the sweep component can be "
                                   "selected for sweep output"));
        click(p.g->cmdNewsel);
        QCOMPARE(std::tuple(p.g->lblConame[1]->text(), p.g->lblConame[2]->text(), p.st().Nsel.v),
                 std::tuple(QString("pH"), QString(), 1.0));

        click(p.g->chkpH);
        type(p.g->txtSweepno, "25"); // held at 20: two pages of ten
        click(p.g->cmdSepar);
        QCOMPARE(p.st().Sweepmode, std::string("Sweep - no increment"));
        QVERIFY(!p.g->txtStartpH->isVisible() && p.g->cmdStartincr->isVisible() &&
                !p.g->cmdPrev10->isVisible());
        QCOMPARE(std::pair(p.boxes(), p.g->cmdNext10->text()), std::pair(10, QString("Next 10")));
        type(p.g->txtSweepval[3], "6.5");
        screenshot(p.g, "frmSweepinp-separate");
        click(p.g->cmdNext10);
        QCOMPARE(std::tuple(p.boxes(), p.g->cmdNext10->isVisible(), p.g->cmdPrev10->isVisible()),
                 std::tuple(10, false, true));
        type(p.g->txtSweepval[1], "7.5");
        click(p.g->cmdPrev10);
        QCOMPARE(std::tuple(p.boxes(), p.g->cmdPrev10->isVisible(), p.g->txtSweepval[3]->text(),
                            p.st().SweeppH[11]),
                 std::tuple(10, false, QString("6.5"), std::string("7.5"))); // the values stay
        type(p.g->txtSweepno, "13"); // the count can change while the values are shown
        QCOMPARE(std::pair(p.boxes(), p.g->cmdNext10->text()), std::pair(10, QString("Next 3")));
        click(p.g->cmdNext10);
        QCOMPARE(p.boxes(), 3);
        type(p.g->txtSweepno, "8"); // the second page holds no value any more: back to the first
        QCOMPARE(std::tuple(p.boxes(), p.g->cmdNext10->isVisible(), p.g->cmdPrev10->isVisible()),
                 std::tuple(8, false, false));
        type(p.g->txtSweepno, "10"); // exactly one page
        QCOMPARE(std::pair(p.boxes(), p.g->cmdNext10->isVisible()), std::pair(10, false));
    }

    void aListGoesBackToFewerProblemsOrToTheRestStateAndClosingAsks() {
        SweepProgram p(false);
        p.copyData("default.DBS");
        p.w.openProblemFile(p.copyData("examples/multi.DAT")); // three problems entered one by one
        click(p.w.cmdNextprob);
        click(p.w.cmdNextprob);
        p.openMenu();
        QCOMPARE(p.st().Multiactive, std::string("1"));
        type(p.g->txtSweepno, "2"); // fewer problems: the list keeps its first two
        for (auto answer : {ui::Answer::Cancel, ui::Answer::Yes}) { // closing asks: stay, then keep
            p.ui().answerNextMessage(answer);
            p.g->close();
        }
        QCOMPARE(p.ui().messages().size(), std::size_t(2));
        QCOMPARE(std::tuple(p.w.lblNoprob->text(), p.w.txtpH->text(), int(p.st().Nprob)),
                 std::tuple(QString("2"), QString(" 6"), 2));
        click(p.w.cmdNextprob);
        QCOMPARE(p.w.lblNoprob->text(), QString("2"));

        p.openMenu();
        click(p.g->chkpH); // a sweep is one problem in the main window
        QVERIFY(!p.st().main.navVisible);
        click(p.g->cmdSepar);
        type(p.g->txtSweepno, "12");
        type(p.g->txtSweepval[1], "5");
        p.select("Cu", "Activity");
        click(p.g->cmdCancel);
        QVERIFY(p.w.isVisible() && !p.g->isVisible() && !p.w.cmdNextprob->isVisible());
        p.openMenu(); // at rest again
        QVERIFY(!p.g->chkMulti->isChecked() && !p.g->chkpH->isChecked() && p.g->txtSweepno->text().isEmpty());
        QVERIFY(!p.g->txtStartpH->isVisible() && !p.g->cmdSepar->isVisible() && p.boxes() == 0);
        QCOMPARE(p.g->lblConame[2]->text(), QString()); // the selection is gone
        screenshot(p.g, "frmSweepinp-rest");
        const QSize least = p.g->minimumSizeHint(); // fits a 1366x768 screen
        QVERIFY2(least.width() <= 1366 && least.height() <= 700, qPrintable(QString::number(least.height())));
        p.g->resize(1280, 800);
        screenshot(p.g, "frmSweepinp-large");
        click(p.g->chkMulti); // a new list after the cancel: from one problem, with its navigation
        click(p.g->cmdSave);
        QVERIFY(p.w.cmdNextprob->isVisible());
        p.openMenu();
        p.ui().answerNextMessage(ui::Answer::No); // closed and discarded, as "Cancel and Back"
        p.g->close();
        QVERIFY(p.w.isVisible() && !p.w.cmdNextprob->isVisible() && p.st().Sweepmode == "No");
    }

    void valuesThatAreNoNumbersAreRefused() {
        const struct {
            QString start, step;
            int blank;       // separate values: the problem left empty
            const char* box; // shown, on its page
            QString says;
        } cases[] = {{"", "0.5", 0, "txtStartpH", "The box \"Start pH\" (the pH of problem 1) is empty."},
                     {"7,5", "0.5", 0, "txtStartpH",
                      "The box \"Start pH\" (the pH of problem 1) holds \"7,5\", which is not a number."},
                     {"4", " ", 0, "txtIncpH", "The box \"Increment between values\" is empty."},
                     {"", "", 12, "txtSweepval_2", "The pH value of problem 12 is empty."}};
        for (const auto& c : cases) {
            SweepProgram p;
            click(p.g->chkpH);
            type(p.g->txtSweepno, "12");
            type(p.g->txtStartpH, c.start);
            type(p.g->txtIncpH, c.step);
            if (c.blank > 0) {
                click(p.g->cmdSepar);
                QStringList values;
                for (int k = 1; k <= 12; ++k) values << (k == c.blank ? "" : QString::number(4 + k));
                p.typeValues(values);
                click(p.g->cmdPrev10);
            }
            click(p.g->cmdSave);
            p.toldOnce("Kelvaspec error: " + c.says);
            QCOMPARE(p.st().Multicap, std::string("0"));                            // nothing saved
            QVERIFY(p.g->isVisible() && child<QLineEdit>(p.g, c.box)->isVisible()); // on the value's page
        }
    }

    void eachKindOfRunGivesTheBatchRunnersResults_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("pH");
        QTest::addColumn<QString>("shot");
        QTest::newRow("Only multi") << "Only multi" << QStringList{"5", "6", "7.5"} << "multi";
        QTest::newRow("Sweep - increment")
            << "Sweep - increment" << QStringList{"4", "4.5", "5", "5.5"} << "increment";
    }
    void eachKindOfRunGivesTheBatchRunnersResults() {
        QFETCH(QString, kind);
        QFETCH(QStringList, pH);
        QFETCH(QString, shot);
        SweepProgram p;
        const bool multi = kind == "Only multi";
        click(multi ? p.g->chkMulti : p.g->chkpH);
        type(p.g->txtSweepno, QString::number(pH.size()));
        if (!multi) {
            type(p.g->txtStartpH, pH.front());
            type(p.g->txtIncpH, "0.5");
        }
        p.select("Cu", "Total dissolved");
        p.select("CuOH+", "Log Activity");
        p.select("DOC");
        screenshot(p.g, "frmSweepinp-" + shot);
        click(p.g->cmdSave);
        if (multi) { // the problems one by one, through the main window
            for (int k = 1; k <= pH.size(); ++k) {
                if (k > 1) click(p.w.cmdNextprob);
                QCOMPARE(p.w.lblNoprob->text(), QString::number(k));
                guitest::choose(p.w.lstpH, "Fixed at...");
                type(p.w.txtpH, pH[k - 1]);
            }
        } else {
            QCOMPARE(std::tuple(p.w.txtpH->text(), p.w.txtpH->isVisible(), p.w.cmdNextprob->isVisible()),
                     std::tuple(pH.front(), true, false));
        }

        if (kind == "Sweep - increment") { // a start that is no number: the run refuses, in the core's words
            type(p.w.txtpH, "four");
            click(p.w.cmdRun);
            QVERIFY(!p.w.running() && !QFile::exists(p.file("Temp.dat")));
            p.toldOnce("Kelvaspec Error: ");
            QVERIFY2(p.said().contains("\"four\", which is not a number"), qPrintable(p.said()));
            p.ui().clearLog();
            type(p.w.txtpH, pH.front());
        }
        click(p.w.cmdRun);
        QTRY_VERIFY_WITH_TIMEOUT(!p.w.running(), 120000);
        p.ui().chooseFile(p.file("same.DAT"));
        p.w.mnuFileSave->trigger();
        QVERIFY2(p.ui().messages().empty(), qPrintable(p.said()));
        QCOMPARE(readFile(p.file("Tempo.out")), runBatch(p, p.file("same.DAT"), "batch.OUT"));

        // The sweep table of the run: the selection and the pH of every problem.
        click(child<QPushButton>(p.app().existing<frmOut1>(), "cmdSweep"));
        QWidget* sweep = &p.app().window<frmSweepout>();
        QCOMPARE(row(sweep, "grdSweep", 0), (QStringList{"Problem no.", "pH", "Cu", "CuOH+", "DOC"}));
        QCOMPARE(child<ui::Grid>(sweep, "grdSweep")->rowCount(), int(pH.size()) + 2);
        for (int r = 2; r < pH.size() + 2; ++r) QCOMPARE(row(sweep, "grdSweep", r)[1], " " + pH[r - 2]);
    }
};

QTEST_MAIN(TestSweepinp)
#include "test_sweepinp.moc"
