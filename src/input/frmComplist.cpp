#include "input/frmComplist.h"

#include "app/App.h"
#include "input/frmMain.h"
#include "run/complist.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kelva {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void setTextKeepingCursor(QLineEdit* e, const QString& text) {
    if (e->text() != text) e->setText(text);
}

} // namespace

frmComplist::frmComplist(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmComplist");
    setWindowTitle("Kelvaspec - List of components");

    Label1 = new QLabel("Components in the present problem");
    Label1->setObjectName("Label1");
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.2);
    Label1->setFont(heading);
    Label2 = new QLabel("&Component name");
    Label2->setObjectName("Label2");
    Label3 = new QLabel("&Total concentration*");
    Label3->setObjectName("Label3");
    Label4 = new QLabel("*The concentration unit is the one chosen on Main menu");
    Label4->setObjectName("Label4");
    Label4->setWordWrap(true);
    cmdMain = new QPushButton("&Back to main menu");
    cmdMain->setObjectName("cmdMain");

    auto* rows = new QWidget;
    auto* grid = new QGridLayout(rows);
    grid->addWidget(Label2, 0, 1);
    grid->addWidget(Label3, 0, 2);
    const int textWidth = fontMetrics().horizontalAdvance(QString(18, 'M'));
    QWidget* previous = nullptr;
    for (int i = 1; i <= kRows; ++i) {
        const QString n = QString::number(i);
        auto* number = rowNo_[i] = new QLabel(n);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        txtName[i] = new QLineEdit;
        txtName[i]->setObjectName("txtName_" + n);
        txtName[i]->setAccessibleName("Component name " + n);
        txtName[i]->setMinimumWidth(textWidth);
        txtConc[i] = new QLineEdit;
        txtConc[i]->setObjectName("txtConc_" + n);
        txtConc[i]->setAccessibleName("Total concentration " + n);
        txtConc[i]->setMinimumWidth(textWidth);
        cmdDelete[i] = new QPushButton("Delete this component");
        cmdDelete[i]->setObjectName("cmdDelete_" + n);
        cmdDelete[i]->setAccessibleName("Delete this component " + n);
        number->setBuddy(txtName[i]);
        grid->addWidget(number, i, 0);
        grid->addWidget(txtName[i], i, 1);
        grid->addWidget(txtConc[i], i, 2);
        grid->addWidget(cmdDelete[i], i, 3);
        for (QWidget* w : {static_cast<QWidget*>(txtName[i]), static_cast<QWidget*>(txtConc[i]),
                           static_cast<QWidget*>(cmdDelete[i])}) {
            if (previous) setTabOrder(previous, w);
            previous = w;
        }

        connect(txtName[i], &QLineEdit::textEdited, this,
                [this, i](const QString& t) { app_.st().rows[i].txtName = t.toStdString(); });
        connect(txtConc[i], &QLineEdit::textEdited, this,
                [this, i](const QString& t) { app_.st().rows[i].txtConc = t.toStdString(); });
        connect(cmdDelete[i], &QPushButton::clicked, this, [this, i] {
            kelva::cmdDelete(app_.st(), i);
            showState();
        });
    }
    Label2->setBuddy(txtName[1]);
    Label3->setBuddy(txtConc[1]);
    grid->setRowStretch(kRows + 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    auto* scroll = new QScrollArea;
    scroll->setObjectName("rowsArea");
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdMain);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(scroll, 1);
    layout->addWidget(Label4);
    layout->addLayout(buttons);
    setTabOrder(previous, cmdMain);

    connect(cmdMain, &QPushButton::clicked, this, &frmComplist::backToMain);
    resize(rows->sizeHint().width() + 40, 560);
    showState();
}

void frmComplist::showState() {
    const ProgramState& st = app_.st();
    for (int i = 1; i <= kRows; ++i) {
        const ComplistRow& r = st.rows[i];
        const bool shown = i <= st.Nmast;
        setTextKeepingCursor(txtName[i], shown ? q(r.txtName) : QString());
        setTextKeepingCursor(txtConc[i], shown ? q(r.txtConc) : QString());
        txtName[i]->setVisible(shown);
        txtConc[i]->setVisible(shown);
        cmdDelete[i]->setVisible(shown);
        rowNo_[i]->setVisible(shown);
    }
}

void frmComplist::showEvent(QShowEvent* e) {
    showState();
    QWidget::showEvent(e);
}

void frmComplist::closeEvent(QCloseEvent* e) {
    e->ignore();
    backToMain();
}

void frmComplist::backToMain() {
    App::handOver(this, &app_.window<frmMain>());
}

} // namespace kelva
