// Counter arithmetic of one bill line, to the last digit.
#include "core/bills/posting.h"
#include "core/bills/singleprecision.h"
#include "core/db/database.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestPosting : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void workedExample();
    void singlePrecision_data();
    void singlePrecision();
    void nothingToPost_data();
    void nothingToPost();
    void unknownGoods();
    void firstReceiptCreatesNegativeCustomerStock();

private:
    double goods(const QString &col, int id = 1) { return m_db->scalar("SELECT " + col + " FROM Goods WHERE GoodID = ?", {id}).toDouble(); }
    QVariant cust(const QString &col, int cust, int id = 1)
    {
        return m_db->scalar("SELECT " + col + " FROM GoodsInCusts WHERE GoodID = ? AND CustID = ?", {id, cust});
    }
    test::TempAccountSet *m_set = nullptr;
    Database *m_db = nullptr;
};

void TestPosting::init()
{
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    QVERIFY(m_db->exec("INSERT INTO Goods(GoodID, Description) VALUES (1, 'A'), (2, 'B')"));
}

void TestPosting::cleanup()
{
    delete m_db;
    delete m_set;
}

void TestPosting::workedExample()
{
    using Posting::PostGoodsChange;
    QVERIFY(PostGoodsChange(*m_db, BillKind::StockIn, 1, 0, 10, 2.5).ok());
    QCOMPARE(test::exact(goods("HandInc")), test::exact(10.0));
    QCOMPARE(test::exact(goods("HandIncMny")), test::exact(25.0));
    QCOMPARE(test::exact(goods("CostPrice")), test::exact(2.5));

    QVERIFY(PostGoodsChange(*m_db, BillKind::Delivery, 1, 7, 4, 3).ok());
    QCOMPARE(test::exact(goods("CustHandInc")), test::exact(4.0));
    QCOMPARE(test::exact(goods("CustHandIncMny")), test::exact(12.0));
    QCOMPARE(test::exact(goods("SellPrice")), test::exact(3.0));
    QCOMPARE(test::exact(goods("PrevOnHand + HandInc - CustHandInc")), test::exact(6.0));
    QCOMPARE(test::exact(goods("PrevOnHandMny + HandIncMny - CustHandIncMny")), test::exact(13.0));
    QCOMPARE(test::exact(cust("HandInc", 7).toDouble()), test::exact(4.0));
    QCOMPARE(test::exact(cust("HandIncMny", 7).toDouble()), test::exact(12.0));

    QVERIFY(PostGoodsChange(*m_db, BillKind::Receipt, 1, 7, 3, 3.2).ok());
    QCOMPARE(test::exact(goods("Sold")), test::exact(3.0));
    QCOMPARE(test::exact(goods("SoldMny")), test::exact(9.600000143051147));
    QCOMPARE(test::exact(cust("PrevOnHand + HandInc - Sold", 7).toDouble()), test::exact(1.0));
    QCOMPARE(test::exact(cust("PrevOnHandMny + HandIncMny - SoldMny", 7).toDouble()), test::exact(2.3999998569488525));

    // Editing the delivery line to 5 x 3: the old line is reversed, the new one posted.
    QVERIFY(PostGoodsChange(*m_db, BillKind::Delivery, 1, 7, -4, 3).ok());
    QVERIFY(PostGoodsChange(*m_db, BillKind::Delivery, 1, 7, 5, 3).ok());
    QCOMPARE(test::exact(goods("CustHandInc")), test::exact(5.0));
    QCOMPARE(test::exact(goods("CustHandIncMny")), test::exact(15.0));
    QCOMPARE(test::exact(cust("HandInc", 7).toDouble()), test::exact(5.0));

    // Deleting the stock-in line reverses it; the price stays that of the reversal.
    QVERIFY(PostGoodsChange(*m_db, BillKind::StockIn, 1, 0, -10, 2.5).ok());
    QCOMPARE(test::exact(goods("HandInc")), test::exact(0.0));
    QCOMPARE(test::exact(goods("HandIncMny")), test::exact(0.0));
    QCOMPARE(test::exact(goods("CostPrice")), test::exact(2.5));
    // Stock-in lines never touch customer rows.
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 1);
}

void TestPosting::singlePrecision_data()
{
    QTest::addColumn<double>("qty");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("storedPrice");
    QTest::newRow("3 x 3.2") << 3.0 << 3.2 << 9.600000143051147 << 3.200000047683716;
    QTest::newRow("0.1 x 1") << 0.1 << 1.0 << 0.10000000149011612 << 1.0;
    QTest::newRow("exact halves") << 2.5 << 4.5 << 11.25 << 4.5;
    QTest::newRow("large price") << 1.0 << 1234567.89 << 1234567.875 << 1234567.875;
}

void TestPosting::singlePrecision()
{
    QFETCH(double, qty);
    QFETCH(double, price);
    QFETCH(double, amount);
    QFETCH(double, storedPrice);
    QVERIFY(Posting::PostGoodsChange(*m_db, BillKind::Receipt, 1, 3, qty, price).ok());
    QCOMPARE(test::exact(goods("SoldMny")), test::exact(amount));
    QCOMPARE(test::exact(goods("Sold")), test::exact(toSingle(qty)));
    QCOMPARE(test::exact(goods("SellPrice")), test::exact(storedPrice));
    QCOMPARE(test::exact(cust("SoldMny", 3).toDouble()), test::exact(amount));
    // Insert then delete leaves the quantity exactly where it was.
    QVERIFY(Posting::PostGoodsChange(*m_db, BillKind::Receipt, 1, 3, -qty, price).ok());
    QCOMPARE(test::exact(goods("Sold")), test::exact(0.0));
}

void TestPosting::nothingToPost_data()
{
    QTest::addColumn<int>("goodId");
    QTest::addColumn<double>("qty");
    QTest::newRow("zero quantity") << 1 << 0.0;
    QTest::newRow("no goods item") << 0 << 5.0;
    QTest::newRow("negative id") << -3 << 5.0;
}

void TestPosting::nothingToPost()
{
    QFETCH(int, goodId);
    QFETCH(double, qty);
    QVERIFY(m_db->exec("UPDATE Goods SET SellPrice = 9 WHERE GoodID = 1"));
    const Posting::Result r = Posting::PostGoodsChange(*m_db, BillKind::Delivery, goodId, 4, qty, 3);
    QCOMPARE(r.outcome, Posting::Outcome::Skipped);
    QCOMPARE(test::exact(goods("SellPrice")), test::exact(9.0));
    QCOMPARE(test::exact(goods("CustHandInc")), test::exact(0.0));
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 0);
}

void TestPosting::unknownGoods()
{
    const Posting::Result r = Posting::PostGoodsChange(*m_db, BillKind::Delivery, 99, 4, 1, 3);
    QCOMPARE(r.outcome, Posting::Outcome::GoodsNotFound);
    QCOMPARE(m_db->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 0);
    QCOMPARE(Posting::cannotUpdateGoodsText(99), QString("异常:不能更新商品。商品编码99"));
}

void TestPosting::firstReceiptCreatesNegativeCustomerStock()
{
    QVERIFY(Posting::PostGoodsChange(*m_db, BillKind::Receipt, 2, 5, 2, 10).ok());
    QCOMPARE(cust("PrevOnHand + HandInc - Sold", 5, 2).toDouble(), -2.0);
    QCOMPARE(cust("PrevOnHandMny + HandIncMny - SoldMny", 5, 2).toDouble(), -20.0);
}

QTEST_GUILESS_MAIN(TestPosting)
#include "test_posting.moc"
