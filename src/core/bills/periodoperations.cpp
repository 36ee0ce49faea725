#include "core/bills/periodoperations.h"

#include "core/bills/billkind.h"
#include "core/db/sqlstatement.h"
#include "core/db/database.h"
#include "core/filechooser.h"
#include "core/format/datetext.h"

#include <algorithm>
#include <functional>
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

/// The name under which the statements of a recalculation report the bills' months.
const char *const monthSeenFunction = "hemu_month_seen";

/// A date typed as 'yyyy-MM-dd' exactly; an invalid date for anything else.
QDate isoDate(const QString &text)
{
    return text.size() == 10 ? QDate::fromString(text, QStringLiteral("yyyy-MM-dd")) : QDate();
}

/**
 * The range of a recalculation as the statements test it: the exact test on the date part
 * (start, end), and around it bounds on the whole stored text that the date index serves
 * (above the start, below `high`). Every date whose first ten characters pass the exact test lies within the
 * bounds: it is greater than the start, and below the day after the end.
 */
struct Range
{
    QString start;
    QString end;
    QString high; // the day after the end; empty when the end is no date (no upper bound)
    QDate firstMonth;
    int months = 1;

    Range(Database &db, const QString &s, const QString &e)
        : start(s)
        , end(e)
    {
        const QDate last = isoDate(e);
        if (last.isValid() && last.year() < 9999)
            high = isoDateText(last.addDays(1));
        // The bar moves month by month from the first month counted to the end's.
        QDate first = isoDate(s);
        first = first.isValid() ? first.addDays(1) : QDate();
        if (!first.isValid()) {
            // No start: from the oldest bill in the range.
            for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
                const QDate oldest = isoDate(
                    db.scalar(QStringLiteral("SELECT substr(min(TabDate), 1, 10) FROM %1 WHERE TabDate > ?").arg(headerTable(kind)), {s})
                        .toString());
                if (oldest.isValid() && (!first.isValid() || oldest < first))
                    first = oldest;
            }
        }
        if (first.isValid() && last.isValid() && first <= last) {
            firstMonth = QDate(first.year(), first.month(), 1);
            months = std::min((last.year() - first.year()) * 12 + last.month() - first.month() + 1, 1200);
        }
    }

    /// The condition on the header `h`; `phase` names the scan to the month function. Its
    /// values, in order, are conditionParams().
    QString condition(int phase) const
    {
        return QStringLiteral("h.TabDate > ?%1 AND substr(h.TabDate, 1, 10) > ? AND substr(h.TabDate, 1, 10) <= ? AND %2(%3, h.TabDate)")
            .arg(high.isEmpty() ? QString() : QStringLiteral(" AND h.TabDate < ?"), QLatin1String(monthSeenFunction))
            .arg(phase);
    }

    QVariantList conditionParams() const
    {
        return high.isEmpty() ? QVariantList{start, start, end} : QVariantList{start, high, start, end};
    }
};

/**
 * Moves the bar while the statements run: the scans read the bills through the date index,
 * in date order, and call the month function for each bill they count; a bill of a later
 * month than the last one seen moves the bar a step. A scan (phase) has one step per month
 * of the range; the statements before the scans have one step each.
 */
class MonthProgress
{
public:
    MonthProgress(ProgressSink &sink, const Range &range, int leadSteps, int phases)
        : m_sink(sink)
        , m_range(range)
        , m_lead(leadSteps)
        , m_total(qint64(leadSteps) + qint64(phases) * range.months)
    {
    }

    void leadStep(int done) { report(done); }
    /// The scan `phase` is over (also when it counted nothing).
    void phaseDone(int phase) { report(m_lead + qint64(phase + 1) * m_range.months); }
    /// Tells the sink of a phase's first bill (for the step lines).
    std::function<void(int)> onPhaseStart;

    void seen(int phase, const unsigned char *date, int bytes)
    {
        if (phase != m_phase) {
            m_phase = phase;
            m_month = -1;
            if (onPhaseStart)
                onPhaseStart(phase);
        }
        if (!date || bytes < 7 || !m_range.firstMonth.isValid())
            return;
        auto digits = [&](int from, int count) {
            int v = 0;
            for (int i = from; i < from + count; ++i) {
                if (date[i] < '0' || date[i] > '9')
                    return -1;
                v = v * 10 + (date[i] - '0');
            }
            return v;
        };
        const int year = digits(0, 4), month = digits(5, 2);
        if (year < 0 || month < 1 || month > 12)
            return;
        const int index = std::clamp((year - m_range.firstMonth.year()) * 12 + month - m_range.firstMonth.month(), 0,
                                     m_range.months - 1);
        if (index <= m_month)
            return;
        m_month = index;
        report(m_lead + qint64(phase) * m_range.months + index + 1);
    }

    static void function(sqlite3_context *context, int, sqlite3_value **argv)
    {
        auto *self = static_cast<MonthProgress *>(sqlite3_user_data(context));
        self->seen(sqlite3_value_int(argv[0]), sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]));
        sqlite3_result_int(context, 1);
    }

private:
    void report(qint64 done)
    {
        if (done <= m_done)
            return;
        m_done = done;
        m_sink.progress(done, m_total);
    }

    ProgressSink &m_sink;
    const Range &m_range;
    int m_lead;
    qint64 m_total;
    qint64 m_done = -1;
    int m_phase = -1;
    int m_month = -1;
};

/// The month function registered on the connection while a recalculation runs.
class MonthFunction
{
public:
    MonthFunction(Database &db, MonthProgress &progress)
        : m_handle(db.handle())
    {
        m_ok = m_handle
               && sqlite3_create_function_v2(m_handle, monthSeenFunction, 2, SQLITE_UTF8 | SQLITE_DIRECTONLY, &progress,
                                             &MonthProgress::function, nullptr, nullptr, nullptr)
                      == SQLITE_OK;
    }
    ~MonthFunction()
    {
        if (m_ok)
            sqlite3_create_function_v2(m_handle, monthSeenFunction, 2, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr, nullptr, nullptr,
                                       nullptr, nullptr);
    }
    bool ok() const { return m_ok; }

private:
    sqlite3 *m_handle;
    bool m_ok = false;
};

/// The sums of `kind` per goods item into two columns of Goods.
QString goodsSums(BillKind kind, const char *qtyCol, const char *mnyCol, const Range &range, int phase)
{
    return QStringLiteral("UPDATE Goods SET %1 = s.sQty, %2 = s.sMny FROM (SELECT m.GoodID AS GoodID, %3 AS sQty, %4 AS sMny "
                          "FROM %5 h JOIN %6 m ON h.TabID = m.TabID WHERE %7 GROUP BY m.GoodID) s WHERE Goods.GoodID = s.GoodID")
        .arg(QLatin1String(qtyCol), QLatin1String(mnyCol), qtySum, amountSum, headerTable(kind), detailTable(kind),
             range.condition(phase));
}

/// Deliveries and receipts per customer and goods item in one pass: one upsert per customer row.
QString customerSums(const Range &range, int deliveryPhase, int receiptPhase)
{
    // A line without a goods item has no customer row; a header without a party counts as 0.
    // "WHERE true" keeps the upsert clause from being read as part of the join.
    const QString part = QStringLiteral("SELECT coalesce(h.CustID, 0) AS CustID, m.GoodID AS GoodID, %1 FROM %2 h JOIN %3 m "
                                        "ON h.TabID = m.TabID WHERE %4 AND m.GoodID > 0");
    const QString qty = QStringLiteral("coalesce(m.Qty, 0)"), amount = QStringLiteral("coalesce(m.Qty, 0) * coalesce(m.Price, 0)");
    return QStringLiteral("INSERT INTO GoodsInCusts(CustID, GoodID, HandInc, HandIncMny, Sold, SoldMny) "
                          "SELECT CustID, GoodID, sum(dQty), sum(dMny), sum(rQty), sum(rMny) FROM (%1 UNION ALL %2) WHERE true "
                          "GROUP BY CustID, GoodID ON CONFLICT(GoodID, CustID) DO UPDATE SET HandInc = excluded.HandInc, "
                          "HandIncMny = excluded.HandIncMny, Sold = excluded.Sold, SoldMny = excluded.SoldMny")
        .arg(part.arg(QStringLiteral("%1 AS dQty, %2 AS dMny, 0 AS rQty, 0 AS rMny").arg(qty, amount), headerTable(BillKind::Delivery),
                      detailTable(BillKind::Delivery), range.condition(deliveryPhase)),
             part.arg(QStringLiteral("0, 0, %1, %2").arg(qty, amount), headerTable(BillKind::Receipt), detailTable(BillKind::Receipt),
                      range.condition(receiptPhase)));
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
    // The fewest set-based statements: the counters zeroed, the three goods sums, and the
    // customer rows of deliveries and receipts in one upsert. The bills are read through the
    // date index; the bar moves per statement and, while the bills are read, per month.
    progress.begin(QStringLiteral("汇总单据"));
    const Range range(db, start, end);
    enum Phase { StockInGoods, DeliveryGoods, ReceiptGoods, DeliveryCustomers, ReceiptCustomers, Phases };
    const QStringList lead = {
        QStringLiteral("DELETE FROM GoodsInCusts WHERE PrevOnHand = 0 AND PrevOnHandMny = 0"),
        QStringLiteral("UPDATE GoodsInCusts SET HandInc = 0, HandIncMny = 0, Sold = 0, SoldMny = 0 "
                       "WHERE HandInc <> 0 OR HandIncMny <> 0 OR Sold <> 0 OR SoldMny <> 0"),
        QStringLiteral("UPDATE Goods SET HandInc = 0, HandIncMny = 0, CustHandInc = 0, CustHandIncMny = 0, Sold = 0, SoldMny = 0 "
                       "WHERE HandInc <> 0 OR HandIncMny <> 0 OR CustHandInc <> 0 OR CustHandIncMny <> 0 OR Sold <> 0 OR SoldMny <> 0"),
    };
    MonthProgress bar(progress, range, int(lead.size()) + 1, Phases);
    MonthFunction function(db, bar);
    const QVariantList params = range.conditionParams();
    auto run = [&](const QString &sql, const QVariantList &bound, Result *r) {
        if (!db.exec(sql, bound, &r->error)) {
            r->ok = false;
            return false;
        }
        return true;
    };
    bar.leadStep(0);
    const Result result = inTransaction(db, [&](Result *r) {
        if (!function.ok()) {
            r->ok = false;
            r->error = QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(db.handle())), QSqlError::StatementError);
            return false;
        }
        for (qsizetype i = 0; i < lead.size(); ++i) {
            if (!run(lead.at(i), {}, r))
                return false;
            bar.leadStep(int(i) + 1);
        }
        progress.line(recalcStep1Text());
        if (!run(QStringLiteral("UPDATE UserInfo SET 闸帐月 = ? WHERE id = (SELECT min(id) FROM UserInfo)"), {today.month()}, r))
            return false;
        bar.leadStep(int(lead.size()) + 1);
        const struct
        {
            BillKind kind;
            const char *qty;
            const char *amount;
            Phase phase;
        } goods[] = {{BillKind::StockIn, "HandInc", "HandIncMny", StockInGoods},
                     {BillKind::Delivery, "CustHandInc", "CustHandIncMny", DeliveryGoods},
                     {BillKind::Receipt, "Sold", "SoldMny", ReceiptGoods}};
        for (const auto &g : goods) {
            if (!run(goodsSums(g.kind, g.qty, g.amount, range, g.phase), params, r))
                return false;
            bar.phaseDone(g.phase);
        }
        progress.line(recalcStep2Text());
        bool receiptsSeen = false;
        bar.onPhaseStart = [&](int phase) {
            if (phase == ReceiptCustomers && !receiptsSeen) {
                receiptsSeen = true;
                progress.line(recalcStep3Text());
            }
        };
        if (!run(customerSums(range, DeliveryCustomers, ReceiptCustomers), params + params, r))
            return false;
        if (!receiptsSeen)
            progress.line(recalcStep3Text());
        bar.phaseDone(ReceiptCustomers);
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
