#include "results/frmOut1.h"

#include "app/App.h"
#include "files/database.h"
#include "files/problemfile.h"
#include "run/problemlist.h"
#include "input/frmMain.h"
#include "results/frmOut2.h"
#include "results/frmOut3.h"
#include "results/frmOut4.h"
#include "results/frmSweepout.h"
#include "results/outwidgets.h"
#include "run/exporttables.h"
#include "run/resultform.h"
#include "ui/Grid.h"
#include "ui/Spreadsheet.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

namespace kelva {

using outui::qs;

namespace {

constexpr int kFractmastTwips = 1500;
constexpr const char* kErrorText =
    "ERROR: The execution of this problem was terminated due to an exceedance of the maximum number of "
    "iterations. The results therefore do not represent equilibrium conditions.";
constexpr const char* kOpenFilter = "Kelvaspec Output files(*.OUT)|*.OUT";
constexpr const char* kSaveFilter = "Output files (*.OUT)|*.OUT";

void showWindow(QWidget& w) {
    w.show();
    w.raise();
    w.activateWindow();
}

} // namespace

frmOut1::frmOut1(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("frmOut1");
    setWindowTitle("Kelvaspec - Output");
    buildControls();
    buildMenus();
    showOwnState();
}

void frmOut1::buildControls() {
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);

    cboProbno = new QComboBox(central);
    cboProbno->setObjectName("cboProbno");
    cboProbno->setAccessibleName("Problem no.");
    cboProbno->setMinimumContentsLength(6);
    lblProbno = outui::label(central, "lblProbno", "Problem no.", cboProbno);
    auto* top = new QHBoxLayout;
    top->addWidget(lblProbno);
    top->addWidget(cboProbno);
    top->addStretch();
    v->addLayout(top);

    grdFractmast = outui::grid(central, "grdFractmast", "Fractional distribution of master species (%)");
    grdFractmast->setColCount(7);
    grdFractmast->setRowCount(2);
    grdFractmast->setColHeading(0, "Master species");
    for (int c = 0; c < 7; ++c) grdFractmast->setColWidthTwips(c, kFractmastTwips);
    for (int c = 1; c < 7; ++c) grdFractmast->setColCentered(c);
    Label1 = outui::label(central, "Label1", "Fractional distribution of master species (%)", grdFractmast);
    v->addWidget(Label1);
    v->addWidget(grdFractmast, 1);

    txtpH = outui::box(central, "txtpH", "pH", 20);
    txtIstrength = outui::box(central, "txtIstrength", "Ionic strength", 24);
    txtDOC = outui::box(central, "txtDOC", "DOC (mg/l)", 16);
    txtIter = outui::box(central, "txtIter", "No. of iterations", 20);
    txtChrat = outui::box(central, "txtChrat", "Charge ratio", 24);
    txtChdiff = outui::box(central, "txtChdiff", "Charge difference", 24);
    Label3 = outui::label(central, "Label3", "pH", txtpH);
    Label4 = outui::label(central, "Label4", "Ionic strength", txtIstrength);
    lblDOC = outui::label(central, "lblDOC", "DOC (mg/l)", txtDOC);
    Label6 = outui::label(central, "Label6", "No. of iterations", txtIter);
    Label8 = outui::label(central, "Label8", "Charge ratio", txtChrat);
    Label7 = outui::label(central, "Label7", "Charge difference", txtChdiff);
    auto* values = new QGridLayout;
    const std::pair<QLabel*, QLineEdit*> pairs[] = {{Label3, txtpH},    {Label4, txtIstrength},
                                                    {lblDOC, txtDOC},   {Label6, txtIter},
                                                    {Label8, txtChrat}, {Label7, txtChdiff}};
    for (int i = 0; i < 6; ++i) {
        values->addWidget(pairs[i].first, i / 3, 2 * (i % 3), Qt::AlignRight);
        values->addWidget(pairs[i].second, i / 3, 2 * (i % 3) + 1);
    }

    // Precipitation: the flag, then the amount and the share of the total when it precipitates.
    auto pptRow = [&](int row, const char* metal, QLineEdit*& flag, QLineEdit*& conc, QLineEdit*& proc,
                      QLabel*& molLabel, QLabel*& procLabel, const char* const names[6]) {
        flag = outui::box(central, names[0], QString("%1(OH)3 precipitation").arg(metal), 4);
        flag->setMaximumWidth(flag->minimumWidth());
        conc = outui::box(central, names[1], QString("%1 precipitated (mol / l)").arg(metal), 16);
        proc = outui::box(central, names[2], QString("% Tot %1 precipitated").arg(metal), 16);
        auto* flagLabel = outui::label(central, names[3], QString("%1(OH)3 precipitation").arg(metal), flag);
        molLabel = outui::label(central, names[4], "mol / l", conc);
        procLabel = outui::label(central, names[5], QString("% Tot %1 precipitated").arg(metal), proc);
        auto* amounts = new QHBoxLayout;
        amounts->addWidget(flag);
        amounts->addWidget(conc);
        amounts->addWidget(molLabel);
        amounts->addWidget(proc);
        amounts->addWidget(procLabel);
        amounts->addStretch();
        values->addWidget(flagLabel, row, 0, Qt::AlignRight);
        values->addLayout(amounts, row, 1, 1, 5);
        return flagLabel;
    };
    static const char* const fe[6] = {"txtFeppt", "txtFepconc", "txtFeproc",
                                      "Label9",   "lblFemol",   "lblFeproc"};
    static const char* const al[6] = {"txtAlppt", "txtAlpconc", "txtAlproc",
                                      "Label10",  "lblAlmol",   "lblAlproc"};
    Label9 = pptRow(2, "Fe", txtFeppt, txtFepconc, txtFeproc, lblFemol, lblFeproc, fe);
    Label10 = pptRow(3, "Al", txtAlppt, txtAlpconc, txtAlproc, lblAlmol, lblAlproc, al);
    values->setColumnStretch(6, 1);
    v->addLayout(values);

    lblError = outui::label(central, "lblError", kErrorText);
    lblError->setWordWrap(true);
    lblError->setStyleSheet("color: red;");
    v->addWidget(lblError);

    cmdSpecies = outui::button(central, "cmdSpecies", "View species table");
    cmdMisc = outui::button(central, "cmdMisc", "Misc. results");
    cmdTotaq = outui::button(central, "cmdTotaq", "Total aqueous conc.");
    cmdSweep = outui::button(central, "cmdSweep", "Multi / sweep results");
    cmdBack = outui::button(central, "cmdBack", "Back to input menu");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdSpecies, cmdMisc, cmdTotaq, cmdSweep}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    v->addLayout(buttons);
    setCentralWidget(central);

    connect(cboProbno, &QComboBox::activated, this, &frmOut1::cboProbno_Click);
    connect(cmdSpecies, &QPushButton::clicked, this, &frmOut1::cmdSpecies_Click);
    connect(cmdMisc, &QPushButton::clicked, this, &frmOut1::cmdMisc_Click);
    connect(cmdTotaq, &QPushButton::clicked, this, &frmOut1::cmdTotaq_Click);
    connect(cmdSweep, &QPushButton::clicked, this, &frmOut1::cmdSweep_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmOut1::cmdBack_Click);

    setTabOrder(cboProbno, grdFractmast);
    QWidget* order[] = {grdFractmast, txtpH,      txtIstrength, txtDOC,    txtIter,  txtChrat,
                        txtChdiff,    txtFeppt,   txtFepconc,   txtFeproc, txtAlppt, txtAlpconc,
                        txtAlproc,    cmdSpecies, cmdMisc,      cmdTotaq,  cmdSweep, cmdBack};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    resize(780, 560);
}

void frmOut1::buildMenus() {
    mnuFile = menuBar()->addMenu("File");
    mnuFile->setObjectName("mnuFile");
    auto add = [this](QMenu* menu, const char* name, const QString& caption, const QKeySequence& key,
                      void (frmOut1::*slot)()) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    mnuFileSave =
        add(mnuFile, "mnuFileSave", "Save output file", QKeySequence::Save, &frmOut1::mnuFileSave_Click);
    mnuFileOpen =
        add(mnuFile, "mnuFileOpen", "Open output file", QKeySequence::Open, &frmOut1::mnuFileOpen_Click);
    mnuFileBack = add(mnuFile, "mnuFileBack", "&Back to input menu", {}, &frmOut1::mnuFileBack_Click);
    mnuFile->addSeparator();
    mnuFileExit =
        add(mnuFile, "mnuFileExit", "&Exit Kelvaspec", QKeySequence::Quit, &frmOut1::mnuFileExit_Click);
    mnuOptions = menuBar()->addMenu("Options");
    mnuOptions->setObjectName("mnuOptions");
    mnuOptionsPrint = add(mnuOptions, "mnuOptionsPrint", "&Print this page", QKeySequence::Print,
                          &frmOut1::mnuOptionsPrint_Click);
    mnuOptionsExcel1 = add(mnuOptions, "mnuOptionsExcel1", "Export species table to Excel", {},
                           &frmOut1::mnuOptionsExcel1_Click);
    mnuOptionsExcel2 = add(mnuOptions, "mnuOptionsExcel2", "Export total aqueous conc. to Excel", {},
                           &frmOut1::mnuOptionsExcel2_Click);
}

void frmOut1::showOwnState() {
    const ResultForm& o = app_.st().out;
    lblProbno->setVisible(o.selectorVisible);
    cboProbno->setVisible(o.selectorVisible);
    cmdSweep->setVisible(o.selectorVisible);
    QStringList items;
    for (const auto& s : o.cboProbnoItems) items << qs(s);
    QStringList shown;
    for (int i = 0; i < cboProbno->count(); ++i) shown << cboProbno->itemText(i);
    if (shown != items) {
        QSignalBlocker block(cboProbno);
        cboProbno->clear();
        cboProbno->addItems(items);
    }
    const int current = cboProbno->findText(qs(o.cboProbno));
    if (current >= 0) cboProbno->setCurrentIndex(current);

    outui::showTable(*grdFractmast, o.grdFractmast);
    grdFractmast->widenToContents();
    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {txtpH, &o.txtpH},       {txtIstrength, &o.txtIstrength}, {txtDOC, &o.txtDOC},
        {txtIter, &o.txtIter},   {txtChrat, &o.txtChrat},         {txtChdiff, &o.txtChdiff},
        {txtFeppt, &o.txtFeppt}, {txtFepconc, &o.txtFepconc},     {txtFeproc, &o.txtFeproc},
        {txtAlppt, &o.txtAlppt}, {txtAlpconc, &o.txtAlpconc},     {txtAlproc, &o.txtAlproc}};
    for (const auto& [box, text] : texts) {
        box->setText(qs(*text));
        box->setCursorPosition(0);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{txtFepconc, lblFemol, txtFeproc, lblFeproc})
        w->setVisible(o.feDetailsVisible);
    for (QWidget* w : std::initializer_list<QWidget*>{txtAlpconc, lblAlmol, txtAlproc, lblAlproc})
        w->setVisible(o.alDetailsVisible);
    lblError->setVisible(o.lblErrorVisible);
    lblDOC->setVisible(o.soilMode);
    txtDOC->setVisible(o.soilMode);
    cmdTotaq->setVisible(o.soilMode);
    mnuOptionsExcel2->setEnabled(o.soilMode);
}

void frmOut1::showState() {
    showOwnState();
    if (auto* w = app_.existing<frmOut2>()) w->showState();
    if (auto* w = app_.existing<frmOut3>()) w->showState();
    if (auto* w = app_.existing<frmOut4>()) w->showState();
    if (auto* w = app_.existing<frmSweepout>()) w->showState();
}

void frmOut1::load() {
    std::string err;
    if (!loadResultFile(app_.st(), err)) reportUnreadable(err);
    showState();
}

void frmOut1::reportUnreadable(const std::string& err) {
    const QString path = QString::fromStdString(shownResultFile(app_.st()));
    app_.ui().message(this, "Kelvaspec Error",
                      "The result file\n" + path + "\ncannot be shown:\n\n" + qs(err), ui::Icon::Stop);
}

void frmOut1::showRunResults() {
    app_.st().Outflag = "t";
    load();
}

void frmOut1::openResultFile(const QString& path) {
    app_.st().Outfile = path.toStdString();
    app_.st().Outflag = "c";
    load();
    App::handOver(app_.existing<frmMain>(), this);
}

void frmOut1::cboProbno_Click(int index) {
    std::string err;
    if (!pickProblem(app_.st(), cboProbno->itemText(index).toStdString(), err)) reportUnreadable(err);
    showState();
}

void frmOut1::cmdSpecies_Click() {
    auto& w = app_.window<frmOut2>();
    w.showState();
    showWindow(w);
}

void frmOut1::cmdMisc_Click() {
    auto& w = app_.window<frmOut3>();
    w.showState();
    showWindow(w);
}

void frmOut1::cmdTotaq_Click() {
    auto& w = app_.window<frmOut4>();
    w.showState();
    showWindow(w);
}

void frmOut1::cmdSweep_Click() {
    auto& w = app_.window<frmSweepout>();
    w.showState();
    App::handOver(this, &w);
}

void frmOut1::hideResultWindows() {
    if (auto* w = app_.existing<frmSweepout>()) w->hide();
    if (auto* w = app_.existing<frmOut4>()) w->hide();
    if (auto* w = app_.existing<frmOut3>()) w->hide();
    if (auto* w = app_.existing<frmOut2>()) w->hide();
}

void frmOut1::backToInput(bool fromButton) {
    ProgramState& st = app_.st();
    outdel(st);
    outdel2(st);
    showState();
    hideResultWindows();
    std::string err;
    if (fromButton) {
        std::fill(st.Iterr.begin(), st.Iterr.end(), i16{0});
        // The run input of the last run; a result opened without a run may have none.
        if (std::filesystem::exists(workPath(st, kRunInput))) st.Inputfile = "temp.dat";
    }
    if (!st.Inputfile.empty() && !Fileopena(st, err))
        app_.ui().message(this, "Kelvaspec Error",
                          "The problems of the run cannot be shown again:\n\n" + qs(err), ui::Icon::Stop);
    if (fromButton && !st.Dbfile.empty()) {
        const DbReport rep = readdb(st);
        if (rep.error)
            app_.ui().message(this, "Kelvaspec Error",
                              "The database cannot be read:\n\n" + qs(rep.error->describe()), ui::Icon::Stop);
    }
    auto& main = app_.window<frmMain>();
    main.showState();
    App::handOver(this, &main);
}

void frmOut1::cmdBack_Click() {
    backToInput(true);
}

void frmOut1::mnuFileBack_Click() {
    backToInput(false);
}

void frmOut1::closeEvent(QCloseEvent* event) {
    // Closing the window goes back to the input window, so that the program never goes on
    // without a window.
    if (!isVisible()) return QMainWindow::closeEvent(event);
    event->ignore();
    cmdBack_Click();
}

void frmOut1::mnuFileSave_Click() {
    const auto chosen =
        app_.ui().saveFileName(this, "Save output file", kSaveFilter, qs(app_.st().Directory));
    if (!chosen) return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) path += ".OUT";
    std::string err;
    if (!saveResultFile(app_.st(), path.toStdString(), err))
        app_.ui().message(this, "Kelvaspec Error",
                          "The result file cannot be saved as\n" + path + "\n\n" + qs(err), ui::Icon::Stop);
}

void frmOut1::mnuFileOpen_Click() {
    const auto chosen =
        app_.ui().openFileName(this, "Open output file", kOpenFilter, qs(app_.st().Directory));
    if (!chosen) return;
    app_.st().Outfile = chosen->toStdString();
    app_.st().Outflag = "c";
    load();
}

void frmOut1::mnuFileExit_Click() {
    QCoreApplication::quit();
}

void frmOut1::mnuOptionsPrint_Click() {
    // The window's client area, as the user sees it (the menu bar is not part of the page).
    outui::printPage(app_, this, *centralWidget(),
                     QString("output-problem-%1").arg(outui::shownProblem(app_.st().out)));
}

void frmOut1::exportTable(const Sheet& sheet, const char* stem, const QString& what) {
    const ProgramState& st = app_.st();
    ui::exportWorkbook(app_.ui(), this, Workbook{{sheet}}, outui::workDir(st),
                       QString("%1-problem-%2").arg(stem).arg(outui::shownProblem(st.out)), what);
}

void frmOut1::mnuOptionsExcel1_Click() {
    exportTable(speciesSheet(app_.st().out.grdSpecies), "species", "The species table");
}

void frmOut1::mnuOptionsExcel2_Click() {
    // Not offered in "Water" mode, whose blocks have no totals.
    if (!app_.st().out.soilMode) return;
    exportTable(totalsSheet(app_.st().out.grdTotals), "totals", "The table of total aqueous concentrations");
}

} // namespace kelva
