#include "database/frmDbs.h"

#include "app/App.h"
#include "database/DbFiles.h"
#include "database/DbSheetModel.h"
#include "database/frmDeltah.h"
#include "database/frmHelp.h"
#include "files/database.h"
#include "input/frmMain.h"
#include "ui/Sheet.h"
#include "ui/Tsv.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace kelva {

namespace {

constexpr const char* kCaption = "Kelvaspec - Edit Database";
constexpr int kMaxColumnChars = 28;

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QAction* action(QWidget* parent, const char* name, const QString& caption,
                const QList<QKeySequence>& keys = {}) {
    auto* a = new QAction(caption, parent);
    a->setObjectName(name);
    a->setShortcuts(keys);
    return a;
}

} // namespace

frmDbs::frmDbs(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("frmDbs");
    setWindowTitle(kCaption);

    model_ = new DbSheetModel(app_.st(), this);
    vaDbs = new ui::Sheet(this);
    vaDbs->setObjectName("vaDbs");
    vaDbs->setAccessibleName("Species table");
    vaDbs->setModel(model_);

    cmdSavecha = button(this, "cmdSavecha", "Save changes to problem");
    cmdSaveDb = button(this, "cmdSaveDb", "Save changes to current database file");
    cmdSaNewDb = button(this, "cmdSaNewDb", "Save changes to NEW database file");
    cmdQuit = button(this, "cmdQuit", "Quit");

    buildFindBar();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(fraFind);
    layout->addWidget(vaDbs, 1);
    auto* buttons = new QHBoxLayout;
    for (auto* b : {cmdSavecha, cmdSaveDb, cmdSaNewDb}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdQuit);
    layout->addLayout(buttons);
    setCentralWidget(central);
    buildMenus();
    setTabOrder(vaDbs, cmdSavecha);
    setTabOrder(cmdSavecha, cmdSaveDb);
    setTabOrder(cmdSaveDb, cmdSaNewDb);
    setTabOrder(cmdSaNewDb, cmdQuit);

    connect(cmdSavecha, &QPushButton::clicked, this, [this] { copySheet(); });
    connect(cmdSaveDb, &QPushButton::clicked, this, &frmDbs::saveToCurrentFile);
    connect(cmdSaNewDb, &QPushButton::clicked, this, &frmDbs::saveToNewFile);
    connect(cmdQuit, &QPushButton::clicked, this, &frmDbs::leave);
    connect(vaDbs, &ui::Sheet::clearRequested, this, &frmDbs::clearBlock);
    connect(model_, &DbSheetModel::blockChanged, vaDbs, &ui::Sheet::selectBlock);

    seenLoads_ = app_.st().vaDbsLoads;
    sizeColumns();
    fitToSheet();
}

void frmDbs::buildMenus() {
    mnuEdit = menuBar()->addMenu("&Edit");
    mnuEdit->setObjectName("mnuEdit");
    mnuEditCopy = action(this, "mnuEditCopy", "Copy", {QKeySequence(Qt::CTRL | Qt::Key_C)});
    mnuEditPaste = action(this, "mnuEditPaste", "Paste", {QKeySequence(Qt::CTRL | Qt::Key_V)});
    mnuEditCut = action(this, "mnuEditCut", "Cut", {QKeySequence(Qt::CTRL | Qt::Key_X)});
    mnuEditInsert = action(this, "mnuEditInsert", "Insert Row", {QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    mnuEditAppend = action(this, "mnuEditAppend", "Add Row at End");
    mnuEditDelete = action(this, "mnuEditDelete", "Delete Row", {QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    mnuEditUndo = model_->undoStack().createUndoAction(this, "Undo");
    mnuEditUndo->setObjectName("mnuEditUndo");
    mnuEditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuEditRedo = model_->undoStack().createRedoAction(this, "Redo");
    mnuEditRedo->setObjectName("mnuEditRedo");
    mnuEditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    mnuEditFind = action(this, "mnuEditFind", "Find Species...", {QKeySequence(Qt::CTRL | Qt::Key_F)});
    mnuEdit->addActions({mnuEditCopy, mnuEditPaste, mnuEditCut});
    mnuEdit->addSeparator();
    mnuEdit->addActions({mnuEditInsert, mnuEditAppend, mnuEditDelete});
    mnuEdit->addSeparator();
    mnuEdit->addActions({mnuEditUndo, mnuEditRedo});
    mnuEdit->addSeparator();
    mnuEdit->addAction(mnuEditFind);

    mnuOptions = menuBar()->addMenu("&Options");
    mnuOptions->setObjectName("mnuOptions");
    mnuOptionsDeltah = action(this, "mnuOptionsDeltah", "Change unit for deltaH");
    mnuOptions->addAction(mnuOptionsDeltah);
    mnuHelp = action(this, "mnuHelp", "&Help");
    menuBar()->addAction(mnuHelp);

    connect(mnuEditCopy, &QAction::triggered, this, &frmDbs::copyBlock);
    connect(mnuEditPaste, &QAction::triggered, this, &frmDbs::pasteBlock);
    connect(mnuEditCut, &QAction::triggered, this, &frmDbs::cutBlock);
    connect(mnuEditInsert, &QAction::triggered, this, &frmDbs::insertRows);
    connect(mnuEditAppend, &QAction::triggered, this, &frmDbs::appendRow);
    connect(mnuEditDelete, &QAction::triggered, this, &frmDbs::deleteRows);
    connect(mnuEditFind, &QAction::triggered, this, &frmDbs::showFind);
    connect(mnuOptionsDeltah, &QAction::triggered, this, [this] {
        auto& w = app_.window<frmDeltah>();
        w.showState();
        w.show();
        w.raise();
        w.activateWindow();
    });
    connect(mnuHelp, &QAction::triggered, this, [this] { app_.openFresh<frmHelp>().show(); });
}

void frmDbs::buildFindBar() {
    fraFind = new QWidget(this);
    fraFind->setObjectName("fraFind");
    lblFind = new QLabel("&Find species (name or number):", fraFind);
    lblFind->setObjectName("lblFind");
    txtFind = new QLineEdit(fraFind);
    txtFind->setObjectName("txtFind");
    txtFind->setAccessibleName("Find species (name or number)");
    lblFind->setBuddy(txtFind);
    cmdFindNext = button(fraFind, "cmdFindNext", "Find &Next");
    lblFound = new QLabel(fraFind);
    lblFound->setObjectName("lblFound");
    auto* row = new QHBoxLayout(fraFind);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(lblFind);
    row->addWidget(txtFind, 1);
    row->addWidget(cmdFindNext);
    row->addWidget(lblFound, 1);
    fraFind->hide();
    connect(txtFind, &QLineEdit::returnPressed, this, &frmDbs::findNext);
    connect(cmdFindNext, &QPushButton::clicked, this, &frmDbs::findNext);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), txtFind, nullptr, nullptr, Qt::WidgetShortcut);
    connect(close, &QShortcut::activated, this, [this] {
        fraFind->hide();
        vaDbs->setFocus();
    });
}

// Wide enough for the heading and for the widest text of the column (up to a limit).
void frmDbs::sizeColumns() {
    const auto& sheet = app_.st().vaDbs;
    const QFontMetrics cells(vaDbs->font());
    QFont bold = vaDbs->horizontalHeader()->font();
    bold.setBold(true);
    const QFontMetrics headings(bold);
    for (int c = 0; c < kSheetCols; ++c) {
        const int chars = std::clamp(sheet.colWidth[static_cast<std::size_t>(c)], 3, kMaxColumnChars);
        const int heading = headings.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString());
        vaDbs->setColumnWidth(c, std::max(heading, cells.horizontalAdvance(QString(chars, '0'))) + 14);
    }
}

// As wide as the whole sheet where the screen allows it.
void frmDbs::fitToSheet() {
    int width =
        vaDbs->verticalHeader()->sizeHint().width() + vaDbs->verticalScrollBar()->sizeHint().width() + 40;
    for (int c = 0; c < kSheetCols; ++c) width += vaDbs->columnWidth(c);
    const QScreen* screen = this->screen();
    const int room = screen ? screen->availableGeometry().width() - 40 : width;
    resize(std::clamp(width, 800, std::max(room, 800)), 660);
}

void frmDbs::showState() {
    if (app_.st().vaDbsLoads != seenLoads_) {
        seenLoads_ = app_.st().vaDbsLoads;
        model_->reload();
        sizeColumns();
        if (model_->rowCount() > 0) vaDbs->selectBlock(0, 0, 0, 0);
    } else {
        model_->refresh();
    }
    if (auto* d = app_.existing<frmDeltah>()) d->showState();
}

void frmDbs::showEvent(QShowEvent* event) {
    showState();
    QMainWindow::showEvent(event);
}

void frmDbs::closeEvent(QCloseEvent* event) {
    event->accept();
    leave();
}

void frmDbs::leave() {
    if (auto* d = app_.existing<frmDeltah>()) d->hide();
    auto& main = app_.window<frmMain>();
    App::handOver(this, &main);
    if (mainChanged_) main.showState();
    mainChanged_ = false;
}

void frmDbs::changeDeltaHUnit(int unit) {
    if (unit == app_.st().Dhunit) return;
    setDhunit(app_.st(), unit);
    model_->refresh();
    // The history holds texts in the other unit.
    model_->forgetHistory();
}

void frmDbs::error(const QString& text, QWidget* parent) {
    dbfiles::refuse(app_, parent ? parent : this, text);
}

bool frmDbs::copySheet(QWidget* parent) {
    std::string err;
    if (!saval(app_.st(), err)) {
        error(QString::fromStdString(err) + "\n\nNothing has been saved.", parent);
        return false;
    }
    pro999(app_.st());
    model_->refresh();
    model_->forgetHistory();
    return true;
}

void frmDbs::saveToCurrentFile() {
    const std::string path = app_.st().main.txtDb;
    if (path.empty()) {
        error("No database file is connected. Use \"Save changes to NEW database file\" to choose one.");
        return;
    }
    const auto before = databaseTables(app_.st());
    if (copySheet()) dbfiles::write(app_, this, path, before);
}

void frmDbs::saveToNewFile() {
    const auto before = databaseTables(app_.st());
    if (!copySheet()) return;
    const auto path = dbfiles::askNewFile(app_, this);
    if (!path || !dbfiles::write(app_, this, *path, before)) return;
    dbfiles::connectFile(app_, *path);
    mainChanged_ = true;
}

// ---------------------------------------------------------------- Edit menu

void frmDbs::copyBlock() {
    const auto b = vaDbs->block();
    if (!b.isValid()) return;
    ui::Block cells = model_->cells(b.top(), b.left(), b.bottom(), b.right());
    // Numbers without the blank in front, so that a spreadsheet program takes them as numbers.
    for (auto& row : cells)
        for (int c = 0; c < row.size(); ++c)
            if (b.left() + c != dbcol::Name) row[c] = row[c].trimmed();
    QApplication::clipboard()->setText(ui::toTsv(cells));
}

void frmDbs::cutBlock() {
    const auto b = vaDbs->block();
    if (!b.isValid()) return;
    copyBlock();
    model_->clearBlock(b.top(), b.left(), b.bottom(), b.right(), "Cut");
}

void frmDbs::clearBlock() {
    const auto b = vaDbs->block();
    if (b.isValid()) model_->clearBlock(b.top(), b.left(), b.bottom(), b.right(), "Delete");
}

void frmDbs::pasteBlock() {
    const auto b = vaDbs->block();
    ui::Block block = ui::fromTsv(QApplication::clipboard()->text());
    if (!b.isValid() || block.isEmpty()) {
        app_.ui().beep();
        return;
    }
    auto widest = [&block] {
        int w = 0;
        for (const auto& row : block) w = std::max(w, static_cast<int>(row.size()));
        return w;
    };
    // One cell fills the whole selection, as in a spreadsheet program.
    if (block.size() == 1 && widest() == 1 && (b.height() > 1 || b.width() > 1)) {
        const QString value = block[0][0];
        block.clear();
        for (int r = 0; r < b.height(); ++r) block << QStringList(b.width(), value);
    }
    const int height = static_cast<int>(block.size());
    const int width = widest();
    const int fitRows = std::min(height, model_->rowCount() - b.top());
    const int fitCols = std::min(width, kSheetCols - b.left());
    model_->setBlock(b.top(), b.left(), block, "Paste");
    vaDbs->selectBlock(b.top(), b.left(), b.top() + fitRows - 1, b.left() + fitCols - 1);
    if (fitRows < height || fitCols < width)
        app_.ui().message(
            this, kCaption,
            QString("The copied block has %1 rows and %2 columns, but from the selected cell the "
                    "sheet has room for %3 rows and %4 columns. Only that part was pasted.")
                .arg(height)
                .arg(width)
                .arg(fitRows)
                .arg(fitCols),
            ui::Icon::Information);
}

void frmDbs::insertRows() {
    if (model_->rowCount() == 0) {
        model_->insertSheetRows(0, 1);
        return;
    }
    const auto b = vaDbs->block();
    if (b.isValid()) model_->insertSheetRows(b.top(), b.height());
}

void frmDbs::appendRow() {
    model_->insertSheetRows(model_->rowCount(), 1);
}

void frmDbs::deleteRows() {
    const auto b = vaDbs->block();
    if (!b.isValid()) {
        app_.ui().beep();
        return;
    }
    model_->removeSheetRows(b.top(), b.height());
}

void frmDbs::showFind() {
    fraFind->show();
    txtFind->setFocus();
    txtFind->selectAll();
}

void frmDbs::findNext() {
    const QModelIndex current = vaDbs->currentIndex();
    const int row = model_->findSpecies(txtFind->text(), current.isValid() ? current.row() : -1);
    if (row < 0) {
        lblFound->setText("No species matches \"" + txtFind->text().trimmed() + "\".");
        app_.ui().beep();
        return;
    }
    lblFound->clear();
    vaDbs->selectBlock(row, 0, row, kSheetCols - 1);
}

} // namespace kelva
