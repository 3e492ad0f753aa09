// The database parameter and heterogeneity windows: boxes to parameters and back (the radius in
// nm), the group rows shown as txtNosite is typed, and their saves with their refusals.
#include "database/frmDataparam.h"
#include "database/frmDbs.h"
#include "database/frmHetero.h"
#include "files/database.h"
#include "gui/support/guitest.h"
#include "input/frmMain.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace kelva;

namespace {

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::string tables(const ProgramState& st) {
    std::string err;
    return databaseText(st, err).value_or("unwritable: " + err);
}

QByteArray bundled() {
    return bytes(guitest::sourcePath("data/default.DBS"));
}

struct Connected {
    guitest::Program p;
    QString db;
    Connected() {
        db = p.copyData("default.DBS");
        p.st().Dbfile = db.toStdString();
        if (!readdb(p.st()).ok) qFatal("the bundled database does not load");
    }
    frmDataparam& params() {
        auto& w = p.app().window<frmDataparam>();
        w.showParameters();
        App::handOver(&p.app().window<frmMain>(), &w);
        return w;
    }
    frmHetero& hetero() {
        auto& w = p.app().window<frmHetero>();
        w.show();
        return w;
    }
};

QLineEdit* box(QWidget* w, const char* name) {
    return guitest::child<QLineEdit>(w, name);
}

void type(QLineEdit* b, const QString& text) {
    b->selectAll();
    QTest::keyClicks(b, text);
}

} // namespace

class TestDbParams : public QObject {
    Q_OBJECT
  private slots:
    void parametersAreShownAndTheRadiusGoesInNanometres() {
        Connected c;
        auto& w = c.params();
        QCOMPARE(w.windowTitle(), QString("Kelvaspec - Database parameters"));
        const std::pair<const char*, QString> shown[] = {
            {"txtNcooh1", " .00329"}, {"txtRadius1", " 1.72"},   {"txtRadius2", " .8"},
            {"txtMolwt2", " 1500"},   {"txtDlf", " .25"},        {"txtKzed", " 1000"},
            {"txtK0", " .05"},        {"txtBeta", " 634"},       {"txtEqclay", " .0003"},
            {"txtSaclay", " 100"},    {"txtLksoal25", " 8.291"}, {"txtDhfe", "-17537"}};
        for (const auto& [name, text] : shown) QCOMPARE(box(&w, name)->text(), text);
        guitest::screenshot(&w, "frmDataparam");
        QCOMPARE(guitest::child<QLabel>(&w, "Label10")->text(), QString("molecular radius (nm)"));

        type(box(&w, "txtRadius1"), "1.8");
        type(box(&w, "txtP2"), "-120abc");
        type(box(&w, "txtDhal"), "1e999"); // held at the largest value a file can carry
        guitest::click(guitest::child<QPushButton>(&w, "cmdSavecha"));
        QCOMPARE(c.p.st().Radius[1], 1.8e-9f);
        QCOMPARE(c.p.st().P[2], -120.0f);
        QCOMPARE(bytes(c.db), bundled()); // the next run changes, no file does
        w.showParameters();
        QCOMPARE(box(&w, "txtRadius1")->text(), QString(" 1.8"));

        guitest::click(guitest::child<QPushButton>(&w, "cmdSaveDb"));
        const QByteArray file = bytes(c.db);
        QVERIFY(file.contains("\"HA parameters\",.00329,4.02,8.55,1.78,3.43,-374,.5,1.8E-09,15000\r\n"));
        QVERIFY(file.contains("\"Log KSO(25) & DeltaH for Al(OH)3\",8.291,1.79769313486232E+308\r\n"));
        auto again = std::make_unique<ProgramState>();
        again->Dbfile = c.db.toStdString();
        QVERIFY(readdb(*again).ok);
        QCOMPARE(tables(*again), tables(c.p.st()));
    }

    void newFileIsConnectedAndAFailedWritePutsTheParametersBack() {
        Connected c;
        auto& w = c.params();
        type(box(&w, "txtNcooh1"), "0.004");
        c.p.ui().chooseFile(c.p.file("other.DBS"));
        guitest::click(guitest::child<QPushButton>(&w, "cmdSaNewDb"));
        QCOMPARE(QString::fromStdString(c.p.st().main.txtDb), c.p.file("other.DBS"));
        QVERIFY(bytes(c.p.file("other.DBS")).contains(",.004,"));
        QCOMPARE(bytes(c.db), bundled());

        const std::string before = tables(c.p.st());
        type(box(&w, "txtNcooh1"), "0.005");
        c.p.ui().chooseFile(c.p.file("no/such/folder.DBS"));
        guitest::click(guitest::child<QPushButton>(&w, "cmdSaNewDb"));
        QCOMPARE(c.p.ui().messages().size(), std::size_t(1));
        QVERIFY(c.p.ui().messages()[0].text.contains("could not be saved"));
        QCOMPARE(tables(c.p.st()), before);
        QCOMPARE(QString::fromStdString(c.p.st().main.txtDb), c.p.file("other.DBS"));

        guitest::click(guitest::child<QPushButton>(&w, "cmdMain"));
        QVERIFY(w.isHidden());
        QVERIFY(!c.p.app().window<frmMain>().isHidden());
    }

    void heterogeneityRowsFollowTxtNosite() {
        Connected c;
        auto& w = c.hetero();
        QCOMPARE(w.windowTitle(), QString("Kelvaspec - Heterogeneity parameters"));
        c.p.st().S1proc = 60.0; // one group: the window shows 100 whatever S1proc holds
        w.showState();
        QCOMPARE(w.txtS1proc->text(), QString("100"));
        auto shown = [&] { return std::pair(!w.txtS2proc->isHidden(), !w.txtS3proc->isHidden()); };
        QCOMPARE(shown(), std::pair(false, false));
        QVERIFY(w.lblS2proc->isHidden());
        const std::pair<const char*, std::pair<bool, bool>> typed[] = {{"2", {true, false}},
                                                                       {"3", {true, true}},
                                                                       {"02", {true, true}},
                                                                       {"x", {true, true}},
                                                                       {"1", {false, false}}};
        for (const auto& [text, rows] : typed) {
            type(w.txtNosite, text);
            QCOMPARE(shown(), rows);
            QCOMPARE(w.lblS3proc->isHidden(), !rows.second);
        }
        type(w.txtNosite, "3");
        guitest::screenshot(&w, "frmHetero");
    }

    void hiddenGroupShareIsStoredAsZeroAndTheSheetIsRelocked() {
        Connected c;
        auto& w = c.hetero();
        type(w.txtNosite, "3");
        type(w.txtS1proc, "50");
        type(w.txtS2proc, "20");
        type(w.txtS3proc, "30");
        type(w.txtNosite, "02"); // the rows stay, the number saved is 2
        guitest::click(w.cmdSaveDb);
        QCOMPARE(c.p.st().Nosite, i16(2));
        QCOMPARE(c.p.st().S2proc.v, 20.0);
        QCOMPARE(c.p.st().S3proc.v, 0.0);
        QVERIFY(bytes(c.db).contains("\"Heterogeneity\",2,50,20,0\r\n"));
        QVERIFY(bytes(c.db).contains("\r\n4,\"Mg\",2,4,0,0,1,0,0,0,0,3.3,3.3,2.2,2.2,1,1\r\n"));
        const auto& locked = c.p.st().vaDbs.locked[1];
        QVERIFY(!locked[12] && locked[13] && !locked[15] && locked[16]);
        QVERIFY(!w.isHidden()); // stays open after a save
    }

    void refusedSitesAndKilojoulesNeverReachTheFile() {
        for (const char* text : {"4", "0", "abc", ""}) {
            Connected c;
            auto& w = c.hetero();
            const std::string before = tables(c.p.st());
            w.txtNosite->setText(text);
            guitest::click(w.cmdSaveDb);
            QCOMPARE(c.p.ui().messages().size(), std::size_t(1));
            QVERIFY(c.p.ui().messages()[0].text.startsWith("The number of site groups must be 1, 2 or 3"));
            QCOMPARE(tables(c.p.st()), before);
            QCOMPARE(bytes(c.db), bundled());
        }
        Connected c;
        auto& editor = c.p.app().window<frmDbs>();
        editor.changeDeltaHUnit(2);
        auto& w = c.hetero();
        c.p.ui().chooseFile(c.p.file("hetero.DBS"));
        guitest::click(w.cmdSaNewDb);
        QCOMPARE(c.p.ui().messages().size(), std::size_t(0));
        QCOMPARE(bytes(c.p.file("hetero.DBS")), bundled()); // kcal/mol, as loaded
        QCOMPARE(QString::fromStdString(c.p.st().main.txtDb), c.p.file("hetero.DBS"));
        QCOMPARE(c.p.st().vaDbs.cells[29][10], std::string("-14.598")); // the editor still shows kJ/mol
    }
};

QTEST_MAIN(TestDbParams)
#include "test_dbparams.moc"
