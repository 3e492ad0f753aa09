#include "parameters/frmCO2.h"

#include "app/App.h"
#include "parameters/paramtext.h"
#include "parameters/paramwindow.h"
#include "run/readinput.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kelva {

frmCO2::frmCO2(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    params::setUpWindow(this, "frmCO2", "Kelvaspec - Specify CO2 pressure");

    optCO2 = new QRadioButton(this);
    optCO2->setObjectName("optCO2");
    Label2 = params::labelFor(optCO2, "Label2", "&Do not fix the CO2 pressure", this);
    optFixCO2 = new QRadioButton(this);
    optFixCO2->setObjectName("optFixCO2");
    Label4 = params::labelFor(optFixCO2, "Label4", "&Fix the CO2 pressure", this);
    for (QLabel* l : {Label2, Label4}) l->installEventFilter(this);

    lblCO2 = new QLabel("&Enter fixed CO2 pressure (times atmospheric pressure)", this);
    lblCO2->setObjectName("lblCO2");
    txtCO2 = new QLineEdit("1", this);
    txtCO2->setObjectName("txtCO2");
    txtCO2->setMaximumWidth(txtCO2->fontMetrics().horizontalAdvance('0') * 16);
    lblCO2->setBuddy(txtCO2);
    // The box keeps its place while hidden, so that the window does not jump.
    for (QWidget* w : {static_cast<QWidget*>(lblCO2), static_cast<QWidget*>(txtCO2)}) {
        QSizePolicy sp = w->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        w->setSizePolicy(sp);
    }

    Label3 = new QLabel("Important note: You are not allowed to fix the CO2 pressure if CO3 has been "
                        "chosen as a component!",
                        this);
    Label3->setObjectName("Label3");
    Label3->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, 20);
    grid->addWidget(optCO2, 0, 0);
    grid->addWidget(Label2, 0, 1, 1, 2);
    grid->addWidget(optFixCO2, 1, 0);
    grid->addWidget(Label4, 1, 1, 1, 2);
    grid->addWidget(lblCO2, 2, 1);
    grid->addWidget(txtCO2, 2, 2);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(Label3);
    layout->addStretch(1);
    layout->addSpacing(12);
    layout->addLayout(params::saveQuitRow(this, cmdMain, cmdQuit));

    connect(optCO2, &QRadioButton::clicked, this, &frmCO2::NotFixedCO2);
    connect(optFixCO2, &QRadioButton::clicked, this, &frmCO2::FixedCO2);
    connect(cmdMain, &QPushButton::clicked, this, &frmCO2::save);

    const float pCO2 = app_.st().pCO2;
    if (static_cast<double>(pCO2) != kNoValue) {
        // The factor as the stored single-precision pressure gives it, to that precision.
        txtCO2->setText(params::shortText(static_cast<double>(pCO2) / kAtmosphericCO2));
        FixedCO2();
    } else {
        NotFixedCO2();
    }
    setMinimumWidth(sizeHint().width());
}

void frmCO2::NotFixedCO2() {
    optCO2->setChecked(true);
    lblCO2->hide();
    txtCO2->hide();
}

void frmCO2::FixedCO2() {
    optFixCO2->setChecked(true);
    lblCO2->show();
    txtCO2->show();
}

void frmCO2::save() {
    app_.st().pCO2 = optFixCO2->isChecked() ? toSingle(params::valueOf(txtCO2) * kAtmosphericCO2)
                                            : static_cast<float>(kNoValue);
    accept();
}

bool frmCO2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label2) optCO2->click();
        if (watched == Label4) optFixCO2->click();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kelva
