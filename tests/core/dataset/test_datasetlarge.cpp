// A 100,000-row goods table: open, lookups, filter, sort, re-reading rows and a reopen.
#include "datasetfixture.h"

#include <QElapsedTimer>

using namespace hemu;

class TestDatasetLarge : public QObject
{
    Q_OBJECT
private slots:
    void hundredThousandRows();
};

void TestDatasetLarge::hundredThousandRows()
{
    test::DatasetBooks books;
    books.exec("INSERT INTO Catalogs (CataID, Catalog) VALUES (1, 'A'), (2, 'B'), (3, 'C')");
    {
        Transaction tx(books.db);
        QSqlQuery q(books.db.sql());
        QVERIFY(q.prepare("INSERT INTO Goods (GoodID, Description, CataID, UnitID, flag, HardOrder, CostPrice, "
                          "PrevOnHand, HandInc, CustHandInc) VALUES (?, ?, ?, 1, ?, ?, ?, ?, ?, ?)"));
        for (int i = 1; i <= 100000; ++i) {
            q.bindValue(0, i);
            q.bindValue(1, QStringLiteral("商品 %1").arg(i));
            q.bindValue(2, i % 4); // category 0 does not exist
            q.bindValue(3, i % 10 == 0 ? 1 : 0);
            q.bindValue(4, i % 7);
            q.bindValue(5, i * 0.25);
            q.bindValue(6, i % 3);
            q.bindValue(7, 2.5);
            q.bindValue(8, 1);
            QVERIFY(q.exec());
        }
        QVERIFY(tx.commit());
    }

    TableDataset cata(books.db, "Cata", "Catalogs");
    TableDataset goods(books.db, "Goods", "Goods");
    goods.addLookupField("lkCata", &cata, "CataID", "Catalog", "CataID");
    goods.addCalcField("OnHand", calc::sum({"PrevOnHand", "HandInc"}, {"CustHandInc"}));
    goods.addOpenDependency(&cata);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(goods.open().ok());
    qInfo("open of 100,000 rows: %lld ms", timer.elapsed());
    QCOMPARE(goods.rowCount(), 100000);
    QCOMPARE(goods.value(99999, goods.fieldIndex("Description")), QVariant("商品 100000"));

    // Every cell of the lookup and calculated columns, as a grid scrolling through.
    timer.restart();
    int named = 0;
    double onHand = 0;
    const int lk = goods.fieldIndex("lkCata");
    const int oh = goods.fieldIndex("OnHand");
    for (int r = 0; r < goods.rowCount(); ++r) {
        named += goods.displayText(r, lk).isEmpty() ? 0 : 1;
        onHand += goods.value(r, oh).toDouble();
    }
    qInfo("lookup and calculation over every row: %lld ms", timer.elapsed());
    QCOMPARE(named, 75000);
    QCOMPARE(onHand, 100000 * 1.5 + (33334 + 2 * 33333)); // i % 3 is 1 for 33,334 rows, 2 for 33,333

    timer.restart();
    QVERIFY(goods.setFilter("flag=1 and CataID=2").ok());
    QVERIFY(goods.setFiltered(true).ok());
    qInfo("filter: %lld ms", timer.elapsed());
    QCOMPARE(goods.rowCount(), 5000); // multiples of 10 that leave 2 modulo 4
    timer.restart();
    QVERIFY(goods.setSort("HardOrder DESC,GoodID ASC").ok());
    qInfo("sort: %lld ms", timer.elapsed());
    QCOMPARE(goods.value(0, goods.fieldIndex("HardOrder")).toInt(), 6);
    QVERIFY(goods.setFiltered(false).ok());
    QVERIFY(goods.setSort("lkCata DESC").ok());
    QCOMPARE(goods.value(0, lk), QVariant("C"));

    // A posting elsewhere: only the changed rows are read again.
    QVERIFY(goods.locate("GoodID", 50000));
    books.exec("UPDATE Goods SET HandInc = HandInc + 10 WHERE GoodID IN (50000, 70000)");
    QVERIFY(goods.refreshRows({50000, 70000}).ok());
    QCOMPARE(goods.fieldByName("HandInc").asFloat(), 12.5);
    QCOMPARE(goods.fieldByName("GoodID").asInteger(), 50000);

    timer.restart();
    QVERIFY(goods.refresh().ok());
    qInfo("refresh: %lld ms", timer.elapsed());
    QCOMPARE(goods.rowCount(), 100000);
    QCOMPARE(goods.fieldByName("GoodID").asInteger(), 50000);
}

QTEST_GUILESS_MAIN(TestDatasetLarge)
#include "test_datasetlarge.moc"
