// What the customer and vendor pickers list: searches taken literally, area filters, and the
// statement kept for the next showing.
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/masterdata/partylist.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

namespace {

QStringList column(Dataset &query, const QString &name)
{
    QStringList values;
    const int index = query.fieldIndex(name);
    for (int row = 0; row < query.rowCount(); ++row)
        values << query.value(row, index).toString();
    return values;
}

} // namespace

class TestPartyList : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        db = std::make_unique<Database>();
        QVERIFY(db->open(set->path()));
        query = std::make_unique<QueryDataset>(*db, QStringLiteral("ADOQry"));
    }
    void cleanup()
    {
        query.reset();
        db.reset();
        set.reset();
    }

    void customerSearch_data();
    void customerSearch();
    void emptySearchChangesNothing();
    void areaFilterAndAll();
    void vendorColumns();

private:
    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<Database> db;
    std::unique_ptr<QueryDataset> query;
};

void TestPartyList::customerSearch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("contains") << "张" << QStringList{"张三商店", "张家港百货"};
    QTest::newRow("trimmed") << "  超市 " << QStringList{"李四超市"};
    QTest::newRow("quote") << "O'N" << QStringList{"O'Neil便利店"};
    QTest::newRow("percent") << "%" << QStringList{"100%满意店"};
    QTest::newRow("underscore") << "A_B" << QStringList{"A_B店"};
    QTest::newRow("backslash") << "\\" << QStringList{};
    QTest::newRow("sql text") << "' OR 1=1 --" << QStringList{};
}

void TestPartyList::customerSearch()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    PartyList list(PartyList::Party::Customers);
    list.showArea(2); // a search replaces an area filter
    QVERIFY(list.search(text));
    const DatasetError opened = list.reopen(*query);
    QVERIFY2(opened.ok(), qPrintable(opened.message()));
    QCOMPARE(column(*query, list.nameColumn()), names);
}

void TestPartyList::emptySearchChangesNothing()
{
    PartyList list(PartyList::Party::Customers);
    list.showArea(1);
    const QString before = list.sql();
    const QVariantList params = list.params();
    QVERIFY(!list.search(QStringLiteral("   ")));
    QCOMPARE(list.sql(), before);
    QCOMPARE(list.params(), params);
}

void TestPartyList::areaFilterAndAll()
{
    PartyList list(PartyList::Party::Customers);
    list.showArea(2);
    QVERIFY(list.reopen(*query).ok());
    QCOMPARE(column(*query, list.idColumn()), (QStringList{"2", "3", "6"}));
    QCOMPARE(column(*query, PartyList::areaColumn()), (QStringList{"2", "2", "2"}));
    list.showAll();
    QVERIFY(list.reopen(*query).ok());
    QCOMPARE(query->rowCount(), 7);
}

void TestPartyList::vendorColumns()
{
    PartyList list(PartyList::Party::Vendors);
    QVERIFY(list.search(QStringLiteral("厂")));
    QVERIFY(list.reopen(*query).ok());
    QCOMPARE(column(*query, QStringLiteral("供货码")), (QStringList{"1", "3"}));
    QCOMPARE(column(*query, QStringLiteral("名称")), (QStringList{"红星工厂", "东方厂"}));
    QCOMPARE(query->field(0).name(), QStringLiteral("供货码"));
    QCOMPARE(query->field(2).name(), QStringLiteral("地区码"));
}

QTEST_GUILESS_MAIN(TestPartyList)
#include "test_partylist.moc"
