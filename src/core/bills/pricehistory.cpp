#include "core/bills/pricehistory.h"

#include "core/db/database.h"

#include <QSqlQuery>
#include <cmath>

namespace hemu {

PriceHistory::PriceHistory(Database &db, BillKind kind)
    : m_db(db)
    , m_kind(kind)
{
}

void PriceHistory::setBill(const QVariant &tabId, const QVariant &custId)
{
    if (tabId == m_tabId && custId == m_custId)
        return;
    m_tabId = tabId;
    m_custId = custId;
    m_last.clear();
}

QString PriceHistory::recentSql(BillKind kind)
{
    // The lines of the item through its index, their bills through the key.
    return QStringLiteral("SELECT h.TabDate, h.BookID, d.Qty, d.Price FROM %1 d "
                          "INNER JOIN %2 h ON h.TabID = d.TabID "
                          "WHERE d.GoodID = ? AND h.CustID = ? AND h.TabID IS NOT ? "
                          "ORDER BY h.TabDate DESC, h.TabID DESC, d.ItemNo DESC LIMIT ?")
        .arg(detailTable(kind), headerTable(kind));
}

QList<PriceHistory::Entry> PriceHistory::recent(const QVariant &goodId, int count) const
{
    QList<Entry> out;
    if (goodId.isNull() || m_custId.isNull() || count <= 0 || !m_db.isOpen())
        return out;
    QSqlQuery q = m_db.query(recentSql(m_kind), {goodId, m_custId, m_tabId, count});
    if (!q.exec())
        return out;
    while (q.next())
        out.append({q.value(0), q.value(1).toString(), q.value(2).toDouble(), q.value(3).toDouble()});
    return out;
}

std::optional<double> PriceHistory::lastPrice(const QVariant &goodId)
{
    if (goodId.isNull())
        return std::nullopt;
    const qlonglong key = goodId.toLongLong();
    const auto known = m_last.constFind(key);
    if (known != m_last.constEnd())
        return *known;
    const QList<Entry> latest = recent(goodId, 1);
    const std::optional<double> last = latest.isEmpty() ? std::nullopt : std::optional<double>(latest.first().price);
    m_last.insert(key, last);
    return last;
}

bool PriceHistory::farFrom(double price, double last)
{
    if (last == 0 || !std::isfinite(price) || !std::isfinite(last))
        return false;
    // Exactly 30 % off is not marked, whatever binary fractions make of 2.6 - 2.0.
    return std::abs(price - last) > tolerance * std::abs(last) * (1 + 1e-9);
}

bool PriceHistory::priceOff(const QVariant &goodId, const QVariant &price)
{
    if (price.isNull() || !price.isValid())
        return false;
    const std::optional<double> last = lastPrice(goodId);
    return last && farFrom(price.toDouble(), *last);
}

} // namespace hemu
