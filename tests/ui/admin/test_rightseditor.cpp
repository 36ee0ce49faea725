// The rights editor as the administrator meets it: users made, given roles and passwords and
// removed through the window, on a real set, with a second program on the same file.
#include "core/data/basedata.h"
#include "core/data/masterguard.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "support/appfixture.h"
#include "support/testsupport.h"
#include "ui/admin/tfrmedright.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/navigator.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

namespace {

/// A blank set with two more employees: 王经理 (2), a user of role 2, and 李会计 (3), no user.
/// 王经理's password is "wang".
void addStaff(const QString &path)
{
    Database db;
    QVERIFY(db.open(path));
    QVERIFY(db.exec("INSERT INTO Employees (EmpID, Employee) VALUES (2, '王经理'), (3, '李会计')"));
    QVERIFY(db.exec("INSERT INTO psd (UserID, Password, RoleID) VALUES (2, ?, 2)", {hashPassword("wang")}));
}

QVariant stored(test::AppFixture &f, const QString &sql, const QVariantList &params = {})
{
    return f.base().MyADOCnn().scalar(sql, params);
}

/// Opens the rights editor by its command, runs `act` in it and leaves with "取消" if the act
/// left it open.
void inEditor(test::AppFixture &f, const std::function<void(TfrmEdRight *)> &act)
{
    bool ran = false;
    test::whenModal<TfrmEdRight>([&](TfrmEdRight *dlg) {
        act(dlg);
        ran = true;
        if (dlg->isVisible())
            dlg->ui.btnCancel->click();
    });
    f.command("miSetRight");
    QVERIFY(ran);
}

void choose(QComboBox *combo, const QString &text)
{
    const int i = combo->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    combo->setCurrentIndex(i);
    emit combo->activated(i);
}

void press(TfrmEdRight *dlg, Navigator::Button which)
{
    dlg->ui.DBNavigator1->button(which)->click();
}

/// Every text the grid shows, row by row.
QStringList gridTexts(DataGrid *grid)
{
    QStringList rows;
    QAbstractItemModel *m = grid->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(r, c).data().toString();
        rows << cells.join('|');
    }
    return rows;
}

} // namespace

class TestRightsEditor : public QObject
{
    Q_OBJECT
private slots:
    void addUserWithRoleAndPassword();
    void duplicateUserStaysOpen();
    void cancelKeepsPassword();
    void passwordBoxTakesTenCharacters();
    void lastAdministratorKeepsRole();
    void lastAdministratorAgainstSecondProgram();
    void rowChangedBySecondProgram();
    void roleTakesEffectAtNextLogin();
};

void TestRightsEditor::addUserWithRoleAndPassword()
{
    test::TempAccountSet set;
    addStaff(set.path());
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    inEditor(f, [&](TfrmEdRight *dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("设定用户权限"));
        QVERIFY(!(dlg->windowFlags() & Qt::WindowCloseButtonHint));
        press(dlg, Navigator::Insert);
        QCOMPARE(dlg->focusWidget(), dlg->ui.cbUserName);
        choose(dlg->ui.cbUserName, "李会计");
        choose(dlg->ui.cbRole, "经理");
        QTest::keyClicks(dlg->ui.edPassword, "Li-3");
        dlg->ui.btnOK->click();
        QVERIFY(!dlg->isVisible());
    });
    QCOMPARE(stored(f, "SELECT RoleID FROM psd WHERE UserID = 3").toInt(), 1);
    QVERIFY(verifyPassword("Li-3", stored(f, "SELECT Password FROM psd WHERE UserID = 3").toString()));
    // The grid names employee and role, and shows the same mask for every password: never
    // the hash, nothing of the password.
    inEditor(f, [&](TfrmEdRight *dlg) {
        QStringList rows = gridTexts(dlg->ui.DBGrid1);
        rows.sort(); // a row added stays where it was inserted
        QCOMPARE(rows,
                 QStringList({"1|管理员|******|0|系统管理员", "2|王经理|******|2|业务员", "3|李会计|******|1|经理"}));
        QCOMPARE(dlg->ui.DBGrid1->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("口令"));
        QVERIFY(dlg->ui.edPassword->text().isEmpty());
    });
    QVERIFY(f.prompter.texts().isEmpty());
}

void TestRightsEditor::duplicateUserStaysOpen()
{
    test::TempAccountSet set;
    addStaff(set.path());
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    inEditor(f, [&](TfrmEdRight *dlg) {
        press(dlg, Navigator::Insert);
        choose(dlg->ui.cbUserName, "王经理");
        choose(dlg->ui.cbRole, "经理");
        dlg->ui.btnOK->click();
        QVERIFY(dlg->isVisible());
        QCOMPARE(f.prompter.texts(), QStringList{"数据库:禁止重复。"});
        QCOMPARE(gridTexts(dlg->ui.DBGrid1).size(), 2);
    });
    QCOMPARE(stored(f, "SELECT count(*) FROM psd").toInt(), 2);
    QCOMPARE(stored(f, "SELECT RoleID FROM psd WHERE UserID = 2").toInt(), 2);
}

void TestRightsEditor::cancelKeepsPassword()
{
    test::TempAccountSet set;
    addStaff(set.path());
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    const QString before = stored(f, "SELECT Password FROM psd WHERE UserID = 2").toString();
    inEditor(f, [&](TfrmEdRight *dlg) {
        QVERIFY(f.base().Psd->locate("UserID", 2));
        QTest::keyClicks(dlg->ui.edPassword, "other");
        QVERIFY(f.base().Psd->isEditing());
        dlg->ui.btnCancel->click();
    });
    QCOMPARE(stored(f, "SELECT Password FROM psd WHERE UserID = 2").toString(), before);
    QVERIFY(!f.base().Psd->isEditing());
    // Saved through the navigator, the new password is written at once; the window's
    // "取消" does not take it back.
    inEditor(f, [&](TfrmEdRight *dlg) {
        QVERIFY(f.base().Psd->locate("UserID", 2));
        QVERIFY(dlg->ui.edPassword->text().isEmpty());
        QTest::keyClicks(dlg->ui.edPassword, "other");
        press(dlg, Navigator::Post);
        QVERIFY(dlg->ui.edPassword->text().isEmpty());
        dlg->ui.btnCancel->click();
    });
    QVERIFY(verifyPassword("other", stored(f, "SELECT Password FROM psd WHERE UserID = 2").toString()));
    QVERIFY(f.prompter.texts().isEmpty());
}

void TestRightsEditor::passwordBoxTakesTenCharacters()
{
    test::TempAccountSet set;
    addStaff(set.path());
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    inEditor(f, [&](TfrmEdRight *dlg) {
        QVERIFY(f.base().Psd->locate("UserID", 2));
        QTest::keyClicks(dlg->ui.edPassword, "0123456789ABC");
        QCOMPARE(dlg->ui.edPassword->text(), QStringLiteral("0123456789"));
        dlg->ui.btnOK->click();
    });
    QVERIFY(verifyPassword("0123456789", stored(f, "SELECT Password FROM psd WHERE UserID = 2").toString()));
}

void TestRightsEditor::lastAdministratorKeepsRole()
{
    test::TempAccountSet set;
    addStaff(set.path());
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    inEditor(f, [&](TfrmEdRight *dlg) {
        QVERIFY(f.base().Psd->locate("UserID", 1));
        choose(dlg->ui.cbRole, "经理");
        dlg->ui.btnOK->click();
        // Refused with the reason; the change stays pending for the user to put right.
        QVERIFY(dlg->isVisible());
        QCOMPARE(f.prompter.texts(), QStringList{MasterGuard::lastAdministratorRoleText()});
        QVERIFY(f.base().Psd->isEditing());
    });
    QCOMPARE(stored(f, "SELECT RoleID FROM psd WHERE UserID = 1").toInt(), 0);
    QVERIFY(!f.base().Psd->isEditing());
}

void TestRightsEditor::lastAdministratorAgainstSecondProgram()
{
    // Two administrators; each program demotes one of them. The one that writes second
    // finds no other administrator in the file and is refused.
    test::TempAccountSet set;
    addStaff(set.path());
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(db.exec("UPDATE psd SET RoleID = 0 WHERE UserID = 2"));
    }
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    Database other(QStringLiteral("other"));
    QVERIFY(other.open(set.path()));
    inEditor(f, [&](TfrmEdRight *dlg) {
        QVERIFY(other.exec("UPDATE psd SET RoleID = 1 WHERE UserID = 1"));
        QVERIFY(f.base().Psd->locate("UserID", 2));
        choose(dlg->ui.cbRole, "业务员");
        dlg->ui.btnOK->click();
        QVERIFY(dlg->isVisible());
        QCOMPARE(f.prompter.lastText(), MasterGuard::lastAdministratorRoleText());
        // Deleting that administrator is refused the same way.
        press(dlg, Navigator::Cancel);
        f.prompter.clear();
        f.base().user().CurUserID = 3; // as if someone else were logged in
        press(dlg, Navigator::Delete);
        QCOMPARE(f.prompter.lastText(), MasterGuard::lastAdministratorText());
        f.base().user().CurUserID = 1;
    });
    QCOMPARE(other.scalar("SELECT group_concat(UserID || ':' || RoleID) FROM (SELECT * FROM psd ORDER BY UserID)").toString(),
             QStringLiteral("1:1,2:0"));
}

void TestRightsEditor::rowChangedBySecondProgram()
{
    test::TempAccountSet set;
    addStaff(set.path());
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    Database other(QStringLiteral("other"));
    QVERIFY(other.open(set.path()));
    inEditor(f, [&](TfrmEdRight *dlg) {
        QVERIFY(f.base().Psd->locate("UserID", 2));
        // Another program gives 王经理 a new password while this one changes his role.
        QVERIFY(other.exec("UPDATE psd SET Password = ? WHERE UserID = 2", {hashPassword("fromB")}));
        choose(dlg->ui.cbRole, "查询员");
        dlg->ui.btnOK->click();
        QVERIFY(dlg->isVisible());
        QCOMPARE(f.prompter.lastText(), QStringLiteral("该记录已被其他用户修改，已重新读取。"));
        QCOMPARE(f.base().Psd->value("RoleID").toInt(), 2);
        // Read again, the row can be changed.
        choose(dlg->ui.cbRole, "查询员");
        dlg->ui.btnOK->click();
        QVERIFY(!dlg->isVisible());
    });
    QCOMPARE(other.scalar("SELECT RoleID FROM psd WHERE UserID = 2").toInt(), 3);
    QVERIFY(verifyPassword("fromB", other.scalar("SELECT Password FROM psd WHERE UserID = 2").toString()));
}

void TestRightsEditor::roleTakesEffectAtNextLogin()
{
    test::TempAccountSet set;
    addStaff(set.path());
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    // The administrator promotes 王经理 (role 2) to manager (role 1) and gives him another
    // password; the administrator's own menus stay as they were.
    inEditor(f, [&](TfrmEdRight *dlg) {
        QVERIFY(f.base().Psd->locate("UserID", 2));
        choose(dlg->ui.cbRole, "经理");
        QTest::keyClicks(dlg->ui.edPassword, "boss");
        dlg->ui.btnOK->click();
    });
    QCOMPARE(f.base().CurRoleID(), 0);
    QVERIFY(f.action("miSetRight")->isEnabled());

    // Logged in again as 王经理 (second row of the login list): the new password, role 1,
    // everything but "设置权限".
    f.open(set.path(), 1, "boss");
    QTRY_COMPARE(f.base().CurUserID(), 2);
    QCOMPARE(f.base().CurRoleID(), 1);
    QVERIFY(!f.action("miSetRight")->isEnabled());
    for (const char *name : {"nProfitAnalyse", "nEdBaseInfo", "miMaintainAcc", "PrintReport"})
        QVERIFY2(f.action(name)->isEnabled(), name);
}

QTEST_MAIN(TestRightsEditor)
#include "test_rightseditor.moc"
