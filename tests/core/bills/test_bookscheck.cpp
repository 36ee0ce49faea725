// The books check: what it finds, and that it only ever reads.
#include "core/bills/bookscheck.h"
#include "core/db/database.h"
#include "support/books.h"

#include <QtTest>

using namespace hemu;
using namespace hemu::test;

class TestBooksCheck : public QObject
{
    Q_OBJECT
private slots:
    void findsCounterDifferences_data();
    void findsCounterDifferences();
    void runsWhileAnotherProgramWrites();
    void takesNoWriteLock();
};

void TestBooksCheck::findsCounterDifferences_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("difference");
    QTest::newRow("none") << "" << "";
    QTest::newRow("goods movement") << "UPDATE Goods SET HandInc = HandInc + 1 WHERE GoodID = 1" << "Goods 1 HandInc";
    QTest::newRow("delivered amount") << "UPDATE Goods SET CustHandIncMny = 0 WHERE GoodID = 2" << "Goods 2 CustHandIncMny";
    QTest::newRow("customer sale") << "UPDATE GoodsInCusts SET Sold = 0 WHERE GoodID = 2 AND CustID = 3" << "GoodsInCusts 2/3 Sold";
    QTest::newRow("customer row lost") << "DELETE FROM GoodsInCusts WHERE GoodID = 2 AND CustID = 3" << "GoodsInCusts 2/3 HandInc";
    QTest::newRow("bill total") << "UPDATE RuKuDan SET SumMoney = 1" << "RuKuDan 1: SumMoney";
    QTest::newRow("goods without a row are not counted") << "DELETE FROM Goods WHERE GoodID = 3" << "";
}

void TestBooksCheck::findsCounterDifferences()
{
    QFETCH(QString, change);
    QFETCH(QString, difference);
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}, {2, 5, 3}, {3, 1, 1}});
    books.bill(BillKind::Delivery, 3, {{2, 4, 3}});
    books.bill(BillKind::Receipt, 3, {{2, 1, 4}});
    if (!change.isEmpty())
        QVERIFY(books.db().exec(change));
    const BooksCheck::Report report = BooksCheck::run(books.db());
    QCOMPARE(report.error, QString());
    QCOMPARE(report.ok, difference.isEmpty());
    if (!difference.isEmpty())
        QVERIFY2(report.differences.join('\n').contains(difference), qPrintable(report.differences.join('\n')));
}

void TestBooksCheck::runsWhileAnotherProgramWrites()
{
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
    // Another program holds the write lock with a change of its own not yet committed.
    Database other;
    QVERIFY(other.open(books.set.path()));
    Transaction tx(other);
    QVERIFY(tx.isActive());
    QVERIFY(other.exec("UPDATE Goods SET HandInc = 99 WHERE GoodID = 1"));
    Database checker;
    QVERIFY(checker.open(books.set.path()));
    const BooksCheck::Report report = BooksCheck::run(checker);
    QCOMPARE(report.error, QString());
    QVERIFY2(report.ok, qPrintable(report.differences.join('\n')));
    QVERIFY(tx.commit());
    QVERIFY(!BooksCheck::run(checker).ok);
}

void TestBooksCheck::takesNoWriteLock()
{
    Books books;
    books.bill(BillKind::StockIn, 1, {{1, 10, 2}});
    Database checker;
    QVERIFY(checker.open(books.set.path()));
    Database other;
    QVERIFY(other.open(books.set.path()));
    {
        // While a check reads its snapshot, another program writes and commits at once.
        ReadTransaction snapshot(checker);
        QVERIFY(snapshot.isActive());
        QVERIFY(BooksCheck::run(checker).ok);
        Transaction tx(other);
        QVERIFY(tx.isActive());
        QVERIFY(other.exec("UPDATE Goods SET HandInc = 99 WHERE GoodID = 1"));
        QVERIFY(tx.commit());
        // The snapshot still sees the books as they were.
        QVERIFY(BooksCheck::run(checker).ok);
    }
    QVERIFY(!BooksCheck::run(checker).ok);
}

QTEST_GUILESS_MAIN(TestBooksCheck)
#include "test_bookscheck.moc"
