#include "core/analysis/custstatement.h"

#include "core/analysis/listcolumns.h"
#include "core/bills/periodoperations.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/format/displayformats.h"

#include <QJsonArray>

namespace hemu {

namespace {

const char DateForm[] = "yyyy-MM-dd";

/// The delivery and receipt lines of the customers `custCondition` admits, each signed by what
/// it does to the goods the customer holds: a delivery adds, a receipt takes away. An empty
/// bill date counts as the oldest; an empty quantity or price as 0, as posting has it.
QString signedLines(const QString &custCondition)
{
    return QStringLiteral("SELECT h.CustID, m.GoodID, h.TabID, coalesce(h.TabDate, '') AS d, 2 AS kind, "
                          "coalesce(m.Qty, 0) AS q, coalesce(m.Qty, 0) * coalesce(m.Price, 0) AS mny "
                          "FROM DiaoBoDan h JOIN DiaoBoMx m ON m.TabID = h.TabID WHERE coalesce(m.GoodID, 0) > 0 AND %1 "
                          "UNION ALL "
                          "SELECT h.CustID, m.GoodID, h.TabID, coalesce(h.TabDate, ''), 3, "
                          "-coalesce(m.Qty, 0), -coalesce(m.Qty, 0) * coalesce(m.Price, 0) "
                          "FROM ChuKuDan h JOIN ChuKuMx m ON m.TabID = h.TabID WHERE coalesce(m.GoodID, 0) > 0 AND %1")
        .arg(custCondition);
}

/// What the customer stock counters hold beyond what the bills explain: the goods held before
/// the first bill. Posting narrows quantities and prices to single precision while the bills
/// keep them in double, so a difference within that rounding of the bills' volume is none.
QString opening(const QString &held, const QString &all, const QString &volume)
{
    return QStringLiteral("CASE WHEN abs(coalesce(%1, 0) - coalesce(%2, 0)) <= coalesce(%3, 0) * 2.384185791015625e-07 + 1e-9 "
                          "THEN 0 ELSE coalesce(%1, 0) - coalesce(%2, 0) END")
        .arg(held, all, volume);
}

QString inRange(const QString &condition, const QString &value)
{
    return QStringLiteral("sum(CASE WHEN d >= :first AND d < :after AND %1 THEN %2 ELSE 0 END)").arg(condition, value);
}

QString dayText(const QDate &d)
{
    return d.toString(QLatin1String(DateForm));
}

} // namespace

CustStatement::CustStatement(Database &db, QObject *parent)
    : QObject(parent)
    , m_db(db)
{
    using namespace DisplayFormats;
    qStatement = new QueryDataset(db, QStringLiteral("qStatement"), statementSql(), this);
    qStatementBills = new QueryDataset(db, QStringLiteral("qStatementBills"), billsSql(), this);
    qHeldAge = new QueryDataset(db, QStringLiteral("qHeldAge"), heldAgeSql(), this);
    describeColumns(*qStatement, {{"GoodID", "商品码", nullptr},
                                  {"Description", "品名型号", nullptr},
                                  {"Unit", "单位", nullptr},
                                  {"startQty", "期初数", Quantity},
                                  {"startMny", "期初金额", DueMoney},
                                  {"deliveredQty", "送货数", Quantity},
                                  {"deliveredMny", "送货金额", DueMoney},
                                  {"returnedQty", "退货数", Quantity},
                                  {"returnedMny", "退货金额", DueMoney},
                                  {"paidQty", "收款数", Quantity},
                                  {"paidMny", "收款金额", DueMoney},
                                  {"refundedQty", "退款数", Quantity},
                                  {"refundedMny", "退款金额", DueMoney},
                                  {"endQty", "期末数", Quantity},
                                  {"endMny", "期末金额", DueMoney}});
    describeColumns(*qStatementBills, {{"TabID", "ID", nullptr},
                                       {"KindID", "单型", nullptr},
                                       {"TabDate", "单据日期", nullptr},
                                       {"Kind", "单据", nullptr},
                                       {"BookID", "单号", nullptr},
                                       {"Qty", "数量", Quantity},
                                       {"Mny", "金额", DueMoney}});
    qStatementBills->fieldByName(QStringLiteral("TabID")).setVisible(false);
    qStatementBills->fieldByName(QStringLiteral("KindID")).setVisible(false);
    describeColumns(*qHeldAge, {{"CustID", "客户码", nullptr},
                                {"CustName", "客户名称", nullptr},
                                {"GoodID", "商品码", nullptr},
                                {"Description", "品名型号", nullptr},
                                {"Unit", "单位", nullptr},
                                {"heldQty", "结存数", Quantity},
                                {"heldMny", "结存金额", DueMoney},
                                {"age0", "0-30天", Quantity},
                                {"age31", "31-90天", Quantity},
                                {"age91", "91-180天", Quantity},
                                {"age181", "180天以上", Quantity}});
}

QStringList CustStatement::figureNames()
{
    return {QStringLiteral("startQty"),    QStringLiteral("startMny"),    QStringLiteral("deliveredQty"), QStringLiteral("deliveredMny"),
            QStringLiteral("returnedQty"), QStringLiteral("returnedMny"), QStringLiteral("paidQty"),      QStringLiteral("paidMny"),
            QStringLiteral("refundedQty"), QStringLiteral("refundedMny"), QStringLiteral("endQty"),       QStringLiteral("endMny")};
}

QString CustStatement::statementSql()
{
    // One pass over the customer's bill lines: what they add up to before the range, by kind
    // within it, and in all (which, taken from the counters, leaves the opening balance).
    const QString returned = QStringLiteral("kind = 2 AND q < 0"), delivered = QStringLiteral("kind = 2 AND q > 0");
    const QString paid = QStringLiteral("kind = 3 AND q < 0"), refunded = QStringLiteral("kind = 3 AND q > 0");
    return QStringLiteral("WITH lines AS (%1), "
                          "flows AS (SELECT GoodID, sum(q) AS allQty, sum(mny) AS allMny, sum(abs(q)) AS absQty, "
                          "sum(abs(mny)) AS absMny, "
                          "sum(CASE WHEN d < :first THEN q ELSE 0 END) AS beforeQty, "
                          "sum(CASE WHEN d < :first THEN mny ELSE 0 END) AS beforeMny, "
                          "%2 AS deliveredQty, %3 AS deliveredMny, %4 AS returnedQty, %5 AS returnedMny, "
                          "%6 AS paidQty, %7 AS paidMny, %8 AS refundedQty, %9 AS refundedMny "
                          "FROM lines GROUP BY GoodID), "
                          "held AS (SELECT GoodID, PrevOnHand + HandInc - Sold AS qty, PrevOnHandMny + HandIncMny - SoldMny AS mny "
                          "FROM GoodsInCusts WHERE CustID = :cust), "
                          "figures AS (SELECT coalesce(f.GoodID, h.GoodID) AS GoodID, "
                          "%10 + coalesce(f.beforeQty, 0) AS startQty, %11 + coalesce(f.beforeMny, 0) AS startMny, "
                          "coalesce(f.deliveredQty, 0) AS deliveredQty, coalesce(f.deliveredMny, 0) AS deliveredMny, "
                          "coalesce(f.returnedQty, 0) AS returnedQty, coalesce(f.returnedMny, 0) AS returnedMny, "
                          "coalesce(f.paidQty, 0) AS paidQty, coalesce(f.paidMny, 0) AS paidMny, "
                          "coalesce(f.refundedQty, 0) AS refundedQty, coalesce(f.refundedMny, 0) AS refundedMny "
                          "FROM flows f FULL JOIN held h ON h.GoodID = f.GoodID) "
                          "SELECT x.GoodID, g.Description, u.Unit, x.startQty, x.startMny, x.deliveredQty, x.deliveredMny, "
                          "x.returnedQty, x.returnedMny, x.paidQty, x.paidMny, x.refundedQty, x.refundedMny, "
                          "x.startQty + x.deliveredQty - x.returnedQty - x.paidQty + x.refundedQty AS endQty, "
                          "x.startMny + x.deliveredMny - x.returnedMny - x.paidMny + x.refundedMny AS endMny "
                          "FROM figures x LEFT JOIN Goods g ON g.GoodID = x.GoodID LEFT JOIN Units u ON u.UnitID = g.UnitID "
                          "WHERE x.startQty <> 0 OR x.startMny <> 0 OR x.deliveredQty <> 0 OR x.deliveredMny <> 0 "
                          "OR x.returnedQty <> 0 OR x.returnedMny <> 0 OR x.paidQty <> 0 OR x.paidMny <> 0 "
                          "OR x.refundedQty <> 0 OR x.refundedMny <> 0 "
                          "ORDER BY x.GoodID")
        .arg(signedLines(QStringLiteral("h.CustID = :cust")), inRange(delivered, QStringLiteral("q")),
             inRange(delivered, QStringLiteral("mny")), inRange(returned, QStringLiteral("-q")),
             inRange(returned, QStringLiteral("-mny")), inRange(paid, QStringLiteral("-q")), inRange(paid, QStringLiteral("-mny")),
             inRange(refunded, QStringLiteral("q")), inRange(refunded, QStringLiteral("mny")))
        .arg(opening(QStringLiteral("h.qty"), QStringLiteral("f.allQty"), QStringLiteral("f.absQty")),
             opening(QStringLiteral("h.mny"), QStringLiteral("f.allMny"), QStringLiteral("f.absMny")));
}

QString CustStatement::billsSql()
{
    const QString kind = QStringLiteral(
        "SELECT h.TabID AS TabID, %1 AS KindID, '%2' AS Kind, h.BookID AS BookID, h.TabDate AS TabDate, sum(coalesce(m.Qty, 0)) AS Qty, "
        "sum(coalesce(m.Qty, 0) * coalesce(m.Price, 0)) AS Mny "
        "FROM %3 h JOIN %4 m ON m.TabID = h.TabID "
        "WHERE h.CustID = :cust AND coalesce(m.GoodID, 0) > 0 AND coalesce(h.TabDate, '') >= :first AND coalesce(h.TabDate, '') < :after "
        "GROUP BY h.TabID, h.BookID, h.TabDate");
    return kind.arg(QStringLiteral("2"), QStringLiteral("送货单"), QStringLiteral("DiaoBoDan"), QStringLiteral("DiaoBoMx"))
        + QStringLiteral(" UNION ALL ")
        + kind.arg(QStringLiteral("3"), QStringLiteral("收款单"), QStringLiteral("ChuKuDan"), QStringLiteral("ChuKuMx"))
        + QStringLiteral(" ORDER BY TabDate, KindID, TabID");
}

QString CustStatement::heldAgeSql()
{
    // Deliveries are layers of goods, oldest first (the opening balance before every bill);
    // what left the customer (receipts and returns, less refunds) empties the oldest layers
    // first. A layer keeps what the running total of the layers up to it exceeds the outflow
    // by, at most its own quantity. What no layer explains (more paid for than delivered, or
    // more refunded than paid) counts as recent. The opening balance comes from grouping the
    // counters with the lines, and every per-pair figure is a window sum over the pair's events:
    // nothing is joined to a list of pairs, which has no index.
    return QStringLiteral(
               "WITH lines AS MATERIALIZED (%1), "
               "opening AS (SELECT CustID, GoodID, %2 AS q, %3 AS mny FROM ("
               "SELECT CustID, GoodID, sum(hq) AS hq, sum(hm) AS hm, sum(bq) AS bq, sum(bm) AS bm, sum(aq) AS aq, "
               "sum(am) AS am FROM (SELECT CustID, GoodID, PrevOnHand + HandInc - Sold AS hq, "
               "PrevOnHandMny + HandIncMny - SoldMny AS hm, 0 AS bq, 0 AS bm, 0 AS aq, 0 AS am "
               "FROM GoodsInCusts WHERE :cust = 0 OR CustID = :cust "
               "UNION ALL SELECT CustID, GoodID, 0, 0, q, mny, abs(q), abs(mny) FROM lines) u "
               "GROUP BY CustID, GoodID) t), "
               "firstday AS (SELECT coalesce(min(d), :asof) AS d FROM (SELECT min(TabDate) AS d FROM DiaoBoDan UNION ALL "
               "SELECT min(TabDate) FROM ChuKuDan) b), "
               "events AS (SELECT o.CustID, o.GoodID, f.d, 0 AS ord, o.q, o.mny, o.q > 0 AS layer "
               "FROM opening o CROSS JOIN firstday f WHERE o.q <> 0 OR o.mny <> 0 "
               "UNION ALL SELECT CustID, GoodID, d, TabID, q, mny, kind = 2 AND q > 0 FROM lines WHERE d < :after), "
               "running AS (SELECT CustID, GoodID, d, q, mny, layer, "
               "sum(CASE WHEN layer THEN q ELSE 0 END) OVER (PARTITION BY CustID, GoodID ORDER BY d, ord "
               "ROWS UNBOUNDED PRECEDING) AS upto, "
               "sum(CASE WHEN layer THEN 0 ELSE -q END) OVER (PARTITION BY CustID, GoodID) AS outflow FROM events), "
               "kept AS (SELECT CustID, GoodID, q, mny, "
               "CASE WHEN layer THEN max(0, min(q, upto - outflow)) ELSE 0 END AS rest, "
               "coalesce(julianday(:asof) - julianday(substr(d, 1, 10)), 100000) AS days FROM running), "
               "aged AS (SELECT CustID, GoodID, sum(q) AS heldQty, sum(mny) AS heldMny, "
               "sum(CASE WHEN days <= 30 THEN rest ELSE 0 END) AS a0, "
               "sum(CASE WHEN days > 30 AND days <= 90 THEN rest ELSE 0 END) AS a31, "
               "sum(CASE WHEN days > 90 AND days <= 180 THEN rest ELSE 0 END) AS a91, "
               "sum(CASE WHEN days > 180 THEN rest ELSE 0 END) AS a181, sum(rest) AS layered "
               "FROM kept GROUP BY CustID, GoodID) "
               "SELECT a.CustID, c.CustName, a.GoodID, g.Description, u.Unit, a.heldQty, a.heldMny, "
               "a.a0 + a.heldQty - a.layered AS age0, a.a31 AS age31, a.a91 AS age91, a.a181 AS age181 "
               "FROM aged a LEFT JOIN Customers c ON c.CustID = a.CustID LEFT JOIN Goods g ON g.GoodID = a.GoodID "
               "LEFT JOIN Units u ON u.UnitID = g.UnitID "
               "WHERE a.heldQty <> 0 ORDER BY a.CustID, a.GoodID")
        .arg(signedLines(QStringLiteral("(:cust = 0 OR h.CustID = :cust)")),
             opening(QStringLiteral("t.hq"), QStringLiteral("t.bq"), QStringLiteral("t.aq")),
             opening(QStringLiteral("t.hm"), QStringLiteral("t.bm"), QStringLiteral("t.am")));
}

DatasetError CustStatement::open(qint64 custId, const QDate &from, const QDate &to)
{
    close();
    if (from.isValid() && to.isValid() && to < from)
        return DatasetError(DatasetError::Code::Validation, badRangeText());
    m_customer = custId;
    m_from = from;
    m_to = to;
    const QString first = from.isValid() ? dayText(from) : QString();
    // Up to the end of the last day: a bill date with a time of day still counts.
    const QString after = to.isValid() ? dayText(to.addDays(1)) : QStringLiteral("9999-12-31 ~");
    for (Dataset *ds : {qStatement, qStatementBills}) {
        ds->setParam(QStringLiteral("cust"), custId);
        ds->setParam(QStringLiteral("first"), first);
        ds->setParam(QStringLiteral("after"), after);
    }
    DatasetError e = qStatement->open();
    if (e.ok())
        e = qStatementBills->open();
    return e;
}

DatasetError CustStatement::openAges(const QDate &asOf, qint64 custId)
{
    qHeldAge->close();
    const QDate day = asOf.isValid() ? asOf : QDate::currentDate();
    qHeldAge->setParam(QStringLiteral("asof"), dayText(day));
    qHeldAge->setParam(QStringLiteral("after"), dayText(day.addDays(1)));
    qHeldAge->setParam(QStringLiteral("cust"), qMax<qint64>(0, custId));
    return qHeldAge->open();
}

void CustStatement::close()
{
    qStatement->close();
    qStatementBills->close();
}

CustStatement::Totals CustStatement::totals() const
{
    Totals t;
    const Dataset &ds = *qStatement;
    const auto sum = [&ds](const char *name) {
        double s = 0;
        const int column = ds.fieldIndex(QLatin1String(name));
        for (int r = 0; r < ds.rowCount(); ++r)
            s += ds.value(r, column).toDouble();
        return s;
    };
    if (!ds.isOpen())
        return t;
    t.startMny = sum("startMny");
    t.deliveredMny = sum("deliveredMny");
    t.returnedMny = sum("returnedMny");
    t.paidMny = sum("paidMny");
    t.refundedMny = sum("refundedMny");
    t.endMny = sum("endMny");
    return t;
}

QJsonObject CustStatement::toJson() const
{
    QJsonArray goods;
    const Dataset &g = *qStatement;
    const QStringList figures = figureNames();
    for (int r = 0; r < g.rowCount(); ++r) {
        QJsonObject row{{QStringLiteral("GoodID"), g.value(r, g.fieldIndex(QStringLiteral("GoodID"))).toLongLong()}};
        for (const QString &f : figures)
            row.insert(f, g.value(r, g.fieldIndex(f)).toDouble());
        goods.append(row);
    }
    QJsonArray bills;
    const Dataset &b = *qStatementBills;
    for (int r = 0; r < b.rowCount(); ++r) {
        const auto v = [&](const char *name) { return b.value(r, b.fieldIndex(QLatin1String(name))); };
        bills.append(QJsonObject{{QStringLiteral("TabID"), v("TabID").toLongLong()},
                                 {QStringLiteral("KindID"), v("KindID").toInt()},
                                 {QStringLiteral("BookID"), v("BookID").toString()},
                                 {QStringLiteral("TabDate"), v("TabDate").toString()},
                                 {QStringLiteral("qty"), v("Qty").toDouble()},
                                 {QStringLiteral("mny"), v("Mny").toDouble()}});
    }
    const auto day = [](const QDate &d) { return d.isValid() ? QJsonValue(dayText(d)) : QJsonValue(QJsonValue::Null); };
    return QJsonObject{{QStringLiteral("customer"), m_customer},
                       {QStringLiteral("from"), day(m_from)},
                       {QStringLiteral("to"), day(m_to)},
                       {QStringLiteral("goods"), goods},
                       {QStringLiteral("bills"), bills}};
}

QString CustStatement::customerName(qint64 custId) const
{
    return m_db.scalar(QStringLiteral("SELECT CustName FROM Customers WHERE CustID = ?"), {custId}).toString();
}

qint64 CustStatement::firstCustomer() const
{
    const QVariant holding = m_db.scalar(QStringLiteral("SELECT min(c.CustID) FROM Customers c "
                                                        "WHERE EXISTS (SELECT 1 FROM GoodsInCusts g WHERE g.CustID = c.CustID)"));
    if (!holding.isNull() && holding.isValid())
        return holding.toLongLong();
    return m_db.scalar(QStringLiteral("SELECT min(CustID) FROM Customers")).toLongLong();
}

QDate CustStatement::proposedFrom(const QDate &today) const
{
    const QDate carried = PeriodOperations::lastCarryForward(m_db);
    // A never-carried set may hold the empty date of the program it came from (1899-12-30).
    if (carried.isValid() && carried.year() >= 1900 && carried < today)
        return carried.addDays(1);
    return QDate(today.year(), 1, 1);
}

QString CustStatement::totalsText(const Totals &t)
{
    const auto money = [](double v) { return QString::number(v, 'f', 2); };
    return QStringLiteral("期初 %1    送货 %2    退货 %3    收款 %4    退款 %5    期末 %6")
        .arg(money(t.startMny), money(t.deliveredMny), money(t.returnedMny), money(t.paidMny), money(t.refundedMny),
             money(t.endMny));
}

QString CustStatement::badRangeText()
{
    return QStringLiteral("起始日期不能晚于终止日期。");
}

} // namespace hemu
