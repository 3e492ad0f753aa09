// The main input window and the component list window: what they show, and what typing,
// choosing and clicking does to the state.
#include "database/frmDataparam.h"
#include "database/frmDbs.h"
#include "database/frmHetero.h"
#include "gui/support/inputwindow.h"
#include "input/frmComplist.h"
#include "parameters/frmAbout.h"
#include "parameters/frmCO2.h"
#include "parameters/frmOther.h"
#include "parameters/frmPrecision.h"
#include "results/frmOut1.h"
#include "run/readinput.h"
#include "sweep/frmSweepinp.h"

#include <QAccessible>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
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

} // namespace

class TestInput : public QObject {
    Q_OBJECT
  private slots:
    void startsAsTheWindowIsDescribed() {
        InputProgram p;
        frmMain& w = p.w;
        QCOMPARE(w.windowTitle(), QString("Kelvaspec - Input"));
        const std::pair<const char*, const char*> captions[] = {
            {"Label1", "Kelvaspec"},
            {"cmdDatabase", "Connect database"},
            {"cmdEddbs", "View and edit database"},
            {"Label10", "Add components"},
            {"Label11", "Component name"},
            {"Label12", "Total concentration"},
            {"Label9", "Units of concentration"},
            {"lblUnits", "Mol / l"},
            {"cmdAdd", "Add to list"},
            {"cmdEdlist", "View and Edit list"},
            {"Label3", "Temperature (deg C)"},
            {"Label6", "Total humic and fulvic acid (g/l)"},
            {"Label7", "% Fulvic acid"},
            {"lblDocconc", "DOC concentration (mg/l)"},
            {"lblGamm", "Gamma value"},
            {"lblClay", "Concentration clay (g/l)"},
            {"lblCsolid", "Concentration total solids (g/l)"},
            {"Label4", "File:"},
            {"lblFilename", "Unsaved"},
            {"lblThisis", "This is problem no."},
            {"cmdPrevprob", "Previous problem"},
            {"cmdNextprob", "Next problem"},
            {"lblIter", "Iteration no."},
            {"cmdOutput", "View output files"},
            {"cmdReset", "Reset"}};
        for (const auto& [name, caption] : captions) {
            QWidget* c = w.findChild<QWidget*>(name);
            QVERIFY2(c, name);
            const QString text = qobject_cast<QLabel*>(c) ? static_cast<QLabel*>(c)->text()
                                                          : static_cast<QAbstractButton*>(c)->text();
            QCOMPARE(QString(text).remove('&'), QString(caption));
        }
        const std::pair<const char*, const char*> defaults[] = {
            {"txtTemp", "25.0"},  {"txtHA", "0.0"},
            {"txtFA", "0.0"},     {"txtGamm", "1.00"},
            {"txtpH", "7.00"},    {"txtClay", "0.0"},
            {"txtSolids", "0.0"}, {"txtCompname", "Connect database"}};
        for (const auto& [name, text] : defaults) QCOMPARE(child<QLineEdit>(&w, name)->text(), QString(text));

        // Until a database is loaded: no database box, no editor button, no database menu.
        QVERIFY(!w.txtDb->isVisible() && !w.cmdEddbs->isVisible() && !w.mnuDatabase->isEnabled());
        // The pH is "To be calculated" and its box hidden; DOC is calculated, Gamma shown.
        QCOMPARE(w.lstpH->currentItem()->text(), QString("To be calculated"));
        QVERIFY(!w.txtpH->isVisible() && !w.txtDOC->isVisible() && w.txtGamm->isVisible());
        QVERIFY(!w.lblThisis->isVisible() && !w.cmdNextprob->isVisible() && !w.txtIter->isVisible());
        QCOMPARE(QString(kelva::kPhCalcItem), w.lstpH->currentItem()->text());

        // Menus with their access keys.
        QStringList menus;
        for (QAction* a : w.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "&Parameters", "&Database management", "&Multi-problem / Sweep",
                                     "&Help"}));
        QCOMPARE(w.mnuFileExit->text(), QString("&Exit"));
        QCOMPARE(w.mnuDatabaseHetero->text(), QString("&Heterogeneity parameters"));

        // Names a screen reader finds: captionless controls say what they are.
        QCOMPARE(accessibleName(w.cmdRun), QString("Run"));
        QCOMPARE(w.cmdRun->toolTip(), QString("Run (Ctrl+R)"));
        QVERIFY(w.cmdRun->text().isEmpty() && !w.cmdRun->icon().isNull());
        QCOMPARE(accessibleName(w.txtConc), QString("Total concentration"));
        QCOMPARE(accessibleName(w.lstCompnames), QString("Component names of the database"));
        QCOMPARE(w.Label12->buddy(), static_cast<QWidget*>(w.txtConc));
    }

    void connectingADatabase() {
        InputProgram p;
        p.ui().cancelFileDialog();
        click(p.w.cmdDatabase);
        QVERIFY(!p.w.txtDb->isVisible()); // a cancel changes nothing
        p.connectDefault();
        const auto& asked = p.ui().fileDialogs().back();
        QCOMPARE(std::tuple(asked.filter, asked.dir),
                 std::tuple(QString("Database files(*.DBS)|*.DBS"), p.dir()));
        QVERIFY(p.w.txtDb->isVisible() && p.w.cmdEddbs->isVisible() && p.w.mnuDatabase->isEnabled());
        QCOMPARE(p.w.txtDb->text(), p.file("default.DBS"));
        QCOMPARE(p.w.lstCompnames->count(), 26); // the 28 components but H+ and OH-
        QCOMPARE(p.w.lstCompnames->item(0)->text(), QString("Na"));
    }

    void addingUpdatingAndDeletingComponents() {
        InputProgram p;
        p.connectDefault();
        auto& list = p.app().window<frmComplist>();
        p.add("Na", "0.001");
        p.add("Ca", "2E-3");
        p.add("Cl", "0.004");
        p.add("Na", "0.005"); // the same name again replaces its concentration
        type(p.w.txtCompname, "  ");
        click(p.w.cmdAdd); // a blank name adds nothing
        QCOMPARE(p.st().Nmast, 3);
        QCOMPARE(rowTexts(list, 3), (QStringList{"Na=0.005", "Ca=2E-3", "Cl=0.004"}));

        click(p.w.cmdEdlist);
        QVERIFY(list.isVisible() && !p.w.isVisible());
        QCOMPARE(list.windowTitle(), QString("Kelvaspec - List of components"));
        QVERIFY(list.txtName[3]->isVisible() && !list.txtName[4]->isVisible());
        type(list.txtConc[3], "0.0045"); // edited here, used by the next run or save
        QCOMPARE(p.st().rows[3].txtConc, std::string("0.0045"));
        click(list.cmdDelete[2]);
        QCOMPARE(rowTexts(list, 2), (QStringList{"Na=0.005", "Cl=0.0045"}));
        QVERIFY(!list.txtName[3]->isVisible() && !list.cmdDelete[3]->isVisible());
        QCOMPARE(p.st().Nmast, 2);
        click(list.cmdMain);
        QVERIFY(p.w.isVisible() && !list.isVisible());

        // The 26th component is refused with a message.
        for (int i = 3; i <= 25; ++i) {
            type(p.w.txtCompname, "X" + QString::number(i));
            click(p.w.cmdAdd);
        }
        type(p.w.txtCompname, "Y");
        click(p.w.cmdAdd);
        QCOMPARE(p.st().Nmast, 25);
        QCOMPARE(p.ui().messages().back().text, QString("The list holds at most 25 components"));
        QCOMPARE(p.ui().messages().back().icon, ui::Icon::Stop);
    }

    void switchingTheUnitConvertsEveryRow() {
        InputProgram p;
        p.connectDefault();
        p.add("Na", "0.001");
        p.add("Cl", "0.0025");
        auto& list = p.app().window<frmComplist>();
        const std::pair<const char*, QStringList> steps[] = {{"Micromol / l", {"Na=1000", "Cl=2500"}},
                                                             {"Millimol / l", {"Na=1", "Cl=2.5"}},
                                                             {"Mol / l", {"Na=.001", "Cl=.0025"}}};
        for (const auto& [unit, rows] : steps) {
            choose(p.w.lstUnits, unit);
            QCOMPARE(p.w.lblUnits->text(), QString(unit));
            QCOMPARE(rowTexts(list, 2), rows);
        }
    }

    void pHAndDocModes() {
        InputProgram p;
        frmMain& w = p.w;
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
    }

    void waterModeHidesTheSorptionInputs() {
        InputProgram p;
        frmMain& w = p.w;
        type(w.txtClay, "3");
        p.st().ProgMode = "Water"; // as the program-mode window leaves it
        Pmoder(p.st());
        w.showState();
        for (QWidget* c : {static_cast<QWidget*>(w.lblClay), static_cast<QWidget*>(w.txtClay),
                           static_cast<QWidget*>(w.lblCsolid), static_cast<QWidget*>(w.txtSolids),
                           static_cast<QWidget*>(w.lblDocconc), static_cast<QWidget*>(w.lstDOC),
                           static_cast<QWidget*>(w.txtDOC), static_cast<QWidget*>(w.lblGamm),
                           static_cast<QWidget*>(w.txtGamm)})
            QVERIFY2(!c->isVisible(), qPrintable(c->objectName()));
        QCOMPARE(w.txtClay->text(), QString("0.0"));
        p.st().ProgMode = "Soil";
        Pmoder(p.st());
        w.showState();
        QVERIFY(w.txtClay->isVisible() && w.txtSolids->isVisible() && w.txtGamm->isVisible());
        QVERIFY(!w.txtDOC->isVisible()); // DOC still "Calculated"
    }

    void resetGivesAFreshUnsavedProblem() {
        InputProgram p;
        p.connectDefault();
        p.add("Na", "0.001");
        choose(p.w.lstUnits, "Millimol / l");
        type(p.w.txtTemp, "10");
        click(p.w.cmdReset);
        QVERIFY(!p.w.txtDb->isVisible() && !p.w.cmdEddbs->isVisible());
        QCOMPARE(p.w.lstCompnames->count(), 0);
        QCOMPARE(p.st().Nmast, 0);
        QCOMPARE(std::tuple(p.w.txtTemp->text(), p.w.txtCompname->text(), p.w.lblUnits->text(),
                            p.w.lstpH->currentItem()->text()),
                 std::tuple(QString("25.0"), QString("Connect database"), QString("Mol / l"),
                            QString("Fixed at...")));
        QVERIFY(p.w.txtpH->isVisible());
        QCOMPARE(p.st().Directory, p.dir().toStdString()); // the working folder stays
    }

    void menusAndButtonsOpenTheOtherWindows() {
        InputProgram p;
        p.connectDefault();
        p.st().Sweepmode = "Only multi";
        // Windows that take the main window's place, and windows beside it.
        const std::tuple<std::function<void()>, std::function<QWidget*()>, bool> opens[] = {
            {[&] { click(p.w.cmdEddbs); }, [&] { return p.app().existing<frmDbs>(); }, true},
            {[&] { p.w.mnuDatabaseEdit->trigger(); }, [&] { return p.app().existing<frmDbs>(); }, true},
            {[&] { p.w.mnuDatabaseParameters->trigger(); }, [&] { return p.app().existing<frmDataparam>(); },
             true},
            {[&] { p.w.mnuMulti->trigger(); }, [&] { return p.app().existing<frmSweepinp>(); }, true},
            {[&] { click(p.w.cmdOutput); }, [&] { return p.app().existing<frmOut1>(); }, true},
            {[&] { p.w.mnuDatabaseHetero->trigger(); }, [&] { return p.app().existing<frmHetero>(); }, false},
            {[&] { p.w.mnuParametersCO2->trigger(); }, [&] { return p.app().existing<frmCO2>(); }, false},
            {[&] { p.w.mnuParametersPrecision->trigger(); }, [&] { return p.app().existing<frmPrecision>(); },
             false},
            {[&] { p.w.mnuParametersOther->trigger(); }, [&] { return p.app().existing<frmOther>(); }, false},
            {[&] { p.w.mnuHelpAbout->trigger(); }, [&] { return p.app().existing<frmAbout>(); }, false}};
        for (const auto& [open, window, replaces] : opens) {
            open();
            QWidget* w = window();
            QVERIFY(w && w->isVisible());
            QCOMPARE(p.w.isVisible(), !replaces);
            w->hide();
            p.w.show();
        }
        QCOMPARE(p.st().Multiactive, std::string("1")); // the generator opened on an "Only multi" list
        auto* first = p.app().existing<frmCO2>();
        p.w.mnuParametersCO2->trigger(); // a run-parameter window is built anew at each opening
        QVERIFY(p.app().existing<frmCO2>() != first);
    }

    void screenshots() {
        InputProgram p;
        p.connectDefault();
        p.add("Na", "0.002");
        p.add("Ca", "0.001");
        p.add("Cu", "1E-06");
        p.add("Cl", "0.004");
        choose(p.w.lstpH, "Fixed at...");
        type(p.w.txtSolids, "100");
        p.w.resize(1000, 680);
        QVERIFY(!screenshot(&p.w, "frmMain").isEmpty());
        // The smallest the window can be still fits a 1366x768 screen, and shows every caption.
        const QSize least = p.w.minimumSizeHint();
        QVERIFY2(least.width() <= 1366 && least.height() <= 700,
                 qPrintable(QString("%1x%2").arg(least.width()).arg(least.height())));
        p.w.resize(least);
        QVERIFY(!screenshot(&p.w, "frmMain-smallest").isEmpty());
        auto& list = p.app().window<frmComplist>();
        list.show();
        QVERIFY(!screenshot(&list, "frmComplist").isEmpty());
    }
};

QTEST_MAIN(TestInput)
#include "test_input.moc"
