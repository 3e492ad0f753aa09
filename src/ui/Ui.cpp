#include "ui/ScriptedUi.h"
#include "ui/Ui.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace kelva::ui {

QString toQtFilter(const QString& filter) {
    const int bar = filter.indexOf('|');
    if (bar < 0) return filter;
    const QString description = filter.left(bar).trimmed();
    // The patterns are matched without regard to case, as the program's file names are.
    QStringList patterns;
    for (const QString& p : filter.mid(bar + 1).split(';', Qt::SkipEmptyParts)) {
        const QString t = p.trimmed();
        patterns << t;
        if (t.toLower() != t) patterns << t.toLower();
    }
    QString shown = description;
    // "Database files(*.DBS)" already names its pattern; Qt takes the last brackets as the
    // patterns, so they are replaced by the full list.
    const int open = shown.lastIndexOf('(');
    if (open > 0 && shown.endsWith(')')) shown = shown.left(open).trimmed();
    return shown + " (" + patterns.join(' ') + ")";
}

namespace {

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Stop: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(Buttons b) {
    switch (b) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer firstAnswer(Buttons b) { return (b == Buttons::Ok || b == Buttons::OkCancel) ? Answer::Ok : Answer::Yes; }

} // namespace

Answer QtUi::message(QWidget* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) {
    QMessageBox box(qtIcon(icon), title, text, qtButtons(buttons), parent);
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

std::optional<QString> QtUi::openFileName(QWidget* parent, const QString& caption, const QString& filter,
                                          const QString& dir) {
    const QString path = QFileDialog::getOpenFileName(parent, caption, dir, toQtFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> QtUi::saveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                          const QString& dir) {
    const QString path = QFileDialog::getSaveFileName(parent, caption, dir, toQtFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

void QtUi::beep() { QApplication::beep(); }

bool QtUi::openExternally(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

Answer ScriptedUi::message(QWidget*, const QString& title, const QString& text, Icon icon, Buttons buttons) {
    messages_.push_back({title, text, icon, buttons});
    if (answers_.empty()) return firstAnswer(buttons);
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::optional<QString> ScriptedUi::nextFile(bool save, const QString& caption, const QString& filter,
                                            const QString& dir) {
    asked_.push_back({save, caption, filter, dir});
    if (files_.empty()) return std::nullopt;
    const FileAnswer f = files_.front();
    files_.pop_front();
    if (f.cancel) return std::nullopt;
    return f.path;
}

std::optional<QString> ScriptedUi::openFileName(QWidget*, const QString& caption, const QString& filter,
                                                const QString& dir) {
    return nextFile(false, caption, filter, dir);
}

std::optional<QString> ScriptedUi::saveFileName(QWidget*, const QString& caption, const QString& filter,
                                                const QString& dir) {
    return nextFile(true, caption, filter, dir);
}

} // namespace kelva::ui
