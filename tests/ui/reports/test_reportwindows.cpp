// The report menu and the preview driven as a user drives them: what a print request makes,
// the click zoom and its drift, paging at the edges, the refusals while the pages are busy,
// and the text and PDF exports.
#include "core/db/database.h"
#include "core/reports/textexport.h"
#include "support/appfixture.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/previewarea.h"
#include "ui/reports/reportwindow.h"
#include "ui/reports/tfrmmypreview.h"
#include "ui/reports/tfrmreportsmenu.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

namespace {

enum class PickerAnswer { Cancel, Category1, All };

void exec(const QString &path, const QStringList &statements)
{
    Database db(QStringLiteral("reportbooks"));
    QString error;
    if (!db.open(path, &error))
        qFatal("cannot open test account set: %s", qPrintable(error));
    for (const QString &sql : statements) {
        QSqlError failed;
        if (!db.exec(sql, {}, &failed))
            qFatal("fixture statement failed: %s: %s", qPrintable(sql), qPrintable(failed.text()));
    }
    db.close();
}

int scalar(const QString &path, const QString &sql)
{
    Database db(QStringLiteral("reportcheck"));
    QString error;
    if (!db.open(path, &error))
        qFatal("cannot open test account set: %s", qPrintable(error));
    QSqlQuery q(db.sql());
    const int value = q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    q.finish();
    db.close();
    return value;
}

} // namespace

class TestReportWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;

    TfrmMyPreview *preview() { return f->app->context().preview; }
    TfrmReportsMenu *openMenu()
    {
        auto *menu = qobject_cast<TfrmReportsMenu *>(f->openWindow(QStringLiteral("frmReportsMenu")));
        if (!menu)
            qFatal("the report menu did not open");
        return menu;
    }
    /// Selects list entry `position` with a click and presses "打印", answering the category
    /// picker with `choice`.
    void request(TfrmReportsMenu *menu, int position, PickerAnswer choice)
    {
        auto *list = test::control<QListWidget>(menu, "ListBox1");
        if (position >= 0) {
            list->setCurrentRow(position);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(position)).center());
        }
        test::whenModal<TfrmPickCata>([choice](TfrmPickCata *picker) {
            if (choice == PickerAnswer::Cancel) {
                picker->reject();
            } else if (choice == PickerAnswer::All) {
                QTest::mouseClick(test::control<QPushButton>(picker, "Panel1"), Qt::LeftButton);
            } else {
                DataGrid *grid = picker->list();
                const QRect row = grid->visualRect(grid->model()->index(0, 0));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row.center());
                QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row.center());
            }
        });
        QTest::mouseClick(test::control<QPushButton>(menu, "Button1"), Qt::LeftButton);
    }
    /// Shows a statement for all goods and waits for its last page.
    PageStore *showAll(TfrmReportsMenu *menu, int position)
    {
        request(menu, position, PickerAnswer::All);
        PageStore *store = preview()->store();
        if (!store)
            qFatal("nothing was handed to the preview");
        store->finishNow();
        return store;
    }
    void click(const QString &button)
    {
        QTest::mouseClick(test::control<QToolButton>(preview(), button), Qt::LeftButton);
    }

private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        // Enough goods in 饮料 for several pages; one customer row with stock, one idle.
        QStringList goods;
        for (int i = 0; i < 150; ++i)
            goods << QStringLiteral("(%1, 1, '测试品%1', 1)").arg(1000 + i);
        exec(set->path(), {QStringLiteral("INSERT INTO Goods (GoodID, CataID, Description, HandInc) VALUES ") + goods.join(','),
                           QStringLiteral("INSERT INTO GoodsInCusts (GoodID, CustID, PrevOnHand, HandInc, Sold) VALUES "
                                          "(101, 1, 0, 2, 1), (105, 2, 0, 0, 0)")});
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void menuListAndDescriptions();
    void openingPurgesIdleCustomerRows();
    void printRequests_data();
    void printRequests();
    void secondRequestReplacesShownReport();
    void clickZoomDrift_data();
    void clickZoomDrift();
    void comboZoom_data();
    void comboZoom();
    void paging();
    void busyRefusals();
    void noPages();
    void textExport_data();
    void textExport();
    void pdfExport();
};

void TestReportWindows::menuListAndDescriptions()
{
    TfrmReportsMenu *menu = openMenu();
    QCOMPARE(menu->windowTitle(), QStringLiteral("报表"));
    auto *list = test::control<QListWidget>(menu, "ListBox1");
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    QCOMPARE(entries, (QStringList{"账面库存变动表", "账面实物盘存总表", "产品与库存列表", "主库库存变动表"}));
    auto *memo = test::control<QPlainTextEdit>(menu, "Memo1");
    QVERIFY(memo->toPlainText().isEmpty());
    // "打印" with nothing selected does nothing: no picker, no report.
    QTest::mouseClick(test::control<QPushButton>(menu, "Button1"), Qt::LeftButton);
    QVERIFY(!menu->lastReport());
    QVERIFY(!preview()->isVisible());
    for (int position = 0; position < 4; ++position) {
        list->setCurrentRow(position);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(position)).center());
        QCOMPARE(memo->toPlainText(), TfrmReportsMenu::description(position));
        QCOMPARE(memo->document()->blockCount(), 1);
    }
    // A second request for the menu brings the same window forward.
    QCOMPARE(openMenu(), menu);
}

void TestReportWindows::openingPurgesIdleCustomerRows()
{
    QCOMPARE(scalar(set->path(), "SELECT count(*) FROM GoodsInCusts"), 2);
    TfrmReportsMenu *menu = openMenu();
    QVERIFY(menu->isVisible());
    // Nothing printed, and yet the idle row is gone; the row with stock stays.
    QCOMPARE(scalar(set->path(), "SELECT count(*) FROM GoodsInCusts"), 1);
    QCOMPARE(scalar(set->path(), "SELECT GoodID FROM GoodsInCusts"), 101);
}

void TestReportWindows::printRequests_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QVariant>("category");
    QTest::addColumn<bool>("skipIdle");
    QTest::addColumn<QString>("title");

    QTest::newRow("book stock, a category") << 0 << int(PickerAnswer::Category1) << "frmRepTotalwithMny" << QVariant(1) << true
                                            << "账面库存变动表";
    QTest::newRow("physical stock, all") << 1 << int(PickerAnswer::All) << "frmRepTotalwithoutMny" << QVariant() << true
                                         << "实物盘存表";
    QTest::newRow("goods list, all") << 2 << int(PickerAnswer::All) << "frmRepDeposit" << QVariant() << false << "产品与库存列表";
    QTest::newRow("goods list, a category") << 2 << int(PickerAnswer::Category1) << "frmRepDeposit" << QVariant(1) << false
                                            << "产品与库存列表";
    QTest::newRow("main store, all") << 3 << int(PickerAnswer::All) << "frmRepMainChange" << QVariant() << true << "主库库存变动表";
    QTest::newRow("picker closed") << 0 << int(PickerAnswer::Cancel) << "" << QVariant() << true << "";
}

void TestReportWindows::printRequests()
{
    QFETCH(int, position);
    QFETCH(int, choice);
    QFETCH(QString, window);
    QFETCH(QVariant, category);
    QFETCH(bool, skipIdle);
    QFETCH(QString, title);

    TfrmReportsMenu *menu = openMenu();
    request(menu, position, PickerAnswer(choice));
    ReportWindow *report = menu->lastReport();
    if (window.isEmpty()) {
        QVERIFY(!report);
        QVERIFY(!preview()->isVisible());
        return;
    }
    QVERIFY(report);
    QCOMPARE(report->objectName(), window);
    QCOMPARE(report->selection().skipIdle, skipIdle);
    QCOMPARE(report->selection().category ? QVariant(*report->selection().category) : QVariant(), category);
    QCOMPARE(preview()->shownReport(), report);
    QVERIFY(preview()->isVisible());
    report->store()->finishNow();
    QCOMPARE(report->store()->title(), title);
    QVERIFY(report->store()->pageCount() > 0);

    // Closing the preview closes its report window; the preview itself is only hidden.
    QPointer<ReportWindow> watched = report;
    click(QStringLiteral("SpeedButton9"));
    QVERIFY(!preview()->isVisible());
    QVERIFY(!preview()->shownReport());
    QTRY_VERIFY(watched.isNull());
}

void TestReportWindows::secondRequestReplacesShownReport()
{
    TfrmReportsMenu *menu = openMenu();
    showAll(menu, 0);
    QPointer<ReportWindow> first = menu->lastReport();
    showAll(menu, 3);
    QPointer<ReportWindow> second = menu->lastReport();
    QVERIFY(first && second && first != second);
    QCOMPARE(preview()->shownReport(), second.data());
    QCOMPARE(preview()->store()->title(), QStringLiteral("主库库存变动表"));
    click(QStringLiteral("SpeedButton9"));
    QTRY_VERIFY(second.isNull());
    QVERIFY(first); // stays, hidden, with the menu
    menu->closeWindow();
    QTRY_VERIFY(first.isNull());
}

void TestReportWindows::clickZoomDrift_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QList<int>>("zooms"); // after each click; -1: the whole page

    QTest::newRow("left") << int(Qt::LeftButton)
                          << QList<int>{110, 120, 130, 140, 150, 160, 170, 180, 190, 200, 210, 220, 229, 239, 249, -1, 110};
    QTest::newRow("right") << int(Qt::RightButton) << QList<int>{89, 79, 69, 59, 49, 39, 29, 19, -1, 89};
}

void TestReportWindows::clickZoomDrift()
{
    QFETCH(int, button);
    QFETCH(QList<int>, zooms);

    showAll(openMenu(), 0);
    QCoreApplication::processEvents(); // the window has become active: the factor starts at 1.0
    PreviewArea *area = preview()->area();
    area->zoomToFit();
    const int wholePage = area->zoom();
    area->setZoom(100);
    QWidget *page = test::control<QWidget>(area, "QRPreviewPage");
    for (int i = 0; i < zooms.size(); ++i) {
        QTest::mouseClick(page, Qt::MouseButton(button), {}, QPoint(5, 5));
        const int expected = zooms.at(i) < 0 ? wholePage : zooms.at(i);
        QVERIFY2(area->zoom() == expected, qPrintable(QStringLiteral("click %1: %2 %, expected %3 %").arg(i + 1).arg(area->zoom()).arg(expected)));
        if (zooms.at(i) < 0)
            QCOMPARE(preview()->clickFactor(), 1.0f);
    }
    const QString hint = button == Qt::LeftButton ? QStringLiteral("放大报表1.10") : QStringLiteral("缩小报表0.90");
    QCOMPARE(area->toolTip(), hint);
    // The combo box does not follow the clicks.
    QCOMPARE(test::control<QComboBox>(preview(), "ComboBox1")->currentText(), QString());
}

void TestReportWindows::comboZoom_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("chosen"); // from the list, else typed
    QTest::addColumn<int>("zoom");    // -1: unchanged
    QTest::addColumn<bool>("warned");

    QTest::newRow("250%") << "250%" << true << 250 << false;
    QTest::newRow("10%") << "10%" << true << 10 << false;
    QTest::newRow("blank entry") << "" << true << -1 << true;
    QTest::newRow("typed 2001%") << "2001%" << false << -1 << false;
    QTest::newRow("typed 1%") << "1%" << false << -1 << false;
    QTest::newRow("typed 15, unfinished") << "15" << false << -1 << false;
    QTest::newRow("typed 150%") << "150%" << false << 150 << false;
}

void TestReportWindows::comboZoom()
{
    QFETCH(QString, text);
    QFETCH(bool, chosen);
    QFETCH(int, zoom);
    QFETCH(bool, warned);

    showAll(openMenu(), 0);
    PreviewArea *area = preview()->area();
    area->setZoom(100);
    f->prompter.clear();
    auto *combo = test::control<QComboBox>(preview(), "ComboBox1");
    if (chosen) {
        const int index = combo->findText(text);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->textActivated(text);
    } else {
        combo->lineEdit()->clear();
        QTest::keyClicks(combo->lineEdit(), text);
    }
    QCOMPARE(area->zoom(), zoom < 0 ? 100 : zoom);
    QCOMPARE(!f->prompter.texts().isEmpty(), warned);
}

void TestReportWindows::paging()
{
    PageStore *store = showAll(openMenu(), 0);
    PreviewArea *area = preview()->area();
    const int count = store->pageCount();
    QVERIFY2(count >= 3, qPrintable(QString::number(count)));
    QCOMPARE(area->currentPage(), 1);
    click(QStringLiteral("SpeedButton2")); // 前页 on page 1
    QCOMPARE(area->currentPage(), 1);
    click(QStringLiteral("SpeedButton3"));
    QCOMPARE(area->currentPage(), 2);
    click(QStringLiteral("SpeedButton4"));
    QCOMPARE(area->currentPage(), count);
    click(QStringLiteral("SpeedButton3")); // 后页 on the last page
    QCOMPARE(area->currentPage(), count);
    click(QStringLiteral("SpeedButton1"));
    QCOMPARE(area->currentPage(), 1);
    for (int page : {0, -1, count + 1}) {
        area->goToPage(page);
        QCOMPARE(area->currentPage(), 1);
    }
    // Zoom requests outside 2 to 2000 are ignored too.
    area->setZoom(100);
    for (int zoom : {1, 2001})
        area->setZoom(zoom);
    QCOMPARE(area->zoom(), 100);
}

void TestReportWindows::busyRefusals()
{
    TfrmReportsMenu *menu = openMenu();
    request(menu, 0, PickerAnswer::All);
    PageStore *store = preview()->store();
    QVERIFY(store);
    QCOMPARE(store->status(), PageStore::Status::Busy);
    f->prompter.clear();
    click(QStringLiteral("SpeedButton5"));
    click(QStringLiteral("SpeedButton6"));
    click(QStringLiteral("SpeedButton9"));
    QCOMPARE(f->prompter.texts(), (QStringList{TfrmMyPreview::busyPrintText(), TfrmMyPreview::noDataText(),
                                               TfrmMyPreview::busyCloseText()}));
    QVERIFY(preview()->isVisible());
    QCOMPARE(preview()->shownReport(), menu->lastReport());
    // The pages keep coming while the window answers; the first shows at page width.
    QTRY_COMPARE_WITH_TIMEOUT(store->status(), PageStore::Status::Finished, 20000);
    QVERIFY(store->pageCount() >= 3);
    QCOMPARE(preview()->area()->currentPage(), 1);
    // The close box does not ask.
    QPointer<ReportWindow> report = preview()->shownReport();
    preview()->close();
    QTRY_VERIFY(report.isNull());
}

void TestReportWindows::noPages()
{
    // 日用 holds only 牙膏, made idle here.
    exec(set->path(), {QStringLiteral("UPDATE Goods SET HandInc = 0 WHERE CataID = 3")});
    TfrmReportsMenu *menu = openMenu();
    // 账面库存变动表 of a category without movement has no pages; 实物盘存表 has its headings.
    const int category = 3;
    for (int position : {0, 1}) {
        auto *report = new ReportWindow(f->app->context(), TfrmReportsMenu::reportAt(position),
                                        reports::GoodsSelection{category, true}, menu);
        report->preview();
        report->store()->finishNow();
        if (position == 0) {
            QCOMPARE(report->store()->pageCount(), 0);
            f->prompter.clear();
            click(QStringLiteral("SpeedButton6"));
            QCOMPARE(f->prompter.texts(), QStringList{TfrmMyPreview::noDataText()});
        } else {
            QCOMPARE(report->store()->pageCount(), 1);
            const QString text = reports::textexport::toText(report->store()->model());
            QVERIFY2(text.contains(QStringLiteral("实物盘存表")) && text.contains(QStringLiteral("总合计：")), qPrintable(text));
        }
    }
}

void TestReportWindows::textExport_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no ending") << "报表" << "报表.txt";
    QTest::newRow(".htm") << "a.htm" << "a.htm.txt";
    QTest::newRow(".txt") << "b.txt" << "b.txt";
}

void TestReportWindows::textExport()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    PageStore *store = showAll(openMenu(), 1);
    QTemporaryDir dir;
    f->files.queue(dir.filePath(chosen));
    click(QStringLiteral("SpeedButton11"));
    QFile file(dir.filePath(written));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QCOMPARE(QString::fromUtf8(file.readAll()), reports::textexport::toText(store->model()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    // A cancelled dialog writes nothing.
    click(QStringLiteral("SpeedButton11"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

void TestReportWindows::pdfExport()
{
    showAll(openMenu(), 1);
    QTemporaryDir dir;
    // A folder that is not there: told so, nothing written.
    f->prompter.clear();
    f->files.queue(dir.filePath("无此文件夹/盘存"));
    click(QStringLiteral("SpeedButtonPdf"));
    QCOMPARE(f->prompter.texts().size(), 1);
    QVERIFY2(f->prompter.texts().first().startsWith(QStringLiteral("无法写入文件")), qPrintable(f->prompter.texts().first()));
    QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

    // An earlier file of the name is replaced whole, and no scratch file stays beside it.
    test::writeBytes(dir.filePath("盘存.pdf"), "old");
    f->files.queue(dir.filePath("盘存"));
    click(QStringLiteral("SpeedButtonPdf"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("盘存.pdf")});
    QFile file(dir.filePath("盘存.pdf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext is not installed");
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {file.fileName(), QStringLiteral("-")});
    QVERIFY(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("实物盘存表")) && text.contains(QStringLiteral("测试品1000")), qPrintable(text.left(400)));
}

QTEST_MAIN(TestReportWindows)
#include "test_reportwindows.moc"
