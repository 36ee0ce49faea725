// The goods-flow list: which lines it holds, in which order, and its find and filter.
#include "core/analysis/goodsflow.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestGoodsFlow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void linesAndOrder();
    void lineFigures_data();
    void lineFigures();
    void findAndFilter();

private:
    void exec(const QString &sql, const QVariantList &params = {})
    {
        QSqlError error;
        QVERIFY2(m_db->exec(sql, params, &error), qPrintable(error.text()));
    }
    /// "GoodID/CustID/S|C" of every line in view order.
    QStringList lines(GoodsFlow &flow)
    {
        QStringList out;
        Dataset &q = *flow.Qry;
        for (int row = 0; row < q.rowCount(); ++row)
            out << QStringLiteral("%1/%2/%3")
                       .arg(q.value(row, q.fieldIndex(QStringLiteral("GoodID"))).toInt())
                       .arg(q.value(row, q.fieldIndex(QStringLiteral("CustID"))).toInt())
                       .arg(flow.isStoreLine(row) ? QLatin1Char('S') : QLatin1Char('C'));
        return out;
    }
    test::TempAccountSet *m_set = nullptr;
    Database *m_db = nullptr;
};

void TestGoodsFlow::init()
{
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    exec(QStringLiteral("INSERT INTO Units(UnitID, Unit) VALUES (1, '箱')"));
    exec(QStringLiteral("INSERT INTO Catalogs(CataID, Catalog) VALUES (1, '饮料'), (2, '食品')"));
    exec(QStringLiteral("INSERT INTO Customers(CustID, CustName) VALUES (1, '甲店'), (2, '乙店'), (3, '丙店')"));
    // 10: main store and two customers; 20: counters all zero, one customer still holds it;
    // 30: main store only, a store code that is not 0; 40: nothing anywhere.
    exec(QStringLiteral("INSERT INTO Goods(GoodID, Description, CataID, UnitID, CustID, PrevOnHand, PrevOnHandMny, HandInc, "
                        "HandIncMny, CustHandInc, CustHandIncMny) VALUES "
                        "(10, '矿泉水', 1, 1, 0, 5, 50, 10, 100, 6, 60), (20, '饼干', 2, 1, 0, 0, 0, 0, 0, 0, 0), "
                        "(30, '果汁', 1, 1, 7, 0, 0, 0, 0, 0, 0.5), (40, '面包', 2, 1, 0, 0, 0, 0, 0, 0, 0)"));
    exec(QStringLiteral("INSERT INTO GoodsInCusts(GoodID, CustID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, Sold, SoldMny) VALUES "
                        "(10, 3, 0, 0, 4, 40, 1, 10), (10, 1, 1, 10, 2, 20, 3, 30), (10, 2, 0, 0, 0, 0, 0, 0), "
                        "(20, 2, 2, 16, 0, 0, 0, 0), (40, 1, 0, 0, 0, 0, 0, 0), (99, 1, 5, 5, 0, 0, 0, 0)"));
}

void TestGoodsFlow::cleanup()
{
    delete m_db;
    delete m_set;
}

void TestGoodsFlow::linesAndOrder()
{
    GoodsFlow flow(*m_db);
    QVERIFY(flow.open().ok());
    // Each item's own line first, its customers after it by code; idle rows and the
    // customer row of goods no longer on file are left out.
    QCOMPARE(lines(flow), (QStringList{"10/0/S", "10/1/C", "10/3/C", "20/2/C", "30/7/S"}));
    QCOMPARE(GoodsFlow::shownFields().first(), QStringLiteral("CustID"));
    QCOMPARE(flow.Qry->fieldByName(QStringLiteral("PrevOnHand")).caption(), QStringLiteral("期初|数量"));
}

void TestGoodsFlow::lineFigures_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("store: delivered is its outflow") << 0 << "sold" << "6.00";
    QTest::newRow("store on hand") << 0 << "OnHand" << "9.00";
    QTest::newRow("store amount on hand") << 0 << "OnHandMny" << "90.00";
    QTest::newRow("store line names no customer") << 0 << "lkCust" << "";
    QTest::newRow("customer: paid is its outflow") << 1 << "sold" << "3.00";
    QTest::newRow("customer holds nothing: zero shows empty") << 1 << "OnHand" << "";
    QTest::newRow("customer name") << 2 << "lkCust" << "丙店";
    QTest::newRow("customer line takes the goods' category") << 2 << "lkCata" << "饮料";
    QTest::newRow("and its unit") << 2 << "lkUnit" << "箱";
    QTest::newRow("description") << 3 << "lkGood" << "饼干";
    QTest::newRow("negative") << 4 << "OnHandMny" << "-0.50";
}

void TestGoodsFlow::lineFigures()
{
    QFETCH(int, row);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    GoodsFlow flow(*m_db);
    QVERIFY(flow.open().ok());
    QCOMPARE(flow.Qry->displayText(row, flow.Qry->fieldIndex(field)), shown);
}

void TestGoodsFlow::findAndFilter()
{
    GoodsFlow flow(*m_db);
    QVERIFY(flow.open().ok());
    QVERIFY(flow.filterCategory(2).ok());
    QCOMPARE(lines(flow), (QStringList{"20/2/C"}));
    QVERIFY(flow.setFiltered(false).ok());
    QCOMPARE(flow.Qry->rowCount(), 5);
    QVERIFY(flow.setFiltered(true).ok());
    QCOMPARE(flow.Qry->rowCount(), 1);

    // Finding switches the filter off first, found or not.
    QVERIFY(flow.findGoods(30));
    QVERIFY(!flow.Qry->isFiltered());
    QCOMPARE(flow.Qry->currentRow(), 4);
    QVERIFY(flow.setFiltered(true).ok());
    QVERIFY(!flow.findGoods(40));
    QVERIFY(!flow.Qry->isFiltered());
    QCOMPARE(flow.Qry->rowCount(), 5);
    QCOMPARE(GoodsFlow::notFoundText(), QStringLiteral("查找完毕，没有。"));

    // Reading again keeps the filter text, as it was switched.
    QVERIFY(flow.setFiltered(true).ok());
    exec(QStringLiteral("UPDATE Goods SET HandInc = 1 WHERE GoodID = 40"));
    QVERIFY(flow.open().ok());
    QCOMPARE(lines(flow), (QStringList{"20/2/C", "40/0/S"}));
}

QTEST_GUILESS_MAIN(TestGoodsFlow)
#include "test_goodsflow.moc"
