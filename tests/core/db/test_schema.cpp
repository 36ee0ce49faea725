// The blank account set: every table and column with its type class, the seed rows,
// the file marks, and the refusals that come from the database's own keys.
#include "core/db/accountsetformat.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/db/refusals.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestSchema : public QObject
{
    Q_OBJECT
private slots:
    void columns_data();
    void columns();
    void noExtraColumns();
    void seedRows();
    void fileMarks();
    void countersDefaultToZero();
    void refusals_data();
    void refusals();
    void autoNumberNeverReused();
    void unknownErrorsAreNotRefusals();

private:
    test::TempAccountSet m_set;
    Database m_db;
    void initTestCase() {}

public:
    TestSchema() { QVERIFY2(m_db.open(m_set.path()), "open"); }
};

namespace {
// Table -> "Column:class" list. Class: I integer, R real, T text, B blob.
const QList<QPair<QString, QString>> expectedSchema = {
    {"Catalogs", "CataID:I Catalog:T Remark:T Picture:B"},
    {"Areas", "AreaID:I AreaName:T"},
    {"Units", "UnitID:I Unit:T"},
    {"Vendors", "VendorID:I VendorName:T AreaID:I Address:T Zip:T Telephone:T Fax:T Preferred:I"},
    {"Customers", "CustID:I AreaID:I CustName:T Address:T Telephone:T Fax:T Manager:T RegDate:T"},
    {"Departments", "CustID:I Department:T Address:T Telphone:T Manager:T"},
    {"Employees", "EmpID:I DeptID:I Employee:T Sex:T Age:I BirthDay:T Address:T Telphone:T Picture:B"},
    {"UserRoles", "RoleID:I Role:T Description:T"},
    {"psd", "UserID:I Password:T RoleID:I"},
    {"UserInfo", "id:I Name:T Address:T 闸帐月:I 闸帐日:I 结转时间:T"},
    {"DisplayStyle", "DataFormat:T"},
    {"Goods", "GoodID:I Description:T BarCode:T CataID:I UnitID:I VendorID:I CustID:I TaxRate:R CostPrice:R "
              "SellPrice:R HardOrder:I InUse:I IsZero:I EnterDate:T EnterDeptID:I flag:I DiffCheck:R PrevOnHand:R "
              "PrevOnHandMny:R HandInc:R HandIncMny:R CustHandInc:R CustHandIncMny:R PrevOnCustHand:R "
              "PrevOnCustHandMny:R Sold:R SoldMny:R"},
    {"GoodsInCusts", "GoodID:I CustID:I PrevOnHand:R PrevOnHandMny:R HandInc:R HandIncMny:R Sold:R SoldMny:R"},
    {"GoodsAvgPrice", "GoodID:I CostAvgPrice:R SellAvgPrice:R"},
    {"RuKuDan", "TabID:I BookID:T CustID:I TabDate:T RegDate:T SumMoney:R Remark:T ForQuery:I PersonID:I KindID:I "
                "invoice:T invoiceMny:R PageID:I"},
    {"DiaoBoDan", "TabID:I BookID:T CustID:I TabDate:T RegDate:T SumMoney:R Remark:T ForQuery:I PersonID:I KindID:I "
                  "PageID:I PayDelay:I"},
    {"ChuKuDan", "TabID:I BookID:T CustID:I TabDate:T RegDate:T SumMoney:R Remark:T ForQuery:I PersonID:I KindID:I "
                 "PageID:I HowToPay:T"},
    {"RuKuMx", "TabID:I ItemNo:I GoodID:I Price:R Qty:R"},
    {"DiaoBoMx", "TabID:I ItemNo:I GoodID:I Price:R Qty:R"},
    {"ChuKuMx", "TabID:I ItemNo:I GoodID:I Price:R Qty:R"},
    {"Invoices", "TabID:I invoice:T vendorid:I date:T totalmny:R remark:T"},
    {"InvoiceMx", "TabID:I GoodID:R paidqty:R price:R paidmny:R"},
};

QChar typeClass(const QString &declared)
{
    const QString t = declared.toUpper();
    if (t.contains("INT"))
        return 'I';
    if (t.contains("REAL"))
        return 'R';
    if (t.contains("TEXT"))
        return 'T';
    if (t.contains("BLOB"))
        return 'B';
    return '?';
}

QMap<QString, QChar> actualColumns(Database &db, const QString &table)
{
    QMap<QString, QChar> out;
    QSqlQuery q = db.query(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"), {table});
    q.exec();
    while (q.next())
        out.insert(q.value(0).toString().toLower(), typeClass(q.value(1).toString()));
    return out;
}
} // namespace

void TestSchema::columns_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("typeClass");
    for (const auto &t : expectedSchema) {
        for (const QString &c : t.second.split(' ')) {
            const QStringList parts = c.split(':');
            QTest::newRow(qPrintable(t.first + "." + parts[0])) << t.first << parts[0] << parts[1];
        }
    }
}

void TestSchema::columns()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, typeClass);
    const auto cols = actualColumns(m_db, table);
    QVERIFY2(!cols.isEmpty(), qPrintable("missing table " + table));
    QVERIFY2(cols.contains(column.toLower()), qPrintable("missing column " + column));
    QCOMPARE(QString(cols.value(column.toLower())), typeClass);
}

void TestSchema::noExtraColumns()
{
    for (const auto &t : expectedSchema)
        QCOMPARE(actualColumns(m_db, t.first).size(), t.second.split(' ').size());
    // Names are case-insensitive in statements, as the program writes them in both spellings.
    QVERIFY(m_db.scalar("SELECT count(*) FROM GoodsIncusts").isValid());
    QVERIFY(m_db.exec("SELECT paidMny FROM InvoiceMx"));
}

void TestSchema::seedRows()
{
    QCOMPARE(m_db.scalar("SELECT group_concat(RoleID) FROM (SELECT RoleID FROM UserRoles ORDER BY RoleID)").toString(),
             QString("0,1,2,3"));
    QCOMPARE(m_db.scalar("SELECT count(*) FROM UserRoles WHERE Role <> '' AND Description <> ''").toInt(), 4);
    QCOMPARE(m_db.scalar("SELECT count(*) FROM Departments").toInt(), 1);
    QCOMPARE(m_db.scalar("SELECT Employee FROM Employees WHERE EmpID = 1").toString(), QString("管理员"));
    QCOMPARE(m_db.scalar("SELECT RoleID FROM psd WHERE UserID = 1").toInt(), 0);
    QVERIFY(verifyPassword(QString(), m_db.scalar("SELECT Password FROM psd WHERE UserID = 1").toString()));
    QVERIFY(m_db.scalar("SELECT Password FROM psd WHERE UserID = 1").toString().startsWith("$argon2id$"));
    QCOMPARE(m_db.scalar("SELECT count(*) FROM UserInfo").toInt(), 1);
    QCOMPARE(m_db.scalar("SELECT count(*) FROM DisplayStyle WHERE DataFormat = ''").toInt(), 1);
    QCOMPARE(m_db.scalar("SELECT count(*) FROM Goods").toInt(), 0);
}

void TestSchema::fileMarks()
{
    QCOMPARE(m_db.scalar("PRAGMA application_id").toInt(), AccountSetFormat::ApplicationId);
    QCOMPARE(m_db.scalar("PRAGMA user_version").toInt(), AccountSetFormat::SchemaVersion);
    QCOMPARE(m_db.scalar("PRAGMA journal_mode").toString(), QString("wal"));
}

void TestSchema::countersDefaultToZero()
{
    Transaction tx(m_db);
    QVERIFY(m_db.exec("INSERT INTO Goods(GoodID, Description) VALUES (900, 'x')"));
    QCOMPARE(m_db.scalar("SELECT PrevOnHand + PrevOnHandMny + HandInc + HandIncMny + CustHandInc + CustHandIncMny + "
                         "PrevOnCustHand + PrevOnCustHandMny + Sold + SoldMny FROM Goods WHERE GoodID = 900").toDouble(),
             0.0);
    QVERIFY(!m_db.exec("UPDATE Goods SET HandInc = NULL WHERE GoodID = 900"));
    QVERIFY(m_db.exec("INSERT INTO GoodsInCusts(GoodID, CustID) VALUES (900, 1)"));
    QCOMPARE(m_db.scalar("SELECT HandInc + Sold + PrevOnHandMny FROM GoodsInCusts").toDouble(), 0.0);
    tx.rollback();
}

void TestSchema::refusals_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("message");
    const QString code = "代码重复，请重新录入。";
    QTest::newRow("goods id") << QStringList{"INSERT INTO Goods(GoodID) VALUES (5)", "INSERT INTO Goods(GoodID) VALUES (5)"} << code;
    QTest::newRow("unit id") << QStringList{"INSERT INTO Units VALUES (3,'a')", "INSERT INTO Units VALUES (3,'b')"} << code;
    QTest::newRow("unit key change onto another")
        << QStringList{"INSERT INTO Units VALUES (3,'a')", "INSERT INTO Units VALUES (4,'b')", "UPDATE Units SET UnitID=3 WHERE UnitID=4"} << code;
    QTest::newRow("user id") << QStringList{"INSERT INTO psd(UserID, RoleID) VALUES (1, 2)"} << QString("数据库:禁止重复。");
    for (const char *t : {"RuKuMx", "DiaoBoMx", "ChuKuMx"}) {
        QTest::newRow(t) << QStringList{QString("INSERT INTO %1(TabID, ItemNo, GoodID) VALUES (1,1,7)").arg(t),
                                        QString("INSERT INTO %1(TabID, ItemNo, GoodID) VALUES (1,2,7)").arg(t)}
                         << QString("数据库:禁止单据中重复出现相同品名型号。");
    }
    for (const char *t : {"RuKuDan", "DiaoBoDan", "ChuKuDan"}) {
        QTest::newRow(qPrintable(QString(t) + " null book")) << QStringList{QString("INSERT INTO %1(KindID) VALUES (1)").arg(t)}
                                                             << QString("数据库:要求原始凭证。");
        QTest::newRow(qPrintable(QString(t) + " blank book")) << QStringList{QString("INSERT INTO %1(BookID) VALUES ('  ')").arg(t)}
                                                              << QString("数据库:要求原始凭证。");
    }
    QTest::newRow("invoice number") << QStringList{"INSERT INTO Invoices(TabID, invoice) VALUES (1,'F-1')",
                                                   "INSERT INTO Invoices(TabID, invoice) VALUES (2,'F-1')"}
                                    << QString("数据库:发票号已经存在，本发票号重复，请重新录入。");
}

void TestSchema::refusals()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, message);
    Transaction tx(m_db);
    QSqlError error;
    for (int i = 0; i < statements.size() - 1; ++i)
        QVERIFY2(m_db.exec(statements[i]), qPrintable(statements[i]));
    QVERIFY(!m_db.exec(statements.last(), {}, &error));
    QCOMPARE(refusalMessage(error), message);
    tx.rollback();
}

void TestSchema::autoNumberNeverReused()
{
    Transaction tx(m_db);
    QVERIFY(m_db.exec("INSERT INTO RuKuDan(BookID) VALUES ('a')"));
    QVERIFY(m_db.exec("INSERT INTO RuKuDan(BookID) VALUES ('b')"));
    const int last = m_db.scalar("SELECT max(TabID) FROM RuKuDan").toInt();
    QVERIFY(m_db.exec("DELETE FROM RuKuDan WHERE TabID = ?", {last}));
    QVERIFY(m_db.exec("INSERT INTO RuKuDan(BookID) VALUES ('c')"));
    QCOMPARE(m_db.scalar("SELECT max(TabID) FROM RuKuDan").toInt(), last + 1);
    // Two bills may share a number: BookID is required, not unique.
    QVERIFY(m_db.exec("INSERT INTO RuKuDan(BookID) VALUES ('c')"));
    tx.rollback();
}

void TestSchema::unknownErrorsAreNotRefusals()
{
    QSqlError error;
    QVERIFY(!m_db.exec("INSERT INTO NoSuchTable VALUES (1)", {}, &error));
    QVERIFY(refusalMessage(error).isEmpty());
}

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
