#include "ui/Tsv.h"

namespace kelva::ui {

namespace {

QString quotedIfNeeded(const QString& cell) {
    if (!cell.contains('\t') && !cell.contains('\n') && !cell.contains('\r') && !cell.startsWith('"'))
        return cell;
    QString q = cell;
    q.replace('"', "\"\"");
    return '"' + q + '"';
}

} // namespace

QString toTsv(const Block& rows) {
    QString out;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (const QString& c : row) cells << quotedIfNeeded(c);
        out += cells.join('\t') + '\n';
    }
    return out;
}

Block fromTsv(const QString& text) {
    Block rows;
    QStringList row;
    QString cell;
    bool rowStarted = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == '"' && cell.isEmpty()) {
            // A quoted cell runs to the quote that is not doubled.
            qsizetype j = i + 1;
            for (; j < n; ++j) {
                if (text.at(j) != '"') {
                    cell += text.at(j);
                } else if (j + 1 < n && text.at(j + 1) == '"') {
                    cell += '"';
                    ++j;
                } else {
                    break;
                }
            }
            i = j;
            rowStarted = true;
        } else if (c == '\t') {
            row << cell;
            cell.clear();
            rowStarted = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < n && text.at(i + 1) == '\n') ++i;
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
            rowStarted = false;
        } else {
            cell += c;
            rowStarted = true;
        }
    }
    if (rowStarted) {
        row << cell;
        rows << row;
    }
    return rows;
}

} // namespace kelva::ui
