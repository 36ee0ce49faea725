// The recalculation figure: TabData::RecalcTotals over the year against the fewest set-based
// statements that give the same counters (checked equal after every run), and against the
// statements the recalculation ran before, kept as a second reading.
#include "bench/benchmark.h"
#include "bench/plainread.h"
#include "bench/rawstatement.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/db/database.h"
#include "core/filechooser.h"
#include "core/format/datetext.h"

#include <QDate>
#include <QHash>
#include <QSqlQuery>

namespace hemu::bench {

namespace {

/// Every movement counter of both stock tables by row ("G12", "C12/5"), with the customer
/// rows' opening quantity: what a recalculation writes.
using Counters = QHash<QString, QList<double>>;
Counters readCounters(Database &db)
{
    Counters counters;
    for (const char *sql : {"SELECT 'G' || GoodID, HandInc, HandIncMny, CustHandInc, CustHandIncMny, Sold, SoldMny FROM Goods",
                            "SELECT 'C' || GoodID || '/' || CustID, HandInc, HandIncMny, Sold, SoldMny, PrevOnHand, 0 FROM GoodsInCusts"}) {
        QSqlQuery q = db.query(QString::fromUtf8(sql));
        q.exec();
        while (q.next()) {
            QList<double> &row = counters[q.value(0).toString()];
            for (int c = 1; c <= 6; ++c)
                row << q.value(c).toDouble();
        }
    }
    return counters;
}

/// The same rows with the same counters, up to the rounding of summing in another order.
bool sameCounters(const Counters &a, const Counters &b, QString *difference)
{
    if (a.size() != b.size()) {
        *difference = QStringLiteral("%1 rows against %2").arg(a.size()).arg(b.size());
        return false;
    }
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        const auto other = b.constFind(it.key());
        if (other == b.cend()) {
            *difference = it.key() + QStringLiteral(" missing");
            return false;
        }
        for (int c = 0; c < it->size(); ++c) {
            const double x = it->at(c), y = other->value(c);
            if (std::abs(x - y) > 1e-9 * std::max({1.0, std::abs(x), std::abs(y)})) {
                *difference = QStringLiteral("%1 column %2: %3 against %4").arg(it.key()).arg(c + 1).arg(x, 0, 'g', 17).arg(y, 0, 'g', 17);
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool Benchmark::measureRecalc(QString *error)
{
    Database &db = m_base->MyADOCnn();
    sqlite3 *h = db.handle();
    // The statements the period operation ran before it was merged, one per kind and
    // customer sum, with the date range tested on substr(): kept as a second reading.
    const char *const perKind[] = {
        "BEGIN IMMEDIATE",
        "DELETE FROM GoodsInCusts WHERE PrevOnHand = 0 AND PrevOnHandMny = 0",
        "UPDATE GoodsInCusts SET HandInc = 0, HandIncMny = 0, Sold = 0, SoldMny = 0",
        "UPDATE Goods SET HandInc = 0, HandIncMny = 0, CustHandInc = 0, CustHandIncMny = 0, Sold = 0, SoldMny = 0",
        "UPDATE UserInfo SET 闸帐月 = ?3 WHERE id = (SELECT min(id) FROM UserInfo)",
        "UPDATE Goods SET HandInc = s.q, HandIncMny = s.m FROM (SELECT m.GoodID, sum(m.Qty) AS q, sum(m.Qty * m.Price) AS m "
        "FROM RuKuDan h JOIN RuKuMx m ON h.TabID = m.TabID WHERE substr(h.TabDate, 1, 10) > ?1 AND substr(h.TabDate, 1, 10) <= ?2 "
        "GROUP BY m.GoodID) s WHERE Goods.GoodID = s.GoodID",
        "UPDATE Goods SET CustHandInc = s.q, CustHandIncMny = s.m FROM (SELECT m.GoodID, sum(m.Qty) AS q, sum(m.Qty * m.Price) AS m "
        "FROM DiaoBoDan h JOIN DiaoBoMx m ON h.TabID = m.TabID WHERE substr(h.TabDate, 1, 10) > ?1 AND substr(h.TabDate, 1, 10) <= ?2 "
        "GROUP BY m.GoodID) s WHERE Goods.GoodID = s.GoodID",
        "UPDATE Goods SET Sold = s.q, SoldMny = s.m FROM (SELECT m.GoodID, sum(m.Qty) AS q, sum(m.Qty * m.Price) AS m "
        "FROM ChuKuDan h JOIN ChuKuMx m ON h.TabID = m.TabID WHERE substr(h.TabDate, 1, 10) > ?1 AND substr(h.TabDate, 1, 10) <= ?2 "
        "GROUP BY m.GoodID) s WHERE Goods.GoodID = s.GoodID",
        "INSERT INTO GoodsInCusts(CustID, GoodID, HandInc, HandIncMny) SELECT h.CustID, m.GoodID, sum(m.Qty), sum(m.Qty * m.Price) "
        "FROM DiaoBoDan h JOIN DiaoBoMx m ON h.TabID = m.TabID WHERE substr(h.TabDate, 1, 10) > ?1 AND substr(h.TabDate, 1, 10) <= ?2 "
        "GROUP BY h.CustID, m.GoodID ON CONFLICT(GoodID, CustID) DO UPDATE SET HandInc = excluded.HandInc, HandIncMny = excluded.HandIncMny",
        "INSERT INTO GoodsInCusts(CustID, GoodID, Sold, SoldMny) SELECT h.CustID, m.GoodID, sum(m.Qty), sum(m.Qty * m.Price) "
        "FROM ChuKuDan h JOIN ChuKuMx m ON h.TabID = m.TabID WHERE substr(h.TabDate, 1, 10) > ?1 AND substr(h.TabDate, 1, 10) <= ?2 "
        "GROUP BY h.CustID, m.GoodID ON CONFLICT(GoodID, CustID) DO UPDATE SET Sold = excluded.Sold, SoldMny = excluded.SoldMny",
        "COMMIT",
    };
    // The fewest set-based statements that give the same counters, written from the rules
    // and not from PeriodOperations: idle customer rows out, every movement zeroed, the three
    // goods sums as UPDATE ... FROM aggregates, deliveries and receipts per customer in one
    // upsert, the range tested on the stored date so that the TabDate index serves it
    // (?1 the day after the start, ?2 the day after the end).
    const char *const fewest[] = {
        "BEGIN IMMEDIATE",
        "DELETE FROM GoodsInCusts WHERE PrevOnHand = 0 AND PrevOnHandMny = 0",
        "UPDATE GoodsInCusts SET HandInc = 0, HandIncMny = 0, Sold = 0, SoldMny = 0",
        "UPDATE Goods SET HandInc = 0, HandIncMny = 0, CustHandInc = 0, CustHandIncMny = 0, Sold = 0, SoldMny = 0",
        "UPDATE UserInfo SET 闸帐月 = ?3 WHERE id = (SELECT min(id) FROM UserInfo)",
        "UPDATE Goods SET HandInc = s.q, HandIncMny = s.m FROM (SELECT m.GoodID, sum(m.Qty) AS q, sum(m.Qty * m.Price) AS m "
        "FROM RuKuDan h JOIN RuKuMx m ON h.TabID = m.TabID WHERE h.TabDate >= ?1 AND h.TabDate < ?2 GROUP BY m.GoodID) s "
        "WHERE Goods.GoodID = s.GoodID",
        "UPDATE Goods SET CustHandInc = s.q, CustHandIncMny = s.m FROM (SELECT m.GoodID, sum(m.Qty) AS q, sum(m.Qty * m.Price) AS m "
        "FROM DiaoBoDan h JOIN DiaoBoMx m ON h.TabID = m.TabID WHERE h.TabDate >= ?1 AND h.TabDate < ?2 GROUP BY m.GoodID) s "
        "WHERE Goods.GoodID = s.GoodID",
        "UPDATE Goods SET Sold = s.q, SoldMny = s.m FROM (SELECT m.GoodID, sum(m.Qty) AS q, sum(m.Qty * m.Price) AS m "
        "FROM ChuKuDan h JOIN ChuKuMx m ON h.TabID = m.TabID WHERE h.TabDate >= ?1 AND h.TabDate < ?2 GROUP BY m.GoodID) s "
        "WHERE Goods.GoodID = s.GoodID",
        "INSERT INTO GoodsInCusts(CustID, GoodID, HandInc, HandIncMny, Sold, SoldMny) "
        "SELECT c, g, sum(dq), sum(dm), sum(sq), sum(sm) FROM ("
        "SELECT h.CustID AS c, m.GoodID AS g, m.Qty AS dq, m.Qty * m.Price AS dm, 0 AS sq, 0 AS sm FROM DiaoBoDan h "
        "JOIN DiaoBoMx m ON h.TabID = m.TabID WHERE h.TabDate >= ?1 AND h.TabDate < ?2 "
        "UNION ALL SELECT h.CustID, m.GoodID, 0, 0, m.Qty, m.Qty * m.Price FROM ChuKuDan h JOIN ChuKuMx m ON h.TabID = m.TabID "
        "WHERE h.TabDate >= ?1 AND h.TabDate < ?2) WHERE true GROUP BY c, g "
        "ON CONFLICT(GoodID, CustID) DO UPDATE SET HandInc = excluded.HandInc, HandIncMny = excluded.HandIncMny, "
        "Sold = excluded.Sold, SoldMny = excluded.SoldMny",
        "COMMIT",
    };
    auto prepare = [&](const auto &statements) {
        std::vector<std::unique_ptr<RawStatement>> prepared;
        for (const char *sql : statements)
            prepared.push_back(std::make_unique<RawStatement>(h, sql));
        return prepared;
    };
    const auto perKindPrepared = prepare(perKind), fewestPrepared = prepare(fewest);
    const QByteArray start = periodStart().toUtf8(), end = periodEnd().toUtf8();
    const QByteArray dayAfterStart = isoDateText(QDate::fromString(periodStart(), Qt::ISODate).addDays(1)).toUtf8();
    const QByteArray dayAfterEnd = isoDateText(QDate::fromString(periodEnd(), Qt::ISODate).addDays(1)).toUtf8();
    auto rawRecalc = [&](const std::vector<std::unique_ptr<RawStatement>> &prepared, const QByteArray &from, const QByteArray &to) {
        for (auto &st : prepared) {
            const int parameters = sqlite3_bind_parameter_count(st->handle());
            if (parameters >= 2)
                st->bind(1, from).bind(2, to);
            if (parameters >= 3)
                st->bind(3, QDate::currentDate().month());
            if (!st->run()) {
                rawExec(h, "ROLLBACK");
                return false;
            }
        }
        return true;
    };

    NullProgress quiet;
    QList<double> ours, raw, perKindRaw;
    QString difference;
    for (int run = 0; run < m_size.runs; ++run) {
        bool ok = true;
        ours << timeMs([&] { ok = m_tab->RecalcTotals(periodStart(), periodEnd(), quiet, error); });
        if (!ok)
            return false;
        const Counters ourCounters = readCounters(db);
        for (const bool merged : {true, false}) {
            (merged ? raw : perKindRaw) << timeMs([&] {
                ok = merged ? rawRecalc(fewestPrepared, dayAfterStart, dayAfterEnd) : rawRecalc(perKindPrepared, start, end);
            });
            if (!ok) {
                *error = QStringLiteral("raw recomputation failed: ") + QString::fromUtf8(sqlite3_errmsg(h));
                return false;
            }
            if (!sameCounters(ourCounters, readCounters(db), &difference)) {
                *error = QStringLiteral("RecalcTotals and the %1 statements disagree: %2")
                             .arg(merged ? QStringLiteral("fewest set-based") : QStringLiteral("per-kind"), difference);
                return false;
            }
        }
    }
    add(QStringLiteral("recalc_totals"), ours, raw, 1.3);
    m_notes << QStringLiteral("recalc_totals: against the fewest set-based statements %1 ms; against the earlier per-kind "
                              "statements (range on substr(), two customer upserts) %2 ms, ratio %3")
                   .arg(median(raw), 0, 'f', 1)
                   .arg(median(perKindRaw), 0, 'f', 1)
                   .arg(median(ours) / median(perKindRaw), 0, 'f', 2);
    return true;
}

} // namespace hemu::bench
