// How a dataset keeps its rows: packed values that come back exactly as read, rows found
// again by rowid whatever their order, lookups that follow changed rows, and kept
// statements that never hold the connection open.
#include "core/dataset/rowvalues.h"
#include "core/db/sqlstatement.h"
#include "datasetfixture.h"

#include <QFile>
#include <QSignalSpy>
#include <sqlite3.h>

using namespace hemu;
using namespace hemu::test;

Q_DECLARE_METATYPE(hemu::RowValues)

class TestDatasetRows : public QObject
{
    Q_OBJECT
private slots:
    void packedValuesComeBackAsTheyWere();
    void storedValuesKeepTheirTypes_data();
    void storedValuesKeepTheirTypes();
    void refreshFindsRowsByRowid_data();
    void refreshFindsRowsByRowid();
    void lookupsFollowChangedRows();
    void keptStatementsLetTheConnectionClose();
    void keptStatementsAreNeverShared();
    void rowsReadOnFirstUse_data();
    void rowsReadOnFirstUse();
    void rowsOnFirstUseFollowTheOpen();
    void readAgainOnlyWhenChanged_data();
    void readAgainOnlyWhenChanged();
    void staleViewReadOnNextUse_data();
    void staleViewReadOnNextUse();
    void staleViewKeepsPendingWork_data();
    void staleViewKeepsPendingWork();
    void manyRowsReadAgainWhole();
};

namespace {
enum class Since { Nothing, OwnWrite, OtherProgram, NewTable, ReadInTransaction, OtherParameter, EditInMemory };
}
Q_DECLARE_METATYPE(Since)

void TestDatasetRows::packedValuesComeBackAsTheyWere()
{
    const QVector<QVariant> values{QVariant(), QVariant(qlonglong(-7)), QVariant(2.5), QVariant(QString()), QVariant(QString("")),
                                   QVariant(QStringLiteral("苹果 550ml")), QVariant(QByteArray()), QVariant(QByteArray("", 0)),
                                   QVariant(QByteArray("\0x", 2))};
    RowValues row(values);
    row.pack();
    QVERIFY(row.isPacked());
    QCOMPARE(row.size(), values.size());
    for (int i = 0; i < values.size(); ++i) {
        QCOMPARE(row.at(i).typeId(), values[i].typeId());
        QCOMPARE(row.at(i), values[i]);
    }
    QVERIFY(row.at(3).toString().isNull());
    QVERIFY(!row.at(4).toString().isNull());
    QVERIFY(row.at(6).toByteArray().isNull());
    QVERIFY(!row.at(7).toByteArray().isNull());
    QVERIFY(!row.at(99).isValid());

    // A copy is independent; an assignment unpacks only the row assigned.
    RowValues copy = row;
    copy.set(1, QVariant(qlonglong(8)));
    QVERIFY(!copy.isPacked());
    QCOMPARE(row.at(1), QVariant(qlonglong(-7)));
    QVERIFY(copy != row);
    copy.set(1, QVariant(qlonglong(-7)));
    QVERIFY(copy == row);
    // Equal as QVariant compares them: an integer and the same real are one value.
    QVERIFY(RowValues({QVariant(qlonglong(1))}) == RowValues({QVariant(1.0)}));

    // A value of another type keeps the row as it is rather than changing it.
    RowValues odd(QVector<QVariant>{QVariant(true), QVariant(QDate(2026, 1, 2))});
    odd.pack();
    QVERIFY(!odd.isPacked());
    QCOMPARE(odd.at(1).typeId(), QMetaType::QDate);
}

void TestDatasetRows::storedValuesKeepTheirTypes_data()
{
    QTest::addColumn<QString>("literal");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::newRow("integer") << "42" << int(QMetaType::LongLong) << "42";
    QTest::newRow("real") << "1.25" << int(QMetaType::Double) << "1.25";
    QTest::newRow("text") << "'禾木 A'" << int(QMetaType::QString) << "禾木 A";
    QTest::newRow("empty text") << "''" << int(QMetaType::QString) << "";
    QTest::newRow("blob") << "X'4142'" << int(QMetaType::QByteArray) << "AB";
    QTest::newRow("empty blob") << "X''" << int(QMetaType::QByteArray) << "";
    QTest::newRow("null") << "NULL" << int(QMetaType::UnknownType) << "";
}

void TestDatasetRows::storedValuesKeepTheirTypes()
{
    QFETCH(QString, literal);
    QFETCH(int, type);
    QFETCH(QString, text);
    DatasetBooks books;
    // A BLOB column keeps whatever type each value was written with.
    books.exec(QStringLiteral("INSERT INTO Catalogs (CataID, Catalog, Picture) VALUES (1, 'x', %1)").arg(literal));
    TableDataset cata(books.db, QStringLiteral("Cata"), QStringLiteral("Catalogs"));
    cata.addDataFields({QStringLiteral("CataID"), QStringLiteral("Picture")});
    QVERIFY(cata.open().ok());
    const QVariant v = cata.value(0, cata.fieldIndex(QStringLiteral("Picture")));
    QCOMPARE(v.typeId(), type);
    QCOMPARE(v.toString(), text);
    // Editing another column writes the row back unchanged.
    QVERIFY(cata.edit().ok());
    QVERIFY(cata.setValue(QStringLiteral("CataID"), 2).ok());
    QVERIFY(cata.post().ok());
    QCOMPARE(books.scalar(QStringLiteral("SELECT typeof(Picture) FROM Catalogs WHERE CataID = 2")).toString(),
             books.scalar(QStringLiteral("SELECT typeof(%1)").arg(literal)).toString());
}

void TestDatasetRows::refreshFindsRowsByRowid_data()
{
    QTest::addColumn<bool>("outOfOrder");
    QTest::newRow("rows in rowid order") << false;
    QTest::newRow("a row entered with a lower key") << true;
}

void TestDatasetRows::refreshFindsRowsByRowid()
{
    QFETCH(bool, outOfOrder);
    DatasetBooks books;
    books.addGoods();
    books.exec(QStringLiteral("DELETE FROM Goods WHERE GoodID = 2"));
    TableDataset goods(books.db, QStringLiteral("Goods"), QStringLiteral("Goods"));
    QVERIFY(goods.open().ok());
    if (outOfOrder) { // typed into the list after the others, with a key below theirs
        QVERIFY(goods.append().ok());
        QVERIFY(goods.setValue(QStringLiteral("GoodID"), 2).ok());
        QVERIFY(goods.setValue(QStringLiteral("Description"), QStringLiteral("Pear")).ok());
        QVERIFY(goods.post().ok());
    } else {
        books.exec(QStringLiteral("INSERT INTO Goods (GoodID, Description) VALUES (2, 'Pear')"));
        QVERIFY(goods.refreshRow(2).ok());
    }
    QCOMPARE(ids(goods, QStringLiteral("GoodID")), (QList<qint64>{1, 3, 4, 5, 6, 2}));

    books.exec(QStringLiteral("UPDATE Goods SET Description = 'Plum' WHERE GoodID IN (2, 5)"));
    books.exec(QStringLiteral("DELETE FROM Goods WHERE GoodID = 3"));
    books.exec(QStringLiteral("INSERT INTO Goods (GoodID, Description) VALUES (7, 'Fig')"));
    QVERIFY(goods.refreshRows({5, 2, 3, 7}).ok());
    QCOMPARE(ids(goods, QStringLiteral("GoodID")), (QList<qint64>{1, 4, 5, 6, 2, 7}));
    QCOMPARE(column(goods, QStringLiteral("Description")),
             (QVariantList{QStringLiteral("Apple"), QStringLiteral("苹果"), QStringLiteral("Plum"), QStringLiteral("apple"),
                           QStringLiteral("Plum"), QStringLiteral("Fig")}));
    QVERIFY(goods.locateRowid(2));
    QCOMPARE(goods.currentRow(), 4);
    QVERIFY(goods.locateRowid(7));
    QCOMPARE(goods.value(QStringLiteral("Description")).toString(), QStringLiteral("Fig"));
    QVERIFY(!goods.locateRowid(3));
    QCOMPARE(goods.currentRow(), 5);
}

void TestDatasetRows::lookupsFollowChangedRows()
{
    DatasetBooks books;
    books.addGoods();
    TableDataset units(books.db, QStringLiteral("Units"), QStringLiteral("Units"));
    TableDataset goods(books.db, QStringLiteral("Goods"), QStringLiteral("Goods"));
    goods.addDataFields({QStringLiteral("GoodID"), QStringLiteral("UnitID")});
    goods.addLookupField(QStringLiteral("lkUnit"), &units, QStringLiteral("UnitID"), QStringLiteral("Unit"), QStringLiteral("UnitID"));
    QVERIFY(units.open().ok());
    QVERIFY(goods.open().ok());
    auto unitOf = [&](int goodId) {
        goods.locate(QStringLiteral("GoodID"), goodId);
        return goods.value(QStringLiteral("lkUnit"));
    };
    QCOMPARE(unitOf(1), QVariant(QStringLiteral("个")));

    // Another column of the looked-up row changes: the lookup shows the new text.
    books.exec(QStringLiteral("UPDATE Units SET Unit = '只' WHERE UnitID = 1"));
    QVERIFY(units.refreshRow(1).ok());
    QCOMPARE(unitOf(1), QVariant(QStringLiteral("只")));
    // The key itself changes: the old key finds nothing, the new one finds the row.
    books.exec(QStringLiteral("UPDATE Units SET UnitID = 9 WHERE UnitID = 2"));
    QVERIFY(units.refreshRows({2, 9}).ok());
    QVERIFY(unitOf(2).isNull());
    QCOMPARE(unitOf(4), QVariant(QStringLiteral("箱"))); // goods 4 points at unit 9
    // A new row with a new key is found; a second row with a known key is not the one found.
    books.exec(QStringLiteral("INSERT INTO Units (UnitID, Unit) VALUES (2, '盒')"));
    QVERIFY(units.refreshRow(2).ok());
    QCOMPARE(unitOf(2), QVariant(QStringLiteral("盒")));
    QCOMPARE(units.lookup({QStringLiteral("Unit")}, {QStringLiteral("只")}, QStringLiteral("UnitID")), QVariant(qlonglong(1)));
    // The row found for a key goes: the lookup finds nothing for it.
    books.exec(QStringLiteral("DELETE FROM Units WHERE UnitID = 1"));
    QVERIFY(units.refreshRow(1).ok());
    QVERIFY(unitOf(1).isNull());
    QCOMPARE(unitOf(2), QVariant(QStringLiteral("盒")));
}

void TestDatasetRows::keptStatementsLetTheConnectionClose()
{
    DatasetBooks books;
    books.addGoods();
    TableDataset goods(books.db, QStringLiteral("Goods"), QStringLiteral("Goods"));
    QVERIFY(goods.open().ok());
    QVERIFY(goods.refreshRow(1).ok()); // leaves its statement kept on the connection
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue(QStringLiteral("Description"), QStringLiteral("Quince")).ok());
    QVERIFY(goods.post().ok());
    // Closed under an open dataset, the connection still closes for real: the last
    // connection of a WAL file checkpoints it and removes the log.
    books.db.close();
    QVERIFY(!QFile::exists(books.set.path() + QStringLiteral("-wal")));
    QVERIFY(books.db.open(books.set.path()));
    QCOMPARE(books.scalar(QStringLiteral("SELECT Description FROM Goods WHERE GoodID = 1")).toString(), QStringLiteral("Quince"));
}

void TestDatasetRows::keptStatementsAreNeverShared()
{
    DatasetBooks books;
    books.addGoods();
    const QString sql = QStringLiteral("SELECT Description FROM Goods WHERE GoodID >= ? ORDER BY GoodID");
    // Two readers of one text at once, the second made before the first has stepped.
    SqlStatement outer(books.db, sql);
    SqlStatement inner(books.db, sql);
    QVERIFY(outer.ok() && inner.ok());
    QVERIFY(outer.handle() != inner.handle());
    QVERIFY(outer.bind(1, 5) && inner.bind(1, 1));
    QCOMPARE(outer.step(), SQLITE_ROW);
    QCOMPARE(inner.step(), SQLITE_ROW);
    QCOMPARE(outer.column(0).toString(), QStringLiteral("O'Neil"));
    QCOMPARE(inner.column(0).toString(), QStringLiteral("Apple"));
    // Many different texts: past the connection's share they are prepared one by one, and
    // every one of them still runs.
    for (int i = 0; i < 600; ++i) {
        SqlStatement st(books.db, QStringLiteral("SELECT %1 + ?").arg(i));
        QVERIFY(st.ok() && st.bind(1, 1));
        QCOMPARE(st.step(), SQLITE_ROW);
        QCOMPARE(st.column(0).toInt(), i + 1);
    }
}

void TestDatasetRows::rowsReadOnFirstUse_data()
{
    // Whatever a window or a rule calls first, it sees the rows.
    QTest::addColumn<QString>("firstUse");
    for (const char *use : {"rowCount", "currentRow", "value", "eof", "locate", "next", "lookup from another view",
                            "lookup", "edit", "append", "remove"})
        QTest::newRow(use) << QString::fromLatin1(use);
}

void TestDatasetRows::rowsReadOnFirstUse()
{
    QFETCH(QString, firstUse);
    DatasetBooks books;
    books.addGoods();
    TableDataset units(books.db, QStringLiteral("Units"), QStringLiteral("Units"));
    units.setLoadOnFirstUse(true);
    TableDataset goods(books.db, QStringLiteral("Goods"), QStringLiteral("Goods"));
    goods.addDataFields({QStringLiteral("GoodID"), QStringLiteral("UnitID")});
    goods.addLookupField(QStringLiteral("lkUnit"), &units, QStringLiteral("UnitID"), QStringLiteral("Unit"), QStringLiteral("UnitID"));
    QVERIFY(units.open().ok());
    QVERIFY(goods.open().ok());
    QVERIFY(units.isOpen());
    QCOMPARE(units.state(), Dataset::State::Browse);
    // Written after the open and before the first use: the view shows it, as an open then would.
    books.exec(QStringLiteral("INSERT INTO Units (UnitID, Unit) VALUES (3, '袋')"));

    if (firstUse == QLatin1String("rowCount")) {
        QCOMPARE(units.rowCount(), 3);
    } else if (firstUse == QLatin1String("currentRow")) {
        QCOMPARE(units.currentRow(), 0);
    } else if (firstUse == QLatin1String("value")) {
        QCOMPARE(units.value(QStringLiteral("Unit")), QVariant(QStringLiteral("个")));
    } else if (firstUse == QLatin1String("eof")) {
        QVERIFY(!units.eof());
    } else if (firstUse == QLatin1String("locate")) {
        QVERIFY(units.locate(QStringLiteral("UnitID"), 3));
    } else if (firstUse == QLatin1String("next")) {
        units.next();
        QCOMPARE(units.value(QStringLiteral("UnitID")).toInt(), 2);
    } else if (firstUse == QLatin1String("lookup from another view")) {
        QVERIFY(goods.locate(QStringLiteral("GoodID"), 2));
        QCOMPARE(goods.value(QStringLiteral("lkUnit")), QVariant(QStringLiteral("箱")));
    } else if (firstUse == QLatin1String("lookup")) {
        QCOMPARE(units.lookup({QStringLiteral("UnitID")}, {3}, QStringLiteral("Unit")), QVariant(QStringLiteral("袋")));
    } else if (firstUse == QLatin1String("edit")) {
        QVERIFY(units.edit().ok());
        QVERIFY(units.setValue(QStringLiteral("Unit"), QStringLiteral("只")).ok());
        QVERIFY(units.post().ok());
        QCOMPARE(books.scalar(QStringLiteral("SELECT Unit FROM Units WHERE UnitID = 1")).toString(), QStringLiteral("只"));
    } else if (firstUse == QLatin1String("append")) {
        QVERIFY(units.append().ok());
        QVERIFY(units.setValue(QStringLiteral("UnitID"), 4).ok());
        QVERIFY(units.post().ok());
        QCOMPARE(units.rowCount(), 4);
        QCOMPARE(units.currentRow(), 3);
    } else if (firstUse == QLatin1String("remove")) {
        QVERIFY(units.remove().ok());
        QCOMPARE(books.scalar(QStringLiteral("SELECT count(*) FROM Units")).toInt(), 2);
    } else {
        QFAIL("unknown first use");
    }
    if (firstUse != QLatin1String("append") && firstUse != QLatin1String("remove"))
        QCOMPARE(units.rowCount(), 3);
}

void TestDatasetRows::rowsOnFirstUseFollowTheOpen()
{
    DatasetBooks books;
    books.addGoods();
    TableDataset units(books.db, QStringLiteral("Units"), QStringLiteral("Units"));
    units.setLoadOnFirstUse(true);
    QVERIFY(units.open().ok());
    // Nothing read yet: a refresh or a re-read of rows has nothing to do, and the first use
    // still reads what is there then.
    QVERIFY(units.refresh().ok());
    books.exec(QStringLiteral("UPDATE Units SET Unit = '只' WHERE UnitID = 1"));
    QVERIFY(units.refreshRow(1).ok());
    books.exec(QStringLiteral("INSERT INTO Units (UnitID, Unit) VALUES (3, '袋')"));
    QCOMPARE(test::column(units, QStringLiteral("Unit")),
             (QVariantList{QStringLiteral("只"), QStringLiteral("箱"), QStringLiteral("袋")}));
    // Once read, the rows are a static view like any other until refreshed.
    books.exec(QStringLiteral("DELETE FROM Units WHERE UnitID = 3"));
    QCOMPARE(units.rowCount(), 3);
    QVERIFY(units.refresh().ok());
    QCOMPARE(units.rowCount(), 2);
    // Closed and opened again, it waits for its first use again.
    units.close();
    QVERIFY(units.open().ok());
    books.exec(QStringLiteral("INSERT INTO Units (UnitID, Unit) VALUES (5, '桶')"));
    QCOMPARE(units.rowCount(), 3);
}

void TestDatasetRows::readAgainOnlyWhenChanged_data()
{
    QTest::addColumn<Since>("since");
    QTest::addColumn<bool>("readAgain");
    QTest::addColumn<QVariantList>("units"); // what the view shows afterwards
    const QVariantList before{QStringLiteral("个"), QStringLiteral("箱")};
    QTest::newRow("nothing written") << Since::Nothing << false << before;
    QTest::newRow("written through this connection") << Since::OwnWrite << true << QVariantList{QStringLiteral("只"), QStringLiteral("箱")};
    QTest::newRow("written by another program") << Since::OtherProgram << true << QVariantList{QStringLiteral("只"), QStringLiteral("箱")};
    QTest::newRow("a table made") << Since::NewTable << true << before;
    QTest::newRow("read inside a transaction") << Since::ReadInTransaction << true << before;
    QTest::newRow("another parameter") << Since::OtherParameter << true << QVariantList{QStringLiteral("箱")};
    QTest::newRow("a row changed in memory") << Since::EditInMemory << true << before;
}

void TestDatasetRows::readAgainOnlyWhenChanged()
{
    QFETCH(Since, since);
    QFETCH(bool, readAgain);
    QFETCH(QVariantList, units);
    DatasetBooks books;
    books.addGoods();
    // A query, so that a parameter and an edit kept in memory can be tried too.
    QueryDataset list(books.db, QStringLiteral("lkUnits"), QStringLiteral("SELECT UnitID, Unit FROM Units WHERE UnitID >= :low"));
    list.setParam(QStringLiteral("low"), 1);
    list.setReadOnly(false);
    if (since == Since::ReadInTransaction) {
        Transaction t(books.db);
        QVERIFY(list.open().ok());
        QVERIFY(t.commit());
    } else {
        QVERIFY(list.open().ok());
    }
    switch (since) {
    case Since::Nothing:
    case Since::ReadInTransaction:
        break;
    case Since::OwnWrite:
        books.exec(QStringLiteral("UPDATE Units SET Unit = '只' WHERE UnitID = 1"));
        break;
    case Since::OtherProgram: {
        Database other;
        QVERIFY(other.open(books.set.path()));
        QVERIFY(other.exec(QStringLiteral("UPDATE Units SET Unit = '只' WHERE UnitID = 1")));
        break;
    }
    case Since::NewTable:
        books.exec(QStringLiteral("CREATE TABLE Scratch (x)"));
        break;
    case Since::OtherParameter:
        list.setParam(QStringLiteral("low"), 2);
        break;
    case Since::EditInMemory:
        // A query's edits stay in memory; reading again puts back what the file holds.
        QVERIFY(list.edit().ok());
        QVERIFY(list.setValue(QStringLiteral("Unit"), QStringLiteral("桶")).ok());
        QVERIFY(list.post().ok());
        QCOMPARE(list.value(QStringLiteral("Unit")), QVariant(QStringLiteral("桶")));
        break;
    }
    QSignalSpy resets(&list, &Dataset::rowsReset);
    QVERIFY(list.refreshIfChanged().ok());
    QCOMPARE(resets.count(), readAgain ? 1 : 0);
    QCOMPARE(test::column(list, QStringLiteral("Unit")), units);
    // Read now: asked again with nothing written since, the rows stay.
    QVERIFY(list.refreshIfChanged().ok());
    QCOMPARE(resets.count(), readAgain ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestDatasetRows)
#include "test_datasetrows.moc"

void TestDatasetRows::staleViewReadOnNextUse_data()
{
    // Whatever a window or a rule calls next, it sees the file as it is then, on its row.
    QTest::addColumn<QString>("use");
    for (const char *use : {"rowCount", "currentRow", "value", "value by position", "eof", "next", "lookup from another view",
                            "edit", "refresh"})
        QTest::newRow(use) << QString::fromLatin1(use);
}

void TestDatasetRows::staleViewReadOnNextUse()
{
    QFETCH(QString, use);
    DatasetBooks books;
    books.addGoods();
    TableDataset goods(books.db, QStringLiteral("Goods"), QStringLiteral("Goods"));
    goods.addDataFields({QStringLiteral("GoodID"), QStringLiteral("Description"), QStringLiteral("CataID"), QStringLiteral("HandInc")});
    TableDataset lines(books.db, QStringLiteral("Lines"), QStringLiteral("RuKuMx"));
    lines.addDataFields({QStringLiteral("TabID"), QStringLiteral("GoodID")});
    lines.addLookupField(QStringLiteral("lkGoods"), &goods, QStringLiteral("GoodID"), QStringLiteral("Description"),
                         QStringLiteral("GoodID"));
    books.addBills();
    QVERIFY(goods.open().ok());
    QVERIFY(lines.open().ok());
    // Category 3 only, by description descending: Apple(1), apple(6), banana(2) -> banana, apple, Apple.
    QVERIFY(goods.setFilter(QStringLiteral("CataID=3")).ok());
    QVERIFY(goods.setFiltered(true).ok());
    QVERIFY(goods.setSort(QStringLiteral("Description DESC")).ok());
    QVERIFY(goods.locate(QStringLiteral("GoodID"), 1));
    QCOMPARE(goods.currentRow(), 2);

    // Another program rewrites the table: a new item that sorts ahead of the current one, a
    // row gone, new counters everywhere.
    {
        Database other(QStringLiteral("other program"));
        QVERIFY(other.open(books.set.path()));
        QVERIFY(other.exec(QStringLiteral("INSERT INTO Goods (GoodID, Description, CataID) VALUES (7, 'Banana', 3)")));
        QVERIFY(other.exec(QStringLiteral("DELETE FROM Goods WHERE GoodID = 6")));
        QVERIFY(other.exec(QStringLiteral("UPDATE Goods SET HandInc = GoodID * 10")));
        QVERIFY(other.exec(QStringLiteral("UPDATE Goods SET Description = 'Apple 550ml' WHERE GoodID = 1")));
    }
    QSignalSpy resets(&goods, &Dataset::rowsReset);
    goods.markStale();
    QVERIFY(goods.isStale());
    QCOMPARE(resets.count(), 0); // nothing read, nothing told, before the next use

    if (use == QLatin1String("rowCount")) {
        QCOMPARE(goods.rowCount(), 3);
    } else if (use == QLatin1String("currentRow")) {
        QCOMPARE(goods.currentRow(), 2);
    } else if (use == QLatin1String("value")) {
        QCOMPARE(goods.value(QStringLiteral("HandInc")).toInt(), 10);
    } else if (use == QLatin1String("value by position")) {
        QCOMPARE(goods.value(0, goods.fieldIndex(QStringLiteral("Description"))).toString(), QStringLiteral("banana"));
    } else if (use == QLatin1String("eof")) {
        QVERIFY(!goods.eof());
    } else if (use == QLatin1String("next")) {
        goods.next();
        QVERIFY(goods.eof());
    } else if (use == QLatin1String("lookup from another view")) {
        QVERIFY(lines.locate(QStringLiteral("GoodID"), 1));
        QCOMPARE(lines.value(QStringLiteral("lkGoods")).toString(), QStringLiteral("Apple 550ml"));
    } else if (use == QLatin1String("edit")) {
        QVERIFY(goods.edit().ok());
        QCOMPARE(goods.value(QStringLiteral("HandInc")).toInt(), 10);
        QVERIFY(goods.setValue(QStringLiteral("Description"), QStringLiteral("Apple 1L")).ok());
        QVERIFY(goods.post().ok());
        QCOMPARE(books.scalar(QStringLiteral("SELECT HandInc || Description FROM Goods WHERE GoodID = 1")).toString(),
                 QStringLiteral("10.0Apple 1L"));
    } else if (use == QLatin1String("refresh")) {
        QVERIFY(goods.refresh().ok());
    } else {
        QFAIL("unknown use");
    }
    QVERIFY(!goods.isStale());
    QCOMPARE(resets.count(), 1);
    // Filter, sort and the current row (by its rowid) are kept; the rows are the file's.
    QCOMPARE(goods.filter(), QStringLiteral("CataID=3"));
    QVERIFY(goods.isFiltered());
    QCOMPARE(test::ids(goods, QStringLiteral("GoodID")), (QList<qint64>{2, 7, 1}));
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 1);
    QCOMPARE(goods.currentRow(), 2);
    QCOMPARE(test::column(goods, QStringLiteral("HandInc")), (QVariantList{20.0, 70.0, 10.0}));
}

void TestDatasetRows::staleViewKeepsPendingWork_data()
{
    QTest::addColumn<bool>("batch");
    QTest::addColumn<bool>("post"); // else the pending work is dropped
    QTest::newRow("edit posted") << false << true;
    QTest::newRow("edit cancelled") << false << false;
    QTest::newRow("batch applied") << true << true;
    QTest::newRow("batch cancelled") << true << false;
}

void TestDatasetRows::staleViewKeepsPendingWork()
{
    QFETCH(bool, batch);
    QFETCH(bool, post);
    DatasetBooks books;
    books.addGoods();
    TableDataset goods(books.db, QStringLiteral("Goods"), QStringLiteral("Goods"));
    goods.addDataFields({QStringLiteral("GoodID"), QStringLiteral("Description"), QStringLiteral("HandInc")});
    goods.setBatchMode(batch);
    QVERIFY(goods.open().ok());
    QVERIFY(goods.locate(QStringLiteral("GoodID"), 3));
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue(QStringLiteral("Description"), QStringLiteral("樱桃")).ok());
    if (batch)
        QVERIFY(goods.post().ok()); // held in memory until applied
    books.exec(QStringLiteral("UPDATE Goods SET HandInc = 7"));

    goods.markStale();
    // The pending change is what the view shows, whatever asks.
    QCOMPARE(goods.rowCount(), 6);
    QCOMPARE(goods.value(QStringLiteral("Description")).toString(), QStringLiteral("樱桃"));
    QCOMPARE(goods.value(QStringLiteral("HandInc")).toInt(), 0);
    QVERIFY(goods.isStale());
    if (post)
        QVERIFY(batch ? goods.applyUpdates().ok() : goods.post().ok());
    else if (batch)
        goods.cancelUpdates();
    else
        QVERIFY(goods.cancel().ok());
    // Once it is posted or dropped, the next use reads the file, on the same row.
    QCOMPARE(goods.value(QStringLiteral("HandInc")).toInt(), 7);
    QVERIFY(!goods.isStale());
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 3);
    QCOMPARE(goods.value(QStringLiteral("Description")).toString(), post ? QStringLiteral("樱桃") : QStringLiteral("Cherry"));
    QCOMPARE(books.scalar(QStringLiteral("SELECT Description FROM Goods WHERE GoodID = 3")).toString(),
             post ? QStringLiteral("樱桃") : QStringLiteral("Cherry"));
}

void TestDatasetRows::manyRowsReadAgainWhole()
{
    DatasetBooks books;
    QVERIFY(books.db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                                         "INSERT INTO Goods (GoodID, Description, HandInc) SELECT i, 'g' || i, 0 FROM n")));
    TableDataset goods(books.db, QStringLiteral("Goods"), QStringLiteral("Goods"));
    goods.addDataFields({QStringLiteral("GoodID"), QStringLiteral("HandInc")});
    QVERIFY(goods.open().ok());
    QVERIFY(goods.locate(QStringLiteral("GoodID"), 500));
    QSignalSpy changed(&goods, &Dataset::rowChanged);

    // A few rows: read at once, row by row.
    books.exec(QStringLiteral("UPDATE Goods SET HandInc = 1 WHERE GoodID <= 10"));
    QVERIFY(goods.refreshRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).ok());
    QVERIFY(!goods.isStale());
    QCOMPARE(changed.count(), 10);

    // Most of the view: read whole on the next use, still on its row.
    QList<qint64> most;
    for (qint64 id = 1; id <= 900; ++id)
        most << id;
    books.exec(QStringLiteral("UPDATE Goods SET HandInc = 2 WHERE GoodID <= 900"));
    QVERIFY(goods.refreshRows(most).ok());
    QVERIFY(goods.isStale());
    QCOMPARE(changed.count(), 10);
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 500);
    QCOMPARE(goods.value(QStringLiteral("HandInc")).toInt(), 2);
    QCOMPARE(goods.rowCount(), 1000);
    QCOMPARE(books.scalar(QStringLiteral("SELECT count(*) FROM Goods WHERE HandInc = 2")).toInt(), 900);
    int twos = 0;
    for (const QVariant &v : test::column(goods, QStringLiteral("HandInc")))
        twos += v.toInt() == 2;
    QCOMPARE(twos, 900);
}
