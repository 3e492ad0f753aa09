// The database editor (its sheet watched by QAbstractItemModelTester: keys, the clipboard, undo,
// find, the deltaH unit), the parameter and heterogeneity windows, and their saves and refusals.
#include "database/DbSheetModel.h"
#include "database/frmDataparam.h"
#include "database/frmDbs.h"
#include "database/frmDeltah.h"
#include "database/frmHelp.h"
#include "database/frmHetero.h"
#include "files/database.h"
#include "gui/support/guitest.h"
#include "input/frmMain.h"
#include "ui/Sheet.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QUndoStack>

using namespace kelva;
using namespace kelva::guitest;

namespace {

// Every table value that a database file holds, as the file would hold it.
std::string tables(const ProgramState& st) {
    std::string err;
    return databaseText(st, err).value_or("unwritable: " + err);
}
QByteArray bundled() {
    return readFile(sourcePath("data/default.DBS"));
}

// The program with a copy of the bundled database loaded.
struct Loaded : Program {
    QString db = copyData("default.DBS");
    Loaded() {
        st().Dbfile = db.toStdString();
        if (!readdb(st()).ok) qFatal("the bundled database does not load");
    }
};

// ... with the editor open in place of the main window, its sheet in focus.
struct Editor : Loaded {
    frmDbs* w = &app().window<frmDbs>();
    ui::Sheet* sheet = child<ui::Sheet>(w, "vaDbs");
    DbSheetModel* m = qobject_cast<DbSheetModel*>(sheet->model());
    Editor() {
        App::handOver(&app().window<frmMain>(), w);
        QApplication::setActiveWindow(w);
        sheet->setFocus();
    }
    QString cell(int row, int col) const { return m->index(row, col).data().toString(); }
    void set(int row, int col, const QString& text) const { m->setData(m->index(row, col), text); }
    int rowOf(int species) const {
        for (int r = 0; r < m->rowCount(); ++r)
            if (cell(r, dbcol::No).trimmed().toInt() == species) return r;
        return -1;
    }

    void press(int top, int left, int bottom, int right, int key, Qt::KeyboardModifiers mods = {}) {
        sheet->selectBlock(top, left, bottom, right);
        QTest::keyClick(sheet, Qt::Key(key), mods);
    }
    ui::Block all() const { return m->cells(0, 0, m->rowCount() - 1, kSheetCols - 1); }
};

} // namespace

class TestDbs : public QObject {
    Q_OBJECT
  private slots:
    void theSheetShowsRowsTakesTypingFindsSpeciesAndGoesThroughTheClipboardWithTheModelTesterWatching() {
        Editor e;
        QAbstractItemModelTester tester(e.m, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QCOMPARE(std::pair(e.m->rowCount(), e.m->headerData(18, Qt::Horizontal).toString()),
                 std::pair(223, QString("Ksel,Clay")));
        e.set(39, dbcol::No, "112");
        e.press(40, 2, 42, 5, Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE((QStringList{e.cell(40, 0), e.cell(41, 0), e.cell(42, 0)}),
                 (QStringList{" 113", " 114", " 115"}));
        const QColor grey = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        for (int c : {12, 13, 15, 16}) { // locked: grey and not editable
            QVERIFY(!(e.m->flags(e.m->index(41, c)) & Qt::ItemIsEditable));
            QCOMPARE(e.m->index(41, c).data(Qt::ForegroundRole).value<QColor>(), grey);
        }
        QVERIFY(e.m->flags(e.m->index(41, 11)) & Qt::ItemIsEditable);
        const QString sixth = e.cell(9, dbcol::Name);
        e.press(4, 1, 8, 3, Qt::Key_Delete, Qt::ShiftModifier); // a block of five rows
        QCOMPARE(std::pair(e.m->rowCount(), e.cell(4, dbcol::Name)), std::pair(221, sixth));
        readdb(e.st());
        e.w->showState();
        QCOMPARE(std::pair(e.m->rowCount(), e.m->undoStack().count()),
                 std::pair(223, 0)); // a load ends the history

        e.sheet->selectBlock(4, dbcol::LogK, 4, dbcol::LogK);
        QTest::keyClicks(e.sheet, "7");
        QTest::keyClicks(QApplication::focusWidget(), ".25");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(std::pair(e.cell(4, dbcol::LogK), e.sheet->currentIndex().row()),
                 std::pair(QString("7.25"), 5));
        QTest::keyClick(e.sheet, Qt::Key_Return);
        QCOMPARE(e.sheet->currentIndex().row(), 6);

        QTest::keyClick(e.sheet, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(!e.w->txtFind->isHidden());
        for (const auto& [what, species] : {std::pair{"hco3", 101}, {"352", 352}, {"Na", 2}}) {
            e.sheet->selectBlock(0, 0, 0, 0);
            e.w->txtFind->setText(what);
            QTest::keyClick(e.w->txtFind, Qt::Key_Return);
            QCOMPARE(e.sheet->currentIndex().row(), e.rowOf(species));
            QVERIFY(e.sheet->selectionModel()->isRowSelected(e.rowOf(species), {}));
        }
        e.w->txtFind->setText("Unobtainium");
        QTest::keyClick(e.w->txtFind, Qt::Key_Return);
        QCOMPARE(e.w->lblFound->text(), QString("No species matches \"Unobtainium\"."));

        e.press(1, 0, 2, 3, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("2\tNa\t1\t2\n3\tK\t1\t3\n"));
        e.press(20, 0, 20, 0, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.m->cells(20, 0, 21, 3), (ui::Block{{"2", "Na", "1", "2"}, {"3", "K", "1", "3"}}));
        QVERIFY(e.sheet->selectionModel()->isSelected(e.m->index(21, 3)));
        // As a spreadsheet program writes it: CR LF, a quoted cell, a shorter row.
        QApplication::clipboard()->setText("30\t\"Fe \"\"3\"\"\"\t3\r\n31\tX\r\n");
        e.press(10, 0, 10, 0, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.m->cells(10, 0, 11, 2), (ui::Block{{"30", "Fe \"3\"", "3"}, {"31", "X", e.cell(11, 2)}}));
        QApplication::clipboard()->setText("1.5\n"); // one cell fills the selected block
        e.press(0, 17, 2, 18, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.m->cells(0, 17, 2, 18), ui::Block(3, {"1.5", "1.5"}));
        QVERIFY(e.ui().messages().empty());
        // A block larger than the sheet is cut at its edge, with a message.
        e.m->removeSheetRows(3, 220);
        QApplication::clipboard()->setText("a\tb\tc\n1\t2\t3\n4\t5\t6\n");
        e.press(1, 17, 1, 17, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.m->cells(1, 17, 2, 18), (ui::Block{{"a", "b"}, {"1", "2"}}));
        QCOMPARE(e.said(),
                 QString("Kelvaspec - Edit Database: The copied block has 3 rows and 3 columns, but from the "
                         "selected cell the sheet has room for 2 rows and 2 columns. Only that part "
                         "was pasted."));
    }

    void theDeltaHAndHelpWindowsAndTheWayBack() {
        Editor e;
        e.sheet->selectBlock(2, 9, 4, 11);
        e.w->resize(1340, 700); // as on a 1366 x 768 screen (the offscreen screen is smaller)
        screenshot(e.w, "frmDbs");
        const int hco3 = e.rowOf(101);
        const QString kcal = e.cell(hco3, dbcol::DeltaH);
        const std::string before = tables(e.st());
        child<QAction>(e.w, "mnuOptionsDeltah")->trigger();
        auto& d = e.app().window<frmDeltah>();
        QVERIFY(d.isVisible() && d.optKcal->isChecked());
        click(d.optKJ);
        QCOMPARE(e.cell(hco3, dbcol::DeltaH), QString("-14.598"));
        click(e.w->cmdSaveDb);
        QCOMPARE(std::pair(tables(e.st()), readFile(e.db)), std::pair(before, bundled()));
        QCOMPARE(e.cell(hco3, dbcol::DeltaH), QString("-14.598")); // the sheet keeps showing kJ/mol
        click(d.optKcal);                                          // the file's own text again
        QCOMPARE(e.cell(hco3, dbcol::DeltaH), kcal);
        screenshot(&d, "frmDeltah");
        click(d.cmdMain);
        QVERIFY(d.isHidden());

        auto& main = e.app().window<frmMain>();
        child<QAction>(e.w, "mnuHelp")->trigger();
        QPointer<frmHelp> help = e.app().existing<frmHelp>();
        QVERIFY(help && help->isVisible());
        QCOMPARE(child<QLabel>(help, "lblColumns_8")->text(), QString("Columns 12-14:"));
        screenshot(help, "frmHelp");
        click(help->cmdMain);
        QTRY_VERIFY(help.isNull()); // discarded when closed
        QVERIFY(main.isHidden());
        click(e.w->cmdQuit);
        QVERIFY(e.w->isHidden() && !main.isHidden());
        App::handOver(&main, e.w);
        e.w->close(); // closing is the same way back
        QVERIFY(!main.isHidden());
    }

    void everyKindOfEditIsUndoneAndRedone() {
        const struct {
            const char* what;
            int top, left, bottom, right, key; // key 0: typed
            Qt::KeyboardModifiers mods;
        } edits[] = {{"typing", 2, 9, 2, 9, 0, {}},
                     {"paste", 5, 1, 5, 1, Qt::Key_V, Qt::ControlModifier},
                     {"cut", 5, 1, 6, 4, Qt::Key_X, Qt::ControlModifier},
                     {"delete cells", 7, 9, 8, 10, Qt::Key_Delete, {}},
                     {"insert rows", 7, 0, 8, 0, Qt::Key_Insert, Qt::ControlModifier},
                     {"delete rows", 7, 0, 11, 0, Qt::Key_Delete, Qt::ShiftModifier}};
        QApplication::clipboard()->setText("x\t2\n");
        for (const auto& d : edits) {
            Editor e;
            const ui::Block before = e.all();
            if (d.key)
                e.press(d.top, d.left, d.bottom, d.right, d.key, d.mods);
            else
                e.set(d.top, d.left, "1.5");
            const ui::Block after = e.all();
            QVERIFY2(after != before, d.what);
            QTest::keyClick(e.sheet, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(e.all() == before, d.what);
            QTest::keyClick(e.sheet, Qt::Key_Y, Qt::ControlModifier);
            QVERIFY2(e.all() == after, d.what);
            click(e.w->cmdSavecha);
            QVERIFY2(!e.m->undoStack().canUndo(), d.what); // a save ends the history
        }
    }

    // Each of the three saves refuses what cannot be stored, before any file dialog.
    void savesRefuseWhatCannotBeStoredWriteANewFileThatLoadsBackEqualAndTellWhatCannotBeWritten() {
        const struct {
            const char* button;
            int col;
            const char* typed;
            QString says;
        } cases[] = {
            {"cmdSavecha", dbcol::No, "", "Row 5, column \"No.\" is empty: every row needs a species number"},
            {"cmdSaveDb", dbcol::Comp1, "4.5",
             "Row 5, column \"Comp. I\" holds \"4.5\", which is not a whole number from 0 to 500."},
            {"cmdSaNewDb", dbcol::Charge, "two", "Row 5, column \"Charge\" holds \"two\""}};
        for (const auto& c : cases) {
            Editor e;
            const std::string before = tables(e.st());
            e.set(4, c.col, c.typed);
            e.ui().chooseFile(e.file("new.DBS"));
            click(child<QPushButton>(e.w, c.button));
            e.toldOnce("Kelvaspec Error: " + c.says);
            QVERIFY2(e.said().endsWith("Nothing has been saved."), qPrintable(e.said()));
            QCOMPARE(std::pair(tables(e.st()), readFile(e.db)), std::pair(before, bundled()));
            QVERIFY(e.ui().fileDialogs().empty() && !QFile::exists(e.file("new.DBS")));
        }
        // Saved to a new file that loads back equal, or to one that cannot be written.
        Editor e;
        e.set(4, dbcol::LogK, "1.25");
        e.ui().chooseFile(e.file("copy"));
        click(e.w->cmdSaNewDb);
        QVERIFY2(e.ui().messages().empty(), qPrintable(e.said()));
        QCOMPARE(e.ui().fileDialogs()[0].filter, QString("Database files (*.DBS)|*.DBS"));
        QCOMPARE(QString::fromStdString(e.st().main.txtDb), e.file("copy.DBS")); // now connected
        QCOMPARE(readFile(e.db), bundled());                                     // the old file is untouched
        QCOMPARE(e.st().SpLogK[e.st().SpNo[5]].v, 1.25);

        const std::string before = tables(e.st());
        e.set(4, dbcol::LogK, "1.5");
        e.st().main.txtDb = e.file("missing/folder/x.DBS").toStdString();
        click(e.w->cmdSaveDb);
        QVERIFY2(e.said().startsWith("Kelvaspec Error: The database file \"" +
                                     e.file("missing/folder/x.DBS") + "\" could not be saved: "),
                 qPrintable(e.said()));
        QCOMPARE(tables(e.st()), before);
        QCOMPARE(e.cell(4, dbcol::LogK), QString("1.5")); // the edit stays in the sheet
    }

    void heterogeneityRowsFollowTxtNositeAHiddenShareIsStoredAsZeroAndParametersAreSavedInTheirUnits() {
        Loaded c;
        auto& h = c.app().window<frmHetero>();
        c.st().S1proc = 60.0; // one group: the window shows 100 whatever S1proc holds
        h.showState();
        h.show();
        QCOMPARE(h.txtS1proc->text(), QString("100"));
        QVERIFY(h.txtS2proc->isHidden() && h.lblS2proc->isHidden() && h.txtS3proc->isHidden());
        for (const auto& [text, rows] : {std::pair{"2", std::pair(true, false)},
                                         {"3", {true, true}},
                                         {"x", {true, true}},
                                         {"1", {false, false}},
                                         {"3", {true, true}}}) {
            type(h.txtNosite, text);
            QCOMPARE(std::pair(!h.txtS2proc->isHidden(), !h.txtS3proc->isHidden()), rows);
            QCOMPARE(h.lblS3proc->isHidden(), !rows.second);
        }
        screenshot(&h, "frmHetero");
        const std::string before = tables(c.st());
        for (const char* text : {"4", "0", "abc", ""}) { // refused: nothing is stored
            h.txtNosite->setText(text);
            click(h.cmdSaveDb);
            QVERIFY2(c.ui().messages().back().text.startsWith("The number of site groups must be 1, 2 or 3"),
                     qPrintable(c.said()));
        }
        QCOMPARE(std::tuple(c.ui().messages().size(), tables(c.st()), readFile(c.db)),
                 std::tuple(std::size_t(4), before, bundled()));
        type(h.txtS1proc, "50");
        type(h.txtS2proc, "20");
        type(h.txtS3proc, "30");
        type(h.txtNosite, "02"); // the rows stay, the number saved is 2
        click(h.cmdSaveDb);
        QCOMPARE(std::tuple(c.st().Nosite, c.st().S2proc.v, c.st().S3proc.v), std::tuple(i16(2), 20.0, 0.0));
        QVERIFY(readFile(c.db).contains("\"Heterogeneity\",2,50,20,0\r\n"));
        const auto& locked = c.st().vaDbs.locked[1]; // the sheet is locked again for two groups
        QVERIFY(!locked[12] && locked[13] && !locked[15] && locked[16]);
        QVERIFY(!h.isHidden()); // stays open after a save

        auto& w = c.app().window<frmDataparam>();
        w.showParameters();
        App::handOver(&c.app().window<frmMain>(), &w);
        for (const auto& [name, text] : {std::pair{"txtNcooh1", " .00329"},
                                         {"txtRadius1", " 1.72"},
                                         {"txtMolwt2", " 1500"},
                                         {"txtDhfe", "-17537"}})
            QCOMPARE(textOf(&w, name), QString(text));
        QCOMPARE(child<QLabel>(&w, "Label10")->text(), QString("molecular radius (nm)"));
        screenshot(&w, "frmDataparam");
        const QByteArray saved = readFile(c.db);
        type(&w, "txtRadius1", "1.8");
        type(&w, "txtP2", "-120abc");
        type(&w, "txtDhal", "1e999"); // held at the largest value a file can carry
        click(child<QPushButton>(&w, "cmdSavecha"));
        QCOMPARE(std::pair(c.st().Radius[1], c.st().P[2]), std::pair(1.8e-9f, -120.0f));
        QCOMPARE(readFile(c.db), saved); // the next run changes, no file does
        w.showParameters();
        QCOMPARE(textOf(&w, "txtRadius1"), QString(" 1.8"));
        click(child<QPushButton>(&w, "cmdSaveDb"));
        const QByteArray file = readFile(c.db);
        QVERIFY(file.contains("\"HA parameters\",.00329,4.02,8.55,1.78,3.43,-374,.5,1.8E-09,15000\r\n"));
        QVERIFY(file.contains("\"Log KSO(25) & DeltaH for Al(OH)3\",8.291,1.79769313486232E+308\r\n"));

        type(&w, "txtNcooh1", "0.004");
        c.ui().chooseFile(c.file("other.DBS"));
        click(child<QPushButton>(&w, "cmdSaNewDb"));
        QCOMPARE(QString::fromStdString(c.st().main.txtDb), c.file("other.DBS"));
        QVERIFY(readFile(c.file("other.DBS")).contains(",.004,") && !readFile(c.db).contains(",.004,"));
        click(child<QPushButton>(&w, "cmdMain"));
        QVERIFY(w.isHidden() && !c.app().window<frmMain>().isHidden());
    }
};

QTEST_MAIN(TestDbs)
#include "test_dbs.moc"
