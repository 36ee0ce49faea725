// The data grid: two-line titles, title-click sort, posting and inserting from the keyboard,
// the read-only and editable modes, and the current row kept with the dataset's cursor.
#include "support/goodsbooks.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/promptchannel.h"
#include "ui/widgets/datagridheader.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace hemu;

using Spans = QList<QList<int>>;

class TestDataGrid : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void twoLineTitles_data();
    void twoLineTitles();
    void hiddenColumnJoinsBand();
    void twoLineHeaderIsTwiceAsHigh();
    void titleClickSorts();
    void lookupTitleSortsByKey();
    void sortChangedElsewhereTakesColourAway();
    void enterInEditorPosts();
    void badValueInEditorIsNotPosted();
    void enterPostsPendingRow();
    void failedPostIsTold();
    void altInsertStartsRow();
    void readOnlyMode();
    void modeColours();
    void followsCursor();
    void userMoveMovesCursor();
    void refusedMoveStays();
    void largeView();
    void staleViewShownAfterwards();

private:
    void showGrid(const QStringList &fields = {});
    void clickTitle(int column);
    QModelIndex cell(int row, const QString &field) const
    {
        return m_grid->model()->index(row, m_grid->datasetModel()->columnOf(field));
    }
    QColor headerPixel(int column, bool upperHalf, bool rightEdge = false);

    std::unique_ptr<test::GoodsBooks> m_books;
    std::unique_ptr<DataGrid> m_grid;
};

void TestDataGrid::init()
{
    m_books = std::make_unique<test::GoodsBooks>();
    m_books->open();
}

void TestDataGrid::cleanup()
{
    m_grid.reset();
    m_books.reset();
}

void TestDataGrid::showGrid(const QStringList &fields)
{
    m_grid = std::make_unique<DataGrid>();
    PromptChannel::attach(m_grid->window(), &m_books->prompter);
    m_grid->setDataset(m_books->goods.get(), fields);
    m_grid->resize(900, 400);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
}

void TestDataGrid::clickTitle(int column)
{
    QHeaderView *header = m_grid->horizontalHeader();
    const QPoint lowerHalf(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                           header->height() * 3 / 4);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, lowerHalf);
}

QColor TestDataGrid::headerPixel(int column, bool upperHalf, bool rightEdge)
{
    // Near the top of a cell, clear of its centred text.
    QHeaderView *header = m_grid->horizontalHeader();
    const QImage image = header->viewport()->grab().toImage();
    const int left = header->sectionViewportPosition(column);
    const int x = rightEdge ? left + header->sectionSize(column) - 1 : left + 3;
    const int y = upperHalf ? 2 : header->height() / 2 + 2;
    return image.pixelColor(x * image.devicePixelRatio(), y * image.devicePixelRatio());
}

void TestDataGrid::twoLineTitles_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("twoLevel");
    QTest::addColumn<QStringList>("upper");
    QTest::addColumn<QStringList>("lower");
    QTest::addColumn<Spans>("spans");

    QTest::newRow("neighbours share the upper cell")
        << QStringList{"GoodID", "CataID", "lkCata", "Description"} << true << QStringList{"", "类别", "类别", ""}
        << QStringList{"商品码", "代码", "名称", "品名型号"} << Spans{{0}, {1, 2}, {1, 2}, {3}};
    QTest::newRow("a column between parts them")
        << QStringList{"CataID", "Description", "lkCata"} << true << QStringList{"类别", "", "类别"}
        << QStringList{"代码", "品名型号", "名称"} << Spans{{0}, {1}, {2}};
    QTest::newRow("one line only") << QStringList{"GoodID", "Description"} << false << QStringList{"", ""}
                                   << QStringList{"商品码", "品名型号"} << Spans{{0}, {1}};
}

void TestDataGrid::twoLineTitles()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, twoLevel);
    QFETCH(QStringList, upper);
    QFETCH(QStringList, lower);
    QFETCH(Spans, spans);
    showGrid(fields);
    DataGridHeader *header = m_grid->titleHeader();
    QCOMPARE(header->count(), fields.size());
    QCOMPARE(header->isTwoLevel(), twoLevel);
    for (int column = 0; column < fields.size(); ++column) {
        QCOMPARE(header->upperText(column), upper.at(column));
        QCOMPARE(header->lowerText(column), lower.at(column));
        QCOMPARE(header->upperSpan(column), spans.at(column));
    }
}

void TestDataGrid::hiddenColumnJoinsBand()
{
    showGrid({"CataID", "Description", "lkCata"});
    DataGridHeader *header = m_grid->titleHeader();
    m_grid->setColumnHidden(1, true);
    QCOMPARE(header->upperSpan(0), (QList<int>{0, 2}));
    QCOMPARE(header->upperSpan(2), (QList<int>{0, 2}));
    // The shared cell is one painted title: no grid line between its sections above, one below.
    const QColor background = headerPixel(0, true);
    QCOMPARE(headerPixel(0, true, true), background);
    QCOMPARE(headerPixel(2, true), background);
    QVERIFY(headerPixel(0, false, true) != background);
}

void TestDataGrid::twoLineHeaderIsTwiceAsHigh()
{
    showGrid({"GoodID", "Description"});
    const int oneLine = m_grid->horizontalHeader()->sizeHint().height();
    showGrid({"GoodID", "CataID", "lkCata"});
    const int twoLines = m_grid->horizontalHeader()->sizeHint().height();
    QCOMPARE(twoLines, 2 * oneLine);
}

void TestDataGrid::titleClickSorts()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    DataGridHeader *header = m_grid->titleHeader();
    const int description = m_grid->datasetModel()->columnOf(QStringLiteral("Description"));
    const int price = m_grid->datasetModel()->columnOf(QStringLiteral("SellPrice"));
    QVERIFY(goods.locate(QStringLiteral("GoodID"), 2));

    clickTitle(description);
    QCOMPARE(goods.sort(), QStringLiteral("Description ASC"));
    QCOMPARE(m_grid->sortedField(), QStringLiteral("Description"));
    QCOMPARE(header->highlightedSection(), description);
    QCOMPARE(header->sectionBackground(description), QColor(0, 128, 0));
    QCOMPARE(header->sectionTextColour(description), QColor(Qt::white));
    QCOMPARE(headerPixel(description, false), QColor(0, 128, 0));
    QVERIFY(headerPixel(price, false) != QColor(0, 128, 0));
    // The row stays the current one, in the grid too.
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 2);
    QCOMPARE(m_grid->currentIndex().row(), goods.currentRow());

    clickTitle(description);
    QCOMPARE(goods.sort(), QStringLiteral("Description DESC"));
    QCOMPARE(header->highlightedSection(), description);
    const QList<int> descending = m_books->goodIds();
    clickTitle(description);
    QCOMPARE(goods.sort(), QStringLiteral("Description ASC"));
    QVERIFY(m_books->goodIds() != descending);

    clickTitle(price);
    QCOMPARE(goods.sort(), QStringLiteral("SellPrice ASC"));
    QCOMPARE(header->highlightedSection(), price);
    QCOMPARE(header->sectionBackground(description), m_grid->palette().color(QPalette::Button));
    QVERIFY(headerPixel(description, false) != QColor(0, 128, 0));
    QCOMPARE(m_books->goodIds(), (QList<int>{1, 4, 2, 5, 3}));
}

void TestDataGrid::lookupTitleSortsByKey()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    const int lookup = m_grid->datasetModel()->columnOf(QStringLiteral("lkCata"));
    clickTitle(lookup);
    QCOMPARE(goods.sort(), QStringLiteral("CataID ASC"));
    QCOMPARE(m_books->goodIds(), (QList<int>{1, 4, 2, 5, 3}));
    // The clicked title is the green one, not the key's own column.
    QCOMPARE(m_grid->titleHeader()->highlightedSection(), lookup);
    QCOMPARE(m_grid->model()->data(m_grid->model()->index(0, lookup)).toString(), QStringLiteral("饮料"));
    clickTitle(lookup);
    QCOMPARE(goods.sort(), QStringLiteral("CataID DESC"));
    QCOMPARE(m_books->goodIds(), (QList<int>{3, 2, 5, 1, 4}));
    QCOMPARE(m_grid->titleHeader()->highlightedSection(), lookup);
}

void TestDataGrid::sortChangedElsewhereTakesColourAway()
{
    showGrid();
    clickTitle(m_grid->datasetModel()->columnOf(QStringLiteral("Description")));
    QCOMPARE(m_grid->titleHeader()->highlightedSection(), 3);
    QVERIFY(m_books->goods->setSort(QString()).ok());
    QCOMPARE(m_grid->titleHeader()->highlightedSection(), -1);
    QCOMPARE(m_grid->sortedField(), QString());
}

void TestDataGrid::enterInEditorPosts()
{
    showGrid();
    const QModelIndex name = cell(1, QStringLiteral("Description"));
    m_grid->setCurrentIndex(name);
    m_grid->edit(name);
    auto *editor = m_grid->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("苏打饼干")); // typed text: QTest types ASCII only
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(m_books->stored(QStringLiteral("Description"), 2).toString(), QStringLiteral("苏打饼干"));
    QCOMPARE(m_books->goods->state(), Dataset::State::Browse);
    QVERIFY(m_books->prompter.entries().isEmpty());
}

void TestDataGrid::badValueInEditorIsNotPosted()
{
    showGrid();
    const QModelIndex quantity = cell(1, QStringLiteral("HandInc"));
    m_grid->setCurrentIndex(quantity);
    m_grid->edit(quantity);
    auto *editor = m_grid->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("abc"));
    QTest::keyClick(editor, Qt::Key_Return);
    // One warning about the value; the row is not posted behind the user's back.
    QTRY_COMPARE(m_books->prompter.entries().size(), 1);
    QVERIFY(m_books->prompter.lastText().contains(QStringLiteral("abc")));
    QCOMPARE(m_books->goods->state(), Dataset::State::Edit);
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 2).toInt(), 20);
    QCOMPARE(m_grid->model()->data(quantity).toString(), QStringLiteral("20"));
}

void TestDataGrid::enterPostsPendingRow()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    QVERIFY(goods.setCurrentRow(2));
    QVERIFY(m_grid->model()->setData(cell(2, QStringLiteral("HandInc")), QStringLiteral("-6")));
    QCOMPARE(goods.state(), Dataset::State::Edit);
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 3).toInt(), -5);
    QTest::keyClick(m_grid.get(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 3).toInt(), -6);

    // Esc drops a pending change instead.
    QVERIFY(m_grid->model()->setData(cell(2, QStringLiteral("HandInc")), QStringLiteral("9")));
    QTest::keyClick(m_grid.get(), Qt::Key_Escape);
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(m_grid->model()->data(cell(2, QStringLiteral("HandInc"))).toString(), QStringLiteral("-6"));
    QCOMPARE(m_books->stored(QStringLiteral("HandInc"), 3).toInt(), -6);
}

void TestDataGrid::failedPostIsTold()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    goods.fieldByName(QStringLiteral("Description")).setRequired(true);
    QVERIFY(m_grid->model()->setData(cell(0, QStringLiteral("Description")), QString()));
    QTest::keyClick(m_grid.get(), Qt::Key_Return);
    QCOMPARE(m_books->prompter.entries().size(), 1);
    QCOMPARE(m_books->prompter.entries().first().kind, Prompter::Kind::Warning);
    QCOMPARE(m_books->prompter.lastText(), QStringLiteral("字段“品名型号”必须有值。"));
    QCOMPARE(goods.state(), Dataset::State::Edit);
    QCOMPARE(m_books->stored(QStringLiteral("Description"), 1).toString(), QStringLiteral("矿泉水"));

    // A refusal by a rule is silent: the rule has said what it had to.
    m_books->prompter.clear();
    goods.hooks().beforePost = [](Dataset &) { return false; };
    QVERIFY(m_grid->model()->setData(cell(0, QStringLiteral("Description")), QStringLiteral("苏打水")));
    QTest::keyClick(m_grid.get(), Qt::Key_Return);
    QVERIFY(m_books->prompter.entries().isEmpty());
}

void TestDataGrid::altInsertStartsRow()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    QVERIFY(goods.setCurrentRow(2));
    QTest::keyClick(m_grid.get(), Qt::Key_Insert, Qt::AltModifier);
    QCOMPARE(goods.state(), Dataset::State::Insert);
    QCOMPARE(m_grid->model()->rowCount(), 6);
    QCOMPARE(goods.currentRow(), 2);
    QVERIFY(goods.isPendingRow(2));
    QCOMPARE(m_grid->currentIndex().row(), 2);
    QVERIFY(m_grid->selectionModel()->isRowSelected(2, {}));

    QVERIFY(m_grid->model()->setData(cell(2, QStringLiteral("Description")), QStringLiteral("毛巾")));
    QVERIFY(m_grid->model()->setData(cell(2, QStringLiteral("CataID")), QStringLiteral("3")));
    QCOMPARE(m_grid->model()->data(cell(2, QStringLiteral("lkCata"))).toString(), QStringLiteral("日用"));
    QTest::keyClick(m_grid.get(), Qt::Key_Return);
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(m_books->db.scalar("SELECT CataID FROM Goods WHERE Description = '毛巾'").toInt(), 3);

    // A new row left with Esc goes away again.
    QTest::keyClick(m_grid.get(), Qt::Key_Insert, Qt::AltModifier);
    QCOMPARE(m_grid->model()->rowCount(), 7);
    QTest::keyClick(m_grid.get(), Qt::Key_Escape);
    QCOMPARE(m_grid->model()->rowCount(), 6);
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(m_grid->currentIndex().row(), goods.currentRow());
    QCOMPARE(m_books->db.scalar("SELECT COUNT(*) FROM Goods").toInt(), 6);
}

void TestDataGrid::readOnlyMode()
{
    showGrid();
    m_grid->setReadOnly(true);
    QCOMPARE(m_grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QTest::keyClick(m_grid.get(), Qt::Key_Insert, Qt::AltModifier);
    QCOMPARE(m_books->goods->state(), Dataset::State::Browse);
    QCOMPARE(m_grid->model()->rowCount(), 5);
    QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
    m_grid->edit(cell(0, QStringLiteral("Description")));
    QVERIFY(!m_grid->viewport()->findChild<QLineEdit *>());
    QVERIFY(!(m_grid->model()->flags(cell(0, QStringLiteral("Description"))) & Qt::ItemIsEditable));

    m_grid->setReadOnly(false);
    QVERIFY(m_grid->model()->flags(cell(0, QStringLiteral("Description"))) & Qt::ItemIsEditable);
}

void TestDataGrid::modeColours()
{
    showGrid();
    const QColor normal = m_grid->palette().color(QPalette::Base);
    auto emptyArea = [this] {
        const QImage image = m_grid->viewport()->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() - 5);
    };
    QCOMPARE(emptyArea(), normal);
    m_grid->setModeColours(true);
    QCOMPARE(m_grid->palette().color(QPalette::Base), QColor(248, 248, 199));
    QCOMPARE(emptyArea(), QColor(248, 248, 199));
    m_grid->setReadOnly(true);
    QCOMPARE(m_grid->palette().color(QPalette::Base), DataGrid::lockedColour());
    QCOMPARE(emptyArea(), QColor(192, 192, 192));
    m_grid->setModeColours(false);
    QCOMPARE(m_grid->palette().color(QPalette::Base), normal);
}

void TestDataGrid::followsCursor()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    QCOMPARE(m_grid->currentIndex().row(), 0);
    QVERIFY(goods.setCurrentRow(3));
    QCOMPARE(m_grid->currentIndex().row(), 3);
    QVERIFY(m_grid->selectionModel()->isRowSelected(3, {}));
    QCOMPARE(m_grid->selectionModel()->selectedRows().size(), 1);
    goods.last();
    QCOMPARE(m_grid->currentIndex().row(), 4);

    // The current row deleted: the grid goes where the dataset goes.
    QVERIFY(goods.remove().ok());
    QCOMPARE(m_grid->currentIndex().row(), goods.currentRow());
    QVERIFY(goods.setCurrentRow(1));
    QVERIFY(goods.remove().ok());
    QCOMPARE(m_grid->currentIndex().row(), goods.currentRow());
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 3);

    // A filter leaving no rows: nothing is current.
    QVERIFY(goods.setFilter(QStringLiteral("CataID=9")).ok());
    QVERIFY(goods.setFiltered(true).ok());
    QVERIFY(!m_grid->currentIndex().isValid());
    QVERIFY(goods.setFiltered(false).ok());
    QCOMPARE(m_grid->currentIndex().row(), goods.currentRow());
}

void TestDataGrid::userMoveMovesCursor()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    const QRect target = m_grid->visualRect(cell(3, QStringLiteral("Description")));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, target.center());
    QCOMPARE(goods.currentRow(), 3);
    QVERIFY(m_grid->selectionModel()->isRowSelected(3, {}));
    QTest::keyClick(m_grid.get(), Qt::Key_Up);
    QCOMPARE(goods.currentRow(), 2);

    // Moving off an edited row posts it.
    QVERIFY(m_grid->model()->setData(cell(2, QStringLiteral("SellPrice")), QStringLiteral("9.5")));
    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(goods.currentRow(), 3);
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(m_books->stored(QStringLiteral("SellPrice"), 3).toDouble(), 9.5);
}

void TestDataGrid::refusedMoveStays()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    goods.fieldByName(QStringLiteral("Description")).setRequired(true);
    QVERIFY(m_grid->model()->setData(cell(1, QStringLiteral("Description")), QString()));
    QCOMPARE(goods.currentRow(), 1);
    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(m_books->prompter.entries().size(), 1);
    QCOMPARE(goods.currentRow(), 1);
    QCOMPARE(goods.state(), Dataset::State::Edit);
    QTRY_COMPARE(m_grid->currentIndex().row(), 1);
}

void TestDataGrid::largeView()
{
    m_books->addManyGoods(100000);
    QVERIFY(m_books->goods->refresh().ok());
    showGrid();
    QCOMPARE(m_grid->model()->rowCount(), 100005);
    m_books->goods->last();
    QCOMPARE(m_grid->currentIndex().row(), 100004);
    QVERIFY(m_grid->viewport()->rect().intersects(m_grid->visualRect(m_grid->currentIndex())));
    clickTitle(m_grid->datasetModel()->columnOf(QStringLiteral("HandInc")));
    QCOMPARE(m_books->goods->sort(), QStringLiteral("HandInc ASC"));
    QCOMPARE(m_grid->currentIndex().row(), m_books->goods->currentRow());
    QCOMPARE(m_books->goods->value(QStringLiteral("Description")).toString(), QStringLiteral("商品100000"));
}

void TestDataGrid::staleViewShownAfterwards()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    QVERIFY(goods.setSort(QStringLiteral("Description ASC")).ok());
    QVERIFY(goods.locate(QStringLiteral("GoodID"), 4));
    const int before = goods.currentRow();
    // Another program changes every row and adds one that sorts ahead of the current row.
    {
        Database other(QStringLiteral("other program"));
        QVERIFY(other.open(m_books->set.path()));
        QVERIFY(other.exec(QStringLiteral("UPDATE Goods SET HandInc = HandInc + 1000")));
        QVERIFY(other.exec(QStringLiteral("INSERT INTO Goods (GoodID, Description, CataID) VALUES (6, '冰茶', 1)")));
    }
    QSignalSpy resets(&goods, &Dataset::rowsReset);
    goods.markStale();
    // Marking reads nothing: the operation that marked it returns first.
    QVERIFY(goods.isStale());
    QCOMPARE(resets.count(), 0);
    // The grid shows the file's rows as soon as events are processed, on the same row.
    QTRY_VERIFY(!goods.isStale());
    QCOMPARE(m_grid->model()->rowCount(), 6);
    QCOMPARE(goods.value(QStringLiteral("GoodID")).toInt(), 4);
    QCOMPARE(goods.currentRow(), before + 1); // 冰茶 sorts ahead of 可乐
    QCOMPARE(m_grid->currentIndex().row(), goods.currentRow());
    QCOMPARE(resets.count(), 1);
    QCOMPARE(cell(goods.currentRow(), QStringLiteral("HandInc")).data().toString(), QStringLiteral("1000"));
    QCOMPARE(cell(0, QStringLiteral("Description")).data().toString(), QStringLiteral("冰茶"));
}

QTEST_MAIN(TestDataGrid)
#include "test_datagrid.moc"
