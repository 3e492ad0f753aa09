#include "parameters/paramwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kelva::params {

void setUpWindow(QDialog* w, const char* objectName, const char* caption) {
    w->setObjectName(objectName);
    w->setWindowTitle(caption);
    w->setModal(false);
}

QHBoxLayout* saveQuitRow(QDialog* w, QPushButton*& cmdMain, QPushButton*& cmdQuit) {
    cmdMain = new QPushButton("&Save and Back to main menu", w);
    cmdMain->setObjectName("cmdMain");
    cmdMain->setDefault(true);
    cmdQuit = new QPushButton("&Quit without store", w);
    cmdQuit->setObjectName("cmdQuit");
    cmdQuit->setAutoDefault(false);
    QObject::connect(cmdQuit, &QPushButton::clicked, w, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cmdMain);
    row->addWidget(cmdQuit);
    return row;
}

QLabel* labelFor(QWidget* box, const char* name, const QString& caption, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setBuddy(box);
    box->setAccessibleName(QString(caption).remove('&'));
    return l;
}

} // namespace kelva::params
