// The database editor: the sheet over the state (checked by QAbstractItemModelTester), typing,
// the clipboard, rows, undo, find, the deltaH unit and the three saves with their refusals.
#include "database/DbSheetModel.h"
#include "database/frmDbs.h"
#include "database/frmDeltah.h"
#include "database/frmHelp.h"
#include "files/database.h"
#include "gui/support/guitest.h"
#include "input/frmMain.h"
#include "ui/Sheet.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QUndoStack>

#include <functional>

using namespace kelva;

namespace {

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every table value that a database file holds, as the file would hold it.
std::string tables(const ProgramState& st) {
    std::string err;
    return databaseText(st, err).value_or("unwritable: " + err);
}

// The program with the bundled database connected and its editor open.
struct Editor {
    guitest::Program p;
    QString db;
    frmDbs* w = nullptr;
    ui::Sheet* sheet = nullptr;
    DbSheetModel* m = nullptr;

    Editor() {
        db = p.copyData("default.DBS");
        p.st().Dbfile = db.toStdString();
        if (!readdb(p.st()).ok) qFatal("the bundled database does not load");
        w = &p.app().window<frmDbs>();
        App::handOver(&p.app().window<frmMain>(), w);
        QApplication::setActiveWindow(w);
        sheet = guitest::child<ui::Sheet>(w, "vaDbs");
        m = qobject_cast<DbSheetModel*>(sheet->model());
        sheet->setFocus();
    }
    QString cell(int row, int col) const { return m->index(row, col).data().toString(); }
    void set(int row, int col, const QString& text) const { m->setData(m->index(row, col), text); }
    int rowOf(int species) const {
        for (int r = 0; r < m->rowCount(); ++r)
            if (cell(r, dbcol::No).trimmed().toInt() == species) return r;
        return -1;
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) const {
        QTest::keyClick(sheet, Qt::Key(k), mods);
    }
    ui::Block all() const { return m->cells(0, 0, m->rowCount() - 1, kSheetCols - 1); }
    QPushButton* button(const char* name) const { return guitest::child<QPushButton>(w, name); }
};

} // namespace

class TestDbs : public QObject {
    Q_OBJECT
  private slots:
    void sheetModelPassesTheModelTester() {
        Editor e;
        QAbstractItemModelTester tester(e.m, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QCOMPARE(e.m->rowCount(), 223);
        QCOMPARE(e.m->headerData(17, Qt::Horizontal).toString(), QString("Ksel,HS"));
        QCOMPARE(e.m->headerData(18, Qt::Horizontal).toString(), QString("Ksel,Clay"));
        e.sheet->selectBlock(3, 0, 5, 0);
        e.key(Qt::Key_Insert, Qt::ControlModifier);
        e.sheet->selectBlock(0, 0, 9, 0);
        e.key(Qt::Key_Delete, Qt::ShiftModifier);
        e.m->undoStack().undo();
        e.m->undoStack().undo();
        e.m->undoStack().redo();
        e.p.st().Dbfile = e.db.toStdString();
        readdb(e.p.st());
        e.w->showState();
        QCOMPARE(e.m->rowCount(), 223);
        QCOMPARE(e.m->undoStack().count(), 0); // a load ends the history
    }

    void captionsMenusAndShortcuts() {
        Editor e;
        QCOMPARE(e.w->windowTitle(), QString("Kelvaspec - Edit Database"));
        const std::pair<const char*, QString> buttons[] = {
            {"cmdSavecha", "Save changes to problem"},
            {"cmdSaveDb", "Save changes to current database file"},
            {"cmdSaNewDb", "Save changes to NEW database file"},
            {"cmdQuit", "Quit"}};
        for (const auto& [name, caption] : buttons) QCOMPARE(e.button(name)->text(), caption);
        const std::tuple<const char*, QString, QKeySequence> items[] = {
            {"mnuEditCopy", "Copy", QKeySequence("Ctrl+C")},
            {"mnuEditPaste", "Paste", QKeySequence("Ctrl+V")},
            {"mnuEditCut", "Cut", QKeySequence("Ctrl+X")},
            {"mnuEditInsert", "Insert Row", QKeySequence("Ctrl+Ins")},
            {"mnuEditDelete", "Delete Row", QKeySequence("Shift+Del")},
            {"mnuEditUndo", "Undo", QKeySequence("Ctrl+Z")},
            {"mnuEditRedo", "Redo", QKeySequence("Ctrl+Y")},
            {"mnuEditFind", "Find Species...", QKeySequence("Ctrl+F")},
            {"mnuOptionsDeltah", "Change unit for deltaH", QKeySequence()},
            {"mnuHelp", "&Help", QKeySequence()}};
        for (const auto& [name, caption, keys] : items) {
            auto* a = guitest::child<QAction>(e.w, name);
            QCOMPARE(a->text(), caption);
            QCOMPARE(a->shortcut(), keys);
        }
        QCOMPARE(guitest::child<QMenu>(e.w, "mnuEdit")->title(), QString("&Edit"));
        QCOMPARE(guitest::child<QMenu>(e.w, "mnuOptions")->title(), QString("&Options"));
    }

    void noValueIsShownEmptyAndWrittenBackAs999() {
        Editor e;
        const int h = e.rowOf(1), hco3 = e.rowOf(101);
        QCOMPARE(e.cell(h, dbcol::PkHA1), QString());
        e.sheet->selectBlock(hco3, dbcol::LogK, hco3, dbcol::LogK);
        e.key(Qt::Key_Delete);
        QCOMPARE(e.cell(hco3, dbcol::LogK), QString());
        guitest::click(e.button("cmdSavecha"));
        QCOMPARE(e.p.st().SpLogK[101].v, 999.0);
        QCOMPARE(e.p.st().SpPKM(1, 1, 1).v, 999.0);
        QCOMPARE(bytes(e.db), bytes(guitest::sourcePath("data/default.DBS"))); // no file touched
        guitest::click(e.button("cmdSaveDb"));
        const QByteArray file = bytes(e.db);
        QVERIFY(file.contains("\r\n1,\"H\",1,1,0,0,1,0,0,0,0,999,999,1,1\r\n"));
        QVERIFY(file.contains("\r\n101,\"HCO3-\",-1,55,1,0,1,1,0,999,-3.489,"));
        QCOMPARE(e.p.ui().messages().size(), std::size_t(0));
    }

    void typingReplacesACellAndEnterMovesDown() {
        Editor e;
        e.sheet->selectBlock(4, dbcol::LogK, 4, dbcol::LogK);
        QTest::keyClicks(e.sheet, "7");
        QTest::keyClicks(QApplication::focusWidget(), ".25");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(e.cell(4, dbcol::LogK), QString("7.25"));
        QCOMPARE(e.sheet->currentIndex().row(), 5);
        e.key(Qt::Key_Return);
        QCOMPARE(e.sheet->currentIndex().row(), 6);
    }

    void kilojoulesAreShownButNeverReachTheTablesOrTheFile() {
        Editor e;
        const int hco3 = e.rowOf(101);
        const std::string before = tables(e.p.st());
        guitest::child<QAction>(e.w, "mnuOptionsDeltah")->trigger();
        auto& d = e.p.app().window<frmDeltah>();
        QCOMPARE(d.windowTitle(), QString("Kelvaspec - DeltaH unit"));
        QVERIFY(d.optKcal->isChecked());
        guitest::click(d.optKJ);
        QCOMPARE(e.cell(hco3, dbcol::DeltaH), QString("-14.598"));
        guitest::click(d.optKJ); // already shown: not converted again
        QCOMPARE(e.cell(hco3, dbcol::DeltaH), QString("-14.598"));
        guitest::click(e.button("cmdSaveDb"));
        QCOMPARE(tables(e.p.st()), before);
        QCOMPARE(bytes(e.db), bytes(guitest::sourcePath("data/default.DBS")));
        QCOMPARE(e.cell(hco3, dbcol::DeltaH), QString("-14.598")); // the sheet keeps showing kJ/mol
        e.set(hco3, dbcol::DeltaH, "-20.92");
        guitest::click(e.button("cmdSavecha"));
        QVERIFY(qFuzzyCompare(e.p.st().SpDeltaH[101].v, -5.0));
        guitest::click(d.optKcal);
        QCOMPARE(e.cell(hco3, dbcol::DeltaH), QString("-5.000"));
        QCOMPARE(e.cell(e.rowOf(102), dbcol::DeltaH), QString("-5.679")); // untouched: as loaded
        guitest::screenshot(&d, "frmDeltah");
        guitest::click(d.cmdMain);
        QVERIFY(d.isHidden());
    }

    void threeRowsInsertedUnder112AreNumberedAndLocked() {
        Editor e;
        e.set(39, dbcol::No, "112");
        const QString next = e.cell(40, dbcol::No);
        e.sheet->selectBlock(40, 2, 42, 5);
        e.key(Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(e.m->rowCount(), 226);
        const QColor grey = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(e.cell(40 + k, dbcol::No).trimmed(), QString::number(113 + k));
            for (int c : {12, 13, 15, 16}) {
                QVERIFY(!(e.m->flags(e.m->index(40 + k, c)) & Qt::ItemIsEditable));
                QCOMPARE(e.m->index(40 + k, c).data(Qt::ForegroundRole).value<QColor>(), grey);
            }
            QVERIFY(e.m->flags(e.m->index(40 + k, 11)) & Qt::ItemIsEditable);
        }
        QCOMPARE(e.cell(43, dbcol::No), next);
    }

    void aBlockOfFiveRowsIsDeleted() {
        Editor e;
        const QString sixth = e.cell(9, dbcol::Name);
        e.sheet->selectBlock(4, 1, 8, 3);
        e.key(Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(e.m->rowCount(), 218);
        QCOMPARE(e.cell(4, dbcol::Name), sixth);
        guitest::click(e.button("cmdSavecha"));
        QCOMPARE(e.p.st().Ndatalines, i16(218));
    }

    void aBlockGoesThroughTheClipboardAsTabSeparatedText() {
        Editor e;
        e.sheet->selectBlock(1, 0, 2, 3);
        e.key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("2\tNa\t1\t2\n3\tK\t1\t3\n"));
        e.sheet->selectBlock(20, 0, 20, 0);
        e.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.m->cells(20, 0, 21, 3), (ui::Block{{"2", "Na", "1", "2"}, {"3", "K", "1", "3"}}));
        QVERIFY(e.sheet->selectionModel()->isSelected(e.m->index(21, 3)));

        // As a spreadsheet program writes it: CR LF, a quoted cell, a shorter row.
        QApplication::clipboard()->setText("30\t\"Fe \"\"3\"\"\"\t3\r\n31\tX\r\n");
        e.sheet->selectBlock(10, 0, 10, 0);
        e.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.m->cells(10, 0, 11, 2), (ui::Block{{"30", "Fe \"3\"", "3"}, {"31", "X", e.cell(11, 2)}}));

        // One cell fills the selected block.
        QApplication::clipboard()->setText("1.5\n");
        e.sheet->selectBlock(0, 17, 2, 18);
        e.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.m->cells(0, 17, 2, 18), ui::Block(3, {"1.5", "1.5"}));
        QCOMPARE(e.p.ui().messages().size(), std::size_t(0));
    }

    void aBlockLargerThanTheSheetIsCutAtItsEdge() {
        Editor e;
        e.m->removeSheetRows(3, 220);
        QApplication::clipboard()->setText("a\tb\tc\n1\t2\t3\n4\t5\t6\n");
        e.sheet->selectBlock(1, 17, 1, 17);
        e.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.m->cells(1, 17, 2, 18), (ui::Block{{"a", "b"}, {"1", "2"}}));
        QCOMPARE(e.p.ui().messages().size(), std::size_t(1));
        QCOMPARE(
            e.p.ui().messages()[0].text,
            QString(
                "The copied block has 3 rows and 3 columns, but from the selected cell the sheet has room "
                "for 2 rows and 2 columns. Only that part was pasted."));
    }

    void everyKindOfEditIsUndoneAndRedone() {
        const std::pair<const char*, std::function<void(Editor&)>> edits[] = {
            {"typing", [](Editor& e) { e.set(2, 9, "1.5"); }},
            {"paste",
             [](Editor& e) {
                 QApplication::clipboard()->setText("x\t2\n");
                 e.sheet->selectBlock(5, 1, 5, 1);
                 e.key(Qt::Key_V, Qt::ControlModifier);
             }},
            {"cut",
             [](Editor& e) {
                 e.sheet->selectBlock(5, 1, 6, 4);
                 e.key(Qt::Key_X, Qt::ControlModifier);
             }},
            {"delete cells",
             [](Editor& e) {
                 e.sheet->selectBlock(7, 9, 8, 10);
                 e.key(Qt::Key_Delete);
             }},
            {"insert rows",
             [](Editor& e) {
                 e.sheet->selectBlock(7, 0, 8, 0);
                 e.key(Qt::Key_Insert, Qt::ControlModifier);
             }},
            {"delete rows",
             [](Editor& e) {
                 e.sheet->selectBlock(7, 0, 11, 0);
                 e.key(Qt::Key_Delete, Qt::ShiftModifier);
             }},
        };
        for (const auto& [what, edit] : edits) {
            Editor e;
            const ui::Block before = e.all();
            edit(e);
            const ui::Block after = e.all();
            QVERIFY2(after != before, what);
            e.key(Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(e.all() == before, what);
            e.key(Qt::Key_Y, Qt::ControlModifier);
            QVERIFY2(e.all() == after, what);
            guitest::click(e.button("cmdSavecha"));
            QVERIFY2(!e.m->undoStack().canUndo(), what); // a save ends the history
        }
    }

    void findSelectsASpeciesByNameOrNumber() {
        Editor e;
        e.key(Qt::Key_F, Qt::ControlModifier);
        auto* box = guitest::child<QLineEdit>(e.w, "txtFind");
        QVERIFY(!box->isHidden());
        const std::pair<const char*, int> cases[] = {{"hco3", 101}, {"101", 101}, {"352", 352}, {"Na", 2}};
        for (const auto& [what, species] : cases) {
            e.sheet->selectBlock(0, 0, 0, 0);
            box->setText(what);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(e.sheet->currentIndex().row(), e.rowOf(species));
            QVERIFY(e.sheet->selectionModel()->isRowSelected(e.rowOf(species), {}));
        }
        box->setText("Unobtainium");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(guitest::child<QLabel>(e.w, "lblFound")->text(),
                 QString("No species matches \"Unobtainium\"."));
    }

    void refusedSavesLeaveTablesAndFileAsTheyWere() {
        struct Case {
            int col;
            const char* text;
            const char* says;
        };
        const Case cases[] = {
            {dbcol::No, "", "Row 5, column \"No.\" is empty: every row needs a species number"},
            {dbcol::Comp1, "4.5",
             "Row 5, column \"Comp. I\" holds \"4.5\", which is not a whole number from 0 to 500."},
            {dbcol::Charge, "two", "Row 5, column \"Charge\" holds \"two\""},
        };
        for (const auto& c : cases) {
            for (const char* button : {"cmdSavecha", "cmdSaveDb", "cmdSaNewDb"}) {
                Editor e;
                const std::string before = tables(e.p.st());
                e.set(4, c.col, c.text);
                e.p.ui().chooseFile(e.p.file("new.DBS"));
                guitest::click(e.button(button));
                QCOMPARE(e.p.ui().messages().size(), std::size_t(1));
                QCOMPARE(e.p.ui().messages()[0].title, QString("Kelvaspec Error"));
                QVERIFY2(e.p.ui().messages()[0].text.startsWith(c.says),
                         qPrintable(e.p.ui().messages()[0].text));
                QVERIFY(e.p.ui().messages()[0].text.endsWith("Nothing has been saved."));
                QCOMPARE(tables(e.p.st()), before);
                QCOMPARE(bytes(e.db), bytes(guitest::sourcePath("data/default.DBS")));
                QVERIFY(!QFile::exists(e.p.file("new.DBS")));
                QCOMPARE(e.p.ui().fileDialogs().size(), std::size_t(0));
            }
        }
    }

    void aFileThatCannotBeWrittenLeavesTheTablesAsTheyWere() {
        Editor e;
        const std::string before = tables(e.p.st());
        e.set(4, dbcol::LogK, "1.25");
        e.p.st().main.txtDb = e.p.file("missing/folder/x.DBS").toStdString();
        guitest::click(e.button("cmdSaveDb"));
        QCOMPARE(e.p.ui().messages().size(), std::size_t(1));
        const QString text = e.p.ui().messages()[0].text;
        QVERIFY2(text.startsWith("The database file \"" + e.p.file("missing/folder/x.DBS") +
                                 "\" could not be saved: "),
                 qPrintable(text));
        QCOMPARE(tables(e.p.st()), before);
        QCOMPARE(e.cell(4, dbcol::LogK), QString("1.25")); // the edit stays in the sheet
    }

    void aDatabaseSavedFromTheEditorLoadsBackEqual() {
        Editor e;
        e.set(4, dbcol::LogK, "1.25");
        e.sheet->selectBlock(6, 0, 6, 0);
        e.key(Qt::Key_Insert, Qt::ControlModifier);
        e.set(6, dbcol::Name, "New species");
        e.set(6, dbcol::No, "499");
        e.p.ui().chooseFile(e.p.file("copy"));
        guitest::click(e.button("cmdSaNewDb"));
        QCOMPARE(e.p.ui().messages().size(), std::size_t(0));
        QCOMPARE(e.p.ui().fileDialogs()[0].filter, QString("Database files (*.DBS)|*.DBS"));
        const QString saved = e.p.file("copy.DBS");
        QCOMPARE(QString::fromStdString(e.p.st().main.txtDb), saved);
        QCOMPARE(bytes(e.db), bytes(guitest::sourcePath("data/default.DBS"))); // the old file is untouched
        auto again = std::make_unique<ProgramState>();
        again->Dbfile = saved.toStdString();
        QVERIFY(readdb(*again).ok);
        QCOMPARE(tables(*again), tables(e.p.st()));
        QCOMPARE(again->SpLogK[e.p.st().SpNo[5]].v, 1.25);
        QCOMPARE(again->SpName[499], std::string("New species"));
        QCOMPARE(again->Ndatalines, i16(224));
    }

    void quitAndCloseGoBackToTheMainWindow() {
        Editor e;
        auto& main = e.p.app().window<frmMain>();
        QVERIFY(main.isHidden());
        guitest::click(e.button("cmdQuit"));
        QVERIFY(e.w->isHidden());
        QVERIFY(!main.isHidden());
        App::handOver(&main, e.w);
        e.w->close();
        QVERIFY(!main.isHidden());
    }

    void helpAndScreenshots() {
        Editor e;
        e.sheet->selectBlock(2, 9, 4, 11);
        e.w->resize(1340, 700); // as on a 1366 x 768 screen (the offscreen screen is smaller)
        guitest::screenshot(e.w, "frmDbs");
        guitest::child<QAction>(e.w, "mnuHelp")->trigger();
        auto* help = e.p.app().existing<frmHelp>();
        QVERIFY(help);
        QCOMPARE(help->windowTitle(), QString("Kelvaspec Database"));
        QCOMPARE(guitest::child<QLabel>(help, "lblColumns_8")->text(), QString("Columns 12-14:"));
        guitest::screenshot(help, "frmHelp");
        QPointer<frmHelp> gone = help;
        guitest::click(help->cmdMain);
        QTRY_VERIFY(gone.isNull()); // discarded when closed
    }
};

QTEST_MAIN(TestDbs)
#include "test_dbs.moc"
