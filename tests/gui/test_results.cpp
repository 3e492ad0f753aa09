// The result windows as the user sees them: problems picked, the sweep table and its chart, files
// saved, refused and reopened, the way back, workbooks for the spreadsheet program, and printing.
#include "gui/support/guitest.h"
#include "input/frmMain.h"
#include "results/SweepChart.h"
#include "results/frmOut1.h"
#include "results/frmOut2.h"
#include "results/frmOut3.h"
#include "results/frmOut4.h"
#include "results/frmSweepout.h"
#include "support/xlsxread.h"

#include <QAction>
#include <QChart>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>

using namespace kelva;
using namespace kelva::guitest;

namespace {

qsizetype nth(const QByteArray& text, const QByteArray& what, int n) {
    qsizetype at = -1;
    for (int i = 0; i < n; ++i) at = text.indexOf(what, at + 1);
    return at;
}

// Marks problem k of a result file's text as stopped at the iteration limit.
void stopAtLimit(QByteArray& text, int k) {
    text.insert(nth(text, "\"No. of iterations \"", k), "\"ERROR - Exceedance of no. of iterations\"\r\n");
}

template <class S> S* series(QChart* c, const QString& name) {
    for (QAbstractSeries* s : c->series())
        if (s->name() == name) return qobject_cast<S*>(s);
    return nullptr;
}

// Gives a command as the user does: a menu entry of frmOut1, or a button.
void command(QWidget* w, const char* name) {
    if (auto* a = w->findChild<QAction*>(name)) {
        QVERIFY2(a->isEnabled(), name);
        a->trigger();
    } else {
        click(child<QPushButton>(w, name));
    }
}

// The workbook's one sheet holds the grid's rows under its caption.
void sameAsGrid(const QString& book, ui::Grid* g) {
    const auto sheets = testxlsx::readXlsx(book.toStdString());
    QCOMPARE(sheets.size(), std::size_t(1));
    const testxlsx::Sheet& s = sheets.front();
    QCOMPARE(s.rows, g->rowCount());
    QVERIFY(s.at(0, 1));
    QCOMPARE(QString::fromStdString(s.at(0, 1)->text), g->text(0, 1));
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestResults : public QObject {
    Q_OBJECT
  private slots:
    void resultsAsTheUserSeesThemFilesThatCannotBeShownRefusedTablesToWorkbooksAndPagesToPrinterOrPdf() {
        Program p;
        auto& w = p.app().window<frmOut1>();
        const QString golden = p.copyData("examples/golden/soil.OUT");
        w.openResultFile(golden);
        QCOMPARE(std::tuple(w.isVisible(), p.st().Outflag, p.said()),
                 std::tuple(true, std::string("c"), QString()));
        // One problem: no selector, no sweep button, no error marker, no precipitation details.
        for (const char* hidden :
             {"cboProbno", "lblProbno", "cmdSweep", "lblError", "txtFepconc", "lblFeproc"})
            QVERIFY2(!shown(&w, hidden), hidden);
        // The DOC is 18.1588 mg/l cut, not rounded, to three decimals.
        QCOMPARE((QStringList{textOf(&w, "txtpH"), textOf(&w, "txtIstrength"), textOf(&w, "txtDOC")}),
                 (QStringList{" 4.03914674523047", " .00837452107016758", " 18.158"}));
        QCOMPARE(row(&w, "grdFractmast", 1),
                 QStringList({"Na", "91.765", "2.128", "3.776", "0.000", "0.000", "2.331"}));

        click(child<QPushButton>(&w, "cmdSpecies"));
        auto& species = p.app().window<frmOut2>();
        QVERIFY(species.isVisible() && w.isVisible());
        // Alphabetical by byte: "CO3" before "Ca"; scientific form and a three-decimal log.
        QCOMPARE(row(&species, "grdSpecies", 1), QStringList({"CO3", "3.5700E-12", "2.4836E-12", "-11.605"}));
        QCOMPARE(row(&species, "grdSpecies", 2)[0], QString("Ca"));

        click(child<QPushButton>(&species, "cmdMisc"));
        auto& misc = p.app().window<frmOut3>();
        QVERIFY(misc.isVisible() && !species.isVisible());
        QCOMPARE((QStringList{textOf(&misc, "txtZedha"), textOf(&misc, "txtRatioclay"),
                              textOf(&misc, "txtHADDL")}),
                 (QStringList{"-9.0059E-04 ", " 16.3987015955692", "0.448"}));
        QVERIFY(shown(&misc, "lblRatioclay"));

        click(child<QPushButton>(&misc, "cmdTotaq"));
        auto& totals = p.app().window<frmOut4>();
        QVERIFY(totals.isVisible() && !misc.isVisible());
        QCOMPARE(row(&totals, "grdTotals", 1), QStringList({"Na", "1.8802E-03", ".83", ".64"}));

        screenshot(&w, "frmOut1");
        screenshot(&species, "frmOut2");
        screenshot(&misc, "frmOut3");
        screenshot(&totals, "frmOut4");
        click(child<QPushButton>(&totals, "cmdBack"));
        QVERIFY(!totals.isVisible() && w.isVisible());

        // A water result hides what only a soil result holds.
        w.openResultFile(runExample(p, "water.DAT", "water.OUT"));
        for (QWidget* win : std::initializer_list<QWidget*>{&w, &species, &misc})
            QVERIFY(!shown(win, "cmdTotaq"));
        QVERIFY(!shown(&w, "txtDOC") && !shown(&w, "lblDOC") && !shown(&misc, "txtRatioclay"));
        QVERIFY(!child<QAction>(&w, "mnuOptionsExcel2")->isEnabled());
        QCOMPARE(child<ui::Grid>(&p.app().window<frmOut4>(), "grdTotals")->rowCount(), 2);
        screenshot(&w, "frmOut1-water");

        // A soil result brings everything back; here with iron that precipitates.
        writeFile(p.file("fe.OUT"),
                  readFile(sourcePath("data/examples/golden/soil.OUT"))
                      .replace("\"[Fe(OH)3 ppt]\",\"No\",0\r\n\"\"",
                               "\"[Fe(OH)3 ppt]\",\"Yes\",1.5E-06\r\n\"% Tot Fe pptd \",75"));
        w.openResultFile(p.file("fe.OUT"));
        QVERIFY(shown(&w, "txtDOC") && shown(&species, "cmdTotaq"));
        QVERIFY(child<QAction>(&w, "mnuOptionsExcel2")->isEnabled());
        QCOMPARE((QStringList{textOf(&w, "txtFeppt"), textOf(&w, "txtFepconc"), textOf(&w, "txtFeproc"),
                              textOf(&w, "txtAlppt")}),
                 (QStringList{"Yes", " 1.5E-06", " 75", "No"}));
        for (const char* name : {"txtFepconc", "lblFemol", "txtFeproc", "lblFeproc"})
            QVERIFY2(shown(&w, name), name);
        for (const char* name : {"txtAlpconc", "lblAlmol", "txtAlproc", "lblAlproc"})
            QVERIFY2(!shown(&w, name), name);
        screenshot(&w, "frmOut1-precipitation");

        // Files that cannot be shown are refused with a message; nothing of the previous file stays on show.
        const QByteArray text = readFile(golden);
        const std::pair<QByteArray, QString> refused[] = {
            {"", "the file is empty"},
            {readFile(sourcePath("data/examples/soil.DAT")), "not a Kelvaspec result file"},
            {text.left(text.indexOf("\"CONCENTRATIONS")), "the file ends before"},
            {QByteArray(text).replace("\"pH \",4.03914674523047", "\"pH \",\"four\""),
             "line 7, field 2: expected the pH"}};
        for (const auto& [content, reason] : refused) {
            w.openResultFile(golden);
            p.ui().clearLog();
            writeFile(p.file("bad.OUT"), content);
            p.ui().chooseFile(p.file("bad.OUT"));
            child<QAction>(&w, "mnuFileOpen")->trigger();
            p.toldOnce("Kelvaspec Error: ");
            QVERIFY2(p.said().contains("bad.OUT") && p.said().contains(reason), qPrintable(p.said()));
            QCOMPARE(textOf(&w, "txtpH") + row(&w, "grdFractmast", 1).join(""), QString());
            QCOMPARE(child<ui::Grid>(&species, "grdSpecies")->text(1, 0), QString());
        }

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
            QString file;
        } cases[] = {
            {&w, "mnuOptionsExcel1", child<ui::Grid>(&p.app().window<frmOut2>(), "grdSpecies"),
             "species-problem-2.xlsx"},
            {&w, "mnuOptionsExcel2", child<ui::Grid>(&p.app().window<frmOut4>(), "grdTotals"),
             "totals-problem-2.xlsx"},
            {&sweep, "cmdExcellera", child<ui::Grid>(&sweep, "grdSweep"), "sweep-table.xlsx"},
        };
        for (const auto& c : cases) {
            command(c.window, c.command);
            const QString path = p.file(c.file);
            QVERIFY2(QFile::exists(path), qPrintable(path));
            QCOMPARE(p.ui().openedExternally().last(), path);
            QCOMPARE(p.ui().messages().back().title, QString("Warning!"));
            QVERIFY(p.ui().messages().back().text.contains(path));
            sameAsGrid(path, c.grid);
        }

        p.ui().setExternalOpenWorks(false); // again: a new file beside the first, and no program
        command(&w, "mnuOptionsExcel1");
        QVERIFY(QFile::exists(p.file("species-problem-2 (2).xlsx")));
        QCOMPARE(p.ui().messages().back().title, QString("Warning!"));
        QVERIFY2(p.ui().messages().back().text.contains("No program") &&
                     p.ui().messages().back().text.contains(p.file("species-problem-2 (2).xlsx")),
                 qPrintable(p.said()));

        // A print says nothing; a printer that fails is told.
        p.ui().clearLog();
        command(&sweep, "cmdPrint");
        QVERIFY(p.ui().messages().empty());
        p.printer().setAnswer({ui::PrintResult::Kind::Failed, {}, "the printer is out of paper"});
        command(&sweep, "cmdPrint");
        QVERIFY2(p.said().startsWith("Error: ") && p.said().contains("out of paper"), qPrintable(p.said()));

        // The real printing code on a computer without a printer: one PDF page per window, holding
        // the window's text.
        p.app().setPrinter(std::make_unique<ui::QtPrinter>(/*pdfOnly=*/true));
        pick(child<QComboBox>(&w, "cboProbno"), 0);
        const struct {
            QWidget* window;
            const char* command;
            QString pdf;
            QStringList texts;
        } pages[] = {
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
        for (const auto& c : pages) {
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
            run("pdftoppm", {"-png", "-r", "80", "-singlefile", pdf, png});
            QVERIFY(QFile::exists(png + ".png"));
        }

        writeFile(p.file("plain"), ""); // a folder that cannot be made
        p.st().Directory = p.file("plain/folder").toStdString();
        p.ui().clearLog();
        command(&w, "mnuOptionsExcel2");
        p.toldOnce("Error: ");
        QVERIFY2(p.said().contains("Not a directory"), qPrintable(p.said()));
        QVERIFY(p.ui().openedExternally().isEmpty());
    }

    // An "Only multi" list drawn against the problem number; then the same list with problem 2
    // stopped at the limit, opened from the menu while the last run's "Tempo.out" holds another
    // result: picking re-reads the chosen file.
    void aListDrawnAgainstTheProblemNumberThenOpenedPickedAndSaved() {
        Program p;
        runExample(p, "multi.DAT");
        p.st().Sweepmode = "Only multi"; // as after the run of that list
        p.app().window<frmOut1>().showRunResults();
        auto& s = p.app().window<frmSweepout>();
        s.showState();
        auto* g = child<ui::Grid>(&s, "grdSweep");
        QCOMPARE(std::pair(g->rowCount(), g->columnCount()), std::pair(5, 2));
        auto* ph = series<QLineSeries>(child<SweepChart>(&s, "chtSweep")->chart(), "pH");
        QVERIFY(ph && ph->count() == 3);
        QCOMPARE(ph->at(2), QPointF(3, g->text(4, 1).toDouble()));
        screenshot(&s, "frmSweepout-only-multi");

        const QString multi = p.file("multi.OUT");
        QFile::rename(p.file("Tempo.out"), multi);
        QByteArray text = readFile(multi);
        stopAtLimit(text, 2);
        writeFile(multi, text);
        QFile::copy(p.copyData("examples/golden/soil.OUT"), p.file("Tempo.out"));
        auto& w = p.app().window<frmOut1>();
        p.ui().chooseFile(multi);
        child<QAction>(&w, "mnuFileOpen")->trigger();
        QCOMPARE(p.ui().fileDialogs().back().filter, QString("Kelvaspec Output files(*.OUT)|*.OUT"));
        QVERIFY(!shown(&w, "lblError") && shown(&w, "cmdSweep") && shown(&w, "lblProbno"));
        auto* cbo = child<QComboBox>(&w, "cboProbno");
        QCOMPARE(std::pair(cbo->count(), cbo->itemText(0)), std::pair(3, QString(" 1")));
        pick(cbo, 1);
        QVERIFY(shown(&w, "lblError"));
        QCOMPARE(textOf(&w, "txtpH"), QString(" 6")); // from multi.OUT; shown all the same
        QCOMPARE(textOf(&p.app().window<frmOut2>(), "txtProbno"), QString(" 2"));
        screenshot(&w, "frmOut1-iteration-limit");
        pick(cbo, 2);
        QVERIFY(!shown(&w, "lblError"));
        QCOMPARE(textOf(&p.app().window<frmOut3>(), "txtProbno"), QString(" 3"));
        p.ui().cancelFileDialog(); // a cancelled dialog changes nothing
        child<QAction>(&w, "mnuFileOpen")->trigger();
        QCOMPARE(cbo->currentIndex(), 2);

        p.ui().chooseFile(p.file("kept")); // saved whole, with the extension added
        child<QAction>(&w, "mnuFileSave")->trigger();
        QCOMPARE(p.ui().fileDialogs().back().filter, QString("Output files (*.OUT)|*.OUT"));
        QCOMPARE(readFile(p.file("kept.OUT")), readFile(multi));
        QVERIFY2(p.ui().messages().empty(), qPrintable(p.said()));
        p.ui().chooseFile(p.file("no-such-folder/kept.OUT")); // cannot be done: told, nothing left
        child<QAction>(&w, "mnuFileSave")->trigger();
        QVERIFY(p.ui().messages().size() == 1 && !QFile::exists(p.file("no-such-folder/kept.OUT")));
    }

    // A pH sweep with problem 3 stopped at the iteration limit and no Cu species row in problem 4;
    // then back to the input window, which reads the run's input and database again.
    void sweepTableAndChartOfAPhSweepAndBackToInput() {
        Program p;
        const QString path = runExample(p, "sweep.DAT");
        QByteArray text = readFile(path);
        stopAtLimit(text, 3);
        const qsizetype cu = text.indexOf(",\"Cu\",", nth(text, "\"CONCENTRATIONS AND", 4));
        const qsizetype start = text.lastIndexOf('\n', cu) + 1;
        text.remove(start, text.indexOf('\n', cu) + 1 - start);
        writeFile(path, text);
        auto& w = p.app().window<frmOut1>();
        w.showRunResults();
        w.show();
        click(child<QPushButton>(&w, "cmdSweep"));
        auto& s = p.app().window<frmSweepout>();
        QVERIFY(s.isVisible() && !w.isVisible());

        auto* g = child<ui::Grid>(&s, "grdSweep");
        QCOMPARE(std::pair(g->rowCount(), g->columnCount()),
                 std::pair(22, 6)); // two caption rows, 20 problems
        // The iteration limit in red; its values are still there.
        QCOMPARE(g->text(4, 0), QString("!!ERROR!!"));
        QCOMPARE(g->cellColor(4, 0), QColor(Qt::red));
        QVERIFY(g->cellColor(5, 0) != QColor(Qt::red) && !g->text(4, 2).isEmpty());
        QCOMPARE(g->text(5, 2), QString("Not present")); // no Cu row in problem 4
        // DOC as the main window shows it for the same problem; picking does not rebuild the table.
        pick(child<QComboBox>(&w, "cboProbno"), 4);
        QCOMPARE(g->text(6, 5), textOf(&w, "txtDOC"));
        QCOMPARE(g->rowCount(), 22);
        screenshot(&w, "frmOut1-sweep");

        QChart* c = child<SweepChart>(&s, "chtSweep")->chart();
        auto* conc = series<QLineSeries>(c, "Cu Concentration");
        QVERIFY(conc);
        QCOMPARE(conc->count(), 17); // problems 3 and 17 (no sound result) and 4 (not present) left out
        QCOMPARE(conc->at(0).x(), 4.0);
        QCOMPARE(conc->at(2).x(), g->text(6, 1).toDouble()); // pH of problem 5 follows
        QVERIFY(qobject_cast<QLogValueAxis*>(conc->attachedAxes().at(1)));
        auto* ca = series<QLineSeries>(c, "Ca Log Activity");
        QVERIFY(ca && qobject_cast<QValueAxis*>(ca->attachedAxes().at(1)));
        QCOMPARE(ca->attachedAxes().at(1)->alignment(), Qt::AlignRight);
        QVERIFY(series<QLineSeries>(c, "Cu Total dissolved") && series<QLineSeries>(c, "DOC (mg/l)"));
        QVERIFY(!series<QLineSeries>(c, "pH")); // the x axis
        // The marks of the log axis: both Cu columns of problems 3 and 17.
        auto* limit = series<QScatterSeries>(c, "Iteration limit reached");
        QVERIFY(limit && limit->count() == 4);
        QCOMPARE(limit->at(0), QPointF(g->text(4, 1).toDouble(), g->text(4, 2).toDouble()));
        auto* absent = series<QScatterSeries>(c, "Not present");
        QVERIFY(absent && absent->count() == 1 && absent->at(0).x() == g->text(5, 1).toDouble());
        const QString note = child<QLabel>(&s, "lblChartnote")->text();
        QVERIFY2(note.contains("Problems 3, 17 stopped") &&
                     note.contains("Cu Concentration is not present in problem 4"),
                 qPrintable(note));

        s.show();
        screenshot(&s, "frmSweepout");
        for (const QString name : {"chart.png", "chart.svg"}) { // saved through the file dialog
            p.ui().chooseFile(p.file(name));
            click(child<QPushButton>(&s, "cmdSavechart"));
        }
        QVERIFY(!QImage(p.file("chart.png")).isNull());
        QVERIFY(readFile(p.file("chart.svg")).contains("<svg"));
        QVERIFY(p.ui().messages().empty());
        click(child<QPushButton>(&s, "cmdOutput"));
        QVERIFY(w.isVisible() && !s.isVisible());

        writeFile(p.file("Temp.dat"),
                  readFile(sourcePath("data/examples/sweep.DAT"))
                      .replace("../default.DBS", sourcePath("data/default.DBS").toUtf8()));
        p.st().setIterr(3, 1);
        auto& main = p.app().window<frmMain>();
        click(child<QPushButton>(&w, "cmdBack"));
        QVERIFY(!s.isVisible() && !w.isVisible() && main.isVisible());
        QVERIFY2(p.ui().messages().empty(), qPrintable(p.said()));
        QCOMPARE(std::tuple(p.st().Inputfile, p.st().Sweepmode, int(p.st().iterr(3))),
                 std::tuple(std::string("temp.dat"), std::string("Sweep - increment"), 0));
        QVERIFY(p.st().Ndatalines > 0);
        QCOMPARE(p.st().out.grdSweep.size(), std::size_t(2)); // the sweep table is cleared
        w.showRunResults(); // closing the result window is the same way back
        App::handOver(&main, &w);
        w.close();
        QVERIFY(!w.isVisible() && main.isVisible());
    }
};

QTEST_MAIN(TestResults)
#include "test_results.moc"
