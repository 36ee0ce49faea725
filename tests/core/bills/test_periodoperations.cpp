// Rebuilding, carrying forward and clearing the period counters.
#include "core/bills/periodoperations.h"
#include "core/bills/posting.h"
#include "core/db/database.h"
#include "core/filechooser.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

namespace {
class RecordingProgress : public NullProgress
{
public:
    QStringList lines;
    QList<qint64> done;
    qint64 total = 0;
    void line(const QString &text) override { lines << text; }
    void progress(qint64 d, qint64 t) override
    {
        done << d;
        total = t;
    }
};
} // namespace

class TestPeriodOperations : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dateRangeIsOpenAtStartClosedAtEnd_data();
    void dateRangeIsOpenAtStartClosedAtEnd();
    void recalcMatchesPosting();
    void recalcProgressMovesPerStatementAndMonth();
    void recalcOverEmptyRangeKeepsOnlyOpeningRows();
    void recalcIsRepeatable();
    void carryForwardArithmetic();
    void purgeVersusRecalc();
    void purgeOnlyEmptyRows_data();
    void purgeOnlyEmptyRows();
    void deliveriesThatCancelInQuantityKeepTheirAmount();
    void recalcCountsEmptyValuesAsZero_data();
    void recalcCountsEmptyValuesAsZero();
    void clearing();
    void failureLeavesNothing();

private:
    int addBill(int kind, int party, const QString &date, QList<std::tuple<int, double, double>> lines);
    double val(const QString &sql, const QVariantList &p = {}) { return m_db->scalar(sql, p).toDouble(); }
    test::TempAccountSet *m_set = nullptr;
    Database *m_db = nullptr;
};

void TestPeriodOperations::init()
{
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    QVERIFY(m_db->exec("INSERT INTO Goods(GoodID, Description) VALUES (1, 'A'), (2, 'B'), (3, 'C')"));
}

void TestPeriodOperations::cleanup()
{
    delete m_db;
    delete m_set;
}

// Writes a bill and posts its lines, as entering it would.
int TestPeriodOperations::addBill(int kind, int party, const QString &date, QList<std::tuple<int, double, double>> lines)
{
    const BillKind k = BillKind(kind);
    m_db->exec(QString("INSERT INTO %1(BookID, CustID, TabDate, KindID) VALUES ('x', ?, ?, ?)").arg(headerTable(k)), {party, date, kind});
    const int tab = m_db->scalar("SELECT last_insert_rowid()").toInt();
    int item = 0;
    for (const auto &[good, qty, price] : lines) {
        m_db->exec(QString("INSERT INTO %1(TabID, ItemNo, GoodID, Qty, Price) VALUES (?,?,?,?,?)").arg(detailTable(k)),
                   {tab, ++item, good, qty, price});
        Posting::PostGoodsChange(*m_db, k, good, party, qty, price);
    }
    return tab;
}

void TestPeriodOperations::dateRangeIsOpenAtStartClosedAtEnd_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<bool>("counted");
    QTest::newRow("start day") << "2004-02-01" << false;
    QTest::newRow("start day with a time") << "2004-02-01 09:15:00" << false;
    QTest::newRow("day after start") << "2004-02-02" << true;
    QTest::newRow("end day") << "2004-02-29" << true;
    QTest::newRow("end day with a time") << "2004-02-29 18:30:00" << true;
    QTest::newRow("end day at the last second") << "2004-02-29 23:59:59" << true;
    QTest::newRow("day after end") << "2004-03-01" << false;
    QTest::newRow("day after end with a time") << "2004-03-01 00:00:01" << false;
}

void TestPeriodOperations::dateRangeIsOpenAtStartClosedAtEnd()
{
    QFETCH(QString, date);
    QFETCH(bool, counted);
    addBill(1, 1, date, {{1, 4, 2}});
    addBill(2, 5, date, {{1, 3, 3}});
    addBill(3, 5, date, {{1, 1, 3}});
    NullProgress progress;
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "2004-02-01", "2004-02-29", progress).ok);
    QCOMPARE(val("SELECT HandInc FROM Goods WHERE GoodID = 1"), counted ? 4.0 : 0.0);
    QCOMPARE(val("SELECT CustHandInc FROM Goods WHERE GoodID = 1"), counted ? 3.0 : 0.0);
    QCOMPARE(val("SELECT Sold FROM Goods WHERE GoodID = 1"), counted ? 1.0 : 0.0);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), counted ? 1 : 0);
}

void TestPeriodOperations::recalcMatchesPosting()
{
    addBill(1, 1, "2026-03-02", {{1, 10, 2.5}, {2, 7, 0.1}});
    addBill(2, 5, "2026-03-03", {{1, 4, 3}, {2, 2, 1.1}});
    addBill(2, 6, "2026-03-04", {{1, 1, 3}});
    addBill(3, 5, "2026-03-05", {{1, 3, 3.2}});
    RecordingProgress progress;
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "2026-01-01", "2026-12-31", progress, QDate(2026, 7, 15)).ok);
    QCOMPARE(progress.lines, QStringList({" 1、统计库存变动...", " 2、统计客户提货...", " 3、统计客户缴款...", "    ",
                                          "   汇总完毕，请关闭此窗口."}));
    QCOMPARE(val("SELECT HandInc FROM Goods WHERE GoodID = 1"), 10.0);
    QCOMPARE(val("SELECT HandInc FROM Goods WHERE GoodID = 2"), 7.0);
    QCOMPARE(val("SELECT CustHandInc FROM Goods WHERE GoodID = 1"), 5.0);
    // The database sums in double: 3 x 3.2 without narrowing.
    QCOMPARE(test::exact(val("SELECT SoldMny FROM Goods WHERE GoodID = 1")), test::exact(3 * 3.2));
    QCOMPARE(val("SELECT HandInc FROM GoodsInCusts WHERE GoodID = 1 AND CustID = 6"), 1.0);
    QCOMPARE(val("SELECT Sold FROM GoodsInCusts WHERE GoodID = 1 AND CustID = 5"), 3.0);
    QCOMPARE(m_db->scalar("SELECT 闸帐月 FROM UserInfo").toInt(), 7);
}

void TestPeriodOperations::recalcProgressMovesPerStatementAndMonth()
{
    // Bills of every kind in three months: the bar steps once per statement before the bills
    // are read, then once per month in each of the five reads, in order, up to its end.
    for (const char *day : {"2026-01-10", "2026-02-10 08:00:00", "2026-03-31 17:45:00"}) {
        addBill(1, 1, day, {{1, 1, 1}});
        addBill(2, 5, day, {{1, 1, 1}});
        addBill(3, 5, day, {{1, 1, 1}});
    }
    RecordingProgress progress;
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "2025-12-31", "2026-03-31", progress).ok);
    const qint64 steps = 4 + 5 * 3;
    QCOMPARE(progress.total, steps);
    QList<qint64> expected;
    for (qint64 i = 0; i <= steps; ++i)
        expected << i;
    QCOMPARE(progress.done, expected);
    QCOMPARE(val("SELECT HandInc FROM Goods WHERE GoodID = 1"), 3.0);
    QCOMPARE(val("SELECT Sold FROM GoodsInCusts WHERE GoodID = 1 AND CustID = 5"), 3.0);

    // Without a start the months run from the oldest bill; an empty range still ends the bar.
    RecordingProgress all;
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "", "2026-02-28", all).ok);
    QCOMPARE(all.total, 4 + 5 * 2);
    QCOMPARE(all.done.last(), all.total);
    QCOMPARE(val("SELECT HandInc FROM Goods WHERE GoodID = 1"), 2.0);
    RecordingProgress none;
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "2020-01-01", "2020-01-31", none).ok);
    QCOMPARE(none.done.last(), none.total);
    QCOMPARE(val("SELECT HandInc FROM Goods WHERE GoodID = 1"), 0.0);
}

void TestPeriodOperations::recalcOverEmptyRangeKeepsOnlyOpeningRows()
{
    addBill(2, 5, "2026-03-03", {{1, 4, 3}});
    QVERIFY(m_db->exec("INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHand) VALUES (2, 9, 3)"));
    QVERIFY(m_db->exec("INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHandMny) VALUES (3, 9, -10)"));
    NullProgress progress;
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "2020-01-01", "2020-01-31", progress).ok);
    QCOMPARE(val("SELECT sum(HandInc + HandIncMny + CustHandInc + CustHandIncMny + Sold + SoldMny) FROM Goods"), 0.0);
    QCOMPARE(m_db->scalar("SELECT group_concat(GoodID) FROM (SELECT GoodID FROM GoodsInCusts ORDER BY GoodID)").toString(), QString("2,3"));
}

void TestPeriodOperations::recalcIsRepeatable()
{
    addBill(1, 1, "2026-03-02", {{1, 10, 2.5}});
    addBill(2, 5, "2026-03-03", {{1, 4, 3}});
    NullProgress progress;
    const QString snapshot = "SELECT group_concat(GoodID || ':' || HandInc || ':' || CustHandIncMny) FROM Goods";
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "2026-01-01", "2026-12-31", progress).ok);
    const QString first = m_db->scalar(snapshot).toString();
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "2026-01-01", "2026-12-31", progress).ok);
    QCOMPARE(m_db->scalar(snapshot).toString(), first);
}

void TestPeriodOperations::carryForwardArithmetic()
{
    QVERIFY(m_db->exec("UPDATE Goods SET PrevOnHand = 5, HandInc = 10, CustHandInc = 4, PrevOnHandMny = 50, HandIncMny = 100, "
                       "CustHandIncMny = 48, PrevOnCustHand = 1, Sold = 2, SoldMny = 30 WHERE GoodID = 1"));
    QVERIFY(m_db->exec("INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHand, HandInc, Sold, PrevOnHandMny, HandIncMny, SoldMny) "
                       "VALUES (1, 5, 2, 4, 6, 20, 48, 72)"));
    QVERIFY(PeriodOperations::CarryForward(*m_db).ok);
    QCOMPARE(val("SELECT PrevOnHand FROM Goods WHERE GoodID = 1"), 11.0);
    QCOMPARE(val("SELECT PrevOnHandMny FROM Goods WHERE GoodID = 1"), 102.0);
    QCOMPARE(val("SELECT PrevOnCustHand FROM Goods WHERE GoodID = 1"), 3.0);
    QCOMPARE(val("SELECT PrevOnCustHandMny FROM Goods WHERE GoodID = 1"), 18.0);
    QCOMPARE(val("SELECT HandInc + HandIncMny + CustHandInc + CustHandIncMny + Sold + SoldMny FROM Goods WHERE GoodID = 1"), 0.0);
    QCOMPARE(val("SELECT PrevOnHand FROM GoodsInCusts"), 0.0);
    QCOMPARE(val("SELECT PrevOnHandMny FROM GoodsInCusts"), -4.0);
    // No quantity left, but an amount: the customer row keeps it.
    QVERIFY(PeriodOperations::PurgeIdleCustStock(*m_db).ok);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 1);
}

void TestPeriodOperations::purgeVersusRecalc()
{
    // Quantities all zero, an opening amount left: both keep it (the amount is owed).
    QVERIFY(m_db->exec("INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHandMny) VALUES (1, 5, -10)"));
    NullProgress progress;
    QVERIFY(PeriodOperations::RecalcTotals(*m_db, "2026-01-01", "2026-12-31", progress).ok);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 1);
    QVERIFY(PeriodOperations::PurgeIdleCustStock(*m_db).ok);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 1);
}

void TestPeriodOperations::purgeOnlyEmptyRows_data()
{
    QTest::addColumn<QString>("values");
    QTest::addColumn<bool>("purged");
    QTest::newRow("all zero") << "0, 0, 0, 0, 0, 0" << true;
    QTest::newRow("delivered amount left") << "0, 0, 0, -5, 0, 0" << false;
    QTest::newRow("opening amount left") << "0, 7, 0, 0, 0, 0" << false;
    QTest::newRow("sold amount left") << "0, 0, 0, 0, 0, 3" << false;
    QTest::newRow("a quantity left") << "1, 0, 0, 0, 0, 0" << false;
}

void TestPeriodOperations::purgeOnlyEmptyRows()
{
    QFETCH(QString, values);
    QFETCH(bool, purged);
    QVERIFY(m_db->exec(QString("INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, "
                               "Sold, SoldMny) VALUES (1, 5, %1)").arg(values)));
    QVERIFY(PeriodOperations::PurgeIdleCustStock(*m_db).ok);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), purged ? 0 : 1);
}

void TestPeriodOperations::deliveriesThatCancelInQuantityKeepTheirAmount()
{
    // 5 @ 1 and -5 @ 2 leave no quantity but -5 in money: purging must not lose it.
    addBill(2, 5, "2026-03-02", {{1, 5, 1}});
    addBill(2, 5, "2026-03-03", {{1, -5, 2}});
    QCOMPARE(val("SELECT HandIncMny FROM GoodsInCusts WHERE GoodID = 1 AND CustID = 5"), -5.0);
    QVERIFY(PeriodOperations::PurgeIdleCustStock(*m_db).ok);
    QCOMPARE(val("SELECT HandIncMny FROM GoodsInCusts WHERE GoodID = 1 AND CustID = 5"), -5.0);
    // The goods' customer amount still equals the sum over its customers.
    QCOMPARE(val("SELECT CustHandIncMny FROM Goods WHERE GoodID = 1"), -5.0);
}

void TestPeriodOperations::recalcCountsEmptyValuesAsZero_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("party");
    QTest::newRow("empty quantity") << "1, NULL, 2" << "5";
    QTest::newRow("empty price") << "1, 3, NULL" << "5";
    QTest::newRow("empty goods") << "NULL, 3, 2" << "5";
    QTest::newRow("header without customer") << "1, 3, 2" << "NULL";
}

void TestPeriodOperations::recalcCountsEmptyValuesAsZero()
{
    // Older files hold such rows; recalculation must not fail on them and counts what posting
    // counts: an empty value is 0, a line without goods is not posted.
    QFETCH(QString, line);
    QFETCH(QString, party);
    for (int kind : {1, 2, 3}) {
        const BillKind k = BillKind(kind);
        QVERIFY(m_db->exec(QString("INSERT INTO %1(BookID, CustID, TabDate, KindID) VALUES ('x', %2, '2026-03-02', %3)")
                               .arg(headerTable(k), party)
                               .arg(kind)));
        QVERIFY(m_db->exec(QString("INSERT INTO %1(TabID, ItemNo, GoodID, Qty, Price) VALUES (last_insert_rowid(), 1, %2)")
                               .arg(detailTable(k), line)));
    }
    NullProgress progress;
    const PeriodOperations::Result r = PeriodOperations::RecalcTotals(*m_db, "2026-01-01", "2026-12-31", progress);
    QVERIFY2(r.ok, qPrintable(r.error.text()));
    const QStringList v = line.split(", ");
    const double qty = v[1] == "NULL" || v[0] == "NULL" ? 0 : v[1].toDouble();
    const double money = v[2] == "NULL" || v[0] == "NULL" ? 0 : qty * v[2].toDouble();
    QCOMPARE(val("SELECT HandInc FROM Goods WHERE GoodID = 1"), qty);
    QCOMPARE(val("SELECT CustHandIncMny FROM Goods WHERE GoodID = 1"), money);
    QCOMPARE(val("SELECT SoldMny FROM Goods WHERE GoodID = 1"), money);
    QCOMPARE(val("SELECT coalesce(sum(HandInc), 0) FROM GoodsInCusts"), qty);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts WHERE GoodID IS NULL OR CustID IS NULL").toInt(), 0);
}

void TestPeriodOperations::clearing()
{
    // Clearing an empty set succeeds.
    QVERIFY(PeriodOperations::ClearBills(*m_db).ok);
    addBill(1, 1, "2026-03-02", {{1, 10, 2.5}});
    addBill(2, 5, "2026-03-03", {{1, 4, 3}});
    QVERIFY(m_db->exec("INSERT INTO Invoices(TabID, invoice) VALUES (1, 'F1')"));
    QVERIFY(PeriodOperations::ClearBills(*m_db).ok);
    for (const char *t : {"RuKuDan", "RuKuMx", "DiaoBoDan", "DiaoBoMx", "ChuKuDan", "ChuKuMx"})
        QCOMPARE(m_db->scalar(QString("SELECT count(*) FROM %1").arg(t)).toInt(), 0);
    // Counters and invoices are not touched by clearing bills.
    QCOMPARE(val("SELECT HandInc FROM Goods WHERE GoodID = 1"), 10.0);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM Invoices").toInt(), 1);
    QVERIFY(PeriodOperations::ClearTotals(*m_db).ok);
    QCOMPARE(val("SELECT sum(abs(HandInc) + abs(CustHandInc) + abs(PrevOnHand) + abs(HandIncMny)) FROM Goods"), 0.0);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 0);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM Goods").toInt(), 3);
}

void TestPeriodOperations::failureLeavesNothing()
{
    addBill(1, 1, "2026-03-02", {{1, 10, 2.5}});
    addBill(2, 5, "2026-03-03", {{1, 4, 3}});
    QVERIFY(m_db->exec("UPDATE Goods SET HandInc = 99 WHERE GoodID = 1"));
    // Triggers stand in for a write that fails after the goods rows were already rewritten.
    QVERIFY(m_db->exec("CREATE TRIGGER failInsert BEFORE INSERT ON GoodsInCusts BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    QVERIFY(m_db->exec("CREATE TRIGGER failUpdate BEFORE UPDATE OF PrevOnHand ON GoodsInCusts BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    const QString snapshot = "SELECT (SELECT group_concat(GoodID || ':' || HandInc || ':' || PrevOnHand || ':' || CustHandInc) FROM Goods) || '/' ||"
                             "(SELECT group_concat(GoodID || ':' || CustID || ':' || HandInc || ':' || PrevOnHand) FROM GoodsInCusts)";
    const QString before = m_db->scalar(snapshot).toString();
    NullProgress progress;
    const auto recalc = PeriodOperations::RecalcTotals(*m_db, "2026-01-01", "2026-12-31", progress);
    QVERIFY(!recalc.ok);
    QVERIFY(recalc.error.text().contains("disk full"));
    QCOMPARE(m_db->scalar(snapshot).toString(), before);
    QVERIFY(!PeriodOperations::CarryForward(*m_db).ok);
    QCOMPARE(m_db->scalar(snapshot).toString(), before);
    QCOMPARE(m_db->transactionDepth(), 0);
}

QTEST_GUILESS_MAIN(TestPeriodOperations)
#include "test_periodoperations.moc"
