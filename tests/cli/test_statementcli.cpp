// hemu-cli statement (JSON, and the printed statement as text and PDF) and show held-age on the
// statement books.
#include "core/db/database.h"
#include "support/clirun.h"
#include "support/statementbooks.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace hemu;

class TestStatementCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void statementAsJson();
    void printedStatement();
    void heldAges();
    void refusals_data();
    void refusals();

private:
    test::TempAccountSet m_set;
};

void TestStatementCli::initTestCase()
{
    Database db;
    QVERIFY(db.open(m_set.path()));
    QString error;
    QVERIFY2(test::fillStatementBooks(db, &error), qPrintable(error));
}

void TestStatementCli::statementAsJson()
{
    const QString out = m_set.file(QStringLiteral("东店.json"));
    const test::CliOutput o = test::runCli({"statement", m_set.path(), "1", "--from", "2026-02-01", "--to", "2026-02-28", "--out", out});
    QCOMPARE(o.err, QString());
    QCOMPARE(o.code, 0);
    QCOMPARE(o.out, QStringLiteral("2 goods, 2 bills\n"));
    const QJsonObject json = QJsonDocument::fromJson(test::fileBytes(out)).object();
    QCOMPARE(json.keys(), (QStringList{"bills", "customer", "from", "goods", "to"}));
    QCOMPARE(json["customer"].toInt(), 1);
    QCOMPARE(json["from"].toString(), QStringLiteral("2026-02-01"));
    QCOMPARE(json["to"].toString(), QStringLiteral("2026-02-28"));
    const QJsonArray goods = json["goods"].toArray();
    QCOMPARE(goods.size(), 2);
    QCOMPARE(goods[1].toObject(), (QJsonObject{{"GoodID", 2},       {"startQty", 5},    {"startMny", 20},    {"deliveredQty", 0},
                                               {"deliveredMny", 0}, {"returnedQty", 2}, {"returnedMny", 8},  {"paidQty", 0},
                                               {"paidMny", 0},      {"refundedQty", 0}, {"refundedMny", 0}, {"endQty", 3},
                                               {"endMny", 12}}));
    const QJsonArray bills = json["bills"].toArray();
    QCOMPARE(bills[0].toObject(), (QJsonObject{{"TabID", 1}, {"KindID", 3}, {"BookID", "SK-2026-02-05"}, {"TabDate", "2026-02-05"},
                                               {"qty", 6}, {"mny", 72}}));
    QCOMPARE(bills[1]["qty"].toDouble(), -2.0);
}

void TestStatementCli::printedStatement()
{
    const QStringList range{"1", "--from", "2026-03-01", "--to", "2026-03-31", "--out"};
    const QString txt = m_set.file(QStringLiteral("东店.txt"));
    test::CliOutput o = test::runCli(QStringList{"statement", m_set.path()} + range + QStringList{txt});
    QCOMPARE(o.code, 0);
    QCOMPARE(o.out, QStringLiteral("1 pages\n"));
    QStringList lines = QString::fromUtf8(test::fileBytes(txt)).split(QLatin1Char('\n'));
    for (QString &l : lines)
        l = l.simplified();
    for (const QString &want : {QStringLiteral("客户：1 东店 日期：2026-03-01 至 2026-03-31"),
                                QStringLiteral("1 甲品 件 8 68.00 4 40.00 3 36.00 1 12.00 10 84.00"),
                                QStringLiteral("合计 11 80.00 6 45.00 5 46.00 1 12.00 13 91.00"),
                                QStringLiteral("2026-03-15 收款单 SK-2026-03-15 -1 -12.00"),
                                QStringLiteral("客户签字：____________________ 经办人：____________________")})
        QVERIFY2(lines.contains(want) || !lines.filter(want).isEmpty(), qPrintable(want + QLatin1Char('\n') + lines.join(QLatin1Char('\n'))));

    const QString pdf = m_set.file(QStringLiteral("东店.pdf"));
    o = test::runCli(QStringList{"statement", m_set.path()} + range + QStringList{pdf});
    QCOMPARE(o.code, 0);
    QVERIFY(QFileInfo(pdf).size() > 0);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    // The CJK fonts may name some glyphs by their radical forms (户 comes back as 戶): compare
    // the folded text, and only what folds back to itself.
    const QString read = QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC).simplified();
    for (const QString &want : {QStringLiteral("对账单"), QStringLiteral("1 东店"), QStringLiteral("甲品 件 8 68.00"),
                                QStringLiteral("合计 11 80.00 6 45.00 5 46.00 1 12.00 13 91.00"), QStringLiteral("签字"),
                                QStringLiteral("经办人")})
        QVERIFY2(read.contains(want), qPrintable(want + QLatin1Char('\n') + read));
}

void TestStatementCli::heldAges()
{
    const test::CliOutput o = test::runCli({"show", m_set.path(), "held-age", "--as-of", "2026-07-15", "--json"});
    QCOMPARE(o.err, QString());
    QCOMPARE(o.code, 0);
    const QJsonArray rows = QJsonDocument::fromJson(o.out.toUtf8()).object()["rows"].toArray();
    QStringList seen;
    for (const QJsonValue &r : rows)
        seen << QStringLiteral("%1/%2 %3: %4 %5 %6 %7")
                    .arg(r["CustID"].toInt())
                    .arg(r["GoodID"].toInt())
                    .arg(r["heldQty"].toDouble())
                    .arg(r["age0"].toDouble())
                    .arg(r["age31"].toDouble())
                    .arg(r["age91"].toDouble())
                    .arg(r["age181"].toDouble());
    QCOMPARE(seen, (QStringList{"1/1 10: 0 0 4 6", "1/2 1: 0 0 0 1", "1/3 2: 0 0 2 0", "2/1 7: 0 0 7 0", "3/2 -2: -2 0 0 0"}));

    const test::CliOutput one = test::runCli({"show", m_set.path(), "held-age", "--customer", "2", "--as-of", "2026-03-31"});
    QCOMPARE(one.code, 0);
    QCOMPARE(one.out, QStringLiteral("客户码  客户名称  商品码  品名型号  单位  结存数  结存金额  0-30天  31-90天  91-180天  180天以上\n"
                                     "     2  西店           1  甲品      件         7     70.00       7\n"));
}

void TestStatementCli::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("unknown customer") << QStringList{"9", "--out", "x.json"} << 1;
    QTest::newRow("date not a date") << QStringList{"1", "--from", "2026-13-01", "--out", "x.json"} << 1;
    QTest::newRow("range backwards") << QStringList{"1", "--from", "2026-03-02", "--to", "2026-03-01", "--out", "x.json"} << 1;
    QTest::newRow("unknown output kind") << QStringList{"1", "--out", "x.csv"} << 1;
    QTest::newRow("no output") << QStringList{"1"} << 2;
    QTest::newRow("customer not a number") << QStringList{"东店", "--out", "x.json"} << 2;
}

void TestStatementCli::refusals()
{
    QFETCH(QStringList, args);
    for (QString &a : args) {
        if (a.startsWith(QLatin1String("x.")))
            a = m_set.file(a);
    }
    const test::CliOutput o = test::runCli(QStringList{"statement", m_set.path()} + args);
    QTEST(o.code, "code");
    QVERIFY(o.out.isEmpty());
    QVERIFY(!o.err.isEmpty());
    QVERIFY(!QFile::exists(m_set.file(QStringLiteral("x.json"))));
}

QTEST_MAIN(TestStatementCli)
#include "test_statementcli.moc"
