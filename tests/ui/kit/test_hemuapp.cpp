// The frame every window stands on: the application object, the child-window base, the
// one message channel, and pictures of windows from the command line.
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/db/passwordhash.h"
#include "core/shell/accountsetshell.h"
#include "support/appfixture.h"
#include "support/testsupport.h"
#include "ui/kit/childwindow.h"
#include "ui/kit/startoptions.h"
#include "ui/shell/tfrmmain.h"
#include "ui/shell/tfrmpassworddlg.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/navigator.h"

#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QVBoxLayout>
#include <QtTest>

using namespace hemu;

namespace {

/// A small child window over a units view whose unit name must be filled: enough to see
/// what the base gives every window.
class UnitsWindow : public ChildWindow
{
public:
    explicit UnitsWindow(AppContext &context)
        : ChildWindow(context, QStringLiteral("frmUnitsDemo"))
        , units(context.base.MyADOCnn(), QStringLiteral("tUnitsDemo"), QStringLiteral("Units"))
    {
        units.addDataFields({QStringLiteral("UnitID"), QStringLiteral("Unit")});
        units.fieldByName(QStringLiteral("Unit")).setRequired(true);
        units.fieldByName(QStringLiteral("Unit")).setCaption(QStringLiteral("单位"));
        units.open();
        auto *layout = new QVBoxLayout(this);
        grid = new DataGrid(this);
        grid->setObjectName(QStringLiteral("DBGridUnits"));
        nav = new Navigator(this);
        nav->setObjectName(QStringLiteral("nvUnits"));
        nav->setDataset(&units);
        grid->setDataset(&units);
        layout->addWidget(nav);
        layout->addWidget(grid);
        QMenu *menu = addMergedMenu(QStringLiteral("单位"), QStringLiteral("miUnits"));
        menu->addAction(QStringLiteral("保存"));
        resize(320, 200);
    }
    ~UnitsWindow() override { units.close(); }

    bool canClose() override
    {
        if (!busy)
            return true;
        prompter().warning(QStringLiteral("请先关闭检索表单。"));
        return false;
    }

    TableDataset units;
    DataGrid *grid = nullptr;
    Navigator *nav = nullptr;
    bool busy = false;
};

/// The program on a blank set with the units window registered and opened.
struct UnitsFixture : test::AppFixture
{
    test::TempAccountSet set;
    UnitsWindow *window = nullptr;

    UnitsFixture()
    {
        main().registerChild("frmUnitsDemo", [this] { return new UnitsWindow(app->context()); });
        if (start(set.path()))
            window = dynamic_cast<UnitsWindow *>(openWindow("frmUnitsDemo"));
    }
};

QString hemuProgram()
{
    return QString::fromLocal8Bit(qgetenv("HEMU_GUI"));
}

struct Run
{
    int code = -1;
    QString err;
};

Run runHemu(const QStringList &arguments);

/// The picture `hemu ... --grab` saves with `arguments`; null (and a failed check) when the
/// program did not end with 0.
QImage grabbed(const test::TempAccountSet &set, const QStringList &arguments)
{
    const QString png = set.file("grab.png");
    const Run run = runHemu(arguments + QStringList{"--grab", png, set.path()});
    if (run.code != 0) {
        qWarning("hemu ended with %d: %s", run.code, qPrintable(run.err));
        return {};
    }
    return QImage(png);
}

Run runHemu(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(hemuProgram(), arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = "hemu did not end";
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestHemuApp : public QObject
{
    Q_OBJECT
private slots:
    void childWindowBase();
    void widgetsFindTheProgramsPrompter();
    void canCloseKeepsTheWindowAndTheProgram();
    void startOptions_data();
    void startOptions();
    void headlessLogin_data();
    void headlessLogin();
    void grabMainWindow();
    void grabModalWindowByName();
    void commandLineRefusals_data();
    void commandLineRefusals();
    void missingControlStopsTheRun_data();
    void missingControlStopsTheRun();
    void lookForMissingControl();
};

void TestHemuApp::childWindowBase()
{
    UnitsFixture f;
    QWidget *window = f.window;
    QVERIFY(window);
    QCOMPARE(window->objectName(), QString("frmUnitsDemo"));
    auto *units = qobject_cast<ChildWindow *>(window);
    QVERIFY(units);
    QCOMPARE(&units->base(), &f.base());
    QCOMPARE(&units->mainWindow(), &f.main());
    QCOMPARE(&units->prompter(), static_cast<Prompter *>(&f.prompter));
    test::control<DataGrid>(window, "DBGridUnits");

    // Its menu stands in the menu bar while it is active.
    QStringList top;
    for (QAction *a : f.main().menuBar()->actions()) {
        if (a->isVisible())
            top << a->text();
    }
    QCOMPARE(top, QStringList({"文件", "业务", "统计", "单位", "报表", "设置", "帮助"}));

    // Centred in the work area.
    auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    QVERIFY(frame);
    f.main().resize(1000, 700);
    QTest::qWait(0);
    units->centreOnMainWindow();
    const QPoint centre = f.main().mdiArea()->viewport()->rect().center();
    QVERIFY(qAbs(frame->geometry().center().x() - centre.x()) <= 1);
    QVERIFY(qAbs(frame->geometry().center().y() - centre.y()) <= 1);
}

void TestHemuApp::widgetsFindTheProgramsPrompter()
{
    UnitsFixture f;
    UnitsWindow *window = f.window;
    QVERIFY(window);

    // No widget was given a prompter, yet the failures of a grid and a navigator reach the
    // program's (here: the test's scripted one) instead of a message box nobody answers.
    QVERIFY(window->units.append().ok());
    QVERIFY(window->units.setValue("UnitID", 7).ok());
    QVERIFY(!window->grid->postRow());
    QCOMPARE(f.prompter.texts(), QStringList{"字段“单位”必须有值。"});
    window->nav->doAction(Navigator::Post);
    QCOMPARE(f.prompter.texts().size(), 2);
    QCOMPARE(f.prompter.lastText(), QString("字段“单位”必须有值。"));

    // A widget outside every window gets the program's prompter too.
    DataGrid loose;
    loose.setDataset(&window->units);
    QVERIFY(!loose.postRow());
    QCOMPARE(f.prompter.texts().size(), 3);
    window->units.cancel();
}

void TestHemuApp::canCloseKeepsTheWindowAndTheProgram()
{
    UnitsFixture f;
    UnitsWindow *window = f.window;
    QVERIFY(window);
    window->busy = true;

    f.main().mdiArea()->currentSubWindow()->close();
    QCOMPARE(f.prompter.texts(), QStringList{"请先关闭检索表单。"});
    QCOMPARE(f.childCount(), 1);

    // Exit: the child refuses, so the program goes on with its set open.
    f.prompter.clear();
    f.main().close();
    QCOMPARE(f.prompter.texts(), QStringList({"确实要结束工作吗?", "请先关闭检索表单。"}));
    QVERIFY(f.main().isVisible());
    QVERIFY(f.shell().AccSetOpen);

    window->busy = false;
    f.main().mdiArea()->currentSubWindow()->close();
    QTRY_COMPARE(f.childCount(), 0);
}

void TestHemuApp::startOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("grab");
    QTest::newRow("set only") << QStringList{"books.xb"} << true << "" << "" << "";
    QTest::newRow("everything") << QStringList{"--user", "管理员", "--password", "pw", "--open", "frmMain", "--page", "供方",
                                               "--grab", "a.png", "books.xb"}
                                << true << "管理员" << "frmMain" << "a.png";
    QTest::newRow("empty password") << QStringList{"--user", "管理员", "books.xb"} << true << "管理员" << "" << "";
    QTest::newRow("password without user") << QStringList{"--password", "pw", "books.xb"} << false << "" << "" << "";
    QTest::newRow("open without set") << QStringList{"--open", "frmMain"} << false << "" << "" << "";
    QTest::newRow("page without open") << QStringList{"--page", "供方", "books.xb"} << false << "" << "" << "";
    QTest::newRow("two sets") << QStringList{"a.xb", "b.xb"} << false << "" << "" << "";
    QTest::newRow("unknown option") << QStringList{"--colour", "red", "a.xb"} << false << "" << "" << "";
}

void TestHemuApp::startOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, ok);
    QFETCH(QString, user);
    QFETCH(QString, open);
    QFETCH(QString, grab);
    StartOptions options;
    QString error;
    QCOMPARE(StartOptions::parse(QStringList{"hemu"} + arguments, &options, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    if (!ok)
        return;
    QVERIFY(options.accountSet.endsWith("books.xb") && QFileInfo(options.accountSet).isAbsolute());
    QCOMPARE(options.user, user);
    QCOMPARE(options.openWindow, open);
    QCOMPARE(options.grabFile, grab);
    QCOMPARE(options.openPage, arguments.contains("--page") ? arguments.at(arguments.indexOf("--page") + 1) : QString());
}

void TestHemuApp::headlessLogin_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("error");
    QTest::newRow("right password") << "会计" << "s3cret" << "";
    QTest::newRow("administrator, empty password") << "管理员" << "" << "";
    QTest::newRow("wrong password") << "会计" << "S3cret" << "口令有误，请再试一次。";
    QTest::newRow("unknown user") << "出纳" << "" << "对不起，用户名无效。";
}

void TestHemuApp::headlessLogin()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, error);
    test::TempAccountSet set;
    {
        Database db;
        QVERIFY(db.open(set.path()));
        QVERIFY(db.exec("INSERT INTO Employees(EmpID, Employee) VALUES (5, '会计')"));
        QVERIFY(db.exec("INSERT INTO psd(UserID, Password, RoleID) VALUES (5, ?, 2)", {hashPassword("s3cret")}));
    }
    test::AppFixture f;
    QString said;
    QCOMPARE(f.app->logIn(set.path(), user, password, &said), error.isEmpty());
    QCOMPARE(said, error);
    if (error.isEmpty())
        QCOMPARE(f.base().CurUserName(), user);
}

void TestHemuApp::grabMainWindow()
{
    test::TempAccountSet set;
    const QImage picture = grabbed(set, {"--user", "管理员", "--password", ""});
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), QSize(1024, 720));
    // The program closed the set on its way out: nothing is left to be checkpointed.
    QVERIFY(!QFile::exists(set.path() + "-wal") || QFileInfo(set.path() + "-wal").size() == 0);
    Database db;
    QVERIFY(db.open(set.path()));
}

void TestHemuApp::grabModalWindowByName()
{
    test::TempAccountSet set;
    const QImage picture = grabbed(set, {"--user", "管理员", "--open", "frmSplash"});
    QVERIFY(!picture.isNull());
    // The modal welcome window, not the main window behind it.
    QVERIFY(picture.width() < 1024 && picture.height() < 720);
    // A resident non-modal window shown by name is the one pictured too.
    const QImage busy = grabbed(set, {"--user", "管理员", "--open", "frmAnimate"});
    QVERIFY(!busy.isNull());
    QVERIFY(busy.width() < 1024 && busy.height() < 720);
}

void TestHemuApp::commandLineRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");
    QTest::newRow("wrong password") << QStringList{"--user", "管理员", "--password", "x"} << "口令有误，请再试一次。";
    QTest::newRow("unknown user") << QStringList{"--user", "nobody"} << "对不起，用户名无效。";
    QTest::newRow("unknown window") << QStringList{"--user", "管理员", "--open", "frmNoSuchWindow"} << "frmNoSuchWindow";
    QTest::newRow("operation is no window") << QStringList{"--user", "管理员", "--open", "N20"} << "N20";
    QTest::newRow("unknown page") << QStringList{"--user", "管理员", "--open", "frmBaseInfo", "--page", "仓库"}
                                  << "frmBaseInfo has no page 仓库; its pages: 产品 (tsCatalogs)";
}

void TestHemuApp::commandLineRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    test::TempAccountSet set;
    const QString png = set.file("never.png");
    const Run run = runHemu(arguments + QStringList{"--grab", png, set.path()});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    QVERIFY(!QFile::exists(png));
}

void TestHemuApp::missingControlStopsTheRun_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("said");
    QTest::newRow("no such control") << "edNoSuchBox" << "window frmMain has no QLineEdit called edNoSuchBox";
    QTest::newRow("another type") << "ToolBar1" << "window frmMain has no QLineEdit called ToolBar1 (one of another type)";
}

void TestHemuApp::missingControlStopsTheRun()
{
    // A renamed control ends a window test with a message naming it, not with a crash on a
    // null pointer: this test runs lookForMissingControl in a process of its own.
    QFETCH(QString, name);
    QFETCH(QString, said);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HEMU_MISSING_CONTROL", name);
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), {"lookForMissingControl"});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY(process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0);
    const QString output = QString::fromUtf8(process.readAllStandardError() + process.readAllStandardOutput());
    QVERIFY2(output.contains(said), qPrintable(output));
}

void TestHemuApp::lookForMissingControl()
{
    const QString name = qEnvironmentVariable("HEMU_MISSING_CONTROL");
    if (name.isEmpty())
        QSKIP("run by missingControlStopsTheRun in a process of its own");
    test::AppFixture f;
    test::control<QLineEdit>(&f.main(), name);
}

QTEST_MAIN(TestHemuApp)
#include "test_hemuapp.moc"
