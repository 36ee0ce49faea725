// Field binders: each widget shows the current row's value, follows the cursor and the
// dataset's state, and writes what the user changes through the dataset.
#include "support/goodsbooks.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/promptchannel.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace hemu;

class TestFieldBinders : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void lineEditFollowsRow();
    void lineEditShowsPatternUntilFocused();
    void lineEditWritesOnEnter();
    void lineEditBadNumberIsTold();
    void lineEditEscTakesTypingBack();
    void readOnly_data();
    void readOnly();
    void commitPendingHandsTypingOver();
    void checkBox();
    void lookupCombo();
    void lookupComboFollowsLookupDataset();
    void keyFieldCombo();
    void dateEdit();
    void imageLabel();
    void enterAndAltInsertSwitches_data();
    void enterAndAltInsertSwitches();
    void choiceCombo();
    void labelShowsDisplayText();
    void lookupComboOverManyRows();

private:
    static QByteArray pngBytes(const QColor &colour, QSize size = QSize(40, 30));

    std::unique_ptr<test::GoodsBooks> m_books;
    std::unique_ptr<QWidget> m_form;
    Dataset &goods() { return *m_books->goods; }
    template<typename W, typename B>
    B *bind(const QString &field)
    {
        auto *widget = new W(m_form.get());
        auto *binder = new B(widget, m_books->goods.get(), field);
        return binder;
    }
};

void TestFieldBinders::init()
{
    m_books = std::make_unique<test::GoodsBooks>();
    m_books->open();
    m_form = std::make_unique<QWidget>();
    // The binders find the form's prompter themselves.
    PromptChannel::attach(m_form.get(), &m_books->prompter);
}

void TestFieldBinders::cleanup()
{
    m_form.reset();
    m_books.reset();
}

QByteArray TestFieldBinders::pngBytes(const QColor &colour, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void TestFieldBinders::lineEditFollowsRow()
{
    auto *binder = bind<QLineEdit, LineEditBinder>(QStringLiteral("Description"));
    auto *edit = static_cast<QLineEdit *>(binder->widget());
    QCOMPARE(edit->text(), QStringLiteral("矿泉水"));
    goods().next();
    QCOMPARE(edit->text(), QStringLiteral("饼干"));
    // Changes made elsewhere (by a rule, another window) show at once.
    QVERIFY(goods().edit().ok());
    QVERIFY(goods().setValue(QStringLiteral("Description"), QStringLiteral("曲奇")).ok());
    QCOMPARE(edit->text(), QStringLiteral("曲奇"));
    QVERIFY(goods().cancel().ok());
    QCOMPARE(edit->text(), QStringLiteral("饼干"));
    QVERIFY(goods().append().ok());
    QCOMPARE(edit->text(), QString());
    QVERIFY(!edit->isReadOnly());
    QVERIFY(goods().cancel().ok());
    goods().close();
    QCOMPARE(edit->text(), QString());
    QVERIFY(edit->isReadOnly());
}

void TestFieldBinders::lineEditShowsPatternUntilFocused()
{
    auto *binder = bind<QLineEdit, LineEditBinder>(QStringLiteral("SellPrice"));
    auto *edit = static_cast<QLineEdit *>(binder->widget());
    auto *other = new QLineEdit(m_form.get());
    other->move(0, 40);
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    other->setFocus();
    QVERIFY(goods().setCurrentRow(2));
    QTRY_COMPARE(edit->text(), QStringLiteral("8.0"));
    QVERIFY(goods().edit().ok());
    QVERIFY(goods().setValue(QStringLiteral("SellPrice"), 8.125).ok());
    QCOMPARE(edit->text(), QStringLiteral("8.13"));
    // Typing starts from every digit, not from the rounded display.
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTRY_COMPARE(edit->text(), QStringLiteral("8.125"));
    other->setFocus();
    QTRY_COMPARE(edit->text(), QStringLiteral("8.13"));
}

void TestFieldBinders::lineEditWritesOnEnter()
{
    auto *binder = bind<QLineEdit, LineEditBinder>(QStringLiteral("HandInc"));
    auto *edit = static_cast<QLineEdit *>(binder->widget());
    QVERIFY(goods().setCurrentRow(1));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("-12.5"));
    // The first key started the edit; the value is assigned when the typing ends.
    QCOMPARE(goods().state(), Dataset::State::Edit);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(goods().state(), Dataset::State::Browse);
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 2).toDouble(), -12.5);
    QCOMPARE(edit->text(), QStringLiteral("-12.5"));
    QVERIFY(m_books->prompter.entries().isEmpty());

    // An emptied box empties the field.
    auto *name = bind<QLineEdit, LineEditBinder>(QStringLiteral("Description"));
    auto *nameEdit = static_cast<QLineEdit *>(name->widget());
    QCOMPARE(nameEdit->text(), QStringLiteral("饼干"));
    nameEdit->selectAll();
    QTest::keyClick(nameEdit, Qt::Key_Delete);
    QTest::keyClick(nameEdit, Qt::Key_Return);
    QVERIFY(m_books->stored(QStringLiteral("Description"), 2).isNull());
    QVERIFY(m_books->prompter.entries().isEmpty());
}

void TestFieldBinders::lineEditBadNumberIsTold()
{
    auto *binder = bind<QLineEdit, LineEditBinder>(QStringLiteral("HandInc"));
    auto *edit = static_cast<QLineEdit *>(binder->widget());
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("abc"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(m_books->prompter.entries().size(), 1);
    QCOMPARE(m_books->prompter.entries().first().kind, Prompter::Kind::Warning);
    QVERIFY(m_books->prompter.lastText().contains(QStringLiteral("abc")));
    // The box shows the value the row still holds; nothing was written.
    QCOMPARE(edit->text(), QStringLiteral("100"));
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 1).toInt(), 100);
}

void TestFieldBinders::lineEditEscTakesTypingBack()
{
    auto *binder = bind<QLineEdit, LineEditBinder>(QStringLiteral("Description"));
    auto *edit = static_cast<QLineEdit *>(binder->widget());
    QTest::keyClicks(edit, QStringLiteral("xyz"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QStringLiteral("矿泉水"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(m_books->stored(QStringLiteral("Description"), 1).toString(), QStringLiteral("矿泉水"));
}

void TestFieldBinders::readOnly_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("cause");
    QTest::newRow("lookup field") << "lkCata" << "";
    QTest::newRow("read-only field") << "GoodID" << "field";
    QTest::newRow("read-only dataset") << "Description" << "dataset";
    QTest::newRow("binder told so") << "Description" << "binder";
    QTest::newRow("no row") << "Description" << "empty";
}

void TestFieldBinders::readOnly()
{
    QFETCH(QString, field);
    QFETCH(QString, cause);
    if (cause == "field")
        goods().fieldByName(field).setReadOnly(true);
    if (cause == "dataset") {
        goods().close();
        goods().setReadOnly(true);
        QVERIFY(goods().open().ok());
    }
    if (cause == "empty") {
        QVERIFY(goods().setFilter(QStringLiteral("CataID=9")).ok());
        QVERIFY(goods().setFiltered(true).ok());
    }
    auto *binder = bind<QLineEdit, LineEditBinder>(field);
    if (cause == "binder")
        binder->setReadOnly(true);
    auto *edit = static_cast<QLineEdit *>(binder->widget());
    QVERIFY(edit->isReadOnly());
    QVERIFY(!binder->canModify());
    QTest::keyClicks(edit, QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(goods().state() != Dataset::State::Edit && goods().state() != Dataset::State::Insert);
}

void TestFieldBinders::commitPendingHandsTypingOver()
{
    auto *binder = bind<QLineEdit, LineEditBinder>(QStringLiteral("Description"));
    auto *edit = static_cast<QLineEdit *>(binder->widget());
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("soda"));
    QCOMPARE(goods().value(QStringLiteral("Description")).toString(), QStringLiteral("矿泉水"));
    FieldBinder::commitPending(&goods());
    QCOMPARE(goods().value(QStringLiteral("Description")).toString(), QStringLiteral("soda"));
    QVERIFY(goods().post().ok());
    QCOMPARE(m_books->stored(QStringLiteral("Description"), 1).toString(), QStringLiteral("soda"));
}

void TestFieldBinders::checkBox()
{
    auto *binder = bind<QCheckBox, CheckBoxBinder>(QStringLiteral("InUse"));
    auto *box = static_cast<QCheckBox *>(binder->widget());
    QVERIFY(!box->isChecked());
    QVERIFY(goods().setCurrentRow(2));
    QVERIFY(box->isChecked());
    QVERIFY(box->isEnabled());
    box->click();
    QCOMPARE(goods().state(), Dataset::State::Edit);
    QCOMPARE(goods().value(QStringLiteral("InUse")).toInt(), 0);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(goods().state(), Dataset::State::Browse);
    QCOMPARE(m_books->stored(QStringLiteral("InUse"), 3).toInt(), 0);
    goods().close();
    QVERIFY(!box->isEnabled());
}

void TestFieldBinders::lookupCombo()
{
    auto *binder = bind<QComboBox, LookupComboBinder>(QStringLiteral("lkCata"));
    auto *combo = static_cast<QComboBox *>(binder->widget());
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(0), QStringLiteral("饮料"));
    QCOMPARE(combo->currentText(), QStringLiteral("饮料"));
    QVERIFY(combo->isEnabled());
    goods().next();
    QCOMPARE(combo->currentText(), QStringLiteral("食品"));

    // Choosing a name stores its key.
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QCOMPARE(goods().state(), Dataset::State::Edit);
    QCOMPARE(goods().value(QStringLiteral("CataID")).toInt(), 3);
    QCOMPARE(goods().value(QStringLiteral("lkCata")).toString(), QStringLiteral("日用"));
    QVERIFY(goods().post().ok());
    QCOMPARE(m_books->stored(QStringLiteral("CataID"), 2).toInt(), 3);

    // A key with no category shows nothing chosen.
    QVERIFY(goods().edit().ok());
    QVERIFY(goods().setValue(QStringLiteral("CataID"), 42).ok());
    QCOMPARE(combo->currentIndex(), -1);
    QVERIFY(goods().cancel().ok());
    QCOMPARE(combo->currentText(), QStringLiteral("日用"));

    // The key field read-only: nothing to choose.
    goods().fieldByName(QStringLiteral("CataID")).setReadOnly(true);
    binder->refresh();
    QVERIFY(!combo->isEnabled());
}

void TestFieldBinders::lookupComboFollowsLookupDataset()
{
    auto *binder = bind<QComboBox, LookupComboBinder>(QStringLiteral("lkCata"));
    auto *combo = static_cast<QComboBox *>(binder->widget());
    Dataset &cata = *m_books->cata;
    QVERIFY(cata.append().ok());
    QVERIFY(cata.setValue(QStringLiteral("Catalog"), QStringLiteral("文具")).ok());
    // The pending category is not offered until it exists.
    QCOMPARE(combo->count(), 3);
    QVERIFY(cata.post().ok());
    QCOMPARE(combo->count(), 4);
    QCOMPARE(combo->itemText(3), QStringLiteral("文具"));
    QVERIFY(cata.setCurrentRow(0));
    QVERIFY(cata.edit().ok());
    QVERIFY(cata.setValue(QStringLiteral("Catalog"), QStringLiteral("饮品")).ok());
    QVERIFY(cata.post().ok());
    QCOMPARE(combo->currentText(), QStringLiteral("饮品"));
}

void TestFieldBinders::keyFieldCombo()
{
    auto *combo = new QComboBox(m_form.get());
    auto *binder = new LookupComboBinder(combo, m_books->goods.get(), QStringLiteral("CataID"), m_books->cata.get(),
                                         QStringLiteral("CataID"), QStringLiteral("Catalog"));
    QCOMPARE(binder->fieldName(), QStringLiteral("CataID"));
    QVERIFY(goods().setCurrentRow(2));
    QCOMPARE(combo->currentText(), QStringLiteral("日用"));
    emit combo->activated(1);
    QCOMPARE(goods().value(QStringLiteral("CataID")).toInt(), 2);
}

void TestFieldBinders::dateEdit()
{
    auto *binder = bind<QDateEdit, DateEditBinder>(QStringLiteral("EnterDate"));
    auto *edit = static_cast<QDateEdit *>(binder->widget());
    QCOMPARE(edit->date(), QDate(2026, 1, 5));
    QCOMPARE(edit->text(), QStringLiteral("2026-01-05"));
    goods().next();
    // No date: a blank box.
    QCOMPARE(edit->text().trimmed(), QString());
    edit->setDate(QDate(2026, 5, 9));
    QCOMPARE(goods().state(), Dataset::State::Edit);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(goods().state(), Dataset::State::Browse);
    QCOMPARE(m_books->stored(QStringLiteral("EnterDate"), 2).toString(), QStringLiteral("2026-05-09"));
    goods().prior();
    QCOMPARE(edit->date(), QDate(2026, 1, 5));
}

void TestFieldBinders::imageLabel()
{
    Dataset &cata = *m_books->cata;
    auto *label = new QLabel(m_form.get());
    label->resize(20, 20);
    auto *binder = new ImageBinder(label, &cata, QStringLiteral("Picture"));
    QVERIFY(binder->pixmap().isNull());

    const QByteArray red = pngBytes(Qt::red);
    QVERIFY(binder->setImageData(red));
    QCOMPARE(cata.state(), Dataset::State::Edit);
    QCOMPARE(binder->pixmap().size(), QSize(40, 30));
    // Shrunk to the label, keeping its proportions.
    QCOMPARE(label->pixmap().size(), QSize(20, 15));
    QVERIFY(cata.post().ok());
    QCOMPARE(m_books->db.scalar("SELECT Picture FROM Catalogs WHERE CataID = 1").toByteArray(), red);

    // A file that holds no picture is not stored.
    const QString notAnImage = m_books->set.file(QStringLiteral("notes.txt"));
    test::writeBytes(notAnImage, "not a picture");
    QVERIFY(!binder->loadFromFile(notAnImage));
    QVERIFY(!binder->loadFromFile(m_books->set.file(QStringLiteral("missing.png"))));
    QCOMPARE(cata.state(), Dataset::State::Browse);

    const QString blueFile = m_books->set.file(QStringLiteral("blue.png"));
    test::writeBytes(blueFile, pngBytes(Qt::blue, QSize(8, 8)));
    cata.next();
    QVERIFY(binder->pixmap().isNull());
    QVERIFY(binder->loadFromFile(blueFile));
    QCOMPARE(binder->pixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(label->pixmap().size(), QSize(8, 8));
    QVERIFY(cata.post().ok());
    cata.prior();
    QCOMPARE(binder->pixmap().toImage().pixelColor(0, 0), QColor(Qt::red));

    QVERIFY(binder->clearImage());
    QVERIFY(cata.post().ok());
    QVERIFY(m_books->db.scalar("SELECT Picture FROM Catalogs WHERE CataID = 1").isNull());
    QVERIFY(binder->pixmap().isNull());

    binder->setReadOnly(true);
    QVERIFY(!binder->setImageData(red));
    QCOMPARE(cata.state(), Dataset::State::Browse);
}

void TestFieldBinders::enterAndAltInsertSwitches_data()
{
    QTest::addColumn<bool>("postOnEnter");
    QTest::addColumn<bool>("insertOnAltInsert");
    QTest::newRow("both on (the default)") << true << true;
    QTest::newRow("Enter does not post") << false << true;
    QTest::newRow("Alt+Insert does not insert") << true << false;
}

void TestFieldBinders::enterAndAltInsertSwitches()
{
    QFETCH(bool, postOnEnter);
    QFETCH(bool, insertOnAltInsert);
    auto *binder = bind<QLineEdit, LineEditBinder>(QStringLiteral("HandInc"));
    QVERIFY(binder->postsOnEnter() && binder->insertsOnAltInsert());
    binder->setPostOnEnter(postOnEnter);
    binder->setInsertOnAltInsert(insertOnAltInsert);
    auto *edit = static_cast<QLineEdit *>(binder->widget());
    QVERIFY(goods().setCurrentRow(1));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("7"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(goods().state(), postOnEnter ? Dataset::State::Browse : Dataset::State::Edit);
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 2).toInt(), postOnEnter ? 7 : 20);
    QVERIFY(goods().cancel().ok());

    const int rows = goods().rowCount();
    QTest::keyClick(edit, Qt::Key_Insert, Qt::AltModifier);
    QCOMPARE(goods().state(), insertOnAltInsert ? Dataset::State::Insert : Dataset::State::Browse);
    QCOMPARE(goods().rowCount(), insertOnAltInsert ? rows + 1 : rows);
    QVERIFY(m_books->prompter.entries().isEmpty());
}

void TestFieldBinders::choiceCombo()
{
    // Stored numbers offered as words.
    auto *combo = new QComboBox(m_form.get());
    auto *binder = new ChoiceComboBinder(combo, m_books->goods.get(), QStringLiteral("HandInc"),
                                         {{100, QStringLiteral("充足")}, {20, QStringLiteral("一般")}, {0, QStringLiteral("缺货")}});
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->currentText(), QStringLiteral("充足"));
    QVERIFY(goods().setCurrentRow(1));
    QCOMPARE(combo->currentText(), QStringLiteral("一般"));
    // A value none of the choices has (goods 3 holds -5) shows nothing chosen.
    QVERIFY(goods().setCurrentRow(2));
    QCOMPARE(combo->currentIndex(), -1);
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QCOMPARE(goods().state(), Dataset::State::Edit);
    QVERIFY(goods().post().ok());
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 3).toInt(), 0);
    QCOMPARE(combo->currentText(), QStringLiteral("缺货"));
    binder->setReadOnly(true);
    QVERIFY(!combo->isEnabled());
    QVERIFY(m_books->prompter.entries().isEmpty());
}

void TestFieldBinders::labelShowsDisplayText()
{
    auto *label = new QLabel(m_form.get());
    new LabelBinder(label, m_books->goods.get(), QStringLiteral("SellPrice"));
    QCOMPARE(label->text(), QStringLiteral("1.5"));
    QVERIFY(goods().setCurrentRow(2));
    QCOMPARE(label->text(), QStringLiteral("8.0"));
    auto *category = new QLabel(m_form.get());
    new LabelBinder(category, m_books->goods.get(), QStringLiteral("lkCata"));
    QCOMPARE(category->text(), QStringLiteral("日用"));
    QVERIFY(goods().edit().ok());
    QVERIFY(goods().setValue(QStringLiteral("CataID"), 1).ok());
    QCOMPARE(category->text(), QStringLiteral("饮料"));
    QVERIFY(goods().cancel().ok());
    goods().close();
    QCOMPARE(label->text(), QString());
}

void TestFieldBinders::lookupComboOverManyRows()
{
    // Lines of a bill choosing among 100,000 goods: the box reads the goods view in place.
    m_books->addManyGoods(100000);
    QVERIFY(goods().refresh().ok());
    TableDataset lines(m_books->db, QStringLiteral("Lines"), QStringLiteral("Goods"));
    lines.addDataFields({QStringLiteral("GoodID"), QStringLiteral("Description")});
    QVERIFY(lines.open().ok());
    auto *combo = new QComboBox(m_form.get());
    new LookupComboBinder(combo, &lines, QStringLiteral("GoodID"), m_books->goods.get(), QStringLiteral("GoodID"),
                          QStringLiteral("Description"));
    QCOMPARE(combo->count(), goods().rowCount());
    QCOMPARE(combo->currentText(), QStringLiteral("矿泉水"));
    lines.last();
    QCOMPARE(combo->currentText(), QStringLiteral("商品100000"));
    // Choosing assigns the key.
    QVERIFY(lines.setCurrentRow(0));
    combo->setCurrentIndex(combo->count() - 2);
    emit combo->activated(combo->count() - 2);
    QCOMPARE(lines.value(QStringLiteral("GoodID")).toInt(), 100004);
    QVERIFY(lines.cancel().ok());
}

QTEST_MAIN(TestFieldBinders)
#include "test_fieldbinders.moc"
