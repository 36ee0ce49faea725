// hemu-cli show gives, on the demonstration set, the figures the payables and profit windows
// show.
#include "core/analysis/payables.h"
#include "core/analysis/profits.h"
#include "core/dataset/dataset.h"
#include "support/appfixture.h"
#include "support/clirun.h"
#include "support/testsupport.h"
#include "ui/analysis/tfrmbuymanage.h"
#include "ui/analysis/tfrmprofits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace hemu;

class TestAnalysisShow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void showAgreesWithTheWindows_data();
    void showAgreesWithTheWindows();

private:
    QTemporaryDir m_dir;
    QString m_demo;
};

void TestAnalysisShow::initTestCase()
{
    m_demo = m_dir.filePath("demo.xb");
    QCOMPARE(test::runCli({"demo", m_demo}).code, 0);
}

void TestAnalysisShow::showAgreesWithTheWindows_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("payables") << "payables";
    QTest::newRow("profits") << "profits";
    QTest::newRow("all-profit") << "all-profit";
    QTest::newRow("category-sales") << "category-sales";
}

void TestAnalysisShow::showAgreesWithTheWindows()
{
    QFETCH(QString, list);
    const test::CliOutput shown = test::runCli({"show", m_demo, list, "--json"});
    QCOMPARE(shown.code, 0);
    const QJsonArray rows = QJsonDocument::fromJson(shown.out.toUtf8()).object().value("rows").toArray();

    test::AppFixture f;
    QVERIFY(f.start(m_demo));
    Dataset *ds = nullptr;
    if (list == "payables") {
        auto *window = qobject_cast<TfrmBuyManage *>(f.command("nBuyManage"));
        QVERIFY(window);
        ds = window->payables().qSum;
    } else {
        auto *window = qobject_cast<TfrmProfits *>(f.command("nProfitAnalyse"));
        QVERIFY(window);
        Profits &profits = window->profits();
        ds = list == "profits" ? profits.qProfits : list == "category-sales" ? profits.qCataStatictic : profits.qAllProfit;
        if (list == "all-profit")
            window->ui.Button1->click();
    }
    QVERIFY(ds->rowCount() > 0);
    QCOMPARE(rows.size(), ds->rowCount());
    QStringList columns;
    for (Field *field : ds->fields())
        if (field->isData())
            columns << field->name();
    for (int r = 0; r < ds->rowCount(); ++r) {
        const QJsonObject row = rows.at(r).toObject();
        QCOMPARE(row.keys().size(), columns.size());
        for (const QString &column : std::as_const(columns)) {
            const QVariant value = ds->value(r, ds->fieldIndex(column));
            const QJsonValue json = row.value(column);
            QVERIFY2(row.contains(column), qPrintable(column));
            if (value.isNull())
                QVERIFY2(json.isNull(), qPrintable(column));
            else if (json.isString())
                QCOMPARE(json.toString(), value.toString());
            else
                QCOMPARE(test::exact(json.toDouble()), test::exact(value.toDouble())); // both read the same file
        }
    }
}

QTEST_MAIN(TestAnalysisShow)
#include "test_analysisshow.moc"
