// Stocktaking: the arithmetic of booking a difference, and "调整" as one write that either
// books everything or leaves the file and the typed differences as they were.
#include "core/analysis/stockcheck.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/books.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestStockCheck : public QObject
{
    Q_OBJECT
private slots:
    void arithmetic_data();
    void arithmetic();
    void adjustBooksFromTheFile();
    void failedAdjustLeavesNothing_data();
    void failedAdjustLeavesNothing();
    void categoryFilters();

private:
    /// Books with counters: goods 1..4 have opening, stock-in and delivered quantities.
    static void fill(test::Books &b)
    {
        b.db().exec(QStringLiteral("UPDATE Goods SET PrevOnHand = 10, HandInc = 20, HandIncMny = 200, CustHandInc = 3, "
                                   "CustHandIncMny = 30 WHERE GoodID <= 4"));
        QVERIFY(b.base->MarkZeroGoods());
        QVERIFY(StockCheck::showCounted(*b.tab->GoodsCheck).ok());
    }
    static DatasetError type(Dataset &check, int goodId, double diff)
    {
        if (!check.locate(QStringLiteral("GoodID"), goodId))
            return DatasetError(DatasetError::Code::State, QStringLiteral("no goods %1").arg(goodId));
        DatasetError e = check.edit();
        if (e.ok())
            e = check.setValue(QStringLiteral("DiffCheck"), diff);
        if (e.ok())
            e = check.post();
        return e;
    }
    /// HandInc/CustHandInc/DiffCheck/HandIncMny/CustHandIncMny of every goods item in the file.
    static QStringList stored(test::Books &b)
    {
        QStringList out;
        QSqlQuery q = b.db().query(QStringLiteral("SELECT HandInc, CustHandInc, DiffCheck, HandIncMny, CustHandIncMny FROM Goods ORDER BY GoodID"));
        if (!q.exec())
            qFatal("cannot read the goods: %s", qPrintable(q.lastError().text()));
        while (q.next())
            out << QStringLiteral("%1/%2/%3/%4/%5")
                       .arg(test::exact(q.value(0).toDouble()), test::exact(q.value(1).toDouble()),
                            q.value(2).isNull() ? QStringLiteral("null") : test::exact(q.value(2).toDouble()),
                            test::exact(q.value(3).toDouble()), test::exact(q.value(4).toDouble()));
        return out;
    }
};

void TestStockCheck::arithmetic_data()
{
    QTest::addColumn<double>("handInc");
    QTest::addColumn<double>("delivered");
    QTest::addColumn<double>("diff");
    QTest::addColumn<double>("newHandInc");
    QTest::addColumn<double>("newDelivered");
    QTest::newRow("surplus beyond the delivered") << 7.0 << 3.0 << -5.0 << 9.0 << 0.0;
    QTest::newRow("surplus equal to the delivered") << 7.0 << 3.0 << -3.0 << 7.0 << 0.0;
    QTest::newRow("surplus below the delivered") << 7.0 << 3.0 << -1.0 << 7.0 << 2.0;
    QTest::newRow("shortage") << 7.0 << 3.0 << 4.0 << 7.0 << 7.0;
    QTest::newRow("nothing delivered, surplus") << 0.0 << 0.0 << -2.5 << 2.5 << 0.0;
    // Single precision: 0.1 and 0.2 as floats, summed as floats.
    QTest::newRow("single precision sum") << 0.0 << 0.1 << 0.2 << 0.0 << double(0.1f + 0.2f);
    QTest::newRow("single precision surplus")
        << 1.0 << 0.1 << -0.3 << 1.0 + double(0.3f - 0.1f) << 0.0;
}

void TestStockCheck::arithmetic()
{
    QFETCH(double, handInc);
    QFETCH(double, delivered);
    QFETCH(double, diff);
    QFETCH(double, newHandInc);
    QFETCH(double, newDelivered);
    const StockCheck::Counters after = StockCheck::adjusted({handInc, delivered}, diff);
    QCOMPARE(test::exact(after.HandInc), test::exact(newHandInc));
    QCOMPARE(test::exact(after.CustHandInc), test::exact(newDelivered));
    // The book stock moves by -diff (in the precision the counters are kept).
    QCOMPARE(float((after.HandInc - after.CustHandInc) - (handInc - delivered)), float(-diff));
}

void TestStockCheck::adjustBooksFromTheFile()
{
    test::Books b;
    fill(b);
    Dataset &check = *b.tab->GoodsCheck;
    QCOMPARE(check.rowCount(), 4); // goods 5 has no quantity
    // A difference saved earlier, and typed ones still pending.
    b.db().exec(QStringLiteral("UPDATE Goods SET DiffCheck = -5 WHERE GoodID = 1"));
    QVERIFY(type(check, 2, 4).ok());
    QVERIFY(type(check, 3, -3).ok());
    QVERIFY(check.updatesPending());
    // Another program delivers one more of goods 3 after this view read it.
    {
        test::Books other(b.set.path());
        other.bill(BillKind::Delivery, 1, {{3, 1, 10}});
    }
    b.tab->Goods->open();
    QVERIFY(check.locate(QStringLiteral("GoodID"), 4));

    const StockCheck::Result r = StockCheck::adjust(check, {b.tab->Goods});
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.adjusted, 3);
    QCOMPARE(stored(b), (QStringList{"22/0/0/200/30",  // -5 with 3 delivered: 2 more in
                                     "20/7/0/200/30",  // +4: 4 more delivered
                                     "20/1/0/200/40",  // -3 against the 4 delivered in the file
                                     "20/3/null/200/30", "0/0/null/0/0"}));
    QVERIFY(!check.updatesPending());
    // Every goods item listed, on the row it stood on, showing what was written.
    QVERIFY(!check.isFiltered());
    QCOMPARE(check.rowCount(), 5);
    QCOMPARE(check.value(QStringLiteral("GoodID")).toInt(), 4);
    QVERIFY(check.locate(QStringLiteral("GoodID"), 2));
    QCOMPARE(check.value(QStringLiteral("CustHandInc")).toDouble(), 7.0);
    QCOMPARE(check.value(QStringLiteral("DiffCheck")).toDouble(), 0.0);
    QVERIFY(b.tab->Goods->locate(QStringLiteral("GoodID"), 1));
    QCOMPARE(b.tab->Goods->value(QStringLiteral("HandInc")).toDouble(), 22.0);
    QCOMPARE(StockCheck::doneText(), QStringLiteral("盘点调整完毕。"));
}

void TestStockCheck::failedAdjustLeavesNothing_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("a row refused half-way") << "trigger";
    QTest::newRow("another program holds the file") << "lock";
    QTest::newRow("a difference beyond single precision") << "range";
}

void TestStockCheck::failedAdjustLeavesNothing()
{
    QFETCH(QString, failure);
    test::Books b;
    fill(b);
    Dataset &check = *b.tab->GoodsCheck;
    b.db().exec(QStringLiteral("UPDATE Goods SET DiffCheck = 2 WHERE GoodID = 4"));
    QVERIFY(type(check, 1, -5).ok());
    QVERIFY(type(check, 3, failure == QLatin1String("range") ? 1e39 : 1.5).ok());
    const QStringList before = stored(b);
    QCOMPARE(before.size(), 5);

    Database other(QStringLiteral("other program"));
    if (failure == QLatin1String("trigger")) {
        // Goods 1 is booked before goods 3 is refused.
        QVERIFY(b.db().exec(QStringLiteral("CREATE TRIGGER refuse3 BEFORE UPDATE OF CustHandInc ON Goods WHEN NEW.GoodID = 3 "
                                           "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    } else if (failure == QLatin1String("lock")) {
        QVERIFY(other.open(b.set.path()));
        QVERIFY(other.exec(QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(b.db().setBusyTimeout(50));
    }

    const StockCheck::Result r = StockCheck::adjust(check);
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
    if (failure == QLatin1String("lock"))
        QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    QCOMPARE(stored(b), before);
    // The typed differences are still there to be saved or adjusted later.
    QVERIFY(check.updatesPending());
    QVERIFY(check.locate(QStringLiteral("GoodID"), 1));
    QCOMPARE(check.value(QStringLiteral("DiffCheck")).toDouble(), -5.0);
    QCOMPARE(check.value(QStringLiteral("CustHandInc")).toDouble(), 3.0);
}

void TestStockCheck::categoryFilters()
{
    test::Books b;
    b.db().exec(QStringLiteral("INSERT INTO Catalogs(CataID, Catalog) VALUES (2, '食品')"));
    b.db().exec(QStringLiteral("UPDATE Goods SET CataID = 2 WHERE GoodID >= 4"));
    fill(b);
    Dataset &check = *b.tab->GoodsCheck;
    auto ids = [&] {
        QList<int> out;
        for (int row = 0; row < check.rowCount(); ++row)
            out << check.value(row, check.fieldIndex(QStringLiteral("GoodID"))).toInt();
        return out;
    };
    QCOMPARE(ids(), (QList<int>{1, 2, 3, 4}));
    QVERIFY(StockCheck::categoryChosen(check, 2, false).ok()); // unchecked: nothing
    QCOMPARE(ids(), (QList<int>{1, 2, 3, 4}));
    QVERIFY(StockCheck::categoryBox(check, 2, true).ok()); // the whole category
    QCOMPARE(ids(), (QList<int>{4, 5}));
    QVERIFY(StockCheck::categoryChosen(check, 2, true).ok()); // its goods with quantities
    QCOMPARE(ids(), (QList<int>{4}));
    QVERIFY(StockCheck::categoryBox(check, 2, false).ok()); // every goods item
    QCOMPARE(ids(), (QList<int>{1, 2, 3, 4, 5}));
}

QTEST_GUILESS_MAIN(TestStockCheck)
#include "test_stockcheck.moc"
