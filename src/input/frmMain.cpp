#include "input/frmMain.h"

#include "app/App.h"
#include "database/frmDataparam.h"
#include "database/frmDbs.h"
#include "database/frmHetero.h"
#include "files/database.h"
#include "files/numtext.h"
#include "input/RunWorker.h"
#include "input/frmComplist.h"
#include "parameters/frmAbout.h"
#include "parameters/frmCO2.h"
#include "parameters/frmOther.h"
#include "parameters/frmPrecision.h"
#include "results/frmOut1.h"
#include "run/complist.h"
#include "run/problemlist.h"
#include "run/readinput.h"
#include "run/runcontrol.h"
#include "run/summary.h"
#include "sweep/frmSweepinp.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace kelva {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void setTextIfChanged(QLineEdit* e, const QString& text) {
    if (e->text() != text) e->setText(text);
}

// Shows `item` as the current entry of a list box (none when it holds no such entry).
void selectItem(QListWidget* list, const QString& item) {
    const QSignalBlocker block(list);
    const auto found = list->findItems(item, Qt::MatchExactly);
    if (found.isEmpty())
        list->setCurrentRow(-1);
    else
        list->setCurrentItem(found.first());
}

// A list box of a few fixed entries, as tall as its entries.
QListWidget* fixedList(const QString& name, const QStringList& items, const QString& accessible) {
    auto* l = new QListWidget;
    l->setObjectName(name);
    l->setAccessibleName(accessible);
    l->addItems(items);
    l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rows = l->sizeHintForRow(0) * static_cast<int>(items.size());
    l->setFixedHeight(rows + 2 * l->frameWidth() + 6);
    l->setMinimumWidth(l->sizeHintForColumn(0) + 2 * l->frameWidth() + 12);
    l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return l;
}

} // namespace

frmMain::frmMain(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("frmMain");
    setWindowTitle("Kelvaspec - Input");
    run_ = new RunWorker(this);
    buildControls();
    buildLayout();
    buildMenus();
    connectControls();
    showState();
}

frmMain::~frmMain() = default;

bool frmMain::running() const {
    return run_->running();
}

// ---------------------------------------------------------------- building

void frmMain::buildControls() {
    auto label = [](const char* name, const QString& text) {
        auto* l = new QLabel(text);
        l->setObjectName(name);
        return l;
    };
    auto edit = [this](const char* name, int chars) {
        auto* e = new QLineEdit;
        e->setObjectName(name);
        e->setMinimumWidth(fontMetrics().horizontalAdvance(QString(chars, '0')) + 16);
        return e;
    };
    auto button = [](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        return b;
    };
    auto buddy = [](QLabel* l, QWidget* w) {
        l->setBuddy(w);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    };
    // A label and the eight-character box it names.
    auto labelled = [&](QLabel*& l, const char* labelName, const QString& caption, QLineEdit*& e,
                        const char* editName) {
        l = label(labelName, caption);
        e = edit(editName, 8);
        buddy(l, e);
    };

    Label1 = label("Label1", "Kelvaspec");
    QFont title("Garamond");
    title.setStyleHint(QFont::Serif);
    title.setPointSizeF(font().pointSizeF() * 2.2);
    title.setBold(true);
    Label1->setFont(title);

    cmdDatabase = button("cmdDatabase", "Connect data&base");
    txtDb = edit("txtDb", 30);
    txtDb->setReadOnly(true);
    txtDb->setAccessibleName("Database file");
    cmdEddbs = button("cmdEddbs", "&View and edit database");

    Label10 = label("Label10", "Add components");
    Label11 = label("Label11", "Component &name");
    txtCompname = edit("txtCompname", 14);
    buddy(Label11, txtCompname);
    lstCompnames = new QListWidget;
    lstCompnames->setObjectName("lstCompnames");
    lstCompnames->setAccessibleName("Component names of the database");
    Label12 = label("Label12", "Total &concentration");
    txtConc = edit("txtConc", 14);
    buddy(Label12, txtConc);
    Label9 = label("Label9", "&Units of concentration");
    lstUnits = fixedList("lstUnits", {kUnitMol, kUnitMillimol, kUnitMicromol}, "Units of concentration");
    buddy(Label9, lstUnits);
    lblUnits = label("lblUnits", kUnitMol);
    lblUnits->setAccessibleDescription("The unit in which the component list is shown");
    cmdAdd = button("cmdAdd", "&Add to list");
    cmdEdlist = button("cmdEdlist", "View and &Edit list");

    lblpH = label("lblpH", "pH");
    lstpH = fixedList("lstpH", {kPhFixedItem, kPhCalcItem}, "pH");
    buddy(lblpH, lstpH);
    txtpH = edit("txtpH", 8);
    txtpH->setAccessibleName("Fixed or starting pH");
    labelled(Label3, "Label3", "&Temperature (deg C)", txtTemp, "txtTemp");
    labelled(Label6, "Label6", "Tota&l humic and fulvic acid (g/l)", txtHA, "txtHA");
    labelled(Label7, "Label7", "% Fulvic ac&id", txtFA, "txtFA");
    lblDocconc = label("lblDocconc", "DOC c&oncentration (mg/l)");
    lstDOC = fixedList("lstDOC", {kDocFixedItem, kDocCalcItem}, "DOC concentration: fixed or calculated");
    buddy(lblDocconc, lstDOC);
    txtDOC = edit("txtDOC", 8);
    txtDOC->setAccessibleName("DOC concentration (mg/l)");
    labelled(lblGamm, "lblGamm", "&Gamma value", txtGamm, "txtGamm");
    labelled(lblClay, "lblClay", "Concentration cla&y (g/l)", txtClay, "txtClay");
    labelled(lblCsolid, "lblCsolid", "Concentration total &solids (g/l)", txtSolids, "txtSolids");

    Label4 = label("Label4", "File:");
    lblFilename = label("lblFilename", "Unsaved");
    lblFilename->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFilename->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblThisis = label("lblThisis", "This is problem no.");
    lblNoprob = label("lblNoprob", "1");
    cmdPrevprob = button("cmdPrevprob", "Previous problem");
    cmdPrevprob->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    cmdPrevprob->setToolTip("Previous problem (Ctrl+PgUp)");
    cmdNextprob = button("cmdNextprob", "Ne&xt problem");
    cmdNextprob->setToolTip("Next problem (Ctrl+PgDown)");
    lblIter = label("lblIter", "Iteration no.");
    txtIter = edit("txtIter", 7);
    txtIter->setReadOnly(true);
    buddy(lblIter, txtIter);

    cmdRun = button("cmdRun", QString());
    cmdRun->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    cmdRun->setIconSize(QSize(24, 24));
    cmdRun->setToolTip("Run (Ctrl+R)");
    cmdRun->setAccessibleName("Run");
    cmdRun->setMinimumWidth(cmdRun->sizeHint().height() * 2);
    cmdStop = button("cmdStop", "Stop");
    cmdStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    cmdStop->setToolTip("Stop the run (Esc)");
    cmdOutput = button("cmdOutput", "Vie&w output files");
    cmdReset = button("cmdReset", "&Reset");
}

void frmMain::buildLayout() {
    auto* central = new QWidget;
    auto* page = new QVBoxLayout(central);
    page->addWidget(Label1);

    inputs_ = new QWidget;
    inputs_->setObjectName("inputs");
    auto* in = new QVBoxLayout(inputs_);
    in->setContentsMargins(0, 0, 0, 0);

    auto* db = new QHBoxLayout;
    db->addWidget(cmdDatabase);
    db->addWidget(txtDb, 1);
    db->addWidget(cmdEddbs);
    in->addLayout(db);

    QFont bold = Label10->font();
    bold.setBold(true);
    Label10->setFont(bold);

    auto* comps = new QGridLayout;
    comps->addWidget(Label10, 0, 0, 1, 3);
    comps->addWidget(Label11, 1, 0);
    comps->addWidget(txtCompname, 1, 1, 1, 2);
    comps->addWidget(lstCompnames, 2, 1, 1, 2);
    comps->addWidget(Label12, 3, 0);
    comps->addWidget(txtConc, 3, 1, 1, 2);
    comps->addWidget(Label9, 4, 0, Qt::AlignTop);
    comps->addWidget(lstUnits, 4, 1, Qt::AlignTop);
    comps->addWidget(lblUnits, 4, 2, Qt::AlignTop);
    auto* compButtons = new QHBoxLayout;
    compButtons->addWidget(cmdAdd);
    compButtons->addWidget(cmdEdlist);
    compButtons->addStretch();
    comps->addLayout(compButtons, 5, 1, 1, 2);
    comps->setRowStretch(2, 1);
    comps->setColumnStretch(2, 1);

    auto* cond = new QGridLayout;
    int r = 0;
    cond->addWidget(lblpH, r, 0, Qt::AlignTop);
    cond->addWidget(lstpH, r, 1, Qt::AlignTop);
    cond->addWidget(txtpH, r++, 2, Qt::AlignTop);
    for (auto [l, e] : {std::pair{Label3, txtTemp}, {Label6, txtHA}, {Label7, txtFA}}) {
        cond->addWidget(l, r, 0);
        cond->addWidget(e, r++, 1);
    }
    cond->addWidget(lblDocconc, r, 0, Qt::AlignTop);
    cond->addWidget(lstDOC, r, 1, Qt::AlignTop);
    cond->addWidget(txtDOC, r++, 2, Qt::AlignTop);
    for (auto [l, e] : {std::pair{lblGamm, txtGamm}, {lblClay, txtClay}, {lblCsolid, txtSolids}}) {
        cond->addWidget(l, r, 0);
        cond->addWidget(e, r++, 1);
    }
    cond->setRowStretch(r, 1);
    cond->setColumnStretch(3, 1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(comps, 1);
    columns->addSpacing(fontMetrics().horizontalAdvance("MMMM"));
    columns->addLayout(cond, 1);
    in->addLayout(columns, 1);

    auto* file = new QHBoxLayout;
    file->addWidget(Label4);
    file->addWidget(lblFilename, 1);
    file->addWidget(lblThisis);
    file->addWidget(lblNoprob);
    file->addWidget(cmdPrevprob);
    file->addWidget(cmdNextprob);
    in->addLayout(file);
    page->addWidget(inputs_, 1);

    auto* runBar = new QHBoxLayout;
    runBar->addWidget(lblIter);
    runBar->addWidget(txtIter);
    runBar->addStretch();
    runBar->addWidget(cmdRun);
    runBar->addWidget(cmdStop);
    runBar->addWidget(cmdOutput);
    runBar->addWidget(cmdReset);
    page->addLayout(runBar);
    setCentralWidget(central);

    QWidget* order[] = {cmdDatabase, txtDb,    cmdEddbs, txtCompname, lstCompnames,
                        txtConc,     lstUnits, cmdAdd,   cmdEdlist,   lstpH,
                        txtpH,       txtTemp,  txtHA,    txtFA,       lstDOC,
                        txtDOC,      txtGamm,  txtClay,  txtSolids,   cmdPrevprob,
                        cmdNextprob, cmdRun,   cmdStop,  cmdOutput,   cmdReset};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    lblIter->hide();
    txtIter->hide();
    cmdStop->hide();
    resize(sizeHint().expandedTo(QSize(900, 600)));
}

void frmMain::buildMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    mnuFileOpen = action(mnuFile, "mnuFileOpen", "Open input file");
    mnuFileOpen->setShortcut(QKeySequence::Open);
    mnuFileSave = action(mnuFile, "mnuFileSave", "Save input file");
    mnuFileSave->setShortcut(QKeySequence::Save);
    mnuFile->addSeparator();
    mnuFileExit = action(mnuFile, "mnuFileExit", "&Exit");
    mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    mnuParameters = menuBar()->addMenu("&Parameters");
    mnuParameters->setObjectName("mnuParameters");
    mnuParametersCO2 = action(mnuParameters, "mnuParametersCO2", "Specify CO2 pressure");
    mnuParametersPrecision = action(mnuParameters, "mnuParametersPrecision", "Specify precision (%)");
    mnuParametersOther = action(mnuParameters, "mnuParametersOther", "Program mode and other parameters");

    mnuDatabase = menuBar()->addMenu("&Database management");
    mnuDatabase->setObjectName("mnuDatabase");
    mnuDatabaseEdit = action(mnuDatabase, "mnuDatabaseEdit", "&View and edit database");
    mnuDatabaseParameters = action(mnuDatabase, "mnuDatabaseParameters", "Edit current database parameters");
    mnuDatabaseHetero = action(mnuDatabase, "mnuDatabaseHetero", "&Heterogeneity parameters");

    mnuMulti = menuBar()->addAction("&Multi-problem / Sweep");
    mnuMulti->setObjectName("mnuMulti");

    mnuHelp = menuBar()->addMenu("&Help");
    mnuHelp->setObjectName("mnuHelp");
    mnuHelpAbout = action(mnuHelp, "mnuHelpAbout", "&About");
}

void frmMain::connectControls() {
    ProgramState& st = app_.st();
    // What the user types goes straight into the state.
    const std::pair<QLineEdit*, std::string MainForm::*> texts[] = {
        {txtCompname, &MainForm::txtCompname}, {txtConc, &MainForm::txtConc}, {txtpH, &MainForm::txtpH},
        {txtTemp, &MainForm::txtTemp},         {txtHA, &MainForm::txtHA},     {txtFA, &MainForm::txtFA},
        {txtDOC, &MainForm::txtDOC},           {txtGamm, &MainForm::txtGamm}, {txtClay, &MainForm::txtClay},
        {txtSolids, &MainForm::txtSolids}};
    for (const auto& [box, member] : texts)
        connect(box, &QLineEdit::textEdited, this,
                [this, member = member](const QString& t) { app_.st().main.*member = t.toStdString(); });

    connect(lstCompnames, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        if (name.isEmpty()) return;
        app_.st().main.txtCompname = name.toStdString();
        txtCompname->setText(name);
    });
    connect(lstCompnames, &QListWidget::itemActivated, this, [this] {
        txtConc->setFocus();
        txtConc->selectAll();
    });
    connect(txtCompname, &QLineEdit::returnPressed, this, [this] { txtConc->setFocus(); });
    connect(txtConc, &QLineEdit::returnPressed, this, &frmMain::addComponent);
    connect(lstUnits, &QListWidget::currentTextChanged, this, &frmMain::chooseUnit);
    connect(lstpH, &QListWidget::currentTextChanged, this, [this, &st](const QString& item) {
        lstpHClick(st, item.toStdString());
        showState();
    });
    connect(lstDOC, &QListWidget::currentTextChanged, this, [this, &st](const QString& item) {
        lstDOCClick(st, item.toStdString());
        showState();
    });

    connect(cmdDatabase, &QPushButton::clicked, this, &frmMain::connectDatabase);
    connect(cmdAdd, &QPushButton::clicked, this, &frmMain::addComponent);
    connect(cmdEdlist, &QPushButton::clicked, this,
            [this] { App::handOver(this, &app_.window<frmComplist>()); });
    connect(cmdPrevprob, &QPushButton::clicked, this, [this] { step(false); });
    connect(cmdNextprob, &QPushButton::clicked, this, [this] { step(true); });
    connect(cmdReset, &QPushButton::clicked, this, &frmMain::reset);
    connect(cmdOutput, &QPushButton::clicked, this, [this] { App::handOver(this, &app_.window<frmOut1>()); });
    connect(cmdRun, &QPushButton::clicked, this, &frmMain::startRun);
    connect(cmdStop, &QPushButton::clicked, run_, &RunWorker::stop);
    runKey_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this, this, &frmMain::startRun);
    stopKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), this, run_, &RunWorker::stop);
    stopKey_->setEnabled(false);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this, [this] {
        if (cmdNextprob->isVisible() && cmdNextprob->isEnabled()) cmdNextprob->click();
    });
    connect(run_, &RunWorker::progress, this, &frmMain::runProgress);
    connect(run_, &RunWorker::finished, this, &frmMain::runFinished);

    auto editDatabase = [this] { App::handOver(this, &app_.window<frmDbs>()); };
    connect(cmdEddbs, &QPushButton::clicked, this, editDatabase);
    connect(mnuDatabaseEdit, &QAction::triggered, this, editDatabase);
    connect(mnuDatabaseParameters, &QAction::triggered, this, [this] {
        auto& w = app_.window<frmDataparam>();
        w.showParameters();
        App::handOver(this, &w);
    });
    connect(mnuDatabaseHetero, &QAction::triggered, this, [this] {
        auto& w = app_.window<frmHetero>();
        w.show();
        w.raise();
    });
    connect(mnuFileOpen, &QAction::triggered, this, &frmMain::openInput);
    connect(mnuFileSave, &QAction::triggered, this, &frmMain::saveInput);
    connect(mnuFileExit, &QAction::triggered, this, [] { QCoreApplication::quit(); });
    connect(mnuParametersCO2, &QAction::triggered, this, [this] { app_.openFresh<frmCO2>().show(); });
    connect(mnuParametersPrecision, &QAction::triggered, this,
            [this] { app_.openFresh<frmPrecision>().show(); });
    connect(mnuParametersOther, &QAction::triggered, this, [this] { app_.openFresh<frmOther>().show(); });
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { app_.openFresh<frmAbout>().show(); });
    connect(mnuMulti, &QAction::triggered, this, [this] {
        if (app_.st().Sweepmode == "Only multi") app_.st().Multiactive = "1";
        auto& w = app_.window<frmSweepinp>();
        App::handOver(this, &w);
        w.compinp();
    });
}

// ---------------------------------------------------------------- showing the state

void frmMain::showState() {
    const ProgramState& st = app_.st();
    const MainForm& m = st.main;
    setTextIfChanged(txtDb, q(m.txtDb));
    txtDb->setVisible(m.txtDbVisible);
    cmdEddbs->setVisible(m.cmdEddbsVisible);
    mnuDatabase->setEnabled(m.mnuDatabaseEnabled);

    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {txtCompname, &m.txtCompname}, {txtConc, &m.txtConc}, {txtpH, &m.txtpH},
        {txtTemp, &m.txtTemp},         {txtHA, &m.txtHA},     {txtFA, &m.txtFA},
        {txtDOC, &m.txtDOC},           {txtGamm, &m.txtGamm}, {txtClay, &m.txtClay},
        {txtSolids, &m.txtSolids}};
    for (const auto& [box, text] : texts) setTextIfChanged(box, q(*text));
    showLists();
    lblUnits->setText(q(m.lblUnits));
    txtpH->setVisible(m.txtpHVisible);

    // The program mode's display (Pmoder), and the DOC list's.
    for (QWidget* w :
         {static_cast<QWidget*>(lblClay), static_cast<QWidget*>(txtClay), static_cast<QWidget*>(lblCsolid),
          static_cast<QWidget*>(txtSolids), static_cast<QWidget*>(lblDocconc), static_cast<QWidget*>(lstDOC)})
        w->setVisible(m.sorptionVisible);
    txtDOC->setVisible(m.sorptionVisible && m.txtDOCVisible);
    lblGamm->setVisible(m.sorptionVisible && m.txtGammVisible);
    txtGamm->setVisible(m.sorptionVisible && m.txtGammVisible);

    lblFilename->setText(q(m.lblFilename));
    lblFilename->setToolTip(q(m.lblFilename));
    if (!running()) {
        for (QWidget* w : {static_cast<QWidget*>(lblThisis), static_cast<QWidget*>(lblNoprob),
                           static_cast<QWidget*>(cmdPrevprob), static_cast<QWidget*>(cmdNextprob)})
            w->setVisible(m.navVisible);
        lblNoprob->setText(q(m.lblNoprob));
    }
}

void frmMain::showLists() {
    const MainForm& m = app_.st().main;
    QStringList names;
    for (const auto& n : m.lstCompnames) names << q(n);
    QStringList shown;
    for (int i = 0; i < lstCompnames->count(); ++i) shown << lstCompnames->item(i)->text();
    if (names != shown) {
        const QSignalBlocker block(lstCompnames);
        lstCompnames->clear();
        lstCompnames->addItems(names);
    }
    selectItem(lstUnits, q(m.lstUnits));
    selectItem(lstpH, q(m.lstpH));
    selectItem(lstDOC, q(m.lstDOC));
}

void frmMain::showComplist() {
    if (auto* w = app_.existing<frmComplist>()) w->showState();
}

void frmMain::showEvent(QShowEvent* e) {
    showState();
    QMainWindow::showEvent(e);
}

// ---------------------------------------------------------------- messages

void frmMain::error(const QString& text) {
    app_.ui().message(this, kRunErrorTitle, text, ui::Icon::Stop);
}

void frmMain::warning(const QString& text) {
    app_.ui().message(this, "Kelvaspec", text, ui::Icon::Warning);
}

// ---------------------------------------------------------------- components and units

void frmMain::addComponent() {
    ProgramState& st = app_.st();
    st.main.txtCompname = txtCompname->text().toStdString();
    st.main.txtConc = txtConc->text().toStdString();
    const std::string refused = kelva::cmdAdd(st);
    showState();
    showComplist();
    if (!refused.empty()) error(q(refused));
}

void frmMain::chooseUnit(const QString& unit) {
    if (unit.isEmpty()) return;
    changeUnit(app_.st(), unit.toStdString());
    showState();
    showComplist();
}

// ---------------------------------------------------------------- database and files

void frmMain::connectDatabase() {
    ProgramState& st = app_.st();
    const auto path =
        app_.ui().openFileName(this, "Connect database", "Database files(*.DBS)|*.DBS", q(st.Directory));
    if (!path) return;
    st.Dbfile = path->toStdString();
    const DbReport r = readdb(st);
    showState();
    if (!r.ok) {
        error("The database could not be loaded:\n" +
              q(r.error ? r.error->describe() : st.Dbfile + ": the file could not be read"));
        return;
    }
    QStringList notes;
    for (const auto& w : r.warnings) notes << q(w);
    if (!notes.isEmpty()) warning("The database was loaded. Notes on it:\n" + notes.join("\n"));
}

void frmMain::openInput() {
    const auto path = app_.ui().openFileName(this, "Open input file", "Kelvaspec Input files(*.DAT)|*.DAT",
                                             q(app_.st().Directory));
    if (path) openProblemFile(*path);
}

void frmMain::openProblemFile(const QString& path) {
    ProgramState& st = app_.st();
    const OpenReport r = openInputFile(st, path.toStdString());
    showState();
    showComplist();
    if (!r.opened) {
        error(q(r.message));
        return;
    }
    QStringList notes;
    if (!r.message.empty()) notes << q(r.message);
    // The database the file names, found as the batch runner finds it.
    const std::string named = st.Dbfile;
    std::vector<std::string> tried;
    if (const auto found = locateDatabase(named, path.toStdString(), st.Directory, &tried)) {
        st.Dbfile = *found;
        const DbReport d = readdb(st);
        if (!d.ok)
            notes << "The database " + q(*found) + " could not be loaded:\n" +
                         q(d.error ? d.error->describe() : std::string("the file could not be read"));
    } else if (trimmed(named).empty()) {
        notes << "The file names no database. Connect one with \"Connect database\".";
    } else {
        QStringList looked;
        for (const auto& t : tried) looked << "  " + q(t);
        notes << "The database \"" + q(named) + "\" that the file names was not found. Looked for:\n" +
                     looked.join("\n") + "\nConnect it with \"Connect database\".";
    }
    showState();
    showComplist();
    if (!notes.isEmpty()) warning(notes.join("\n\n"));
}

void frmMain::saveInput() {
    ProgramState& st = app_.st();
    auto path = app_.ui().saveFileName(this, "Save input file", "Input files (*.DAT)|*.DAT", q(st.Directory));
    if (!path) return;
    if (QFileInfo(*path).suffix().isEmpty()) *path += ".DAT";
    std::string err;
    const bool ok = saveInputFile(st, path->toStdString(), err);
    showState();
    if (!ok) error("The input file could not be saved:\n" + q(err));
}

void frmMain::step(bool next) {
    ProgramState& st = app_.st();
    std::string err;
    const bool ok = next ? kelva::cmdNextprob(st, err) : kelva::cmdPrevprob(st, err);
    showState();
    showComplist();
    if (!ok)
        error(q(err));
    else if (!err.empty())
        warning(q(err));
}

void frmMain::reset() {
    resetter(app_.st());
    showState();
    showComplist();
}

// ---------------------------------------------------------------- runs

void frmMain::startRun() {
    if (running()) return;
    RunReport refused;
    if (refuseRun(app_.st(), refused)) {
        error(q(refused.message));
        return;
    }
    setRunning(true);
    run_->start(app_.st());
}

void frmMain::setRunning(bool on) {
    inputs_->setEnabled(!on);
    menuBar()->setEnabled(!on);
    for (QWidget* w :
         {static_cast<QWidget*>(cmdRun), static_cast<QWidget*>(cmdOutput), static_cast<QWidget*>(cmdReset)})
        w->setEnabled(!on);
    runKey_->setEnabled(!on);
    stopKey_->setEnabled(on);
    cmdStop->setVisible(on);
    lblIter->setVisible(on);
    txtIter->setVisible(on);
    if (on) {
        txtIter->clear();
        cmdStop->setFocus();
    } else {
        cmdRun->setFocus();
        showState();
    }
}

void frmMain::runProgress(int runprob, int nprob, int iter) {
    app_.st().main.txtIter = text::bare(iter);
    txtIter->setText(q(app_.st().main.txtIter));
    if (nprob > 1) {
        lblThisis->show();
        lblNoprob->show();
        lblNoprob->setText(q(text::plain(runprob)));
    }
}

void frmMain::runFinished() {
    setRunning(false);
    const RunReport& r = run_->report();
    if (r.stopped) {
        app_.ui().message(this, "Kelvaspec", q(r.message), ui::Icon::Information);
        return;
    }
    if (!r.ok) {
        error(q(r.message));
        return;
    }
    for (int i = 0; i < 3; ++i) app_.ui().beep();
    // One message for the run: a few problems one by one, many as a summary.
    std::string said = limitSummary(r, app_.st().Itermax);
    if (!said.empty() && !r.suggestion.empty()) said += "\n" + r.suggestion + " (Parameters > Program mode and other parameters > Solution method)";
    if (!said.empty()) warning(QString::fromStdString(said).trimmed());
    auto& out = app_.window<frmOut1>();
    out.showRunResults();
    App::handOver(this, &out);
}

} // namespace kelva
