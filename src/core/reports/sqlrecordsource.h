#pragma once

#include "core/reports/reportdefinition.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace hemu::reports {

/// The rows of a query, read forward; columns by name (the query's column labels).
class SqlRecordSource : public RecordSource, private Record
{
public:
    /// Runs `query` (prepared, values bound) when first asked for a row. A copy of a query
    /// shares its prepared statement, so a linked source can rerun one query per master row.
    explicit SqlRecordSource(QSqlQuery query);

    bool next() override;
    const Record &record() const override { return *this; }
    QString error() const override { return m_error; }

private:
    QVariant value(const QString &name) const override;

    QSqlQuery m_query;
    QHash<QString, int> m_columns;
    bool m_executed = false;
    QString m_error;
};

} // namespace hemu::reports
