#include "core/bills/periodoperations.h"

#include "core/bills/billkind.h"
#include "core/db/sqlstatement.h"
#include "core/db/database.h"
#include "core/filechooser.h"
#include "core/format/datetext.h"

#include <initializer_list>
#include <sqlite3.h>

namespace hemu::PeriodOperations {

namespace {

/// Runs statements in order; stops at the first failure.
bool runAll(Database &db, std::initializer_list<QString> statements, const QVariantList &params, Result *result)
{
    for (const QString &sql : statements) {
        if (!db.exec(sql, sql.contains(QLatin1Char('?')) ? params : QVariantList(), &result->error)) {
            result->ok = false;
            return false;
        }
    }
    return true;
}

Result inTransaction(Database &db, const std::function<bool(Result *)> &work)
{
    Result result;
    Transaction tx(db);
    if (!tx.isActive()) {
        result.ok = false;
        result.error = db.lastError();
        return result;
    }
    if (!work(&result))
        return result;
    if (!tx.commit()) {
        result.ok = false;
        result.error = db.lastError();
    }
    return result;
}

// Bills count when dated after the start and not after the end. Dates are compared as
// 'YYYY-MM-DD' texts; a time of day stored with a date does not move it into the next day.
const QString inRange = QStringLiteral("substr(h.TabDate, 1, 10) > ? AND substr(h.TabDate, 1, 10) <= ?");

// An empty quantity or price (older files hold such lines) counts as 0, as in posting.
const QString qtySum = QStringLiteral("sum(coalesce(m.Qty, 0))");
const QString amountSum = QStringLiteral("sum(coalesce(m.Qty, 0) * coalesce(m.Price, 0))");

QString goodsSums(BillKind kind, const char *qtyCol, const char *mnyCol)
{
    return QStringLiteral("UPDATE Goods SET %1 = s.sQty, %2 = s.sMny FROM (%3) s WHERE Goods.GoodID = s.GoodID")
        .arg(QLatin1String(qtyCol), QLatin1String(mnyCol), movementSums(kind, false));
}

QString customerSums(BillKind kind, const char *qtyCol, const char *mnyCol)
{
    // "WHERE true" keeps the upsert clause from being read as part of the join.
    return QStringLiteral("INSERT INTO GoodsInCusts(CustID, GoodID, %1, %2) SELECT CustID, GoodID, sQty, sMny FROM (%3) WHERE true "
                          "ON CONFLICT(GoodID, CustID) DO UPDATE SET %1 = excluded.%1, %2 = excluded.%2")
        .arg(QLatin1String(qtyCol), QLatin1String(mnyCol), movementSums(kind, true));
}

} // namespace

QString movementSums(BillKind kind, bool perCustomer)
{
    // A line without a goods item has no customer row; a header without a party counts as 0.
    return QStringLiteral("SELECT m.GoodID AS GoodID, %3 %6 AS sQty, %7 AS sMny "
                          "FROM %1 h JOIN %2 m ON h.TabID = m.TabID WHERE %4 GROUP BY %5m.GoodID")
        .arg(headerTable(kind), detailTable(kind), perCustomer ? QStringLiteral("coalesce(h.CustID, 0) AS CustID,") : QString(),
             perCustomer ? inRange + QStringLiteral(" AND m.GoodID > 0") : inRange,
             perCustomer ? QStringLiteral("coalesce(h.CustID, 0), ") : QString(), qtySum, amountSum);
}

QString recalcStep1Text() { return QStringLiteral(" 1、统计库存变动..."); }
QString recalcStep2Text() { return QStringLiteral(" 2、统计客户提货..."); }
QString recalcStep3Text() { return QStringLiteral(" 3、统计客户缴款..."); }
QString recalcDoneText() { return QStringLiteral("   汇总完毕，请关闭此窗口."); }

Result RecalcTotals(Database &db, const QString &start, const QString &end, ProgressSink &progress, const QDate &today)
{
    const QVariantList range = {start, end};
    // Each step is set-based: the bar moves after every statement, the step lines come
    // between them. Summing in smaller runs would move it more often at twice the cost.
    progress.begin(QStringLiteral("汇总单据"));
    const Result result = inTransaction(db, [&](Result *r) {
        if (!runAll(db,
                    {QStringLiteral("DELETE FROM GoodsInCusts WHERE PrevOnHand = 0 AND PrevOnHandMny = 0"),
                     QStringLiteral("UPDATE GoodsInCusts SET HandInc = 0, HandIncMny = 0, Sold = 0, SoldMny = 0"),
                     QStringLiteral("UPDATE Goods SET HandInc = 0, HandIncMny = 0, CustHandInc = 0, CustHandIncMny = 0, "
                                    "Sold = 0, SoldMny = 0")},
                    {}, r))
            return false;
        progress.line(recalcStep1Text());
        if (!db.exec(QStringLiteral("UPDATE UserInfo SET 闸帐月 = ? WHERE id = (SELECT min(id) FROM UserInfo)"),
                     {today.month()}, &r->error)) {
            r->ok = false;
            return false;
        }
        const QStringList goodsSteps = {goodsSums(BillKind::StockIn, "HandInc", "HandIncMny"),
                                        goodsSums(BillKind::Delivery, "CustHandInc", "CustHandIncMny"),
                                        goodsSums(BillKind::Receipt, "Sold", "SoldMny")};
        progress.progress(0, goodsSteps.size());
        for (qsizetype i = 0; i < goodsSteps.size(); ++i) {
            if (!runAll(db, {goodsSteps.at(i)}, range, r))
                return false;
            progress.progress(i + 1, goodsSteps.size());
        }
        progress.line(recalcStep2Text());
        progress.progress(0, 1);
        if (!runAll(db, {customerSums(BillKind::Delivery, "HandInc", "HandIncMny")}, range, r))
            return false;
        progress.progress(1, 1);
        progress.line(recalcStep3Text());
        progress.progress(0, 1);
        if (!runAll(db, {customerSums(BillKind::Receipt, "Sold", "SoldMny")}, range, r))
            return false;
        progress.progress(1, 1);
        progress.line(QStringLiteral("    "));
        progress.line(recalcDoneText());
        return true;
    });
    progress.end();
    return result;
}

Result CarryForward(Database &db, const QDate &carriedOn)
{
    return inTransaction(db, [&](Result *r) {
        if (carriedOn.isValid()
            && !db.exec(QStringLiteral("UPDATE UserInfo SET 结转时间 = ? WHERE id = (SELECT min(id) FROM UserInfo)"),
                        {carriedOn.toString(Qt::ISODate)}, &r->error)) {
            r->ok = false;
            return false;
        }
        return runAll(db,
                      {QStringLiteral("UPDATE Goods SET PrevOnHand = PrevOnHand + HandInc - CustHandInc, "
                                      "PrevOnHandMny = PrevOnHandMny + HandIncMny - CustHandIncMny, "
                                      "PrevOnCustHand = PrevOnCustHand + CustHandInc - Sold, "
                                      "PrevOnCustHandMny = PrevOnCustHandMny + CustHandIncMny - SoldMny, "
                                      "HandInc = 0, HandIncMny = 0, CustHandInc = 0, CustHandIncMny = 0, Sold = 0, SoldMny = 0"),
                       QStringLiteral("UPDATE GoodsInCusts SET PrevOnHand = PrevOnHand + HandInc - Sold, "
                                      "PrevOnHandMny = PrevOnHandMny + HandIncMny - SoldMny, "
                                      "HandInc = 0, HandIncMny = 0, Sold = 0, SoldMny = 0")},
                      {}, r);
    });
}

QDate lastCarryForward(Database &db)
{
    // Read for every bill change: through the connection's kept statement.
    SqlStatement st(db, QStringLiteral("SELECT 结转时间 FROM UserInfo ORDER BY id LIMIT 1"));
    return st.ok() && st.step() == SQLITE_ROW ? parseStoredDate(st.column(0).toString()) : QDate();
}

Result PurgeIdleCustStock(Database &db)
{
    return inTransaction(db, [&](Result *r) {
        return runAll(db,
                      {QStringLiteral("DELETE FROM GoodsInCusts WHERE coalesce(HandInc, 0) = 0 AND coalesce(HandIncMny, 0) = 0 "
                                      "AND coalesce(PrevOnHand, 0) = 0 AND coalesce(PrevOnHandMny, 0) = 0 "
                                      "AND coalesce(Sold, 0) = 0 AND coalesce(SoldMny, 0) = 0")},
                      {}, r);
    });
}

Result ClearTotals(Database &db)
{
    return inTransaction(db, [&](Result *r) {
        return runAll(db,
                      {QStringLiteral("DELETE FROM GoodsInCusts"),
                       QStringLiteral("UPDATE Goods SET PrevOnHand = 0, PrevOnHandMny = 0, HandInc = 0, HandIncMny = 0, "
                                      "PrevOnCustHand = 0, PrevOnCustHandMny = 0, CustHandInc = 0, CustHandIncMny = 0, "
                                      "Sold = 0, SoldMny = 0")},
                      {}, r);
    });
}

Result ClearBills(Database &db)
{
    return inTransaction(db, [&](Result *r) {
        for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
            if (!runAll(db, {QStringLiteral("DELETE FROM ") + detailTable(kind), QStringLiteral("DELETE FROM ") + headerTable(kind)},
                        {}, r))
                return false;
        }
        return true;
    });
}

Result ClearAll(Database &db)
{
    return inTransaction(db, [&](Result *r) {
        const Result bills = ClearBills(db);
        const Result totals = bills.ok ? ClearTotals(db) : bills;
        *r = totals;
        return totals.ok;
    });
}

} // namespace hemu::PeriodOperations
