// The main window driven as a user drives it: menus, tool bar, the real login dialog,
// account-set commands answered through the scripted prompter and file chooser.
#include "core/data/basedata.h"
#include "core/db/database.h"
#include "core/filechooser.h"
#include "core/demo/demodata.h"
#include "core/prompter.h"
#include "core/shell/accountsetshell.h"
#include "support/appfixture.h"
#include "support/testsupport.h"
#include "ui/shell/tfrmanimate.h"
#include "ui/shell/tfrmmain.h"
#include "ui/shell/tfrmpassworddlg.h"
#include "ui/shell/tfrmsplash.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

namespace {

/// The program built through HemuApp, with the names the tests below read best with.
struct MainFixture : test::AppFixture
{
    TfrmMain &win = main();
    AccountSetShell &shell = AppFixture::shell();
    BaseData &base = AppFixture::base();
    TfrmAnimate &busy = app->progressWindow();

    QAction *act(const char *name) { return action(QString::fromLatin1(name)); }
    QToolBar *toolBar() { return test::control<QToolBar>(&win, "ToolBar1"); }
    QStringList visibleTopMenus()
    {
        QStringList out;
        for (QAction *a : win.menuBar()->actions()) {
            if (a->isVisible())
                out << a->text();
        }
        return out;
    }
    int children() { return childCount(); }
};

/// The menu bar as lines "name caption [hidden]", two blanks per level, "-" for separators.
void describe(const QList<QAction *> &actions, const QString &indent, QStringList *out)
{
    for (QAction *a : actions) {
        if (a->isSeparator()) {
            *out << indent + "-";
            continue;
        }
        *out << indent + a->objectName() + " " + a->text() + (a->isVisible() ? "" : " [hidden]");
        if (a->menu())
            describe(a->menu()->actions(), indent + "  ", out);
    }
}

QStringList menuTree(QMainWindow &win)
{
    QStringList out;
    describe(win.menuBar()->actions(), QString(), &out);
    return out;
}

const QStringList closedMenuTree = {
    "miFile 文件",
    "  miOpen 打开套帐",
    "  miCloseAccSet 关闭套帐 [hidden]",
    "  -",
    "  miMaintainAcc 套帐维护 [hidden]",
    "    miNew 新建套帐 [hidden]",
    "    miBackup 备份数据",
    "    miRestore 恢复备份",
    "    N9 压缩修复",
    "    -",
    "    N14 盘点调整",
    "    N12 单据诊断",
    "    N7 重排单据项",
    "    -",
    "    N15 转入下期",
    "  miClearAcc 清空数据 [hidden]",
    "    N18 清空单据数据",
    "    N19 清空汇总数据",
    "    N20 清空全部数据",
    "  -",
    "  miEdSelfPsd 修改口令 [hidden]",
    "  miSetRight 设置权限 [hidden]",
    "  -",
    "  Quit 退出",
    "miBusiness 业务 [hidden]",
    "  miEdTabs 单据录入",
    "  nShowMarket 市场行情",
    "miTotal 统计 [hidden]",
    "  nViewTotal 库存变动",
    "  N11 应收款项",
    "  nCustStatement 客户对账单",
    "  nBuyManage 应付款项",
    "  nProfitAnalyse 效益分析",
    "  -",
    "  nTotalTabs 单据汇总",
    "  N17 物流状态",
    "miReport 报表 [hidden]",
    "  PrintReport 打印输出",
    "miBaseinfo 设置 [hidden]",
    "  nEdBaseInfo 基础资料",
    "  nImport 导入基础资料",
    "  -",
    "  N2 用户设置",
    "  nDisplayFormat 数据格式",
    "miHelp 帮助",
    "  ShowHelp 帮助",
    "  About 关于",
};

QStringList openMenuTree()
{
    QStringList out = closedMenuTree;
    out.replaceInStrings(" [hidden]", "");
    return out;
}

/// Runs one statement on the account set at `path` through a connection of its own.
void writeTo(const QString &path, const QString &sql, const QVariantList &params = {})
{
    Database db;
    QVERIFY(db.open(path));
    QVERIFY(db.exec(sql, params));
}

void setAdministratorRole(const QString &path, int role)
{
    writeTo(path, "UPDATE psd SET RoleID = ? WHERE UserID = 1", {role});
}

} // namespace

class TestTfrmMain : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void frameBeforeAnyOpen();
    void startUpWithCancelledDialog();
    void openShowsTheAccountSetCommands();
    void storedFormatAfterFirstOpenOnly_data();
    void storedFormatAfterFirstOpenOnly();
    void roleRule_data();
    void roleRule();
    void secondOpenClosesTheFirst();
    void closeAsksFirst();
    void copiesThroughTheWindow_data();
    void copiesThroughTheWindow();
    void compactThroughTheWindow_data();
    void compactThroughTheWindow();
    void notAnAccountSetEndsAtCancel();
    void exitQuestion_data();
    void exitQuestion();
    void childWindowsExistOnce();
    void commandsWithoutWindowShowNothing();
    void residentWindowsAndOperations();
    void periodCommandsReachTheirOperations_data();
    void periodCommandsReachTheirOperations();
    void ownPasswordNeedsTheUserRow();
    void statusBarHints();
    void childMenusMergeBeforeReports();
    void aboutAndHelp();
};

void TestTfrmMain::initTestCase()
{
    // A test closes windows; the next one still needs the application.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestTfrmMain::frameBeforeAnyOpen()
{
    MainFixture f;
    QCOMPARE(f.win.objectName(), QString("frmMain"));
    QCOMPARE(f.win.windowTitle(), QString("禾木商务管理"));
    QVERIFY(f.win.mdiArea());
    QCOMPARE(f.win.menuBar()->objectName(), QString("MainMenu1"));
    QCOMPARE(menuTree(f.win), closedMenuTree);
    QCOMPARE(f.visibleTopMenus(), QStringList({"文件", "帮助"}));
    QVERIFY(f.toolBar()->isHidden());
    QCOMPARE(f.toolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);

    const QList<QStringList> tools = {
        {"spOpen", "打开", "开启套帐"},
        {"spEdBaseInfo", "资料", "录入、编辑基础资料"},
        {"spEdTabs", "单据", "录入、编辑单据"},
        {"spViewTotal", "汇总", "查看仓库与货物流向"},
        {"spMarketInfo", "行情", "察看采购行情"},
        {"spReport", "报表", "报表打印输出"},
        {"SpeedButton8", "退出", "退出本系统"},
    };
    const QList<QAction *> actions = f.toolBar()->actions();
    QCOMPARE(actions.size(), tools.size());
    for (int i = 0; i < tools.size(); ++i) {
        QAction *a = actions.at(i);
        QCOMPARE(QStringList({a->objectName(), a->text(), a->toolTip()}), tools.at(i));
        QCOMPARE(a->statusTip(), tools.at(i).at(2));
        QVERIFY(!a->icon().isNull());
        QCOMPARE(f.toolBar()->widgetForAction(a)->objectName(), tools.at(i).at(0));
    }
    QCOMPARE(f.win.statusBar()->objectName(), QString("StatusBar1"));
    QVERIFY(!f.base.MyADOCnn().isOpen());
}

void TestTfrmMain::startUpWithCancelledDialog()
{
    MainFixture f;
    f.win.show();
    QTRY_COMPARE(f.files.titles().size(), 1);
    QVERIFY(!f.shell.AccSetOpen);
    QCOMPARE(f.visibleTopMenus(), QStringList({"文件", "帮助"}));
    QVERIFY(f.toolBar()->isHidden());
    QVERIFY(f.prompter.entries().isEmpty());
    QVERIFY(f.win.isVisible());

    // "打开套帐" is there to try again.
    test::TempAccountSet set;
    QVERIFY(f.act("miOpen")->isVisible() && f.act("miOpen")->isEnabled());
    f.open(set.path());
    QVERIFY(f.shell.AccSetOpen);
}

void TestTfrmMain::openShowsTheAccountSetCommands()
{
    test::TempAccountSet set;
    MainFixture f;
    QVERIFY(f.start(set.path()));
    QCOMPARE(menuTree(f.win), openMenuTree());
    QCOMPARE(f.visibleTopMenus(), QStringList({"文件", "业务", "统计", "报表", "设置", "帮助"}));
    QVERIFY(!f.toolBar()->isHidden());
    QCOMPARE(f.win.windowTitle(), set.path());
    QCOMPARE(f.shell.AccSetFileName, set.path());
    QVERIFY(f.win.statusPanelText(1).startsWith("登录:管理员 | 权限:系统管理员 | 时间:"));
    QVERIFY(f.base.MyADOCnn().isOpen());
    QVERIFY(f.prompter.entries().isEmpty());
}

void TestTfrmMain::storedFormatAfterFirstOpenOnly_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("stored format") << "0.00";
    QTest::newRow("empty format leaves the defaults") << "";
}

void TestTfrmMain::storedFormatAfterFirstOpenOnly()
{
    QFETCH(QString, stored);
    test::TempAccountSet set;
    writeTo(set.path(), "UPDATE DisplayStyle SET DataFormat = ?", {stored});
    MainFixture f;
    QStringList applied;
    f.shell.applyFormat = [&](const QString &format) { applied << format; };
    QVERIFY(f.start(set.path()));
    QCOMPARE(f.shell.DataFormatText, stored);
    QCOMPARE(applied, stored.isEmpty() ? QStringList() : QStringList{stored});

    // A later open from the menu keeps the format in force.
    writeTo(set.path(), "UPDATE DisplayStyle SET DataFormat = '#.##'");
    f.open(set.path());
    QVERIFY(f.shell.AccSetOpen);
    QCOMPARE(f.shell.DataFormatText, stored);
    QCOMPARE(applied.size(), stored.isEmpty() ? 0 : 1);
}

void TestTfrmMain::roleRule_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QStringList>("disabled");
    const QStringList maintain = {"miMaintainAcc", "miNew", "miBackup", "miRestore", "N9", "N14", "N12", "N7", "N15"};
    const QStringList clearing = {"miClearAcc", "N18", "N19", "N20"};
    const QStringList reports = {"miReport", "PrintReport"};
    const QStringList clerk = maintain + clearing + reports
        + QStringList{"miSetRight", "nProfitAnalyse", "nEdBaseInfo", "nImport", "spEdBaseInfo", "spReport"};
    const QStringList viewer = clerk
        + QStringList{"miEdTabs", "nShowMarket", "nBuyManage", "nTotalTabs", "nDisplayFormat", "spEdTabs", "spMarketInfo"};
    QTest::newRow("0 administrator") << 0 << QStringList();
    QTest::newRow("1 manager: all but rights and restoring") << 1 << QStringList{"miSetRight", "miRestore"};
    QTest::newRow("2 clerk") << 2 << clerk;
    QTest::newRow("3 viewer") << 3 << viewer;
    QTest::newRow("7 unknown role is a viewer") << 7 << viewer;
}

void TestTfrmMain::roleRule()
{
    QFETCH(int, role);
    QFETCH(QStringList, disabled);
    test::TempAccountSet set;
    setAdministratorRole(set.path(), role);
    MainFixture f;
    QVERIFY(f.start(set.path()));
    QCOMPARE(f.base.CurRoleID(), role);

    const auto check = [&](const QStringList &expectDisabled) {
        QStringList actual;
        for (QAction *a : f.win.findChildren<QAction *>()) {
            if (!a->objectName().isEmpty() && !a->isEnabled())
                actual << a->objectName();
        }
        actual.sort();
        QStringList expected = expectDisabled;
        expected.sort();
        QCOMPARE(actual, expected);
    };
    check(disabled);
    // The menu of a disabled submenu cannot be opened either.
    if (disabled.contains("miMaintainAcc"))
        QVERIFY(!f.act("miMaintainAcc")->isEnabled());

    // The rule is applied again at the next open: a role with more rights gets them back.
    setAdministratorRole(set.path(), 0);
    f.open(set.path());
    check({});
}

void TestTfrmMain::secondOpenClosesTheFirst()
{
    test::TempAccountSet set;
    MainFixture f;
    QVERIFY(f.start(set.path()));
    const QString loginText = f.win.statusPanelText(1);
    f.act("miOpen")->trigger(); // the dialog is cancelled
    QVERIFY(!f.shell.AccSetOpen);
    QVERIFY(!f.base.MyADOCnn().isOpen());
    QCOMPARE(menuTree(f.win), closedMenuTree);
    QVERIFY(f.toolBar()->isHidden());
    // Caption and login text keep their last values.
    QCOMPARE(f.win.windowTitle(), set.path());
    QCOMPARE(f.win.statusPanelText(1), loginText);
    QVERIFY(f.prompter.entries().isEmpty());
}

void TestTfrmMain::closeAsksFirst()
{
    test::TempAccountSet set;
    MainFixture f;
    QVERIFY(f.start(set.path()));
    f.prompter.queueAnswer(false);
    f.act("miCloseAccSet")->trigger();
    QCOMPARE(f.prompter.texts(), QStringList{"关闭套帐吗？"});
    QVERIFY(f.shell.AccSetOpen);
    QVERIFY(f.base.MyADOCnn().isOpen());
    QCOMPARE(menuTree(f.win), openMenuTree());

    f.prompter.queueAnswer(true);
    f.act("miCloseAccSet")->trigger();
    QVERIFY(!f.shell.AccSetOpen);
    QVERIFY(!f.base.MyADOCnn().isOpen());
    QCOMPARE(menuTree(f.win), closedMenuTree);
    QVERIFY(f.toolBar()->isHidden());
    QCOMPARE(f.win.windowTitle(), set.path());
}

void TestTfrmMain::copiesThroughTheWindow_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("done");
    QTest::newRow("new") << "miNew" << "新建套帐" << "完成新建套帐数据文件。";
    QTest::newRow("backup") << "miBackup" << "备份" << "备份数据文件成功！";
}

void TestTfrmMain::copiesThroughTheWindow()
{
    QFETCH(QString, command);
    QFETCH(QString, title);
    QFETCH(QString, done);
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(DemoData::fill(db));
    }
    MainFixture f;
    QVERIFY(f.start(set.path()));
    QAction *action = f.act(command.toLatin1().constData());
    const QString dest = set.file("copy.xb");

    // Cancelled: nothing is written, nothing is said.
    action->trigger();
    QCOMPARE(f.files.titles().last(), title);
    QVERIFY(f.prompter.entries().isEmpty());
    QVERIFY(!QFile::exists(dest));

    // The open file's own name is refused in the dialog; the next name is taken.
    f.files.queue(set.path());
    f.files.queue(dest);
    action->trigger();
    QCOMPARE(f.prompter.texts(),
             QStringList({"所填文件名不能与当前套帐名相同。请重新为备份命名,或者取消本次操作。", done}));
    QCOMPARE(f.prompter.entries().first().kind, Prompter::Kind::Warning);
    QCOMPARE(f.prompter.entries().last().kind, Prompter::Kind::Information);
    QVERIFY(!f.busy.isVisible());
    Database copy;
    QVERIFY(copy.open(dest));
    QCOMPARE(copy.scalar("SELECT COUNT(*) FROM psd").toInt(), 4);
    // The set stays open.
    QVERIFY(f.shell.AccSetOpen);
    QVERIFY(f.base.MyADOCnn().isOpen());
    QCOMPARE(menuTree(f.win), openMenuTree());
}

void TestTfrmMain::compactThroughTheWindow_data()
{
    QTest::addColumn<bool>("leftover");
    QTest::addColumn<QString>("said");
    QTest::newRow("the open set") << false << "套帐的压缩修复完毕。";
    QTest::newRow("leftover tmp.xb") << true << "异常。";
}

void TestTfrmMain::compactThroughTheWindow()
{
    QFETCH(bool, leftover);
    QFETCH(QString, said);
    test::TempAccountSet set;
    MainFixture f;
    QVERIFY(f.start(set.path()));
    if (leftover) {
        // Closed first, so that the bytes compared below are final.
        f.prompter.queueAnswer(true);
        f.act("miCloseAccSet")->trigger();
        f.prompter.clear();
        test::writeBytes(set.file("tmp.xb"), "left by an earlier run");
    }
    const QByteArray before = test::fileBytes(set.path());

    f.files.queue(set.path());
    f.act("N9")->trigger();
    // Closed without a question, then compacted; nothing is open afterwards.
    QCOMPARE(f.prompter.texts(), QStringList{said});
    QCOMPARE(f.prompter.entries().first().kind, leftover ? Prompter::Kind::Warning : Prompter::Kind::Information);
    QVERIFY(!f.shell.AccSetOpen);
    QVERIFY(!f.base.MyADOCnn().isOpen());
    QCOMPARE(menuTree(f.win), closedMenuTree);
    if (leftover) {
        QCOMPARE(test::fileBytes(set.path()), before);
        QCOMPARE(test::fileBytes(set.file("tmp.xb")), QByteArray("left by an earlier run"));
    } else {
        QVERIFY(!QFile::exists(set.file("tmp.xb")));
        f.open(set.path());
        QVERIFY(f.shell.AccSetOpen);
    }

    // A cancelled dialog compacts nothing.
    f.prompter.clear();
    f.act("N9")->trigger();
    QVERIFY(f.prompter.entries().isEmpty());
    QVERIFY(!f.shell.AccSetOpen);
}

void TestTfrmMain::notAnAccountSetEndsAtCancel()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("letter.xb");
    test::writeBytes(path, "Dear customer, ...");
    MainFixture f;
    QSignalSpy terminated(&f.shell, &AccountSetShell::terminateRequested);
    int listed = -1;
    test::whenModal<TfrmPasswordDlg>([&](TfrmPasswordDlg *dlg) {
        listed = dlg->findChild<QComboBox *>("ComboBox1")->count();
        QTest::mouseClick(dlg->findChild<QPushButton *>("BitBtn1"), Qt::LeftButton);
        QTest::mouseClick(dlg->findChild<QPushButton *>("BitBtn2"), Qt::LeftButton);
    });
    f.files.queue(path);
    f.win.show();
    QTRY_COMPARE(terminated.count(), 1);
    QCOMPARE(listed, 0);
    // No exit question: the program just ends.
    QCOMPARE(f.prompter.texts(), QStringList({"数据库连接失败！", "对不起，用户名无效。"}));
    QVERIFY(!f.win.isVisible());
    QVERIFY(!f.shell.AccSetOpen);
    QVERIFY(!f.base.MyADOCnn().isOpen());
    QCOMPARE(test::fileBytes(path), QByteArray("Dear customer, ..."));
}

void TestTfrmMain::exitQuestion_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("menu") << "Quit";
    QTest::newRow("tool bar") << "SpeedButton8";
    QTest::newRow("close box") << "";
}

void TestTfrmMain::exitQuestion()
{
    QFETCH(QString, how);
    test::TempAccountSet set;
    MainFixture f;
    QVERIFY(f.start(set.path()));
    const auto exit = [&] {
        if (how.isEmpty())
            f.win.close();
        else
            f.act(how.toLatin1().constData())->trigger();
    };
    f.prompter.queueAnswer(false);
    exit();
    QCOMPARE(f.prompter.texts(), QStringList{"确实要结束工作吗?"});
    QCOMPARE(f.prompter.entries().first().kind, Prompter::Kind::Question);
    QVERIFY(f.win.isVisible());
    QVERIFY(f.shell.AccSetOpen);
    QVERIFY(f.base.MyADOCnn().isOpen());

    f.prompter.queueAnswer(true);
    exit();
    QVERIFY(!f.win.isVisible());
    QVERIFY(!f.base.MyADOCnn().isOpen());
}

void TestTfrmMain::childWindowsExistOnce()
{
    test::TempAccountSet set;
    MainFixture f;
    int made = 0;
    f.win.registerChild("frmBrTotal", [&] {
        ++made;
        return new QLabel("库存变动");
    });
    f.win.registerChild("frmBrCustsDue", [] { return new QLabel("应收款项"); });
    QVERIFY(f.start(set.path()));

    QWidget *opened = f.command("nViewTotal");
    QCOMPARE(made, 1);
    QCOMPARE(f.children(), 1);
    QVERIFY(opened);
    QCOMPARE(opened->objectName(), QString("frmBrTotal"));
    QCOMPARE(f.win.mdiArea()->currentSubWindow()->widget(), opened);
    f.act("N11")->trigger();
    QCOMPARE(f.children(), 2);
    QCOMPARE(f.win.mdiArea()->currentSubWindow()->widget()->objectName(), QString("frmBrCustsDue"));

    // Menu and tool bar bring the open one to the front instead of making another.
    f.act("nViewTotal")->trigger();
    f.act("spViewTotal")->trigger();
    QCOMPARE(made, 1);
    QCOMPARE(f.children(), 2);
    QCOMPARE(f.win.mdiArea()->currentSubWindow()->widget()->objectName(), QString("frmBrTotal"));
    QVERIFY(f.win.ShowOpenChild("frmBrCustsDue"));
    QCOMPARE(f.win.mdiArea()->currentSubWindow()->widget()->objectName(), QString("frmBrCustsDue"));
    QVERIFY(!f.win.ShowOpenChild("frmbrtotal"));
    QVERIFY(!f.win.ShowOpenChild("frmBusiness"));

    // A closed child is made anew by the next command.
    QVERIFY(f.win.ShowOpenChild("frmBrTotal"));
    f.win.mdiArea()->currentSubWindow()->close();
    QVERIFY(!f.win.ShowOpenChild("frmBrTotal"));
    QTRY_COMPARE(f.children(), 1);
    f.act("nViewTotal")->trigger();
    QCOMPARE(made, 2);
    QCOMPARE(f.children(), 2);
}

void TestTfrmMain::commandsWithoutWindowShowNothing()
{
    test::TempAccountSet set;
    MainFixture f;
    QVERIFY(f.start(set.path()));
    for (const char *name : {"nTotalTabs"})
        f.act(name)->trigger();
    QCOMPARE(f.children(), 0);
    QVERIFY(f.prompter.entries().isEmpty());
    QVERIFY(f.shell.AccSetOpen);
    // The report menu and its tool button open one menu window between them.
    f.act("PrintReport")->trigger();
    f.act("spReport")->trigger();
    QCOMPARE(f.children(), 1);
    QCOMPARE(f.win.mdiArea()->currentSubWindow()->widget()->objectName(), QString("frmReportsMenu"));
}

void TestTfrmMain::residentWindowsAndOperations()
{
    test::TempAccountSet set;
    MainFixture f;
    QStringList ran;
    for (const char *name : {"frmTotalTabs", "frmSetDisplayFormat", "frmEdRight"})
        f.win.registerResident(name, [&ran, name] { ran << name; });
    for (const char *name : {"N15", "N18", "N19", "N20"})
        f.win.registerCommand(name, [&ran, name] { ran << name; });
    QVERIFY(f.start(set.path()));
    for (const char *name : {"nTotalTabs", "nDisplayFormat", "miSetRight", "N15", "N18", "N19", "N20"})
        f.act(name)->trigger();
    QCOMPARE(ran, QStringList({"frmTotalTabs", "frmSetDisplayFormat", "frmEdRight", "N15", "N18", "N19", "N20"}));
    QCOMPARE(f.children(), 0);

    // Windows open by name; operations do not: a name on the command line never runs one.
    ran.clear();
    QVERIFY(f.win.openWindow("frmEdRight"));
    QVERIFY(!f.win.openWindow("N15"));
    QVERIFY(!f.win.openWindow("frmNoSuchWindow"));
    QCOMPARE(ran, QStringList{"frmEdRight"});
    const QStringList names = f.win.windowNames();
    QCOMPARE(names.first(), QString("frmMain"));
    QVERIFY(names.contains("frmEdRight") && names.contains("frmPasswordDlg"));
    QVERIFY(!names.contains("N15"));
}

void TestTfrmMain::periodCommandsReachTheirOperations_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("question");
    QTest::newRow("carry forward") << "N15" << "结转将改写期初，建议备份帐套数据。备份吗?";
    QTest::newRow("clear bills") << "N18" << "";
    QTest::newRow("clear totals") << "N19" << "";
    QTest::newRow("clear all") << "N20" << "";
}

void TestTfrmMain::periodCommandsReachTheirOperations()
{
    QFETCH(QString, command);
    QFETCH(QString, question);
    test::TempAccountSet set;
    MainFixture f;
    QVERIFY(f.start(set.path()));
    f.prompter.setDefaultAnswer(false);
    f.act(command.toLatin1().constData())->trigger();
    // The application object wired the menu item to the operation: it asks first, and a
    // No leaves the books alone.
    QVERIFY(!f.prompter.entries().isEmpty());
    QCOMPARE(f.prompter.entries().first().kind, Prompter::Kind::Question);
    if (!question.isEmpty())
        QCOMPARE(f.prompter.entries().first().text, question);
    QVERIFY(f.shell.AccSetOpen);
}

void TestTfrmMain::ownPasswordNeedsTheUserRow()
{
    test::TempAccountSet set;
    MainFixture f;
    int shown = 0;
    f.win.registerCommand("frmEdSelfPsd", [&] { ++shown; });
    QVERIFY(f.start(set.path()));
    f.act("miEdSelfPsd")->trigger();
    QCOMPARE(shown, 1);
    QVERIFY(f.prompter.entries().isEmpty());

    // Someone removed the logged-in user meanwhile.
    QVERIFY(f.base.MyADOCnn().exec("DELETE FROM psd WHERE UserID = ?", {f.base.CurUserID()}));
    f.act("miEdSelfPsd")->trigger();
    QCOMPARE(shown, 1);
    QCOMPARE(f.prompter.texts(), QStringList{"严重错误：未找到当前用户。"});
    QCOMPARE(f.prompter.entries().first().kind, Prompter::Kind::Warning);
}

void TestTfrmMain::statusBarHints()
{
    test::TempAccountSet set;
    MainFixture f;
    QVERIFY(f.start(set.path()));
    QAction *open = f.act("spOpen");
    open->showStatusText(f.toolBar()->widgetForAction(open));
    QCOMPARE(f.win.statusPanelText(0), QString("开启套帐"));
    QStatusTipEvent twoPart("打开|打开一个套帐文件");
    QApplication::sendEvent(f.toolBar(), &twoPart);
    QCOMPARE(f.win.statusPanelText(0), QString("打开一个套帐文件"));
    // The login text is not disturbed by hints.
    QVERIFY(f.win.statusPanelText(1).startsWith("登录:管理员"));
    QCOMPARE(f.win.findChild<QLabel *>("StatusPanel0")->width(), 400);
}

void TestTfrmMain::childMenusMergeBeforeReports()
{
    test::TempAccountSet set;
    MainFixture f;
    f.win.registerChild("frmBusiness", [] {
        auto *window = new QLabel("单据录入");
        auto *menu = new QMenu("单据", window);
        menu->setProperty("mergeMenu", true);
        menu->addAction("保存");
        return window;
    });
    QVERIFY(f.start(set.path()));
    f.win.miEdTabsClick();
    QCOMPARE(f.visibleTopMenus(), QStringList({"文件", "业务", "统计", "单据", "报表", "设置", "帮助"}));
    f.win.mdiArea()->currentSubWindow()->close();
    QTRY_COMPARE(f.children(), 0);
    QCOMPARE(f.visibleTopMenus(), QStringList({"文件", "业务", "统计", "报表", "设置", "帮助"}));
}

void TestTfrmMain::aboutAndHelp()
{
    MainFixture f;
    QString caption;
    test::whenModal<TfrmSplash>([&](TfrmSplash *splash) {
        caption = splash->windowTitle();
        splash->reject();
    });
    f.act("About")->trigger();
    QCOMPARE(caption, QString("欢迎使用"));

    // The guide "帮助" opens is the program's own, found from the build tree.
    const QString guide = TfrmMain::userGuidePath();
    QVERIFY2(QFile::exists(guide), qPrintable(guide));
    QVERIFY(guide.endsWith("/userguide.html"));
}

QTEST_MAIN(TestTfrmMain)
#include "test_tfrmmain.moc"
