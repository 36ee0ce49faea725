// The login dialog on its own: shown non-modally, driven by its widgets.
#include "core/data/basedata.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/prompter.h"
#include "support/appfixture.h"
#include "support/testsupport.h"
#include "ui/shell/tfrmmain.h"
#include "ui/shell/tfrmpassworddlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace hemu;

namespace {

struct User
{
    int id;
    QString name;
    int role;
    QString password;
};

/// Adds employees who are users; the blank set already has 1 管理员 (role 0, empty password).
void addUsers(const QString &path, const QList<User> &users, const QString &extraSql = {})
{
    Database db;
    QVERIFY(db.open(path));
    for (const User &u : users) {
        QVERIFY(db.exec("INSERT INTO Employees(EmpID, Employee) VALUES (?, ?)", {u.id, u.name}));
        QVERIFY(db.exec("INSERT INTO psd(UserID, Password, RoleID) VALUES (?, ?, ?)", {u.id, hashPassword(u.password), u.role}));
    }
    if (!extraSql.isEmpty())
        QVERIFY(db.exec(extraSql));
}

/// The program's resident login dialog, shown on its own.
struct LoginFixture : test::AppFixture
{
    BaseData &base = AppFixture::base();
    TfrmPasswordDlg &dlg = *main().passwordDlg();

    QComboBox *users() { return dlg.findChild<QComboBox *>("ComboBox1"); }
    QLineEdit *password() { return dlg.findChild<QLineEdit *>("edPassword"); }
    QPushButton *ok() { return dlg.findChild<QPushButton *>("BitBtn1"); }
    QPushButton *cancel() { return dlg.findChild<QPushButton *>("BitBtn2"); }

    void showFor(const QString &path)
    {
        dlg.setFileName(path);
        dlg.setResult(0);
        dlg.show();
    }
    void attempt(int row, const QString &typed)
    {
        users()->setCurrentIndex(row);
        password()->clear();
        QTest::keyClicks(password(), typed);
        QTest::mouseClick(ok(), Qt::LeftButton);
    }
    QStringList listed()
    {
        QStringList out;
        for (int i = 0; i < users()->count(); ++i)
            out << users()->itemText(i);
        return out;
    }
};

} // namespace

class TestTfrmPasswordDlg : public QObject
{
    Q_OBJECT
private slots:
    void layout();
    void showingConnectsAndListsUsers();
    void passwords_data();
    void passwords();
    void keyboard_data();
    void keyboard();
    void emptyUserTableRefusesEveryTime();
    void roleWithoutNameLogsInWithEmptyRole();
    void sameNamesLogInAsDifferentUsers();
    void notAnAccountSet();
};

void TestTfrmPasswordDlg::layout()
{
    LoginFixture f;
    QCOMPARE(f.dlg.objectName(), QString("frmPasswordDlg"));
    QCOMPARE(f.dlg.windowTitle(), QString("用户登录"));
    QVERIFY(!(f.dlg.windowFlags() & Qt::WindowCloseButtonHint));
    QStringList labels;
    for (QLabel *label : f.dlg.findChildren<QLabel *>())
        labels << label->text();
    QVERIFY(labels.contains("登录"));
    QVERIFY(labels.contains("用户名:"));
    QVERIFY(labels.contains("密码:"));
    QCOMPARE(f.ok()->text(), QString("确定"));
    QCOMPARE(f.cancel()->text(), QString("取消"));
    QVERIFY(f.ok()->isDefault());
    QCOMPARE(f.password()->echoMode(), QLineEdit::Password);
    // Stored passwords are at most ten characters: longer ones cannot be typed.
    QTest::keyClicks(f.password(), "abcdefghijkl");
    QCOMPARE(f.password()->text(), QString("abcdefghij"));
}

void TestTfrmPasswordDlg::showingConnectsAndListsUsers()
{
    test::TempAccountSet set;
    addUsers(set.path(), {{2, "王经理", 1, "jl123"}, {3, "李业务", 2, "yw123"}});
    LoginFixture f;
    f.password()->setText("left over");
    f.showFor(set.path());
    QVERIFY(f.base.MyADOCnn().isOpen());
    QCOMPARE(f.base.MyADOCnn().path(), set.path());
    QCOMPARE(f.listed(), QStringList({"管理员", "王经理", "李业务"}));
    QCOMPARE(f.users()->currentIndex(), 0);
    QVERIFY(f.password()->text().isEmpty());
    QCOMPARE(f.dlg.focusWidget(), f.password());
    QVERIFY(f.prompter.entries().isEmpty());
}

void TestTfrmPasswordDlg::passwords_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("administrator, empty password") << 0 << "" << "";
    QTest::newRow("manager") << 1 << "jl123" << "";
    QTest::newRow("letter case counts") << 1 << "JL123" << "口令有误，请再试一次。";
    QTest::newRow("no trimming") << 1 << "jl123 " << "口令有误，请再试一次。";
    QTest::newRow("another user's password") << 2 << "jl123" << "口令有误，请再试一次。";
    QTest::newRow("administrator refuses text") << 0 << "x" << "口令有误，请再试一次。";
    QTest::newRow("no user selected") << -1 << "" << "对不起，用户名无效。";
}

void TestTfrmPasswordDlg::passwords()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    test::TempAccountSet set;
    addUsers(set.path(), {{2, "王经理", 1, "jl123"}, {3, "李业务", 2, "yw123"}});
    LoginFixture f;
    f.showFor(set.path());
    f.attempt(row, typed);
    if (refusal.isEmpty()) {
        QVERIFY(!f.dlg.isVisible());
        QCOMPARE(f.dlg.result(), int(QDialog::Accepted));
        QVERIFY(f.prompter.entries().isEmpty());
        QCOMPARE(f.base.CurUserID(), row + 1);
        QCOMPARE(f.base.CurRoleID(), row);
        QCOMPARE(f.base.CurUserName(), QStringList({"管理员", "王经理", "李业务"}).at(row));
        // The connection stays open for the open command that continues on it.
        QVERIFY(f.base.MyADOCnn().isOpen());
        // A hidden resident dialog keeps neither the list nor the typed password.
        QCOMPARE(f.users()->count(), 0);
        QVERIFY(f.password()->text().isEmpty());
        return;
    }
    QVERIFY(f.dlg.isVisible());
    QCOMPARE(f.prompter.texts(), QStringList{refusal});
    QCOMPARE(f.prompter.entries().first().kind,
             row < 0 ? Prompter::Kind::Warning : Prompter::Kind::Plain);
    // The typed text stays; nobody is logged in.
    QCOMPARE(f.password()->text(), typed);
    QCOMPARE(f.base.CurUserName(), QString());
    // Corrected, the same dialog admits the user.
    f.prompter.clear();
    f.attempt(row < 0 ? 1 : row, QStringList({"", "jl123", "yw123"}).at(row < 0 ? 1 : row));
    QVERIFY(f.prompter.entries().isEmpty());
    QCOMPARE(f.dlg.result(), int(QDialog::Accepted));
}

void TestTfrmPasswordDlg::keyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter is OK") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Esc is Cancel") << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestTfrmPasswordDlg::keyboard()
{
    QFETCH(int, key);
    QFETCH(int, result);
    test::TempAccountSet set;
    addUsers(set.path(), {{2, "王经理", 1, "jl123"}});
    LoginFixture f;
    f.showFor(set.path());
    f.users()->setCurrentIndex(1);
    QTest::keyClicks(f.password(), "jl123");
    QTest::keyClick(f.password(), Qt::Key(key));
    QVERIFY(!f.dlg.isVisible());
    QCOMPARE(f.dlg.result(), result);
    QCOMPARE(f.base.CurUserID(), result == QDialog::Accepted ? 2 : 0);
}

void TestTfrmPasswordDlg::emptyUserTableRefusesEveryTime()
{
    test::TempAccountSet set;
    addUsers(set.path(), {}, "DELETE FROM psd");
    LoginFixture f;
    f.showFor(set.path());
    QCOMPARE(f.users()->count(), 0);
    QVERIFY(f.prompter.entries().isEmpty());
    QTest::mouseClick(f.ok(), Qt::LeftButton);
    QTest::keyClicks(f.password(), "anything");
    QTest::mouseClick(f.ok(), Qt::LeftButton);
    QCOMPARE(f.prompter.texts(), QStringList({"对不起，用户名无效。", "对不起，用户名无效。"}));
    QVERIFY(f.dlg.isVisible());
    QTest::mouseClick(f.cancel(), Qt::LeftButton);
    QCOMPARE(f.dlg.result(), int(QDialog::Rejected));
}

void TestTfrmPasswordDlg::roleWithoutNameLogsInWithEmptyRole()
{
    test::TempAccountSet set;
    addUsers(set.path(), {{9, "钱临时", 7, "t7"}});
    LoginFixture f;
    f.showFor(set.path());
    f.attempt(1, "t7");
    QCOMPARE(f.dlg.result(), int(QDialog::Accepted));
    QCOMPARE(f.base.CurUserID(), 9);
    QCOMPARE(f.base.CurRoleID(), 7);
    QCOMPARE(f.base.CurRole(), QString());
    QVERIFY(f.base.LoginStatusText().startsWith("登录:钱临时 | 权限: | 时间:"));
}

void TestTfrmPasswordDlg::sameNamesLogInAsDifferentUsers()
{
    test::TempAccountSet set;
    addUsers(set.path(), {{5, "张三", 1, "a"}, {6, "张三", 2, "b"}});
    for (int row : {1, 2}) {
        LoginFixture f;
        f.showFor(set.path());
        QCOMPARE(f.listed(), QStringList({"管理员", "张三", "张三"}));
        // Each item has its own password: the other one's is refused.
        f.attempt(row, row == 1 ? "b" : "a");
        QCOMPARE(f.prompter.texts(), QStringList{"口令有误，请再试一次。"});
        f.attempt(row, row == 1 ? "a" : "b");
        QCOMPARE(f.dlg.result(), int(QDialog::Accepted));
        QCOMPARE(f.base.CurUserID(), row == 1 ? 5 : 6);
        QCOMPARE(f.base.CurRoleID(), row);
    }
}

void TestTfrmPasswordDlg::notAnAccountSet()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.xb");
    test::writeBytes(path, "plain text, not a database\n");
    LoginFixture f;
    f.showFor(path);
    QCOMPARE(f.prompter.entries().size(), 1);
    QCOMPARE(f.prompter.entries().first().kind, Prompter::Kind::Plain);
    QCOMPARE(f.prompter.lastText(), QString("数据库连接失败！"));
    QCOMPARE(f.users()->count(), 0);
    QVERIFY(!f.base.MyADOCnn().isOpen());
    QTest::mouseClick(f.ok(), Qt::LeftButton);
    QCOMPARE(f.prompter.lastText(), QString("对不起，用户名无效。"));
    QVERIFY(f.dlg.isVisible());
    // The file was only looked at.
    QCOMPARE(test::fileBytes(path), QByteArray("plain text, not a database\n"));
}

QTEST_MAIN(TestTfrmPasswordDlg)
#include "test_tfrmpassworddlg.moc"
