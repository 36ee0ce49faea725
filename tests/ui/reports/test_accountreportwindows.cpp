// The payables reports and the stocktaking sheet opened as their windows open them: each in
// the preview under its own name, the page texts, and the PDF saved from the preview.
#include "core/reports/textexport.h"
#include "support/appfixture.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/reports/accountreportwindows.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/reportwindow.h"
#include "ui/reports/tfrmmypreview.h"
#include "ui/shell/tfrmmain.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

using namespace hemu;

class TestAccountReportWindows : public QObject
{
    Q_OBJECT
private slots:
    void openedByName_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("payables detail") << "frmRepBuyManage"
                                         << QStringList{"应付款统计表", "供货方：红星工厂", "总计应付款:150.00", "RK-9"};
        QTest::newRow("payables total") << "frmRepBuyManTotal" << QStringList{"进货结算表", "红星工厂", "蓝天贸易", "总计金额："};
        QTest::newRow("stock check") << "frmRepCheck" << QStringList{"盘点准备表", "饮料类", "矿泉水", "帐实差"};
    }

    void openedByName()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, texts);
        test::TempAccountSet set;
        test::fillMasters(set.path());
        test::execOn(set.path(), {"INSERT INTO RuKuDan (TabID, BookID, CustID, TabDate, SumMoney, invoiceMny, KindID) VALUES"
                                  " (1, 'RK-9', 1, '2026-03-01', 100, 30, 1), (2, 'RK-10', 1, '2026-03-02', 50, 0, 1),"
                                  " (3, 'RK-11', 2, '2026-03-03', 20, 0, 1)"});
        test::AppFixture f;
        QVERIFY(f.start(set.path()));
        QVERIFY(f.main().openWindow(window));
        TfrmMyPreview *preview = f.app->context().preview;
        ReportWindow *report = preview->shownReport();
        QVERIFY(report);
        QCOMPARE(report->objectName(), window);
        report->store()->finishNow();
        const QString text = reports::textexport::toText(report->store()->model());
        for (const QString &t : texts)
            QVERIFY2(text.contains(t), qPrintable(t + QLatin1Char('\n') + text));

        // Every report can be kept as a PDF from the preview.
        QTemporaryDir dir;
        f.files.queue(dir.filePath(QStringLiteral("报表")));
        preview->savePdf();
        QVERIFY(QFile(dir.filePath(QStringLiteral("报表.pdf"))).size() > 0);
        // Closing the preview ends the report.
        QPointer<ReportWindow> watched = report;
        preview->closePreview();
        QTRY_VERIFY(!watched);
    }
};

QTEST_MAIN(TestAccountReportWindows)
#include "test_accountreportwindows.moc"
