// hemu-bench on a tiny generated set: it runs every measurement through the data modules
// (each checks its own result against the raw statements) and writes the figures as JSON.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestBenchSmoke : public QObject
{
    Q_OBJECT
private slots:
    void tinyRunWritesEveryFigure();
    void convertFigureOnAJetFile();
};

void TestBenchSmoke::tinyRunWritesEveryFigure()
{
    const QString tool = qEnvironmentVariable("HEMU_BENCH");
    QVERIFY2(!tool.isEmpty(), "HEMU_BENCH names the tool");
    QTemporaryDir dir;
    const QString json = dir.filePath(QStringLiteral("figures.json"));
    QProcess bench;
    bench.start(tool, {QStringLiteral("--size"), QStringLiteral("tiny"), QStringLiteral("--json"), json, QStringLiteral("--dir"), dir.path()});
    QVERIFY(bench.waitForFinished(120000));
    QVERIFY2(bench.exitStatus() == QProcess::NormalExit && bench.exitCode() == 0, bench.readAllStandardError().constData());
    const QString table = QString::fromUtf8(bench.readAllStandardOutput());
    QVERIFY(table.contains(QStringLiteral("post_line")));
    // The generated set, and the backups its carry-forward made, are removed with the run.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), QStringList{QStringLiteral("figures.json")});

    QFile file(json);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(root.value(QStringLiteral("size")).toString(), QStringLiteral("tiny"));
    const QStringList expected = {QStringLiteral("post_line"),    QStringLiteral("recalc_totals"), QStringLiteral("open_account_set"),
                                  QStringLiteral("delete_bill"),  QStringLiteral("filter_goods"),  QStringLiteral("carry_forward"),
                                  QStringLiteral("receivables"), QStringLiteral("bill_search"), QStringLiteral("statement"), QStringLiteral("held_age"),
                                  QStringLiteral("first_write_check"), QStringLiteral("quick_check"),
                                  QStringLiteral("layout_physical_stock"), QStringLiteral("stock_check_adjust"),
                                  QStringLiteral("open_frmBaseInfo"), QStringLiteral("open_frmPickGoods"), QStringLiteral("open_frmBrTotal"),
                                  QStringLiteral("first_screen_frmBrTotal_customers"), QStringLiteral("open_frmBrCustsDue"),
                                  QStringLiteral("first_screen_frmBrCustsDue"), QStringLiteral("open_frmBusiness"), QStringLiteral("next_bill"),
                                  QStringLiteral("open_frmBrGoodFlow"), QStringLiteral("first_screen_frmBrGoodFlow"),
                                  QStringLiteral("read_all_frmBrGoodFlow"), QStringLiteral("open_frmProfits"), QStringLiteral("open_frmBuyManage"),
                                  QStringLiteral("peak_rss_mb")};
    QStringList names;
    for (const QJsonValue &v : root.value(QStringLiteral("results")).toArray()) {
        const QJsonObject r = v.toObject();
        names << r.value(QStringLiteral("name")).toString();
        QVERIFY(r.value(QStringLiteral("value")).toDouble() > 0);
        for (const char *key : {"unit", "baseline", "ratio", "target"})
            QVERIFY2(r.contains(QLatin1String(key)), key);
        const bool memory = names.last() == QLatin1String("peak_rss_mb");
        // The structure check of an open and the time to a window's first screen stand on their
        // own, measured against nothing.
        const bool alone = memory || names.last() == QLatin1String("quick_check")
                           || names.last().startsWith(QLatin1String("first_screen_"));
        QCOMPARE(r.value(QStringLiteral("unit")).toString(), memory ? QStringLiteral("MB") : QStringLiteral("ms"));
        // Every other timing has its raw-SQLite yardstick; the memory figure has none.
        QCOMPARE(r.value(QStringLiteral("baseline")).isNull(), alone);
        QCOMPARE(r.value(QStringLiteral("ratio")).isNull(), alone);
        if (!alone) {
            const double value = r.value(QStringLiteral("value")).toDouble();
            const double baseline = r.value(QStringLiteral("baseline")).toDouble();
            const double ratio = value / baseline;
            // All three are written rounded to three decimals: a baseline of a few hundredths
            // of a millisecond moves the quotient of the rounded figures by more than a percent.
            const double slack = ratio * (0.0005 / value + 0.0005 / baseline) + 0.0005;
            QVERIFY2(qAbs(r.value(QStringLiteral("ratio")).toDouble() - ratio) <= 0.01 * ratio + slack, qPrintable(names.last()));
        }
    }
    QCOMPARE(names, expected);
}

void TestBenchSmoke::convertFigureOnAJetFile()
{
    // The conversion figure alone, on the small old-format fixture: no set is generated for it,
    // and nothing it wrote stays in the folder.
    QTemporaryDir dir;
    const QString json = dir.filePath(QStringLiteral("figures.json"));
    QProcess bench;
    bench.start(qEnvironmentVariable("HEMU_BENCH"), {QStringLiteral("--only"), QStringLiteral("convert_jet"), QStringLiteral("--jet"),
                                                     QStringLiteral(HEMU_JET_SETS "/demo.xb"), QStringLiteral("--json"), json,
                                                     QStringLiteral("--dir"), dir.path()});
    QVERIFY(bench.waitForFinished(120000));
    QVERIFY2(bench.exitStatus() == QProcess::NormalExit && bench.exitCode() == 0, bench.readAllStandardError().constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("figures.json")});
    QFile file(json);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray results = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("results")).toArray();
    QCOMPARE(results.size(), 1);
    const QJsonObject r = results.first().toObject();
    QCOMPARE(r.value(QStringLiteral("name")).toString(), QStringLiteral("convert_jet"));
    QVERIFY(r.value(QStringLiteral("value")).toDouble() > 0);
    QVERIFY(r.value(QStringLiteral("baseline")).toDouble() > 0);
}

QTEST_GUILESS_MAIN(TestBenchSmoke)
#include "test_benchsmoke.moc"
