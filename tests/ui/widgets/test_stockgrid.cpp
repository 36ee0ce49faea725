// A grid over the data modules' stock view TabData.Goods: its titles and formats as the data
// module declares them, the title sort of its category lookup, and the counters a posted bill
// line changes showing at once.
#include "support/books.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/promptchannel.h"
#include "ui/widgets/datagridheader.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QtTest>

using namespace hemu;

class TestStockGrid : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void titlesAndFormats();
    void categoryTitleSortsByKey();
    void postedLineShowsAtOnce();
    void twoLineTitlesAndEnterPosts();

private:
    QString shown(int goodId, const QString &field) const;

    std::unique_ptr<test::Books> m_books;
    std::unique_ptr<DataGrid> m_grid;
};

void TestStockGrid::init()
{
    m_books = std::make_unique<test::Books>(3);
    m_books->db().exec("INSERT INTO Catalogs(CataID, Catalog) VALUES (2, '食品')");
    m_books->db().exec("UPDATE Goods SET CataID = 2, InUse = 1 WHERE GoodID = 1");
    QVERIFY(m_books->tab->Goods->refresh().ok());
    QVERIFY(m_books->base->Cata->refresh().ok());
    m_grid = std::make_unique<DataGrid>();
    PromptChannel::attach(m_grid->window(), &m_books->prompter);
    m_grid->setDataset(m_books->tab->Goods);
    m_grid->setReadOnly(true);
    m_grid->resize(1200, 300);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
}

void TestStockGrid::cleanup()
{
    m_grid.reset();
    m_books.reset();
}

QString TestStockGrid::shown(int goodId, const QString &field) const
{
    Dataset &goods = *m_books->tab->Goods;
    const int idColumn = goods.fieldIndex(QStringLiteral("GoodID"));
    for (int row = 0; row < goods.rowCount(); ++row) {
        if (goods.value(row, idColumn).toInt() == goodId) {
            const DatasetModel *model = m_grid->datasetModel();
            return model->data(model->index(row, model->columnOf(field))).toString();
        }
    }
    return QStringLiteral("(no row)");
}

void TestStockGrid::titlesAndFormats()
{
    const DatasetModel *model = m_grid->datasetModel();
    DataGridHeader *header = m_grid->titleHeader();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->fieldAt(0)->name(), QStringLiteral("CataID"));
    QCOMPARE(header->lowerText(model->columnOf(QStringLiteral("lkCataName"))), QStringLiteral("类别"));
    QCOMPARE(header->lowerText(model->columnOf(QStringLiteral("Description"))), QStringLiteral("品名型号"));
    QCOMPARE(model->columnOf(QStringLiteral("UnitID")), -1);
    QCOMPARE(shown(1, QStringLiteral("lkCataName")), QStringLiteral("食品"));
    QCOMPARE(shown(1, QStringLiteral("InUse")), QStringLiteral("√"));
    QCOMPARE(shown(2, QStringLiteral("InUse")), QString());
    // Counters at zero show nothing under "0.0#;'-'0.0#;#".
    QCOMPARE(shown(2, QStringLiteral("HandInc")), QString());
}

void TestStockGrid::categoryTitleSortsByKey()
{
    const int category = m_grid->datasetModel()->columnOf(QStringLiteral("lkCataName"));
    QHeaderView *header = m_grid->horizontalHeader();
    const QPoint title(header->sectionViewportPosition(category) + header->sectionSize(category) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    QCOMPARE(m_books->tab->Goods->sort(), QStringLiteral("CataID ASC"));
    QCOMPARE(m_grid->titleHeader()->highlightedSection(), category);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    QCOMPARE(m_books->tab->Goods->sort(), QStringLiteral("CataID DESC"));
    QCOMPARE(m_grid->datasetModel()->data(m_grid->datasetModel()->index(0, category)).toString(), QStringLiteral("食品"));
}

void TestStockGrid::postedLineShowsAtOnce()
{
    QVERIFY(m_books->tab->Goods->locate(QStringLiteral("GoodID"), 3));
    QCOMPARE(m_grid->currentIndex().row(), m_books->tab->Goods->currentRow());
    QVERIFY(m_books->bill(BillKind::StockIn, 1, {{2, 10, 2.5}}) > 0);
    QCOMPARE(shown(2, QStringLiteral("HandInc")), QStringLiteral("10.0"));
    QCOMPARE(shown(2, QStringLiteral("HandIncMny")), QStringLiteral("25.0"));
    QCOMPARE(shown(2, QStringLiteral("OnHand")), QStringLiteral("10.0"));
    // The stock view's cursor and the grid's stay together through the posting.
    QCOMPARE(m_grid->currentIndex().row(), m_books->tab->Goods->currentRow());
    QVERIFY(m_books->prompter.entries().isEmpty());
}

// As the stock-change browser shows it: neighbours share an upper title, and an edit typed
// into the grid is written by Enter.
void TestStockGrid::twoLineTitlesAndEnterPosts()
{
    Dataset &goods = *m_books->tab->Goods;
    goods.fieldByName("PrevOnHand").setCaption("期初|数量");
    goods.fieldByName("PrevOnHandMny").setCaption("期初|金额");
    goods.fieldByName("HandInc").setCaption("新增|数量");
    DatasetModel *model = m_grid->datasetModel();
    DataGridHeader *header = m_grid->titleHeader();
    const int first = model->columnOf("PrevOnHand");
    QVERIFY(header->isTwoLevel());
    QCOMPARE(header->upperText(first), QString("期初"));
    QCOMPARE(header->lowerText(first + 1), QString("金额"));
    QCOMPARE(header->upperSpan(first), QList<int>({first, first + 1}));
    QCOMPARE(header->upperText(model->columnOf("HandInc")), QString("新增"));

    m_grid->setReadOnly(false);
    QVERIFY(goods.locate("GoodID", 2));
    const QModelIndex cell = model->index(goods.currentRow(), model->columnOf("HardOrder"));
    m_grid->setCurrentIndex(cell);
    m_grid->edit(cell);
    QWidget *editor = m_grid->viewport()->findChild<QLineEdit *>();
    if (!editor)
        editor = m_grid->viewport()->findChild<QAbstractSpinBox *>();
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "42");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(m_books->db().scalar("SELECT HardOrder FROM Goods WHERE GoodID = 2").toInt(), 42);
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(model->data(cell).toString(), QString("42"));
}

QTEST_MAIN(TestStockGrid)
#include "test_stockgrid.moc"
