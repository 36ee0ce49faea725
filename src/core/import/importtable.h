#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace hemu {

/** One data row of an import file: where it stands in the file, and its cells as text. */
struct ImportRow
{
    int line = 0; // the file's line (CSV) or row number (worksheet), counted from 1
    QStringList cells;
};

/** What an import file holds: its header row and the rows under it. */
struct ImportTable
{
    QStringList header;
    QList<ImportRow> rows;
};

/**
 * Reads a CSV file as a spreadsheet program writes it: comma, semicolon or tab separated
 * (whichever the header uses), quoted cells with doubled quotes and line breaks, UTF-8 with or
 * without a byte-order mark, or the Chinese ANSI code page (GB18030) when the bytes are not
 * UTF-8. Empty lines are skipped.
 */
namespace CsvReader {
bool read(const QByteArray &bytes, ImportTable *table, QString *error);
bool readFile(const QString &path, ImportTable *table, QString *error);
} // namespace CsvReader

/**
 * Reads the first worksheet of an .xlsx workbook (a zip of XML parts): shared and inline
 * strings, numbers as Excel stores them (written back shortest, "12.5", "3"), true/false as
 * 1/0, and numbers in a date format as "yyyy-MM-dd" (with the time when there is one).
 */
namespace XlsxReader {
bool readFile(const QString &path, ImportTable *table, QString *error);
} // namespace XlsxReader

/// Reads `path` by its extension (.csv or .xlsx).
bool readImportFile(const QString &path, ImportTable *table, QString *error);

} // namespace hemu
