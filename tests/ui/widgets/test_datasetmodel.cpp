// The table model over a dataset: columns, roles, edits through the dataset, and every
// change of the dataset passed on with the right notifications.
#include "support/goodsbooks.h"
#include "ui/widgets/datasetmodel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QSignalSpy>
#include <QtTest>

using namespace hemu;

Q_DECLARE_METATYPE(hemu::DatasetError)

class TestDatasetModel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void columnsAndTitles();
    void explicitFieldList();
    void displayRoles_data();
    void displayRoles();
    void booleanAsCheckBox();
    void followsDatasetChanges();
    void captionChangeKeepsRows();
    void setDataAssignsThroughDataset();
    void setDataRefusesBadValue();
    void unchangedValueStartsNoEdit();
    void readOnlyFields();
    void currentRowBothWays();
    void rowColours();
    void largeView();

private:
    std::unique_ptr<test::GoodsBooks> m_books;
    std::unique_ptr<DatasetModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    Dataset &goods() { return *m_books->goods; }
    QModelIndex cell(int row, const QString &field) { return m_model->index(row, m_model->columnOf(field)); }
};

void TestDatasetModel::init()
{
    qRegisterMetaType<DatasetError>();
    m_books = std::make_unique<test::GoodsBooks>();
    m_books->open();
    m_model = std::make_unique<DatasetModel>(m_books->goods.get());
    // Qt's own checker: every begin/end pair, row count and index the model reports.
    m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestDatasetModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
    m_books.reset();
}

void TestDatasetModel::columnsAndTitles()
{
    QCOMPARE(m_model->rowCount(), 5);
    QCOMPARE(m_model->columnCount(), 8);
    QCOMPARE(m_model->fieldAt(0)->name(), QStringLiteral("GoodID"));
    QCOMPARE(m_model->columnOf(QStringLiteral("lkcata")), 2);
    QCOMPARE(m_model->headerData(1, Qt::Horizontal, DatasetModel::CaptionRole).toString(), QStringLiteral("类别|代码"));
    QCOMPARE(m_model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("类别\n代码"));
    QCOMPARE(m_model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("商品码"));

    // A field hidden by the data module is no column.
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    goods().fieldByName(QStringLiteral("EnterDate")).setVisible(false);
    QCOMPARE(m_model->columnCount(), 7);
    QCOMPARE(m_model->columnOf(QStringLiteral("EnterDate")), -1);
    QCOMPARE(reset.count(), 1);
}

void TestDatasetModel::explicitFieldList()
{
    m_model->setFieldNames({QStringLiteral("Description"), QStringLiteral("lkCata"), QStringLiteral("NoSuchField"),
                            QStringLiteral("HandInc")});
    QCOMPARE(m_model->columnCount(), 3);
    QCOMPARE(m_model->fieldAt(0)->name(), QStringLiteral("Description"));
    QCOMPARE(m_model->fieldAt(2)->name(), QStringLiteral("HandInc"));
    QCOMPARE(m_model->data(m_model->index(1, 1)).toString(), QStringLiteral("食品"));
    // An explicit list shows a hidden field too: the window asked for it.
    goods().fieldByName(QStringLiteral("Description")).setVisible(false);
    QCOMPARE(m_model->columnCount(), 3);
}

void TestDatasetModel::displayRoles_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QVariant>("edit");
    QTest::addColumn<int>("alignment");

    const int right = Qt::AlignRight | Qt::AlignVCenter;
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    QTest::newRow("text") << 0 << "Description" << "矿泉水" << QVariant(QStringLiteral("矿泉水")) << left;
    QTest::newRow("pattern shows two decimals at most")
        << 1 << "SellPrice" << "3.25" << QVariant(QStringLiteral("3.25")) << right;
    QTest::newRow("pattern pads one decimal") << 2 << "SellPrice" << "8.0" << QVariant(QStringLiteral("8")) << right;
    QTest::newRow("integer") << 2 << "GoodID" << "3" << QVariant(QStringLiteral("3")) << right;
    QTest::newRow("lookup text") << 2 << "lkCata" << "日用" << QVariant(QStringLiteral("日用")) << left;
    QTest::newRow("boolean true as the field says") << 2 << "InUse" << "√" << QVariant(true) << int(Qt::AlignCenter);
    QTest::newRow("boolean false as the field says") << 0 << "InUse" << "" << QVariant(false) << int(Qt::AlignCenter);
    QTest::newRow("date") << 0 << "EnterDate" << "2026-01-05" << QVariant(QDate(2026, 1, 5)) << left;
    QTest::newRow("empty date") << 1 << "EnterDate" << "" << QVariant() << left;
}

void TestDatasetModel::displayRoles()
{
    QFETCH(int, row);
    QFETCH(QString, field);
    QFETCH(QString, display);
    QFETCH(QVariant, edit);
    QFETCH(int, alignment);
    const QModelIndex index = cell(row, field);
    QCOMPARE(m_model->data(index).toString(), display);
    QCOMPARE(m_model->data(index, Qt::EditRole), edit);
    QCOMPARE(m_model->data(index, Qt::TextAlignmentRole).toInt(), alignment);
    QCOMPARE(m_model->data(index, Qt::CheckStateRole), QVariant());
}

void TestDatasetModel::booleanAsCheckBox()
{
    m_model->setBooleanStyle(QStringLiteral("InUse"), DatasetModel::BooleanStyle::CheckBox);
    const QModelIndex on = cell(2, QStringLiteral("InUse"));
    QCOMPARE(m_model->data(on, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QCOMPARE(m_model->data(cell(0, QStringLiteral("InUse")), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QCOMPARE(m_model->data(on).toString(), QString());
    QVERIFY(m_model->flags(on) & Qt::ItemIsUserCheckable);

    QVERIFY(m_model->setData(cell(0, QStringLiteral("InUse")), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(goods().state(), Dataset::State::Edit);
    QVERIFY(m_model->submit());
    QCOMPARE(m_books->stored(QStringLiteral("InUse"), 1).toInt(), 1);
}

void TestDatasetModel::followsDatasetChanges()
{
    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);

    // A new row shows while it is pending and stays when posted.
    QVERIFY(goods().append().ok());
    QCOMPARE(m_model->rowCount(), 6);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 5);
    QVERIFY(goods().setValue(QStringLiteral("Description"), QStringLiteral("毛巾")).ok());
    QVERIFY(goods().setValue(QStringLiteral("CataID"), 3).ok());
    QVERIFY(goods().post().ok());
    QCOMPARE(m_model->rowCount(), 6);
    QCOMPARE(m_model->data(cell(5, QStringLiteral("Description"))).toString(), QStringLiteral("毛巾"));
    QCOMPARE(m_model->data(cell(5, QStringLiteral("lkCata"))).toString(), QStringLiteral("日用"));

    // A change of one row tells about that row only.
    changed.clear();
    QVERIFY(goods().setCurrentRow(1));
    QVERIFY(goods().edit().ok());
    QVERIFY(goods().setValue(QStringLiteral("HandInc"), 21).ok());
    QVERIFY(goods().post().ok());
    QVERIFY(!changed.isEmpty());
    for (const QList<QVariant> &signal : std::as_const(changed)) {
        QCOMPARE(signal.at(0).toModelIndex().row(), 1);
        QCOMPARE(signal.at(1).toModelIndex().row(), 1);
    }
    QCOMPARE(m_model->data(cell(1, QStringLiteral("HandInc"))).toString(), QStringLiteral("21"));

    // A delete removes one row; a cancelled new row goes again.
    QVERIFY(goods().remove().ok());
    QCOMPARE(removed.count(), 1);
    QCOMPARE(m_model->rowCount(), 5);
    QCOMPARE(m_books->stored(QStringLiteral("COUNT(*)"), 2).toInt(), 0);
    QVERIFY(goods().insert().ok());
    QCOMPARE(m_model->rowCount(), 6);
    QVERIFY(goods().cancel().ok());
    QCOMPARE(m_model->rowCount(), 5);
    QCOMPARE(reset.count(), 0);

    // Filter, sort, refresh and close come as resets.
    QVERIFY(goods().setFilter(QStringLiteral("CataID=1")).ok());
    QVERIFY(goods().setFiltered(true).ok());
    QCOMPARE(m_model->rowCount(), 2);
    QVERIFY(goods().setSort(QStringLiteral("Description DESC")).ok());
    QVERIFY(goods().refresh().ok());
    QVERIFY(reset.count() >= 3);
    goods().close();
    QCOMPARE(m_model->rowCount(), 0);
    QVERIFY(goods().open().ok());
    QCOMPARE(m_model->rowCount(), 2);
}

void TestDatasetModel::captionChangeKeepsRows()
{
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy headers(m_model.get(), &QAbstractItemModel::headerDataChanged);
    goods().fieldByName(QStringLiteral("Description")).setCaption(QStringLiteral("品名规格"));
    QCOMPARE(reset.count(), 0);
    QVERIFY(!headers.isEmpty());
    QCOMPARE(m_model->headerData(m_model->columnOf(QStringLiteral("Description")), Qt::Horizontal).toString(),
             QStringLiteral("品名规格"));
}

void TestDatasetModel::setDataAssignsThroughDataset()
{
    QSignalSpy errors(m_model.get(), &DatasetModel::errorOccurred);
    // Editing row 3 moves the dataset there and starts the edit.
    QVERIFY(m_model->setData(cell(3, QStringLiteral("SellPrice")), QStringLiteral("2.755")));
    QCOMPARE(goods().currentRow(), 3);
    QCOMPARE(goods().state(), Dataset::State::Edit);
    QCOMPARE(m_model->data(cell(3, QStringLiteral("SellPrice")), Qt::EditRole).toString(), QStringLiteral("2.755"));
    QCOMPARE(m_model->data(cell(3, QStringLiteral("SellPrice"))).toString(), QStringLiteral("2.76"));
    // Not written before the post.
    QCOMPARE(m_books->stored(QStringLiteral("SellPrice"), 4).toDouble(), 2.5);
    QVERIFY(m_model->submit());
    QCOMPARE(goods().state(), Dataset::State::Browse);
    QCOMPARE(test::exact(m_books->stored(QStringLiteral("SellPrice"), 4).toDouble()), test::exact(2.755));

    // An emptied cell empties the value; a date from a date editor is stored as a date.
    QVERIFY(m_model->setData(cell(0, QStringLiteral("Description")), QString()));
    QVERIFY(m_model->setData(cell(0, QStringLiteral("EnterDate")), QDate(2026, 5, 9)));
    QVERIFY(m_model->submit());
    QVERIFY(m_books->stored(QStringLiteral("Description"), 1).isNull());
    QCOMPARE(m_books->stored(QStringLiteral("EnterDate"), 1).toString(), QStringLiteral("2026-05-09"));
    QCOMPARE(errors.count(), 0);
}

void TestDatasetModel::setDataRefusesBadValue()
{
    QSignalSpy errors(m_model.get(), &DatasetModel::errorOccurred);
    QVERIFY(!m_model->setData(cell(1, QStringLiteral("HandInc")), QStringLiteral("十二")));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().value<DatasetError>().code(), DatasetError::Code::Validation);
    QCOMPARE(m_model->data(cell(1, QStringLiteral("HandInc"))).toString(), QStringLiteral("20"));

    // A post the dataset refuses is reported and leaves the row pending with its values.
    goods().fieldByName(QStringLiteral("Description")).setRequired(true);
    QVERIFY(m_model->setData(cell(1, QStringLiteral("Description")), QString()));
    QVERIFY(!m_model->submit());
    QCOMPARE(errors.count(), 2);
    QCOMPARE(goods().state(), Dataset::State::Edit);
    QCOMPARE(m_books->stored(QStringLiteral("Description"), 2).toString(), QStringLiteral("饼干"));
}

void TestDatasetModel::unchangedValueStartsNoEdit()
{
    // An editor opened and closed without a change commits the same value back.
    const QModelIndex price = cell(1, QStringLiteral("SellPrice"));
    QVERIFY(m_model->setData(price, m_model->data(price, Qt::EditRole)));
    QVERIFY(m_model->setData(cell(1, QStringLiteral("EnterDate")), m_model->data(cell(1, QStringLiteral("EnterDate")), Qt::EditRole)));
    QCOMPARE(goods().state(), Dataset::State::Browse);
    QCOMPARE(goods().currentRow(), 0);
}

void TestDatasetModel::readOnlyFields()
{
    QVERIFY(m_model->flags(cell(0, QStringLiteral("Description"))) & Qt::ItemIsEditable);
    QVERIFY(!(m_model->flags(cell(0, QStringLiteral("lkCata"))) & Qt::ItemIsEditable));
    QVERIFY(!m_model->setData(cell(0, QStringLiteral("lkCata")), QStringLiteral("食品")));
    // A boolean shown as text is changed through a check box or a binder, not typed.
    QVERIFY(!(m_model->flags(cell(0, QStringLiteral("InUse"))) & Qt::ItemIsEditable));

    goods().fieldByName(QStringLiteral("GoodID")).setReadOnly(true);
    QVERIFY(!(m_model->flags(cell(0, QStringLiteral("GoodID"))) & Qt::ItemIsEditable));
    m_model->setReadOnly(true);
    QVERIFY(!(m_model->flags(cell(0, QStringLiteral("Description"))) & Qt::ItemIsEditable));
    QVERIFY(!m_model->setData(cell(0, QStringLiteral("Description")), QStringLiteral("x")));
    QCOMPARE(goods().state(), Dataset::State::Browse);
}

void TestDatasetModel::currentRowBothWays()
{
    QSignalSpy current(m_model.get(), &DatasetModel::currentRowChanged);
    QVERIFY(m_model->setCurrentRow(2));
    QCOMPARE(goods().currentRow(), 2);
    QCOMPARE(current.count(), 1);
    goods().last();
    QCOMPARE(current.last().first().toInt(), 4);
    QCOMPARE(m_model->headerData(4, Qt::Vertical).toString(), QStringLiteral("▶"));
    QCOMPARE(m_model->headerData(2, Qt::Vertical).toString(), QString());
    QVERIFY(goods().edit().ok());
    QCOMPARE(m_model->headerData(4, Qt::Vertical).toString(), QStringLiteral("✎"));

    // A pending row the dataset cannot post keeps the cursor where it is.
    QSignalSpy errors(m_model.get(), &DatasetModel::errorOccurred);
    goods().fieldByName(QStringLiteral("Description")).setRequired(true);
    QVERIFY(goods().setValue(QStringLiteral("Description"), QString()).ok());
    QVERIFY(!m_model->setCurrentRow(0));
    QCOMPARE(goods().currentRow(), 4);
    QCOMPARE(errors.count(), 1);
}

void TestDatasetModel::rowColours()
{
    const int handInc = goods().fieldIndex(QStringLiteral("HandInc"));
    m_model->setRowColours([this, handInc](int row, int role) -> QVariant {
        if (role == Qt::ForegroundRole && goods().value(row, handInc).toDouble() < 0)
            return QBrush(Qt::red);
        return {};
    });
    QCOMPARE(m_model->data(cell(2, QStringLiteral("Description")), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(Qt::red));
    QCOMPARE(m_model->data(cell(1, QStringLiteral("Description")), Qt::ForegroundRole), QVariant());
    QCOMPARE(m_model->data(cell(2, QStringLiteral("Description")), Qt::BackgroundRole), QVariant());
}

void TestDatasetModel::largeView()
{
    m_tester.reset(); // the checker walks every row: not what this test is about
    m_books->addManyGoods(100000);
    QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
    QVERIFY(goods().refresh().ok());
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m_model->rowCount(), 100005);
    const int last = m_model->rowCount() - 1;
    QCOMPARE(m_model->data(cell(last, QStringLiteral("Description"))).toString(), QStringLiteral("商品100000"));

    // A change far down tells about its own row.
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(m_model->setData(cell(last, QStringLiteral("HandInc")), QStringLiteral("7")));
    QVERIFY(m_model->submit());
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toModelIndex().row(), last);
    QCOMPARE(m_model->data(cell(last, QStringLiteral("HandInc"))).toString(), QStringLiteral("7"));

    QVERIFY(goods().setSort(QStringLiteral("lkCata DESC")).ok());
    QCOMPARE(reset.count(), 2);
    QCOMPARE(m_model->data(cell(0, QStringLiteral("lkCata"))).toString(), QStringLiteral("日用"));
}

QTEST_MAIN(TestDatasetModel)
#include "test_datasetmodel.moc"
