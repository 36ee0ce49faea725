#include "support/statementbooks.h"

#include "core/bills/periodoperations.h"
#include "core/bills/posting.h"
#include "core/db/database.h"

#include <tuple>

namespace hemu::test {

namespace {

bool bill(Database &db, BillKind kind, int cust, const QString &date, const QList<std::tuple<int, double, double>> &lines)
{
    const QString number = QStringLiteral("%1%2").arg(QLatin1String(billKindInfo(kind).prefix), date);
    if (!db.exec(QStringLiteral("INSERT INTO %1(BookID, CustID, TabDate, KindID) VALUES (?, ?, ?, ?)").arg(headerTable(kind)),
                 {number, cust, date, int(kind)}))
        return false;
    const int tab = db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toInt();
    int item = 0;
    for (const auto &[goods, qty, price] : lines) {
        if (!db.exec(QStringLiteral("INSERT INTO %1(TabID, ItemNo, GoodID, Qty, Price) VALUES (?,?,?,?,?)").arg(detailTable(kind)),
                     {tab, ++item, goods, qty, price}))
            return false;
        if (!Posting::PostGoodsChange(db, kind, goods, cust, qty, price).ok())
            return false;
    }
    return true;
}

} // namespace

bool fillStatementBooks(Database &db, QString *error)
{
    const QStringList master = {
        QStringLiteral("INSERT INTO Units(UnitID, Unit) VALUES (1, '件')"),
        QStringLiteral("INSERT INTO Goods(GoodID, Description, UnitID) VALUES (1, '甲品', 1), (2, '乙品', 1), (3, '丙品', 7)"),
        QStringLiteral("INSERT INTO Customers(CustID, CustName) VALUES (1, '东店'), (2, '西店'), (3, '南店')"),
        QStringLiteral("INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHand, PrevOnHandMny) VALUES (1, 1, 4, 40)"),
        QStringLiteral("UPDATE Goods SET PrevOnCustHand = 4, PrevOnCustHandMny = 40 WHERE GoodID = 1"),
    };
    for (const QString &sql : master) {
        QSqlError e;
        if (!db.exec(sql, {}, &e)) {
            *error = sql + QLatin1Char(' ') + e.text();
            return false;
        }
    }
    const bool ok = bill(db, BillKind::Delivery, 1, QStringLiteral("2026-01-10"), {{1, 10, 10}, {2, 5, 4}})
                    && bill(db, BillKind::Receipt, 1, QStringLiteral("2026-02-05"), {{1, 6, 12}})
                    && bill(db, BillKind::Delivery, 1, QStringLiteral("2026-02-20"), {{2, -2, 4}})
                    && PeriodOperations::CarryForward(db, QDate(2026, 2, 28)).ok
                    && bill(db, BillKind::Receipt, 1, QStringLiteral("2026-03-03"), {{1, 3, 12}, {2, 2, 5}})
                    && bill(db, BillKind::Receipt, 1, QStringLiteral("2026-03-15"), {{1, -1, 12}})
                    && bill(db, BillKind::Delivery, 1, QStringLiteral("2026-03-20"), {{1, 4, 10}, {3, 2, 2.5}})
                    && bill(db, BillKind::Delivery, 2, QStringLiteral("2026-03-01"), {{1, 7, 10}})
                    && bill(db, BillKind::Receipt, 3, QStringLiteral("2026-03-02"), {{2, 2, 5}});
    if (!ok)
        *error = QStringLiteral("a bill of the statement books could not be written: ") + db.lastError().text();
    return ok;
}

} // namespace hemu::test
