// A dataset's edit or delete of a row another connection changed or deleted since it was
// read is refused inside the write, and the row is read again; nothing is written.
#include "datasetfixture.h"

using namespace hemu;
using test::DatasetBooks;

class TestDatasetConflict : public QObject
{
    Q_OBJECT
private slots:
    void staleRow_data();
    void staleRow();
    void hooksReadInsideTheWrite();
};

void TestDatasetConflict::staleRow_data()
{
    QTest::addColumn<QString>("otherChange");
    QTest::addColumn<QString>("write");
    QTest::addColumn<bool>("refused");
    QTest::newRow("edit, conflict field changed") << "UPDATE Goods SET CostPrice = 7 WHERE GoodID = 1" << "edit" << true;
    QTest::newRow("edit, other field changed") << "UPDATE Goods SET HardOrder = 9 WHERE GoodID = 1" << "edit" << false;
    QTest::newRow("edit, row deleted") << "DELETE FROM Goods WHERE GoodID = 1" << "edit" << true;
    QTest::newRow("delete, conflict field changed") << "UPDATE Goods SET CostPrice = 7 WHERE GoodID = 1" << "delete" << true;
    QTest::newRow("delete, row deleted") << "DELETE FROM Goods WHERE GoodID = 1" << "delete" << true;
    QTest::newRow("delete, other field changed") << "UPDATE Goods SET HardOrder = 9 WHERE GoodID = 1" << "delete" << false;
}

void TestDatasetConflict::staleRow()
{
    QFETCH(QString, otherChange);
    QFETCH(QString, write);
    QFETCH(bool, refused);
    DatasetBooks books;
    books.addGoods();
    TableDataset goods(books.db, "Goods", "Goods");
    goods.setConflictFields({"CostPrice", "Description"});
    int conflicts = 0;
    goods.hooks().onConflict = [&](Dataset &ds, const DatasetError &e) {
        ++conflicts;
        QCOMPARE(e.message(), ds.conflictText());
        QCOMPARE(books.db.transactionDepth(), 0);
    };
    QVERIFY(goods.open().ok());
    QVERIFY(goods.locate("GoodID", 1));

    Database other;
    QVERIFY(other.open(books.set.path()));
    QVERIFY(other.exec(otherChange));
    const QString before = books.scalar("SELECT group_concat(GoodID || ':' || Description || ':' || CostPrice || ':' || "
                                        "coalesce(HardOrder, '')) FROM Goods").toString();

    DatasetError e;
    if (write == "edit") {
        QVERIFY(goods.edit().ok());
        QVERIFY(goods.setValue("Description", "Pear").ok());
        e = goods.post();
    } else {
        e = goods.remove();
    }
    QCOMPARE(e.code() == DatasetError::Code::Conflict, refused);
    QCOMPARE(conflicts, refused ? 1 : 0);
    if (refused) {
        QVERIFY(e.isReported());
        QCOMPARE(goods.state(), Dataset::State::Browse);
        QCOMPARE(books.scalar("SELECT group_concat(GoodID || ':' || Description || ':' || CostPrice || ':' || "
                              "coalesce(HardOrder, '')) FROM Goods").toString(),
                 before);
        // The view shows the row as the file holds it now, or no longer shows it.
        const QVariant stored = books.scalar("SELECT CostPrice FROM Goods WHERE GoodID = 1");
        QCOMPARE(goods.locate("GoodID", 1), stored.isValid());
        if (stored.isValid())
            QCOMPARE(goods.value("CostPrice").toDouble(), stored.toDouble());
    } else {
        QVERIFY(e.ok());
    }
}

void TestDatasetConflict::hooksReadInsideTheWrite()
{
    DatasetBooks books;
    books.addGoods();
    TableDataset goods(books.db, "Goods", "Goods");
    QList<int> depths;
    goods.hooks().onPostBegin = [&](Dataset &ds) {
        depths << books.db.transactionDepth();
        // A value set here is written with the row.
        return ds.setValue("HardOrder", 42);
    };
    goods.hooks().onDeleteBegin = [&](Dataset &) {
        depths << books.db.transactionDepth();
        return DatasetError(DatasetError::Code::Refused, QString());
    };
    QVERIFY(goods.open().ok());
    QVERIFY(goods.locate("GoodID", 2));
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue("Description", "Banana").ok());
    QVERIFY(goods.post().ok());
    QCOMPARE(books.scalar("SELECT HardOrder FROM Goods WHERE GoodID = 2").toInt(), 42);
    QCOMPARE(goods.value("HardOrder").toInt(), 42);
    // A refusal before the delete leaves the row.
    QVERIFY(goods.remove().isRefused());
    QCOMPARE(books.scalar("SELECT count(*) FROM Goods WHERE GoodID = 2").toInt(), 1);
    QCOMPARE(depths, QList<int>({1, 1}));
}

QTEST_GUILESS_MAIN(TestDatasetConflict)
#include "test_datasetconflict.moc"
