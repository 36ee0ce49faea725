#pragma once

#include "core/bills/billkind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

namespace hemu {

class Database;

/**
 * The prices a goods item was written at on earlier bills of one kind for one counterpart,
 * newest first, for the clerk typing the next one. The bill being written is left out. A
 * price more than a tolerance away from the last one is worth a look, nothing more.
 */
class PriceHistory
{
public:
    struct Entry
    {
        QVariant date;
        QString bookId;
        double qty = 0;
        double price = 0;
    };

    /// How far from the last price a price may be before it is marked (30 %).
    static constexpr double tolerance = 0.30;
    static constexpr int shown = 10;

    PriceHistory(Database &db, BillKind kind);

    /// The bill being written (left out of the history) and its vendor or customer.
    void setBill(const QVariant &tabId, const QVariant &custId);

    /// The one query behind recent(): goods item, counterpart, bill left out, row count.
    static QString recentSql(BillKind kind);
    /// The latest `count` lines of `goodId` on other bills of the kind for the counterpart.
    QList<Entry> recent(const QVariant &goodId, int count = shown) const;
    /// The latest of them; none when the item was never on such a bill.
    std::optional<double> lastPrice(const QVariant &goodId);
    /// `price` is more than the tolerance away from the item's last price.
    bool priceOff(const QVariant &goodId, const QVariant &price);
    /// `price` more than the tolerance away from `last` (a last price of 0 marks nothing).
    static bool farFrom(double price, double last);

private:
    Database &m_db;
    BillKind m_kind;
    QVariant m_tabId;
    QVariant m_custId;
    QHash<qlonglong, std::optional<double>> m_last; // lastPrice() as read for the bill
};

} // namespace hemu
