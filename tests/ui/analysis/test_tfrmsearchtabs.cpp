// The bill search window as the user meets it: criteria typed or picked, names looked up on
// Enter, "查找" narrowing the three bill lists, "清空条件", and closing with its question.
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/format/datetext.h"
#include "support/appfixture.h"
#include "support/books.h"
#include "support/gridrows.h"
#include "ui/analysis/tfrmsearchtabs.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/masterdata/tfrmpickdate.h"
#include "ui/masterdata/tfrmpickvendor.h"
#include "ui/shell/tfrmmain.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace hemu;

class TestTfrmSearchTabs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void namesOnEnter_data();
    void namesOnEnter();
    void searchesAndClears();
    void switchMenuPicksVendorOrCustomer_data();
    void switchMenuPicksVendorOrCustomer();
    void closingReleasesTheSearch();
    void searchForFromAnotherWindow();

private:
    TfrmSearchTabs *open();
    /// "RK:1 DB:1,2 CK:1": the TabIDs the three bill lists of the program show.
    QString shown();
    void enter(QLineEdit *field, const QString &text);
    std::unique_ptr<test::Books> m_books;
    std::unique_ptr<test::AppFixture> m_app;
};

void TestTfrmSearchTabs::init()
{
    m_books = std::make_unique<test::Books>();
    test::Books &b = *m_books;
    b.bill(BillKind::StockIn, 2, {{1, 10, 2}}, "2026-03-02");
    b.bill(BillKind::Delivery, 2, {{1, 1, 3}, {2, 1, 3}}, "2026-03-02");
    const int db2 = b.bill(BillKind::Delivery, 3, {{1, 1, 3}}, "2026-03-03");
    b.bill(BillKind::Delivery, 2, {}, "2026-03-03"); // no line: never found
    b.bill(BillKind::Receipt, 2, {{1, 1, 3}}, "2026-03-04");
    QVERIFY(b.db().exec("INSERT INTO Employees(EmpID, Employee) VALUES (21, '王会计')"));
    QVERIFY(b.db().exec("UPDATE DiaoBoDan SET PersonID = 21 WHERE TabID = ?", {db2}));
    m_app = std::make_unique<test::AppFixture>();
    QVERIFY(m_app->start(m_books->set.path()));
}

void TestTfrmSearchTabs::cleanup()
{
    m_app.reset();
    m_books.reset();
}

TfrmSearchTabs *TestTfrmSearchTabs::open()
{
    m_app->openWindow("frmSearchTabs");
    auto *window = test::control<TfrmSearchTabs>(&m_app->main(), "frmSearchTabs");
    if (!window->isVisible())
        qFatal("the search window did not show");
    return window;
}

QString TestTfrmSearchTabs::shown()
{
    TabData &tab = m_app->tab();
    QStringList parts;
    const QStringList names = {"RK:", "DB:", "CK:"};
    const QList<Dataset *> headers = {tab.RuKu, tab.DiaoBo, tab.ChuKu};
    for (int k = 0; k < 3; ++k) {
        QStringList ids;
        for (const QVariant &id : test::columnOf(*headers[k], "TabID"))
            ids << id.toString();
        parts << names[k] + ids.join(',');
    }
    return parts.join(' ');
}

void TestTfrmSearchTabs::enter(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

void TestTfrmSearchTabs::namesOnEnter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("nameField");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("warning");
    QTest::newRow("goods") << "EdGood" << "Edit1" << "2" << "货品2" << "";
    QTest::newRow("unknown goods") << "EdGood" << "Edit1" << "77" << "旧名" << "商品代码不存在。";
    QTest::newRow("customer") << "EdCust" << "Edit2" << "3" << "客户3" << "";
    QTest::newRow("unknown customer") << "EdCust" << "Edit2" << "9" << "旧名" << "客户代码不存在。";
    QTest::newRow("person") << "EdEmp" << "Edit3" << "21" << "王会计" << "";
    QTest::newRow("unknown person") << "EdEmp" << "Edit3" << "22" << "旧名" << "代码不存在。";
    // Enter on a blank code: no code, no name, nothing to warn about.
    QTest::newRow("blank") << "EdGood" << "Edit1" << "" << "" << "";
}

void TestTfrmSearchTabs::namesOnEnter()
{
    QFETCH(QString, field);
    QFETCH(QString, nameField);
    QFETCH(QString, code);
    QFETCH(QString, warning);
    TfrmSearchTabs *w = open();
    auto *name = test::control<QLineEdit>(w, nameField);
    name->setText("旧名");
    m_app->prompter.clear();
    enter(test::control<QLineEdit>(w, field), code);
    QTEST(name->text(), "name");
    QCOMPARE(m_app->prompter.texts(), warning.isEmpty() ? QStringList() : QStringList{warning});
}

void TestTfrmSearchTabs::searchesAndClears()
{
    TfrmSearchTabs *w = open();
    QCOMPARE(w->windowTitle(), QStringLiteral("检索单据"));
    QCOMPARE(shown(), QStringLiteral("RK:1 DB:1,2,3 CK:1"));
    enter(w->ui.EdGood, "1");
    enter(w->ui.EdCust, "2");
    test::control<QPushButton>(w, "SpeedButton5")->click();
    // The customer's number also finds the stock-in bill of the vendor with that number.
    QCOMPARE(shown(), QStringLiteral("RK:1 DB:1 CK:1"));
    // The bills found are kept in memory: nothing is written to the file.
    QCOMPARE(m_books->db().scalar("SELECT count(*) FROM DiaoBoDan WHERE ForQuery <> 0").toInt(), 0);

    // A day picked in the date picker, in the short format, with the person.
    test::whenModal<TfrmPickDate>([](TfrmPickDate *picker) {
        test::control<QCalendarWidget>(picker, "Calendar1")->setSelectedDate(QDate(2026, 3, 3));
        test::control<QPushButton>(picker, "OkBtn")->click();
    });
    test::control<QPushButton>(w, "Button2")->click();
    for (QLineEdit *e : {w->ui.EdDate, w->ui.EdGood, w->ui.EdCust, w->ui.EdEmp, w->ui.Edit1, w->ui.Edit2, w->ui.Edit3})
        QVERIFY(e->text().trimmed().isEmpty());
    test::control<QPushButton>(w, "SpeedButton1")->click();
    QCOMPARE(w->ui.EdDate->text(), shortDateText(QDate(2026, 3, 3)));
    enter(w->ui.EdEmp, "21");
    test::control<QPushButton>(w, "SpeedButton5")->click();
    QCOMPARE(shown(), QStringLiteral("RK: DB:2 CK:"));

    // Nothing given: every bill shows again.
    test::control<QPushButton>(w, "Button2")->click();
    test::control<QPushButton>(w, "SpeedButton5")->click();
    QCOMPARE(shown(), QStringLiteral("RK:1 DB:1,2,3 CK:1"));
    QVERIFY(m_app->prompter.texts().isEmpty());

    // A date that is none refuses the search and leaves the lists as they are.
    w->ui.EdDate->setText("2026-02-30");
    test::control<QPushButton>(w, "SpeedButton5")->click();
    QCOMPARE(m_app->prompter.texts(), QStringList{"异常：日期错."});
    QCOMPARE(shown(), QStringLiteral("RK:1 DB:1,2,3 CK:1"));
}

void TestTfrmSearchTabs::switchMenuPicksVendorOrCustomer_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");
    QTest::newRow("供货方") << "N1" << "供货方4";
    QTest::newRow("客  户") << "N2" << "客户4";
}

void TestTfrmSearchTabs::switchMenuPicksVendorOrCustomer()
{
    QFETCH(QString, action);
    QFETCH(QString, name);
    TfrmSearchTabs *w = open();
    QCOMPARE(w->ui.N1->text(), QStringLiteral("供货方"));
    QCOMPARE(w->ui.N2->text(), QStringLiteral("客  户"));
    test::whenModal<PickerDialog>([name](PickerDialog *picker) {
        DataGrid *list = test::control<DataGrid>(picker, "DBGrid1");
        Dataset &rows = *list->dataset();
        for (int row = 0; row < rows.rowCount(); ++row) {
            for (int f = 0; f < rows.fields().size(); ++f) {
                if (rows.value(row, f).toString() == name) {
                    test::doubleClickRow(list, row);
                    return;
                }
            }
        }
        picker->reject();
    });
    test::control<QAction>(w, action)->trigger();
    QCOMPARE(w->ui.EdCust->text().trimmed(), QStringLiteral("4"));
    QCOMPARE(w->ui.Edit2->text(), name);
}

void TestTfrmSearchTabs::closingReleasesTheSearch()
{
    TfrmSearchTabs *w = open();
    enter(w->ui.EdGood, "2");
    test::control<QPushButton>(w, "SpeedButton5")->click();
    QCOMPARE(shown(), QStringLiteral("RK: DB:1 CK:"));

    m_app->prompter.clear();
    m_app->prompter.queueAnswer(false);
    QVERIFY(!w->close());
    QCOMPARE(m_app->prompter.texts(), QStringList{"检索被释放，确定吗？"});
    QVERIFY(w->isVisible());
    QCOMPARE(shown(), QStringLiteral("RK: DB:1 CK:"));

    m_app->prompter.queueAnswer(true);
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QCOMPARE(shown(), QStringLiteral("RK:1 DB:1,2,3 CK:1"));
    // The criteria wait for the next showing.
    QCOMPARE(open()->ui.EdGood->text().trimmed(), QStringLiteral("2"));
    QCOMPARE(w->ui.Edit1->text(), QStringLiteral("货品2"));
}

void TestTfrmSearchTabs::searchForFromAnotherWindow()
{
    TfrmSearchTabs *w = m_app->app->context().searchTabs;
    QVERIFY(w);
    w->ui.EdEmp->setText("21");
    QVERIFY(w->searchFor({QString(), "1", "3", QString()}));
    QCOMPARE(shown(), QStringLiteral("RK: DB:2 CK:"));
    // The criteria replace everything the fields held, the names looked up with them.
    QVERIFY(w->ui.EdEmp->text().trimmed().isEmpty());
    QCOMPARE(w->ui.Edit1->text(), QStringLiteral("货品1"));
    QCOMPARE(w->ui.Edit2->text(), QStringLiteral("客户3"));
    QVERIFY(!w->isVisible());
    QVERIFY(m_app->prompter.texts().isEmpty());
}

QTEST_MAIN(TestTfrmSearchTabs)
#include "test_tfrmsearchtabs.moc"
