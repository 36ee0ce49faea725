#pragma once

#include <QString>
#include <QStringList>

namespace hemu {

class Dataset;

/** What the books say about one stored column: its title, display pattern and kind. */
struct ColumnInfo
{
    const char *table;
    const char *column;
    const char *caption;     // "" when the column has no title of its own
    const char *format;      // numeric display pattern, "" for none
    bool yesNo = false;      // 0/1 column shown as "√" when true
    bool hidden = false;     // not shown in grids
    int maxLength = 0;       // characters a text column holds, 0 for no limit
};

namespace ColumnInfos {

/// The columns of `table` in table order (names as the tables spell them).
QList<const ColumnInfo *> columnsOf(const QString &table);
QStringList columnNames(const QString &table);
const ColumnInfo *find(const QString &table, const QString &column);

/// Declares the data fields of `ds` (every column of its table but `excluded`) with their
/// captions, formats, text lengths and Yes/No display. Call once, while the dataset is closed.
void declareFields(Dataset &ds, const QStringList &excluded = {});

} // namespace ColumnInfos
} // namespace hemu
