#include "database/frmHetero.h"

#include "app/App.h"
#include "database/DbFiles.h"
#include "database/frmDbs.h"
#include "files/database.h"
#include "files/numtext.h"
#include "input/frmMain.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace kelva {

namespace {

constexpr const char* kIntro = "This version of Kelvaspec allows binding site heterogeneity for bidentate "
                               "complexes. Up to three different "
                               "site groups can be defined. Also supply the relative concentration of sites "
                               "(% of total bidentate). Site 1 "
                               "represents low-affinity bidentate site groups; it is assumed that their pK "
                               "values are identical to pK's of "
                               "monodentate site groups. Site groups 2 and 3 are high-affinity site groups. "
                               "Individual pK values should be "
                               "entered in the 'View and Edit Database' menu.";

QLabel* label(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* box(QWidget* parent, const char* name, QLabel* buddy) {
    auto* b = new QLineEdit(parent);
    b->setObjectName(name);
    b->setAccessibleName(buddy->text());
    b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QString(14, '0')));
    buddy->setBuddy(b);
    return b;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

double share(const QLineEdit* box) {
    return text::leadingNumber(box->text().toStdString());
}

} // namespace

frmHetero::frmHetero(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("frmHetero");
    setWindowTitle("Kelvaspec - Heterogeneity parameters");

    Label1 = label(this, "Label1", kIntro);
    Label1->setWordWrap(true);
    Label2 = label(this, "Label2", "Number of site groups in this database");
    txtNosite = box(this, "txtNosite", Label2);
    Label3 = label(this, "Label3", "Relative concentration (%) of site group 1");
    txtS1proc = box(this, "txtS1proc", Label3);
    lblS2proc = label(this, "lblS2proc", "Relative concentration (%) of site group 2");
    txtS2proc = box(this, "txtS2proc", lblS2proc);
    lblS3proc = label(this, "lblS3proc", "Relative concentration (%) of site group 3");
    txtS3proc = box(this, "txtS3proc", lblS3proc);
    cmdSaveDb = button(this, "cmdSaveDb", "Save changes to current database file");
    cmdSaNewDb = button(this, "cmdSaNewDb", "Save changes to NEW database file");
    cmdMain = button(this, "cmdMain", "Quit");

    auto* grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    int r = 0;
    for (auto [l, b] : {std::pair<QLabel*, QLineEdit*>{Label2, txtNosite},
                        {Label3, txtS1proc},
                        {lblS2proc, txtS2proc},
                        {lblS3proc, txtS3proc}}) {
        grid->addWidget(l, r, 0);
        grid->addWidget(b, r, 1);
        ++r;
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSaveDb);
    buttons->addWidget(cmdSaNewDb);
    buttons->addStretch(1);
    buttons->addWidget(cmdMain);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addSpacing(8);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(txtNosite, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (t == "1" || t == "2" || t == "3") showGroups(t.toInt());
    });
    connect(cmdSaveDb, &QPushButton::clicked, this, [this] { save(false); });
    connect(cmdSaNewDb, &QPushButton::clicked, this, [this] { save(true); });
    connect(cmdMain, &QPushButton::clicked, this, &QWidget::hide);
    constexpr int width = 640;
    resize(width, hasHeightForWidth() ? heightForWidth(width) : sizeHint().height());
    showState();
}

void frmHetero::showGroups(int groups) {
    lblS2proc->setVisible(groups >= 2);
    txtS2proc->setVisible(groups >= 2);
    lblS3proc->setVisible(groups >= 3);
    txtS3proc->setVisible(groups >= 3);
}

void frmHetero::showState() {
    const ProgramState& st = app_.st();
    auto put = [](QLineEdit* b, double v) { b->setText(QString::fromStdString(text::plain(v))); };
    txtNosite->setText(QString::fromStdString(text::plain(st.Nosite)));
    switch (st.Nosite) {
    case 1:
        txtS1proc->setText("100");
        break;
    case 2:
        put(txtS1proc, st.S1proc);
        put(txtS2proc, st.S2proc);
        break;
    case 3:
        put(txtS1proc, st.S1proc);
        put(txtS2proc, st.S2proc);
        put(txtS3proc, st.S3proc);
        break;
    default:
        return;
    }
    showGroups(st.Nosite);
}

// Opened anew each time: the boxes show the parameters as they are now.
void frmHetero::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) showState();
    QWidget::showEvent(event);
}

void frmHetero::save(bool toNewFile) {
    ProgramState& st = app_.st();
    const double groups = std::floor(share(txtNosite));
    if (!(groups >= 1 && groups <= 3)) {
        dbfiles::refuse(app_, this,
                        "The number of site groups must be 1, 2 or 3; \"" + txtNosite->text() +
                            "\" is not.\n\nNothing has been saved.");
        return;
    }
    const std::string current = st.main.txtDb;
    if (!toNewFile && current.empty()) {
        dbfiles::refuse(
            app_, this,
            "No database file is connected. Use \"Save changes to NEW database file\" to choose one.");
        return;
    }
    const auto before = databaseTables(st);
    auto& editor = app_.window<frmDbs>();
    if (!editor.copySheet(this)) return;
    st.Nosite = static_cast<i16>(groups);
    st.S1proc = share(txtS1proc);
    st.S2proc = groups > 1.5 ? share(txtS2proc) : 0.0;
    st.S3proc = groups > 2.5 ? share(txtS3proc) : 0.0;
    // The editor's sheet greys the pK columns of the groups now left out, even when no file is
    // written: the new number of groups is in force.
    lockcell(st);
    editor.showState();

    const auto path = toNewFile ? dbfiles::askNewFile(app_, this) : std::optional<std::string>(current);
    if (!path) return;
    if (!dbfiles::write(app_, this, *path, before)) {
        lockcell(st);
        editor.showState();
        return;
    }
    if (toNewFile) {
        dbfiles::connectFile(app_, *path);
        app_.window<frmMain>().showState();
    }
}

} // namespace kelva
