// hemu-cli import: master data from files, the refused rows named, and --version.
#include "core/db/database.h"
#include "support/clirun.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace hemu;
using test::runCli;

class TestImportCli : public QObject
{
    Q_OBJECT
private slots:
    void dryRunThenImport();
    void refusals_data();
    void refusals();
    void version();
};

namespace {
int count(const QString &path, const QString &table)
{
    Database db;
    if (!db.open(path))
        return -1;
    return db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
}
} // namespace

void TestImportCli::dryRunThenImport()
{
    test::TempAccountSet set;
    const QString cats = set.file("cats.csv");
    test::writeBytes(cats, "类别,备注\n饮料,\n食品,干货\n");
    const test::CliOutput c = runCli({"import", set.path(), "Catalogs", cats});
    QCOMPARE(c.code, 0);
    QCOMPARE(c.out, QString("2 rows good, 0 refused; 2 written\n"));

    const QString goods = set.file("goods.csv");
    test::writeBytes(goods, "品名型号,类别,购入价\n可乐,饮料,2.5\n面包,零食,3\n饼干,食品,x\n薯片,食品,4\n");
    const QString refused = "第 3 行：类别“零食”不存在。\n第 4 行：“x”不是有效的数值（字段“购入价”）。\n";
    const test::CliOutput dry = runCli({"import", set.path(), "goods", goods, "--dry-run"});
    QCOMPARE(dry.code, 1);
    QCOMPARE(dry.out, refused + "2 rows good, 2 refused; nothing written (dry run)\n");
    QCOMPARE(count(set.path(), "Goods"), 0);
    const test::CliOutput done = runCli({"import", set.path(), "Goods", goods});
    QCOMPARE(done.code, 1);
    QCOMPARE(done.out, refused + "2 rows good, 2 refused; 2 written\n");
    QCOMPARE(count(set.path(), "Goods"), 2);
}

void TestImportCli::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown table") << QStringList{"Bills", "@data"} << "unknown table \"Bills\"";
    QTest::newRow("unknown file type") << QStringList{"Goods", "@set"} << "只能导入 CSV 或 XLSX 文件。";
    QTest::newRow("missing column") << QStringList{"Units", "@data"} << "缺少必需的列：代码、单位。";
    QTest::newRow("wrong password") << QStringList{"Goods", "@data", "--password", "x"} << "口令有误，请再试一次。";
}

void TestImportCli::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    test::TempAccountSet set;
    const QString data = set.file("data.csv");
    test::writeBytes(data, "品名型号,类别\n可乐,饮料\n");
    args.replaceInStrings("@data", data);
    args.replaceInStrings("@set", set.path());
    const test::CliOutput o = runCli(QStringList{"import", set.path()} + args);
    QCOMPARE(o.code, 1);
    QVERIFY2(o.err.contains(error), qPrintable(o.err));
    QCOMPARE(o.out, QString());
    QCOMPARE(count(set.path(), "Goods"), 0);
}

void TestImportCli::version()
{
    const test::CliOutput o = runCli({"--version"});
    QCOMPARE(o.code, 0);
    QCOMPARE(o.out, QString("hemu-cli 2.0\n"));
}

QTEST_GUILESS_MAIN(TestImportCli)
#include "test_importcli.moc"
