// The owner information and the number display format as the user meets them: opened by
// their commands on a real set, stored in it, and seen again after reopening it.
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/shell/accountsetshell.h"
#include "support/appfixture.h"
#include "support/masterbooks.h"
#include "support/testsupport.h"
#include "ui/admin/tfrmsetdisplayformat.h"
#include "ui/shell/tfrmmain.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace hemu;

namespace {

QString storedFormat(test::AppFixture &f)
{
    return f.base().MyADOCnn().scalar("SELECT DataFormat FROM DisplayStyle ORDER BY rowid LIMIT 1").toString();
}

TfrmSetDisplayFormat *openFormatWindow(test::AppFixture &f)
{
    f.action("nDisplayFormat")->trigger();
    auto *window = f.main().findChild<TfrmSetDisplayFormat *>("frmSetDisplayFormat");
    if (window && !window->isVisible())
        return nullptr;
    return window;
}

/// The four goods views: every floating-point field shows `format`, the others keep theirs.
void checkGoodsViews(test::AppFixture &f, const QString &format)
{
    for (Dataset *ds : {f.base().Goods, f.base().lkGoods, f.tab().Goods, f.tab().GoodsInCusts}) {
        int floats = 0;
        for (Field *field : ds->fields()) {
            if (field->dataType() == DataType::Float) {
                ++floats;
                QCOMPARE(field->displayFormat(), format);
            } else {
                QVERIFY2(field->displayFormat() != format || format.isEmpty(), qPrintable(ds->name() + "." + field->name()));
            }
        }
        QVERIFY2(floats > 0, qPrintable(ds->name()));
    }
}

} // namespace

class TestSettingsWindows : public QObject
{
    Q_OBJECT
private slots:
    void ownerInformationSaved();
    void ownerInformationCancelled();
    void ownerInformationChangedBySecondProgram();
    void formatConfirmedIsStoredAndKept();
    void formatAppliedThenCancelledIsNotStored();
    void formatNeedsDecimals();
};

void TestSettingsWindows::ownerInformationSaved()
{
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    QWidget *window = f.command("N2");
    QVERIFY(window);
    QCOMPARE(window->objectName(), QStringLiteral("frmEdUserInfo"));
    QCOMPARE(window->windowTitle(), QStringLiteral("用户设置"));
    auto *name = test::control<QLineEdit>(window, "edName");
    QCOMPARE(name->maxLength(), 100);
    QCOMPARE(test::control<QLineEdit>(window, "edAddress")->maxLength(), 50);
    name->setFocus();
    name->selectAll();
    name->insert("新禾木商行"); // typed: keyClicks knows no CJK keys
    test::control<QPushButton>(window, "btnSave")->click();
    QTRY_COMPARE(f.childCount(), 0);
    QCOMPARE(f.base().MyADOCnn().scalar("SELECT Name FROM UserInfo").toString(), QStringLiteral("新禾木商行"));
    QVERIFY(!f.base().UserInfo->isEditing());
    QVERIFY(f.prompter.texts().isEmpty());
}

void TestSettingsWindows::ownerInformationCancelled()
{
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    const QVariant before = f.base().MyADOCnn().scalar("SELECT Name FROM UserInfo");
    QWidget *window = f.command("N2");
    QVERIFY(window);
    auto *address = test::control<QLineEdit>(window, "edAddress");
    address->insert("二楼");
    QVERIFY(f.base().UserInfo->isEditing());
    test::control<QPushButton>(window, "btnCancel")->click();
    QTRY_COMPARE(f.childCount(), 0);
    QVERIFY(!f.base().UserInfo->isEditing());
    QCOMPARE(f.base().MyADOCnn().scalar("SELECT Name FROM UserInfo"), before);
    QVERIFY(f.base().MyADOCnn().scalar("SELECT Address FROM UserInfo").toString().isEmpty());
}

void TestSettingsWindows::ownerInformationChangedBySecondProgram()
{
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    QWidget *window = f.command("N2");
    QVERIFY(window);
    Database other(QStringLiteral("other"));
    QVERIFY(other.open(set.path()));
    QVERIFY(other.exec("UPDATE UserInfo SET Name = '别处改的'"));
    auto *address = test::control<QLineEdit>(window, "edAddress");
    address->insert("二楼");
    test::control<QPushButton>(window, "btnSave")->click();
    // Not written over: told, read again, the window stays.
    QCOMPARE(f.prompter.lastText(), QStringLiteral("该记录已被其他用户修改，已重新读取。"));
    QCOMPARE(f.childCount(), 1);
    QCOMPARE(test::control<QLineEdit>(window, "edName")->text(), QStringLiteral("别处改的"));
    QCOMPARE(other.scalar("SELECT Name FROM UserInfo").toString(), QStringLiteral("别处改的"));
    QVERIFY(other.scalar("SELECT Address FROM UserInfo").toString().isEmpty());
}

void TestSettingsWindows::formatConfirmedIsStoredAndKept()
{
    test::TempAccountSet set;
    test::fillMasters(set.path());
    {
        test::AppFixture f;
        QVERIFY(f.start(set.path()));
        TfrmSetDisplayFormat *window = openFormatWindow(f);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("设置数据显示格式"));
        QVERIFY(!window->isModal());
        QCOMPARE(window->ui.digits->checkedId(), -1);
        test::control<QAbstractButton>(window, "rbDigits2")->click();
        window->ui.btConfirm->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(storedFormat(f), QStringLiteral("0.00;'-'0.00;#.##"));
        QCOMPARE(window->ui.edResult->text(), QStringLiteral("0.00;'-'0.00;#.##"));
        checkGoodsViews(f, "0.00;'-'0.00;#.##");
        QVERIFY(f.base().Goods->locate("GoodID", 101));
        QCOMPARE(f.base().Goods->fieldByName("CostPrice").formatValue(0.75), QStringLiteral("0.75"));
        QCOMPARE(f.base().Goods->fieldByName("CostPrice").formatValue(0.0), QString());
        QCOMPARE(f.base().Goods->fieldByName("PrevOnHand").formatValue(-5.0), QStringLiteral("-5.00"));
        QCOMPARE(f.base().Goods->fieldByName("GoodID").formatValue(101), QStringLiteral("101"));

        // Reopening the set keeps the format in force; the window keeps its choices.
        f.open(set.path());
        QTRY_VERIFY(f.shell().AccSetOpen);
        checkGoodsViews(f, "0.00;'-'0.00;#.##");
        window = openFormatWindow(f);
        QVERIFY(window);
        QCOMPARE(window->ui.digits->checkedId(), 2);
        window->ui.btCancel->click();
    }
    // The next start of the program applies the stored format.
    test::AppFixture again;
    QVERIFY(again.start(set.path()));
    QCOMPARE(again.shell().DataFormatText, QStringLiteral("0.00;'-'0.00;#.##"));
    checkGoodsViews(again, "0.00;'-'0.00;#.##");
}

void TestSettingsWindows::formatAppliedThenCancelledIsNotStored()
{
    test::TempAccountSet set;
    test::fillMasters(set.path());
    {
        test::AppFixture f;
        QVERIFY(f.start(set.path()));
        TfrmSetDisplayFormat *window = openFormatWindow(f);
        QVERIFY(window);
        test::control<QAbstractButton>(window, "rbDigits1")->click();
        window->ui.lePositive->insert("正");
        window->ui.leNegative->insert("负");
        window->ui.btApply->click();
        const QString format = QStringLiteral("'正'0.0;'负'0.0;#.#");
        QCOMPARE(window->ui.edResult->text(), format);
        QCOMPARE(f.shell().DataFormatText, format);
        checkGoodsViews(f, format);
        const Field &price = f.base().lkGoods->fieldByName("SellPrice");
        QCOMPARE(price.formatValue(12.34), QStringLiteral("正12.3"));
        QCOMPARE(price.formatValue(-5.0), QStringLiteral("负5.0"));
        QCOMPARE(price.formatValue(0.0), QString());
        window->ui.btCancel->click();
        QVERIFY(!window->isVisible());
        QVERIFY(storedFormat(f).isEmpty());
    }
    test::AppFixture again;
    QVERIFY(again.start(set.path()));
    QVERIFY(again.shell().DataFormatText.isEmpty());
    QVERIFY(again.base().Goods->fieldByName("CostPrice").displayFormat() != QStringLiteral("'正'0.0;'负'0.0;#.#"));
}

void TestSettingsWindows::formatNeedsDecimals()
{
    test::TempAccountSet set;
    test::AppFixture f;
    QVERIFY(f.start(set.path()));
    const QString before = f.base().Goods->fieldByName("CostPrice").displayFormat();
    TfrmSetDisplayFormat *window = openFormatWindow(f);
    QVERIFY(window);
    window->ui.btConfirm->click();
    QCOMPARE(f.prompter.texts(), QStringList{"请先指定小数位数。"});
    QVERIFY(window->isVisible());
    QCOMPARE(f.base().Goods->fieldByName("CostPrice").displayFormat(), before);
    QVERIFY(storedFormat(f).isEmpty());
    window->ui.btCancel->click();
}

QTEST_MAIN(TestSettingsWindows)
#include "test_settingswindows.moc"
