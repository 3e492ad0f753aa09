#include "database/frmDataparam.h"

#include "app/App.h"
#include "database/DbFiles.h"
#include "files/numtext.h"
#include "input/frmMain.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace kelva {

namespace {

constexpr float kNmPerM = 1e9f;

// The value of a box: the leading number of its text (held at the largest double beyond it).
double boxValue(const QLineEdit* box) {
    return text::leadingNumber(box->text().toStdString());
}

// Held within the range of a single-precision field, so that no box can put an infinity into a
// database file.
float singleValue(double v) {
    constexpr double big = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(v, -big, big));
}

void putValue(QLineEdit* box, float v) {
    box->setText(QString::fromStdString(text::plainSingle(v)));
}

void putValue(QLineEdit* box, double v) {
    box->setText(QString::fromStdString(text::plain(v)));
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QLabel* heading(QLabel* l) {
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

frmDataparam::frmDataparam(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmDataparam");
    setWindowTitle("Kelvaspec - Database parameters");

    auto* top = new QHBoxLayout;
    top->addWidget(buildPairs(), 3);
    top->addSpacing(24);
    top->addWidget(buildOthers(), 2);

    cmdSavecha = button(this, "cmdSavecha", "Save changes to problem");
    cmdSaveDb = button(this, "cmdSaveDb", "Save changes to current database file");
    cmdSaNewDb = button(this, "cmdSaNewDb", "Save changes to NEW database file");
    cmdMain = button(this, "cmdMain", "Quit");
    auto* buttons = new QHBoxLayout;
    for (auto* b : {cmdSavecha, cmdSaveDb, cmdSaNewDb}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdMain);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addSpacing(12);
    layout->addLayout(buttons);

    connect(cmdSavecha, &QPushButton::clicked, this, &frmDataparam::copyBoxes);
    connect(cmdSaveDb, &QPushButton::clicked, this, &frmDataparam::saveToCurrentFile);
    connect(cmdSaNewDb, &QPushButton::clicked, this, &frmDataparam::saveToNewFile);
    connect(cmdMain, &QPushButton::clicked, this, &frmDataparam::leave);
}

QLabel* frmDataparam::label(int number, const char* text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QString("Label%1").arg(number));
    return l;
}

QLineEdit* frmDataparam::box(const char* name, const QString& accessible) {
    auto* b = new QLineEdit(this);
    b->setObjectName(name);
    b->setAccessibleName(accessible);
    b->setMinimumWidth(fontMetrics().horizontalAdvance(QString(13, '0')));
    return b;
}

QWidget* frmDataparam::buildPairs() {
    auto* w = new QWidget(this);
    auto* grid = new QGridLayout(w);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(heading(label(1, "Humic acid")), 0, 1);
    grid->addWidget(heading(label(2, "Fulvic acid")), 0, 2);
    struct Row {
        const char* text;
        const char* ha;
        const char* fa;
        QLineEdit** haBox;
        QLineEdit** faBox;
    };
    const Row rows[] = {
        {"mol type A groups per g", "txtNcooh1", "txtNcooh2", &txtNcooh1, &txtNcooh2},
        {"central pK for type A groups", "txtPkha1", "txtPkha2", &txtPkha1, &txtPkha2},
        {"central pK for type B groups", "txtPkhb1", "txtPkhb2", &txtPkhb1, &txtPkhb2},
        {"range of type A pK's", "txtDpkha1", "txtDpkha2", &txtDpkha1, &txtDpkha2},
        {"range of type B pK's", "txtDpkhb1", "txtDpkhb2", &txtDpkhb1, &txtDpkhb2},
        {"defines w by w = Plog I", "txtP1", "txtP2", &txtP1, &txtP2},
        {"f(pr), proximity factor", "txtFpr1", "txtFpr2", &txtFpr1, &txtFpr2},
        {"molecular radius (nm)", "txtRadius1", "txtRadius2", &txtRadius1, &txtRadius2},
        {"molecular weight", "txtMolwt1", "txtMolwt2", &txtMolwt1, &txtMolwt2},
    };
    int r = 0;
    for (const Row& row : rows) {
        ++r;
        auto* l = label(r + 2, row.text);
        *row.haBox = box(row.ha, QString(row.text) + ", humic acid");
        *row.faBox = box(row.fa, QString(row.text) + ", fulvic acid");
        l->setBuddy(*row.haBox);
        grid->addWidget(l, r, 0);
        grid->addWidget(*row.haBox, r, 1);
        grid->addWidget(*row.faBox, r, 2);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return w;
}

QWidget* frmDataparam::buildOthers() {
    auto* w = new QWidget(this);
    auto* grid = new QGridLayout(w);
    grid->setContentsMargins(0, 0, 0, 0);
    int r = 0;
    auto single = [&](int number, const char* text, const char* name, QLineEdit*& out) {
        auto* l = label(number, text);
        out = box(name, text);
        l->setBuddy(out);
        grid->addWidget(l, r, 0);
        grid->addWidget(out, r, 1, 1, 2);
        ++r;
    };
    single(12, "Double layer overlap factor", "txtDlf", txtDlf);
    single(13, "KZ, charge factor", "txtKzed", txtKzed);
    single(16, "K0, adsorption param.", "txtK0", txtK0);
    single(15, "Beta, adsorption param.", "txtBeta", txtBeta);
    grid->setRowMinimumHeight(r++, 10);
    grid->addWidget(heading(label(17, "Clay")), r++, 0);
    single(18, "CEC (molc / g)", "txtEqclay", txtEqclay);
    single(19, "Surface area (m2 / g)", "txtSaclay", txtSaclay);
    grid->setRowMinimumHeight(r++, 10);

    grid->addWidget(heading(label(22, "log *Ks at 25oC")), r, 1);
    grid->addWidget(heading(label(23, "deltaHr (cal/mol)")), r, 2);
    ++r;
    auto solid = [&](int number, const char* text, const char* ks, const char* dh, QLineEdit*& ksBox,
                     QLineEdit*& dhBox) {
        auto* l = label(number, text);
        ksBox = box(ks, QString("log *Ks at 25oC, ") + text);
        dhBox = box(dh, QString("deltaHr (cal/mol), ") + text);
        l->setBuddy(ksBox);
        grid->addWidget(l, r, 0);
        grid->addWidget(ksBox, r, 1);
        grid->addWidget(dhBox, r, 2);
        ++r;
    };
    solid(21, "Al(OH)3", "txtLksoal25", "txtDhal", txtLksoal25, txtDhal);
    solid(20, "Fe(OH)3", "txtLksofe25", "txtDhfe", txtLksofe25, txtDhfe);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return w;
}

void frmDataparam::showParameters() {
    const ProgramState& st = app_.st();
    const std::array<std::pair<QLineEdit*, QLineEdit*>, 8> pairs = {{{txtNcooh1, txtNcooh2},
                                                                     {txtPkha1, txtPkha2},
                                                                     {txtPkhb1, txtPkhb2},
                                                                     {txtDpkha1, txtDpkha2},
                                                                     {txtDpkhb1, txtDpkhb2},
                                                                     {txtP1, txtP2},
                                                                     {txtFpr1, txtFpr2},
                                                                     {txtMolwt1, txtMolwt2}}};
    const std::array<const Arr<float, 2>*, 8> values = {&st.Ncooh, &st.Pkha, &st.Pkhb, &st.Dpkha,
                                                        &st.Dpkhb, &st.P,    &st.Fpr,  &st.Molwt};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        putValue(pairs[i].first, (*values[i])[1]);
        putValue(pairs[i].second, (*values[i])[2]);
    }
    putValue(txtRadius1, st.Radius[1] * kNmPerM);
    putValue(txtRadius2, st.Radius[2] * kNmPerM);
    putValue(txtDlf, st.Dlf);
    putValue(txtKzed, st.Kzed);
    putValue(txtK0, st.K0);
    putValue(txtBeta, st.Beta);
    putValue(txtEqclay, st.Eqclay);
    putValue(txtSaclay, st.Saclay);
    putValue(txtLksoal25, st.Lksoal25);
    putValue(txtDhal, st.Dhal);
    putValue(txtLksofe25, st.Lksofe25);
    putValue(txtDhfe, st.Dhfe);
}

void frmDataparam::copyBoxes() {
    ProgramState& st = app_.st();
    auto pair = [](Arr<float, 2>& v, const QLineEdit* ha, const QLineEdit* fa, double scale = 1.0) {
        v[1] = singleValue(boxValue(ha) / scale);
        v[2] = singleValue(boxValue(fa) / scale);
    };
    pair(st.Ncooh, txtNcooh1, txtNcooh2);
    pair(st.Pkha, txtPkha1, txtPkha2);
    pair(st.Pkhb, txtPkhb1, txtPkhb2);
    pair(st.Dpkha, txtDpkha1, txtDpkha2);
    pair(st.Dpkhb, txtDpkhb1, txtDpkhb2);
    pair(st.P, txtP1, txtP2);
    pair(st.Fpr, txtFpr1, txtFpr2);
    pair(st.Radius, txtRadius1, txtRadius2, kNmPerM);
    pair(st.Molwt, txtMolwt1, txtMolwt2);
    st.Dlf = singleValue(boxValue(txtDlf));
    st.Kzed = boxValue(txtKzed);
    st.K0 = boxValue(txtK0);
    st.Beta = boxValue(txtBeta);
    st.Eqclay = singleValue(boxValue(txtEqclay));
    st.Saclay = singleValue(boxValue(txtSaclay));
    st.Lksoal25 = boxValue(txtLksoal25);
    st.Dhal = boxValue(txtDhal);
    st.Lksofe25 = boxValue(txtLksofe25);
    st.Dhfe = boxValue(txtDhfe);
}

void frmDataparam::saveToCurrentFile() {
    const std::string path = app_.st().main.txtDb;
    if (path.empty()) {
        dbfiles::refuse(
            app_, this,
            "No database file is connected. Use \"Save changes to NEW database file\" to choose one.");
        return;
    }
    const auto before = databaseTables(app_.st());
    copyBoxes();
    dbfiles::write(app_, this, path, before);
}

// The values copied stay in force when the dialog is cancelled; only a failed write puts the
// parameters back as they were.
void frmDataparam::saveToNewFile() {
    const auto before = databaseTables(app_.st());
    copyBoxes();
    const auto path = dbfiles::askNewFile(app_, this);
    if (!path || !dbfiles::write(app_, this, *path, before)) return;
    dbfiles::connectFile(app_, *path);
    mainChanged_ = true;
}

void frmDataparam::leave() {
    auto& main = app_.window<frmMain>();
    App::handOver(this, &main);
    if (mainChanged_) main.showState();
    mainChanged_ = false;
}

void frmDataparam::closeEvent(QCloseEvent* event) {
    event->accept();
    leave();
}

} // namespace kelva
