// Bill printing from the bill entry window: "页式" previews the bill report, "行式" prints the
// line form onto the program's printer (a PDF file here, never a real printer) or into a
// line-print preview; the printer settings dialog before both, with its modes and refusals.
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/reports/textexport.h"
#include "support/appfixture.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/bills/tfrmbusiness.h"
#include "ui/bills/tfrmlineprintpreview.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/reportwindow.h"
#include "ui/reports/tfrmmypreview.h"
#include "ui/reports/tfrmsetprn.h"
#include "ui/shell/tfrmmain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

namespace {

/// One bill of each kind: stock-in 1 from 红星工厂 with 3 lines, delivery 1 to 李四超市 with
/// 9 lines (the first 2 × 3.5), receipt 1 from 张三商店 with 1 line and no remark.
void fillBills(const QString &path)
{
    QStringList sql{QStringLiteral("INSERT INTO Units (UnitID, Unit) VALUES (1, '箱')"),
                    QStringLiteral("UPDATE UserInfo SET Name = '禾木商贸'")};
    for (int g = 201; g <= 212; ++g)
        sql << QStringLiteral("INSERT INTO Goods (GoodID, CataID, UnitID, Description, SellPrice, InUse) VALUES (%1, 1, 1, '货品%1', 3, 0)").arg(g);
    sql << "INSERT INTO RuKuDan (TabID, BookID, CustID, TabDate, SumMoney, Remark, KindID) VALUES (1, 'RK-2004-5-9', 1, '2004-05-09', 6, '月初进货', 1)"
        << "INSERT INTO DiaoBoDan (TabID, BookID, CustID, TabDate, SumMoney, Remark, KindID) VALUES (1, 'CK-2004-5-9', 2, '2004-05-09', 31, '下午送', 2)"
        << "INSERT INTO ChuKuDan (TabID, BookID, CustID, TabDate, SumMoney, KindID) VALUES (1, 'SK-2004-5-9', 1, '2004-05-09', 3, 3)";
    for (int i = 0; i < 3; ++i)
        sql << QStringLiteral("INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Qty, Price) VALUES (1, %1, %2, 1, 2)").arg(i + 1).arg(201 + i);
    sql << "INSERT INTO DiaoBoMx (TabID, ItemNo, GoodID, Qty, Price) VALUES (1, 1, 201, 2, 3.5)";
    for (int i = 1; i < 9; ++i)
        sql << QStringLiteral("INSERT INTO DiaoBoMx (TabID, ItemNo, GoodID, Qty, Price) VALUES (1, %1, %2, 1, 3)").arg(i + 1).arg(201 + i);
    sql << "INSERT INTO ChuKuMx (TabID, ItemNo, GoodID, Qty, Price) VALUES (1, 1, 201, 1, 3)";
    test::execOn(path, sql);
}

bool activate(QWidget *window)
{
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

QList<TfrmLinePrintPreview *> linePreviews(TfrmMain &main)
{
    return main.findChildren<TfrmLinePrintPreview *>();
}

QString pdfText(const QString &file)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        return {};
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(60000);
    // The CJK fonts map some characters to their radical forms: compare the plain forms.
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

} // namespace

class TestBillPrinting : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        fillBills(set->path());
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
        QVERIFY(activate(&f->main()));
        window = qobject_cast<TfrmBusiness *>(f->command(QStringLiteral("miEdTabs")));
        QVERIFY(window);
        setPrn = f->main().findChild<TfrmSetPrn *>(QStringLiteral("frmSetPrn"));
        QVERIFY(setPrn);
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void pagePrintEachKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("stock-in") << 1 << QStringList{"禾木商贸入库单", "供货方:红星工厂", "单号:RK-2004-5-9-1", "备注:月初进货", "共1页"};
        QTest::newRow("delivery") << 2 << QStringList{"禾木商贸送货单", "客户名:李四超市", "单号:CK-2004-5-9-1", "7.0", "货品209"};
        QTest::newRow("receipt") << 3 << QStringList{"禾木商贸收款单", "客户名:张三商店", "单号:SK-2004-5-9-1", "合计金额："};
    }

    void pagePrintEachKind()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, texts);
        window->showPage(BillKind(kind));
        test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) { dialog->ui.btOk->click(); });
        window->ui.spPagePrint->click();
        QCOMPARE(f->prompter.lastText(), QStringLiteral("使用默认设置打印。"));
        ReportWindow *report = f->app->context().preview->shownReport();
        QVERIFY(report);
        QCOMPARE(report->objectName(), QStringLiteral("frmRepTabRk"));
        QCOMPARE(report->parent(), window);
        report->store()->finishNow();
        const QString text = reports::textexport::toText(report->store()->model());
        for (const QString &t : texts)
            QVERIFY2(text.contains(t), qPrintable(t + QLatin1Char('\n') + text));
        f->app->context().preview->close();
    }

    void cancelledSettingsPrintNothing()
    {
        window->showPage(BillKind::Delivery);
        for (QToolButton *button : {window->ui.spPagePrint, window->ui.spLinePrint}) {
            test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) { dialog->ui.btCancel->click(); });
            button->click();
            f->prompter.setDefaultAnswer(false);
            test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) { dialog->ui.btOk->click(); }); // "确定", then No
            button->click();
            f->prompter.setDefaultAnswer(true);
        }
        QVERIFY(!f->app->context().preview->shownReport());
        QVERIFY(linePreviews(f->main()).isEmpty());
        QVERIFY(!f->prompter.texts().contains(QStringLiteral("打印完毕。")));
    }

    void linePrintIntoPreviews()
    {
        window->showPage(BillKind::Delivery);
        for (int run = 1; run <= 2; ++run) {
            test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) {
                QTest::keyClick(dialog->ui.Memo1, Qt::Key_F7, Qt::ShiftModifier); // "行式打印预览？" Yes
                dialog->ui.btOk->click();
            });
            window->ui.spLinePrint->click();
            QVERIFY(f->prompter.texts().contains(QStringLiteral("行式打印预览？")));
            QCOMPARE(f->prompter.lastText(), QStringLiteral("打印完毕。"));
            // Every run opens a preview of its own.
            QCOMPARE(linePreviews(f->main()).size(), run);
        }
        TfrmLinePrintPreview *preview = linePreviews(f->main()).first();
        QCOMPARE(preview->windowTitle(), QStringLiteral("行打预览"));
        QCOMPARE(preview->ui.Panel1->text(), QStringLiteral("行式打印预览"));
        QCOMPARE(preview->image().size(), QSize(2000, 1880));
        QCOMPARE(preview->pageCount(), 2);
        QCOMPARE(preview->pages().at(0).texts.at(2).text, QStringLiteral("收货方:李四超市"));
        // Ink on both pages, below the page break too.
        const QImage &image = preview->image();
        const auto inked = [&image](int top, int bottom) {
            for (int y = top; y < bottom; y += 2)
                for (int x = 0; x < 1400; x += 2)
                    if (qGray(image.pixel(x, y)) < 100)
                        return true;
            return false;
        };
        QVERIFY(inked(0, 940));
        QVERIFY(inked(941, 1880));
    }

    void linePrintOnThePrinter()
    {
        // Opening the dialog again switches the preview off: this print goes to the printer,
        // here a PDF file.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("line.pdf"));
        setPrn->printer().setOutputFormat(QPrinter::PdfFormat);
        setPrn->printer().setOutputFileName(pdf);
        window->showPage(BillKind::Delivery);
        test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) {
            QTest::keyClick(dialog->ui.Memo1, Qt::Key_F7, Qt::ShiftModifier);
            dialog->ui.btViewSet->click(); // "察看设置" clears the switch again
            dialog->ui.btOk->click();
        });
        window->ui.spLinePrint->click();
        QVERIFY(linePreviews(f->main()).isEmpty());
        QCOMPARE(f->prompter.lastText(), QStringLiteral("打印完毕。"));
        QVERIFY(QFile(pdf).size() > 0);
        const QString text = pdfText(pdf);
        if (!text.isEmpty()) {
            QVERIFY2(text.contains(QStringLiteral("收货方:李四超市")), qPrintable(text));
            // 页 comes back as a radical form that has no plain decomposition.
            QVERIFY2(text.contains(QStringLiteral("金额:")) && text.contains(QStringLiteral("28.00")), qPrintable(text));
        }
    }

    void linePrintAsksForAFileWithoutPrinter()
    {
        // Qt prints into a PDF file when there is no printer: the user names the file; no
        // name, no print and no message.
        QTemporaryDir dir;
        setPrn->printer().setOutputFormat(QPrinter::PdfFormat);
        setPrn->printer().setOutputFileName(QString());
        window->showPage(BillKind::StockIn);
        test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) { dialog->ui.btOk->click(); });
        window->ui.spLinePrint->click();
        QCOMPARE(f->prompter.lastText(), QStringLiteral("使用默认设置打印。"));
        f->files.queue(dir.filePath(QStringLiteral("入库单")));
        test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) { dialog->ui.btOk->click(); });
        window->ui.spLinePrint->click();
        QCOMPARE(f->prompter.lastText(), QStringLiteral("打印完毕。"));
        QVERIFY(QFile(dir.filePath(QStringLiteral("入库单.pdf"))).size() > 0);
        QCOMPARE(setPrn->printer().outputFileName(), QString());
        const QString text = pdfText(dir.filePath(QStringLiteral("入库单.pdf")));
        if (!text.isEmpty())
            QVERIFY2(text.contains(QStringLiteral("供货方:红星工厂")), qPrintable(text));
    }

    void customSettingsAndRefusals()
    {
        QPrinter &printer = setPrn->printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        QString shown;
        test::whenModal<TfrmSetPrn>([&shown](TfrmSetPrn *dialog) {
            shown = dialog->ui.Memo1->toPlainText();
            // Refused: the settings stay, the mode stays default.
            dialog->ui.medLength->setText(QStringLiteral("0"));
            dialog->ui.btApply->click();
            dialog->ui.medLength->setText(QString());
            dialog->ui.btApply->click();
            QVERIFY(dialog->ui.Memo1->toPlainText().contains(QStringLiteral("纸型:A4 210 x 297 mm")));
            QCOMPARE(dialog->mode(), printing::PrintMode::Default);
            dialog->ui.medLength->setText(QStringLiteral("940"));
            dialog->ui.medWidth->setText(QStringLiteral("2000"));
            dialog->ui.cbPrintQlty->setCurrentIndex(0);
            dialog->ui.btApply->click();
            shown += QStringLiteral("\n===\n") + dialog->ui.Memo1->toPlainText();
            dialog->ui.btOk->click();
        });
        QVERIFY(f->main().openWindow(QStringLiteral("frmSetPrn")));
        const QStringList parts = shown.split(QStringLiteral("\n===\n"));
        QCOMPARE(parts.size(), 2);
        QVERIFY2(parts.at(0).contains(QStringLiteral("纸型:A4 210 x 297 mm")), qPrintable(parts.at(0)));
        QVERIFY(parts.at(0).contains(QStringLiteral("打印方向：纵向")));
        QVERIFY(parts.at(0).startsWith(QStringLiteral("设备：")));
        QVERIFY2(parts.at(1).contains(QStringLiteral("纸型:定制纸型(Custom)")), qPrintable(parts.at(1)));
        QVERIFY(parts.at(1).contains(QStringLiteral("纸长:940\n")));
        QVERIFY(parts.at(1).contains(QStringLiteral("纸宽:2000\n")));
        QVERIFY(parts.at(1).contains(QStringLiteral("x分辨率:180\n")));
        // 200 mm at 180 dots per inch.
        QVERIFY2(parts.at(1).contains(QRegularExpression(QStringLiteral("纸宽点数:141[78]\n"))), qPrintable(parts.at(1)));
        QCOMPARE(f->prompter.texts().count(QStringLiteral("输入不能为零。")), 2);
        QCOMPARE(f->prompter.lastText(), QStringLiteral("使用定制设置打印。"));
        QCOMPARE(setPrn->mode(), printing::PrintMode::Custom);
        QCOMPARE(printer.resolution(), 180);

        // The mode holds for the run: the next "确定" asks the same.
        test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) { dialog->ui.btOk->click(); });
        QVERIFY(setPrn->showModal());
        QCOMPARE(f->prompter.lastText(), QStringLiteral("使用定制设置打印。"));
    }

    void standardSettings()
    {
        test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) {
            test::whenModal<QPrintDialog>([](QPrintDialog *print) { print->accept(); });
            dialog->ui.btStandard->click();
            dialog->ui.btOk->click();
        });
        QVERIFY(setPrn->showModal());
        QCOMPARE(setPrn->mode(), printing::PrintMode::Standard);
        QCOMPARE(f->prompter.lastText(), QStringLiteral("使用标准设置打印。"));
    }

    void printsToACupsQueue()
    {
        const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
        if (printers.isEmpty())
            QSKIP("no printer queue on this machine (install cups and printer-driver-cups-pdf for this test)");
        setPrn->printer().setPrinterName(printers.first().printerName());
        window->showPage(BillKind::StockIn);
        test::whenModal<TfrmSetPrn>([](TfrmSetPrn *dialog) { dialog->ui.btOk->click(); });
        window->ui.spLinePrint->click();
        QCOMPARE(f->prompter.lastText(), QStringLiteral("打印完毕。"));
    }

private:
    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
    TfrmBusiness *window = nullptr;
    TfrmSetPrn *setPrn = nullptr;
};

QTEST_MAIN(TestBillPrinting)
#include "test_billprinting.moc"
