#include "support/statementbooks.h"

#include "core/bills/periodoperations.h"
#include "core/bills/posting.h"
#include "core/db/database.h"

#include <tuple>

namespace hemu::test {

namespace {

/// A bill dated `date` (a null one: undated), its lines posted as entering them would.
bool bill(Database &db, BillKind kind, int cust, const QString &date, const QList<std::tuple<int, double, double>> &lines)
{
    const QString number = QStringLiteral("%1%2").arg(QLatin1String(billKindInfo(kind).prefix),
                                                      date.isNull() ? QStringLiteral("undated") : date);
    if (!db.exec(QStringLiteral("INSERT INTO %1(BookID, CustID, TabDate, KindID) VALUES (?, ?, ?, ?)").arg(headerTable(kind)),
                 {number, cust, date.isNull() ? QVariant() : QVariant(date), int(kind)}))
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

bool runAll(Database &db, const QStringList &statements, QString *error)
{
    for (const QString &sql : statements) {
        QSqlError e;
        if (!db.exec(sql, {}, &e)) {
            *error = sql + QLatin1Char(' ') + e.text();
            return false;
        }
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
    if (!runAll(db, master, error))
        return false;
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

bool fillAgeBooks(Database &db, QString *error)
{
    const QStringList master = {
        QStringLiteral("INSERT INTO Units(UnitID, Unit) VALUES (1, '件')"),
        QStringLiteral("INSERT INTO Goods(GoodID, Description, UnitID) VALUES (1, '甲品', 1)"),
        QStringLiteral("INSERT INTO Customers(CustID, CustName) VALUES (1, '东店'), (2, '西店'), (3, '北店')"),
        QStringLiteral("INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHand, PrevOnHandMny) VALUES (1, 1, 5, 50), (1, 3, 2, 14)"),
        QStringLiteral("UPDATE Goods SET PrevOnCustHand = 7, PrevOnCustHandMny = 64 WHERE GoodID = 1"),
    };
    if (!runAll(db, master, error))
        return false;
    const auto delivery = [&db](int cust, const QString &date, double qty) { return bill(db, BillKind::Delivery, cust, date, {{1, qty, 10}}); };
    const auto receipt = [&db](const QString &date, double qty) { return bill(db, BillKind::Receipt, 1, date, {{1, qty, 12}}); };
    const bool ok = delivery(1, QStringLiteral("2025-12-20"), 10) && delivery(1, QStringLiteral("2026-02-10"), 8)
                    && receipt(QStringLiteral("2026-03-01"), 12) && delivery(2, QString(), 3)
                    && PeriodOperations::CarryForward(db, QDate(2026, 3, 31)).ok && delivery(1, QStringLiteral("2026-05-01"), 6)
                    && delivery(2, QStringLiteral("2026-06-01"), 2) && delivery(1, QStringLiteral("2026-06-15 09:30"), 4)
                    && receipt(QStringLiteral("2026-06-20"), 5) && receipt(QStringLiteral("2026-06-25"), -1)
                    && delivery(1, QStringLiteral("2026-06-28"), -2) && delivery(1, QStringLiteral("2026-07-05"), 3);
    if (!ok)
        *error = QStringLiteral("a bill of the age books could not be written: ") + db.lastError().text();
    return ok;
}

} // namespace hemu::test
