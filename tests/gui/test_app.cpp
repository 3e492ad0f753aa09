// The program starts with its main input window.
#include "input/frmMain.h"
#include "gui/support/guitest.h"
#include "ui/Grid.h"

using namespace kelva;

class TestApp : public QObject {
    Q_OBJECT
private slots:
    void mainWindowComesFirst() {
        guitest::Program p;
        auto& w = p.app().window<frmMain>();
        QCOMPARE(&w, &p.app().window<frmMain>()); // kept, not rebuilt
        QCOMPARE(w.windowTitle(), QString("Kelvaspec - Input"));
    }

    void gridSortsBelowCaptionsOnly() {
        ui::Grid g;
        g.setColCount(2);
        g.setRowCount(4);
        g.setText(0, 0, "Species");
        const char* names[] = {"b", "B", "a"};
        for (int r = 1; r <= 3; ++r) g.setText(r, 0, names[r - 1]);
        g.sortRows(0, 0);
        // Case-sensitive: capitals before small letters; the caption row stays on top.
        QCOMPARE(g.text(0, 0), QString("Species"));
        QCOMPARE(g.text(1, 0), QString("B"));
        QCOMPARE(g.text(2, 0), QString("a"));
        QCOMPARE(g.text(3, 0), QString("b"));
    }

    void filtersNameTheirPatternsInBothCases() {
        QCOMPARE(ui::toQtFilter("Database files(*.DBS)|*.DBS"), QString("Database files (*.DBS *.dbs)"));
        QCOMPARE(ui::toQtFilter("Input files (*.DAT)|*.DAT"), QString("Input files (*.DAT *.dat)"));
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
