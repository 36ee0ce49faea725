// hemu-cli show gives, on the demonstration set, the lines the goods-flow window lists and
// the purchase history the market window draws.
#include "core/analysis/goodsflow.h"
#include "core/analysis/marketinfo.h"
#include "core/dataset/dataset.h"
#include "support/appfixture.h"
#include "support/clirun.h"
#include "support/testsupport.h"
#include "ui/analysis/datelinechart.h"
#include "ui/analysis/tfrmbrgoodflow.h"
#include "ui/analysis/tfrmmarketinfo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QtTest>

using namespace hemu;

class TestFlowShow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void goodsFlowAgreesWithTheWindow();
    void marketAgreesWithTheCharts();
    void marketRefusesWhatIsNoGoodsItem_data();
    void marketRefusesWhatIsNoGoodsItem();

private:
    QJsonArray rows(const QStringList &args)
    {
        const test::CliOutput shown = test::runCli(QStringList{"show", m_demo} + args + QStringList{"--json"});
        if (shown.code != 0)
            qWarning("%s", qPrintable(shown.err));
        return QJsonDocument::fromJson(shown.out.toUtf8()).object().value("rows").toArray();
    }
    /// Every row of `ds` is the row of `shown` at the same place, column by column.
    static bool sameRows(const QJsonArray &shown, Dataset &ds, QString *why)
    {
        QStringList columns;
        for (Field *field : ds.fields())
            if (field->isData())
                columns << field->name();
        if (shown.size() != ds.rowCount()) {
            *why = QStringLiteral("%1 rows shown, %2 in the window").arg(shown.size()).arg(ds.rowCount());
            return false;
        }
        for (int r = 0; r < ds.rowCount(); ++r) {
            const QJsonObject row = shown.at(r).toObject();
            if (row.keys().size() != columns.size()) {
                *why = QStringLiteral("row %1 has %2 columns").arg(r).arg(row.keys().size());
                return false;
            }
            for (const QString &column : std::as_const(columns)) {
                const QVariant value = ds.value(r, ds.fieldIndex(column));
                const QJsonValue json = row.value(column);
                const bool same = value.isNull() ? json.isNull()
                                  : json.isString() ? json.toString() == value.toString()
                                                    : test::exact(json.toDouble()) == test::exact(value.toDouble());
                if (!same) {
                    *why = QStringLiteral("row %1, %2: %3 shown, %4 in the window")
                               .arg(r)
                               .arg(column, QString::fromUtf8(QJsonDocument(QJsonArray{json}).toJson(QJsonDocument::Compact)),
                                    value.toString());
                    return false;
                }
            }
        }
        return true;
    }

    QTemporaryDir m_dir;
    QString m_demo;
};

void TestFlowShow::initTestCase()
{
    m_demo = m_dir.filePath("demo.xb");
    QCOMPARE(test::runCli({"demo", m_demo}).code, 0);
}

void TestFlowShow::goodsFlowAgreesWithTheWindow()
{
    const QJsonArray shown = rows({"goods-flow"});
    test::AppFixture f;
    QVERIFY(f.start(m_demo));
    auto *window = qobject_cast<TfrmBrGoodFlow *>(f.command("N17"));
    QVERIFY(window);
    Dataset &lines = *window->flow().Qry;
    // Main-store and customer lines both.
    QVERIFY(lines.rowCount() > 0);
    QVERIFY(window->flow().isStoreLine(0));
    QVERIFY(!window->flow().isStoreLine(1));
    QString why;
    QVERIFY2(sameRows(shown, lines, &why), qPrintable(why));
}

void TestFlowShow::marketAgreesWithTheCharts()
{
    test::AppFixture f;
    QVERIFY(f.start(m_demo));
    auto *window = qobject_cast<TfrmMarketInfo *>(f.command("nShowMarket"));
    QVERIFY(window);
    MarketInfo &market = window->market();
    Dataset &goods = *market.Goods;
    int bought = 0;
    for (int row = 0; row < goods.rowCount(); ++row) {
        goods.setCurrentRow(row);
        const QString goodId = goods.value(QStringLiteral("GoodID")).toString();
        const QJsonArray shown = rows({"market", goodId});
        QString why;
        QVERIFY2(sameRows(shown, *market.queryPrice, &why), qPrintable(goodId + QStringLiteral(": ") + why));
        // What the charts draw is what the list says, point for point.
        QCOMPARE(window->ui.DBChartPrice->series()->count(), shown.size());
        for (int p = 0; p < shown.size(); ++p) {
            QCOMPARE(test::exact(window->ui.DBChartPrice->series()->at(p).y()), test::exact(shown[p]["aPrice"].toDouble()));
            QCOMPARE(test::exact(window->ui.DBChartQty->series()->at(p).y()), test::exact(shown[p]["sQty"].toDouble()));
            QCOMPARE(test::exact(window->ui.DBChart2->series()->at(p).y()), test::exact(shown[p]["sMny"].toDouble()));
        }
        bought += shown.isEmpty() ? 0 : 1;
    }
    QVERIFY(bought > 0);
}

void TestFlowShow::marketRefusesWhatIsNoGoodsItem_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("told");
    QTest::newRow("no code") << QStringList{"market"} << "needs a goods code";
    QTest::newRow("not a number") << QStringList{"market", "1;DROP TABLE Goods"} << "needs a goods code";
    QTest::newRow("zero") << QStringList{"market", "0"} << "needs a goods code";
    QTest::newRow("not on file") << QStringList{"market", "99999"} << "no goods item 99999";
    QTest::newRow("customer") << QStringList{"goods-flow", "--customer", "2"} << "--customer goes with";
}

void TestFlowShow::marketRefusesWhatIsNoGoodsItem()
{
    QFETCH(QStringList, args);
    QFETCH(QString, told);
    const test::CliOutput o = test::runCli(QStringList{"show", m_demo} + args);
    QCOMPARE(o.code, 1);
    QVERIFY(o.out.isEmpty());
    QVERIFY2(o.err.contains(told), qPrintable(o.err));
}

QTEST_MAIN(TestFlowShow)
#include "test_flowshow.moc"
