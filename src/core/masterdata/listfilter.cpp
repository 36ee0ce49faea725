#include "core/masterdata/listfilter.h"

#include "core/dataset/dataset.h"

namespace hemu {

ListFilter::ListFilter(Kind kind, Dataset &filtered, const QString &field, Dataset &list, const QString &listKey)
    : m_kind(kind)
    , m_filtered(filtered)
    , m_field(field)
    , m_list(list)
    , m_listKey(listKey)
{
}

QString ListFilter::expression(const QString &field, const QVariant &key)
{
    return field + QLatin1Char('=') + QString::number(key.toLongLong());
}

QString ListFilter::currentExpression() const
{
    if (!m_list.isOpen() || m_list.currentRow() < 0)
        return {};
    const QVariant key = m_list.value(m_listKey);
    // A row without a key (a new one not yet saved) selects nothing to filter by.
    return key.isNull() ? QString() : expression(m_field, key);
}

DatasetError ListFilter::filterOn(const QString &text)
{
    if (text.isEmpty())
        return {};
    if (const DatasetError set = m_filtered.setFilter(text); set.failed())
        return set;
    return m_filtered.setFiltered(true);
}

DatasetError ListFilter::filterOff()
{
    return m_filtered.setFiltered(false);
}

DatasetError ListFilter::listChosen(bool boxChecked)
{
    if (boxChecked)
        return filterOn(currentExpression());
    if (m_kind == Kind::Category)
        return filterOff();
    return {};
}

DatasetError ListFilter::boxToggled(bool checked)
{
    if (!checked)
        return filterOff();
    if (m_kind == Kind::Category)
        return filterOn(currentExpression());
    // The expression last chosen stays on the shared dataset, also from an earlier visit.
    return m_filtered.filter().isEmpty() ? DatasetError() : m_filtered.setFiltered(true);
}

} // namespace hemu
