// The sweep table and its chart, from a pH sweep solved by the core and from a list of
// independent problems.
#include "gui/support/guitest.h"
#include "results/SweepChart.h"
#include "results/frmOut1.h"
#include "results/frmSweepout.h"
#include "ui/Grid.h"

#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QValueAxis>

using namespace kelva;
using guitest::child;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Position of the n-th (1-based) `what` in `text`.
qsizetype nth(const QByteArray& text, const QByteArray& what, int n) {
    qsizetype at = -1;
    for (int i = 0; i < n; ++i) at = text.indexOf(what, at + 1);
    return at;
}

// The sweep run, with problem 3 stopped at the iteration limit and no Cu species row in
// problem 4.
QString damagedSweep(guitest::Program& p) {
    const QString path = guitest::runExample(p, "sweep.DAT");
    QByteArray text = readAll(path);
    text.insert(nth(text, "\"No. of iterations \"", 3), "\"ERROR - Exceedance of no. of iterations\"\r\n");
    const qsizetype cu = text.indexOf(",\"Cu\",", nth(text, "\"CONCENTRATIONS AND", 4));
    const qsizetype start = text.lastIndexOf('\n', cu) + 1;
    text.remove(start, text.indexOf('\n', cu) + 1 - start);
    writeAll(path, text);
    return path;
}

QLineSeries* line(QChart* c, const QString& name) {
    for (QAbstractSeries* s : c->series())
        if (s->name() == name) return qobject_cast<QLineSeries*>(s);
    return nullptr;
}

QScatterSeries* marks(QChart* c, const QString& name) {
    for (QAbstractSeries* s : c->series())
        if (s->name() == name) return qobject_cast<QScatterSeries*>(s);
    return nullptr;
}

} // namespace

class TestSweepout : public QObject {
    Q_OBJECT
  private slots:
    void sweepTableAndChartOfAPhSweep() {
        guitest::Program p;
        damagedSweep(p);
        auto& w = p.app().window<frmOut1>();
        w.showRunResults();
        w.show();
        guitest::click(child<QPushButton>(&w, "cmdSweep"));
        auto& s = p.app().window<frmSweepout>();
        QVERIFY(s.isVisible() && !w.isVisible());

        auto* g = child<ui::Grid>(&s, "grdSweep");
        QCOMPARE(g->rowCount(), 22); // two caption rows, twenty problems
        QCOMPARE(g->columnCount(), 6);
        QStringList heads, kinds;
        for (int c = 0; c < 6; ++c) heads << g->text(0, c), kinds << g->text(1, c);
        QCOMPARE(heads, QStringList({"Problem no.", "pH", "Cu", "Cu", "Ca", "DOC"}));
        QCOMPARE(kinds, QStringList({"", "", "Concentration", "Total dissolved", "Log Activity", ""}));
        QCOMPARE(g->text(2, 0), QString(" 1"));
        QCOMPARE(g->text(2, 1), QString(" 4"));
        QCOMPARE(g->text(7, 1), QString(" 5"));
        const QRegularExpression shortSci("^\\d\\.\\d{3}E[-+]\\d{2}$");
        QVERIFY2(shortSci.match(g->text(2, 2)).hasMatch(), qPrintable(g->text(2, 2)));
        QVERIFY2(shortSci.match(g->text(2, 3)).hasMatch(), qPrintable(g->text(2, 3)));
        QVERIFY(g->text(2, 4).startsWith("-"));
        // The iteration limit in red; its values are still there.
        QCOMPARE(g->text(4, 0), QString("!!ERROR!!"));
        QCOMPARE(g->cellColor(4, 0), QColor(Qt::red));
        QVERIFY(g->cellColor(5, 0) != QColor(Qt::red));
        QVERIFY(!g->text(4, 2).isEmpty());
        // No Cu row in problem 4: exactly that cell; the totals of Cu are still found.
        QCOMPARE(g->text(5, 2), QString("Not present"));
        QVERIFY(g->text(5, 3) != "Not present" && g->text(6, 2) != "Not present");

        // DOC as the main window shows it for the same problem.
        s.hide();
        w.show();
        auto* cbo = child<QComboBox>(&w, "cboProbno");
        cbo->setCurrentIndex(4);
        emit cbo->activated(4);
        QCOMPARE(g->text(6, 5), child<QLineEdit>(&w, "txtDOC")->text());
        QCOMPARE(g->rowCount(), 22); // picking a problem does not rebuild the table

        QChart* c = child<SweepChart>(&s, "chtSweep")->chart();
        QLineSeries* cu = line(c, "Cu Concentration");
        QVERIFY(cu);
        // Problems 3 and 17 (no sound result) and 4 (not present) left out.
        QCOMPARE(cu->count(), 17);
        QCOMPARE(cu->at(0).x(), 4.0);
        QCOMPARE(cu->at(2).x(), g->text(6, 1).toDouble()); // pH of problem 5 follows
        QVERIFY(qobject_cast<QLogValueAxis*>(cu->attachedAxes().at(1)));
        QLineSeries* ca = line(c, "Ca Log Activity");
        QVERIFY(ca && qobject_cast<QValueAxis*>(ca->attachedAxes().at(1)));
        QCOMPARE(ca->attachedAxes().at(1)->alignment(), Qt::AlignRight);
        QVERIFY(line(c, "Cu Total dissolved") && line(c, "DOC (mg/l)"));
        QVERIFY(!line(c, "pH")); // the x axis
        // The marks of the log axis: both Cu columns of problems 3 and 17 (their log activities
        // and DOC are marked on the linear axis).
        QScatterSeries* limit = marks(c, "Iteration limit reached");
        QVERIFY(limit && limit->count() == 4);
        QCOMPARE(limit->at(0), QPointF(g->text(4, 1).toDouble(), g->text(4, 2).toDouble()));
        QScatterSeries* absent = marks(c, "Not present");
        QVERIFY(absent && absent->count() == 1 && absent->at(0).x() == g->text(5, 1).toDouble());
        const QString note = child<QLabel>(&s, "lblChartnote")->text();
        QVERIFY2(note.contains("Problems 3, 17 stopped") &&
                     note.contains("Cu Concentration is not present in problem 4"),
                 qPrintable(note));

        s.show();
        guitest::screenshot(&s, "frmSweepout");
        // Saved as PNG and SVG, through the file dialog.
        for (const QString name : {"chart.png", "chart.svg"}) {
            p.ui().chooseFile(p.file(name));
            guitest::click(child<QPushButton>(&s, "cmdSavechart"));
        }
        QVERIFY(!QImage(p.file("chart.png")).isNull());
        QVERIFY(readAll(p.file("chart.svg")).contains("<svg"));
        QVERIFY(p.ui().messages().empty());
        guitest::click(child<QPushButton>(&s, "cmdOutput"));
        QVERIFY(w.isVisible() && !s.isVisible());
    }

    void independentProblemsAreDrawnAgainstTheirNumber() {
        guitest::Program p;
        guitest::runExample(p, "multi.DAT");
        p.st().Sweepmode = "Only multi"; // as after the run of that list
        auto& w = p.app().window<frmOut1>();
        w.showRunResults();
        auto& s = p.app().window<frmSweepout>();
        s.showState();
        auto* g = child<ui::Grid>(&s, "grdSweep");
        QCOMPARE(g->rowCount(), 5);
        QCOMPARE(g->columnCount(), 2);
        QChart* c = child<SweepChart>(&s, "chtSweep")->chart();
        QLineSeries* ph = line(c, "pH");
        QVERIFY(ph);
        QCOMPARE(ph->count(), 3);
        QCOMPARE(ph->at(2), QPointF(3, g->text(4, 1).toDouble()));
        guitest::screenshot(&s, "frmSweepout-only-multi");
    }
};

QTEST_MAIN(TestSweepout)
#include "test_sweepout.moc"
