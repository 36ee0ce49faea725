#pragma once

#include "core/dataset/dataset.h"

#include <QByteArray>
#include <vector>

namespace hemu {

class Database;

/**
 * One customer's statement over a range, from one read of its lines and stock rows: per goods
 * item what was held at the start, delivered, returned (negative delivery lines), paid for
 * (receipt lines), refunded (negative receipt lines), all as positive figures, and held at the
 * end; and the bills behind the figures. Each line is classified once, by its bill's date
 * against the range (compared as text) and by its sign. The start includes what the customer
 * held before its first bill: what its stock row holds beyond all of its lines.
 */
class StatementFigures
{
public:
    /// The goods rows: `GoodID`, `Description`, `Unit`, then the figures, `endQty`/`endMny` last.
    static QList<Dataset::SourceColumn> goodsColumns();
    /// The bill rows: `TabID`, `KindID`, `TabDate`, `Kind`, `BookID`, `Qty`, `Mny` as the bill
    /// has them (a return or refund negative).
    static QList<Dataset::SourceColumn> billColumns();

    /// Customer `custId` from `first` up to, not including, `after` (texts compared with the
    /// bills' dates; an empty `first` starts before every bill). Goods by code, bills by date,
    /// kind and number; goods with no figure but zeros are left out.
    static DatasetError make(Database &db, qint64 custId, const QByteArray &first, const QByteArray &after,
                             std::vector<RowValues> *goods, std::vector<RowValues> *bills);
};

} // namespace hemu
