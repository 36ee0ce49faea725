// Filter expressions, sort orders, locate and bookmarks of a dataset over a real account set.
#include "core/dataset/filterexpression.h"
#include "datasetfixture.h"

using namespace hemu;
using IdList = QList<qint64>;

class TestDatasetFilter : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void filter_data();
    void filter();
    void filterCaseInsensitive();
    void filterSetBeforeOpen();
    void badFilter_data();
    void badFilter();
    void filterOnOffKeepsText();
    void rowidFilter_data();
    void rowidFilter();
    void rowidFilterTakesRowsReadAgain();
    void sort_data();
    void sort();
    void badSortKeepsOrder();
    void sortKeyForLookup();
    void sortAndFilterFollowFieldChanges();
    void locate_data();
    void locate();
    void bookmarkSurvivesSortAndFilter();
    void parsedOnceEvaluatedPerRow();

private:
    std::unique_ptr<test::DatasetBooks> m_books;
    TableDataset *m_cata = nullptr;
    TableDataset *m_goods = nullptr;
};

void TestDatasetFilter::init()
{
    m_books = std::make_unique<test::DatasetBooks>();
    m_books->addGoods();
    m_cata = new TableDataset(m_books->db, "Cata", "Catalogs", this);
    m_goods = new TableDataset(m_books->db, "Goods", "Goods", this);
    m_goods->addLookupField("lkCata", m_cata, "CataID", "Catalog", "CataID").setCaption("类别");
    m_goods->addOpenDependency(m_cata);
    QVERIFY(m_goods->open().ok());
    m_goods->fieldByName("InUse").setDataType(DataType::Boolean);
    m_goods->fieldByName("IsZero").setDataType(DataType::Boolean);
}

void TestDatasetFilter::cleanup()
{
    delete m_goods;
    delete m_cata;
    m_books.reset();
}

void TestDatasetFilter::filter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<IdList>("expected");
    QTest::newRow("category and boolean false") << "CataID=3 and IsZero=false" << IdList{1, 6};
    QTest::newRow("flag mark") << "flag=1" << IdList{1, 3, 5};
    QTest::newRow("spaces around operators") << "InUse = false and CataID = 5" << IdList{3};
    QTest::newRow("boolean against 1") << "InUse=1" << IdList{4, 6};
    QTest::newRow("bare boolean field") << "InUse" << IdList{4, 6};
    QTest::newRow("not boolean") << "not InUse" << IdList{1, 2, 3, 5};
    QTest::newRow("names ignore case") << "cataid = 3" << IdList{1, 2, 6};
    QTest::newRow("bracketed name, exact text") << "[Description] = 'Apple'" << IdList{1};
    QTest::newRow("double-quoted text with quote") << "Description = \"O'Neil\"" << IdList{5};
    QTest::newRow("doubled quote in text") << "Description = 'O''Neil'" << IdList{5};
    QTest::newRow("Chinese text") << "Description = '苹果'" << IdList{4};
    QTest::newRow("equals NULL") << "CataID = NULL" << IdList{5};
    QTest::newRow("differs from NULL") << "CataID <> NULL" << IdList{1, 2, 3, 4, 6};
    QTest::newRow("is null") << "CataID is null" << IdList{5};
    QTest::newRow("is not null") << "CostPrice IS NOT NULL and HardOrder is null" << IdList{3};
    QTest::newRow("ISO date as text") << "EnterDate>='2026-01-01'" << IdList{2, 3, 5};
    QTest::newRow("or") << "CostPrice > 2 or HardOrder = 3" << IdList{2, 3, 4, 5};
    QTest::newRow("parentheses and not, NULL never >=") << "(CataID=3 or CataID=5) and not (HardOrder >= 2)"
                                                         << IdList{2, 3, 6};
    QTest::newRow("and binds tighter than or") << "CataID=5 or CataID=3 and HardOrder=1" << IdList{2, 3, 4, 6};
    QTest::newRow("decimal literal") << "HardOrder < 2.5" << IdList{1, 2, 5, 6};
    QTest::newRow("negative literal") << "CostPrice > -1 and CostPrice <= 1.5" << IdList{1, 6};
    QTest::newRow("not equal") << "UnitID != 1" << IdList{2, 4, 5};
    QTest::newRow("lookup field") << "lkCata = '水果'" << IdList{1, 2, 6};
    QTest::newRow("nothing matches") << "CostPrice <= -1" << IdList{};
    QTest::newRow("empty text is no filter") << "  " << IdList{1, 2, 3, 4, 5, 6};
}

void TestDatasetFilter::filter()
{
    QFETCH(QString, text);
    QFETCH(IdList, expected);
    const DatasetError e = m_goods->setFilter(text);
    QVERIFY2(e.ok(), qPrintable(e.message()));
    QVERIFY(m_goods->setFiltered(true).ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), expected);
    QCOMPARE(m_goods->recordCount(), int(expected.size()));
    QCOMPARE(m_goods->recNo(), expected.isEmpty() ? 0 : 1);
}

void TestDatasetFilter::filterCaseInsensitive()
{
    QVERIFY(m_goods->setFilter("Description = 'apple'").ok());
    QVERIFY(m_goods->setFiltered(true).ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), IdList{6});
    m_goods->setFilterCaseInsensitive(true);
    QCOMPARE(test::ids(*m_goods, "GoodID"), (IdList{1, 6}));
}

void TestDatasetFilter::filterSetBeforeOpen()
{
    // FilterGoods sets the filter on a closed view and opens it afterwards.
    m_goods->close();
    QVERIFY(m_goods->setFilter("flag=1").ok());
    QVERIFY(m_goods->setFiltered(true).ok());
    QVERIFY(m_goods->open().ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), (IdList{1, 3, 5}));

    // On a dataset whose fields are not known yet, an unknown name shows at open.
    TableDataset fresh(m_books->db, "Goods2", "Goods");
    QVERIFY(fresh.setFilter("NoSuchField = 1").ok());
    QVERIFY(fresh.setFiltered(true).ok());
    QVERIFY(fresh.open().ok());
    QCOMPARE(fresh.rowCount(), 6);
    QCOMPARE(fresh.lastError().code(), DatasetError::Code::Filter);
    QVERIFY(fresh.lastError().message().contains("NoSuchField"));
}

void TestDatasetFilter::badFilter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("unknown field") << "Foo = 1" << "未知字段“Foo”";
    QTest::newRow("unknown field, position") << "flag=1 and Colour='red'" << "第 12 个字符";
    QTest::newRow("missing close paren") << "(CataID = 3" << "缺少“)”";
    QTest::newRow("extra close paren") << "CataID = 3)" << "多余的“)”";
    QTest::newRow("two operators") << "CataID = = 3" << "应为字段名或值";
    QTest::newRow("dangling and") << "CataID = 3 and" << "条件不完整";
    QTest::newRow("unknown character") << "CataID # 3" << "无法识别的字符“#”";
    QTest::newRow("unterminated text") << "Description = 'abc" << "缺少结束的引号";
    QTest::newRow("unterminated bracket") << "[Description = 'a'" << "缺少“]”";
    QTest::newRow("two values") << "CataID 3" << "多余的内容";
    QTest::newRow("is without null") << "CataID is 3" << "NULL";
    QTest::newRow("junk number") << "CataID = 3x" << "无法识别的数字";
}

void TestDatasetFilter::badFilter()
{
    QFETCH(QString, text);
    QFETCH(QString, mentions);
    QVERIFY(m_goods->setFilter("flag=1").ok());
    QVERIFY(m_goods->setFiltered(true).ok());

    const DatasetError e = m_goods->setFilter(text);
    QVERIFY(e.failed());
    QCOMPARE(e.code(), DatasetError::Code::Filter);
    QVERIFY2(e.message().contains(mentions), qPrintable(e.message()));
    QVERIFY2(e.message().contains("第 "), qPrintable(e.message()));
    // The previous filter stays in force.
    QCOMPARE(m_goods->filter(), QString("flag=1"));
    QCOMPARE(test::ids(*m_goods, "GoodID"), (IdList{1, 3, 5}));
}

void TestDatasetFilter::filterOnOffKeepsText()
{
    QVERIFY(m_goods->setFilter("flag=1").ok());
    QCOMPARE(m_goods->rowCount(), 6); // not switched on yet
    QVERIFY(m_goods->setFiltered(true).ok());
    QCOMPARE(m_goods->rowCount(), 3);
    QVERIFY(m_goods->setFiltered(false).ok());
    QCOMPARE(m_goods->rowCount(), 6);
    QCOMPARE(m_goods->filter(), QString("flag=1"));
}

void TestDatasetFilter::sort_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<IdList>("expected");
    QTest::newRow("two keys, NULL first, stable ties") << "CataID ASC,HardOrder ASC" << IdList{5, 2, 6, 1, 3, 4};
    QTest::newRow("numbers numerically, descending, NULL last") << "CostPrice DESC" << IdList{2, 3, 5, 1, 6, 4};
    QTest::newRow("texts by code point, ASC implied") << "Description" << IdList{1, 3, 5, 6, 2, 4};
    QTest::newRow("lookup sorts by its key") << "lkCata ASC" << IdList{5, 1, 2, 6, 3, 4};
    QTest::newRow("descending keys") << "HardOrder DESC, GoodID DESC" << IdList{4, 5, 1, 6, 2, 3};
    QTest::newRow("bracketed lower-case name") << "[cataid] desc" << IdList{3, 4, 1, 2, 6, 5};
    QTest::newRow("empty is load order") << "" << IdList{1, 2, 3, 4, 5, 6};
}

void TestDatasetFilter::sort()
{
    QFETCH(QString, text);
    QFETCH(IdList, expected);
    const DatasetError e = m_goods->setSort(text);
    QVERIFY2(e.ok(), qPrintable(e.message()));
    QCOMPARE(m_goods->sort(), text);
    QCOMPARE(test::ids(*m_goods, "GoodID"), expected);
    // Sort and filter together.
    QVERIFY(m_goods->setFilter("flag=1").ok());
    QVERIFY(m_goods->setFiltered(true).ok());
    IdList flagged;
    for (qint64 id : expected) {
        if (id == 1 || id == 3 || id == 5)
            flagged.append(id);
    }
    QCOMPARE(test::ids(*m_goods, "GoodID"), flagged);
}

void TestDatasetFilter::badSortKeepsOrder()
{
    QVERIFY(m_goods->setSort("CostPrice DESC").ok());
    const DatasetError e = m_goods->setSort("Nope ASC");
    QCOMPARE(e.code(), DatasetError::Code::Sort);
    QVERIFY(e.message().contains("Nope"));
    QCOMPARE(m_goods->sort(), QString("CostPrice DESC"));
    QCOMPARE(test::ids(*m_goods, "GoodID"), (IdList{2, 3, 5, 1, 6, 4}));
}

void TestDatasetFilter::sortKeyForLookup()
{
    // The column-title sort builds its text from these names.
    QCOMPARE(m_goods->sortKeyFor("lkCata"), QStringList{"CataID"});
    QCOMPARE(m_goods->sortKeyFor("lkcata"), QStringList{"CataID"});
    QCOMPARE(m_goods->sortKeyFor("description"), QStringList{"Description"});
    const QString key = m_goods->sortKeyFor("lkCata").join(',');
    QVERIFY(m_goods->setSort(key + " ASC").ok());
    QCOMPARE(m_goods->sort(), QString("CataID ASC"));
    QVERIFY(m_goods->setSort(key + " DESC").ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), (IdList{3, 4, 1, 2, 6, 5}));
}

void TestDatasetFilter::sortAndFilterFollowFieldChanges()
{
    // A sort set before the first open waits for the fields.
    TableDataset fresh(m_books->db, "Goods2", "Goods");
    QVERIFY(fresh.setSort("CostPrice DESC").ok());
    QVERIFY(fresh.open().ok());
    QCOMPARE(test::ids(fresh, "GoodID"), (IdList{2, 3, 5, 1, 6, 4}));

    // Reordering the fields keeps sort and filter on the fields they name.
    QVERIFY(m_goods->setSort("CostPrice DESC").ok());
    QVERIFY(m_goods->setFilter("flag=1").ok());
    QVERIFY(m_goods->setFiltered(true).ok());
    m_goods->setFieldOrder({"lkCata", "flag", "Description", "CostPrice"});
    QCOMPARE(m_goods->field(0).name(), QString("lkCata"));
    QVERIFY(m_goods->refresh().ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), (IdList{3, 5, 1}));

    // A query given a statement with other columns: names that are gone leave the sort
    // and filter inactive instead of reading another column.
    QueryDataset q(m_books->db, "q", "SELECT GoodID, CostPrice, flag FROM Goods");
    QVERIFY(q.setSort("CostPrice DESC").ok());
    QVERIFY(q.setFilter("flag = 1").ok());
    QVERIFY(q.setFiltered(true).ok());
    QVERIFY(q.open().ok());
    QCOMPARE(test::ids(q, "GoodID"), (IdList{3, 5, 1}));
    q.close();
    q.setSql("SELECT Description, GoodID FROM Goods");
    QVERIFY(q.open().ok());
    QCOMPARE(q.fieldCount(), 2);
    QCOMPARE(test::ids(q, "GoodID"), (IdList{1, 2, 3, 4, 5, 6}));
    QVERIFY(q.lastError().failed());
    q.close();
    q.setSql("SELECT flag, CostPrice, GoodID FROM Goods");
    QVERIFY(q.open().ok());
    QCOMPARE(test::ids(q, "GoodID"), (IdList{3, 5, 1})); // both apply again
}

void TestDatasetFilter::locate_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<int>("options");
    QTest::addColumn<qint64>("expected"); // -1: not found, cursor stays
    QTest::newRow("one field") << QStringList{"GoodID"} << QVariantList{4} << 0 << qint64(4);
    QTest::newRow("number as text") << QStringList{"GoodID"} << QVariantList{"5"} << 0 << qint64(5);
    QTest::newRow("two fields") << QStringList{"CataID", "UnitID"} << QVariantList{3, 2} << 0 << qint64(2);
    QTest::newRow("exact is case-sensitive") << QStringList{"Description"} << QVariantList{"apple"} << 0 << qint64(6);
    QTest::newRow("no match") << QStringList{"Description"} << QVariantList{"APPLE"} << 0 << qint64(-1);
    QTest::newRow("case-insensitive") << QStringList{"Description"} << QVariantList{"APPLE"}
                                      << int(Dataset::CaseInsensitive) << qint64(1);
    QTest::newRow("partial") << QStringList{"Description"} << QVariantList{"Ch"} << int(Dataset::PartialKey)
                             << qint64(3);
    QTest::newRow("partial, case-insensitive") << QStringList{"Description"} << QVariantList{"BAN"}
                                               << int(Dataset::PartialKey | Dataset::CaseInsensitive) << qint64(2);
    QTest::newRow("NULL") << QStringList{"CataID"} << QVariantList{QVariant()} << 0 << qint64(5);
    QTest::newRow("unknown field") << QStringList{"Nope"} << QVariantList{1} << 0 << qint64(-1);
}

void TestDatasetFilter::locate()
{
    QFETCH(QStringList, fields);
    QFETCH(QVariantList, values);
    QFETCH(int, options);
    QFETCH(qint64, expected);
    m_goods->last();
    const bool found = m_goods->locate(fields, values, Dataset::LocateOptions(options));
    QCOMPARE(found, expected >= 0);
    QCOMPARE(m_goods->value("GoodID").toLongLong(), expected >= 0 ? expected : 6);
}

void TestDatasetFilter::bookmarkSurvivesSortAndFilter()
{
    QVERIFY(m_goods->locate("GoodID", 3));
    const Bookmark mark = m_goods->bookmark();
    QVERIFY(m_goods->setSort("Description DESC").ok());
    QCOMPARE(m_goods->value("GoodID").toInt(), 3); // the cursor stays on its row
    m_goods->first();
    QVERIFY(m_goods->gotoBookmark(mark));
    QCOMPARE(m_goods->value("GoodID").toInt(), 3);

    QVERIFY(m_goods->setFilter("InUse").ok());
    QVERIFY(m_goods->setFiltered(true).ok());
    QVERIFY(!m_goods->bookmarkValid(mark)); // filtered out: no row to go to
    QVERIFY(!m_goods->gotoBookmark(mark));
    QVERIFY(m_goods->setFiltered(false).ok());
    QVERIFY(m_goods->gotoBookmark(mark));
    QCOMPARE(m_goods->value("GoodID").toInt(), 3);

    // A reload makes new row objects: the bookmark finds the row by its rowid.
    QVERIFY(m_goods->refresh().ok());
    m_goods->first();
    QVERIFY(m_goods->gotoBookmark(mark));
    QCOMPARE(m_goods->value("GoodID").toInt(), 3);
}

void TestDatasetFilter::rowidFilter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<IdList>("rowids");
    QTest::addColumn<IdList>("expected");
    QTest::newRow("rows of the set in load order, a missing one ignored") << "" << IdList{5, 1, 3, 99} << IdList{1, 3, 5};
    QTest::newRow("and the filter text") << "CataID=3" << IdList{1, 2, 3} << IdList{1, 2};
    QTest::newRow("empty set shows nothing") << "" << IdList{} << IdList{};
}

void TestDatasetFilter::rowidFilter()
{
    QFETCH(QString, text);
    QFETCH(IdList, rowids);
    QFETCH(IdList, expected);
    QVERIFY(m_goods->setFilter(text).ok());
    QVERIFY(m_goods->setRowidFilter(QSet<qint64>(rowids.begin(), rowids.end())).ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), (IdList{1, 2, 3, 4, 5, 6})); // not filtered yet
    QVERIFY(m_goods->setFiltered(true).ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), expected);
    QCOMPARE(m_goods->recNo(), expected.isEmpty() ? 0 : 1);
    // Off and on again: the set is kept; lifted: the text alone.
    QVERIFY(m_goods->setFiltered(false).ok());
    QCOMPARE(m_goods->rowCount(), 6);
    QVERIFY(m_goods->setFiltered(true).ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), expected);
    QVERIFY(m_goods->setRowidFilter(std::nullopt).ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), text.isEmpty() ? (IdList{1, 2, 3, 4, 5, 6}) : (IdList{1, 2, 6}));
}

void TestDatasetFilter::rowidFilterTakesRowsReadAgain()
{
    QVERIFY(m_goods->setRowidFilter(QSet<qint64>{2, 7}).ok());
    QVERIFY(m_goods->setFiltered(true).ok());
    QCOMPARE(test::ids(*m_goods, "GoodID"), IdList{2});
    QVERIFY(!m_goods->holdsRowid(7));
    // Another program adds goods 7 and 8: read again, the one in the set shows.
    m_books->exec("INSERT INTO Goods (GoodID, Description) VALUES (7, 'Fig'), (8, 'Kiwi')");
    QVERIFY(m_goods->refreshRows({7, 8}).ok());
    QVERIFY(m_goods->holdsRowid(7) && m_goods->holdsRowid(8));
    QCOMPARE(test::ids(*m_goods, "GoodID"), (IdList{2, 7}));
    QVERIFY(m_goods->setFiltered(false).ok());
    QCOMPARE(m_goods->rowCount(), 8);
}

void TestDatasetFilter::parsedOnceEvaluatedPerRow()
{
    QString error;
    auto expr = FilterExpression::parse("A = 1 and (B > 'x' or not C)", &error);
    QVERIFY2(expr, qPrintable(error));
    const QStringList names{"a", "b", "c"};
    QVERIFY(expr->bind([&](const QString &n) { return int(names.indexOf(n.toLower())); }, &error));
    const QList<QVariantList> rows{{1, "y", 1}, {1, "a", 0}, {2, "z", 0}, {1, "a", 1}, {QVariant(), "z", 0}};
    const QList<bool> expected{true, true, false, false, false};
    for (int i = 0; i < rows.size(); ++i) {
        const bool got = expr->matches([&](int f) { return rows[i][f]; }, Qt::CaseSensitive);
        QCOMPARE(got, expected[i]);
    }
}

QTEST_GUILESS_MAIN(TestDatasetFilter)
#include "test_datasetfilter.moc"
