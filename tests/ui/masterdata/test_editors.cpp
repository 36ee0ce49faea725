// The single-row editors driven as the base-information window uses them: the goods-code
// lock, units whose code changes, the opening balance kept or dropped, a new category.
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/goodscodelock.h"
#include "support/appfixture.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/masterdata/editors.h"
#include "ui/masterdata/tfrmedcata.h"
#include "ui/masterdata/tfrmedgoods.h"
#include "ui/masterdata/tfrmedinitial.h"
#include "ui/masterdata/tfrmedunit.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/navigator.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

namespace {

void typeInto(QLineEdit *edit, const QString &text)
{
    // As typed: QTest types only ASCII keys, an input method hands over whole words.
    edit->setFocus();
    edit->selectAll();
    edit->insert(text);
}

void press(QWidget *window, const QString &button)
{
    QTest::mouseClick(test::control<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        set = std::make_unique<test::TempAccountSet>();
        test::fillMasters(set->path());
        test::execOn(set->path(),
                     {"INSERT INTO Units (UnitID, Unit) VALUES (3, '箱'), (4, '瓶')",
                      "UPDATE Goods SET UnitID = 3 WHERE GoodID IN (101, 103)",
                      "UPDATE Goods SET UnitID = 4 WHERE GoodID = 105",
                      // 101 stands on a stock-in line, 103 only in a customer's stock.
                      "INSERT INTO RuKuDan (TabID, BookID, CustID) VALUES (1, 'RK-1', 1)",
                      "INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 101, 0.75, 100)",
                      "INSERT INTO GoodsInCusts (GoodID, CustID, HandInc) VALUES (103, 2, 4)"});
        f = std::make_unique<test::AppFixture>();
        QVERIFY(f->start(set->path()));
    }
    void cleanup()
    {
        f.reset();
        set.reset();
    }

    void residentAndNamed();
    void goodsCodeLock_data();
    void goodsCodeLock();
    void codeLockFollowsTheNavigator();
    void duplicateCodeRefused();
    void unitCodeChangeRepointsGoods();
    void openingBalanceKeptOrDropped_data();
    void openingBalanceKeptOrDropped();
    void newCategory();

private:
    MasterEditors &editors() { return *f->app->context().editors; }
    Dataset &goods() { return *f->base().Goods; }
    QVariant stored(const QString &sql, const QVariantList &params = {})
    {
        return f->base().MyADOCnn().scalar(sql, params);
    }

    std::unique_ptr<test::TempAccountSet> set;
    std::unique_ptr<test::AppFixture> f;
};

void TestEditors::residentAndNamed()
{
    const QList<EditorDialog *> all{editors().frmEdGoods, editors().frmEdInitial, editors().frmEdCata, editors().frmEdUnit};
    const QStringList captions{"登记商品", "设置期初", "编辑类别", "编辑计量单位"};
    for (int i = 0; i < all.size(); ++i) {
        QVERIFY(f->main().windowNames().contains(all[i]->objectName()));
        QCOMPARE(all[i]->windowTitle(), captions[i]);
        QCOMPARE(all[i]->parentWidget(), static_cast<QWidget *>(&f->main()));
        // Opened by name, it edits the current row; closed, nothing stays pending.
        test::whenModal<EditorDialog>([](EditorDialog *shown) { shown->close(); });
        QVERIFY(f->main().openWindow(all[i]->objectName()));
        QVERIFY(!all[i]->dataset()->isEditing());
    }
}

void TestEditors::goodsCodeLock_data()
{
    QTest::addColumn<int>("goodId"); // 0: a new item
    QTest::addColumn<bool>("locked");
    QTest::newRow("on a stock-in line") << 101 << true;
    QTest::newRow("only in a customer's stock") << 103 << true;
    QTest::newRow("unused") << 104 << false;
    QTest::newRow("new item") << 0 << false;
}

void TestEditors::goodsCodeLock()
{
    QFETCH(int, goodId);
    QFETCH(bool, locked);
    TfrmEdGoods *editor = editors().frmEdGoods;
    EditorDialog::Start start = EditorDialog::Start::Append;
    if (goodId != 0) {
        QVERIFY(goods().locate("GoodID", goodId));
        start = EditorDialog::Start::Edit;
    }
    bool enabled = !locked;
    QString text;
    QColor colour;
    test::whenModal<TfrmEdGoods>([&](TfrmEdGoods *shown) {
        enabled = editor->ui.edGoodID->isEnabled();
        text = editor->ui.Label4->text();
        colour = editor->ui.Label4->palette().color(QPalette::WindowText);
        press(shown, "btnCancel");
    });
    QCOMPARE(int(editor->editRow(start)), int(EditorDialog::Cancel));
    QCOMPARE(enabled, !locked);
    QCOMPARE(text, locked ? GoodsCodeLock::lockedText() : GoodsCodeLock::freeText());
    QCOMPARE(colour, locked ? QColor(255, 0, 0) : QColor(Qt::black));
    // Closed, the lock is taken off again and nothing is left pending.
    QVERIFY(editor->ui.edGoodID->isEnabled());
    QCOMPARE(editor->ui.Label4->text(), GoodsCodeLock::freeText());
    QVERIFY(!goods().isEditing());
    if (goodId == 0)
        QCOMPARE(stored("SELECT count(*) FROM Goods").toInt(), 5);
}

void TestEditors::codeLockFollowsTheNavigator()
{
    TfrmEdGoods *editor = editors().frmEdGoods;
    QVERIFY(goods().locate("GoodID", 101));
    QList<bool> enabled;
    test::whenModal<TfrmEdGoods>([&](TfrmEdGoods *shown) {
        enabled << editor->ui.edGoodID->isEnabled();
        editor->ui.DBNavigator1->doAction(Navigator::Next); // 102: in no bill
        enabled << editor->ui.edGoodID->isEnabled();
        editor->ui.DBNavigator1->doAction(Navigator::Next); // 103: held by a customer
        enabled << editor->ui.edGoodID->isEnabled();
        press(shown, "btnCancel");
    });
    editor->editRow(EditorDialog::Start::Edit);
    QCOMPARE(enabled, (QList<bool>{false, true, false}));
    // "修改" comes back to the row it started on.
    QCOMPARE(goods().value("GoodID"), QVariant(101));
}

void TestEditors::duplicateCodeRefused()
{
    TfrmEdGoods *editor = editors().frmEdGoods;
    QVERIFY(goods().locate("GoodID", 104));
    test::whenModal<TfrmEdGoods>([&](TfrmEdGoods *shown) {
        QVERIFY(editor->ui.edGoodID->isEnabled());
        typeInto(editor->ui.edGoodID, "105");
        press(shown, "btnSave");
    });
    editor->editRow(EditorDialog::Start::Edit);
    QCOMPARE(f->prompter.texts(), QStringList{"代码重复，请重新录入。"});
    QCOMPARE(stored("SELECT Description FROM Goods WHERE GoodID = 104").toString(), QString("100%果汁饼"));
    QCOMPARE(stored("SELECT Description FROM Goods WHERE GoodID = 105").toString(), QString("牙膏"));
}

void TestEditors::unitCodeChangeRepointsGoods()
{
    TfrmEdGoods *editor = editors().frmEdGoods;
    QVERIFY(goods().locate("GoodID", 101));
    test::whenModal<TfrmEdGoods>([&](TfrmEdGoods *shown) {
        test::whenModal<TfrmEdUnit>([](TfrmEdUnit *units) {
            QVERIFY(units->dataset()->locate("UnitID", 3));
            typeInto(units->ui.DBEdit2, "5");
            press(units, "btnSave");
        });
        press(shown, "SpeedButton1");
        // The goods editor shows its item's unit under the new code.
        QCOMPARE(editor->ui.DBLookupComboBox4->currentText(), QString("箱"));
        press(shown, "btnCancel");
    });
    editor->editRow(EditorDialog::Start::Edit);
    QCOMPARE(stored("SELECT group_concat(GoodID) FROM (SELECT GoodID FROM Goods WHERE UnitID = 5 ORDER BY GoodID)").toString(),
             QString("101,103"));
    QCOMPARE(stored("SELECT count(*) FROM Goods WHERE UnitID = 3").toInt(), 0);
    QCOMPARE(goods().value("UnitID"), QVariant(5));
    QVERIFY(f->prompter.texts().isEmpty());

    // A new unit posted from the editor re-points nothing.
    test::whenModal<TfrmEdUnit>([](TfrmEdUnit *units) {
        units->ui.DBNavigator1->doAction(Navigator::Insert);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(units->ui.DBEdit2));
        typeInto(units->ui.DBEdit2, "3");
        typeInto(units->ui.DBEdit1, "盒");
        press(units, "btnSave");
    });
    QCOMPARE(int(editors().frmEdUnit->editRow(EditorDialog::Start::AsIs)), int(EditorDialog::Ok));
    QCOMPARE(stored("SELECT Unit FROM Units WHERE UnitID = 3").toString(), QString("盒"));
    QCOMPARE(stored("SELECT count(*) FROM Goods WHERE UnitID = 5").toInt(), 2);
}

void TestEditors::openingBalanceKeptOrDropped_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QVariant>("quantity");
    QTest::addColumn<QVariant>("amount");
    QTest::newRow("保存") << "btnSave" << QVariant(50.0) << QVariant(37.5);
    QTest::newRow("取消") << "btnCancel" << QVariant(0.0) << QVariant(0.0);
    QTest::newRow("closed") << QString() << QVariant(0.0) << QVariant(0.0);
}

void TestEditors::openingBalanceKeptOrDropped()
{
    QFETCH(QString, button);
    QFETCH(QVariant, quantity);
    QFETCH(QVariant, amount);
    TfrmEdInitial *editor = editors().frmEdInitial;
    QVERIFY(goods().locate("GoodID", 101));
    QString shownName;
    test::whenModal<TfrmEdInitial>([&](TfrmEdInitial *shown) {
        shownName = editor->ui.lblCata->text() + '/' + editor->ui.lblDescription->text();
        typeInto(editor->ui.DBEdit1, "50");
        typeInto(editor->ui.DBEdit2, "37.5");
        if (button.isEmpty())
            shown->close();
        else
            press(shown, button);
    });
    editor->editRow(EditorDialog::Start::Edit);
    QCOMPARE(shownName, QString("饮料/矿泉水"));
    QCOMPARE(stored("SELECT PrevOnHand FROM Goods WHERE GoodID = 101"), quantity);
    QCOMPARE(stored("SELECT PrevOnHandMny FROM Goods WHERE GoodID = 101"), amount);
    QCOMPARE(goods().value("PrevOnHand"), quantity);
    QVERIFY(!goods().isEditing());
    QVERIFY(f->prompter.texts().isEmpty());
}

void TestEditors::newCategory()
{
    TfrmEdCata *editor = editors().frmEdCata;
    QString code;
    test::whenModal<TfrmEdCata>([&](TfrmEdCata *shown) {
        QVERIFY(editor->ui.DBEdit1->isReadOnly());
        typeInto(editor->ui.DBEdit2, "文具");
        typeInto(editor->ui.DBEdit3, "新到");
        press(shown, "btnSave");
    });
    QCOMPARE(int(editor->editRow(EditorDialog::Start::Append)), int(EditorDialog::Ok));
    QCOMPARE(stored("SELECT Remark FROM Catalogs WHERE Catalog = '文具'").toString(), QString("新到"));
    QCOMPARE(f->base().Cata->value("Catalog").toString(), QString("文具"));
    QCOMPARE(f->base().Cata->value("CataID"), stored("SELECT CataID FROM Catalogs WHERE Catalog = '文具'"));
}

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
