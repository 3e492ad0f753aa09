#include "database/frmHelp.h"

#include "app/App.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelva {

namespace {

struct HelpColumn {
    const char* columns;
    const char* text;
};

constexpr HelpColumn kHelp[] = {
    {"Column 1:", "Number serving as species identifier"},
    {"Column 2:", "Name of species"},
    {"Column 3:", "The charge of the species"},
    {"Columns 4-6:", "Species composition. The numbers identify the component species (i.e. species no.\n"
                     "1-100) which make up the species. Up to 3 component species may be entered."},
    {"Columns 7-9:", "Species stoichiometry. The numbers refer to the amount of component species\n"
                     "(as identified by cols. 4-6) which is needed to form the species."},
    {"Column 10:", "log K. Equilibrium constant defined according to the species stoichiometry.\n"
                   "Valid for 298.15 K (25 deg C)."},
    {"Column 11:", "deltaH. Enthalpy of reaction defined according to the species stoichiometry.\n"
                   "By default the unit is kcal / mol. It may be changed to kJ / mol in the menu."},
    {"Columns 12-14:",
     "pK(MHA) values for humic acids, site groups 1-3. Site group 1 consists of monodentate "
     "complexes and low-affinity bidentate sites. Sites 2 and 3 are high-affinity bidentate "
     "sites, as defined on Heterogeneity menu."},
    {"Columns 15-17:", "pK(MHA) value for fulvic acids, site groups 1-3, see above."},
    {"Column 18:", "Selectivity coefficient for humic substances."},
    {"Column 19:", "Selectivity coefficient for clay minerals."},
};

} // namespace

frmHelp::frmHelp(App&, QWidget* parent) : QWidget(parent) {
    setObjectName("frmHelp");
    setWindowTitle("Kelvaspec Database");

    Label1 = new QLabel("These columns are present in the Kelvaspec database:", this);
    Label1->setObjectName("Label1");
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setVerticalSpacing(8);
    int row = 0;
    for (const auto& h : kHelp) {
        ++row;
        auto* columns = new QLabel(h.columns, this);
        columns->setObjectName(QString("lblColumns_%1").arg(row));
        auto* text = new QLabel(h.text, this);
        text->setObjectName(QString("lblColtext_%1").arg(row));
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(columns, row, 0, Qt::AlignTop);
        grid->addWidget(text, row, 1);
    }
    layout->addLayout(grid);
    auto* note = new QLabel(
        "Note: To edit general database parameters, choose Parameters on the main input menu.", this);
    note->setObjectName("lblNote");
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
    cmdMain = new QPushButton("Close this window", this);
    cmdMain->setObjectName("cmdMain");
    layout->addWidget(cmdMain, 0, Qt::AlignRight);
    connect(cmdMain, &QPushButton::clicked, this, &QWidget::close);
    constexpr int width = 760;
    resize(width, hasHeightForWidth() ? heightForWidth(width) : sizeHint().height());
}

} // namespace kelva
