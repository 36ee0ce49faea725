// Admitting a user: list, password check, current-user texts.
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/shell/login.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void blankSetAdmitsAdministratorWithEmptyPassword();
    void passwords_data();
    void passwords();
    void hashesBeyondOwnCostsAreRefused_data();
    void hashesBeyondOwnCostsAreRefused();
    void sameNamesAreDifferentUsers();
    void roleWithoutNameStillCounts();
    void emptyUserTable();
    void unreadableFiles();
    void texts();
};

void TestLogin::blankSetAdmitsAdministratorWithEmptyPassword()
{
    test::TempAccountSet set;
    Database db;
    QList<LoginUser> users;
    QVERIFY(Login::connect(db, set.path(), &users));
    QCOMPARE(users.size(), 1);
    QCOMPARE(users[0].UserName, QString("管理员"));
    CurrentUser user;
    QCOMPARE(Login::check(db, users[0].UserID, QString(), &user), Login::Verdict::Admitted);
    QCOMPARE(user.CurUserID, 1);
    QCOMPARE(user.CurRoleID, 0);
    QCOMPARE(user.CurRole, QString("系统管理员"));
    QCOMPARE(Login::check(db, users[0].UserID, " ", &user), Login::Verdict::WrongPassword);
}

void TestLogin::passwords_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("verdict");
    const int ok = int(Login::Verdict::Admitted), wrong = int(Login::Verdict::WrongPassword);
    QTest::newRow("exact") << "Abc123" << "Abc123" << ok;
    QTest::newRow("letter case counts") << "Abc123" << "abc123" << wrong;
    QTest::newRow("no trimming") << "Abc123" << "Abc123 " << wrong;
    QTest::newRow("leading blank is part of it") << " x" << " x" << ok;
    QTest::newRow("empty is a password") << "" << "" << ok;
    QTest::newRow("empty refuses text") << "" << "a" << wrong;
    QTest::newRow("chinese") << "口令一二" << "口令一二" << ok;
}

void TestLogin::passwords()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(int, verdict);
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    QVERIFY(db.exec("UPDATE psd SET Password = ? WHERE UserID = 1", {hashPassword(stored)}));
    CurrentUser user;
    QCOMPARE(int(Login::check(db, 1, typed, &user)), verdict);
    // After a refusal the same user can try again.
    QCOMPARE(int(Login::check(db, 1, stored, &user)), int(Login::Verdict::Admitted));
}

void TestLogin::hashesBeyondOwnCostsAreRefused_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("verdict");
    const int ok = int(Login::Verdict::Admitted), wrong = int(Login::Verdict::WrongPassword);
    // The hash of the right password, with its cost fields changed: verifying the crafted ones
    // would run for minutes or take gigabytes.
    QTest::newRow("own costs") << "" << "" << ok;
    QTest::newRow("passes beyond own") << ",t=2," << ",t=4294967295," << wrong;
    QTest::newRow("memory beyond own") << "$m=65536," << "$m=4194304," << wrong;
    QTest::newRow("lanes beyond own") << ",p=1$" << ",p=255$" << wrong;
    QTest::newRow("huge number") << ",t=2," << ",t=99999999999999999999," << wrong;
    QTest::newRow("other algorithm") << "$argon2id$" << "$argon2i$" << wrong;
    QTest::newRow("no cost fields") << "$v=19$m=65536,t=2,p=1$" << "$v=19$" << wrong;
}

void TestLogin::hashesBeyondOwnCostsAreRefused()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, verdict);
    QString hash = hashPassword("pw");
    QVERIFY(hash.startsWith("$argon2id$v=19$m=65536,t=2,p=1$"));
    if (!from.isEmpty()) {
        QVERIFY(hash.contains(from));
        hash.replace(from, to);
    }
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    QVERIFY(db.exec("UPDATE psd SET Password = ? WHERE UserID = 1", {hash}));
    CurrentUser user;
    QCOMPARE(int(Login::check(db, 1, "pw", &user)), verdict);
    QCOMPARE(int(Login::check(db, 1, "", &user)), int(Login::Verdict::WrongPassword));
}

void TestLogin::sameNamesAreDifferentUsers()
{
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    QVERIFY(db.exec("INSERT INTO Employees(EmpID, Employee) VALUES (5, '张三'), (6, '张三')"));
    QVERIFY(db.exec("INSERT INTO psd(UserID, Password, RoleID) VALUES (5, ?, 1), (6, ?, 2)", {hashPassword("a"), hashPassword("b")}));
    QList<LoginUser> users;
    QVERIFY(Login::connect(db, set.path(), &users));
    QCOMPARE(users.size(), 3);
    QCOMPARE(users[1].UserName, users[2].UserName);
    CurrentUser user;
    QCOMPARE(Login::check(db, users[2].UserID, "b", &user), Login::Verdict::Admitted);
    QCOMPARE(user.CurUserID, 6);
    QCOMPARE(user.CurRoleID, 2);
    QCOMPARE(Login::check(db, users[1].UserID, "b", &user), Login::Verdict::WrongPassword);
}

void TestLogin::roleWithoutNameStillCounts()
{
    test::TempAccountSet set;
    Database db;
    QVERIFY(db.open(set.path()));
    QVERIFY(db.exec("UPDATE psd SET RoleID = 7"));
    CurrentUser user;
    QCOMPARE(Login::check(db, 1, "", &user), Login::Verdict::Admitted);
    QCOMPARE(user.CurRoleID, 7);
    QCOMPARE(user.CurRole, QString());
}

void TestLogin::emptyUserTable()
{
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(db.exec("DELETE FROM psd"));
    }
    Database db;
    QList<LoginUser> users;
    QVERIFY(Login::connect(db, set.path(), &users));
    QVERIFY(users.isEmpty());
    CurrentUser user;
    QCOMPARE(Login::check(db, -1, "", &user), Login::Verdict::InvalidUser);
    QCOMPARE(Login::check(db, 1, "", &user), Login::Verdict::InvalidUser);
}

void TestLogin::unreadableFiles()
{
    QTemporaryDir dir;
    Database db;
    QList<LoginUser> users;
    test::writeBytes(dir.filePath("x.xb"), "not a database");
    QVERIFY(!Login::connect(db, dir.filePath("x.xb"), &users));
    QVERIFY(!Login::connect(db, dir.filePath("missing.xb"), &users));
    QVERIFY(!QFile::exists(dir.filePath("missing.xb")));
    QVERIFY(users.isEmpty());
    CurrentUser user;
    QCOMPARE(Login::check(db, 1, "", &user), Login::Verdict::InvalidUser);
}

void TestLogin::texts()
{
    CurrentUser user{2, 1, "王经理", "经理"};
    QVERIFY(user.LoginStatusText().startsWith("登录:王经理 | 权限:经理 | 时间:"));
    QVERIFY(user.PrintStampText().startsWith("[制表:王经理,权限:经理,时间:"));
    QVERIFY(user.PrintStampText().endsWith("]"));
}

QTEST_GUILESS_MAIN(TestLogin)
#include "test_login.moc"
