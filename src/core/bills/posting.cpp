#include "core/bills/posting.h"

#include "core/bills/singleprecision.h"
#include "core/db/sqlstatement.h"
#include "core/db/database.h"

#include <sqlite3.h>

namespace hemu::Posting {

QString cannotUpdateGoodsText(int goodId)
{
    return QStringLiteral("异常:不能更新商品。商品编码") + QString::number(goodId);
}

QString goodsNotFoundText()
{
    return QStringLiteral("找不到指定商品，请释放类别过滤。");
}

Result PostGoodsChange(Database &db, BillKind kind, int goodId, int custId, double qty, double price)
{
    Result result;
    const double q = toSingle(qty);
    const double p = toSingle(price);
    if (goodId <= 0 || q == 0)
        return result;

    const BillKindInfo &k = billKindInfo(kind);
    const QString goodsSql = QStringLiteral("UPDATE Goods SET %1 = coalesce(%1, 0) + ?, %2 = coalesce(%2, 0) + ?, %3 = ? WHERE GoodID = ?")
                                 .arg(QLatin1String(k.goodsQty), QLatin1String(k.goodsMny), QLatin1String(k.priceColumn));
    // Both statements run for every posted line: the connection keeps them prepared.
    SqlStatement goods(db, goodsSql);
    if (!goods.ok() || !goods.bindAll({q, q * p, p, goodId}) || !goods.run()) {
        result.outcome = Outcome::Failed;
        result.error = goods.error();
        return result;
    }
    if (sqlite3_changes(db.handle()) == 0) {
        result.outcome = Outcome::GoodsNotFound;
        return result;
    }
    if (k.custQty) {
        const QString custSql = QStringLiteral("INSERT INTO GoodsInCusts(GoodID, CustID, %1, %2) VALUES (?, ?, ?, ?) "
                                               "ON CONFLICT(GoodID, CustID) DO UPDATE SET "
                                               "%1 = coalesce(%1, 0) + excluded.%1, %2 = coalesce(%2, 0) + excluded.%2")
                                    .arg(QLatin1String(k.custQty), QLatin1String(k.custMny));
        SqlStatement cust(db, custSql);
        if (!cust.ok() || !cust.bindAll({goodId, custId, q, q * p}) || !cust.run()) {
            result.outcome = Outcome::Failed;
            result.error = cust.error();
            return result;
        }
    }
    result.outcome = Outcome::Posted;
    return result;
}

} // namespace hemu::Posting
