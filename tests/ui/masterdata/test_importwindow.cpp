// The import window: a file's columns matched to fields, every row checked, the good ones
// written only on "导入".
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/appfixture.h"
#include "support/testsupport.h"
#include "ui/masterdata/tfrmimport.h"
#include "ui/shell/tfrmmain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace hemu;
using test::control;

class TestImportWindow : public QObject
{
    Q_OBJECT
private slots:
    void checkThenImport();
};

void TestImportWindow::checkThenImport()
{
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    Database &db = f.base().MyADOCnn();
    QVERIFY(db.exec("INSERT INTO Catalogs(CataID, Catalog) VALUES (1, '饮料')"));
    const QString csv = set.file("goods.csv");
    test::writeBytes(csv, "品名型号,类别,售价,备注\n"
                          "可乐,饮料,3.5,不导入的列\n"
                          "雪碧,饮料,3,\n"
                          "面包,食品,6,\n"
                          "果汁,饮料,4.2,\n");
    f.files.queue(csv);
    const int goodsBefore = db.scalar("SELECT count(*) FROM Goods").toInt();
    QStringList summaries;
    QString firstCheck;
    QStringList mapped;
    f.prompter.queueAnswer(true); // import the good rows
    test::whenModal<TfrmImport>([&](TfrmImport *w) {
        auto *kind = control<QComboBox>(w, "cbKind");
        QCOMPARE(kind->currentText(), QString("产品"));
        QTest::mouseClick(control<QPushButton>(w, "btnBrowse"), Qt::LeftButton);
        QCOMPARE(control<QLineEdit>(w, "edFile")->text(), csv);
        auto *mapping = control<QTableWidget>(w, "tblMapping");
        for (int r = 0; r < mapping->rowCount(); ++r)
            mapped << mapping->item(r, 0)->text() + "→" + qobject_cast<QComboBox *>(mapping->cellWidget(r, 1))->currentText();
        auto *preview = control<QTableWidget>(w, "tblPreview");
        firstCheck = preview->item(2, 1)->text();
        summaries << control<QLabel>(w, "lblSummary")->text();
        // Without the category the rows cannot be checked at all; the import waits.
        w->setColumnField(1, -1);
        summaries << control<QLabel>(w, "lblSummary")->text();
        QVERIFY(!control<QPushButton>(w, "btnImport")->isEnabled());
        w->setColumnField(1, 3);
        summaries << control<QLabel>(w, "lblSummary")->text();
        QCOMPARE(db.scalar("SELECT count(*) FROM Goods").toInt(), goodsBefore); // nothing written yet
        QTest::mouseClick(control<QPushButton>(w, "btnImport"), Qt::LeftButton);
        summaries << control<QLabel>(w, "lblSummary")->text();
        QTest::mouseClick(control<QPushButton>(w, "btnClose"), Qt::LeftButton);
    });
    QVERIFY(f.main().openWindow("frmImport"));
    QCOMPARE(mapped, QStringList({"品名型号→品名型号 *", "类别→类别 *", "售价→售价", "备注→（不导入）"}));
    QCOMPARE(firstCheck, QString("类别“食品”不存在。"));
    QCOMPARE(summaries, QStringList({"共 4 行：3 行可以导入，1 行有错误（不导入）。", "缺少必需的列：类别。",
                                     "共 4 行：3 行可以导入，1 行有错误（不导入）。", "已导入 3 行；1 行有错误，没有导入。"}));
    QVERIFY(f.prompter.texts().contains("导入 3 行产品吗？有错误的 1 行不导入。"));
    QVERIFY(f.prompter.texts().contains("已导入 3 行。"));
    QCOMPARE(db.scalar("SELECT count(*) FROM Goods").toInt(), goodsBefore + 3);
    QCOMPARE(db.scalar("SELECT SellPrice FROM Goods WHERE Description = '果汁'").toDouble(), 4.2);
    // The goods picker's list shows them at once.
    QVERIFY(f.base().lkGoods->locate("Description", "雪碧"));
}

QTEST_MAIN(TestImportWindow)
#include "test_importwindow.moc"
