// The master-data rules of BaseData: delete guards, defaults of new rows, the unit key
// change, refused posts, the marking of idle goods and the goods search.
#include "datamodulesfixture.h"

#include <QtTest>

using namespace hemu;

namespace {
const QString usedText = QStringLiteral("已经使用，不能删除！");
const QString askText = QStringLiteral("确实要删除吗？");
const QString duplicateCode = QStringLiteral("代码重复，请重新录入。");
const QString duplicateUser = QStringLiteral("数据库:禁止重复。");

// Two categories, areas, units (3 and 4), vendors, customers, a second employee with a
// user, and goods 1 and 2 (unit 3) and 3 (unit 4). No bills, no customer stock.
const QStringList masterRows = {
    "INSERT INTO Catalogs (CataID, Catalog) VALUES (1, '五金'), (2, '电料')",
    "INSERT INTO Areas (AreaID, AreaName) VALUES (1, '城东'), (2, '城西')",
    "INSERT INTO Units (UnitID, Unit) VALUES (3, '个'), (4, '箱')",
    "INSERT INTO Vendors (VendorID, VendorName, AreaID) VALUES (1, '甲厂', 1), (2, '乙厂', 2)",
    "INSERT INTO Customers (CustID, CustName, AreaID) VALUES (1, '一店', 1), (2, '二店', 2)",
    "INSERT INTO Departments (CustID, Department) VALUES (2, '业务部')",
    "INSERT INTO Employees (EmpID, DeptID, Employee) VALUES (2, 2, '张三')",
    "INSERT INTO psd (UserID, Password, RoleID) VALUES (2, '', 2)",
    "INSERT INTO Goods (GoodID, Description, CataID, UnitID) VALUES (1, '螺丝', 1, 3), (2, '螺母', 2, 3), (3, '电线', 2, 4)",
};
} // namespace

class TestBaseData : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void deleteGuards_data();
    void deleteGuards();
    void deletedMasterLeavesEmptyLookup_data();
    void deletedMasterLeavesEmptyLookup();

    void newGoodsCode_data();
    void newGoodsCode();
    void newGoodsTakesCurrentCategoryAndUnit();
    void newRowTakesCurrentMaster_data();
    void newRowTakesCurrentMaster();
    void postedGoodsShowInOtherViews();

    void unitKeyChangeRepointsGoods();
    void unitPostsLeaveGoods_data();
    void unitPostsLeaveGoods();
    void unitKeyChangeToExistingKeyRefused();
    void unitKeyChangeIsOneTransaction();

    void refusedPosts_data();
    void refusedPosts();

    void markZeroGoods_data();
    void markZeroGoods();

    void filterGoods_data();
    void filterGoods();
    void filterMarksSharedByGoodsViews();

private:
    void open(const QStringList &rows);
    QList<int> goodsOnUnit(int unitId)
    {
        QList<int> ids;
        QSqlQuery q = m_m->base.MyADOCnn().query("SELECT GoodID FROM Goods WHERE UnitID = ? ORDER BY GoodID", {unitId});
        q.exec();
        while (q.next())
            ids << q.value(0).toInt();
        return ids;
    }
    std::unique_ptr<test::DataModules> m_m;
};

void TestBaseData::init()
{
    m_m = std::make_unique<test::DataModules>();
}

void TestBaseData::cleanup()
{
    m_m.reset();
}

void TestBaseData::open(const QStringList &rows)
{
    m_m->exec(rows);
    const QString failure = m_m->openTables();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    m_m->prompter.clear();
}

// ---- delete guards -------------------------------------------------------------------

void TestBaseData::deleteGuards_data()
{
    QTest::addColumn<QStringList>("rows");       // besides masterRows
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("answer");            // to the delete question
    QTest::addColumn<QStringList>("texts");      // every message shown
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("table");          // where the row must be gone (or stay)

    const QStringList none;
    const QString bill = "INSERT INTO %1 (TabID, BookID, CustID, PersonID) VALUES (1, 'X-1', %2, %3)";
    const QString line = "INSERT INTO %1 (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, %2, 1, 1)";

    QTest::newRow("goods only in customer stock: refused")
        << QStringList{"INSERT INTO GoodsInCusts (GoodID, CustID) VALUES (1, 1)"} << "Goods" << "GoodID" << 1 << true
        << QStringList{usedText} << false << "Goods WHERE GoodID = 1";
    QTest::newRow("goods on a stock-in line: refused")
        << QStringList{bill.arg("RuKuDan").arg(1).arg(1), line.arg("RuKuMx").arg(2)} << "Goods" << "GoodID" << 2 << true
        << QStringList{usedText} << false << "Goods WHERE GoodID = 2";
    QTest::newRow("goods on a delivery line: refused")
        << QStringList{bill.arg("DiaoBoDan").arg(1).arg(1), line.arg("DiaoBoMx").arg(1)} << "Goods" << "GoodID" << 1
        << true << QStringList{usedText} << false << "Goods WHERE GoodID = 1";
    QTest::newRow("goods on a receipt line: refused")
        << QStringList{bill.arg("ChuKuDan").arg(1).arg(1), line.arg("ChuKuMx").arg(3)} << "Goods" << "GoodID" << 3 << true
        << QStringList{usedText} << false << "Goods WHERE GoodID = 3";
    QTest::newRow("goods used by another item's line only: asks, deletes")
        << QStringList{bill.arg("RuKuDan").arg(1).arg(1), line.arg("RuKuMx").arg(2)} << "Goods" << "GoodID" << 1 << true
        << QStringList{askText} << true << "Goods WHERE GoodID = 1";
    QTest::newRow("unused goods: asks, deletes") << none << "Goods" << "GoodID" << 1 << true << QStringList{askText} << true
                                                 << "Goods WHERE GoodID = 1";
    QTest::newRow("unused goods, answered No: kept") << none << "Goods" << "GoodID" << 1 << false << QStringList{askText}
                                                     << false << "Goods WHERE GoodID = 1";
    QTest::newRow("goods only invoiced: asks, deletes")
        << QStringList{"INSERT INTO InvoiceMx (TabID, GoodID, paidqty) VALUES (1, 1, 1)"} << "Goods" << "GoodID" << 1 << true
        << QStringList{askText} << true << "Goods WHERE GoodID = 1";

    QTest::newRow("customer without bills or stock: asks once, deletes")
        << none << "Custs" << "CustID" << 1 << true << QStringList{askText} << true << "Customers WHERE CustID = 1";
    QTest::newRow("customer with a delivery bill: refused")
        << QStringList{bill.arg("DiaoBoDan").arg(1).arg(1)} << "Custs" << "CustID" << 1 << true << QStringList{usedText}
        << false << "Customers WHERE CustID = 1";
    QTest::newRow("customer with a receipt bill: refused")
        << QStringList{bill.arg("ChuKuDan").arg(1).arg(1)} << "Custs" << "CustID" << 1 << true << QStringList{usedText}
        << false << "Customers WHERE CustID = 1";
    QTest::newRow("customer holding stock: refused")
        << QStringList{"INSERT INTO GoodsInCusts (GoodID, CustID) VALUES (3, 2)"} << "Custs" << "CustID" << 2 << true
        << QStringList{usedText} << false << "Customers WHERE CustID = 2";
    QTest::newRow("customer whose id is a vendor's on a stock-in bill: asks, deletes")
        << QStringList{bill.arg("RuKuDan").arg(1).arg(1)} << "Custs" << "CustID" << 1 << true << QStringList{askText}
        << true << "Customers WHERE CustID = 1";
    QTest::newRow("customer, answered No: kept")
        << none << "Custs" << "CustID" << 2 << false << QStringList{askText} << false << "Customers WHERE CustID = 2";

    QTest::newRow("employee who entered a stock-in bill: refused")
        << QStringList{bill.arg("RuKuDan").arg(1).arg(2)} << "Employees" << "EmpID" << 2 << true << QStringList{usedText}
        << false << "Employees WHERE EmpID = 2";
    QTest::newRow("employee who entered a delivery bill: refused")
        << QStringList{bill.arg("DiaoBoDan").arg(1).arg(2)} << "Employees" << "EmpID" << 2 << true
        << QStringList{usedText} << false << "Employees WHERE EmpID = 2";
    QTest::newRow("employee who entered a receipt bill: refused")
        << QStringList{bill.arg("ChuKuDan").arg(1).arg(2)} << "Employees" << "EmpID" << 2 << true << QStringList{usedText}
        << false << "Employees WHERE EmpID = 2";
    QTest::newRow("employee without bills: asks, deletes")
        << QStringList{bill.arg("RuKuDan").arg(1).arg(1)} << "Employees" << "EmpID" << 2 << true << QStringList{askText}
        << true << "Employees WHERE EmpID = 2";

    QTest::newRow("vendor only on invoices: asks, deletes")
        << QStringList{"INSERT INTO Invoices (TabID, invoice, vendorid) VALUES (9, 'F-1', 1)"} << "Vendors" << "VendorID"
        << 1 << true << QStringList{askText} << true << "Vendors WHERE VendorID = 1";
    QTest::newRow("vendor with a stock-in bill: refused")
        << QStringList{bill.arg("RuKuDan").arg(1).arg(1)} << "Vendors" << "VendorID" << 1 << true << QStringList{usedText}
        << false << "Vendors WHERE VendorID = 1";
    QTest::newRow("vendor whose id is a customer's on a delivery bill: asks, deletes")
        << QStringList{bill.arg("DiaoBoDan").arg(2).arg(1)} << "Vendors" << "VendorID" << 2 << true
        << QStringList{askText} << true << "Vendors WHERE VendorID = 2";

    QTest::newRow("unit of goods: refused")
        << none << "Units" << "UnitID" << 4 << true << QStringList{usedText} << false << "Units WHERE UnitID = 4";
    QTest::newRow("unit without goods: asks, deletes")
        << QStringList{"INSERT INTO Units (UnitID, Unit) VALUES (7, '盒')"} << "Units" << "UnitID" << 7 << true
        << QStringList{askText} << true << "Units WHERE UnitID = 7";

    QTest::newRow("category still referenced: asks, deletes")
        << none << "Cata" << "CataID" << 1 << true << QStringList{askText} << true << "Catalogs WHERE CataID = 1";
    QTest::newRow("category, answered No: kept")
        << none << "Cata" << "CataID" << 1 << false << QStringList{askText} << false << "Catalogs WHERE CataID = 1";
    QTest::newRow("area still referenced: asks, deletes")
        << none << "Areas" << "AreaID" << 1 << true << QStringList{askText} << true << "Areas WHERE AreaID = 1";
    QTest::newRow("department still referenced: asks, deletes")
        << none << "Depart" << "CustID" << 2 << true << QStringList{askText} << true << "Departments WHERE CustID = 2";
    QTest::newRow("user: asks, deletes")
        << none << "Psd" << "UserID" << 2 << true << QStringList{askText} << true << "psd WHERE UserID = 2";
}

void TestBaseData::deleteGuards()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, dataset);
    QFETCH(QString, keyField);
    QFETCH(int, key);
    QFETCH(bool, answer);
    QFETCH(QStringList, texts);
    QFETCH(bool, deleted);
    QFETCH(QString, table);

    open(masterRows + rows);
    Dataset &ds = *m_m->dataset(dataset);
    const int before = ds.recordCount();
    QVERIFY(ds.locate(keyField, key));
    m_m->prompter.queueAnswer(answer);
    const DatasetError e = ds.remove();

    QCOMPARE(m_m->prompter.texts(), texts);
    QCOMPARE(e.ok(), deleted);
    if (!deleted)
        QVERIFY2(e.isRefused(), qPrintable(e.message())); // refused silently after its message
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(ds.recordCount(), deleted ? before - 1 : before);
    QCOMPARE(ds.locate(keyField, key), !deleted);
    QCOMPARE(m_m->count("SELECT count(*) FROM " + table), deleted ? 0 : 1);
    // The usage queries are left closed for the next test.
    for (Dataset *q : {m_m->base.GoodUsed, m_m->base.qTest})
        QVERIFY(!q->isOpen());
}

void TestBaseData::deletedMasterLeavesEmptyLookup_data()
{
    QTest::addColumn<QString>("master");
    QTest::addColumn<QString>("masterKey");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("viewKey");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("lookup");
    QTest::addColumn<QString>("before");

    QTest::newRow("category: goods master") << "Cata" << "CataID" << 1 << "Goods" << "GoodID" << 1 << "lkCata" << "五金";
    QTest::newRow("category: stock view") << "Cata" << "CataID" << 1 << "tab.Goods" << "GoodID" << 1 << "lkCataName" << "五金";
    QTest::newRow("category: goods lookup view") << "Cata" << "CataID" << 2 << "lkGoods" << "GoodID" << 3 << "lkCata" << "电料";
    QTest::newRow("category: stocktaking") << "Cata" << "CataID" << 2 << "GoodsCheck" << "GoodID" << 2 << "lkCataName" << "电料";
    QTest::newRow("area: customer") << "Areas" << "AreaID" << 1 << "Custs" << "CustID" << 1 << "lkArea" << "城东";
    QTest::newRow("area: vendor") << "Areas" << "AreaID" << 2 << "Vendors" << "VendorID" << 2 << "lkArea" << "城西";
    QTest::newRow("department: employee") << "Depart" << "CustID" << 2 << "Employees" << "EmpID" << 2 << "Dept" << "业务部";
}

void TestBaseData::deletedMasterLeavesEmptyLookup()
{
    QFETCH(QString, master);
    QFETCH(QString, masterKey);
    QFETCH(int, key);
    QFETCH(QString, view);
    QFETCH(QString, viewKey);
    QFETCH(int, row);
    QFETCH(QString, lookup);
    QFETCH(QString, before);

    open(masterRows);
    Dataset &v = *m_m->dataset(view);
    QVERIFY(v.locate(viewKey, row));
    QCOMPARE(v.fieldByName(lookup).displayText(), before);

    Dataset &m = *m_m->dataset(master);
    QVERIFY(m.locate(masterKey, key));
    QVERIFY(m.remove().ok());
    QCOMPARE(m_m->prompter.texts(), QStringList{askText});

    QVERIFY(v.locate(viewKey, row));
    QVERIFY(v.fieldByName(lookup).isNull());
    QCOMPARE(v.fieldByName(lookup).displayText(), QString());
    QCOMPARE(v.displayText(v.currentRow(), v.fieldIndex(lookup)), QString());
}

// ---- defaults of new rows --------------------------------------------------------------

void TestBaseData::newGoodsCode_data()
{
    QTest::addColumn<QList<int>>("existing");
    QTest::addColumn<int>("deleteFirst"); // deleted through the dataset, 0 for none
    QTest::addColumn<int>("expected");

    QTest::newRow("empty table: 1") << QList<int>{} << 0 << 1;
    QTest::newRow("1..7: 8") << QList<int>{1, 2, 3, 4, 5, 6, 7} << 0 << 8;
    QTest::newRow("1..7 with 7 deleted: 7 again") << QList<int>{1, 2, 3, 4, 5, 6, 7} << 7 << 7;
    QTest::newRow("gaps are not filled") << QList<int>{2, 5, 9} << 5 << 10;
    QTest::newRow("last item deleted from a table of one: 1") << QList<int>{1} << 1 << 1;
}

void TestBaseData::newGoodsCode()
{
    QFETCH(QList<int>, existing);
    QFETCH(int, deleteFirst);
    QFETCH(int, expected);

    QStringList rows;
    for (int id : existing)
        rows << QString("INSERT INTO Goods (GoodID, Description) VALUES (%1, '货%1')").arg(id);
    open(rows);
    Dataset &goods = *m_m->base.Goods;
    if (deleteFirst) {
        QVERIFY(goods.locate("GoodID", deleteFirst));
        QVERIFY(goods.remove().ok());
    }
    QVERIFY(goods.append().ok());
    QCOMPARE(goods.value("GoodID").toInt(), expected);
    QVERIFY(goods.setValue("Description", "新货").ok());
    const DatasetError e = goods.post();
    QVERIFY2(e.ok(), qPrintable(e.message()));
    QCOMPARE(m_m->scalar("SELECT Description FROM Goods WHERE GoodID = ?", {expected}).toString(), QString("新货"));
    QCOMPARE(goods.value("GoodID").toInt(), expected);
}

void TestBaseData::newGoodsTakesCurrentCategoryAndUnit()
{
    open(masterRows);
    QVERIFY(m_m->base.Cata->locate("CataID", 2));
    QVERIFY(m_m->base.Units->locate("UnitID", 4));
    Dataset &goods = *m_m->base.Goods;
    QVERIFY(goods.append().ok());
    QCOMPARE(goods.value("CataID").toInt(), 2);
    QCOMPARE(goods.value("UnitID").toInt(), 4);
    QCOMPARE(goods.value("CustID"), QVariant(0));
    QCOMPARE(goods.value("GoodID").toInt(), 4);
    QVERIFY(!goods.isModified()); // defaults are not the user's changes
    QVERIFY(goods.setValue("Description", "开关").ok());
    QVERIFY(goods.post().ok());
    QCOMPARE(m_m->scalar("SELECT CataID || '/' || UnitID || '/' || CustID FROM Goods WHERE GoodID = 4").toString(),
             QString("2/4/0"));
    QCOMPARE(goods.fieldByName("lkCata").displayText(), QString("电料"));
    QCOMPARE(goods.fieldByName("Unit").displayText(), QString("箱"));
}

void TestBaseData::newRowTakesCurrentMaster_data()
{
    QTest::addColumn<QString>("master");
    QTest::addColumn<QString>("masterKey");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("nameField");

    QTest::newRow("customer: current area") << "Areas" << "AreaID" << 2 << "Custs" << "AreaID" << "CustName";
    QTest::newRow("customer: other area") << "Areas" << "AreaID" << 1 << "Custs" << "AreaID" << "CustName";
    QTest::newRow("vendor: current area") << "Areas" << "AreaID" << 2 << "Vendors" << "AreaID" << "VendorName";
    QTest::newRow("employee: current department") << "Depart" << "CustID" << 2 << "Employees" << "DeptID" << "Employee";
    QTest::newRow("employee: other department") << "Depart" << "CustID" << 1 << "Employees" << "DeptID" << "Employee";
}

void TestBaseData::newRowTakesCurrentMaster()
{
    QFETCH(QString, master);
    QFETCH(QString, masterKey);
    QFETCH(int, current);
    QFETCH(QString, dataset);
    QFETCH(QString, field);
    QFETCH(QString, nameField);

    open(masterRows);
    QVERIFY(m_m->dataset(master)->locate(masterKey, current));
    Dataset &ds = *m_m->dataset(dataset);
    QVERIFY(ds.append().ok());
    QCOMPARE(ds.value(field).toInt(), current);
    QVERIFY(ds.setValue(nameField, "新").ok());
    QVERIFY(ds.post().ok());
    QCOMPARE(m_m->scalar(QString("SELECT %1 FROM %2 WHERE %3 = '新'").arg(field, ds.tableName(), nameField)).toInt(), current);
}

void TestBaseData::postedGoodsShowInOtherViews()
{
    open(masterRows + QStringList{"INSERT INTO RuKuDan (TabID, BookID) VALUES (1, 'RK-1')",
                                  "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 4, 1, 1)"});
    Dataset &goods = *m_m->base.Goods;
    QVERIFY(goods.locate("GoodID", 2));
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue("Description", "六角螺母").ok());
    QVERIFY(goods.post().ok());
    QVERIFY(goods.append().ok());
    QVERIFY(goods.setValue("Description", "插座").ok());
    QVERIFY(goods.post().ok());

    QCOMPARE(m_m->base.lkGoods->lookup({"GoodID"}, {2}, "Description").toString(), QString("六角螺母"));
    QCOMPARE(m_m->base.lkGoods->lookup({"GoodID"}, {4}, "Description").toString(), QString("插座"));
    QCOMPARE(m_m->tab.Goods->lookup({"GoodID"}, {4}, "Description").toString(), QString("插座"));
    QCOMPARE(m_m->tab.Goods->lookup({"GoodID"}, {2}, "Description").toString(), QString("六角螺母"));
    // A bill line of the new item finds its name.
    QCOMPARE(m_m->tab.RuKuMx->fieldByName("Description").displayText(), QString("插座"));
}

// ---- unit key change -------------------------------------------------------------------

void TestBaseData::unitKeyChangeRepointsGoods()
{
    open(masterRows);
    Dataset &goods = *m_m->base.Goods;
    QVERIFY(goods.locate("GoodID", 2));
    Dataset &units = *m_m->base.Units;
    QVERIFY(units.locate("UnitID", 3));
    QVERIFY(units.edit().ok());
    QVERIFY(units.setValue("UnitID", 5).ok());
    const DatasetError e = units.post();
    QVERIFY2(e.ok(), qPrintable(e.message()));
    QVERIFY(m_m->prompter.texts().isEmpty());

    QCOMPARE(goodsOnUnit(3), QList<int>{});
    QCOMPARE(goodsOnUnit(5), (QList<int>{1, 2}));
    QCOMPARE(goodsOnUnit(4), QList<int>{3});
    QCOMPARE(m_m->count("SELECT count(*) FROM Units WHERE UnitID = 3"), 0);
    QCOMPARE(m_m->scalar("SELECT Unit FROM Units WHERE UnitID = 5").toString(), QString("个"));

    // Every open goods view shows the new key at once; the master stays on its row.
    QCOMPARE(goods.value("GoodID").toInt(), 2);
    QCOMPARE(goods.value("UnitID").toInt(), 5);
    QCOMPARE(goods.fieldByName("Unit").displayText(), QString("个"));
    for (Dataset *view : {m_m->base.Goods, m_m->base.lkGoods, m_m->tab.Goods}) {
        QVERIFY2(!view->locate("UnitID", 3), qPrintable(view->name()));
        QCOMPARE(test::DataModules::sorted(QList<int>{view->lookup({"GoodID"}, {1}, "UnitID").toInt(),
                                                       view->lookup({"GoodID"}, {2}, "UnitID").toInt()}),
                 (QList<int>{5, 5}));
    }
    QVERIFY(m_m->tab.Goods->locate("GoodID", 1));
    QCOMPARE(m_m->tab.Goods->fieldByName("lkUnit").displayText(), QString("个"));
}

void TestBaseData::unitPostsLeaveGoods_data()
{
    QTest::addColumn<int>("editUnit");   // 0: no edit
    QTest::addColumn<QString>("newName");
    QTest::addColumn<int>("newKey");     // 0: key kept
    QTest::addColumn<bool>("cancelEdit");
    QTest::addColumn<int>("appendKey");  // 0: no new unit

    QTest::newRow("name changed") << 3 << "只" << 0 << false << 0;
    QTest::newRow("new unit") << 0 << QString() << 0 << false << 5;
    QTest::newRow("key change cancelled, then a new unit") << 3 << QString() << 5 << true << 6;
    QTest::newRow("key typed back to its old value") << 3 << QString() << 3 << false << 0;
}

void TestBaseData::unitPostsLeaveGoods()
{
    QFETCH(int, editUnit);
    QFETCH(QString, newName);
    QFETCH(int, newKey);
    QFETCH(bool, cancelEdit);
    QFETCH(int, appendKey);

    open(masterRows);
    Dataset &units = *m_m->base.Units;
    if (editUnit) {
        QVERIFY(units.locate("UnitID", editUnit));
        QVERIFY(units.edit().ok());
        if (!newName.isEmpty())
            QVERIFY(units.setValue("Unit", newName).ok());
        if (newKey)
            QVERIFY(units.setValue("UnitID", newKey).ok());
        QVERIFY(cancelEdit ? units.cancel().ok() : units.post().ok());
    }
    if (appendKey) {
        QVERIFY(units.append().ok());
        QVERIFY(units.setValue("UnitID", appendKey).ok());
        QVERIFY(units.setValue("Unit", "新").ok());
        QVERIFY(units.post().ok());
        QCOMPARE(m_m->count("SELECT count(*) FROM Units WHERE UnitID = ?", {appendKey}), 1);
    }
    QVERIFY(m_m->prompter.texts().isEmpty());
    QCOMPARE(goodsOnUnit(3), (QList<int>{1, 2}));
    QCOMPARE(goodsOnUnit(4), QList<int>{3});
}

void TestBaseData::unitKeyChangeToExistingKeyRefused()
{
    open(masterRows);
    Dataset &units = *m_m->base.Units;
    QVERIFY(units.locate("UnitID", 3));
    QVERIFY(units.edit().ok());
    QVERIFY(units.setValue("UnitID", 4).ok());
    units.post();
    QCOMPARE(m_m->prompter.texts(), QStringList{duplicateCode});
    QCOMPARE(units.state(), Dataset::State::Browse); // the pending change is cancelled
    QCOMPARE(test::DataModules::sorted(test::DataModules::ints(units, "UnitID")), (QList<int>{3, 4}));
    QCOMPARE(goodsOnUnit(3), (QList<int>{1, 2}));
    QCOMPARE(goodsOnUnit(4), QList<int>{3});
    QVERIFY(m_m->base.Goods->locate("GoodID", 1));
    QCOMPARE(m_m->base.Goods->value("UnitID").toInt(), 3);

    // The refused edit leaves nothing behind: the next key change moves only its own goods.
    m_m->prompter.clear();
    QVERIFY(units.locate("UnitID", 4));
    QVERIFY(units.edit().ok());
    QVERIFY(units.setValue("UnitID", 8).ok());
    QVERIFY(units.post().ok());
    QCOMPARE(goodsOnUnit(3), (QList<int>{1, 2}));
    QCOMPARE(goodsOnUnit(8), QList<int>{3});
}

void TestBaseData::unitKeyChangeIsOneTransaction()
{
    // A goods row that cannot be re-pointed must take the unit's new key down with it.
    open(masterRows + QStringList{"CREATE TRIGGER no_unit_move BEFORE UPDATE OF UnitID ON Goods WHEN OLD.GoodID = 2 "
                                  "BEGIN SELECT RAISE(ABORT, 'goods 2 is locked'); END"});
    Dataset &units = *m_m->base.Units;
    QVERIFY(units.locate("UnitID", 3));
    QVERIFY(units.edit().ok());
    QVERIFY(units.setValue("UnitID", 5).ok());
    QVERIFY(units.post().failed());
    QCOMPARE(m_m->count("SELECT count(*) FROM Units WHERE UnitID = 3"), 1);
    QCOMPARE(m_m->count("SELECT count(*) FROM Units WHERE UnitID = 5"), 0);
    QCOMPARE(goodsOnUnit(3), (QList<int>{1, 2}));
    QCOMPARE(goodsOnUnit(5), QList<int>{});
    QCOMPARE(m_m->prompter.texts(), QStringList{"goods 2 is locked"}); // the cause, once
    // The typed key stays pending; once the cause is gone the same post goes through.
    QCOMPARE(units.state(), Dataset::State::Edit);
    QCOMPARE(units.value("UnitID").toInt(), 5);
    m_m->exec("DROP TRIGGER no_unit_move");
    QVERIFY(units.post().ok());
    QCOMPARE(goodsOnUnit(5), (QList<int>{1, 2}));
    QCOMPARE(m_m->count("SELECT count(*) FROM Units WHERE UnitID = 3"), 0);
}

// ---- refused posts ---------------------------------------------------------------------

void TestBaseData::refusedPosts_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("otherField");
    QTest::addColumn<QVariant>("otherValue");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("edited"); // key of the row edited; 0: a new row

    QTest::newRow("new goods, code taken") << "Goods" << "GoodID" << 1 << "Description" << QVariant("重复") << duplicateCode << 0;
    QTest::newRow("goods code changed to a taken one")
        << "Goods" << "GoodID" << 1 << "Description" << QVariant("重复") << duplicateCode << 2;
    QTest::newRow("new unit, code taken") << "Units" << "UnitID" << 4 << "Unit" << QVariant("重复") << duplicateCode << 0;
    QTest::newRow("user already has a password")
        << "Psd" << "UserID" << 2 << "RoleID" << QVariant(1) << duplicateUser << 0;
    QTest::newRow("user changed to one who has a password")
        << "Psd" << "UserID" << 1 << "RoleID" << QVariant(1) << duplicateUser << 2;
}

void TestBaseData::refusedPosts()
{
    QFETCH(QString, dataset);
    QFETCH(QString, keyField);
    QFETCH(int, key);
    QFETCH(QString, otherField);
    QFETCH(QVariant, otherValue);
    QFETCH(QString, message);
    QFETCH(int, edited);

    open(masterRows);
    Dataset &ds = *m_m->dataset(dataset);
    const int rows = ds.recordCount();
    const int stored = m_m->count("SELECT count(*) FROM " + ds.tableName());
    if (edited) {
        QVERIFY(ds.locate(keyField, edited));
        QVERIFY(ds.edit().ok());
    } else {
        QVERIFY(ds.append().ok());
    }
    QVERIFY(ds.setValue(keyField, key).ok());
    QVERIFY(ds.setValue(otherField, otherValue).ok());
    const DatasetError e = ds.post();
    QVERIFY(e.failed());
    QVERIFY(e.isReported() || e.isRefused()); // not to be reported again by the caller
    QCOMPARE(m_m->prompter.texts(), QStringList{message});
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(ds.recordCount(), rows);
    QCOMPARE(m_m->count("SELECT count(*) FROM " + ds.tableName()), stored);
    QCOMPARE(m_m->count(QString("SELECT count(*) FROM %1 WHERE %2 = ?").arg(ds.tableName(), otherField), {otherValue}), 0);
    if (edited) {
        QCOMPARE(ds.value(keyField).toInt(), edited); // back to the row as it was
        QCOMPARE(m_m->count(QString("SELECT count(*) FROM %1 WHERE %2 = ?").arg(ds.tableName(), keyField), {edited}), 1);
    }
}

// ---- MarkZeroGoods ---------------------------------------------------------------------

void TestBaseData::markZeroGoods_data()
{
    QTest::addColumn<QString>("column"); // set on goods 1; empty for none
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("marked");

    QTest::newRow("no movement") << QString() << 0.0 << true;
    QTest::newRow("stock-in amount without quantity") << "HandIncMny" << 10.0 << true;
    QTest::newRow("opening amount without quantity") << "PrevOnHandMny" << 10.0 << true;
    QTest::newRow("takings without quantity") << "SoldMny" << 10.0 << true;
    QTest::newRow("opening stock") << "PrevOnHand" << 1.0 << false;
    QTest::newRow("opening stock at customers") << "PrevOnCustHand" << 0.5 << false;
    QTest::newRow("stock-in") << "HandInc" << 3.0 << false;
    QTest::newRow("returned to the vendor") << "HandInc" << -2.0 << false;
    QTest::newRow("delivered") << "CustHandInc" << 1.0 << false;
    QTest::newRow("sold") << "Sold" << 1.0 << false;
}

void TestBaseData::markZeroGoods()
{
    QFETCH(QString, column);
    QFETCH(double, value);
    QFETCH(bool, marked);

    // The old marks are the opposite, so both directions of the rewrite are seen.
    QStringList rows = masterRows;
    rows << QString("UPDATE Goods SET IsZero = %1").arg(marked ? 0 : 1);
    if (!column.isEmpty())
        rows << QString("UPDATE Goods SET %1 = %2 WHERE GoodID = 1").arg(column).arg(value);
    open(rows);
    QVERIFY(m_m->base.Goods->locate("GoodID", 1));

    QString error;
    QVERIFY2(m_m->base.MarkZeroGoods(&error), qPrintable(error));
    // The marks are this program's own: the file keeps the old ones.
    QCOMPARE(m_m->count("SELECT count(*) FROM Goods WHERE IsZero = ?", {marked ? 0 : 1}), m_m->count("SELECT count(*) FROM Goods"));
    for (Dataset *view : {m_m->base.Goods, m_m->base.lkGoods, m_m->base.GoodAvgPrice, m_m->tab.Goods})
        QVERIFY2(view->isOpen(), qPrintable(view->name()));
    Dataset &goods = *m_m->base.Goods;
    QVERIFY(goods.locate("GoodID", 1));
    QCOMPARE(goods.value("IsZero").toBool(), marked);
    QVERIFY(goods.locate("GoodID", 3));
    QCOMPARE(goods.value("IsZero").toBool(), true);
    QVERIFY(m_m->tab.Goods->locate("GoodID", 1));
    QCOMPARE(m_m->tab.Goods->value("IsZero").toBool(), marked);
}

// ---- FilterGoods -----------------------------------------------------------------------

void TestBaseData::filterGoods_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("expected");

    QList<int> all;
    for (int id = 1; id <= 21; ++id)
        all << id;
    QList<int> described = all;
    described.removeAll(8);

    QTest::newRow("code 1") << "Goods" << 1 << "1" << QList<int>{1, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21};
    QTest::newRow("code 1 with blanks around") << "Goods" << 1 << " 1 " << QList<int>{1, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21};
    QTest::newRow("code 2") << "Goods" << 1 << "2" << QList<int>{2, 12, 20, 21};
    QTest::newRow("code 12") << "Goods" << 1 << "12" << QList<int>{12};
    QTest::newRow("code %: literal, matches nothing") << "Goods" << 1 << "%" << QList<int>{};
    QTest::newRow("code _: literal, matches nothing") << "Goods" << 1 << "_" << QList<int>{};
    QTest::newRow("code, empty text: every item") << "Goods" << 1 << "" << all;
    QTest::newRow("description") << "Goods" << 0 << "螺丝" << QList<int>{1, 2};
    QTest::newRow("description, other case") << "Goods" << 0 << "m3" << QList<int>{1};
    QTest::newRow("description, empty text: every described item") << "Goods" << 0 << "" << described;
    QTest::newRow("description with quote, % and _") << "Goods" << 0 << "'Brien 5%_off" << QList<int>{4};
    QTest::newRow("description %") << "Goods" << 0 << "%" << QList<int>{4, 5};
    QTest::newRow("description _") << "Goods" << 0 << "_" << QList<int>{4, 6};
    QTest::newRow("description backslash") << "Goods" << 0 << "\\" << QList<int>{7};
    QTest::newRow("description quote only") << "Goods" << 0 << "'" << QList<int>{4, 5, 6};
    QTest::newRow("nothing found") << "Goods" << 0 << "不存在" << QList<int>{};
    QTest::newRow("goods picker view") << "lkGoods" << 0 << "螺丝" << QList<int>{1, 2};
    QTest::newRow("stock view") << "tab.Goods" << 1 << "20" << QList<int>{20};
}

void TestBaseData::filterGoods()
{
    QFETCH(QString, dataset);
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QList<int>, expected);

    QStringList rows = {"INSERT INTO Goods (GoodID, Description) VALUES (1, '螺丝 M3'), (2, '螺丝 M4'), (3, '垫片'), "
                        "(4, 'O''Brien 5%_off'), (5, 'O''Brien 5%Aoff'), (6, 'O''Brien 5 x_off'), (7, 'C:\\tmp'), "
                        "(8, NULL)"};
    for (int id = 9; id <= 21; ++id)
        rows << QString("INSERT INTO Goods (GoodID, Description) VALUES (%1, '商品')").arg(id);
    open(rows);
    Dataset &goods = *m_m->dataset(dataset);

    QString error;
    QVERIFY2(m_m->base.FilterGoods(mode, text, goods, &error), qPrintable(error));
    QVERIFY(goods.isOpen());
    QVERIFY(!goods.controlsDisabled());
    QVERIFY(goods.isFiltered());
    QCOMPARE(goods.filter(), QString("flag=1"));
    QCOMPARE(test::DataModules::sorted(test::DataModules::ints(goods, "GoodID")), expected);
    // The marks are this program's own: nothing is written into the file.
    QCOMPARE(m_m->count("SELECT count(*) FROM Goods WHERE flag = 1"), 0);
}

void TestBaseData::filterMarksSharedByGoodsViews()
{
    QStringList rows;
    for (int id = 1; id <= 12; ++id)
        rows << QString("INSERT INTO Goods (GoodID, Description) VALUES (%1, '货')").arg(id);
    open(rows);
    QString error;
    QVERIFY2(m_m->base.FilterGoods(1, "1", *m_m->base.Goods, &error), qPrintable(error));
    QCOMPARE(test::DataModules::ints(*m_m->base.Goods, "GoodID"), (QList<int>{1, 10, 11, 12}));

    for (Dataset *view : {m_m->base.lkGoods, m_m->tab.Goods, m_m->tab.GoodsCheck}) {
        QVERIFY(view->setFilter("flag=1").ok());
        QVERIFY(view->setFiltered(true).ok());
        QVERIFY(view->refresh().ok());
        QCOMPARE(test::DataModules::ints(*view, "GoodID"), (QList<int>{1, 10, 11, 12}));
    }

    // A second search replaces the marks of the first.
    QVERIFY2(m_m->base.FilterGoods(1, "2", *m_m->base.lkGoods, &error), qPrintable(error));
    QCOMPARE(test::DataModules::ints(*m_m->base.lkGoods, "GoodID"), (QList<int>{2, 12}));
    QVERIFY(m_m->tab.Goods->refresh().ok());
    QCOMPARE(test::DataModules::ints(*m_m->tab.Goods, "GoodID"), (QList<int>{2, 12}));
}

QTEST_GUILESS_MAIN(TestBaseData)
#include "test_basedata.moc"
