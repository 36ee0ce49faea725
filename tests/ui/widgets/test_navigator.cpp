// The navigator bar: its ten buttons, which of them show and which are enabled, and the
// dataset actions they start.
#include "support/goodsbooks.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/promptchannel.h"
#include "ui/widgets/navigator.h"

#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace hemu;

Q_DECLARE_METATYPE(hemu::Navigator::Button)

class TestNavigator : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void buttons_data();
    void buttons();
    void visibleButtons();
    void enabledByState();
    void movesDriveCursor();
    void editPostCancel();
    void insertAndDelete();
    void deleteAsksOnlyThroughRule();
    void failedActionIsTold();
    void refreshKeepsRow();
    void postTakesTypedText();

private:
    QToolButton *button(Navigator::Button which) { return m_nav->findChild<QToolButton *>(Navigator::objectNameOf(which)); }
    QList<Navigator::Button> enabled();

    std::unique_ptr<test::GoodsBooks> m_books;
    std::unique_ptr<Navigator> m_nav;
};

void TestNavigator::init()
{
    m_books = std::make_unique<test::GoodsBooks>();
    m_books->open();
    m_nav = std::make_unique<Navigator>();
    PromptChannel::attach(m_nav->window(), &m_books->prompter);
    m_nav->setDataset(m_books->goods.get());
    m_nav->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_nav.get()));
}

void TestNavigator::cleanup()
{
    m_nav.reset();
    m_books.reset();
}

QList<Navigator::Button> TestNavigator::enabled()
{
    QList<Navigator::Button> list;
    for (int bit = 0; bit < 10; ++bit) {
        const auto which = Navigator::Button(1 << bit);
        if (button(which)->isEnabled())
            list.append(which);
    }
    return list;
}

void TestNavigator::buttons_data()
{
    QTest::addColumn<Navigator::Button>("which");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("hint");
    QTest::newRow("first") << Navigator::First << "nbFirst" << "到头";
    QTest::newRow("prior") << Navigator::Prior << "nbPrior" << "前移";
    QTest::newRow("next") << Navigator::Next << "nbNext" << "后移";
    QTest::newRow("last") << Navigator::Last << "nbLast" << "到尾";
    QTest::newRow("insert") << Navigator::Insert << "nbInsert" << "添加";
    QTest::newRow("delete") << Navigator::Delete << "nbDelete" << "删除";
    QTest::newRow("edit") << Navigator::Edit << "nbEdit" << "修改";
    QTest::newRow("post") << Navigator::Post << "nbPost" << "保存";
    QTest::newRow("cancel") << Navigator::Cancel << "nbCancel" << "取消";
    QTest::newRow("refresh") << Navigator::Refresh << "nbRefresh" << "刷新";
}

void TestNavigator::buttons()
{
    QFETCH(Navigator::Button, which);
    QFETCH(QString, objectName);
    QFETCH(QString, hint);
    QToolButton *b = m_nav->button(which);
    QVERIFY(b);
    QCOMPARE(b->objectName(), objectName);
    QCOMPARE(b->toolTip(), hint);
    QCOMPARE(Navigator::hint(which), hint);
    QVERIFY(!b->icon().isNull());
}

void TestNavigator::visibleButtons()
{
    // The unit editor's bar: moves, insert, delete, edit and refresh.
    m_nav->setVisibleButtons(Navigator::MoveButtons | Navigator::Insert | Navigator::Delete | Navigator::Edit
                             | Navigator::Refresh);
    QVERIFY(button(Navigator::First)->isVisible());
    QVERIFY(button(Navigator::Refresh)->isVisible());
    QVERIFY(!button(Navigator::Post)->isVisible());
    QVERIFY(!button(Navigator::Cancel)->isVisible());
    m_nav->setVisibleButtons(Navigator::AllButtons);
    QVERIFY(button(Navigator::Post)->isVisible());
}

void TestNavigator::enabledByState()
{
    using B = Navigator::Button;
    Dataset &goods = *m_books->goods;
    QCOMPARE(enabled(), (QList<B>{B::Next, B::Last, B::Insert, B::Delete, B::Edit, B::Refresh}));
    goods.next();
    QCOMPARE(enabled(), (QList<B>{B::First, B::Prior, B::Next, B::Last, B::Insert, B::Delete, B::Edit, B::Refresh}));
    goods.last();
    QCOMPARE(enabled(), (QList<B>{B::First, B::Prior, B::Insert, B::Delete, B::Edit, B::Refresh}));
    QVERIFY(goods.edit().ok());
    QCOMPARE(enabled(), (QList<B>{B::First, B::Prior, B::Insert, B::Delete, B::Post, B::Cancel}));
    QVERIFY(goods.cancel().ok());

    // Nothing to change in a view without rows.
    QVERIFY(goods.setFilter(QStringLiteral("CataID=9")).ok());
    QVERIFY(goods.setFiltered(true).ok());
    QCOMPARE(enabled(), (QList<B>{B::Insert, B::Refresh}));
    QVERIFY(goods.setFiltered(false).ok());

    goods.close();
    QCOMPARE(enabled(), QList<B>{});
    goods.setReadOnly(true);
    QVERIFY(goods.open().ok());
    QCOMPARE(enabled(), (QList<B>{B::Next, B::Last, B::Refresh}));
}

void TestNavigator::movesDriveCursor()
{
    Dataset &goods = *m_books->goods;
    QSignalSpy done(m_nav.get(), &Navigator::actionDone);
    QTest::mouseClick(button(Navigator::Last), Qt::LeftButton);
    QCOMPARE(goods.currentRow(), 4);
    QTest::mouseClick(button(Navigator::Prior), Qt::LeftButton);
    QCOMPARE(goods.currentRow(), 3);
    QTest::mouseClick(button(Navigator::First), Qt::LeftButton);
    QCOMPARE(goods.currentRow(), 0);
    QTest::mouseClick(button(Navigator::Next), Qt::LeftButton);
    QCOMPARE(goods.currentRow(), 1);
    QCOMPARE(done.count(), 4);
    QVERIFY(done.last().at(1).toBool());

    // A window may take an action over.
    m_nav->beforeAction = [](Navigator::Button which) { return which != Navigator::Next; };
    QTest::mouseClick(button(Navigator::Next), Qt::LeftButton);
    QCOMPARE(goods.currentRow(), 1);
}

void TestNavigator::editPostCancel()
{
    Dataset &goods = *m_books->goods;
    QTest::mouseClick(button(Navigator::Edit), Qt::LeftButton);
    QCOMPARE(goods.state(), Dataset::State::Edit);
    QVERIFY(goods.setValue(QStringLiteral("SellPrice"), 1.75).ok());
    QTest::mouseClick(button(Navigator::Post), Qt::LeftButton);
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(m_books->stored(QStringLiteral("SellPrice"), 1).toDouble(), 1.75);

    QTest::mouseClick(button(Navigator::Edit), Qt::LeftButton);
    QVERIFY(goods.setValue(QStringLiteral("SellPrice"), 9).ok());
    QTest::mouseClick(button(Navigator::Cancel), Qt::LeftButton);
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(goods.value(QStringLiteral("SellPrice")).toDouble(), 1.75);
    QCOMPARE(m_books->stored(QStringLiteral("SellPrice"), 1).toDouble(), 1.75);
}

void TestNavigator::insertAndDelete()
{
    Dataset &goods = *m_books->goods;
    QVERIFY(goods.setCurrentRow(2));
    QTest::mouseClick(button(Navigator::Insert), Qt::LeftButton);
    QCOMPARE(goods.state(), Dataset::State::Insert);
    QCOMPARE(goods.currentRow(), 2);
    QVERIFY(goods.setValue(QStringLiteral("Description"), QStringLiteral("毛巾")).ok());
    QTest::mouseClick(button(Navigator::Post), Qt::LeftButton);
    QCOMPARE(m_books->db.scalar("SELECT COUNT(*) FROM Goods").toInt(), 6);

    QTest::mouseClick(button(Navigator::Delete), Qt::LeftButton);
    QCOMPARE(goods.rowCount(), 5);
    QCOMPARE(m_books->db.scalar("SELECT COUNT(*) FROM Goods WHERE Description = '毛巾'").toInt(), 0);
    QVERIFY(m_books->prompter.entries().isEmpty());
}

void TestNavigator::deleteAsksOnlyThroughRule()
{
    Dataset &goods = *m_books->goods;
    test::GoodsBooks &books = *m_books;
    goods.hooks().beforeDelete = [&books](Dataset &) { return books.prompter.question(QStringLiteral("确实要删除吗？")); };

    books.prompter.queueAnswer(false);
    QTest::mouseClick(button(Navigator::Delete), Qt::LeftButton);
    QCOMPARE(books.prompter.texts(), QStringList{QStringLiteral("确实要删除吗？")});
    QCOMPARE(goods.rowCount(), 5);

    books.prompter.clear();
    books.prompter.queueAnswer(true);
    QTest::mouseClick(button(Navigator::Delete), Qt::LeftButton);
    QCOMPARE(books.prompter.texts(), QStringList{QStringLiteral("确实要删除吗？")});
    QCOMPARE(goods.rowCount(), 4);
    QCOMPARE(books.stored(QStringLiteral("COUNT(*)"), 1).toInt(), 0);
}

void TestNavigator::failedActionIsTold()
{
    Dataset &goods = *m_books->goods;
    QSignalSpy done(m_nav.get(), &Navigator::actionDone);
    goods.fieldByName(QStringLiteral("Description")).setRequired(true);
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue(QStringLiteral("Description"), QString()).ok());
    QTest::mouseClick(button(Navigator::Post), Qt::LeftButton);
    QCOMPARE(m_books->prompter.texts(), QStringList{QStringLiteral("字段“品名型号”必须有值。")});
    QCOMPARE(m_books->prompter.entries().first().kind, Prompter::Kind::Warning);
    QCOMPARE(goods.state(), Dataset::State::Edit);
    QVERIFY(!done.last().at(1).toBool());

    // A move that has to post the row first fails the same way and stays.
    m_books->prompter.clear();
    QTest::mouseClick(button(Navigator::Next), Qt::LeftButton);
    QCOMPARE(m_books->prompter.texts(), QStringList{QStringLiteral("字段“品名型号”必须有值。")});
    QCOMPARE(goods.currentRow(), 0);
}

void TestNavigator::refreshKeepsRow()
{
    Dataset &goods = *m_books->goods;
    QVERIFY(goods.setCurrentRow(3));
    m_books->exec("UPDATE Goods SET Description = '百事可乐' WHERE GoodID = 4");
    QTest::mouseClick(button(Navigator::Refresh), Qt::LeftButton);
    QCOMPARE(goods.currentRow(), 3);
    QCOMPARE(goods.value(QStringLiteral("Description")).toString(), QStringLiteral("百事可乐"));
}

void TestNavigator::postTakesTypedText()
{
    // The buttons take no focus: text typed in a bound box that still has the focus is
    // handed over before the post.
    auto *edit = new QLineEdit(m_nav.get());
    new LineEditBinder(edit, m_books->goods.get(), QStringLiteral("Description"));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("soda"));
    QCOMPARE(button(Navigator::Post)->focusPolicy(), Qt::NoFocus);
    QTest::mouseClick(button(Navigator::Post), Qt::LeftButton);
    QCOMPARE(m_books->stored(QStringLiteral("Description"), 1).toString(), QStringLiteral("soda"));

    // Cancel drops the typing.
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("cola"));
    QTest::mouseClick(button(Navigator::Cancel), Qt::LeftButton);
    QCOMPARE(m_books->goods->state(), Dataset::State::Browse);
    QCOMPARE(edit->text(), QStringLiteral("soda"));
    QCOMPARE(m_books->stored(QStringLiteral("Description"), 1).toString(), QStringLiteral("soda"));
}

QTEST_MAIN(TestNavigator)
#include "test_navigator.moc"
