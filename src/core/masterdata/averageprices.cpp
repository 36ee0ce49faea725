#include "core/masterdata/averageprices.h"

#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/filechooser.h"

#include <QSqlError>

namespace hemu::AveragePrices {

namespace {

// The mean of Price weighted by Qty over the lines of one goods item; 0 where the quantities
// add up to 0 (or are all empty). Lines without a goods item belong to no average.
QString meanOf(const QString &table)
{
    return QStringLiteral("SELECT GoodID, CASE WHEN SUM(Qty) <> 0 THEN SUM(Qty * Price) / SUM(Qty) ELSE 0 END AS price "
                          "FROM %1 WHERE GoodID IS NOT NULL GROUP BY GoodID")
        .arg(table);
}

} // namespace

bool applies(const Dataset &lines)
{
    return lines.isOpen() && lines.rowCount() > 0;
}

Result rebuild(Database &db, ProgressSink &progress)
{
    Result r;
    const int steps = 3;
    Transaction tx(db);
    if (!tx.isActive()) {
        r.ok = false;
        r.error = db.lastError().text();
        return r;
    }
    // The sales averages go onto the rows the purchase averages made, in one statement: the
    // same as one update per goods item of the receipt lines, without the round trips.
    const QString statements[steps] = {
        QStringLiteral("DELETE FROM GoodsAvgPrice"),
        QStringLiteral("INSERT INTO GoodsAvgPrice (GoodID, CostAvgPrice) ") + meanOf(QStringLiteral("RuKuMx")),
        QStringLiteral("UPDATE GoodsAvgPrice SET SellAvgPrice = sales.price FROM (%1) AS sales "
                       "WHERE sales.GoodID = GoodsAvgPrice.GoodID")
            .arg(meanOf(QStringLiteral("ChuKuMx"))),
    };
    for (int i = 0; i < steps; ++i) {
        QSqlError error;
        if (!db.exec(statements[i], {}, &error)) {
            r.ok = false;
            r.error = error.text();
            return r;
        }
        progress.progress(i + 1, steps);
    }
    if (!tx.commit()) {
        r.ok = false;
        r.error = db.lastError().text();
        return r;
    }
    r.goods = db.scalar(QStringLiteral("SELECT count(*) FROM GoodsAvgPrice")).toLongLong();
    return r;
}

} // namespace hemu::AveragePrices
