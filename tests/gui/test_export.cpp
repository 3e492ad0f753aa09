// Spreadsheet export and printing from the result windows: the workbook written in the working
// folder holds the grid the user sees (texts and numbers), is opened in the spreadsheet
// program and never replaces a file; failures are told; pages go to the printer, or to a PDF
// file where there is none.
#include "files/numtext.h"
#include "gui/support/guitest.h"
#include "results/frmOut1.h"
#include "results/frmOut2.h"
#include "results/frmOut4.h"
#include "results/frmSweepout.h"
#include "support/xlsxread.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QPushButton>

using namespace kelva;
using namespace kelva::guitest;

namespace {

// Gives a command as the user does: a menu entry of frmOut1, or a button.
void command(QWidget* w, const char* name) {
    if (auto* a = w->findChild<QAction*>(name)) {
        QVERIFY2(a->isEnabled(), name);
        a->trigger();
    } else {
        click(child<QPushButton>(w, name));
    }
}

// The workbook's one sheet holds the grid as shown: captions as texts, column 0 as text, the
// rest as the number each text begins with, in the column's form; `maxCols` columns at most.
void sameAsGrid(const QString& book, ui::Grid* g, int captionRows, const QString& numberFormat, int maxCols) {
    const auto sheets = testxlsx::readXlsx(book.toStdString());
    QCOMPARE(sheets.size(), std::size_t(1));
    const testxlsx::Sheet& s = sheets.front();
    QCOMPARE(s.rows, g->rowCount());
    QCOMPARE(s.cols, std::min(g->columnCount(), maxCols));
    for (int r = 0; r < s.rows; ++r)
        for (int c = 0; c < s.cols; ++c) {
            const QString shown = g->text(r, c);
            const testxlsx::Cell* cell = s.at(r, c);
            const QString where = QString("cell (%1, %2) \"%3\"").arg(r).arg(c).arg(shown);
            if (r < captionRows || c == 0) {
                QVERIFY2(shown.isEmpty() ? cell == nullptr : cell && cell->type == 's', qPrintable(where));
                if (cell) QCOMPARE(QString::fromStdString(cell->text), shown);
                continue;
            }
            QVERIFY2(cell && cell->type == 'n', qPrintable(where));
            QCOMPARE(cell->number, text::leadingNumber(shown.toStdString()));
            if (c == 1 && !numberFormat.isEmpty())
                QCOMPARE(QString::fromStdString(cell->format), numberFormat);
        }
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
  private slots:
    void tablesGoToNewWorkbooksThatOpenInTheSpreadsheetProgramAndPagesToThePrinter() {
        Program p;
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.copyData("examples/golden/sweep.OUT"));
        pick(child<QComboBox>(&w, "cboProbno"), 1);
        click(child<QPushButton>(&w, "cmdSpecies"));
        click(child<QPushButton>(&w, "cmdTotaq"));
        click(child<QPushButton>(&w, "cmdSweep"));
        auto& sweep = p.app().window<frmSweepout>();
        const struct {
            QWidget* window;
            const char* command;
            ui::Grid* grid;
            int captionRows;
            QString file;
            QString numberFormat; // of column 1
        } cases[] = {
            {&w, "mnuOptionsExcel1", child<ui::Grid>(&p.app().window<frmOut2>(), "grdSpecies"), 1,
             "species-problem-2.xlsx", "0.0000E+00"},
            {&w, "mnuOptionsExcel2", child<ui::Grid>(&p.app().window<frmOut4>(), "grdTotals"), 1,
             "totals-problem-2.xlsx", "0.0000E+00"},
            {&sweep, "cmdExcellera", child<ui::Grid>(&sweep, "grdSweep"), 2, "sweep-table.xlsx", ""},
        };
        for (const auto& c : cases) {
            command(c.window, c.command);
            const QString path = p.file(c.file);
            QVERIFY2(QFile::exists(path), qPrintable(path));
            QCOMPARE(p.ui().openedExternally().last(), path);
            QCOMPARE(p.ui().messages().back().title, QString("Warning!"));
            QVERIFY(p.ui().messages().back().text.contains(path));
            sameAsGrid(path, c.grid, c.captionRows, c.numberFormat, 7);
        }
        // The sweep table's kinds are captions; its pH column numbers.
        const auto sheet = testxlsx::readXlsx(p.file("sweep-table.xlsx").toStdString()).front();
        QCOMPARE(QString::fromStdString(sheet.at(1, 2)->text), QString("Concentration"));
        QCOMPARE(sheet.at(3, 1)->number, 4.2);

        p.ui().setExternalOpenWorks(false); // again: a new file beside the first, and no program
        command(&w, "mnuOptionsExcel1");
        QVERIFY(QFile::exists(p.file("species-problem-2 (2).xlsx")));
        QCOMPARE(p.ui().messages().back().title, QString("Warning!"));
        QVERIFY2(p.ui().messages().back().text.contains("No program") &&
                     p.ui().messages().back().text.contains(p.file("species-problem-2 (2).xlsx")),
                 qPrintable(p.said()));

        // Printing hands the window as shown to the printer; a failure is told.
        p.ui().clearLog();
        command(&w, "mnuOptionsPrint");
        command(&sweep, "cmdPrint");
        const auto& jobs = p.printer().jobs();
        QCOMPARE(jobs.size(), std::size_t(2));
        QCOMPARE(std::tuple(jobs[0].page.data(), jobs[0].pdfStem, jobs[0].pdfDir),
                 std::tuple(w.centralWidget(), QString("output-problem-2"), p.dir()));
        QCOMPARE(jobs[1].page.data(), static_cast<QWidget*>(&sweep));
        QVERIFY(p.ui().messages().empty()); // printed: nothing to tell
        p.printer().setAnswer({ui::PrintResult::Kind::Failed, {}, "the printer is out of paper"});
        command(&sweep, "cmdPrint");
        QVERIFY2(p.said().startsWith("Error: ") && p.said().contains("out of paper"), qPrintable(p.said()));

        writeFile(p.file("plain"), ""); // a folder that cannot be made
        p.st().Directory = p.file("plain/folder").toStdString();
        p.ui().clearLog();
        command(&w, "mnuOptionsExcel2");
        QCOMPARE(std::pair(p.ui().messages().size(), p.ui().messages()[0].icon),
                 std::pair(std::size_t(1), ui::Icon::Stop));
        QVERIFY2(p.said().startsWith("Error: ") && p.said().contains("Not a directory"),
                 qPrintable(p.said()));
        QVERIFY(p.ui().openedExternally().isEmpty());
    }

    // The real printing code on a computer without a printer: one PDF page per window, holding
    // the window's text.
    void withoutAPrinterThePageIsSavedAsAPdf() {
        Program p;
        p.app().setPrinter(std::make_unique<ui::QtPrinter>(/*pdfOnly=*/true));
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.copyData("examples/golden/sweep.OUT"));
        click(child<QPushButton>(&w, "cmdSweep"));
        auto& sweep = p.app().window<frmSweepout>();
        const struct {
            QWidget* window;
            const char* command;
            QString pdf;
            QStringList texts;
        } cases[] = {
            {&w,
             "mnuOptionsPrint",
             "output-problem-1.pdf",
             {"Fractional distribution of master species", "No. of iterations", "View species table",
              child<ui::Grid>(&w, "grdFractmast")->text(1, 0)}},
            {&sweep,
             "cmdPrint",
             "sweep-results.pdf",
             {"Problem no.", "Print this page to printer", child<ui::Grid>(&sweep, "grdSweep")->text(2, 2)}},
        };
        for (const auto& c : cases) {
            c.window->show();
            QCoreApplication::processEvents(); // laid out as the user sees it
            command(c.window, c.command);
            const QString pdf = p.file(c.pdf);
            QVERIFY2(QFile::exists(pdf), qPrintable(pdf));
            QVERIFY(p.ui().messages().back().text.contains(pdf));
            QVERIFY(run("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+1\\n")));
            const QString text = run("pdftotext", {"-layout", pdf, "-"});
            for (const QString& t : c.texts) QVERIFY2(text.contains(t), qPrintable(t + " not in\n" + text));
            const QString png =
                QStringLiteral(KELVA_BINARY_DIR) + "/screenshots/print-" + QFileInfo(pdf).baseName();
            QDir().mkpath(QFileInfo(png).path());
            run("pdftoppm", {"-png", "-r", "80", "-singlefile", pdf, png});
            QVERIFY(QFile::exists(png + ".png"));
        }
    }
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
