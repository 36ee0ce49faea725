#include "core/masterdata/partylist.h"

#include "core/dataset/dataset.h"
#include "core/db/likepattern.h"

namespace hemu {

PartyList::PartyList(Party party)
    : m_party(party)
{
}

void PartyList::showAll()
{
    m_where.clear();
    m_params.clear();
}

bool PartyList::search(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QString column = m_party == Party::Customers ? QStringLiteral("CustName") : QStringLiteral("VendorName");
    m_where = QStringLiteral(" WHERE %1 LIKE ?").arg(column) + likeEscapeClause();
    m_params = {likeContains(trimmed)};
    return true;
}

void PartyList::showArea(const QVariant &areaId)
{
    m_where = QStringLiteral(" WHERE AreaID = ?");
    m_params = {areaId};
}

QString PartyList::idColumn() const
{
    return m_party == Party::Customers ? QStringLiteral("客户码") : QStringLiteral("供货码");
}

QString PartyList::nameColumn() const
{
    return m_party == Party::Customers ? QStringLiteral("客户") : QStringLiteral("名称");
}

QString PartyList::areaColumn()
{
    return QStringLiteral("地区码");
}

QStringList PartyList::columns() const
{
    if (m_party == Party::Customers)
        return {areaColumn(), idColumn(), nameColumn()};
    return {idColumn(), nameColumn(), areaColumn()};
}

QString PartyList::selectFrom() const
{
    if (m_party == Party::Customers)
        return QStringLiteral("SELECT AreaID AS \"%1\", CustID AS \"%2\", CustName AS \"%3\" FROM Customers")
            .arg(areaColumn(), idColumn(), nameColumn());
    return QStringLiteral("SELECT VendorID AS \"%1\", VendorName AS \"%2\", AreaID AS \"%3\" FROM Vendors")
        .arg(idColumn(), nameColumn(), areaColumn());
}

QString PartyList::sql() const
{
    return selectFrom() + m_where;
}

DatasetError PartyList::reopen(Dataset &query) const
{
    query.disableControls();
    query.close();
    query.setSql(sql());
    query.clearParams();
    for (int i = 0; i < m_params.size(); ++i)
        query.setParam(i, m_params[i]);
    const DatasetError opened = query.open();
    query.enableControls();
    return opened;
}

} // namespace hemu
