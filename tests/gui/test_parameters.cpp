// The run-parameter windows, the About window and the first start: what each window shows
// from the state, what "Save and Back to main menu" stores (and shows in the main window), and
// that "Quit without store" stores nothing.
#include "app/Startup.h"
#include "gui/support/inputwindow.h"
#include "parameters/frmAbout.h"
#include "parameters/frmCO2.h"
#include "parameters/frmOther.h"
#include "parameters/frmPrecision.h"

#include <QLabel>
#include <QPointer>
#include <QRadioButton>

using namespace kelva;
using namespace kelva::guitest;

namespace {

template <class W> W* open(Program& p) {
    W& w = p.app().template openFresh<W>();
    w.show();
    return &w;
}
void type(QWidget* w, const char* box, const QString& text) {
    guitest::type(child<QLineEdit>(w, box), text);
}
void choose(QWidget* w, const char* list, const QString& item) {
    guitest::choose(child<QListWidget>(w, list), item);
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

class TestParameters : public QObject {
    Q_OBJECT
  private slots:
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
        p.st().main.txtDOC = "2";
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
        const MainForm& s = p.st().main;
        QCOMPARE((std::vector{s.txtClay, s.txtSolids, s.txtDOC, s.txtGamm}),
                 (std::vector<std::string>{"0.0", "0.0", "0.0", "1.00"}));
        for (QWidget* c :
             std::initializer_list<QWidget*>{m.lblClay, m.txtClay, m.lblCsolid, m.txtSolids, m.lblDocconc,
                                             m.lstDOC, m.txtDOC, m.lblGamm, m.txtGamm})
            QVERIFY2(!c->isVisible(), qPrintable(c->objectName()));

        w = open<frmOther>(p);
        QCOMPARE(chosen(w, "lstSolver"), QString("Newton"));
        choose(w, "lstMode", "Sorption included");
        QVERIFY(shown(w, "txtComrat"));
        leave(w, "cmdMain");
        QCOMPARE(p.st().ProgMode, std::string("Soil"));
        QVERIFY(m.txtClay->isVisible() && m.txtSolids->isVisible() && m.txtGamm->isVisible());
        QVERIFY(!m.txtDOC->isVisible()); // DOC still "Calculated"
        QCOMPARE(m.txtClay->text(), QString("0.0"));

        w = open<frmOther>(p); // a new working folder is made
        type(w, "txtDirectory", "  " + p.file("runs/new") + "/ ");
        leave(w, "cmdMain");
        QCOMPARE(QString::fromStdString(p.st().Directory), p.file("runs/new"));
        QVERIFY(QFileInfo(p.file("runs/new")).isDir());
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

    void aboutShowsTheVersion() {
        Program p;
        auto& w = p.app().window<frmAbout>();
        w.show();
        QCOMPARE(w.windowTitle(), QString("Kelvaspec - About this program"));
        QVERIFY(child<QLabel>(&w, "lblVersion")->text().startsWith(QString("Version ") + KELVA_VERSION));
        QVERIFY(child<QLabel>(&w, "lblLicence")->text().contains("MIT"));
        QVERIFY(!child<QLabel>(&w, "lblIcon")->pixmap().isNull());
        screenshot(&w, "frmAbout");
        click(child<QPushButton>(&w, "cmdMain"));
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestParameters)
#include "test_parameters.moc"
