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

/// What customer `:cust` holds and did, one row per customer stock row and per delivery and
/// receipt line: `q`/`mny` signed by what the row does to the goods the customer holds (a
/// delivery adds, a receipt takes away; a stock row its counters' holding), and `band` what it
/// counts for: 0 before the range, 1 delivered, 2 returned, 3 paid for, 4 refunded within it,
/// 5 after it (or nothing moved), 6 a stock row. Deciding the band per row, with the bill's date
/// compared as text with the range's ends, leaves the grouping only filtered totals to sum. An
/// empty bill date counts as the oldest; an empty quantity or price as 0, as posting has it.
QString statementEvents()
{
    const QString lines = QStringLiteral(
        "SELECT m.GoodID, CASE WHEN coalesce(h.TabDate, '') < :first THEN 0 WHEN coalesce(h.TabDate, '') >= :after THEN 5 "
        "WHEN coalesce(m.Qty, 0) > 0 THEN %1 WHEN coalesce(m.Qty, 0) < 0 THEN %2 ELSE 5 END, "
        "%3coalesce(m.Qty, 0), %3coalesce(m.Qty, 0) * coalesce(m.Price, 0) "
        "FROM %4 h JOIN %5 m ON m.TabID = h.TabID WHERE coalesce(m.GoodID, 0) > 0 AND h.CustID = :cust");
    return QStringLiteral("SELECT h.GoodID, 6 AS band, h.PrevOnHand + h.HandInc - h.Sold AS q, "
                          "h.PrevOnHandMny + h.HandIncMny - h.SoldMny AS mny FROM GoodsInCusts h WHERE h.CustID = :cust UNION ALL ")
        + lines.arg(QStringLiteral("1"), QStringLiteral("2"), QString(), QStringLiteral("DiaoBoDan"), QStringLiteral("DiaoBoMx"))
        + QStringLiteral(" UNION ALL ")
        + lines.arg(QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("-"), QStringLiteral("ChuKuDan"), QStringLiteral("ChuKuMx"));
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
    // One pass over the customer's stock rows and bill lines: what the lines add up to before
    // the range, by kind within it, and in all (which, taken from the counters, leaves the
    // opening balance). Taken-away figures are shown positive: 0 less their sum.
    const QString in = QStringLiteral("total(%1) FILTER (WHERE band = %2)");
    const QString out = QStringLiteral("0 - total(%1) FILTER (WHERE band = %2)");
    const QString q = QStringLiteral("q"), mny = QStringLiteral("mny");
    return QStringLiteral("WITH events AS (%1), "
                          "figures AS (SELECT GoodID, %2 + %4 AS startQty, %3 + %5 AS startMny, "
                          "%6 AS deliveredQty, %7 AS deliveredMny, %8 AS returnedQty, %9 AS returnedMny, ")
        .arg(statementEvents(),
             opening(QStringLiteral("total(q) FILTER (WHERE band = 6)"), QStringLiteral("total(q) FILTER (WHERE band < 6)"),
                     QStringLiteral("total(abs(q)) FILTER (WHERE band < 6)")),
             opening(QStringLiteral("total(mny) FILTER (WHERE band = 6)"), QStringLiteral("total(mny) FILTER (WHERE band < 6)"),
                     QStringLiteral("total(abs(mny)) FILTER (WHERE band < 6)")),
             in.arg(q, QStringLiteral("0")), in.arg(mny, QStringLiteral("0")), in.arg(q, QStringLiteral("1")),
             in.arg(mny, QStringLiteral("1")), out.arg(q, QStringLiteral("2")), out.arg(mny, QStringLiteral("2")))
        + QStringLiteral("%1 AS paidQty, %2 AS paidMny, %3 AS refundedQty, %4 AS refundedMny FROM events GROUP BY GoodID) ")
              .arg(out.arg(q, QStringLiteral("3")), out.arg(mny, QStringLiteral("3")), in.arg(q, QStringLiteral("4")),
                   in.arg(mny, QStringLiteral("4")))
        + QStringLiteral("SELECT x.GoodID, g.Description, u.Unit, x.startQty, x.startMny, x.deliveredQty, x.deliveredMny, "
                         "x.returnedQty, x.returnedMny, x.paidQty, x.paidMny, x.refundedQty, x.refundedMny, "
                         "x.startQty + x.deliveredQty - x.returnedQty - x.paidQty + x.refundedQty AS endQty, "
                         "x.startMny + x.deliveredMny - x.returnedMny - x.paidMny + x.refundedMny AS endMny "
                         "FROM figures x LEFT JOIN Goods g ON g.GoodID = x.GoodID LEFT JOIN Units u ON u.UnitID = g.UnitID "
                         "WHERE x.startQty <> 0 OR x.startMny <> 0 OR x.deliveredQty <> 0 OR x.deliveredMny <> 0 "
                         "OR x.returnedQty <> 0 OR x.returnedMny <> 0 OR x.paidQty <> 0 OR x.paidMny <> 0 "
                         "OR x.refundedQty <> 0 OR x.refundedMny <> 0 "
                         "ORDER BY x.GoodID");
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
    // Receipts and returns (less refunds) take the oldest deliveries first, so what is held is
    // the newest deliveries: of the quantity held H, min(H, delivered within 30 days) is at
    // most 30 days old, min(H, delivered within 90 days) at most 90, and so on; the opening
    // balance is the oldest delivery, dated at the first bill of the books. What no delivery
    // explains (more paid for than delivered, or more refunded than paid) counts as recent.
    //
    // Every customer's lines are read once and grouped once: each line comes with the age band
    // of its bill's date (compared as text with the first day of each band, as the range of
    // the statement is), so that the sums per band are plain filtered totals; the customer
    // stock rows join the same grouping as band 6. Bands: 0 to 3 a delivery within 30, 90,
    // 180 days or older, 4 any other line up to the day, 5 a line after it.
    const QString bandOf = QStringLiteral("CASE WHEN coalesce(h.TabDate, '') >= :after THEN 5 WHEN coalesce(m.Qty, 0) <= 0 THEN 4 "
                                          "WHEN h.TabDate >= :since30 THEN 0 WHEN h.TabDate >= :since90 THEN 1 "
                                          "WHEN h.TabDate >= :since180 THEN 2 ELSE 3 END");
    const QString lines = QStringLiteral("SELECT h.CustID, m.GoodID, %1, %2coalesce(m.Qty, 0), %2coalesce(m.Qty, 0) * coalesce(m.Price, 0) "
                                         "FROM %3 h JOIN %4 m ON m.TabID = h.TabID "
                                         "WHERE coalesce(m.GoodID, 0) > 0 AND (:cust = 0 OR h.CustID = :cust)");
    const QString events
        = QStringLiteral("SELECT h.CustID, h.GoodID, 6 AS band, h.PrevOnHand + h.HandInc - h.Sold AS q, "
                         "h.PrevOnHandMny + h.HandIncMny - h.SoldMny AS mny FROM GoodsInCusts h WHERE (:cust = 0 OR h.CustID = :cust) "
                         "UNION ALL ")
        + lines.arg(bandOf, QString(), QStringLiteral("DiaoBoDan"), QStringLiteral("DiaoBoMx")) + QStringLiteral(" UNION ALL ")
        + lines.arg(QStringLiteral("CASE WHEN coalesce(h.TabDate, '') >= :after THEN 5 ELSE 4 END"), QStringLiteral("-"),
                    QStringLiteral("ChuKuDan"), QStringLiteral("ChuKuMx"));
    const QString openWithin = QStringLiteral("CASE WHEN f.first >= %1 THEN max(t.openQty, 0) ELSE 0 END");
    return QStringLiteral(
               "WITH events AS (%1), "
               "s AS (SELECT CustID, GoodID, total(q) FILTER (WHERE band = 6) AS hq, total(mny) FILTER (WHERE band = 6) AS hm, "
               "total(q) FILTER (WHERE band < 6) AS q, total(abs(q)) FILTER (WHERE band < 6) AS qVolume, "
               "total(mny) FILTER (WHERE band < 6) AS mny, total(abs(mny)) FILTER (WHERE band < 6) AS mnyVolume, "
               "total(q) FILTER (WHERE band < 5) AS billQty, total(mny) FILTER (WHERE band < 5) AS billMny, "
               "total(q) FILTER (WHERE band = 0) AS d30, total(q) FILTER (WHERE band <= 1) AS d90, "
               "total(q) FILTER (WHERE band <= 2) AS d180, total(q) FILTER (WHERE band <= 3) AS dall "
               "FROM events GROUP BY CustID, GoodID), "
               "t AS (SELECT CustID, GoodID, %2 AS openQty, %3 AS openMny, billQty, billMny, d30, d90, d180, dall FROM s), "
               "f AS (SELECT min(d) AS first FROM (SELECT min(TabDate) AS d FROM DiaoBoDan UNION ALL SELECT min(TabDate) FROM ChuKuDan) b), "
               "u AS (SELECT t.CustID, t.GoodID, t.openQty + t.billQty AS h, t.openMny + t.billMny AS heldMny, "
               "t.d30 + %4 AS d30, t.d90 + %5 AS d90, t.d180 + %6 AS d180, t.dall + max(t.openQty, 0) AS dall "
               "FROM t CROSS JOIN f), "
               "v AS (SELECT CustID, GoodID, h, heldMny, min(max(h, 0), d30) AS c30, min(max(h, 0), d90) AS c90, "
               "min(max(h, 0), d180) AS c180, min(max(h, 0), dall) AS cany FROM u WHERE h <> 0) "
               "SELECT v.CustID, c.CustName, v.GoodID, g.Description, un.Unit, v.h AS heldQty, v.heldMny, "
               "v.c30 + v.h - v.cany AS age0, v.c90 - v.c30 AS age31, v.c180 - v.c90 AS age91, v.cany - v.c180 AS age181 "
               "FROM v LEFT JOIN Customers c ON c.CustID = v.CustID LEFT JOIN Goods g ON g.GoodID = v.GoodID "
               "LEFT JOIN Units un ON un.UnitID = g.UnitID ORDER BY v.CustID, v.GoodID")
        .arg(events, opening(QStringLiteral("hq"), QStringLiteral("q"), QStringLiteral("qVolume")),
             opening(QStringLiteral("hm"), QStringLiteral("mny"), QStringLiteral("mnyVolume")), openWithin.arg(QStringLiteral(":since30")),
             openWithin.arg(QStringLiteral(":since90")), openWithin.arg(QStringLiteral(":since180")));
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
    // The first day of each age band: delivered on it or later is at most 30 (90, 180) days old.
    qHeldAge->setParam(QStringLiteral("since30"), dayText(day.addDays(-30)));
    qHeldAge->setParam(QStringLiteral("since90"), dayText(day.addDays(-90)));
    qHeldAge->setParam(QStringLiteral("since180"), dayText(day.addDays(-180)));
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
    const QHash<QString, double> sums = figureTotals();
    const auto sum = [&sums](const char *name) { return sums.value(QLatin1String(name)); };
    Totals t;
    t.startMny = sum("startMny");
    t.deliveredMny = sum("deliveredMny");
    t.returnedMny = sum("returnedMny");
    t.paidMny = sum("paidMny");
    t.refundedMny = sum("refundedMny");
    t.endMny = sum("endMny");
    return t;
}

QHash<QString, double> CustStatement::figureTotals() const
{
    QHash<QString, double> sums;
    const Dataset &ds = *qStatement;
    if (!ds.isOpen())
        return sums;
    for (const QString &name : figureNames()) {
        double s = 0;
        const int column = ds.fieldIndex(name);
        for (int r = 0; r < ds.rowCount(); ++r)
            s += ds.value(r, column).toDouble();
        sums.insert(name, s);
    }
    return sums;
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

QString CustStatement::companyName() const
{
    return m_db.scalar(QStringLiteral("SELECT Name FROM UserInfo ORDER BY id LIMIT 1")).toString().trimmed();
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
