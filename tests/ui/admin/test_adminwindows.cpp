// The maintenance windows as the user meets them: opened by their command on a real set.
#include "core/data/basedata.h"
#include "core/db/database.h"
#include "support/appfixture.h"
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

QTEST_MAIN(TestAdminWindows)
#include "test_adminwindows.moc"
