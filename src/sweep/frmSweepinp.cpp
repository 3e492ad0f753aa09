#include "sweep/frmSweepinp.h"

#include "app/App.h"
#include "input/frmMain.h"
#include "run/sweepgen.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <vector>

namespace kelva {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void setTextIfChanged(QLineEdit* e, const QString& text) {
    if (e->text() != text) e->setText(text);
}

QStringList items(const std::vector<std::string>& v) {
    QStringList out;
    for (const auto& s : v) out << q(s);
    return out;
}

// A widget that keeps its place in the layout while hidden, so the page does not move.
template <class W> W* steady(W* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
    return w;
}

} // namespace

frmSweepinp::frmSweepinp(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmSweepinp");
    setWindowTitle("Kelvaspec - Multi-problem menu");
    sweepgen::load(app_.st());
    buildControls();
    buildLayout();
    connectControls();
    showState();
}

// ---------------------------------------------------------------- building

void frmSweepinp::buildControls() {
    auto label = [](const QString& name, const QString& text) {
        auto* l = new QLabel(text);
        l->setObjectName(name);
        return l;
    };
    auto edit = [this](const QString& name, int chars) {
        auto* e = new QLineEdit;
        e->setObjectName(name);
        e->setFixedWidth(fontMetrics().horizontalAdvance(QString(chars, '0')) + 16);
        return e;
    };
    auto button = [](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        return b;
    };
    QFont bold = font();
    bold.setBold(true);

    Label1 = label("Label1", "Choose from the following two alternatives:");
    Label1->setFont(bold);
    // The check boxes have no text of their own: the labels beside them are their captions, and
    // a click on a label ticks its box.
    chkMulti = new QCheckBox;
    chkMulti->setObjectName("chkMulti");
    Label6 = label("Label6", "&Multi-problem generator - add several problems to the same run");
    chkpH = new QCheckBox;
    chkpH->setObjectName("chkpH");
    Label2 = label("Label2", "&Fixed-pH sweep: different pH values only");
    for (auto [box, caption] : {std::pair{chkMulti, Label6}, {chkpH, Label2}}) {
        caption->setBuddy(box);
        caption->installEventFilter(this);
        box->setAccessibleName(caption->text().remove('&'));
    }
    Label3 = label("Label3", "State the &number of problems (max 20)");
    txtSweepno = edit("txtSweepno", 4);
    Label3->setBuddy(txtSweepno);

    lblStartvalue = label("lblStartvalue", "Start &pH");
    txtStartpH = edit("txtStartpH", 7);
    lblStartvalue->setBuddy(txtStartpH);
    lblIncrement = label("lblIncrement", "&Increment between values");
    txtIncpH = edit("txtIncpH", 7);
    lblIncrement->setBuddy(txtIncpH);
    cmdSepar = button("cmdSepar", "Specify each &value separately");
    cmdStartincr = button("cmdStartincr", "Specify start and increment values &only");
    lblEnterval = label("lblEnterval", "Enter pH values for the sweep");
    lblPage = label("lblPage", QString());
    for (int i = 1; i <= sweepgen::kPageSize; ++i)
        txtSweepval[i] = steady(edit("txtSweepval_" + QString::number(i), 7));
    lblEnterval->setBuddy(txtSweepval[1]);
    cmdNext10 = steady(button("cmdNext10", "Next 10"));
    cmdPrev10 = steady(button("cmdPrev10", "Previous 10"));

    Label8 = label("Label8", "&Choose components / species for sweep output");
    Label8->setFont(bold);
    cboComp2 = new QComboBox;
    cboComp2->setObjectName("cboComp2");
    cboComp2->setPlaceholderText("(choose)");
    cboComp2->setMinimumContentsLength(16);
    cboComp2->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Label8->setBuddy(cboComp2);
    Label11 = label("Label11", "Which &type?");
    lstUnit = new QListWidget;
    lstUnit->setObjectName("lstUnit");
    lstUnit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstUnit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstUnit->setFixedHeight(fontMetrics().height() * 4 + 4 * 6 + 2 * lstUnit->frameWidth());
    lstUnit->setMinimumWidth(fontMetrics().horizontalAdvance("Total dissolved") + 32);
    Label11->setBuddy(lstUnit);
    lstUnit->setAccessibleName("Which type?");
    Label10 = label("Label10", "Add species");
    cmdAdd = button("cmdAdd", "&Add");
    Label10->setBuddy(cmdAdd);
    Label12 = label("Label12", "Present selection");
    Label12->setFont(bold);
    for (int i = 1; i <= sweepgen::kMaxSelection; ++i) {
        lblConame[i] = label("lblConame_" + QString::number(i), QString());
        lblCotype[i] = label("lblCotype_" + QString::number(i), QString());
        lblConame[i]->setMinimumWidth(fontMetrics().horizontalAdvance("Al(OH)2+ MMMMM"));
        lblCotype[i]->setMinimumWidth(fontMetrics().horizontalAdvance("Total dissolved MM"));
        lblConame[i]->setAccessibleDescription("Selected result " + QString::number(i));
        lblCotype[i]->setAccessibleDescription("Unit or kind of selected result " + QString::number(i));
    }
    cmdNewsel = button("cmdNewsel", "New s&election");
    cmdSave = button("cmdSave", "&Save and Back");
    cmdCancel = button("cmdCancel", "Cancel and Bac&k");
}

QWidget* frmSweepinp::buildValuePages() {
    values_ = new QStackedWidget;
    values_->setObjectName("values");
    noValues_ = new QWidget;

    startIncr_ = new QWidget;
    auto* si = new QGridLayout(startIncr_);
    si->setContentsMargins(0, 0, 0, 0);
    si->addWidget(lblStartvalue, 0, 0);
    si->addWidget(txtStartpH, 0, 1);
    si->addWidget(lblIncrement, 1, 0);
    si->addWidget(txtIncpH, 1, 1);
    si->addWidget(cmdSepar, 2, 0, 1, 2, Qt::AlignLeft);
    si->setColumnStretch(2, 1);
    si->setRowStretch(3, 1);

    separate_ = new QWidget;
    auto* sp = new QGridLayout(separate_);
    sp->setContentsMargins(0, 0, 0, 0);
    auto* head = new QHBoxLayout;
    head->addWidget(lblEnterval);
    head->addSpacing(fontMetrics().horizontalAdvance("MM"));
    head->addWidget(lblPage);
    head->addStretch();
    sp->addLayout(head, 0, 0, 1, 6);
    const int perRow = sweepgen::kPageSize / 2;
    for (int i = 1; i <= sweepgen::kPageSize; ++i)
        sp->addWidget(txtSweepval[i], 1 + (i - 1) / perRow, (i - 1) % perRow);
    // The previous page on the left, the next on the right, under the boxes.
    auto* pages = new QHBoxLayout;
    pages->addWidget(cmdPrev10);
    pages->addStretch();
    pages->addWidget(cmdNext10);
    sp->addLayout(pages, 3, 0, 1, perRow);
    // The switch back sits below the inputs, as "Specify each value separately" does.
    sp->addWidget(cmdStartincr, 4, 0, 1, 6, Qt::AlignLeft);
    sp->setColumnStretch(perRow, 1);
    sp->setRowStretch(5, 1);

    values_->addWidget(noValues_);
    values_->addWidget(startIncr_);
    values_->addWidget(separate_);
    return values_;
}

QWidget* frmSweepinp::buildSelection() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);

    auto* choose = new QGridLayout;
    choose->addWidget(Label8, 0, 0, 1, 2);
    choose->addWidget(cboComp2, 1, 0, 1, 2);
    choose->addWidget(Label11, 2, 0, 1, 2);
    choose->addWidget(lstUnit, 3, 0, 1, 2);
    choose->addWidget(Label10, 4, 0);
    choose->addWidget(cmdAdd, 4, 1, Qt::AlignLeft);
    choose->setRowStretch(5, 1);
    row->addLayout(choose);
    row->addSpacing(fontMetrics().horizontalAdvance("MMM"));

    // The selection in a sunken panel, one line per entry: its name and its unit or kind.
    auto* shown = new QVBoxLayout;
    shown->addWidget(Label12);
    auto* panel = new QFrame;
    panel->setObjectName("selection");
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setBackgroundRole(QPalette::Base);
    panel->setAutoFillBackground(true);
    auto* grid = new QGridLayout(panel);
    grid->setVerticalSpacing(2);
    for (int i = 1; i <= sweepgen::kMaxSelection; ++i) {
        grid->addWidget(lblConame[i], i - 1, 0);
        grid->addWidget(lblCotype[i], i - 1, 1);
    }
    grid->setColumnStretch(1, 1);
    shown->addWidget(panel);
    shown->addWidget(cmdNewsel, 0, Qt::AlignLeft);
    shown->addStretch();
    row->addLayout(shown, 1);
    return box;
}

void frmSweepinp::buildLayout() {
    auto* page = new QVBoxLayout(this);
    page->addWidget(Label1);
    auto* alternatives = new QGridLayout;
    alternatives->addWidget(chkMulti, 0, 0);
    alternatives->addWidget(Label6, 0, 1);
    alternatives->addWidget(chkpH, 1, 0);
    alternatives->addWidget(Label2, 1, 1);
    alternatives->setColumnStretch(1, 1);
    page->addLayout(alternatives);

    auto* count = new QHBoxLayout;
    count->addWidget(Label3);
    count->addWidget(txtSweepno);
    count->addStretch();
    page->addLayout(count);
    page->addWidget(buildValuePages());

    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    page->addWidget(line);
    page->addWidget(buildSelection(), 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    page->addLayout(buttons);

    std::vector<QWidget*> order{chkMulti, chkpH, txtSweepno, txtStartpH, txtIncpH, cmdSepar};
    for (int i = 1; i <= sweepgen::kPageSize; ++i) order.push_back(txtSweepval[i]);
    for (QWidget* w : std::initializer_list<QWidget*>{cmdPrev10, cmdNext10, cmdStartincr, cboComp2, lstUnit,
                                                      cmdAdd, cmdNewsel, cmdSave, cmdCancel})
        order.push_back(w);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void frmSweepinp::connectControls() {
    // On toggling, not on clicking: a screen reader ticks a box without a click.
    connect(chkMulti, &QCheckBox::toggled, this, [this] { act(sweepgen::chkMultiClick); });
    connect(chkpH, &QCheckBox::toggled, this, [this] { act(sweepgen::chkpHClick); });
    connect(cmdSepar, &QPushButton::clicked, this, [this] {
        act(sweepgen::cmdSepar);
        if (txtSweepval[1]->isVisible()) txtSweepval[1]->setFocus();
    });
    connect(cmdStartincr, &QPushButton::clicked, this, [this] {
        act(sweepgen::cmdStartincr);
        txtStartpH->setFocus();
    });
    connect(cmdNext10, &QPushButton::clicked, this, [this] {
        act(sweepgen::cmdNext10);
        txtSweepval[1]->setFocus();
    });
    connect(cmdPrev10, &QPushButton::clicked, this, [this] {
        act(sweepgen::cmdPrev10);
        txtSweepval[1]->setFocus();
    });
    connect(txtSweepno, &QLineEdit::textEdited, this, [this](const QString& t) {
        sweepgen::setSweepno(app_.st(), t.toStdString());
        showState();
    });
    connect(txtStartpH, &QLineEdit::textEdited, this,
            [this](const QString& t) { app_.st().sweep.txtStartpH = t.toStdString(); });
    connect(txtIncpH, &QLineEdit::textEdited, this,
            [this](const QString& t) { app_.st().sweep.txtIncpH = t.toStdString(); });
    for (int i = 1; i <= sweepgen::kPageSize; ++i) {
        connect(txtSweepval[i], &QLineEdit::textEdited, this,
                [this, i](const QString& t) { sweepgen::setSweepval(app_.st(), i, t.toStdString()); });
        // Enter moves on to the next value, so a series is typed without the mouse.
        connect(txtSweepval[i], &QLineEdit::returnPressed, this, [this, i] {
            QWidget* next = cmdSave;
            if (i < sweepgen::kPageSize && txtSweepval[i + 1]->isVisible())
                next = txtSweepval[i + 1];
            else if (cmdNext10->isVisible())
                next = cmdNext10;
            next->setFocus();
        });
    }

    connect(cboComp2, &QComboBox::activated, this, [this](int index) {
        sweepgen::chooseEntry(app_.st(), cboComp2->itemText(index).toStdString());
        showState();
    });
    connect(lstUnit, &QListWidget::currentTextChanged, this, [this](const QString& unit) {
        if (!unit.isEmpty()) sweepgen::chooseUnit(app_.st(), unit.toStdString());
    });
    connect(cmdAdd, &QPushButton::clicked, this, &frmSweepinp::add);
    connect(cmdNewsel, &QPushButton::clicked, this, [this] { act(sweepgen::cmdNewsel); });
    connect(cmdSave, &QPushButton::clicked, this, &frmSweepinp::save);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSweepinp::cancel);
}

// ---------------------------------------------------------------- showing the state

void frmSweepinp::showState() {
    const SweepForm& w = app_.st().sweep;
    for (auto [box, ticked] : {std::pair{chkMulti, w.chkMulti}, {chkpH, w.chkpH}}) {
        const QSignalBlocker block(box);
        box->setChecked(ticked);
    }
    setTextIfChanged(txtSweepno, q(w.txtSweepno));
    setTextIfChanged(txtStartpH, q(w.txtStartpH));
    setTextIfChanged(txtIncpH, q(w.txtIncpH));
    showValues();
    showSelection();
}

void frmSweepinp::showValues() {
    const SweepForm& w = app_.st().sweep;
    values_->setCurrentWidget(w.separateVisible ? separate_ : w.startIncrVisible ? startIncr_ : noValues_);
    int shown = 0;
    for (int i = 1; i <= sweepgen::kPageSize; ++i) {
        txtSweepval[i]->setVisible(w.txtSweepvalVisible[i]);
        setTextIfChanged(txtSweepval[i], q(w.txtSweepval[i]));
        txtSweepval[i]->setAccessibleName("pH of problem " + QString::number(w.Pagestart + i));
        if (w.txtSweepvalVisible[i]) shown = i;
    }
    lblPage->setText(shown == 0 ? QString()
                                : QString("Problems %1 to %2").arg(w.Pagestart + 1).arg(w.Pagestart + shown));
    cmdPrev10->setVisible(w.cmdPrev10Visible);
    cmdNext10->setVisible(w.cmdNext10Visible);
    cmdNext10->setText(q(w.cmdNext10Caption));
}

void frmSweepinp::showSelection() {
    const SweepForm& w = app_.st().sweep;
    {
        const QSignalBlocker block(cboComp2);
        const QStringList entries = items(w.cboComp2);
        QStringList offered;
        for (int i = 0; i < cboComp2->count(); ++i) offered << cboComp2->itemText(i);
        if (entries != offered) {
            cboComp2->clear();
            cboComp2->addItems(entries);
        }
        cboComp2->setCurrentIndex(w.cboComp2Text.empty() ? -1 : cboComp2->findText(q(w.cboComp2Text)));
    }
    {
        const QSignalBlocker block(lstUnit);
        const QStringList units = items(w.lstUnit);
        QStringList offered;
        for (int i = 0; i < lstUnit->count(); ++i) offered << lstUnit->item(i)->text();
        if (units != offered) {
            lstUnit->clear();
            lstUnit->addItems(units);
        }
        const auto found = lstUnit->findItems(q(w.lstUnitText), Qt::MatchExactly);
        if (found.isEmpty() || w.lstUnitText.empty())
            lstUnit->setCurrentRow(-1);
        else
            lstUnit->setCurrentItem(found.first());
    }
    for (int i = 1; i <= sweepgen::kMaxSelection; ++i) {
        lblConame[i]->setText(q(w.lblConame[i]));
        lblCotype[i]->setText(q(w.lblCotype[i]));
    }
}

void frmSweepinp::showEvent(QShowEvent* e) {
    showState();
    QWidget::showEvent(e);
}

bool frmSweepinp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label6) chkMulti->click();
        if (watched == Label2) chkpH->click();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- handlers

void frmSweepinp::compinp() {
    sweepgen::compinp(app_.st());
    showState();
}

void frmSweepinp::act(void (*op)(ProgramState&)) {
    op(app_.st());
    showState();
}

void frmSweepinp::add() {
    const auto result = sweepgen::cmdAdd(app_.st());
    showState();
    if (result == sweepgen::AddResult::Full)
        app_.ui().message(this, kSweepErrorTitle, kSelectionFullMessage, ui::Icon::Stop);
    else if (result == sweepgen::AddResult::NothingChosen)
        app_.ui().beep();
}

bool frmSweepinp::save() {
    const auto refused = sweepgen::cmdSave(app_.st());
    showState();
    if (refused) {
        using Box = sweepgen::SaveRefusal::Box;
        QLineEdit* box = refused->box == Box::StartpH ? txtStartpH
                         : refused->box == Box::IncpH ? txtIncpH
                         : refused->box == Box::Sweepval
                             ? txtSweepval[(refused->problem - 1) % sweepgen::kPageSize + 1]
                             : nullptr;
        app_.ui().message(this, kSweepErrorTitle, q(refused->message), ui::Icon::Stop);
        if (box) {
            box->setFocus();
            box->selectAll();
        }
        return false;
    }
    backToMain();
    return true;
}

void frmSweepinp::cancel() {
    sweepgen::cmdCancel(app_.st());
    showState();
    backToMain();
}

void frmSweepinp::backToMain() {
    auto& main = app_.window<frmMain>();
    main.showState();
    App::handOver(this, &main);
}

void frmSweepinp::closeEvent(QCloseEvent* e) {
    e->ignore(); // the window is only ever hidden, by one of its two buttons
    const auto answer = app_.ui().message(
        this, "Kelvaspec",
        "Keep the multi-problem and sweep settings?\n\"Yes\" keeps them, as \"Save and Back\" "
        "does; \"No\" discards them, as \"Cancel and Back\" does.",
        ui::Icon::Question, ui::Buttons::YesNoCancel);
    if (answer == ui::Answer::Yes)
        save();
    else if (answer == ui::Answer::No)
        cancel();
}

} // namespace kelva
