#include "parameters/frmOther.h"

#include "app/App.h"
#include "engine/newton.h"
#include "input/frmMain.h"
#include "parameters/paramtext.h"
#include "parameters/paramwindow.h"
#include "run/readinput.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelva {

namespace {

QLineEdit* numberBox(const char* name, const QString& text, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance('0') * 16);
    return box;
}

// A list box of a few items, as tall as its items.
QListWidget* choiceList(const char* name, const QStringList& items, const QString& current, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->addItems(items);
    const int row = static_cast<int>(items.indexOf(current));
    list->setCurrentRow(row < 0 ? 0 : row);
    list->setFixedHeight(list->sizeHintForRow(0) * list->count() + 2 * list->frameWidth() + 4);
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 24);
    list->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return list;
}

// A typed folder: "~" is the home folder, and a relative path is taken from it.
QString folderOf(QString typed) {
    typed = typed.trimmed();
    if (typed.isEmpty()) return typed;
    if (typed == "~" || typed.startsWith("~/")) typed = QDir::homePath() + typed.mid(1);
    return QDir::cleanPath(QDir(QDir::homePath()).absoluteFilePath(typed));
}

} // namespace

frmOther::frmOther(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    params::setUpWindow(this, "frmOther", "Kelvaspec - Program mode and other parameters");
    const ProgramState& st = app_.st();

    lstMode = choiceList("lstMode", {kModeSoilItem, kModeWaterItem},
                         st.ProgMode == "Soil" ? kModeSoilItem : kModeWaterItem, this);
    Label4 = params::labelFor(lstMode, "Label4", "Choose program &mode", this);
    lstSolver = choiceList("lstSolver", {kSolverSubstitution, kSolverNewton},
                           QString::fromStdString(st.Solver), this);
    lblSolver = params::labelFor(lstSolver, "lblSolver", "&Solution method", this);
    txtItermax = numberBox("txtItermax", params::shortText(st.Itermax), this);
    Label3 = params::labelFor(txtItermax, "Label3", "Maximum number of &iterations", this);
    txtComrat = numberBox("txtComrat", params::shortText(st.Comrat), this);
    lblComrat = params::labelFor(txtComrat, "lblComrat", "&Organic matter to DOC conversion factor", this);
    txtCactfract = numberBox("txtCactfract", params::shortText(st.Cactfract), this);
    lblCactfract =
        params::labelFor(txtCactfract, "lblCactfract", "Dissolved &fulvic acid as a fraction of DOC", this);
    txtDirectory = new QLineEdit(QString::fromStdString(st.Directory), this);
    txtDirectory->setObjectName("txtDirectory");
    txtDirectory->setMinimumWidth(txtDirectory->fontMetrics().horizontalAdvance('x') * 40);
    Label1 = params::labelFor(txtDirectory, "Label1", "Current working &directory*", this);
    Label2 =
        new QLabel("*Temporary input and output files are automatically written to this directory", this);
    Label2->setObjectName("Label2");
    Label2->setWordWrap(true);

    auto* grid = new QGridLayout;
    int row = 0;
    for (auto [label, box] : std::initializer_list<std::pair<QLabel*, QWidget*>>{{Label4, lstMode},
                                                                                 {lblSolver, lstSolver},
                                                                                 {Label3, txtItermax},
                                                                                 {lblComrat, txtComrat},
                                                                                 {lblCactfract, txtCactfract},
                                                                                 {Label1, txtDirectory}}) {
        const bool list = qobject_cast<QListWidget*>(box) != nullptr;
        grid->addWidget(label, row, 0,
                        list ? Qt::AlignTop | Qt::AlignLeft : Qt::AlignVCenter | Qt::AlignLeft);
        grid->addWidget(box, row, 1, box == txtDirectory ? Qt::Alignment() : Qt::AlignLeft);
        ++row;
    }
    grid->addWidget(Label2, row, 0, 1, 2);
    // The boxes stay where they are when the sorption factors (the longest labels) are hidden.
    int labelWidth = 0;
    for (QLabel* l : {Label4, lblSolver, Label3, lblComrat, lblCactfract, Label1})
        labelWidth = std::max(labelWidth, l->sizeHint().width());
    grid->setColumnMinimumWidth(0, labelWidth);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(12);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addSpacing(12);
    layout->addLayout(params::saveQuitRow(this, cmdMain, cmdQuit));

    connect(lstMode, &QListWidget::currentRowChanged, this, &frmOther::lstModeClick);
    connect(cmdMain, &QPushButton::clicked, this, &frmOther::save);
    lstModeClick();
}

void frmOther::lstModeClick() {
    const bool sorption = lstMode->currentItem() && lstMode->currentItem()->text() != kModeWaterItem;
    for (QWidget* w : {static_cast<QWidget*>(lblComrat), static_cast<QWidget*>(txtComrat),
                       static_cast<QWidget*>(lblCactfract), static_cast<QWidget*>(txtCactfract)})
        w->setVisible(sorption);
}

void frmOther::refuse(QLineEdit* box, const QString& message) {
    app_.ui().message(this, "Kelvaspec Error", message, ui::Icon::Stop);
    box->setFocus();
    box->selectAll();
}

void frmOther::save() {
    // The limit is a 16-bit count: a number it cannot hold is refused rather than cut.
    const double iterations = std::floor(params::valueOf(txtItermax));
    constexpr double most = std::numeric_limits<i16>::max();
    constexpr double least = std::numeric_limits<i16>::min();
    if (!(iterations <= most))
        return refuse(txtItermax, "The maximum number of iterations can be at most 32767.");
    if (!(iterations >= least))
        return refuse(txtItermax, "The maximum number of iterations can be no less than -32768.");
    const QString folder = folderOf(txtDirectory->text());
    if (folder.isEmpty()) return refuse(txtDirectory, "Enter the working directory.");
    if (!QDir().mkpath(folder))
        return refuse(txtDirectory, "The working directory " + QDir::toNativeSeparators(folder) +
                                        " does not exist and cannot be made. Choose another folder.");

    ProgramState& st = app_.st();
    st.Comrat = toSingle(params::valueOf(txtComrat));
    st.Cactfract = toSingle(params::valueOf(txtCactfract));
    st.Itermax = static_cast<i16>(iterations);
    st.Directory = folder.toStdString();
    st.ProgMode =
        lstMode->currentItem() && lstMode->currentItem()->text() == kModeWaterItem ? "Water" : "Soil";
    st.Solver =
        lstSolver->currentItem() ? lstSolver->currentItem()->text().toStdString() : kSolverSubstitution;
    Pmoder(st);
    app_.window<frmMain>().showState();
    accept();
}

} // namespace kelva
