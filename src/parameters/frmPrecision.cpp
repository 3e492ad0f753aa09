#include "parameters/frmPrecision.h"

#include "app/App.h"
#include "parameters/paramtext.h"
#include "parameters/paramwindow.h"
#include "run/readinput.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelva {

frmPrecision::frmPrecision(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    params::setUpWindow(this, "frmPrecision", "Kelvaspec - Precision");

    Label1 = new QLabel("&Enter required precision for calculations (%)", this);
    Label1->setObjectName("Label1");
    txtPrecision = new QLineEdit(params::shortText(app_.st().Precision), this);
    txtPrecision->setObjectName("txtPrecision");
    txtPrecision->setMaximumWidth(txtPrecision->fontMetrics().horizontalAdvance('0') * 16);
    Label1->setBuddy(txtPrecision);

    auto* row = new QHBoxLayout;
    row->addWidget(Label1, 1);
    row->addWidget(txtPrecision);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addStretch(1);
    layout->addSpacing(12);
    layout->addLayout(params::saveQuitRow(this, cmdMain, cmdQuit));
    connect(cmdMain, &QPushButton::clicked, this, &frmPrecision::save);
}

void frmPrecision::save() {
    app_.st().Precision = toSingle(params::valueOf(txtPrecision));
    accept();
}

} // namespace kelva
