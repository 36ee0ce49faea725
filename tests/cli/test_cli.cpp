// hemu-cli as a user runs it: the real executable, real files.
#include "core/db/accountsetformat.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/demo/demodata.h"
#include "support/clirun.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace hemu;

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void newWritesBlankSet();
    void demoHasUsersOfEveryRole();
    void demoHasBillsAndAHistory();
    void exportTables();
    void execRunsOperationsThroughTheRules();
    void checkFindsDifferences();
    void refusesToOverwrite_data();
    void refusesToOverwrite();
    void badUsage();

private:
    struct Run
    {
        int code;
        QString err;
    };
    struct Output
    {
        int code;
        QString out;
        QString err;
    };
    Output cliWithInput(const QStringList &args, const QByteArray &input = {})
    {
        const test::CliOutput o = test::runCli(args, input);
        return {o.code, o.out, o.err};
    }
    Run cli(const QStringList &args)
    {
        const Output o = cliWithInput(args);
        return {o.code, o.err};
    }
};

void TestCli::newWritesBlankSet()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("blank.xb");
    QCOMPARE(cli({"new", file}).code, 0);
    QCOMPARE(probeAccountSet(file), ProbeResult::Ok);
    Database db;
    QVERIFY(db.open(file));
    QCOMPARE(db.scalar("SELECT count(*) FROM psd").toInt(), 1);
    QCOMPARE(db.scalar("SELECT count(*) FROM Goods").toInt(), 0);
}

void TestCli::demoHasUsersOfEveryRole()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("demo.xb");
    QCOMPARE(cli({"demo", file}).code, 0);
    QVERIFY(!QFile::exists(file + ".part"));
    Database db;
    QVERIFY(db.open(file));
    QVERIFY(db.scalar("SELECT count(*) FROM Areas").toInt() >= 3);
    QVERIFY(db.scalar("SELECT count(*) FROM Departments").toInt() >= 2);
    QVERIFY(db.scalar("SELECT count(*) FROM Employees").toInt() >= 4);
    QVERIFY(db.scalar("SELECT count(*) FROM Units").toInt() >= 3);
    QVERIFY(db.scalar("SELECT count(*) FROM Catalogs").toInt() >= 3);
    QVERIFY(db.scalar("SELECT count(*) FROM Goods").toInt() >= 30);
    QVERIFY(db.scalar("SELECT count(*) FROM Vendors").toInt() >= 5);
    QVERIFY(db.scalar("SELECT count(*) FROM Customers").toInt() >= 8);
    QCOMPARE(db.scalar("SELECT group_concat(RoleID) FROM (SELECT DISTINCT RoleID FROM psd ORDER BY RoleID)").toString(),
             QString("0,1,2,3"));
    // Every user is an employee and the documented password opens it.
    int count = 0;
    const DemoData::DemoUser *users = DemoData::users(&count);
    for (int i = 0; i < count; ++i) {
        QCOMPARE(db.scalar("SELECT Employee FROM Employees WHERE EmpID = ?", {users[i].id}).toString(), QString::fromUtf8(users[i].name));
        QVERIFY(verifyPassword(QString::fromUtf8(users[i].password),
                               db.scalar("SELECT Password FROM psd WHERE UserID = ?", {users[i].id}).toString()));
    }
}

void TestCli::demoHasBillsAndAHistory()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("demo.xb");
    QCOMPARE(cli({"demo", file}).code, 0);
    {
        Database db;
        QVERIFY(db.open(file));
        for (const char *t : {"RuKuDan", "DiaoBoDan", "ChuKuDan"}) {
            QVERIFY(db.scalar(QString("SELECT count(*) FROM %1").arg(t)).toInt() >= 6);
            QVERIFY(db.scalar(QString("SELECT count(DISTINCT substr(TabDate, 1, 7)) FROM %1").arg(t)).toInt() >= 3);
        }
        QCOMPARE(db.scalar("SELECT count(*) FROM Invoices").toInt(), 2);
        QCOMPARE(db.scalar("SELECT count(*) FROM RuKuDan WHERE invoice IS NOT NULL AND invoiceMny > 0").toInt(), 2);
        // A carry-forward in the past left opening balances and a date.
        QVERIFY(!db.scalar("SELECT 结转时间 FROM UserInfo").toString().isEmpty());
        QVERIFY(db.scalar("SELECT count(*) FROM Goods WHERE PrevOnHand <> 0").toInt() > 0);
        // Average prices for every goods item bought in, so that the profit lists show figures.
        QCOMPARE(db.scalar("SELECT count(*) FROM GoodsAvgPrice").toInt(),
                 db.scalar("SELECT count(DISTINCT GoodID) FROM RuKuMx").toInt());
        QVERIFY(db.scalar("SELECT count(*) FROM Goods g JOIN GoodsAvgPrice a ON a.GoodID = g.GoodID "
                          "WHERE g.SoldMny <> 0 AND a.CostAvgPrice > 0").toInt() > 0);
    }
    const Output check = cliWithInput({"check", file});
    QCOMPARE(check.code, 0);
    QVERIFY(check.out.contains("books hold"));
}

void TestCli::exportTables()
{
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(db.exec("INSERT INTO Goods(GoodID, Description, CostPrice) VALUES (2, 'b, \"quoted\"', 0.1), (1, 'a', 9.600000143051147)"));
    }
    const Output csv = cliWithInput({"export", set.path(), "goods"});
    QCOMPARE(csv.code, 0);
    const QStringList rows = csv.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 3);
    QVERIFY(rows[0].startsWith("GoodID,Description,BarCode,"));
    QVERIFY(rows[1].startsWith("1,a,,"));
    QVERIFY(rows[1].contains(",9.600000143051147,"));
    QVERIFY(rows[2].startsWith("2,\"b, \"\"quoted\"\"\","));

    const Output json = cliWithInput({"export", set.path(), "UserRoles", "--format", "json"});
    QCOMPARE(json.code, 0);
    const QJsonArray roles = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QCOMPARE(roles.size(), 4);
    QCOMPARE(roles[3].toObject().value("RoleID").toInt(), 3);

    for (const QStringList &bad : {QStringList{"export", set.path(), "NoSuchTable"}, QStringList{"export", set.path(), "Goods; DROP TABLE Goods"},
                                   QStringList{"export", set.path(), "Goods", "--format", "xml"}}) {
        const Output o = cliWithInput(bad);
        QVERIFY(o.code != 0);
        QVERIFY(!o.err.isEmpty());
    }
    QCOMPARE(cliWithInput({"export", set.path(), "Goods"}).code, 0);
}

void TestCli::execRunsOperationsThroughTheRules()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("books.xb");
    QCOMPARE(cli({"new", file}).code, 0);
    QFile script(QFINDTESTDATA("exec_script.jsonl"));
    QVERIFY(script.open(QIODevice::ReadOnly));
    QFile expected(QFINDTESTDATA("exec_expected.jsonl"));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    const Output o = cliWithInput({"exec", file}, script.readAll());
    QCOMPARE(o.code, 0);
    const QStringList got = o.out.split('\n', Qt::SkipEmptyParts);
    const QStringList want = QString::fromUtf8(expected.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(got.size(), want.size());
    for (int i = 0; i < want.size(); ++i)
        QCOMPARE(got[i], want[i]);
    QCOMPARE(cliWithInput({"check", file}).code, 0);

    // Questions answered No refuse the delete; a wrong password is refused before anything runs.
    const Output no = cliWithInput({"exec", file, "--answer", "no"}, "{\"op\":\"delete-bill\",\"kind\":2,\"bill\":1}\n");
    QCOMPARE(no.out.trimmed(), QString("{\"messages\":[\"确实要删除吗？\"],\"ok\":false}"));
    const Output denied = cliWithInput({"exec", file, "--user", "1", "--password", "x"}, "{\"op\":\"clear-bills\"}\n");
    QVERIFY(denied.code != 0);
    QVERIFY(denied.err.contains("口令有误，请再试一次。"));
    Database db;
    QVERIFY(db.open(file));
    QCOMPARE(db.scalar("SELECT count(*) FROM DiaoBoDan").toInt(), 1);
}

void TestCli::checkFindsDifferences()
{
    test::TempAccountSet set;
    const QByteArray ops = "{\"op\":\"add\",\"table\":\"Goods\",\"values\":{\"Description\":\"x\"}}\n"
                           "{\"op\":\"add\",\"table\":\"Customers\",\"values\":{\"CustName\":\"c\"}}\n"
                           "{\"op\":\"bill\",\"kind\":2,\"party\":1,\"date\":\"2026-05-01\",\"lines\":[{\"goods\":1,\"qty\":2,\"price\":3}]}\n";
    QCOMPARE(cliWithInput({"exec", set.path()}, ops).code, 0);
    QCOMPARE(cliWithInput({"check", set.path()}).code, 0);
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(db.exec("UPDATE DiaoBoDan SET SumMoney = 7"));
        QVERIFY(db.exec("UPDATE Goods SET CustHandInc = 5"));
    }
    const Output o = cliWithInput({"check", set.path()});
    QCOMPARE(o.code, 1);
    QVERIFY(o.out.contains("DiaoBoDan 1: SumMoney 7, lines 6"));
    QVERIFY(o.out.contains("Goods 1 CustHandInc: 5, expected 2"));
    QVERIFY(o.out.contains("Goods (sum of customers) 1 CustHandInc: 5, expected 2"));
}

void TestCli::refusesToOverwrite_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("new") << "new";
    QTest::newRow("demo") << "demo";
}

void TestCli::refusesToOverwrite()
{
    QFETCH(QString, command);
    QTemporaryDir dir;
    const QString file = dir.filePath("kept.xb");
    test::writeBytes(file, "precious");
    const Run refused = cli({command, file});
    QVERIFY(refused.code != 0);
    QVERIFY(refused.err.contains("--force"));
    QCOMPARE(test::fileBytes(file), QByteArray("precious"));
    QCOMPARE(cli({command, file, "--force"}).code, 0);
    QCOMPARE(probeAccountSet(file), ProbeResult::Ok);
}

void TestCli::badUsage()
{
    QTemporaryDir dir;
    QVERIFY(cli({}).code != 0);
    QVERIFY(cli({"frobnicate", dir.filePath("x.xb")}).code != 0);
    const Run noDir = cli({"new", dir.filePath("no/such/folder/x.xb")});
    QVERIFY(noDir.code != 0);
    QVERIFY(!noDir.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
