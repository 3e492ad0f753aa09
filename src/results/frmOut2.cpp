#include "results/frmOut2.h"

#include "app/App.h"
#include "results/frmOut1.h"
#include "results/frmOut3.h"
#include "results/frmOut4.h"
#include "results/outwidgets.h"
#include "ui/Grid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelva {

namespace {
constexpr int kSpeciesTwips = 1800;
}

frmOut2::frmOut2(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmOut2");
    setWindowTitle("Kelvaspec - Species table");
    auto* v = new QVBoxLayout(this);

    outui::problemRow(this, v, lblProbno, txtProbno);

    grdSpecies = outui::fourColumnGrid(this, "grdSpecies", "Species table", "Species", kSpeciesTwips);
    Label1 = outui::label(this, "Label1",
                          "Concentrations and activities of aqueous inorganic species (mol / l)", grdSpecies);
    grdSpecies->setAccessibleName(Label1->text());
    v->addWidget(Label1);
    v->addWidget(grdSpecies, 1);

    cmdMisc = outui::button(this, "cmdMisc", "Display misc. results");
    cmdTotaq = outui::button(this, "cmdTotaq", "On to total aqueous concentrations ");
    cmdBack = outui::button(this, "cmdBack", "Back to main output menu");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdMisc);
    buttons->addWidget(cmdTotaq);
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    v->addLayout(buttons);
    connect(cmdMisc, &QPushButton::clicked, this, &frmOut2::cmdMisc_Click);
    connect(cmdTotaq, &QPushButton::clicked, this, &frmOut2::cmdTotaq_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmOut2::cmdBack_Click);
    resize(560, 600);
    showState();
}

void frmOut2::showState() {
    const ResultForm& o = app_.st().out;
    outui::showProblemRow(o, lblProbno, txtProbno);
    outui::showTable(*grdSpecies, o.grdSpecies);
    grdSpecies->widenToContents();
    cmdTotaq->setVisible(o.soilMode);
}

void frmOut2::cmdMisc_Click() {
    auto& w = app_.window<frmOut3>();
    w.showState();
    App::handOver(this, &w);
}

void frmOut2::cmdTotaq_Click() {
    auto& w = app_.window<frmOut4>();
    w.showState();
    App::handOver(this, &w);
}

void frmOut2::cmdBack_Click() {
    App::handOver(this, &app_.window<frmOut1>());
}

} // namespace kelva
