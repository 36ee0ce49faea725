// The maintenance commands of hemu-cli: the real executable on real files.
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "support/clirun.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;
using test::runCli;

class TestAdminCli : public QObject
{
    Q_OBJECT
private slots:
    void scanThenDelete();
    void renumber();
    void setPasswordFromStdin_data();
    void setPasswordFromStdin();
};

void TestAdminCli::scanThenDelete()
{
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(db.exec("INSERT INTO RuKuMx(TabID, ItemNo, GoodID, Price, Qty) VALUES (57, 1, 1, 2, 3)"));
    }
    const test::CliOutput scan = runCli({"scan-orphans", set.path()});
    QCOMPARE(scan.code, 0);
    QVERIFY(scan.out.contains("扫描入库单\n    孤行的单据标识码=57\n    发现明细孤行:1个\n"));
    const test::CliOutput removed = runCli({"scan-orphans", set.path(), "--delete"});
    QCOMPARE(removed.code, 0);
    QVERIFY(removed.out.contains("    孤行的单据标识码=57 删除。\n    删除明细孤行:1个\n"));
    QVERIFY(removed.out.endsWith("扫描完毕。\n"));
    Database db;
    QVERIFY(db.open(set.path()));
    QCOMPARE(db.scalar("SELECT count(*) FROM RuKuMx").toInt(), 0);
}

void TestAdminCli::renumber()
{
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        for (int item : {1, 3, 7})
            QVERIFY(db.exec("INSERT INTO DiaoBoMx(TabID, ItemNo, GoodID, Price, Qty) VALUES (4, ?, ?, 2, 3)", {item, item}));
    }
    const test::CliOutput r = runCli({"renumber", set.path()});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains("完成3条明细！请返回主窗体。\n"));
    Database db;
    QVERIFY(db.open(set.path()));
    QCOMPARE(db.scalar("SELECT group_concat(ItemNo) FROM (SELECT ItemNo FROM DiaoBoMx ORDER BY GoodID)").toString(),
             QStringLiteral("1,2,3"));
}

void TestAdminCli::setPasswordFromStdin_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("password"); // what then logs in; empty row: refused
    QTest::newRow("by id") << "1" << QByteArray("秘密abc\n") << "秘密abc";
    QTest::newRow("by name, windows line end") << "管理员" << QByteArray("pw\r\n") << "pw";
    QTest::newRow("too long") << "1" << QByteArray("abcdefghijk\n") << QString();
    QTest::newRow("no such user") << "nobody" << QByteArray("x\n") << QString();
}

void TestAdminCli::setPasswordFromStdin()
{
    QFETCH(QString, user);
    QFETCH(QByteArray, input);
    QFETCH(QString, password);
    test::TempAccountSet set;
    const test::CliOutput r = runCli({"set-password", set.path(), user}, input);
    QCOMPARE(r.code, password.isEmpty() ? 1 : 0);
    Database db;
    QVERIFY(db.open(set.path()));
    const QString stored = db.scalar("SELECT Password FROM psd WHERE UserID = 1").toString();
    // Refused: the administrator's empty password still holds.
    QVERIFY(verifyPassword(password, stored));
    // Only a hash is kept. (A substring test would be wrong: a short password can
    // turn up by chance inside the encoded salt or digest.)
    QVERIFY2(stored.startsWith(QStringLiteral("$argon2id$")) || (password.isEmpty() && stored.isEmpty()),
             qPrintable(stored));
    QVERIFY(stored != password || password.isEmpty());
}

QTEST_GUILESS_MAIN(TestAdminCli)
#include "test_admincli.moc"
