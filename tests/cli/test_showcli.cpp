// hemu-cli show: the receivables and stock-change lists as the windows show them.
#include "core/analysis/receivables.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/clirun.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace hemu;

class TestShowCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void receivablesAsJson();
    void receivablesAgreeWithTheWindowsQueries();
    void tables_data();
    void tables();
    void stockAsJson();
    void refusals_data();
    void refusals();

private:
    QJsonArray rows(const QStringList &args);
    test::TempAccountSet m_set;
};

void TestShowCli::initTestCase()
{
    Database db;
    QVERIFY(db.open(m_set.path()));
    const QStringList statements = {
        "INSERT INTO Units(UnitID, Unit) VALUES (1, '个')",
        "INSERT INTO Catalogs(CataID, Catalog) VALUES (1, '饮料')",
        // goods 3 has a unit that does not exist: it is not on the detail list
        "INSERT INTO Goods(GoodID, CataID, Description, UnitID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, CustHandInc, "
        "CustHandIncMny, HardOrder) VALUES (1, 1, '矿泉水', 1, 10, 20, 5, 10, 3, 9, 2), (2, 1, '可乐', 1, 0, 0, 0, 0, 0, 0, 1), "
        "(3, 1, '汽水', 9, 0, 0, 0, 0, 0, 0, 3)",
        "INSERT INTO Customers(CustID, CustName) VALUES (1, '张三商店'), (2, '李四超市'), (3, '王五店')",
        "INSERT INTO GoodsInCusts(CustID, GoodID, PrevOnHand, PrevOnHandMny, HandInc, HandIncMny, Sold, SoldMny) VALUES "
        // 1: two lines cancelling to a zero total
        "(1, 1, 2, 10, 0, 0, 0, 0), (1, 2, 0, 0, -2, -10, 0, 0), "
        // 2: quantity all paid for, an amount open; and a line whose goods have no unit
        "(2, 1, 5, 50, 0, 0, 5, 40.5), (2, 3, 0, 0, 1, 4, 0, 0), "
        // 3: a plain receivable
        "(3, 1, 0, 0, 4, 40, 1, 10)",
    };
    for (const QString &sql : statements)
        QVERIFY2(db.exec(sql), qPrintable(sql));
}

QJsonArray TestShowCli::rows(const QStringList &args)
{
    const test::CliOutput o = test::runCli(QStringList{"show", m_set.path()} + args + QStringList{"--json"});
    if (o.code != 0)
        qWarning("%s", qPrintable(o.err));
    const QJsonDocument doc = QJsonDocument::fromJson(o.out.toUtf8());
    return doc.object().value("rows").toArray();
}

void TestShowCli::receivablesAsJson()
{
    const QJsonArray due = rows({"receivables"});
    QCOMPARE(due.size(), 2);
    QCOMPARE(due[0].toObject(), (QJsonObject{{"CustID", 2}, {"CustName", "李四超市"}, {"smny", 13.5}}));
    QCOMPARE(due[1].toObject(), (QJsonObject{{"CustID", 3}, {"CustName", "王五店"}, {"smny", 30}}));

    const QJsonArray detail = rows({"receivables-detail"});
    QStringList pairs;
    for (const QJsonValue &row : detail)
        pairs << QStringLiteral("%1/%2").arg(row["CustID"].toInt()).arg(row["GoodID"].toInt());
    // Customer 1's lines cancel out but have quantities; customer 2's first line has none, its
    // second a goods item without a unit.
    QCOMPARE(pairs, QStringList({"1/1", "1/2", "3/1"}));
    QCOMPARE(detail[2].toObject().keys(),
             QStringList({"CustID", "CustName", "Description", "GoodID", "OnHand", "OnHandMny", "Unit"}));
    QCOMPARE(detail[2]["OnHand"].toDouble(), 3.0);
    QVERIFY(detail[2]["OnHand"].isDouble());

    const QJsonArray one = rows({"receivables-detail", "--customer", "1"});
    QCOMPARE(one.size(), 2);
    QCOMPARE(rows({"receivables", "--customer", "3"}).size(), 1);
    QCOMPARE(rows({"receivables", "--customer", "1"}).size(), 0);
}

void TestShowCli::receivablesAgreeWithTheWindowsQueries()
{
    Database db;
    QVERIFY(db.open(m_set.path()));
    Receivables due(db);
    QVERIFY(due.open().ok());
    const QJsonArray shown = rows({"receivables"});
    QCOMPARE(shown.size(), due.qSumDue->rowCount());
    for (int r = 0; r < due.qSumDue->rowCount(); ++r) {
        QCOMPARE(shown[r]["CustID"].toInt(), due.qSumDue->value(r, 0).toInt());
        QCOMPARE(shown[r]["smny"].toDouble(), due.qSumDue->value(r, 2).toDouble());
    }
}

void TestShowCli::tables_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("receivables") << QStringList{"receivables"}
                                 << "客户码  客户名称  总金额\n"
                                    "     2  李四超市    13.5\n"
                                    "     3  王五店        30\n";
    QTest::newRow("detail of one customer") << QStringList{"receivables-detail", "--customer", "3"}
                                            << "客户名称  产品码  品名型号  单位  数量   金额\n"
                                               "王五店         1  矿泉水    个       3  30.00\n";
}

void TestShowCli::tables()
{
    QFETCH(QStringList, args);
    const test::CliOutput o = test::runCli(QStringList{"show", m_set.path()} + args);
    QCOMPARE(o.err, QString());
    QCOMPARE(o.code, 0);
    QTEST(o.out, "expected");
}

void TestShowCli::stockAsJson()
{
    const QJsonArray goods = rows({"stock"});
    QCOMPARE(goods.size(), 3);
    const QJsonObject first = goods[0].toObject();
    QCOMPARE(first["GoodID"].toInt(), 1);
    QCOMPARE(first["lkCataName"].toString(), QStringLiteral("饮料"));
    QCOMPARE(first["lkUnit"].toString(), QStringLiteral("个"));
    QCOMPARE(first["OnHand"].toDouble(), 12.0);   // 10 + 5 - 3
    QCOMPARE(first["OnHandMny"].toDouble(), 21.0); // 20 + 10 - 9
    QCOMPARE(first.size(), 20);

    const QJsonArray atCustomers = rows({"customer-stock", "--customer", "2"});
    QCOMPARE(atCustomers.size(), 2);
    QCOMPARE(atCustomers[0]["lkCustName"].toString(), QStringLiteral("李四超市"));
    QCOMPARE(atCustomers[0]["OnHandMny"].toDouble(), 9.5);
    QCOMPARE(atCustomers[0].toObject().size(), 13);
}

void TestShowCli::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("unknown list") << QStringList{"payable"} << 1;
    QTest::newRow("payables per customer") << QStringList{"payables", "--customer", "1"} << 1;
    QTest::newRow("stock per customer") << QStringList{"stock", "--customer", "1"} << 1;
    QTest::newRow("customer not a number") << QStringList{"receivables", "--customer", "x"} << 2;
    QTest::newRow("no list") << QStringList{} << 2;
}

void TestShowCli::refusals()
{
    QFETCH(QStringList, args);
    const test::CliOutput o = test::runCli(QStringList{"show", m_set.path()} + args);
    QTEST(o.code, "code");
    QVERIFY(o.out.isEmpty());
}

QTEST_MAIN(TestShowCli)
#include "test_showcli.moc"
