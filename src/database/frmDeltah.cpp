#include "database/frmDeltah.h"

#include "app/App.h"
#include "database/frmDbs.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kelva {

namespace {

QLabel* label(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QRadioButton* option(QWidget* parent, const char* name, const char* accessible) {
    auto* o = new QRadioButton(parent);
    o->setObjectName(name);
    o->setAccessibleName(accessible);
    return o;
}

} // namespace

frmDeltah::frmDeltah(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmDeltah");
    setWindowTitle("Kelvaspec - DeltaH unit");

    Label1 = label(this, "Label1", "Select unit for deltaH:");
    optKcal = option(this, "optKcal", "kcal / mol");
    Label2 = label(this, "Label2", "&kcal / mol");
    optKJ = option(this, "optKJ", "kJ / mol");
    Label3 = label(this, "Label3", "k&J / mol");
    Label2->setBuddy(optKcal);
    Label3->setBuddy(optKJ);
    // A click on the unit's name selects it, as on the option itself.
    Label2->installEventFilter(this);
    Label3->installEventFilter(this);
    cmdMain = new QPushButton("Close this window", this);
    cmdMain->setObjectName("cmdMain");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    auto* options = new QGridLayout;
    options->setColumnStretch(1, 1);
    options->addWidget(optKcal, 0, 0);
    options->addWidget(Label2, 0, 1);
    options->addWidget(optKJ, 1, 0);
    options->addWidget(Label3, 1, 1);
    layout->addLayout(options);
    layout->addStretch(1);
    layout->addWidget(cmdMain, 0, Qt::AlignRight);
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 140);
    setTabOrder(optKcal, optKJ);
    setTabOrder(optKJ, cmdMain);

    connect(optKcal, &QRadioButton::toggled, this, [this](bool on) {
        if (on) app_.window<frmDbs>().changeDeltaHUnit(1);
    });
    connect(optKJ, &QRadioButton::toggled, this, [this](bool on) {
        if (on) app_.window<frmDbs>().changeDeltaHUnit(2);
    });
    connect(cmdMain, &QPushButton::clicked, this, &QWidget::hide);
    showState();
}

void frmDeltah::showState() {
    const QSignalBlocker a(optKcal), b(optKJ);
    const bool kj = app_.st().Dhunit == 2;
    optKJ->setChecked(kj);
    optKcal->setChecked(!kj);
}

bool frmDeltah::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Label2) optKcal->click();
        if (watched == Label3) optKJ->click();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kelva
