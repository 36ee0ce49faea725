// The form builder: one line per labelled field gives the label, the named editor and its
// binder, laid out in a form.
#include "support/goodsbooks.h"
#include "ui/kit/formbuilder.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/promptchannel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace hemu;

namespace {

/// A goods form as a window lays it out: the named controls in a `ui` struct.
class GoodsForm : public QWidget
{
public:
    explicit GoodsForm(Dataset *goods)
    {
        FormBuilder form(this, goods, new QFormLayout);
        ui.edGoodID = form.label("商品码", "edGoodID", "GoodID");
        ui.edName = form.line("品名型号", "edName", "Description");
        ui.cbCata = form.lookup("类别", "cbCata", "lkCata");
        ui.edPrice = form.line("售价：", "edPrice", "SellPrice");
        ui.ckInUse = form.check("停用", "ckInUse", "InUse");
        ui.edDate = form.date("日期", "edDate", "EnterDate");
        ui.cbStock = form.choice("库存", "cbStock", "HandInc", {{100, "充足"}, {0, "缺货"}});
    }

    struct
    {
        QLabel *edGoodID;
        QLineEdit *edName;
        QComboBox *cbCata;
        QLineEdit *edPrice;
        QCheckBox *ckInUse;
        QDateEdit *edDate;
        QComboBox *cbStock;
    } ui;
};

} // namespace

class TestFormBuilder : public QObject
{
    Q_OBJECT
private slots:
    void labelsEditorsAndBinders();
    void editsGoThroughTheBinders();
};

void TestFormBuilder::labelsEditorsAndBinders()
{
    test::GoodsBooks books;
    books.open();
    GoodsForm form(books.goods.get());
    auto *layout = qobject_cast<QFormLayout *>(form.layout());
    QVERIFY(layout);
    QCOMPARE(layout->rowCount(), 7);

    const QList<QPair<QString, QString>> rows = {
        {"edGoodID", "商品码："}, {"edName", "品名型号："}, {"cbCata", "类别："}, {"edPrice", "售价："},
        {"ckInUse", "停用："},    {"edDate", "日期："},     {"cbStock", "库存："},
    };
    for (int i = 0; i < rows.size(); ++i) {
        const QString name = rows.at(i).first;
        QWidget *editor = layout->itemAt(i, QFormLayout::FieldRole)->widget();
        auto *label = qobject_cast<QLabel *>(layout->itemAt(i, QFormLayout::LabelRole)->widget());
        QCOMPARE(editor->objectName(), name);
        QCOMPARE(label->objectName(), FormBuilder::labelName(name));
        QCOMPARE(label->text(), rows.at(i).second);
        QCOMPARE(label->buddy(), editor);
        QVERIFY2(editor->findChild<FieldBinder *>(), qPrintable(name));
        QCOMPARE(form.findChild<QWidget *>(name), editor);
    }
    // Each shows the goods' current row.
    QCOMPARE(form.ui.edGoodID->text(), QString("1"));
    QCOMPARE(form.ui.edName->text(), QString("矿泉水"));
    QCOMPARE(form.ui.cbCata->currentText(), QString("饮料"));
    QCOMPARE(form.ui.edPrice->text(), QString("1.5"));
    QVERIFY(!form.ui.ckInUse->isChecked());
    QCOMPARE(form.ui.edDate->date(), QDate(2026, 1, 5));
    QCOMPARE(form.ui.cbStock->currentText(), QString("充足"));
}

void TestFormBuilder::editsGoThroughTheBinders()
{
    test::GoodsBooks books;
    books.open();
    GoodsForm form(books.goods.get());
    PromptChannel::attach(&form, &books.prompter);
    QVERIFY(books.goods->setCurrentRow(1));
    QCOMPARE(form.ui.edName->text(), QString("饼干"));
    form.ui.edName->selectAll();
    QTest::keyClicks(form.ui.edName, "Cookies");
    QTest::keyClick(form.ui.edName, Qt::Key_Return);
    QCOMPARE(books.stored("Description", 2).toString(), QString("Cookies"));
    form.ui.cbCata->setCurrentIndex(form.ui.cbCata->findText("日用"));
    emit form.ui.cbCata->activated(form.ui.cbCata->currentIndex());
    QTest::keyClick(form.ui.cbCata, Qt::Key_Return);
    QCOMPARE(books.stored("CataID", 2).toInt(), 3);
    QVERIFY(books.prompter.entries().isEmpty());
}

QTEST_MAIN(TestFormBuilder)
#include "test_formbuilder.moc"
