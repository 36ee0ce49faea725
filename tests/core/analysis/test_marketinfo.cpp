// Market information: the per-date purchase figures of a goods item and of all goods.
#include "core/analysis/marketinfo.h"
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "support/books.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

using Points = QList<MarketInfo::Point>;

class TestMarketInfo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void itemSeries_data();
    void itemSeries();
    void totalsAndTitles();

private:
    /// "date=value" of each point.
    static QStringList texts(const Points &points)
    {
        QStringList out;
        for (const MarketInfo::Point &p : points)
            out << p.date.toString(Qt::ISODate) + QLatin1Char('=') + test::exact(p.value);
        return out;
    }
    test::Books *m_books = nullptr;
};

void TestMarketInfo::initTestCase()
{
    m_books = new test::Books;
    // Entered out of date order; goods 2 is bought twice on 3-5, goods 3 never.
    QVERIFY(m_books->bill(BillKind::StockIn, 1, {{2, 2, 3}, {1, 5, 2}}, QStringLiteral("2026-03-05")) > 0);
    QVERIFY(m_books->bill(BillKind::StockIn, 2, {{2, 4, 1}}, QStringLiteral("2026-03-01")) > 0);
    QVERIFY(m_books->bill(BillKind::StockIn, 1, {{2, 6, 5}}, QStringLiteral("2026-03-05")) > 0);
}

void TestMarketInfo::cleanupTestCase()
{
    delete m_books;
}

void TestMarketInfo::itemSeries_data()
{
    QTest::addColumn<int>("goodId");
    QTest::addColumn<QStringList>("price");
    QTest::addColumn<QStringList>("quantity");
    QTest::addColumn<QStringList>("amount");
    QTest::newRow("one stock-in date") << 1 << QStringList{"2026-03-05=2"} << QStringList{"2026-03-05=5"} << QStringList{"2026-03-05=10"};
    // Two bills of one day are one point: the plain average of their prices, the sums.
    QTest::newRow("several dates, two bills on one")
        << 2 << QStringList{"2026-03-01=1", "2026-03-05=4"} << QStringList{"2026-03-01=4", "2026-03-05=8"}
        << QStringList{"2026-03-01=4", "2026-03-05=36"};
    QTest::newRow("never bought") << 3 << QStringList{} << QStringList{} << QStringList{};
}

void TestMarketInfo::itemSeries()
{
    QFETCH(int, goodId);
    QFETCH(QStringList, price);
    QFETCH(QStringList, quantity);
    QFETCH(QStringList, amount);
    MarketInfo market(*m_books->base);
    QVERIFY(market.open().ok());
    QVERIFY(market.Goods->locate(QStringLiteral("GoodID"), goodId));
    QVERIFY(market.readItem().ok());
    QCOMPARE(texts(MarketInfo::series(*market.queryPrice, QStringLiteral("aPrice"))), price);
    QCOMPARE(texts(MarketInfo::series(*market.queryPrice, QStringLiteral("sQty"))), quantity);
    QCOMPARE(texts(MarketInfo::series(*market.queryPrice, QStringLiteral("sMny"))), amount);
}

void TestMarketInfo::totalsAndTitles()
{
    MarketInfo market(*m_books->base);
    QVERIFY(market.open().ok());
    QVERIFY(market.Cata->isOpen()); // opened with the goods
    QCOMPARE(texts(MarketInfo::series(*market.qTotalMoney, QStringLiteral("smoney"))),
             (QStringList{"2026-03-01=4", "2026-03-05=46"}));
    QVERIFY(market.Goods->locate(QStringLiteral("GoodID"), 2));
    QCOMPARE(market.priceTitle(), QStringLiteral("货品2 市场行情"));
    QCOMPARE(market.quantityTitle(), QStringLiteral("货品2 购入数量"));
    // The last purchase price and its moving average, in the list's price pattern.
    QCOMPARE(market.Goods->fieldByName(QStringLiteral("CostPrice")).displayText(), QStringLiteral("5.00"));
    QCOMPARE(MarketInfo::failedText(), QStringLiteral("异常：query"));

    // Searching marks the goods in this window's list only.
    QString error;
    QVERIFY(market.search(1, QStringLiteral("3"), &error));
    QCOMPARE(market.Goods->rowCount(), 1);
    QCOMPARE(m_books->base->Goods->isFiltered(), false);
    market.close();
    QVERIFY(!market.Cata->isOpen());
}

QTEST_GUILESS_MAIN(TestMarketInfo)
#include "test_marketinfo.moc"
