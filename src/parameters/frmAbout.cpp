#include "parameters/frmAbout.h"

#include "app/App.h"
#include "app/Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QtGlobal>

namespace kelva {

namespace {

constexpr const char* kDescription =
    "Chemical equilibrium (speciation) in natural waters and soil suspensions: dissolved species, binding to "
    "humic and fulvic acid, diffuse double layers and clay exchange, Al(OH)3 and Fe(OH)3 precipitation, and "
    "the distribution of each component between solids and water.";

constexpr const char* kSources =
    "<p><b>The bundled database</b> (default.DBS)</p>"
    "<p><i>Aqueous complexes:</i> log K and enthalpies from the public thermodynamic data sets of the U.S. "
    "Geological Survey, mostly the NIST critically selected stability constants, and the LLNL thermodynamic "
    "database.<br>"
    "<i>Humic and fulvic acid:</i> the published generic parameters of the discrete-site humic-binding model "
    "(the 1992 fulvic-acid and 1993 humic-acid papers).<br>"
    "<i>Clay exchange of K+ and NH4+, solubility of gibbsite and ferrihydrite:</i> the same U.S. Geological "
    "Survey data sets.<br>"
    "<i>Estimates, to be fitted to the soil at hand:</i> the clay exchange capacity and surface area, and "
    "the "
    "fulvic-acid desorption constants.</p>";

QLabel* textLabel(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                               Qt::LinksAccessibleByKeyboard);
    return l;
}

} // namespace

QString frmAbout::helpDocument() {
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" +
                                              KELVA_DATA_FROM_BIN + "/../doc/kelvaspec");
    for (const QString& dir :
         {installed, QStringLiteral(KELVA_DOC_DIR), QStringLiteral(KELVA_SOURCE_DATA_DIR "/..")})
        if (QFileInfo::exists(dir + "/README.md")) return QDir::cleanPath(dir + "/README.md");
    return {};
}

frmAbout::frmAbout(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("frmAbout");
    setWindowTitle("Kelvaspec - About this program");

    lblIcon = new QLabel(this);
    lblIcon->setObjectName("lblIcon");
    lblIcon->setPixmap(programIcon().pixmap(64, 64));
    lblIcon->setAccessibleName("Kelvaspec icon");
    lblProgram = new QLabel("Kelvaspec", this);
    lblProgram->setObjectName("lblProgram");
    QFont big = lblProgram->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblProgram->setFont(big);
    lblVersion = textLabel(
        "lblVersion",
        QString("Version %1, built %2 with Qt %3").arg(KELVA_VERSION, KELVA_BUILD_DATE, QT_VERSION_STR),
        this);
    lblDescription = textLabel("lblDescription", kDescription, this);
    lblSources = textLabel("lblSources", kSources, this);
    lblLicence =
        textLabel("lblLicence",
                  "Free software under the MIT licence: you may use, copy, change and pass it on, "
                  "keeping the copyright and licence notice (the file LICENSE). It comes without any "
                  "warranty.",
                  this);
    const QString help = helpDocument();
    lblHelp =
        textLabel("lblHelp",
                  help.isEmpty() ? QString("Help: the README of the program describes the windows and the "
                                           "batch runner kelvaspec-run.")
                                 : QString("Help: <a href=\"%1\">%2</a> describes the windows and the batch "
                                           "runner kelvaspec-run.")
                                       .arg(QUrl::fromLocalFile(help).toString(), help.toHtmlEscaped()),
                  this);
    connect(lblHelp, &QLabel::linkActivated, this, [this, help] { app_.ui().openExternally(help); });

    cmdMain = new QPushButton("&Close this window", this);
    cmdMain->setObjectName("cmdMain");
    cmdMain->setDefault(true);
    connect(cmdMain, &QPushButton::clicked, this, &QDialog::close);

    auto* head = new QHBoxLayout;
    head->addWidget(lblIcon, 0, Qt::AlignTop);
    auto* title = new QVBoxLayout;
    title->addWidget(lblProgram);
    title->addWidget(lblVersion);
    head->addLayout(title, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdMain);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addLayout(head);
    for (QLabel* l : {lblDescription, lblSources, lblLicence, lblHelp}) layout->addWidget(l);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(520);
    resize(620, layout->totalHeightForWidth(620));
}

} // namespace kelva
