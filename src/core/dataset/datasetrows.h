#pragma once

// What the dataset's source files share and nobody else sees: the stored row, the records a
// batch and a rollback keep, and small helpers for SQL text and keys.

#include "core/dataset/dataset.h"
#include "core/dataset/valuecompare.h"
#include "core/db/sqlstatement.h"

#include <QHash>
#include <QVector>
#include <algorithm>
#include <memory>
#include <vector>

namespace hemu {

struct Dataset::Row
{
    qint64 rowid = 0;
    quint64 serial = 0;
    bool hasRowid = false;
    mutable int viewHint = -1; // where the row last stood in the view (checked before use)
    RowValues values;
};

struct Dataset::BatchInfo
{
    bool inserted = false;       // new row, never written
    RowValues original;          // values as loaded (modified rows)
    QVector<bool> changed;       // columns assigned since the last apply
};

struct Dataset::LookupIndex
{
    quint64 version = 0;
    QVector<int> fields; // the key fields, by position
    QHash<QString, const Row *> rows;
};

struct Dataset::SortKey
{
    int field = -1;
    bool descending = false;
};

// What a write changed in memory, so that a rollback of an enclosing transaction can
// put the rows back as they were.
struct Dataset::Snapshot
{
    enum Kind { Inserted, Edited, Deleted, Batch };
    Kind kind = Edited;
    quint64 generation = 0;
    quint64 serial = 0;
    qint64 rowid = 0;
    bool hasRowid = false;
    RowValues values;
    std::unique_ptr<Row> deleted;
    int viewIndex = 0;
    // batch apply
    struct RowState
    {
        quint64 serial;
        qint64 rowid;
        bool hasRowid;
        RowValues values;
    };
    QList<RowState> rows;
    QHash<quint64, BatchInfo> batchInfo;
    std::vector<std::unique_ptr<Row>> batchDeleted;
};

namespace datasetrows {

inline QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

inline bool isNullValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

inline QString label(const Field &field)
{
    QString caption = field.displayLabel();
    caption.replace(QLatin1Char('|'), QString());
    return caption;
}

inline QString joinedKey(const QVariantList &values)
{
    QString key;
    for (const QVariant &v : values) {
        key += ValueCompare::hashKey(v);
        key += QChar(0x1f);
    }
    return key;
}

// A master key that selects no details: none read yet, or a part of it empty.
inline bool hasNullKey(const QVariantList &key)
{
    return key.isEmpty() || std::any_of(key.cbegin(), key.cend(), isNullValue);
}

/// Columns `first`.. of the statement's current row (or those `map` names), packed as they come.
RowValues readRow(const SqlStatement &st, RowValues::Builder &builder, int count, int first,
                  const QVector<int> *map = nullptr);

} // namespace datasetrows

} // namespace hemu
