// The earlier prices of a goods item for one counterpart, as the bill entry window shows them
// beside the lines, and which typed prices are far enough from the last one to be marked.
#include "core/bills/pricehistory.h"
#include "core/db/database.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QtTest>

using namespace hemu;

class TestPriceHistory : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        test::execOn(set->path(),
                     {"INSERT INTO DiaoBoDan (TabID, BookID, CustID, TabDate) VALUES "
                      "(1, 'D1', 1, '2026-01-05'), (2, 'D2', 1, '2026-02-01'), (3, 'D3', 2, '2026-03-01'),"
                      " (4, 'D4', 1, '2026-02-01'), (5, 'D5', 1, '2026-03-09')",
                      "INSERT INTO DiaoBoMx (TabID, ItemNo, GoodID, Qty, Price) VALUES "
                      "(1, 1, 101, 5, 1.5), (2, 1, 101, 2, 1.8), (2, 2, 103, 1, 3), (3, 1, 101, 9, 9),"
                      " (4, 1, 101, 3, 2.0), (5, 1, 101, 1, 7)",
                      // A stock-in bill of vendor 1 is of another kind.
                      "INSERT INTO RuKuDan (TabID, BookID, CustID, TabDate) VALUES (1, 'R1', 1, '2026-04-01')",
                      "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Qty, Price) VALUES (1, 1, 101, 4, 0.5)"});
        db = std::make_unique<Database>();
        QVERIFY(db->open(set->path()));
    }
    void cleanup()
    {
        db.reset();
        set.reset();
    }

    void newestFirstWithoutTheBillWritten();
    void onlyOneKindAndCounterpart();
    void farFrom_data();
    void farFrom();
    void readThroughIndexes();

private:
    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<Database> db;
};

void TestPriceHistory::newestFirstWithoutTheBillWritten()
{
    PriceHistory history(*db, BillKind::Delivery);
    // Bill 5 is the one being written: its own line is no history.
    history.setBill(5, 1);
    QStringList seen;
    for (const PriceHistory::Entry &e : history.recent(101))
        seen << QStringLiteral("%1 %2 %3 %4").arg(e.date.toString(), e.bookId).arg(e.qty).arg(e.price);
    // Two bills of the same day: the later one first.
    QCOMPARE(seen, (QStringList{"2026-02-01 D4 3 2", "2026-02-01 D2 2 1.8", "2026-01-05 D1 5 1.5"}));
    QCOMPARE(history.recent(101, 1).size(), 1);
    QCOMPARE(history.lastPrice(101), std::optional<double>(2.0));
    QVERIFY(history.priceOff(101, 2.61));
    QVERIFY(!history.priceOff(101, 2.6));
    QVERIFY(!history.priceOff(101, QVariant()));
    // An item never sold to the customer marks nothing.
    QCOMPARE(history.lastPrice(105), std::nullopt);
    QVERIFY(!history.priceOff(105, 1000));
    // A new bill not saved yet: every bill of the customer counts.
    history.setBill(QVariant(), 1);
    QCOMPARE(history.lastPrice(101), std::optional<double>(7.0));
}

void TestPriceHistory::onlyOneKindAndCounterpart()
{
    PriceHistory delivery(*db, BillKind::Delivery);
    delivery.setBill(QVariant(), 2);
    QCOMPARE(delivery.recent(101).size(), 1);
    QCOMPARE(delivery.recent(103).size(), 0);
    PriceHistory stockIn(*db, BillKind::StockIn);
    stockIn.setBill(QVariant(), 1);
    QCOMPARE(stockIn.lastPrice(101), std::optional<double>(0.5));
    // No counterpart yet: no history at all.
    stockIn.setBill(QVariant(), QVariant());
    QVERIFY(stockIn.recent(101).isEmpty());
}

void TestPriceHistory::farFrom_data()
{
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("last");
    QTest::addColumn<bool>("off");
    QTest::newRow("same") << 10.0 << 10.0 << false;
    QTest::newRow("30 % above") << 13.0 << 10.0 << false;
    QTest::newRow("over 30 % above") << 13.01 << 10.0 << true;
    QTest::newRow("over 30 % below") << 6.99 << 10.0 << true;
    QTest::newRow("last price 0") << 5.0 << 0.0 << false;
    QTest::newRow("negative last") << -5.0 << -10.0 << true;
}

void TestPriceHistory::farFrom()
{
    QFETCH(double, price);
    QFETCH(double, last);
    QFETCH(bool, off);
    QCOMPARE(PriceHistory::farFrom(price, last), off);
}

void TestPriceHistory::readThroughIndexes()
{
    // The history is read for every line the clerk moves to: never a scan of all lines.
    for (BillKind kind : {BillKind::StockIn, BillKind::Delivery, BillKind::Receipt}) {
        QSqlQuery plan = db->query(QStringLiteral("EXPLAIN QUERY PLAN ") + PriceHistory::recentSql(kind),
                                   {101, 1, QVariant(), PriceHistory::shown});
        QVERIFY(plan.exec());
        QStringList steps;
        while (plan.next())
            steps << plan.value(3).toString();
        for (const QString &step : steps)
            QVERIFY2(!step.startsWith(QLatin1String("SCAN")), qPrintable(steps.join(" / ")));
    }
}

QTEST_MAIN(TestPriceHistory)
#include "test_pricehistory.moc"
