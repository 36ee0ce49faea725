// The datasets of BaseData and TabData as the windows see them: the open loop, lookups,
// calculated figures, captions, master links, the display format and the title sort.
#include "datamodulesfixture.h"

#include "core/data/datamodules.h"
#include "core/data/sortbytitle.h"

#include <QtTest>

using namespace hemu;

namespace {
const QString table = QStringLiteral("TADOTable");
const QString command = QStringLiteral("TADODataSet");
const QString query = QStringLiteral("TADOQuery");

// Category 1, unit 3, customer 1, goods 1 (fully described, with counters), goods 2
// (category and unit deleted long ago), goods 3 (no counters); a stock-in bill with two
// lines and a receipt bill.
const QStringList stockRows = {
    "INSERT INTO Catalogs (CataID, Catalog) VALUES (1, '五金')",
    "INSERT INTO Units (UnitID, Unit) VALUES (3, '个')",
    "INSERT INTO Customers (CustID, CustName) VALUES (1, '一店')",
    "INSERT INTO Vendors (VendorID, VendorName) VALUES (1, '甲厂')",
    "INSERT INTO Goods (GoodID, Description, CataID, UnitID, CostPrice, SellPrice, PrevOnHand, PrevOnHandMny, HandInc, "
    "HandIncMny, CustHandInc, CustHandIncMny, PrevOnCustHand, PrevOnCustHandMny, Sold, SoldMny) VALUES "
    "(1, '螺丝', 1, 3, 12.34, -12.34, 10, 100, 5, 50.5, 3, 30, 2, 20, 1, 10.25), "
    "(2, '旧货', 99, 99, NULL, NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), "
    "(3, '垫片', 1, 3, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)",
    "INSERT INTO GoodsAvgPrice (GoodID, CostAvgPrice, SellAvgPrice) VALUES (1, 2.5, 3.456)",
    "INSERT INTO GoodsInCusts (GoodID, CustID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, Sold, SoldMny) VALUES "
    "(1, 1, 1, 10, 3, 30, 1, 12.34), (2, 7, 0, 0, 0, 0, 0, 0)",
    "INSERT INTO RuKuDan (TabID, BookID, CustID, PersonID, SumMoney) VALUES (1, 'RK-1', 1, 1, 12.34)",
    "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 1, 2.5, 3), (1, 2, 3, NULL, 4), (1, 3, 99, 2, 2)",
    "INSERT INTO ChuKuDan (TabID, BookID, CustID, PersonID, SumMoney) VALUES (1, 'SK-1', 1, 1, 12.34)",
};

QStringList tabDataOrder()
{
    return {"RuKu", "DiaoBo", "ChuKu", "RuKuMx", "DiaoBoMx", "ChuKuMx", "Goods", "GoodsInCusts", "GoodsInCusts1", "Goods2",
            "GoodsInCusts2", "Goods1", "GoodsCheck", "Invoices", "InvoiceMx"};
}
QStringList baseDataOrder()
{
    return {"Cata", "Areas", "Units", "Vendors", "Goods", "Custs", "Employees", "lkRole", "Psd", "Depart", "CustExists",
            "lkGoods", "GoodAvgPrice", "tbStyle", "UserInfo"};
}
} // namespace

class TestDataModules : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openWalksDatasetsInOrder();
    void openStopsAtFailure_data();
    void openStopsAtFailure();
    void openingOpensDependents_data();
    void openingOpensDependents();

    void lookups_data();
    void lookups();
    void calculatedFigures_data();
    void calculatedFigures();
    void stockViewFields();
    void stockViewCaptions_data();
    void stockViewCaptions();

    void masterLink_data();
    void masterLink();

    void applyDisplayFormat_data();
    void applyDisplayFormat();
    void stockRefreshKeepsItem();

    void sortByTitle_data();
    void sortByTitle();

private:
    void open(const QStringList &rows = stockRows);
    std::unique_ptr<test::DataModules> m_m;
};

void TestDataModules::init()
{
    m_m = std::make_unique<test::DataModules>();
}

void TestDataModules::cleanup()
{
    m_m.reset();
}

void TestDataModules::open(const QStringList &rows)
{
    m_m->exec(rows);
    const QString failure = m_m->openTables();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

// ---- the open loop ---------------------------------------------------------------------

void TestDataModules::openWalksDatasetsInOrder()
{
    QStringList opened; // in the order they were opened
    const QList<Dataset *> all = m_m->base.registry().datasets();
    for (Dataset *ds : all)
        QObject::connect(ds, &Dataset::activeChanged, ds, [&opened, ds](bool open) {
            if (open)
                opened << ds->name();
        });

    QStringList walked; // tables and commands, in registry order
    QStringList queries;
    for (Dataset *ds : all) {
        QVERIFY2(!ds->isOpen(), qPrintable(ds->name()));
        (ds->kind() == Dataset::Kind::Query ? queries : walked) << ds->name();
    }
    QCOMPARE(walked, baseDataOrder() + tabDataOrder());
    QCOMPARE(queries, (QStringList{"qMaxGoodID", "GoodUsed", "qTest"}));
    // BaseData's datasets, its queries included, come before every one of TabData's.
    QCOMPARE(all.indexOf(m_m->base.qTest) + 1, all.indexOf(m_m->tab.RuKu));
    QCOMPARE(all.first(), m_m->base.Cata);
    QCOMPARE(all.last(), m_m->tab.InvoiceMx);

    open();
    for (Dataset *ds : all) {
        const QString expectedKind = ds->kind() == Dataset::Kind::Query ? query
            : ds == m_m->base.CustExists                                 ? command
                                                                         : table;
        QCOMPARE(ds->kindName(), expectedKind);
        QCOMPARE(ds->isOpen(), ds->kind() != Dataset::Kind::Query);
    }
    // Everything opened exactly once, whether by the walk or by a dataset opened before it.
    opened.sort();
    walked.sort();
    QCOMPARE(opened, walked);

    m_m->base.registry().closeAll();
    for (Dataset *ds : all)
        QVERIFY2(!ds->isOpen(), qPrintable(ds->name()));
}

void TestDataModules::openStopsAtFailure_data()
{
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("open");   // open afterwards
    QTest::addColumn<QStringList>("closed"); // left closed

    QTest::newRow("areas") << "Areas" << "ClassName=TADOTableName=Areas" << QStringList{"Cata"}
                           << QStringList{"Areas", "Units", "Goods", "UserInfo", "RuKu", "InvoiceMx"};
    QTest::newRow("customers") << "Customers" << "ClassName=TADOTableName=Custs"
                               << QStringList{"Cata", "Areas", "Units", "Vendors", "Goods", "lkGoods"}
                               << QStringList{"Custs", "Employees", "Psd", "CustExists", "tbStyle", "RuKu"};
    QTest::newRow("delivery bills: the customer usage query")
        << "DiaoBoDan" << "ClassName=TADODataSetName=CustExists" << QStringList{"Custs", "Depart", "Goods"}
        << QStringList{"CustExists", "tbStyle", "UserInfo", "RuKu", "DiaoBo"};
    QTest::newRow("invoice lines: the last one") << "InvoiceMx" << "ClassName=TADOTableName=InvoiceMx"
                                                 << QStringList{"Cata", "UserInfo", "RuKu", "RuKuMx", "GoodsCheck", "Invoices"}
                                                 << QStringList{"InvoiceMx"};
    QTest::newRow("invoices") << "Invoices" << "ClassName=TADOTableName=Invoices"
                              << QStringList{"RuKu", "RuKuMx", "ChuKuMx", "GoodsCheck"} << QStringList{"Invoices", "InvoiceMx"};
}

void TestDataModules::openStopsAtFailure()
{
    QFETCH(QString, dropped);
    QFETCH(QString, message);
    QFETCH(QStringList, open);
    QFETCH(QStringList, closed);

    m_m->exec("DROP TABLE " + dropped);
    QCOMPARE(m_m->openTables(), message);
    for (const QString &name : open)
        QVERIFY2(m_m->dataset(name)->isOpen(), qPrintable(name));
    for (const QString &name : closed)
        QVERIFY2(!m_m->dataset(name)->isOpen(), qPrintable(name));
}

void TestDataModules::openingOpensDependents_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QStringList>("alsoOpen");

    QTest::newRow("goods master") << "Goods"
                                  << QStringList{"lkGoods", "GoodAvgPrice", "tab.Goods", "GoodsInCusts", "GoodsInCusts1"};
    QTest::newRow("stock view") << "tab.Goods" << QStringList{"GoodsInCusts", "GoodsInCusts1"};
    QTest::newRow("customer view") << "GoodsInCusts" << QStringList{"GoodsInCusts1"};
    QTest::newRow("stock-in bills") << "RuKu" << QStringList{"RuKuMx"};
    QTest::newRow("invoices") << "Invoices" << QStringList{};
    QTest::newRow("delivery bills") << "DiaoBo" << QStringList{"DiaoBoMx"};
    QTest::newRow("receipt bills") << "ChuKu" << QStringList{"ChuKuMx"};
}

void TestDataModules::openingOpensDependents()
{
    QFETCH(QString, dataset);
    QFETCH(QStringList, alsoOpen);

    Dataset &ds = *m_m->dataset(dataset);
    QVERIFY(ds.open().ok());
    QSet<Dataset *> expected{&ds};
    for (const QString &name : alsoOpen)
        expected.insert(m_m->dataset(name));
    for (Dataset *other : m_m->base.registry().datasets())
        QVERIFY2(other->isOpen() == expected.contains(other), qPrintable(other->name()));
    // Closing goes the same way down.
    ds.close();
    for (const QString &name : alsoOpen)
        QVERIFY2(!m_m->dataset(name)->isOpen(), qPrintable(name));
}

// ---- fields ----------------------------------------------------------------------------

void TestDataModules::lookups_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    QTest::newRow("goods category") << "Goods" << "GoodID" << 1 << "lkCata" << "五金";
    QTest::newRow("goods category missing") << "Goods" << "GoodID" << 2 << "lkCata" << "";
    QTest::newRow("goods unit missing") << "Goods" << "GoodID" << 2 << "Unit" << "";
    QTest::newRow("goods average cost price") << "Goods" << "GoodID" << 1 << "CostAvgPrice" << "2.5";
    QTest::newRow("goods average selling price") << "Goods" << "GoodID" << 1 << "SellAvgPrice" << "3.46";
    QTest::newRow("goods without average price") << "Goods" << "GoodID" << 3 << "CostAvgPrice" << "";
    QTest::newRow("goods lookup view category missing") << "lkGoods" << "GoodID" << 2 << "lkCata" << "";
    QTest::newRow("stock view category") << "tab.Goods" << "GoodID" << 1 << "lkCataName" << "五金";
    QTest::newRow("stock view category missing") << "tab.Goods" << "GoodID" << 2 << "lkCataName" << "";
    QTest::newRow("stock view unit missing") << "tab.Goods" << "GoodID" << 2 << "lkUnit" << "";
    QTest::newRow("customer stock: goods name") << "GoodsInCusts" << "GoodID" << 1 << "lkGoodName" << "螺丝";
    QTest::newRow("customer stock: unit through the goods") << "GoodsInCusts" << "GoodID" << 1 << "lkUnit" << "个";
    QTest::newRow("customer stock: customer missing") << "GoodsInCusts" << "GoodID" << 2 << "lkCustName" << "";
    QTest::newRow("customer stock: unit missing") << "GoodsInCusts" << "GoodID" << 2 << "lkUnit" << "";
    QTest::newRow("bill line: goods name") << "RuKuMx" << "GoodID" << 1 << "Description" << "螺丝";
    QTest::newRow("bill line: unit through the goods") << "RuKuMx" << "GoodID" << 3 << "lkUnit" << "个";
    QTest::newRow("bill line: goods missing") << "RuKuMx" << "GoodID" << 99 << "Description" << "";
    QTest::newRow("bill line: unit of missing goods") << "RuKuMx" << "GoodID" << 99 << "lkUnit" << "";
    QTest::newRow("stock-in bill: vendor") << "RuKu" << "TabID" << 1 << "lkVendor" << "甲厂";
    QTest::newRow("stock-in bill: who entered it") << "RuKu" << "TabID" << 1 << "InputerName" << "管理员";
    QTest::newRow("receipt bill: customer") << "ChuKu" << "TabID" << 1 << "lkCust" << "一店";
    QTest::newRow("user: name") << "Psd" << "UserID" << 1 << "UserName" << "管理员";
    QTest::newRow("user: role") << "Psd" << "UserID" << 1 << "Role" << "系统管理员";
    QTest::newRow("employee: department") << "Employees" << "EmpID" << 1 << "Dept" << "办公室";
}

void TestDataModules::lookups()
{
    QFETCH(QString, dataset);
    QFETCH(QString, keyField);
    QFETCH(int, key);
    QFETCH(QString, field);
    QFETCH(QString, expected);

    open();
    Dataset &ds = *m_m->dataset(dataset);
    QVERIFY(ds.locate(keyField, key));
    QCOMPARE(ds.fieldByName(field).displayText(), expected);
    QCOMPARE(ds.fieldByName(field).isNull(), expected.isEmpty());
}

void TestDataModules::calculatedFigures_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<int>("goodId");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QString>("text");

    // 10 + 5 - 3; 100 + 50.5 - 30; 2 + 3 - 1; 20 + 30 - 10.25
    QTest::newRow("stock on hand") << "tab.Goods" << 1 << "OnHand" << 12.0 << "12.0";
    QTest::newRow("stock amount") << "tab.Goods" << 1 << "OnHandMny" << 120.5 << "120.5";
    QTest::newRow("at customers") << "tab.Goods" << 1 << "OnCustHand" << 4.0 << "4.0";
    QTest::newRow("at customers amount") << "tab.Goods" << 1 << "OnCustHandMny" << 39.75 << "39.75";
    QTest::newRow("no counters: zero, shown empty") << "tab.Goods" << 3 << "OnHand" << 0.0 << "";
    QTest::newRow("goods lookup view") << "lkGoods" << 1 << "OnHand" << 12.0 << "12";
    QTest::newRow("stocktaking") << "GoodsCheck" << 1 << "OnHand" << 12.0 << "12.0";
    QTest::newRow("stocktaking amount") << "GoodsCheck" << 1 << "OnHandMny" << 120.5 << "120.5";
    // 1 + 3 - 1; 10 + 30 - 12.34
    QTest::newRow("one customer") << "GoodsInCusts" << 1 << "OnHand" << 3.0 << "3.0";
    QTest::newRow("one customer amount") << "GoodsInCusts" << 1 << "OnHandMny" << (10.0 + 30.0 - 12.34) << "27.66";
    QTest::newRow("line amount") << "RuKuMx" << 1 << "Money" << 7.5 << "7.5";
    QTest::newRow("line without price") << "RuKuMx" << 3 << "Money" << 0.0 << "0.0";
}

void TestDataModules::calculatedFigures()
{
    QFETCH(QString, dataset);
    QFETCH(int, goodId);
    QFETCH(QString, field);
    QFETCH(double, expected);
    QFETCH(QString, text);

    open();
    Dataset &ds = *m_m->dataset(dataset);
    QVERIFY(ds.locate("GoodID", goodId));
    const QVariant value = ds.value(field);
    QVERIFY(!value.isNull());
    QCOMPARE(test::exact(value.toDouble()), test::exact(expected));
    QCOMPARE(ds.fieldByName(field).displayText(), text);
    QVERIFY(ds.fieldByName(field).isReadOnly());
}

void TestDataModules::stockViewFields()
{
    open();
    QStringList names;
    for (Field *f : m_m->tab.Goods->fields())
        names << f->name();
    QCOMPARE(names, (QStringList{"CataID", "lkCataName", "Description", "GoodID", "lkUnit", "PrevOnHand", "PrevOnHandMny",
                                 "HandInc", "HandIncMny", "OnHand", "OnHandMny", "PrevOnCustHand", "PrevOnCustHandMny",
                                 "CustHandInc", "CustHandIncMny", "Sold", "SoldMny", "OnCustHand", "OnCustHandMny", "CostPrice",
                                 "SellPrice", "HardOrder", "InUse", "IsZero", "flag", "UnitID"}));

    // The master view shows neither the counters nor the bookkeeping columns.
    QStringList visible;
    for (Field *f : m_m->base.Goods->visibleFields())
        visible << f->name();
    for (const char *hidden : {"VendorID", "DiffCheck", "PrevOnHand", "HandInc", "SoldMny", "EnterDate", "EnterDeptID", "flag",
                               "CataID", "UnitID"})
        QVERIFY2(!visible.contains(hidden), hidden);
    for (const char *shown : {"GoodID", "Description", "lkCata", "Unit", "CostAvgPrice", "SellAvgPrice"})
        QVERIFY2(visible.contains(shown), shown);
    QVERIFY(!m_m->base.Goods->findField("VendorID"));
    QVERIFY(!m_m->base.Goods->findField("DiffCheck"));
    QVERIFY(!m_m->tab.Goods1->findField("Description"));
    QVERIFY(m_m->tab.Goods1->findField("HandInc"));
}

void TestDataModules::stockViewCaptions_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("visible");

    const QString counter = "0.0#;'-'0.0#;#";
    const QString money = "0.0#;'-'0.0#;#.##";
    QTest::newRow("category code") << "tab.Goods" << "CataID" << "类别码" << "" << true;
    QTest::newRow("category") << "tab.Goods" << "lkCataName" << "类别" << "" << true;
    QTest::newRow("description") << "tab.Goods" << "Description" << "品名型号" << "" << true;
    QTest::newRow("code") << "tab.Goods" << "GoodID" << "商品码" << "" << true;
    QTest::newRow("unit") << "tab.Goods" << "lkUnit" << "单位" << "" << true;
    QTest::newRow("opening") << "tab.Goods" << "PrevOnHand" << "期初数" << counter << true;
    QTest::newRow("stock") << "tab.Goods" << "OnHand" << "库存数" << counter << true;
    QTest::newRow("stock amount") << "tab.Goods" << "OnHandMny" << "库存金额" << counter << true;
    QTest::newRow("customers' opening amount") << "tab.Goods" << "PrevOnCustHandMny" << "客户期初金额" << counter << true;
    QTest::newRow("takings") << "tab.Goods" << "SoldMny" << "销售收款" << counter << true;
    QTest::newRow("at customers amount") << "tab.Goods" << "OnCustHandMny" << "客户结存金额" << counter << true;
    QTest::newRow("cost price") << "tab.Goods" << "CostPrice" << "购入价" << money << true;
    QTest::newRow("print order") << "tab.Goods" << "HardOrder" << "排序" << "" << true;
    QTest::newRow("out of use") << "tab.Goods" << "InUse" << "停用" << "" << true;
    QTest::newRow("unit code hidden") << "tab.Goods" << "UnitID" << "" << "" << false;
    QTest::newRow("customer stock code") << "GoodsInCusts" << "CustID" << "客户码" << "" << true;
    QTest::newRow("customer stock goods") << "GoodsInCusts" << "lkGoodName" << "品名型号" << "" << true;
    QTest::newRow("customer stock quantity") << "GoodsInCusts" << "OnHand" << "数量" << money << true;
    QTest::newRow("customer stock goods code hidden") << "GoodsInCusts" << "GoodID" << "商品码" << "" << false;
    QTest::newRow("stocktaking difference") << "GoodsCheck" << "DiffCheck" << "帐实差" << "0.0#;'-'0.0#;0.##" << true;
    QTest::newRow("stocktaking stock") << "GoodsCheck" << "OnHand" << "库存数" << "0.0#;" << true;
    QTest::newRow("stocktaking sold") << "GoodsCheck" << "Sold" << "售出数" << money << true;
    QTest::newRow("stock-in line goods") << "RuKuMx" << "Description" << "品名规格" << "" << true;
    QTest::newRow("delivery line goods") << "DiaoBoMx" << "Description" << "品名型号" << "" << true;
    QTest::newRow("line amount") << "ChuKuMx" << "Money" << "金额" << "0.0#" << true;
    QTest::newRow("goods lookup name") << "lkGoods" << "Description" << "产品名称" << "" << true;
    QTest::newRow("average cost price") << "Goods" << "CostAvgPrice" << "平均进货价" << money << true;
    QTest::newRow("delivery bill customer") << "DiaoBo" << "lkCust" << "客户" << "" << true;
    QTest::newRow("receipt bill author") << "ChuKu" << "InputerName" << "录入" << "" << true;
    QTest::newRow("stock-in bill author") << "RuKu" << "InputerName" << "录单" << "" << true;
    QTest::newRow("invoice vendor") << "Invoices" << "Vendor" << "供货方名称" << "" << true;
    QTest::newRow("invoice line goods") << "InvoiceMx" << "lkGood" << "品名型号" << "" << true;
    QTest::newRow("user name") << "Psd" << "UserName" << "用户名称" << "" << true;
    QTest::newRow("employee department") << "Employees" << "Dept" << "部门" << "" << true;
    QTest::newRow("customer area") << "Custs" << "lkArea" << "地区" << "" << true;
}

void TestDataModules::stockViewCaptions()
{
    QFETCH(QString, dataset);
    QFETCH(QString, field);
    QFETCH(QString, caption);
    QFETCH(QString, format);
    QFETCH(bool, visible);

    open();
    const Field *f = m_m->dataset(dataset)->findField(field);
    QVERIFY(f);
    QCOMPARE(f->caption(), caption);
    QCOMPARE(f->displayFormat(), format);
    QCOMPARE(f->isVisible(), visible);
}

// ---- master link -----------------------------------------------------------------------

void TestDataModules::masterLink_data()
{
    QTest::addColumn<int>("tabId");
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<QString>("invoice");
    QTest::addColumn<QList<int>>("invoiceLines");

    QTest::newRow("first bill") << 1 << QList<int>{1, 2} << "F-1" << QList<int>{1, 2};
    QTest::newRow("second bill") << 2 << QList<int>{3} << "F-2" << QList<int>{3};
    QTest::newRow("bill without invoice") << 3 << QList<int>{1} << "" << QList<int>{};
    QTest::newRow("bill without lines") << 4 << QList<int>{} << "" << QList<int>{};
}

void TestDataModules::masterLink()
{
    QFETCH(int, tabId);
    QFETCH(QList<int>, lines);
    QFETCH(QString, invoice);
    QFETCH(QList<int>, invoiceLines);

    open({"INSERT INTO RuKuDan (TabID, BookID) VALUES (1, 'RK-1'), (2, 'RK-2'), (3, 'RK-3'), (4, 'RK-4')",
          "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Qty) VALUES (1, 1, 1, 1), (1, 2, 2, 1), (2, 1, 3, 1), (3, 1, 1, 1)",
          "INSERT INTO Invoices (TabID, invoice) VALUES (1, 'F-1'), (2, 'F-2')",
          "INSERT INTO InvoiceMx (TabID, GoodID, paidqty) VALUES (1, 1, 1), (1, 2, 1), (2, 3, 1)",
          // Lines of another kind with the same TabID must not show.
          "INSERT INTO DiaoBoDan (TabID, BookID) VALUES (1, 'CK-1')",
          "INSERT INTO DiaoBoMx (TabID, ItemNo, GoodID, Qty) VALUES (1, 1, 9, 1)"});
    TabData &tab = m_m->tab;
    // Start from another bill so that the move itself is what is tested.
    QVERIFY(tab.RuKu->locate("TabID", tabId == 2 ? 1 : 2));
    QVERIFY(tab.RuKu->locate("TabID", tabId));
    QCOMPARE(test::DataModules::sorted(test::DataModules::ints(*tab.RuKuMx, "GoodID")), lines);
    QCOMPARE(test::DataModules::ints(*tab.RuKuMx, "TabID"), QList<int>(lines.size(), tabId));
    QCOMPARE(tab.Invoices->recordCount(), invoice.isEmpty() ? 0 : 1);
    QCOMPARE(tab.Invoices->value("invoice").toString(), invoice);
    QCOMPARE(test::DataModules::sorted(test::DataModules::ints(*tab.InvoiceMx, "GoodID")), invoiceLines);

    // A new line takes the bill's TabID.
    QVERIFY(tab.RuKuMx->append().ok());
    QCOMPARE(tab.RuKuMx->value("TabID").toInt(), tabId);
    QVERIFY(tab.RuKuMx->cancel().ok());
}

// ---- display format --------------------------------------------------------------------

void TestDataModules::applyDisplayFormat_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("formatted");

    QTest::newRow("goods master cost price") << "Goods" << "GoodID" << 1 << "CostPrice" << "正12.3" << true;
    QTest::newRow("goods master negative price") << "Goods" << "GoodID" << 1 << "SellPrice" << "负12.3" << true;
    QTest::newRow("goods master average price") << "Goods" << "GoodID" << 1 << "CostAvgPrice" << "正2.5" << true;
    QTest::newRow("goods master code stays integer") << "Goods" << "GoodID" << 1 << "GoodID" << "1" << false;
    QTest::newRow("goods lookup view cost price") << "lkGoods" << "GoodID" << 1 << "CostPrice" << "正12.3" << true;
    QTest::newRow("goods lookup view stock") << "lkGoods" << "GoodID" << 1 << "OnHand" << "正12.0" << true;
    QTest::newRow("stock view amount") << "tab.Goods" << "GoodID" << 1 << "HandIncMny" << "正50.5" << true;
    QTest::newRow("stock view derived") << "tab.Goods" << "GoodID" << 1 << "OnCustHandMny" << "正39.8" << true;
    QTest::newRow("stock view category code") << "tab.Goods" << "GoodID" << 1 << "CataID" << "1" << false;
    QTest::newRow("customer stock amount") << "GoodsInCusts" << "GoodID" << 1 << "SoldMny" << "正12.3" << true;
    QTest::newRow("bill total keeps its own") << "RuKu" << "TabID" << 1 << "SumMoney" << "12.34" << false;
    QTest::newRow("line price keeps its own") << "RuKuMx" << "GoodID" << 1 << "Price" << "2.5" << false;
    QTest::newRow("stocktaking keeps its own") << "GoodsCheck" << "GoodID" << 1 << "CostPrice" << "12.34" << false;
    QTest::newRow("recomputation view keeps its own") << "Goods1" << "GoodID" << 1 << "CostPrice" << "12.34" << false;
}

void TestDataModules::applyDisplayFormat()
{
    QFETCH(QString, dataset);
    QFETCH(QString, keyField);
    QFETCH(int, key);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QFETCH(bool, formatted);

    const QString pattern = "'正'0.0;'负'0.0;#.#";
    open();
    Field &f = m_m->dataset(dataset)->fieldByName(field);
    const QString before = f.displayFormat();
    DataModules::ApplyDisplayFormat(m_m->base, m_m->tab, pattern);
    QVERIFY(m_m->dataset(dataset)->locate(keyField, key));
    QCOMPARE(f.displayText(), expected);
    QCOMPARE(f.displayFormat(), formatted ? pattern : before);
}

void TestDataModules::stockRefreshKeepsItem()
{
    open();
    Dataset &stock = *m_m->tab.Goods;
    QVERIFY(stock.setSort("Description ASC").ok());
    QVERIFY(stock.locate("GoodID", 3));
    const int row = stock.currentRow();
    // Items written elsewhere sort before it; one counter of it changed.
    m_m->exec({"INSERT INTO Goods (GoodID, Description) VALUES (4, 'A'), (5, 'B')",
               "UPDATE Goods SET HandInc = 7 WHERE GoodID = 3"});
    QVERIFY(stock.refresh().ok());
    QCOMPARE(stock.value("GoodID").toInt(), 3);
    QCOMPARE(stock.currentRow(), row + 2);
    QCOMPARE(stock.value("HandInc").toDouble(), 7.0);
    QCOMPARE(stock.recordCount(), 5);
    QCOMPARE(stock.sort(), QString("Description ASC"));
    QVERIFY(!stock.controlsDisabled());
    // The customer view refreshes the same way.
    QVERIFY(m_m->tab.GoodsInCusts->locate("GoodID", 2));
    QVERIFY(m_m->tab.GoodsInCusts->refresh().ok());
    QCOMPARE(m_m->tab.GoodsInCusts->value("GoodID").toInt(), 2);
}

// ---- SortByTitle -----------------------------------------------------------------------

void TestDataModules::sortByTitle_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("sort");
    QTest::addColumn<QList<int>>("order"); // GoodID in view order

    QTest::newRow("first click: ascending") << "tab.Goods" << QStringList{"Description"} << "Description ASC"
                                            << QList<int>{3, 4, 2, 1};
    QTest::newRow("second click: descending") << "tab.Goods" << QStringList{"Description", "Description"}
                                               << "Description DESC" << QList<int>{1, 2, 4, 3};
    QTest::newRow("third click: ascending again") << "tab.Goods" << QStringList{"Description", "Description", "Description"}
                                                  << "Description ASC" << QList<int>{3, 4, 2, 1};
    QTest::newRow("another column: ascending") << "tab.Goods" << QStringList{"Description", "Description", "OnHand"}
                                               << "OnHand ASC" << QList<int>{};
    QTest::newRow("lookup column: by its key") << "tab.Goods" << QStringList{"lkCataName"} << "CataID ASC"
                                               << QList<int>{4, 1, 3, 2};
    QTest::newRow("lookup column twice") << "tab.Goods" << QStringList{"lkCataName", "lkCataName"} << "CataID DESC"
                                         << QList<int>{2, 1, 3, 4};
    QTest::newRow("goods master unit") << "Goods" << QStringList{"Unit"} << "UnitID ASC" << QList<int>{1, 3, 4, 2};
    QTest::newRow("bill line goods name") << "RuKuMx" << QStringList{"Description", "Description"} << "GoodID DESC"
                                          << QList<int>{99, 3, 1};
}

void TestDataModules::sortByTitle()
{
    QFETCH(QString, dataset);
    QFETCH(QStringList, clicks);
    QFETCH(QString, sort);
    QFETCH(QList<int>, order);

    QStringList rows = stockRows;
    rows << "INSERT INTO Goods (GoodID, Description, CataID, UnitID) VALUES (4, '扳手', NULL, 4)";
    open(rows);
    Dataset &ds = *m_m->dataset(dataset);
    QVERIFY(ds.locate("GoodID", 3));
    QString last;
    for (const QString &column : clicks)
        last = SortByTitle(ds, column);
    QCOMPARE(last, sort);
    QCOMPARE(ds.sort(), sort);
    if (!order.isEmpty())
        QCOMPARE(test::DataModules::ints(ds, "GoodID"), order);
    QCOMPARE(ds.value("GoodID").toInt(), 3); // the cursor stays on its row
}

QTEST_GUILESS_MAIN(TestDataModules)
#include "test_datamodules.moc"
