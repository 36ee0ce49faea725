#include "core/bills/bookscheck.h"

#include "core/bills/billkind.h"
#include "core/bills/periodoperations.h"
#include "core/bills/singleprecision.h"
#include "core/db/database.h"

#include <QHash>
#include <QSqlRecord>
#include <cmath>

namespace hemu::BooksCheck {

namespace {

// Single precision carries 24 bits; allow that much per addition over the magnitude involved.
bool closeEnough(double a, double b, double magnitude, int steps)
{
    const double tolerance = std::ldexp(1.0, -23) * std::max(1.0, magnitude) * std::max(1, steps) + 1e-9;
    return std::abs(a - b) <= tolerance;
}

/// A page cache large enough for the check's joins of every bill line with its bill, for as
/// long as the check runs: with the connection's small default cache a large set is read from
/// disk many times over. The connection's own size comes back afterwards.
class LargeCacheWhileChecking
{
public:
    explicit LargeCacheWhileChecking(Database &db)
        : m_db(db)
    {
        const QVariant before = db.scalar(QStringLiteral("PRAGMA cache_size"));
        m_before = before.isValid() ? before.toLongLong() : -2000; // SQLite's default

        m_db.exec(QStringLiteral("PRAGMA cache_size=-65536"));
    }
    ~LargeCacheWhileChecking() { m_db.exec(QStringLiteral("PRAGMA cache_size=%1").arg(m_before)); }
    LargeCacheWhileChecking(const LargeCacheWhileChecking &) = delete;
    LargeCacheWhileChecking &operator=(const LargeCacheWhileChecking &) = delete;

private:
    Database &m_db;
    qint64 m_before = 0;
};

/// Records a statement that failed or a scan that stopped early (a damaged page): a check
/// that read part of the books must not say they hold.
bool failed(const QSqlQuery &q, Report *report)
{
    if (!q.lastError().isValid())
        return false;
    report->ok = false;
    if (report->error.isEmpty())
        report->error = QStringLiteral("读取套帐失败：%1").arg(q.lastError().text());
    return true;
}

void checkBillTotals(Database &db, BillKind kind, Report *report)
{
    QSqlQuery q = db.query(QStringLiteral("SELECT h.TabID, h.SumMoney, m.Qty, m.Price FROM %1 h LEFT JOIN %2 m ON m.TabID = h.TabID "
                                          "ORDER BY h.TabID, m.rowid")
                               .arg(headerTable(kind), detailTable(kind)));
    if (!q.exec()) {
        failed(q, report);
        return;
    }
    int tab = -1, steps = 0;
    double stored = 0, total = 0, magnitude = 0;
    auto finish = [&] {
        if (tab >= 0 && !closeEnough(stored, total, magnitude, steps)) {
            report->ok = false;
            report->differences << QStringLiteral("%1 %2: SumMoney %3, lines %4")
                                       .arg(headerTable(kind))
                                       .arg(tab)
                                       .arg(stored, 0, 'g', 17)
                                       .arg(total, 0, 'g', 17);
        }
    };
    while (q.next()) {
        const int id = q.value(0).toInt();
        if (id != tab) {
            finish();
            tab = id;
            stored = q.value(1).toDouble();
            total = magnitude = 0;
            steps = 0;
        }
        if (!q.value(2).isNull() || !q.value(3).isNull()) {
            const double amount = q.value(2).toDouble() * q.value(3).toDouble();
            total = addSingle(total, amount);
            magnitude += std::abs(amount);
            ++steps;
        }
    }
    if (failed(q, report))
        return;
    finish();
}

using Counters = QHash<QString, QList<double>>;

Counters readCounters(Database &db, const QString &sql, Report *report, const QVariantList &params = {})
{
    Counters out;
    QSqlQuery q = db.query(sql, params);
    if (!q.exec()) {
        failed(q, report);
        return out;
    }
    const int columns = q.record().count();
    while (q.next()) {
        QList<double> values;
        for (int c = 1; c < columns; ++c)
            values << q.value(c).toDouble();
        out.insert(q.value(0).toString(), values);
    }
    failed(q, report);
    return out;
}

void compare(const QString &what, const QStringList &names, const Counters &actual, const Counters &expected, Report *report)
{
    QStringList keys = actual.keys() + expected.keys();
    keys.removeDuplicates();
    keys.sort();
    const QList<double> zeros(names.size(), 0.0);
    for (const QString &key : keys) {
        const QList<double> a = actual.value(key, zeros);
        const QList<double> e = expected.value(key, zeros);
        for (int i = 0; i < names.size(); ++i) {
            if (!closeEnough(a[i], e[i], std::max(std::abs(a[i]), std::abs(e[i])), 64)) {
                report->ok = false;
                report->differences << QStringLiteral("%1 %2 %3: %4, expected %5")
                                           .arg(what, key, names[i])
                                           .arg(a[i], 0, 'g', 17)
                                           .arg(e[i], 0, 'g', 17);
            }
        }
    }
}

const QStringList goodsMovements = {QStringLiteral("HandInc"), QStringLiteral("HandIncMny"), QStringLiteral("CustHandInc"),
                                    QStringLiteral("CustHandIncMny"), QStringLiteral("Sold"), QStringLiteral("SoldMny")};
const QStringList custMovements = {QStringLiteral("HandInc"), QStringLiteral("HandIncMny"), QStringLiteral("Sold"),
                                   QStringLiteral("SoldMny")};

QString goodsSql()
{
    return QStringLiteral("SELECT GoodID, %1 FROM Goods").arg(goodsMovements.join(QStringLiteral(", ")));
}

QString custSql()
{
    return QStringLiteral("SELECT GoodID || '/' || CustID, %1 FROM GoodsInCusts").arg(custMovements.join(QStringLiteral(", ")));
}

/// What rebuilding the movements from the bills of the current period would write (see
/// PeriodOperations::RecalcTotals), read without writing: the check takes no write lock.
void rebuiltCounters(Database &db, const QString &start, const Counters &goods, Counters *rebuiltGoods,
                     Counters *rebuiltCust, Report *report)
{
    const QVariantList range = {start, QStringLiteral("9999-12-31")};
    // Columns of the movements in goodsMovements and custMovements each kind fills.
    const struct
    {
        BillKind kind;
        int goodsColumn;
        int custColumn; // -1: the kind does not move customer stock
    } kinds[] = {{BillKind::StockIn, 0, -1}, {BillKind::Delivery, 2, 0}, {BillKind::Receipt, 4, 2}};
    for (const auto &k : kinds) {
        // Only goods that have a row get counters.
        const Counters sums = readCounters(db, PeriodOperations::movementSums(k.kind, false), report, range);
        for (auto it = sums.cbegin(); it != sums.cend(); ++it) {
            if (!goods.contains(it.key()))
                continue;
            QList<double> &row = (*rebuiltGoods)[it.key()];
            row.resize(goodsMovements.size());
            row[k.goodsColumn] = it.value().value(0);
            row[k.goodsColumn + 1] = it.value().value(1);
        }
        if (k.custColumn < 0)
            continue;
        const Counters perCustomer = readCounters(
            db, QStringLiteral("SELECT GoodID || '/' || CustID, sQty, sMny FROM (%1)").arg(PeriodOperations::movementSums(k.kind, true)),
            report, range);
        for (auto it = perCustomer.cbegin(); it != perCustomer.cend(); ++it) {
            QList<double> &row = (*rebuiltCust)[it.key()];
            row.resize(custMovements.size());
            row[k.custColumn] = it.value().value(0);
            row[k.custColumn + 1] = it.value().value(1);
        }
    }
}

} // namespace

Report run(Database &db)
{
    Report report;
    const LargeCacheWhileChecking cache(db);
    // One snapshot of the whole file, read while other programs go on writing.
    ReadTransaction snapshot(db);
    if (!snapshot.isActive()) {
        report.ok = false;
        report.error = QStringLiteral("读取套帐失败：%1").arg(db.lastError().text());
        return report;
    }
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt})
        checkBillTotals(db, kind, &report);

    const Counters goods = readCounters(db, goodsSql(), &report);
    const Counters cust = readCounters(db, custSql(), &report);
    const QString start = db.scalar(QStringLiteral("SELECT substr(coalesce(结转时间, ''), 1, 10) FROM UserInfo ORDER BY id LIMIT 1")).toString();
    Counters rebuiltGoods, rebuiltCust;
    rebuiltCounters(db, start, goods, &rebuiltGoods, &rebuiltCust, &report);
    compare(QStringLiteral("Goods"), goodsMovements, goods, rebuiltGoods, &report);
    compare(QStringLiteral("GoodsInCusts"), custMovements, cust, rebuiltCust, &report);

    const QStringList sums = {QStringLiteral("PrevOnCustHand"), QStringLiteral("CustHandInc"), QStringLiteral("Sold")};
    const Counters fromGoods = readCounters(db, QStringLiteral("SELECT GoodID, PrevOnCustHand, CustHandInc, Sold FROM Goods"), &report);
    Counters fromCustomers = readCounters(
        db, QStringLiteral("SELECT g.GoodID, coalesce(sum(c.PrevOnHand), 0), coalesce(sum(c.HandInc), 0), coalesce(sum(c.Sold), 0) "
                           "FROM Goods g LEFT JOIN GoodsInCusts c ON c.GoodID = g.GoodID GROUP BY g.GoodID"),
        &report);
    compare(QStringLiteral("Goods (sum of customers)"), sums, fromGoods, fromCustomers, &report);
    return report;
}

} // namespace hemu::BooksCheck
