#pragma once

#include "core/reports/reportdefinition.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <memory>

namespace hemu::reports {

/// The rows of a query, read forward; columns by name (the query's column labels).
class SqlRecordSource : public RecordSource, private Record
{
public:
    /// Runs `query` (prepared, values bound) when first asked for a row.
    explicit SqlRecordSource(QSqlQuery query);
    /// A query shared with its owner, so that a linked source reruns one prepared statement
    /// per master row.
    explicit SqlRecordSource(std::shared_ptr<QSqlQuery> query);

    bool next() override;
    const Record &record() const override { return *this; }
    QString error() const override { return m_error; }

private:
    QVariant value(const QString &name) const override;

    std::shared_ptr<QSqlQuery> m_query;
    QHash<QString, int> m_columns;
    bool m_executed = false;
    QString m_error;
};

} // namespace hemu::reports
