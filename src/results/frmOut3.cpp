#include "results/frmOut3.h"

#include "app/App.h"
#include "results/frmOut1.h"
#include "results/frmOut4.h"
#include "results/outwidgets.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelva {

frmOut3::frmOut3(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmOut3");
    setWindowTitle("Kelvaspec - Miscellaneous results");
    auto* v = new QVBoxLayout(this);

    outui::problemRow(this, v, lblProbno, txtProbno);

    auto* form = new QGridLayout;
    int row = 0;
    auto pair = [&](QLabel*& label, const char* labelName, QLineEdit*& box, const char* boxName,
                    const QString& caption) {
        box = outui::box(this, boxName, caption, 20);
        label = outui::label(this, labelName, caption, box);
        form->addWidget(label, row, 0);
        form->addWidget(box, row, 1);
        ++row;
    };
    pair(Label1, "Label1", txtZedha, "txtZedha", "Net charge on humic acid (molc / g)");
    pair(Label3, "Label3", txtZedfa, "txtZedfa", "Net charge on fulvic acid (molc / g)");
    pair(Label4, "Label4", txtRatioha, "txtRatioha", "Ratio R, humic acid");
    pair(Label5, "Label5", txtRatiofa, "txtRatiofa", "Ratio R, fulvic acid");
    pair(lblRatioclay, "lblRatioclay", txtRatioclay, "txtRatioclay", "Ratio R, clay");
    Line1 = new QFrame(this);
    Line1->setObjectName("Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    form->addWidget(Line1, row++, 0, 1, 2);
    Label6 = outui::label(this, "Label6", "Water volumes (% of total)");
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    form->addWidget(Label6, row++, 0, 1, 2);
    pair(Label7, "Label7", txtHADDL, "txtHADDL", "In DDL - Humic acid");
    pair(Label8, "Label8", txtFADDL, "txtFADDL", "In DDL - Fulvic acid");
    pair(Label9, "Label9", txtClayDDL, "txtClayDDL", "In DDL - Clay");
    pair(Label10, "Label10", txtSol, "txtSol", "In solution");
    form->setColumnStretch(2, 1);
    v->addLayout(form);
    v->addStretch();

    cmdTotaq = outui::button(this, "cmdTotaq", "Total aqueous concentrations ");
    cmdBack = outui::button(this, "cmdBack", "Back to main output menu");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdTotaq);
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    v->addLayout(buttons);
    connect(cmdTotaq, &QPushButton::clicked, this, &frmOut3::cmdTotaq_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmOut3::cmdBack_Click);
    showState();
}

void frmOut3::showState() {
    const ResultForm& o = app_.st().out;
    outui::showProblemRow(o, lblProbno, txtProbno);
    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {txtZedha, &o.txtZedha},     {txtZedfa, &o.txtZedfa},         {txtRatioha, &o.txtRatioha},
        {txtRatiofa, &o.txtRatiofa}, {txtRatioclay, &o.txtRatioclay}, {txtHADDL, &o.txtHADDL},
        {txtFADDL, &o.txtFADDL},     {txtClayDDL, &o.txtClayDDL},     {txtSol, &o.txtSol}};
    for (const auto& [box, text] : texts) {
        box->setText(outui::qs(*text));
        box->setCursorPosition(0);
    }
    lblRatioclay->setVisible(o.ratioClayVisible);
    txtRatioclay->setVisible(o.ratioClayVisible);
    cmdTotaq->setVisible(o.soilMode);
}

void frmOut3::cmdTotaq_Click() {
    auto& w = app_.window<frmOut4>();
    w.showState();
    App::handOver(this, &w);
}

void frmOut3::cmdBack_Click() {
    App::handOver(this, &app_.window<frmOut1>());
}

} // namespace kelva
