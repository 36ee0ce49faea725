#pragma once

#include <QByteArray>
#include <QString>

namespace hemu {

struct GridTable;

/** The files and clipboard text a grid is exported to: CSV, XLSX and tab-separated text. */
namespace GridExport {

/// UTF-8 with a byte-order mark (spreadsheets then read the Chinese right), CRLF lines,
/// fields quoted where they hold a comma, quote or line break; the texts as shown.
QByteArray csv(const GridTable &table);
/// Tab-separated lines of the texts as shown, no title line: what the clipboard gets.
QString tabSeparated(const GridTable &table);
/// A workbook with one sheet: the titles (two rows for two-line titles, shared upper cells
/// merged), then the rows; numbers as numbers in the column's display format.
bool writeXlsx(const GridTable &table, const QString &path, QString *error);
bool writeCsv(const GridTable &table, const QString &path, QString *error);

/// A number pattern of the program ("0.0#;'-'0.0#;#.##") as a spreadsheet number format.
QString spreadsheetFormat(const QString &pattern);

} // namespace GridExport
} // namespace hemu
