// A query read a page at a time: the first page on open, the next ones as they are asked
// for, and everything that needs every row reading the rest first.
#include "core/dataset/dataset.h"
#include "datasetfixture.h"

#include <QSignalSpy>
#include <QtTest>
#include <limits>

using namespace hemu;

namespace {

// The goods in code order, after the code of the last row read.
const char kPagedGoods[] = "SELECT GoodID, Description FROM Goods WHERE GoodID > :After ORDER BY GoodID LIMIT :PageSize";

void pageByGoods(Dataset &ds, int pageSize)
{
    ds.setPagedRead(pageSize, [](Dataset &d, const QVariantList &last) {
        d.setParam(QStringLiteral("After"), last.isEmpty() ? QVariant(std::numeric_limits<qint64>::min())
                                                           : last.value(d.fieldIndex(QStringLiteral("GoodID"))));
    });
}

QVariantList codes(Dataset &ds)
{
    QVariantList out;
    for (int r = 0; r < ds.rowCount(); ++r)
        out << ds.value(r, ds.fieldIndex(QStringLiteral("GoodID"))).toInt();
    return out;
}

} // namespace

class TestDatasetPages : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        books = std::make_unique<test::DatasetBooks>();
        books->addGoods(); // goods 1 to 6
        goods = std::make_unique<QueryDataset>(books->db, QStringLiteral("qGoods"), QString::fromLatin1(kPagedGoods));
        pageByGoods(*goods, 4);
    }
    void cleanup()
    {
        goods.reset();
        books.reset();
    }

    void readsOnAsAskedAndAnnouncesTheRows();
    void whatNeedsEveryRowReadsTheRest_data();
    void whatNeedsEveryRowReadsTheRest();
    void refreshKeepsWhatWasRead();
    void aKeyThatDoesNotMoveEndsTheReading();
    void aFailedPageKeepsTheRowsRead();

private:
    std::unique_ptr<test::DatasetBooks> books;
    std::unique_ptr<QueryDataset> goods;
};

void TestDatasetPages::readsOnAsAskedAndAnnouncesTheRows()
{
    QVERIFY(goods->open().ok());
    QCOMPARE(codes(*goods), (QVariantList{1, 2, 3, 4}));
    QVERIFY(goods->canFetchMore());
    QSignalSpy about(goods.get(), &Dataset::rowsAboutToBeAppended);
    QSignalSpy appended(goods.get(), &Dataset::rowsAppended);
    QVERIFY(goods->fetchMore().ok());
    QCOMPARE(codes(*goods), (QVariantList{1, 2, 3, 4, 5, 6}));
    QVERIFY(!goods->canFetchMore()); // a short page is the last
    QCOMPARE(about.size(), 1);
    QCOMPARE(appended.size(), 1);
    QCOMPARE(appended.first(), (QVariantList{4, 5}));
    QCOMPARE(goods->currentRow(), 0); // the cursor stays where it was

    // Moving on from the last row read reads the next page; eof only after the last row.
    goods->close();
    QVERIFY(goods->open().ok());
    int seen = 0;
    for (goods->first(); !goods->eof(); goods->next())
        ++seen;
    QCOMPARE(seen, 6);
}

void TestDatasetPages::whatNeedsEveryRowReadsTheRest_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("current"); // GoodID of the current row after it
    QTest::newRow("locate") << "locate" << 6;
    QTest::newRow("last") << "last" << 6;
    QTest::newRow("filter") << "filter" << 5;
    QTest::newRow("sort") << "sort" << 1; // the cursor keeps its row
}

void TestDatasetPages::whatNeedsEveryRowReadsTheRest()
{
    QFETCH(QString, action);
    QFETCH(int, current);
    QVERIFY(goods->open().ok());
    QCOMPARE(goods->rowCount(), 4);
    if (action == "locate") {
        QVERIFY(goods->locate("GoodID", 6));
    } else if (action == "last") {
        goods->last();
    } else if (action == "filter") {
        QVERIFY(goods->setFilter("GoodID >= 5").ok());
        QVERIFY(goods->setFiltered(true).ok());
        QCOMPARE(codes(*goods), (QVariantList{5, 6}));
    } else {
        QVERIFY(goods->setSort("GoodID DESC").ok());
        QCOMPARE(codes(*goods), (QVariantList{6, 5, 4, 3, 2, 1}));
    }
    QVERIFY(!goods->canFetchMore());
    QCOMPARE(goods->value("GoodID").toInt(), current);

    // With the filter or the sort still in force, opening again reads every row at once.
    goods->close();
    QVERIFY(goods->open().ok());
    QVERIFY(!goods->canFetchMore() || (action != "filter" && action != "sort"));
}

void TestDatasetPages::refreshKeepsWhatWasRead()
{
    QVERIFY(goods->open().ok());
    QVERIFY(goods->fetchMore().ok());
    QVERIFY(goods->setCurrentRow(5));
    books->exec("UPDATE Goods SET Description = 'Grape' WHERE GoodID = 6");
    QVERIFY(goods->refresh().ok());
    QCOMPARE(goods->rowCount(), 6);
    QCOMPARE(goods->value("Description").toString(), QString("Grape"));
}

void TestDatasetPages::aKeyThatDoesNotMoveEndsTheReading()
{
    // The statement ignores where it is told to go on: each page would be the first again.
    QueryDataset stuck(books->db, "qStuck", "SELECT GoodID FROM Goods WHERE :After IS NOT NULL ORDER BY GoodID LIMIT :PageSize");
    pageByGoods(stuck, 2);
    QVERIFY(stuck.open().ok());
    QVERIFY(stuck.fetchAll().ok());
    QCOMPARE(codes(stuck), (QVariantList{1, 2}));
    QVERIFY(!stuck.canFetchMore());
}

void TestDatasetPages::aFailedPageKeepsTheRowsRead()
{
    // The page after goods item 4 fails in the library (an integer overflow).
    QueryDataset failing(books->db, "qFailing",
                         "SELECT GoodID FROM Goods WHERE GoodID > :After "
                         "AND CASE WHEN :After = 4 THEN abs(-9223372036854775808) ELSE 1 END "
                         "ORDER BY GoodID LIMIT :PageSize");
    pageByGoods(failing, 4);
    QVERIFY(failing.open().ok());
    const DatasetError e = failing.fetchMore();
    QVERIFY(e.failed());
    QCOMPARE(codes(failing), (QVariantList{1, 2, 3, 4}));
    // Not asked again and again (a grid scrolled to its end would ask).
    QVERIFY(!failing.canFetchMore());
    QVERIFY(failing.fetchAll().ok());
    // A refresh starts again from the first page.
    QVERIFY(failing.refresh().ok());
    QVERIFY(failing.canFetchMore());
}

QTEST_GUILESS_MAIN(TestDatasetPages)
#include "test_datasetpages.moc"
