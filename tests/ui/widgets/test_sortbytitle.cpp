// The column-title sort of grids: the sort text it chooses and the row it keeps.
#include "core/data/sortbytitle.h"
#include "support/goodsbooks.h"

#include <QtTest>

using namespace hemu;

class TestSortByTitle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sortText_data();
    void sortText();
    void clicksAlternate();
    void keepsCurrentRow();
    void failureStaysSilent();

private:
    std::unique_ptr<test::GoodsBooks> m_books;
};

void TestSortByTitle::init()
{
    m_books = std::make_unique<test::GoodsBooks>();
    m_books->open();
}

void TestSortByTitle::cleanup()
{
    m_books.reset();
}

void TestSortByTitle::sortText_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unsorted: ascending") << "" << "Description" << "Description ASC";
    QTest::newRow("ascending: descending") << "Description ASC" << "Description" << "Description DESC";
    QTest::newRow("descending: ascending again") << "Description DESC" << "Description" << "Description ASC";
    QTest::newRow("same sort written otherwise") << "description  asc" << "Description" << "Description DESC";
    QTest::newRow("other column: ascending") << "Description ASC" << "SellPrice" << "SellPrice ASC";
    QTest::newRow("lookup sorts by its key") << "" << "lkCata" << "CataID ASC";
    QTest::newRow("lookup after its key ascending") << "CataID ASC" << "lkCata" << "CataID DESC";
    QTest::newRow("longer sort is not the column's") << "CataID ASC,GoodID ASC" << "CataID" << "CataID ASC";
    QTest::newRow("unknown field: nothing") << "" << "NoSuchField" << "";
}

void TestSortByTitle::sortText()
{
    QFETCH(QString, current);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QVERIFY(m_books->goods->setSort(current).ok());
    QCOMPARE(titleSortText(*m_books->goods, field), expected);
    QCOMPARE(SortByTitle(*m_books->goods, field), expected);
    QCOMPARE(m_books->goods->sort(), expected.isEmpty() ? current : expected);
    QCOMPARE(isTitleSortOf(*m_books->goods, field, m_books->goods->sort()), !expected.isEmpty());
}

void TestSortByTitle::clicksAlternate()
{
    Dataset &goods = *m_books->goods;
    QCOMPARE(SortByTitle(goods, QStringLiteral("lkCata")), QStringLiteral("CataID ASC"));
    QCOMPARE(m_books->goodIds(), (QList<int>{1, 4, 2, 5, 3}));
    QCOMPARE(SortByTitle(goods, QStringLiteral("lkCata")), QStringLiteral("CataID DESC"));
    QCOMPARE(m_books->goodIds(), (QList<int>{3, 2, 5, 1, 4}));
    QCOMPARE(SortByTitle(goods, QStringLiteral("SellPrice")), QStringLiteral("SellPrice ASC"));
    QCOMPARE(m_books->goodIds(), (QList<int>{1, 4, 2, 5, 3}));
    QCOMPARE(SortByTitle(goods, QStringLiteral("SellPrice")), QStringLiteral("SellPrice DESC"));
    QCOMPARE(m_books->goodIds(), (QList<int>{3, 5, 2, 4, 1}));
}

void TestSortByTitle::keepsCurrentRow()
{
    Dataset &goods = *m_books->goods;
    QVERIFY(goods.locate(QStringLiteral("GoodID"), 2));
    SortByTitle(goods, QStringLiteral("HandInc"));
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 2);
    QCOMPARE(goods.currentRow(), 3); // -5, 0, 12, 20, 100

    // A pending change is posted first, then sorted with the others.
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue(QStringLiteral("HandInc"), 1000).ok());
    QCOMPARE(SortByTitle(goods, QStringLiteral("HandInc")), QStringLiteral("HandInc DESC"));
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 2);
    QCOMPARE(goods.currentRow(), 0);
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 2).toInt(), 1000);
}

void TestSortByTitle::failureStaysSilent()
{
    Dataset &goods = *m_books->goods;
    QVERIFY(goods.locate(QStringLiteral("GoodID"), 4));
    // A pending row that cannot be posted: nothing sorted, the row stays as the user left it.
    goods.fieldByName(QStringLiteral("Description")).setRequired(true);
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue(QStringLiteral("Description"), QString()).ok());
    QCOMPARE(SortByTitle(goods, QStringLiteral("Description")), QString());
    QCOMPARE(goods.sort(), QString());
    QCOMPARE(goods.state(), Dataset::State::Edit);
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 4);

    goods.close();
    QCOMPARE(SortByTitle(goods, QStringLiteral("Description")), QString());
}

QTEST_MAIN(TestSortByTitle)
#include "test_sortbytitle.moc"
