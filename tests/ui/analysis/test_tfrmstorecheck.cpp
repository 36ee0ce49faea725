// The stocktaking window: typing differences into the grid, saving, cancelling, "调整",
// the count sheet, and saving on close.
#include "core/analysis/stockcheck.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/appfixture.h"
#include "support/gridrows.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/analysis/tfrmstorecheck.h"
#include "ui/widgets/datagrid.h"

#include <QCheckBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include "core/reports/textexport.h"
#include "ui/reports/pagestore.h"
#include "ui/reports/reportwindow.h"
#include "ui/reports/tfrmmypreview.h"

#include <QtTest>

using namespace hemu;
using test::rowOf;

class TestStoreCheck : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        // 102 has no quantity at all; 101 has 3 delivered in the period.
        test::execOn(set->path(), {"UPDATE Goods SET CustHandInc = 3 WHERE GoodID = 101"});
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void listsGoodsWithQuantities();
    void typeSaveCancelAdjust();
    void closingSavesTypedDifferences();
    void adjustRefusedChangesNothing();
    void printsTheCountSheet();

private:
    TfrmStoreCheck *open()
    {
        auto *window = qobject_cast<TfrmStoreCheck *>(f->command("N14"));
        if (!window)
            qFatal("盘点调整 opened no stocktaking window");
        return window;
    }
    /// Types `diff` into the difference column of goods `goodId` and presses Enter.
    void type(TfrmStoreCheck *window, int goodId, const QString &diff)
    {
        DataGrid *grid = window->ui.DBGrid2;
        const int row = rowOf(*f->tab().GoodsCheck, "GoodID", goodId);
        QVERIFY(row >= 0);
        const QModelIndex cell = grid->model()->index(row, grid->datasetModel()->columnOf("DiffCheck"));
        grid->setCurrentIndex(cell);
        QVERIFY(grid->model()->setData(cell, diff));
        QVERIFY(grid->postRow());
    }
    QVariant stored(const QString &column, int goodId)
    {
        return f->base().MyADOCnn().scalar(QStringLiteral("SELECT %1 FROM Goods WHERE GoodID = ?").arg(column), {goodId});
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestStoreCheck::listsGoodsWithQuantities()
{
    TfrmStoreCheck *window = open();
    QCOMPARE(window->windowTitle(), QStringLiteral("盘点调整"));
    QCOMPARE(test::columnOf(*f->tab().GoodsCheck, "GoodID"), (QVariantList{101, 103, 104, 105}));
    DataGrid *grid = window->ui.DBGrid2;
    QStringList fields;
    for (const GridColumn &c : grid->columns())
        fields << c.field;
    QCOMPARE(fields, (QStringList{"CataID", "Description", "GoodID", "lkUnit", "PrevOnHand", "HandInc", "CustHandInc", "OnHand", "DiffCheck"}));
    // Only the difference is typed into; the counters are on light green.
    QVERIFY(!(grid->model()->flags(grid->model()->index(0, 6)) & Qt::ItemIsEditable));
    QVERIFY(grid->model()->flags(grid->model()->index(0, 8)) & Qt::ItemIsEditable);
    QCOMPARE(grid->model()->index(0, 6).data(Qt::BackgroundRole).value<QColor>(), QColor(170, 243, 217));
    QCOMPARE(grid->model()->headerData(6, Qt::Horizontal, DatasetModel::CaptionRole).toString(), QStringLiteral("发出数"));

    // "过滤": the whole category, then its goods with quantities on a click.
    auto *box = window->ui.CheckBox1;
    test::clickRow(window->ui.DBGrid1, rowOf(*f->base().Cata, "CataID", 1));
    box->setChecked(true);
    QCOMPARE(test::columnOf(*f->tab().GoodsCheck, "GoodID"), (QVariantList{101, 102}));
    test::clickRow(window->ui.DBGrid1, rowOf(*f->base().Cata, "CataID", 1));
    QCOMPARE(test::columnOf(*f->tab().GoodsCheck, "GoodID"), (QVariantList{101}));
    box->setChecked(false);
    QCOMPARE(f->tab().GoodsCheck->rowCount(), 5);
}

void TestStoreCheck::typeSaveCancelAdjust()
{
    TfrmStoreCheck *window = open();
    type(window, 103, "2");
    QTest::mouseClick(window->ui.btSave, Qt::LeftButton);
    QCOMPARE(stored("DiffCheck", 103).toDouble(), 2.0);
    type(window, 105, "7");
    QTest::mouseClick(window->ui.Button1, Qt::LeftButton); // 取消
    QVERIFY(stored("DiffCheck", 105).isNull());
    QCOMPARE(f->tab().GoodsCheck->lookup({"GoodID"}, {105}, "DiffCheck"), QVariant());

    type(window, 101, "-5");
    f->prompter.clear();
    QTest::mouseClick(window->ui.SpeedButton3, Qt::LeftButton);
    QCOMPARE(f->prompter.texts(), (QStringList{"盘点调整完毕。"}));
    // 101: 3 delivered, 5 more on the shelf: delivered 0, stock-in 100 + 2. 103: 2 short.
    QCOMPARE(stored("CustHandInc", 101).toDouble(), 0.0);
    QCOMPARE(stored("HandInc", 101).toDouble(), 102.0);
    QCOMPARE(stored("CustHandInc", 103).toDouble(), 2.0);
    QCOMPARE(stored("DiffCheck", 101).toDouble(), 0.0);
    // Every goods item listed afterwards, the one without quantities too.
    QCOMPARE(f->tab().GoodsCheck->rowCount(), 5);
    QCOMPARE(f->tab().GoodsCheck->value("GoodID").toInt(), 101);
}

void TestStoreCheck::adjustRefusedChangesNothing()
{
    TfrmStoreCheck *window = open();
    type(window, 101, "-5");
    type(window, 103, "2");
    // Another program is writing the file: "调整" is refused as a whole.
    Database other(QStringLiteral("other program"));
    QVERIFY(other.open(set->path()));
    QVERIFY(other.exec("BEGIN IMMEDIATE"));
    QVERIFY(f->base().MyADOCnn().setBusyTimeout(50));
    f->prompter.clear();
    QTest::mouseClick(window->ui.SpeedButton3, Qt::LeftButton);
    QCOMPARE(f->prompter.texts().size(), 1);
    QVERIFY(f->prompter.texts().constFirst() != QStringLiteral("盘点调整完毕。"));
    QVERIFY(other.exec("ROLLBACK"));
    for (int goodId : {101, 103}) {
        QVERIFY(stored("DiffCheck", goodId).isNull());
        QCOMPARE(stored("HandInc", goodId).toDouble(), goodId == 101 ? 100.0 : 20.0);
    }
    QCOMPARE(stored("CustHandInc", 101).toDouble(), 3.0);
    // The typed differences are still there: once the file is free the same "调整" books them.
    QCOMPARE(f->tab().GoodsCheck->lookup({"GoodID"}, {101}, "DiffCheck").toDouble(), -5.0);
    f->prompter.clear();
    QTest::mouseClick(window->ui.SpeedButton3, Qt::LeftButton);
    QCOMPARE(f->prompter.texts(), (QStringList{"盘点调整完毕。"}));
    QCOMPARE(stored("HandInc", 101).toDouble(), 102.0);
    QCOMPARE(stored("CustHandInc", 103).toDouble(), 2.0);
}

void TestStoreCheck::closingSavesTypedDifferences()
{
    TfrmStoreCheck *window = open();
    QPointer<QWidget> alive(window);
    type(window, 104, "1.5");
    QVERIFY(stored("DiffCheck", 104).isNull());
    window->closeWindow();
    QTRY_VERIFY(!alive);
    QCOMPARE(stored("DiffCheck", 104).toDouble(), 1.5);
    QVERIFY(!f->tab().GoodsCheck->isFiltered());
}

void TestStoreCheck::printsTheCountSheet()
{
    TfrmStoreCheck *window = open();
    QTest::mouseClick(window->ui.SpeedButton1, Qt::LeftButton);
    ReportWindow *report = f->app->context().preview->shownReport();
    QVERIFY(report);
    QCOMPARE(report->objectName(), QStringLiteral("frmRepCheck"));
    QCOMPARE(report->parent(), window);
    report->store()->finishNow();
    const QString text = reports::textexport::toText(report->store()->model());
    QVERIFY2(text.contains(QStringLiteral("盘点准备表")) && text.contains(QStringLiteral("帐实差")), qPrintable(text));
    f->app->context().preview->close();
}

QTEST_MAIN(TestStoreCheck)
#include "test_tfrmstorecheck.moc"
