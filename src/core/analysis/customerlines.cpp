#include "core/analysis/customerlines.h"

#include "core/db/database.h"
#include "core/db/sqlstatement.h"

#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace hemu {

namespace {

QByteArrayView textOf(sqlite3_stmt *st, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(st, column)) : QByteArrayView();
}

DatasetError readFailed(const SqlStatement &st)
{
    return DatasetError(DatasetError::Code::Database, QStringLiteral("读取客户单据失败：%1").arg(st.error().databaseText()),
                        st.error());
}

/// Steps `st` to its end, handing each row to `take`.
DatasetError stepAll(SqlStatement &st, const std::function<void(sqlite3_stmt *)> &take)
{
    if (!st.ok())
        return readFailed(st);
    for (;;) {
        const int rc = st.step();
        if (rc == SQLITE_DONE)
            return {};
        if (rc != SQLITE_ROW)
            return readFailed(st);
        take(st.handle());
    }
}

} // namespace

int BillDay::compare(QByteArrayView a, QByteArrayView b)
{
    const qsizetype common = qMin(a.size(), b.size());
    const int c = common > 0 ? std::memcmp(a.data(), b.data(), size_t(common)) : 0;
    if (c != 0)
        return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

DatasetError CustomerLines::readLines(Database &db, std::optional<qint64> custId, const std::function<void(const Line &)> &take)
{
    for (BillKind kind : {BillKind::Delivery, BillKind::Receipt}) {
        const QString sql = QStringLiteral("SELECT h.TabID, h.CustID, h.BookID, h.TabDate, m.GoodID, m.Qty, m.Price "
                                           "FROM %1 h JOIN %2 m ON m.TabID = h.TabID WHERE coalesce(m.GoodID, 0) > 0%3")
                                .arg(headerTable(kind), detailTable(kind),
                                     custId ? QStringLiteral(" AND h.CustID = ?1") : QString());
        SqlStatement st(db, sql);
        if (custId)
            st.bind(1, *custId);
        Line line;
        line.kind = kind;
        const DatasetError e = stepAll(st, [&](sqlite3_stmt *h) {
            line.tabId = sqlite3_column_int64(h, 0);
            line.custId = sqlite3_column_type(h, 1) == SQLITE_NULL ? noCustomer : sqlite3_column_int64(h, 1);
            line.bookId = textOf(h, 2);
            line.day.text = textOf(h, 3);
            line.goodId = sqlite3_column_int64(h, 4);
            line.qty = sqlite3_column_double(h, 5);
            line.money = line.qty * sqlite3_column_double(h, 6);
            take(line);
        });
        if (e.failed())
            return e;
    }
    return {};
}

DatasetError CustomerLines::readStock(Database &db, std::optional<qint64> custId, const std::function<void(const Stock &)> &take)
{
    SqlStatement st(db, QStringLiteral("SELECT CustID, GoodID, PrevOnHand + HandInc - Sold, PrevOnHandMny + HandIncMny - SoldMny "
                                       "FROM GoodsInCusts%1")
                            .arg(custId ? QStringLiteral(" WHERE CustID = ?1") : QString()));
    if (custId)
        st.bind(1, *custId);
    Stock row;
    return stepAll(st, [&](sqlite3_stmt *h) {
        row.custId = sqlite3_column_int64(h, 0);
        row.goodId = sqlite3_column_int64(h, 1);
        row.qty = sqlite3_column_double(h, 2);
        row.money = sqlite3_column_double(h, 3);
        take(row);
    });
}

DatasetError CustomerLines::firstBillDay(Database &db, QByteArray *day, bool *found)
{
    SqlStatement st(db, QStringLiteral("SELECT min(d) FROM (SELECT min(TabDate) AS d FROM DiaoBoDan "
                                       "UNION ALL SELECT min(TabDate) FROM ChuKuDan)"));
    *found = false;
    day->clear();
    return stepAll(st, [&](sqlite3_stmt *h) {
        if (sqlite3_column_type(h, 0) == SQLITE_NULL)
            return;
        *found = true;
        *day = textOf(h, 0).toByteArray();
    });
}

double CustomerLines::openingBalance(double held, double billSum, double billVolume)
{
    const double difference = held - billSum;
    return std::abs(difference) <= billVolume * 2.384185791015625e-07 + 1e-9 ? 0 : difference;
}

} // namespace hemu
