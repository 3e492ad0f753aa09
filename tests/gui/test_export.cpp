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
#include "ui/Grid.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>

using namespace kelva;
using guitest::child;

namespace {

void pick(frmOut1& w, int k) {
    auto* cbo = child<QComboBox>(&w, "cboProbno");
    cbo->setCurrentIndex(k - 1);
    emit cbo->activated(k - 1);
}

void trigger(QWidget* w, const char* action) {
    auto* a = child<QAction>(w, action);
    QVERIFY2(a->isEnabled(), action);
    a->trigger();
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
    void tablesGoToNewWorkbooksThatOpenInTheSpreadsheetProgram() {
        guitest::Program p;
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.copyData("examples/golden/sweep.OUT"));
        pick(w, 2);
        guitest::click(child<QPushButton>(&w, "cmdSpecies"));
        guitest::click(child<QPushButton>(&w, "cmdTotaq"));
        guitest::click(child<QPushButton>(&w, "cmdSweep"));
        auto& sweep = p.app().window<frmSweepout>();
        struct Case {
            QWidget* window;
            const char* command; // a menu entry of frmOut1 or a button
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
        for (const Case& c : cases) {
            p.ui().clearLog();
            for (const QString& name : {c.file, QFileInfo(c.file).completeBaseName() + " (2).xlsx"}) {
                if (c.window == &w)
                    trigger(c.window, c.command);
                else
                    guitest::click(child<QPushButton>(c.window, c.command));
                const QString path = p.file(name);
                QVERIFY2(QFile::exists(path), qPrintable(name));
                QCOMPARE(p.ui().openedExternally().last(), path);
                QCOMPARE(p.ui().messages().back().title, QString("Warning!"));
                QVERIFY(p.ui().messages().back().text.contains(path));
                sameAsGrid(path, c.grid, c.captionRows, c.numberFormat, 7);
            }
        }
        // The sweep table's kinds are captions; its pH column numbers.
        const auto sheet = testxlsx::readXlsx(p.file("sweep-table.xlsx").toStdString()).front();
        QCOMPARE(QString::fromStdString(sheet.at(1, 2)->text), QString("Concentration"));
        QCOMPARE(sheet.at(3, 1)->number, 4.2);
    }

    void noSpreadsheetProgramAndAFolderThatCannotBeWrittenAreTold() {
        guitest::Program p;
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.copyData("examples/golden/soil.OUT"));
        p.ui().setExternalOpenWorks(false);
        trigger(&w, "mnuOptionsExcel1");
        const auto& told = p.ui().messages().back();
        QCOMPARE(told.title, QString("Warning!"));
        QVERIFY(told.text.contains("No program"));
        QVERIFY(told.text.contains(p.file("species-problem-1.xlsx")));

        QFile plain(p.file("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        p.st().Directory = p.file("plain/folder").toStdString();
        p.ui().clearLog();
        trigger(&w, "mnuOptionsExcel2");
        QCOMPARE(p.ui().messages().size(), std::size_t(1));
        QCOMPARE(p.ui().messages().back().title, QString("Error"));
        QCOMPARE(p.ui().messages().back().icon, ui::Icon::Stop);
        QVERIFY2(p.ui().messages().back().text.contains("Not a directory"),
                 qPrintable(p.ui().messages().back().text));
        QVERIFY(p.ui().openedExternally().isEmpty());
    }

    void printingHandsTheWindowAsShownToThePrinter() {
        guitest::Program p;
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.copyData("examples/golden/multi.OUT"));
        pick(w, 3);
        trigger(&w, "mnuOptionsPrint");
        guitest::click(child<QPushButton>(&w, "cmdSweep"));
        auto& sweep = p.app().window<frmSweepout>();
        guitest::click(child<QPushButton>(&sweep, "cmdPrint"));
        const auto& jobs = p.printer().jobs();
        QCOMPARE(jobs.size(), std::size_t(2));
        QCOMPARE(jobs[0].page.data(), w.centralWidget());
        QCOMPARE(jobs[0].pdfStem, QString("output-problem-3"));
        QCOMPARE(jobs[0].pdfDir, p.dir());
        QCOMPARE(jobs[1].page.data(), static_cast<QWidget*>(&sweep));
        QVERIFY(p.ui().messages().empty()); // printed: nothing to tell

        p.printer().setAnswer({ui::PrintResult::Kind::Failed, {}, "the printer is out of paper"});
        guitest::click(child<QPushButton>(&sweep, "cmdPrint"));
        QCOMPARE(p.ui().messages().back().title, QString("Error"));
        QVERIFY(p.ui().messages().back().text.contains("out of paper"));
    }

    // The real printing code on a computer without a printer: one PDF page per window, holding
    // the window's text.
    void withoutAPrinterThePageIsSavedAsAPdf() {
        guitest::Program p;
        p.app().setPrinter(std::make_unique<ui::QtPrinter>(/*pdfOnly=*/true));
        auto& w = p.app().window<frmOut1>();
        w.openResultFile(p.copyData("examples/golden/sweep.OUT"));
        guitest::click(child<QPushButton>(&w, "cmdSweep"));
        auto& sweep = p.app().window<frmSweepout>();
        struct Case {
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
        for (const Case& c : cases) {
            c.window->show();
            QCoreApplication::processEvents(); // laid out as the user sees it
            if (c.window == &w)
                trigger(c.window, c.command);
            else
                guitest::click(child<QPushButton>(c.window, c.command));
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
