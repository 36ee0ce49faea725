// The profit figures: which goods are counted where, the margins, the selection and period
// totals in their texts, and the category chart's slices and labels.
#include "core/analysis/profits.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestProfits : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void itemsListedAndFigures();
    void periodTotals_data();
    void periodTotals();
    void selectionTotals_data();
    void selectionTotals();
    void categoryFilter();
    void pieSlices();
    void pieTexts_data();
    void pieTexts();

private:
    void goods(int id, int cata, double soldMny, double sold, const QVariant &avgPrice);
    QList<qint64> ids(Dataset &ds, const QString &field);
    test::TempAccountSet *m_set = nullptr;
    Database *m_db = nullptr;
};

void TestProfits::init()
{
    m_set = new test::TempAccountSet;
    m_db = new Database;
    QVERIFY(m_db->open(m_set->path()));
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO Catalogs(CataID, Catalog) VALUES (1, '饮料'), (2, '食品'), (3, '日用')")));
    goods(1, 1, 100, 10, 6);          // cost 60, profit 40, margin 0.4
    goods(2, 1, 50, 5, QVariant());   // no average price: in the chart only
    goods(3, 2, 0, 4, 3);             // sold for nothing: nowhere
    goods(4, 2, 30, 3, 12);           // a loss: cost 36, profit -6, margin -0.2
    goods(5, 3, 0, 0, 2);             // nothing sold
    goods(6, 9, 10, 1, 1);            // a category not on file: listed, not in the chart
}

void TestProfits::cleanup()
{
    delete m_db;
    delete m_set;
}

void TestProfits::goods(int id, int cata, double soldMny, double sold, const QVariant &avgPrice)
{
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO Goods(GoodID, Description, CataID, SoldMny, Sold) VALUES (?, ?, ?, ?, ?)"),
                       {id, QStringLiteral("货品%1").arg(id), cata, soldMny, sold}));
    if (avgPrice.isValid())
        QVERIFY(m_db->exec(QStringLiteral("INSERT INTO GoodsAvgPrice(GoodID, CostAvgPrice) VALUES (?, ?)"), {id, avgPrice}));
}

QList<qint64> TestProfits::ids(Dataset &ds, const QString &field)
{
    QList<qint64> out;
    for (int r = 0; r < ds.rowCount(); ++r)
        out << ds.value(r, ds.fieldIndex(field)).toLongLong();
    return out;
}

void TestProfits::itemsListedAndFigures()
{
    Profits p(*m_db);
    QVERIFY(p.open().ok());
    QCOMPARE(ids(*p.qProfits, QStringLiteral("GoodID")), (QList<qint64>{1, 4, 6}));
    struct Expected
    {
        int goods;
        const char *cata, *cost, *profit, *rate;
    };
    for (const Expected &e : {Expected{1, "饮料", "60.00", "40.00", "0.40"}, Expected{4, "食品", "36.00", "-6.00", "-0.20"},
                              Expected{6, "", "1.00", "9.00", "0.90"}}) {
        QVERIFY(p.qProfits->locate(QStringLiteral("GoodID"), e.goods));
        QCOMPARE(p.qProfits->fieldByName(QStringLiteral("CataName")).displayText(), QString::fromUtf8(e.cata));
        QCOMPARE(p.qProfits->fieldByName(QStringLiteral("CostMny")).displayText(), QString::fromLatin1(e.cost));
        QCOMPARE(p.qProfits->fieldByName(QStringLiteral("surProfit")).displayText(), QString::fromLatin1(e.profit));
        QCOMPARE(p.qProfits->fieldByName(QStringLiteral("proRate")).displayText(), QString::fromLatin1(e.rate));
    }
    // The list's own columns, in order, as the command line gives them too.
    QStringList data;
    for (Field *f : p.qProfits->fields())
        if (f->isData())
            data << f->name();
    QCOMPARE(data, (QStringList{"CataID", "GoodID", "Description", "SoldMny", "Sold", "CostAvgPrice", "CostMny", "surProfit",
                                "proRate"}));

    // A new average price shows when the list is read again.
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO GoodsAvgPrice(GoodID, CostAvgPrice) VALUES (2, 4)")));
    QVERIFY(p.open().ok());
    QCOMPARE(ids(*p.qProfits, QStringLiteral("GoodID")), (QList<qint64>{1, 2, 4, 6}));
}

void TestProfits::periodTotals_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("figures");
    // Items 2 (no average price), 3 and 5 (sold for nothing) count nowhere.
    QTest::newRow("as booked") << QString() << QStringList{"140.00", "14.00", "6.33", "97.00", "43.00", "0.31"};
    QTest::newRow("nothing sold") << QStringLiteral("UPDATE Goods SET SoldMny = 0, Sold = 0")
                                  << QStringList{"0.00", "0.00", "0.00", "0.00", "0.00", "0.00"};
    QTest::newRow("sales cancel out") << QStringLiteral("UPDATE Goods SET SoldMny = CASE GoodID WHEN 1 THEN 40 WHEN 4 THEN -50 "
                                                        "ELSE SoldMny END")
                                      << QStringList{"0.00", "14.00", "6.33", "97.00", "-97.00", "0.00"};
}

void TestProfits::periodTotals()
{
    QFETCH(QString, change);
    QFETCH(QStringList, figures);
    if (!change.isEmpty())
        QVERIFY(m_db->exec(change));
    Profits p(*m_db);
    const QStringList labels{"营业额", "销售数量", "平均成本价", "购入成本", "毛利", "毛利率"};
    QStringList expected{QStringLiteral("当前经营状况："), QStringLiteral("--------------")};
    for (int i = 0; i < labels.size(); ++i)
        expected << labels[i] + QLatin1Char(':') + figures[i];
    DatasetError error;
    QCOMPARE(p.allProfitLines(&error), expected);
    QVERIFY(error.ok());
}

void TestProfits::selectionTotals_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("none") << QList<int>{} << QStringList{};
    QTest::newRow("rows out of the list") << QList<int>{-1, 7} << QStringList{};
    QTest::newRow("one") << QList<int>{1} << QStringList{"选项:", "货品4", " ", "选项合计:", "", "销售数量3.00,营业额30.00,成本额36.00,毛利-6.00"};
    QTest::newRow("in list order, whatever the order given")
        << QList<int>{2, 0, 0} << QStringList{"选项:", "货品1, 货品6", " ", "选项合计:", "", "销售数量11.00,营业额110.00,成本额61.00,毛利49.00"};
    // 1234567.89 + 0.01 in single precision stays 1234567.875: "…7.88", not "…7.90".
    QTest::newRow("single precision") << QList<int>{3, 4} << QStringList{"选项:", "大件, 小件", " ", "选项合计:", "",
                                                                         "销售数量2.00,营业额1234567.88,成本额0.00,毛利1234567.88"};
}

void TestProfits::selectionTotals()
{
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, lines);
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO Goods(GoodID, Description, CataID, SoldMny, Sold) VALUES "
                                      "(7, '大件', 1, 1234567.89, 1), (8, '小件', 1, 0.01, 1)")));
    QVERIFY(m_db->exec(QStringLiteral("INSERT INTO GoodsAvgPrice(GoodID, CostAvgPrice) VALUES (7, 0), (8, 0)")));
    Profits p(*m_db);
    QVERIFY(p.open().ok());
    QCOMPARE(ids(*p.qProfits, QStringLiteral("GoodID")), (QList<qint64>{1, 4, 6, 7, 8}));
    QCOMPARE(p.selectionLines(rows), lines);
}

void TestProfits::categoryFilter()
{
    Profits p(*m_db);
    QVERIFY(p.open().ok());
    QVERIFY(p.filterCategory(2).ok());
    QCOMPARE(ids(*p.qProfits, QStringLiteral("GoodID")), (QList<qint64>{4}));
    // A category without listed items leaves the list empty, and a selection in it nothing.
    QVERIFY(p.filterCategory(3).ok());
    QVERIFY(p.qProfits->isEmpty());
    QVERIFY(p.selectionLines({0}).isEmpty());
    QVERIFY(p.filterCategory(std::nullopt).ok());
    QCOMPARE(p.qProfits->rowCount(), 3);
}

void TestProfits::pieSlices()
{
    Profits p(*m_db);
    QVERIFY(p.openCategories().ok());
    // Every item of a category on file counts, with or without an average price; a category
    // that sold nothing has no slice.
    QCOMPARE(ids(*p.qCataStatictic, QStringLiteral("CataID")), (QList<qint64>{1, 2, 3}));
    QVERIFY(m_db->exec(QStringLiteral("UPDATE Goods SET SoldMny = 300 WHERE GoodID = 3")));
    QVERIFY(p.openCategories().ok());
    const QList<Profits::Share> slices = p.pieSlices();
    QCOMPARE(slices.size(), 2);
    QCOMPARE(slices[0].label, QStringLiteral("食品"));
    QCOMPARE(slices[0].value, 330.0);
    QCOMPARE(slices[1].label, QStringLiteral("饮料"));
    QCOMPARE(slices[1].value, 150.0);
    QCOMPARE(test::exact(slices[0].percent + slices[1].percent), QStringLiteral("100"));
    QCOMPARE(QString::number(slices[1].percent, 'f', 4), QStringLiteral("31.2500"));
}

void TestProfits::pieTexts_data()
{
    QTest::addColumn<int>("labels");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("legend");
    QTest::newRow("at first") << int(PieLabels::Start) << "31.25 %" << "饮料  1,234.5";
    QTest::newRow("percentages") << int(PieLabels::Percent) << "31.25 %" << "31.25 %  饮料";
    QTest::newRow("values") << int(PieLabels::Value) << "1,234.5" << "1,234.5  饮料";
}

void TestProfits::pieTexts()
{
    QFETCH(int, labels);
    QFETCH(QString, mark);
    QFETCH(QString, legend);
    QCOMPARE(PieText::mark(PieLabels(labels), 1234.5, 31.25), mark);
    QCOMPARE(PieText::legend(PieLabels(labels), QStringLiteral("饮料"), 1234.5, 31.25), legend);
}

QTEST_GUILESS_MAIN(TestProfits)
#include "test_profits.moc"
