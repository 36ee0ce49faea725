// hemu-cli as a user runs it: the real executable, real files.
#include "core/db/accountsetformat.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/masterdata/demodata.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QtTest>

using namespace hemu;

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void newWritesBlankSet();
    void demoHasUsersOfEveryRole();
    void refusesToOverwrite_data();
    void refusesToOverwrite();
    void badUsage();

private:
    struct Run
    {
        int code;
        QString err;
    };
    Run cli(const QStringList &args)
    {
        QProcess p;
        p.start(qEnvironmentVariable("HEMU_CLI"), args);
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
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
