#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace hemu {

/** What converting an old account set did: rows per table, pictures, warnings and the books check. */
struct ConvertSummary
{
    struct TableRows
    {
        QString table;
        qint64 rows = 0;
    };

    QList<TableRows> tables;      // in the order they were converted
    qint64 pictures = 0;          // non-empty pictures copied
    QStringList warnings;         // what the reader and the mapping had to say, one per line
    QStringList differences;      // the books check on the new set: counters and totals that disagree
    QString checkError;           // set when the books check could not run

    /// Rows converted into `table` (-1: the table was not converted).
    qint64 rowsOf(const QString &table) const;
    /// The counters (or bill totals) of the new set disagree with its bills.
    bool hasDifferences() const { return !differences.isEmpty(); }
    /// The summary as the user reads it, one line each.
    QStringList lines() const;
};

} // namespace hemu
