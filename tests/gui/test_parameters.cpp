// The run-parameter windows, the About window and the first start: what each window shows
// from the state, what "Save and Back to main menu" stores, and that "Quit without store"
// stores nothing.
#include "app/Startup.h"
#include "gui/support/guitest.h"
#include "parameters/frmAbout.h"
#include "parameters/frmCO2.h"
#include "parameters/frmOther.h"
#include "parameters/frmPrecision.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

using namespace kelva;
using guitest::child;

namespace {

// The shared values the three windows edit, to compare before and after.
struct Params {
    float pCO2, Precision, Comrat, Cactfract;
    i16 Itermax;
    std::string Directory, ProgMode, Solver;
    explicit Params(const ProgramState& s)
        : pCO2(s.pCO2), Precision(s.Precision), Comrat(s.Comrat), Cactfract(s.Cactfract), Itermax(s.Itermax),
          Directory(s.Directory), ProgMode(s.ProgMode), Solver(s.Solver) {}
    bool operator==(const Params&) const = default;
};

template <class W> W* open(guitest::Program& p) {
    W& w = p.app().template openFresh<W>();
    w.show();
    return &w;
}

void type(QWidget* w, const char* box, const QString& text) {
    child<QLineEdit>(w, box)->setText(text);
}
void pick(QWidget* w, const char* list, const QString& item) {
    auto* l = child<QListWidget>(w, list);
    l->setCurrentItem(l->findItems(item, Qt::MatchExactly).value(0));
}
QString shown(QWidget* w, const char* box) {
    return child<QLineEdit>(w, box)->text();
}
bool visible(QWidget* w, const char* name) {
    return child<QWidget>(w, name)->isVisible();
}

// Clicks one of the two closing buttons; the window must be gone afterwards.
void leave(QWidget* w, const char* button) {
    QPointer<QWidget> alive(w);
    guitest::click(child<QPushButton>(w, button));
    QTRY_VERIFY(alive.isNull());
}

} // namespace

class TestParameters : public QObject {
    Q_OBJECT
  private slots:
    void co2ShowsTheStoredFactor() {
        guitest::Program p;
        auto* w = open<frmCO2>(p);
        QVERIFY(child<QRadioButton>(w, "optCO2")->isChecked());
        QVERIFY(!visible(w, "txtCO2") && !visible(w, "lblCO2"));
        QCOMPARE(child<QRadioButton>(w, "optFixCO2")->accessibleName(), QString("Fix the CO2 pressure"));
        guitest::screenshot(w, "frmCO2-not-fixed");
        w->close();

        p.st().pCO2 = static_cast<float>(2 * kAtmosphericCO2);
        w = open<frmCO2>(p);
        QVERIFY(child<QRadioButton>(w, "optFixCO2")->isChecked());
        QVERIFY(visible(w, "txtCO2") && visible(w, "lblCO2"));
        QCOMPARE(shown(w, "txtCO2"), QString("2"));
        guitest::screenshot(w, "frmCO2-fixed");
        leave(w, "cmdMain"); // stored again unchanged
        QCOMPARE(p.st().pCO2, static_cast<float>(2 * kAtmosphericCO2));
    }

    void co2Stores_data() {
        QTest::addColumn<bool>("fix");
        QTest::addColumn<QString>("factor");
        QTest::addColumn<float>("pCO2");
        QTest::newRow("fixed at 10 x") << true << "10" << static_cast<float>(10 * kAtmosphericCO2);
        QTest::newRow("letters store 0") << true << "abc" << 0.0f;
        QTest::newRow("not fixed is 999") << false << "3" << 999.0f;
    }
    void co2Stores() {
        QFETCH(bool, fix);
        QFETCH(QString, factor);
        QFETCH(float, pCO2);
        guitest::Program p;
        p.st().pCO2 = static_cast<float>(5 * kAtmosphericCO2);
        auto* w = open<frmCO2>(p);
        guitest::click(child<QRadioButton>(w, fix ? "optFixCO2" : "optCO2"));
        if (fix) type(w, "txtCO2", factor);
        QCOMPARE(visible(w, "txtCO2"), fix);
        leave(w, "cmdMain");
        QCOMPARE(p.st().pCO2, pCO2);
    }

    void precisionStores() {
        guitest::Program p;
        auto* w = open<frmPrecision>(p);
        QCOMPARE(shown(w, "txtPrecision"), QString("0.01"));
        guitest::screenshot(w, "frmPrecision");
        type(w, "txtPrecision", "0.001");
        leave(w, "cmdMain");
        QCOMPARE(p.st().Precision, 0.001f);
    }

    // Every field changed, then "Quit without store" (or Esc): nothing shared changes.
    void quitStoresNothing() {
        guitest::Program p;
        const Params before(p.st());
        auto* co2 = open<frmCO2>(p);
        guitest::click(child<QRadioButton>(co2, "optFixCO2"));
        type(co2, "txtCO2", "4");
        leave(co2, "cmdQuit");
        auto* precision = open<frmPrecision>(p);
        type(precision, "txtPrecision", "1");
        QPointer<QWidget> alive(precision);
        QTest::keyClick(child<QLineEdit>(precision, "txtPrecision"), Qt::Key_Escape);
        QTRY_VERIFY(alive.isNull());
        auto* other = open<frmOther>(p);
        pick(other, "lstMode", "Aqueous speciation only");
        pick(other, "lstSolver", "Newton");
        for (const char* box : {"txtItermax", "txtComrat", "txtCactfract"}) type(other, box, "7");
        type(other, "txtDirectory", p.file("elsewhere"));
        leave(other, "cmdQuit");
        QVERIFY(Params(p.st()) == before);
        QCOMPARE(p.st().main.txtClay, std::string("0.0"));
    }

    void otherShowsTheState() {
        guitest::Program p;
        auto* w = open<frmOther>(p);
        QCOMPARE(child<QListWidget>(w, "lstMode")->currentItem()->text(), QString("Sorption included"));
        QCOMPARE(child<QListWidget>(w, "lstSolver")->currentItem()->text(),
                 QString("Successive substitution"));
        QCOMPARE(shown(w, "txtItermax"), QString("10000"));
        QCOMPARE(shown(w, "txtComrat"), QString("0.5"));
        QCOMPARE(shown(w, "txtCactfract"), QString("0.65"));
        QCOMPARE(shown(w, "txtDirectory"), p.dir());
        QCOMPARE(child<QLineEdit>(w, "txtCactfract")->accessibleName(),
                 QString("Dissolved fulvic acid as a fraction of DOC"));
        guitest::screenshot(w, "frmOther-soil");
        pick(w, "lstMode", "Aqueous speciation only");
        for (const char* name : {"lblComrat", "txtComrat", "lblCactfract", "txtCactfract"})
            QVERIFY(!visible(w, name));
        guitest::screenshot(w, "frmOther-water");
    }

    void itermaxIsRoundedDown_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored"); // 10000: refused, the limit stays as it was
        QTest::newRow("2500.9") << "2500.9" << 2500;
        QTest::newRow("-1.5") << "-1.5" << -2;
        QTest::newRow("letters") << "many" << 0;
        QTest::newRow("16-bit top") << "32767.5" << 32767;
        QTest::newRow("too many") << "40000" << 10000;
        QTest::newRow("too low") << "-32769" << 10000;
    }
    void itermaxIsRoundedDown() {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        guitest::Program p;
        auto* w = open<frmOther>(p);
        type(w, "txtItermax", typed);
        type(w, "txtComrat", "0.25");
        const bool refused = stored == 10000;
        QPointer<QWidget> alive(w);
        guitest::click(child<QPushButton>(w, "cmdMain"));
        QCOMPARE(p.st().Itermax, static_cast<i16>(stored));
        QCOMPARE(p.ui().messages().size(), std::size_t(refused ? 1 : 0));
        // A refusal keeps the window open and stores nothing.
        QCOMPARE(alive && alive->isVisible(), refused);
        QCOMPARE(p.st().Comrat, refused ? 0.5f : 0.25f);
    }

    // Water zeroes the main window's sorption inputs; back to Soil keeps the zeroes.
    void waterAndSoil() {
        guitest::Program p;
        MainForm& m = p.st().main;
        m.txtClay = "3", m.txtSolids = "5", m.txtDOC = "2", m.txtGamm = "0.7";
        auto* w = open<frmOther>(p);
        pick(w, "lstMode", "Aqueous speciation only");
        pick(w, "lstSolver", "Newton");
        type(w, "txtComrat", "0.4");
        leave(w, "cmdMain");
        QCOMPARE(p.st().ProgMode, std::string("Water"));
        QCOMPARE(p.st().Solver, std::string("Newton"));
        QCOMPARE(p.st().Comrat, 0.4f);
        for (const std::string* t : {&m.txtClay, &m.txtSolids, &m.txtDOC}) QCOMPARE(*t, std::string("0.0"));
        QCOMPARE(m.txtGamm, std::string("1.00"));

        w = open<frmOther>(p);
        QCOMPARE(child<QListWidget>(w, "lstSolver")->currentItem()->text(), QString("Newton"));
        QVERIFY(!visible(w, "txtComrat"));
        pick(w, "lstMode", "Sorption included");
        QVERIFY(visible(w, "txtComrat"));
        leave(w, "cmdMain");
        QCOMPARE(p.st().ProgMode, std::string("Soil"));
        QCOMPARE(m.txtClay, std::string("0.0"));
    }

    void directoryIsMadeOrRefused() {
        guitest::Program p;
        auto* w = open<frmOther>(p);
        type(w, "txtDirectory", "  " + p.file("runs/new") + "/ ");
        leave(w, "cmdMain");
        QCOMPARE(QString::fromStdString(p.st().Directory), p.file("runs/new"));
        QVERIFY(QFileInfo(p.file("runs/new")).isDir());

        QFile blocker(p.file("afile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        w = open<frmOther>(p);
        type(w, "txtDirectory", p.file("afile/sub"));
        guitest::click(child<QPushButton>(w, "cmdMain"));
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        QVERIFY(w->isVisible());
        QCOMPARE(QString::fromStdString(p.st().Directory), p.file("runs/new"));
    }

    void firstStartCopiesWithoutOverwriting() {
        guitest::Program p;
        const QString work = p.file("home/kelvaspec");
        QVERIFY(QDir().mkpath(work));
        QFile mine(work + "/water.DAT");
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
        mine.close();
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", p.file("home").toUtf8());
        p.st().Directory.clear(); // as the program starts: the default folder in the home folder
        prepareWorkingDirectory(p.app(), guitest::sourcePath("data"));
        QCOMPARE(QString::fromStdString(p.st().Directory), work);
        for (const char* f : {"default.DBS", "soil.DAT", "sweep.DAT", "multi.DAT"})
            QVERIFY2(QFileInfo::exists(work + "/" + f), f);
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), QByteArray("mine"));
        QVERIFY(p.ui().messages().empty());

        p.st().Directory = p.file("home/kelvaspec/water.DAT/sub").toStdString(); // cannot be made
        prepareWorkingDirectory(p.app(), guitest::sourcePath("data"));
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        QVERIFY(p.ui().messages()[0].text.contains("water.DAT/sub"));
        qputenv("HOME", home);
    }

    void aboutShowsTheVersion() {
        guitest::Program p;
        auto& w = p.app().window<frmAbout>();
        w.show();
        QCOMPARE(w.windowTitle(), QString("Kelvaspec - About this program"));
        QVERIFY(child<QLabel>(&w, "lblVersion")->text().startsWith(QString("Version ") + KELVA_VERSION));
        QVERIFY(child<QLabel>(&w, "lblLicence")->text().contains("MIT"));
        QVERIFY(!child<QLabel>(&w, "lblIcon")->pixmap().isNull());
        guitest::screenshot(&w, "frmAbout");
        guitest::click(child<QPushButton>(&w, "cmdMain"));
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestParameters)
#include "test_parameters.moc"
