// Blocks of cells as tab-separated text, the form spreadsheet programs put on the clipboard:
// cells separated by tabs, rows ended by a line break; a cell holding a tab, a line break or
// a double quote is written between double quotes with its quotes doubled.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kelva::ui {

using Block = QList<QStringList>;

// Every row ends with "\n", as spreadsheet programs write it.
QString toTsv(const Block& rows);

// Reads what a spreadsheet program (or toTsv) put on the clipboard: "\r\n", "\n" or "\r" end a
// row, the last line break is not an empty row, quoted cells may hold tabs and line breaks.
// Rows keep the number of cells they had; an empty text gives no rows.
Block fromTsv(const QString& text);

} // namespace kelva::ui
