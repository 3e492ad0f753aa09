#include "results/frmSweepout.h"

#include "app/App.h"
#include "results/SweepChart.h"
#include "results/frmOut1.h"
#include "results/outwidgets.h"
#include "run/exporttables.h"
#include "ui/Grid.h"
#include "ui/Spreadsheet.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace kelva {

namespace {
constexpr int kFirstColTwips = 1000;
constexpr int kColTwips = 1700;
constexpr const char* kChartFilter = "Chart images (*.png *.svg)|*.png;*.svg";
} // namespace

frmSweepout::frmSweepout(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmSweepout");
    setWindowTitle("Kelvaspec - Selected sweep results");
    auto* v = new QVBoxLayout(this);

    grdSweep = outui::grid(this, "grdSweep", "Selected sweep results", 2);
    chtSweep = new SweepChart(this);
    lblChartnote = outui::label(this, "lblChartnote", QString());
    lblChartnote->setWordWrap(true);
    auto* chartPane = new QWidget(this);
    auto* cv = new QVBoxLayout(chartPane);
    cv->setContentsMargins(0, 0, 0, 0);
    cv->addWidget(chtSweep, 1);
    cv->addWidget(lblChartnote);
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->addWidget(grdSweep);
    splitter_->addWidget(chartPane);
    splitter_->setStretchFactor(0, 2);
    splitter_->setStretchFactor(1, 3);
    splitter_->setChildrenCollapsible(false);
    splitter_->setSizes({300, 400});
    v->addWidget(splitter_, 1);

    cmdPrint = outui::button(this, "cmdPrint", "Print this page to printer");
    cmdExcellera = outui::button(this, "cmdExcellera", "Print to Excel");
    cmdSavechart = outui::button(this, "cmdSavechart", "Save chart as PNG or SVG");
    cmdOutput = outui::button(this, "cmdOutput", "Main output menu");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdPrint, cmdExcellera, cmdSavechart}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdOutput);
    v->addLayout(buttons);

    auto* saveAction = new QAction("Save chart as PNG or SVG...", chtSweep);
    chtSweep->setContextMenuPolicy(Qt::ActionsContextMenu);
    chtSweep->addAction(saveAction);
    connect(saveAction, &QAction::triggered, this, &frmSweepout::cmdSavechart_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &frmSweepout::cmdPrint_Click);
    connect(cmdExcellera, &QPushButton::clicked, this, &frmSweepout::cmdExcellera_Click);
    connect(cmdSavechart, &QPushButton::clicked, this, &frmSweepout::cmdSavechart_Click);
    connect(cmdOutput, &QPushButton::clicked, this, &frmSweepout::cmdOutput_Click);
    resize(960, 720);
    showState();
}

void frmSweepout::SetColWidth5() {
    grdSweep->setColWidthTwips(0, kFirstColTwips);
    for (int c = 1; c < grdSweep->columnCount(); ++c) {
        grdSweep->setColWidthTwips(c, kColTwips);
        grdSweep->setColCentered(c);
    }
    grdSweep->widenToContents();
}

void frmSweepout::showState() {
    const ProgramState& st = app_.st();
    const ResultForm& o = st.out;
    outui::showTable(*grdSweep, o.grdSweep);
    const QColor text = grdSweep->palette().text().color();
    for (int r = grdSweep->fixedRows(); r < grdSweep->rowCount(); ++r) {
        const bool stopped = static_cast<std::size_t>(r) < o.grdSweepError.size() && o.grdSweepError[r];
        grdSweep->setCellColor(r, 0, stopped ? QColor(Qt::red) : text);
    }
    SetColWidth5();
    const bool onlyMulti = st.Outflag == "t" && st.Sweepmode == "Only multi";
    const SweepChartData data = sweepChartData(o, onlyMulti);
    chtSweep->showData(data);
    lblChartnote->setText(data.note);
    lblChartnote->setVisible(!data.note.isEmpty());
}

void frmSweepout::cmdPrint_Click() {
    outui::printPage(app_, this, *this, "sweep-results");
}

void frmSweepout::cmdExcellera_Click() {
    const ProgramState& st = app_.st();
    ui::exportWorkbook(app_.ui(), this, Workbook{{sweepSheet(st.out.grdSweep)}}, outui::workDir(st),
                       "sweep-table", "The sweep table");
}

void frmSweepout::cmdSavechart_Click() {
    const auto chosen =
        app_.ui().saveFileName(this, "Save chart", kChartFilter, outui::qs(app_.st().Directory));
    if (!chosen) return;
    QString path = *chosen;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty())
        path += ".png";
    else if (suffix != "png" && suffix != "svg") {
        app_.ui().message(this, "Kelvaspec Error",
                          "A chart is saved as a PNG or an SVG image: name the file .png or .svg.",
                          ui::Icon::Stop);
        return;
    }
    QString err;
    if (!chtSweep->save(path, err))
        app_.ui().message(this, "Kelvaspec Error", "The chart cannot be saved as\n" + path + "\n\n" + err,
                          ui::Icon::Stop);
}

void frmSweepout::cmdOutput_Click() {
    App::handOver(this, &app_.window<frmOut1>());
}

void frmSweepout::closeEvent(QCloseEvent* event) {
    // The main result window was hidden for this one: it comes back.
    QWidget::closeEvent(event);
    if (event->isAccepted() && isVisible()) app_.window<frmOut1>().show();
}

} // namespace kelva
