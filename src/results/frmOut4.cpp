#include "results/frmOut4.h"

#include "app/App.h"
#include "results/frmOut1.h"
#include "results/outwidgets.h"
#include "ui/Grid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelva {

namespace {
constexpr int kTotalsTwips = 2500;
}

frmOut4::frmOut4(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmOut4");
    setWindowTitle("Kelvaspec - Total aqueous concentrations and Kd values");
    auto* v = new QVBoxLayout(this);

    outui::problemRow(this, v, lblProbno, txtProbno);

    grdTotals = outui::fourColumnGrid(this, "grdTotals", "Total aqueous concentrations and Kd values",
                                      "Master species", kTotalsTwips);
    v->addWidget(grdTotals, 1);

    cmdBack = outui::button(this, "cmdBack", "Back to main output menu");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    v->addLayout(buttons);
    connect(cmdBack, &QPushButton::clicked, this, &frmOut4::cmdBack_Click);
    resize(760, 420);
    showState();
}

void frmOut4::showState() {
    const ResultForm& o = app_.st().out;
    outui::showProblemRow(o, lblProbno, txtProbno);
    outui::showTable(*grdTotals, o.grdTotals);
    grdTotals->widenToContents();
}

void frmOut4::cmdBack_Click() {
    hide();
    auto& main = app_.window<frmOut1>();
    main.show();
    main.raise();
    main.activateWindow();
}

} // namespace kelva
