// The maintenance windows as the user meets them: opened by their command on a real set.
#include "core/data/basedata.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "support/appfixture.h"
#include "ui/admin/tfrmedselfpsd.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace hemu;

class TestAdminWindows : public QObject
{
    Q_OBJECT
private slots:
    void scanWindowDeletesOrphans();
    void renumberWindowClosesGaps();
    void ownPasswordWindow();
    void oldPasswordCheckedOnLeaving_data();
    void oldPasswordCheckedOnLeaving();
};

void TestAdminWindows::scanWindowDeletesOrphans()
{
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(db.exec("INSERT INTO RuKuMx(TabID, ItemNo, GoodID, Price, Qty) VALUES (57, 1, 1, 2, 3)"));
    }
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    QWidget *window = f.command("N12");
    QVERIFY(window);
    QCOMPARE(window->objectName(), QStringLiteral("frmScanUselessRecords"));
    auto *memo = test::control<QPlainTextEdit>(window, "Memo1");
    auto *remove = test::control<QCheckBox>(window, "CheckBox1");
    QVERIFY(!remove->isChecked());
    test::control<QPushButton>(window, "Button2")->click();
    QVERIFY(memo->toPlainText().contains("扫描入库单\n    孤行的单据标识码=57\n    发现明细孤行:1个\n"));
    remove->setChecked(true);
    test::control<QPushButton>(window, "Button2")->click();
    QVERIFY(memo->toPlainText().startsWith("明细孤立行的单据唯一码:\n扫描入库单\n    孤行的单据标识码=57 删除。\n    删除明细孤行:1个\n"));
    QVERIFY(memo->toPlainText().endsWith("扫描完毕。"));
    QCOMPARE(f.base().MyADOCnn().scalar("SELECT count(*) FROM RuKuMx").toInt(), 0);
    QVERIFY(f.prompter.texts().isEmpty());
}

void TestAdminWindows::renumberWindowClosesGaps()
{
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        for (int item : {1, 3, 7})
            QVERIFY(db.exec("INSERT INTO RuKuMx(TabID, ItemNo, GoodID, Price, Qty) VALUES (4, ?, ?, 2, 3)", {item, 10 - item}));
    }
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    QWidget *window = f.command("N7");
    QVERIFY(window);
    QCOMPARE(window->objectName(), QStringLiteral("frmSetTabItemNo"));
    auto *memo = test::control<QPlainTextEdit>(window, "Memo1");
    QVERIFY(memo->toPlainText().startsWith("    执行本过程的目的"));
    test::control<QPushButton>(window, "Button2")->click();
    QCOMPARE(memo->toPlainText(), QStringLiteral("入库明细\n----已经更新。\n发货明细\n----已经更新。\n缴款明细\n----已经更新。\n"
                                                 "完成3条明细！请返回主窗体。\n要显示新编号，请关闭套帐再打开。"));
    QCOMPARE(f.base().MyADOCnn().scalar("SELECT group_concat(ItemNo) FROM (SELECT ItemNo FROM RuKuMx ORDER BY GoodID DESC)").toString(),
             QStringLiteral("1,2,3"));
    test::control<QPushButton>(window, "Button1")->click();
    QTRY_COMPARE(f.childCount(), 0);
}

void TestAdminWindows::ownPasswordWindow()
{
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    // A wrong old password is told when the focus moves on, and the focus goes back.
    bool sawWrong = false;
    test::whenModal<TfrmEdSelfPsd>([&](TfrmEdSelfPsd *dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("改变口令"));
        QCOMPARE(dlg->ui.edUserName->text(), QStringLiteral("管理员"));
        QCOMPARE(dlg->ui.EdOldPsd->echoMode(), QLineEdit::Password);
        QTest::keyClicks(dlg->ui.EdOldPsd, "bad");
        dlg->ui.EdNewPsd->setFocus();
        QTRY_VERIFY(f.prompter.texts().contains("原有口令不对，请重试。"));
        sawWrong = true;
        QTRY_VERIFY(dlg->ui.EdOldPsd->hasFocus());
        dlg->ui.EdOldPsd->clear();
        QTest::keyClicks(dlg->ui.EdNewPsd, "new1");
        QTest::keyClicks(dlg->ui.EdChkNewPsd, "NEW1");
        dlg->ui.btnOK->click();
        QCOMPARE(f.prompter.lastText(), QStringLiteral("口令核对错，请重新输入。"));
        QVERIFY(dlg->isVisible());
        dlg->ui.EdChkNewPsd->clear();
        QTest::keyClicks(dlg->ui.EdChkNewPsd, "new1");
        dlg->ui.btnOK->click();
    });
    f.command("miEdSelfPsd");
    QVERIFY(sawWrong);
    const QString stored = f.base().MyADOCnn().scalar("SELECT Password FROM psd WHERE UserID = 1").toString();
    QVERIFY(verifyPassword("new1", stored));
    // Reopened, the boxes still hold what was typed.
    test::whenModal<TfrmEdSelfPsd>([&](TfrmEdSelfPsd *dlg) {
        QCOMPARE(dlg->ui.EdNewPsd->text(), QStringLiteral("new1"));
        dlg->ui.btnCancel->click();
    });
    f.command("miEdSelfPsd");
    QVERIFY(verifyPassword("new1", f.base().MyADOCnn().scalar("SELECT Password FROM psd WHERE UserID = 1").toString()));
}

void TestAdminWindows::oldPasswordCheckedOnLeaving_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("right");
    QTest::newRow("right") << "Abc1" << "Abc1" << true;
    QTest::newRow("wrong") << "Abc1" << "Abc2" << false;
    QTest::newRow("letter case counts") << "Abc1" << "abc1" << false;
    QTest::newRow("empty for a password") << "Abc1" << "" << false;
    QTest::newRow("empty for none") << "" << "" << true;
    QTest::newRow("typed for none") << "" << "x" << false;
}

void TestAdminWindows::oldPasswordCheckedOnLeaving()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, right);
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(db.exec("UPDATE psd SET Password = ? WHERE UserID = 1", {hashPassword(stored)}));
    }
    test::AppFixture f;
    QVERIFY(f.start(set.path(), 0, stored));
    bool ran = false;
    test::whenModal<TfrmEdSelfPsd>([&](TfrmEdSelfPsd *dlg) {
        QTRY_VERIFY(dlg->ui.EdOldPsd->hasFocus());
        QTest::keyClicks(dlg->ui.EdOldPsd, typed);
        QTest::keyClick(dlg->ui.EdOldPsd, Qt::Key_Tab); // on to "新设口令"
        if (right) {
            QTRY_VERIFY(dlg->ui.EdNewPsd->hasFocus());
            QTest::qWait(20);
            QVERIFY(f.prompter.texts().isEmpty());
            QVERIFY(dlg->ui.EdNewPsd->hasFocus());
        } else {
            QTRY_COMPARE(f.prompter.texts(), QStringList{"原有口令不对，请重试。"});
            QTRY_VERIFY(dlg->ui.EdOldPsd->hasFocus());
        }
        ran = true;
        dlg->ui.btnCancel->click();
    });
    f.command("miEdSelfPsd");
    QVERIFY(ran);
    // Nothing is stored by the check, whatever it found.
    QVERIFY(verifyPassword(stored, f.base().MyADOCnn().scalar("SELECT Password FROM psd WHERE UserID = 1").toString()));
}

QTEST_MAIN(TestAdminWindows)
#include "test_adminwindows.moc"
