#include "core/reports/sqlrecordsource.h"

#include <QSqlError>

namespace hemu::reports {

SqlRecordSource::SqlRecordSource(QSqlQuery query)
    : SqlRecordSource(std::make_shared<QSqlQuery>(std::move(query)))
{
}

SqlRecordSource::SqlRecordSource(std::shared_ptr<QSqlQuery> query)
    : m_query(std::move(query))
{
    m_query->setForwardOnly(true);
}

bool SqlRecordSource::next()
{
    if (!m_executed) {
        m_executed = true;
        if (!m_query->exec()) {
            m_error = m_query->lastError().text();
            return false;
        }
        const QSqlRecord columns = m_query->record();
        for (int i = 0; i < columns.count(); ++i)
            m_columns.insert(columns.fieldName(i), i);
    }
    if (m_query->next())
        return true;
    if (m_query->lastError().isValid())
        m_error = m_query->lastError().text();
    return false;
}

QVariant SqlRecordSource::value(const QString &name) const
{
    const auto it = m_columns.constFind(name);
    return it == m_columns.constEnd() ? QVariant() : m_query->value(*it);
}

} // namespace hemu::reports
