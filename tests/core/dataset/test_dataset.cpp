// Datasets over a real account set: fields, lookups, calculations, states and posting,
// transactions, batch updates, master links, refresh, open cascades and the open loop.
#include "core/dataset/datasetregistry.h"
#include "core/db/refusals.h"
#include "datasetfixture.h"

#include <QSignalSpy>

using namespace hemu;
using IdList = QList<qint64>;

class TestDataset : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultFieldsFromTable();
    void declaredFieldsAndExcludedColumns();
    void lookupFields();
    void calculatedFieldsCountNullAsZero_data();
    void calculatedFieldsCountNullAsZero();
    void displayText();

    void cursorMoves();
    void stateMisuseReturnsErrors_data();
    void stateMisuseReturnsErrors();
    void assignmentValidation_data();
    void assignmentValidation();
    void validatorMayRefuseAndCancel();
    void insertReadsBackKeyAndDefaults();
    void editWritesOnlyChangedColumns();
    void changingIntegerPrimaryKeyMovesRow();
    void deleteRow();
    void hooksRefuseSilently();
    void failedPostKeepsRowPending();
    void postErrorHookCanCancel();
    void postInsideRolledBackTransaction();
    void postInsideCommittedTransaction();
    void onPostWriteRunsInsideThePost();
    void onDeleteWriteRunsInsideTheDelete();

    void batchApplyAndCancel();
    void batchSendsOnlyChangedColumns_data();
    void batchSendsOnlyChangedColumns();
    void batchApplyFailureKeepsChanges();
    void batchApplyInsideRolledBackTransaction();

    void masterLinkFollowsMaster();
    void masterLinkFillsNewRows();
    void masterLinkOpensAndClosesWithMaster();
    void detailPostedWhenMasterMoves();

    void refreshKeepsCurrentRow();
    void refreshRowsRereadsChangedRows();
    void openDependenciesCascade();
    void registryOpenLoop();
    void queryDatasetWithParameters();
    void rowsMadeByCode();
    void disableControlsEmitsOneReset();

private:
    std::unique_ptr<test::DatasetBooks> m_books;
};

void TestDataset::init()
{
    m_books = std::make_unique<test::DatasetBooks>();
    m_books->addGoods();
}

void TestDataset::cleanup()
{
    m_books.reset();
}

void TestDataset::defaultFieldsFromTable()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QCOMPARE(goods.kindName(), QString("TADOTable"));
    QCOMPARE(goods.name(), QString("Goods"));
    QCOMPARE(goods.state(), Dataset::State::Inactive);
    QVERIFY(goods.open().ok());
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(goods.fieldCount(), 27); // every column, no rowid
    QVERIFY(!goods.findField("rowid"));
    QCOMPARE(goods.field(0).name(), QString("GoodID"));
    QCOMPARE(goods.fieldByName("description").name(), QString("Description"));
    QCOMPARE(goods.fieldByName("GOODID").dataType(), DataType::Integer);
    QCOMPARE(goods.fieldByName("CostPrice").dataType(), DataType::Float);
    QCOMPARE(goods.fieldByName("Description").dataType(), DataType::Text);
    QCOMPARE(goods.fieldByName("CostPrice").declaredType(), QString("REAL"));
    QVERIFY(!goods.fieldByName("NoSuch").isValid());
    QVERIFY(goods.fieldByName("NoSuch").setValue(1).failed());
    QCOMPARE(goods.rowCount(), 6);
    QCOMPARE(goods.currentRowid(), 1); // INTEGER PRIMARY KEY: rowid is the key

    // Settings made after the first open survive a reopen.
    goods.fieldByName("Description").setCaption("品名|规格");
    goods.fieldByName("CustID").setVisible(false);
    goods.close();
    QVERIFY(goods.open().ok());
    QCOMPARE(goods.fieldByName("Description").caption(), QString("品名|规格"));
    QVERIFY(!goods.fieldByName("CustID").isVisible());
    QCOMPARE(goods.visibleFields().size(), 26);

    // Before an open, initFields() makes the fields available for setting up.
    TableDataset units(m_books->db, "Units", "Units");
    QVERIFY(units.initFields().ok());
    QCOMPARE(units.fieldCount(), 2);
    QVERIFY(!units.isOpen());
}

void TestDataset::declaredFieldsAndExcludedColumns()
{
    TableDataset lk(m_books->db, "lkGoods", "Goods");
    lk.addDataFields({"GoodID", "CataID", "Description", "PrevOnHand", "HandInc", "CustHandInc"});
    lk.addCalcField("OnHand", calc::sum({"PrevOnHand", "HandInc"}, {"CustHandInc"}));
    QVERIFY(lk.open().ok());
    QCOMPARE(lk.fieldCount(), 7);
    QCOMPARE(lk.field(2).name(), QString("Description"));
    QCOMPARE(lk.field(6).name(), QString("OnHand"));
    QVERIFY(lk.field(6).isCalculated());

    TableDataset goods(m_books->db, "Goods", "Goods");
    goods.setExcludedColumns({"VendorID", "DiffCheck"});
    QVERIFY(goods.open().ok());
    QCOMPARE(goods.fieldCount(), 25);
    QVERIFY(!goods.findField("VendorID"));

    TableDataset bad(m_books->db, "Bad", "Goods");
    bad.addDataField("NoSuchColumn");
    const DatasetError e = bad.open();
    QCOMPARE(e.code(), DatasetError::Code::Definition);
    QVERIFY(e.message().contains("NoSuchColumn"));
    QVERIFY(!bad.isOpen());

    TableDataset missing(m_books->db, "Missing", "NoSuchTable");
    QCOMPARE(missing.open().code(), DatasetError::Code::Definition);
}

void TestDataset::lookupFields()
{
    TableDataset cata(m_books->db, "Cata", "Catalogs");
    TableDataset units(m_books->db, "Units", "Units");
    TableDataset lkGoods(m_books->db, "lkGoods", "Goods");
    lkGoods.addDataFields({"GoodID", "Description", "UnitID"});
    TableDataset mx(m_books->db, "RuKuMx", "RuKuMx");
    mx.addLookupField("Description", &lkGoods, "GoodID", "Description", "GoodID");
    mx.addLookupField("lkUnitID", &lkGoods, "GoodID", "UnitID", "GoodID");
    mx.addLookupField("lkUnit", &units, "UnitID", "Unit", "lkUnitID"); // a lookup keyed by a lookup
    TableDataset goods(m_books->db, "Goods", "Goods");
    goods.addLookupField("lkCata", &cata, "CataID", "Catalog", "CataID");

    m_books->addBills();
    m_books->exec("INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (3, 1, 99, 1, 1)");
    // The details open before their lookup sources, as bill views may.
    for (Dataset *d : {static_cast<Dataset *>(&mx), static_cast<Dataset *>(&goods), static_cast<Dataset *>(&cata),
                       static_cast<Dataset *>(&units), static_cast<Dataset *>(&lkGoods)})
        QVERIFY(d->open().ok());

    QCOMPARE(test::column(goods, "lkCata"), (QVariantList{"水果", "水果", "蔬菜", "蔬菜", QVariant(), "水果"}));
    QVERIFY(goods.fieldByName("lkCata").isReadOnly());
    QVERIFY(goods.fieldByName("lkCata").isLookup());
    QCOMPARE(goods.fieldByName("lkCata").dataType(), DataType::Text);
    QCOMPARE(mx.fieldByName("lkUnitID").dataType(), DataType::Integer); // typed although lkGoods opened later
    // Goods 4 has unit 9, which does not exist; goods 99 does not exist at all.
    QCOMPARE(test::column(mx, "Description"), (QVariantList{"Apple", "banana", "Cherry", QVariant()}));
    QCOMPARE(test::column(mx, "lkUnit"), (QVariantList{"个", "箱", "个", QVariant()}));
    QCOMPARE(mx.displayText(3, mx.fieldIndex("lkUnit")), QString());

    // A category deleted elsewhere shows empty after its view is re-read.
    m_books->exec("DELETE FROM Catalogs WHERE CataID = 5");
    QVERIFY(cata.refresh().ok());
    QCOMPARE(test::column(goods, "lkCata").at(2), QVariant());

    // The lookup source's filter does not hide names from the lookups.
    QVERIFY(lkGoods.setFilter("GoodID = 2").ok());
    QVERIFY(lkGoods.setFiltered(true).ok());
    QCOMPARE(test::column(mx, "Description").at(0), QVariant("Apple"));
    QCOMPARE(lkGoods.lookup({"GoodID"}, {3}, "Description"), QVariant("Cherry"));
    QCOMPARE(lkGoods.lookup({"GoodID"}, {42}, "Description"), QVariant());

    // A closed source gives empty values.
    lkGoods.close();
    QCOMPARE(test::column(mx, "Description").at(0), QVariant());
}

void TestDataset::calculatedFieldsCountNullAsZero_data()
{
    QTest::addColumn<qint64>("good");
    QTest::addColumn<double>("sum");     // CostPrice + TaxRate - HardOrder
    QTest::addColumn<double>("product"); // CostPrice * TaxRate
    QTest::newRow("all present") << qint64(1) << 0.0 << 0.75;
    QTest::newRow("NULL tax") << qint64(2) << 9.0 << 0.0;
    QTest::newRow("NULL order") << qint64(3) << 10.0 << 9.0;
    QTest::newRow("NULL price and tax") << qint64(4) << -3.0 << 0.0;
}

void TestDataset::calculatedFieldsCountNullAsZero()
{
    QFETCH(qint64, good);
    QFETCH(double, sum);
    QFETCH(double, product);
    TableDataset goods(m_books->db, "Goods", "Goods");
    goods.addCalcField("S", calc::sum({"CostPrice", "TaxRate"}, {"HardOrder"}));
    goods.addCalcField("P", calc::product({"CostPrice", "TaxRate"}));
    goods.addCalcField("Custom", [](const RecordRef &r) { return r.isNull("CataID") ? QVariant("none") : r.value("CataID"); },
                       DataType::Text);
    goods.addCalcField("FromHook");
    goods.hooks().onCalcFields = [](const RecordRef &r, const Field &f) -> QVariant {
        return f.name() == "FromHook" ? QVariant(r.number("GoodID") * 100) : QVariant();
    };
    QVERIFY(goods.open().ok());
    QVERIFY(goods.locate("GoodID", good));
    QCOMPARE(goods.fieldByName("S").asFloat(), sum);
    QCOMPARE(goods.fieldByName("P").asFloat(), product);
    QCOMPARE(goods.fieldByName("FromHook").asFloat(), double(good) * 100);
    QVERIFY(goods.fieldByName("S").isReadOnly());
    QVERIFY(goods.fieldByName("S").setValue(1).failed());

    // Calculations follow the pending values while editing.
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue("CostPrice", 100).ok());
    QVERIFY(goods.setValue("TaxRate", QVariant()).ok());
    QCOMPARE(goods.fieldByName("S").asFloat(), 100.0 - nullAsZero(goods.value("HardOrder")));
    QCOMPARE(goods.value(goods.currentRow(), goods.fieldIndex("P")).toDouble(), 0.0);
    QVERIFY(goods.cancel().ok());
    QCOMPARE(goods.fieldByName("S").asFloat(), sum);

    m_books->exec("UPDATE Goods SET CataID = NULL WHERE GoodID = ?", {good});
    QVERIFY(goods.refreshRow(good).ok());
    QCOMPARE(goods.fieldByName("Custom").value(), QVariant("none"));
}

void TestDataset::displayText()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.open().ok());
    Field &cost = goods.fieldByName("CostPrice");
    const int c = cost.index();
    QCOMPARE(goods.displayText(0, c), QString("1.5"));
    cost.setDisplayFormat("0.00");
    QCOMPARE(cost.displayFormat(), QString("0.00"));
    QCOMPARE(goods.displayText(0, c), QString("1.50"));
    QCOMPARE(goods.displayText(3, c), QString()); // NULL
    Field &inUse = goods.fieldByName("InUse");
    inUse.setDataType(DataType::Boolean);
    QCOMPARE(goods.value(3, inUse.index()), QVariant(true));
    QCOMPARE(goods.displayText(0, inUse.index()), QString("否"));
    inUse.setBooleanTexts("√", "");
    QCOMPARE(goods.displayText(3, inUse.index()), QString("√"));
    QCOMPARE(goods.displayText(0, inUse.index()), QString());
    goods.fieldByName("Description").setDisplayFunction([](const QVariant &v) { return "<" + v.toString() + ">"; });
    QCOMPARE(goods.displayText(1, goods.fieldIndex("Description")), QString("<banana>"));
    // Any row or field index is safe to ask for.
    QCOMPARE(goods.value(99, 0), QVariant());
    QCOMPARE(goods.displayText(0, 99), QString());
    QCOMPARE(goods.value(-1, -1), QVariant());
}

void TestDataset::cursorMoves()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QSignalSpy scrolls(&goods, &Dataset::currentChanged);
    int afterScroll = 0;
    goods.hooks().afterScroll = [&](Dataset &) { ++afterScroll; };
    QVERIFY(goods.open().ok());
    QVERIFY(goods.bof());
    QVERIFY(!goods.eof());
    QCOMPARE(goods.recNo(), 1);
    IdList seen;
    for (goods.first(); !goods.eof(); goods.next())
        seen.append(goods.fieldByName("GoodID").asInteger());
    QCOMPARE(seen, (IdList{1, 2, 3, 4, 5, 6}));
    QCOMPARE(goods.recNo(), 6);
    goods.prior();
    QCOMPARE(goods.recNo(), 5);
    QVERIFY(!goods.bof() && !goods.eof());
    goods.first();
    goods.prior();
    QVERIFY(goods.bof());
    QCOMPARE(goods.recNo(), 1);
    goods.last();
    QVERIFY(goods.eof());
    QVERIFY(goods.setRecNo(3));
    QCOMPARE(goods.fieldByName("GoodID").asInteger(), 3);
    QVERIFY(!goods.setCurrentRow(6));
    QVERIFY(scrolls.count() > 0);
    QVERIFY(afterScroll > 0);

    // An empty view.
    QVERIFY(goods.setFilter("GoodID > 100").ok());
    QVERIFY(goods.setFiltered(true).ok());
    QVERIFY(goods.isEmpty());
    QVERIFY(goods.bof() && goods.eof());
    QCOMPARE(goods.recNo(), 0);
    QCOMPARE(goods.fieldByName("GoodID").value(), QVariant());
    goods.next();
    goods.prior();
    QCOMPARE(goods.currentRow(), -1);
}

void TestDataset::stateMisuseReturnsErrors_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("open");
    QTest::newRow("post while browsing") << "post" << true;
    QTest::newRow("assign while browsing") << "assign" << true;
    QTest::newRow("edit while closed") << "edit" << false;
    QTest::newRow("append while closed") << "append" << false;
    QTest::newRow("delete while closed") << "remove" << false;
    QTest::newRow("post while closed") << "post" << false;
    QTest::newRow("refresh while closed") << "refresh" << false;
    QTest::newRow("assign while closed") << "assign" << false;
    QTest::newRow("apply while closed") << "apply" << false;
}

void TestDataset::stateMisuseReturnsErrors()
{
    QFETCH(QString, action);
    QFETCH(bool, open);
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.initFields().ok());
    if (open)
        QVERIFY(goods.open().ok());
    const Dataset::State before = goods.state();
    DatasetError e;
    if (action == "post")
        e = goods.post();
    else if (action == "assign")
        e = goods.setValue("Description", "x");
    else if (action == "edit")
        e = goods.edit();
    else if (action == "append")
        e = goods.append();
    else if (action == "remove")
        e = goods.remove();
    else if (action == "refresh")
        e = goods.refresh();
    else if (action == "apply")
        e = goods.applyUpdates();
    QCOMPARE(e.code(), DatasetError::Code::State);
    QVERIFY(!e.message().isEmpty());
    QVERIFY(e.message().contains("Goods"));
    QCOMPARE(goods.state(), before);
    QCOMPARE(goods.lastError().message(), e.message());
    QCOMPARE(m_books->scalar("SELECT Description FROM Goods WHERE GoodID = 1").toString(), QString("Apple"));
}

void TestDataset::assignmentValidation_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("text into integer") << "HardOrder" << QVariant("abc") << false << QVariant();
    QTest::newRow("fraction into integer") << "HardOrder" << QVariant(1.5) << false << QVariant();
    QTest::newRow("digits into integer") << "HardOrder" << QVariant(" 12 ") << true << QVariant(qlonglong(12));
    QTest::newRow("integral double into integer") << "HardOrder" << QVariant(7.0) << true << QVariant(qlonglong(7));
    QTest::newRow("empty text into integer is NULL") << "HardOrder" << QVariant("") << true << QVariant();
    QTest::newRow("text into float") << "CostPrice" << QVariant("1,5") << false << QVariant();
    QTest::newRow("number text into float") << "CostPrice" << QVariant("2.75") << true << QVariant(2.75);
    QTest::newRow("too long text") << "Description" << QVariant("一二三四五六") << false << QVariant();
    QTest::newRow("text at max length") << "Description" << QVariant("一二三四五") << true << QVariant("一二三四五");
    QTest::newRow("read-only field") << "GoodID" << QVariant(77) << false << QVariant();
    QTest::newRow("boolean from true") << "InUse" << QVariant(true) << true << QVariant(true);
    QTest::newRow("boolean from text") << "InUse" << QVariant("maybe") << false << QVariant();
    QTest::newRow("date normalised") << "EnterDate" << QVariant("2026-5-9") << true << QVariant("2026-05-09");
    QTest::newRow("date from QDate") << "EnterDate" << QVariant(QDate(2026, 1, 2)) << true << QVariant("2026-01-02");
    QTest::newRow("bad date") << "EnterDate" << QVariant("2026-13-40") << false << QVariant();
}

void TestDataset::assignmentValidation()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    QFETCH(QVariant, stored);
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.open().ok());
    goods.fieldByName("Description").setMaxLength(5);
    goods.fieldByName("GoodID").setReadOnly(true);
    goods.fieldByName("InUse").setDataType(DataType::Boolean);
    goods.fieldByName("EnterDate").setDataType(DataType::Date);
    QVERIFY(goods.locate("GoodID", 4));
    QVERIFY(goods.edit().ok());
    const QVariant before = goods.value(field);
    const DatasetError e = goods.setValue(field, value);
    QCOMPARE(e.ok(), accepted);
    if (!accepted) {
        QCOMPARE(e.code(), DatasetError::Code::Validation);
        QVERIFY(e.message().contains(field) || e.message().contains(goods.fieldByName(field).displayLabel()));
        QCOMPARE(goods.value(field), before); // the pending value is untouched
        QCOMPARE(goods.state(), Dataset::State::Edit);
        QVERIFY(!goods.isModified());
        return;
    }
    QCOMPARE(goods.value(field), stored);
    QVERIFY(goods.post().ok());
    QCOMPARE(goods.value(field), stored); // as read back from the file
}

void TestDataset::validatorMayRefuseAndCancel()
{
    // The price rule: a negative price cancels the whole pending row.
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.open().ok());
    int changes = 0;
    goods.fieldByName("CostPrice").setValidator([](Field &f, const QVariant &v) {
        if (v.toDouble() < 0) {
            f.dataset()->cancel();
            return false;
        }
        return true;
    });
    goods.fieldByName("CostPrice").setOnChange([&](Field &) { ++changes; });
    QVERIFY(goods.append().ok());
    QVERIFY(goods.setValue("Description", "new").ok());
    QCOMPARE(goods.rowCount(), 7);
    const DatasetError e = goods.setValue("CostPrice", -1);
    QVERIFY(e.isRefused());
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(goods.rowCount(), 6);
    QCOMPARE(changes, 0);

    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue("CostPrice", 0).ok());
    QCOMPARE(changes, 1);
}

void TestDataset::insertReadsBackKeyAndDefaults()
{
    TableDataset cata(m_books->db, "Cata", "Catalogs");
    TableDataset goods(m_books->db, "Goods", "Goods");
    int newRecord = 0;
    goods.hooks().onNewRecord = [&](Dataset &ds) {
        ++newRecord;
        ds.setValue("CustID", 0);
    };
    QVERIFY(cata.open().ok());
    QVERIFY(goods.open().ok());
    QVERIFY(goods.setSort("Description DESC").ok());

    // An AUTOINCREMENT key comes back from the file.
    QVERIFY(cata.append().ok());
    QCOMPARE(cata.state(), Dataset::State::Insert);
    QVERIFY(cata.isPendingRow(cata.currentRow()));
    QVERIFY(cata.setValue("Catalog", "干货").ok());
    QVERIFY(cata.post().ok());
    QCOMPARE(cata.fieldByName("CataID").asInteger(), 6);
    QCOMPARE(cata.currentRowid(), 6);
    QCOMPARE(m_books->scalar("SELECT Catalog FROM Catalogs WHERE CataID = 6").toString(), QString("干货"));

    // Only the assigned columns are named: the counters take the table's defaults.
    QVERIFY(goods.locate("GoodID", 3));
    QVERIFY(goods.insert().ok());
    QCOMPARE(newRecord, 1);
    QVERIFY(!goods.isModified()); // defaults are not user changes
    QCOMPARE(goods.fieldByName("CustID").value(), QVariant(qlonglong(0)));
    QVERIFY(goods.setValue("GoodID", 20).ok()); // an explicit key is written as given
    QVERIFY(goods.setValue("Description", "Date").ok());
    QVERIFY(goods.isModified());
    const int at = goods.currentRow();
    QVERIFY(goods.post().ok());
    QCOMPARE(goods.currentRow(), at); // the new row stays where it was typed
    QCOMPARE(goods.fieldByName("HandInc").value(), QVariant(0.0));
    QCOMPARE(goods.fieldByName("flag").value(), QVariant(qlonglong(0)));
    QCOMPARE(goods.currentRowid(), 20);
    QCOMPARE(goods.rowCount(), 7);
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Goods").toInt(), 7);

    // A new row without any change is dropped when the cursor leaves it.
    QVERIFY(goods.append().ok());
    QCOMPARE(goods.rowCount(), 8);
    goods.first();
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QCOMPARE(goods.rowCount(), 7);
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Goods").toInt(), 7);

    // Editing an empty view starts a new row, as grids expect.
    QVERIFY(goods.setFilter("GoodID > 100").ok());
    QVERIFY(goods.setFiltered(true).ok());
    QVERIFY(goods.edit().ok());
    QCOMPARE(goods.state(), Dataset::State::Insert);
    QVERIFY(goods.cancel().ok());
    QVERIFY(goods.isEmpty());
}

void TestDataset::editWritesOnlyChangedColumns()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.open().ok());
    QVERIFY(goods.locate("GoodID", 2));
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue("Description", "香蕉").ok());
    // Meanwhile a posting raises the counter by an SQL increment.
    m_books->exec("UPDATE Goods SET HandInc = HandInc + 5 WHERE GoodID = 2");
    QCOMPARE(goods.fieldByName("HandInc").oldValue(), QVariant(0.0));
    QVERIFY(goods.post().ok());
    QCOMPARE(m_books->scalar("SELECT HandInc FROM Goods WHERE GoodID = 2").toDouble(), 5.0);
    QCOMPARE(m_books->scalar("SELECT Description FROM Goods WHERE GoodID = 2").toString(), QString("香蕉"));
    // The row read back after the write shows the file's values.
    QCOMPARE(goods.fieldByName("HandInc").asFloat(), 5.0);

    // An edit without changes writes nothing and ends the edit.
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.post().ok());
    QCOMPARE(goods.state(), Dataset::State::Browse);
}

void TestDataset::changingIntegerPrimaryKeyMovesRow()
{
    TableDataset units(m_books->db, "Units", "Units");
    QVERIFY(units.open().ok());
    QVERIFY(units.locate("UnitID", 2));
    QVERIFY(units.edit().ok());
    QVERIFY(units.setValue("UnitID", 5).ok());
    QVERIFY(units.post().ok());
    QCOMPARE(units.currentRowid(), 5);
    QCOMPARE(m_books->scalar("SELECT Unit FROM Units WHERE UnitID = 5").toString(), QString("箱"));
    // Further edits reach the moved row.
    QVERIFY(units.edit().ok());
    QVERIFY(units.setValue("Unit", "盒").ok());
    QVERIFY(units.post().ok());
    QCOMPARE(m_books->scalar("SELECT Unit FROM Units WHERE UnitID = 5").toString(), QString("盒"));
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Units").toInt(), 2);
}

void TestDataset::deleteRow()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    int afterDelete = 0;
    goods.hooks().afterDelete = [&](Dataset &) { ++afterDelete; };
    QVERIFY(goods.open().ok());
    QSignalSpy removed(&goods, &Dataset::rowRemoved);
    QVERIFY(goods.locate("GoodID", 6));
    QVERIFY(goods.remove().ok());
    QCOMPARE(afterDelete, 1);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toInt(), 5);
    QCOMPARE(goods.rowCount(), 5);
    QCOMPARE(goods.fieldByName("GoodID").asInteger(), 5); // the last row became current
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Goods WHERE GoodID = 6").toInt(), 0);
    QVERIFY(goods.locate("GoodID", 2));
    QVERIFY(goods.remove().ok());
    QCOMPARE(goods.fieldByName("GoodID").asInteger(), 3); // the next row became current

    // Deleting in insert state drops the new row only.
    QVERIFY(goods.append().ok());
    QVERIFY(goods.remove().ok());
    QCOMPARE(goods.rowCount(), 4);
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Goods").toInt(), 4);
}

void TestDataset::hooksRefuseSilently()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QStringList calls;
    goods.hooks().beforeDelete = [&](Dataset &) { calls << "beforeDelete"; return false; };
    goods.hooks().beforeEdit = [&](Dataset &ds) {
        calls << "beforeEdit:" + ds.value("Description").toString();
        return ds.value("GoodID").toInt() != 3;
    };
    goods.hooks().beforePost = [&](Dataset &ds) { calls << "beforePost"; return ds.value("CostPrice").toDouble() >= 0; };
    goods.hooks().afterPost = [&](Dataset &) { calls << "afterPost"; };
    goods.hooks().beforeInsert = [&](Dataset &) { calls << "beforeInsert"; return false; };
    goods.hooks().afterCancel = [&](Dataset &) { calls << "afterCancel"; };
    QVERIFY(goods.open().ok());

    QVERIFY(goods.remove().isRefused());
    QCOMPARE(goods.rowCount(), 6);
    QVERIFY(goods.append().isRefused());
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QVERIFY(goods.locate("GoodID", 3));
    QVERIFY(goods.edit().isRefused());
    QCOMPARE(goods.state(), Dataset::State::Browse);
    QVERIFY(goods.locate("GoodID", 1));
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue("CostPrice", -2).ok());
    QVERIFY(goods.post().isRefused());
    QCOMPARE(goods.state(), Dataset::State::Edit); // still pending, the caller decides
    QVERIFY(goods.cancel().ok());
    QCOMPARE(m_books->scalar("SELECT CostPrice FROM Goods WHERE GoodID = 1").toDouble(), 1.5);
    QCOMPARE(calls, (QStringList{"beforeDelete", "beforeInsert", "beforeEdit:Cherry", "beforeEdit:Apple", "beforePost",
                                 "afterCancel"}));
}

void TestDataset::failedPostKeepsRowPending()
{
    TableDataset units(m_books->db, "Units", "Units");
    QSqlError seen;
    units.hooks().onPostError = [&](Dataset &, const QSqlError &e) {
        seen = e;
        return false; // not handled: the caller reports it
    };
    QVERIFY(units.open().ok());
    QVERIFY(units.append().ok());
    QVERIFY(units.setValue("UnitID", 2).ok()); // taken
    QVERIFY(units.setValue("Unit", "件").ok());
    const DatasetError e = units.post();
    QCOMPARE(e.code(), DatasetError::Code::Database);
    QCOMPARE(e.message(), QString("代码重复，请重新录入。"));
    QVERIFY(!e.isReported());
    QCOMPARE(refusalMessage(seen), QString("代码重复，请重新录入。"));
    QCOMPARE(units.state(), Dataset::State::Insert);
    QCOMPARE(units.value("UnitID"), QVariant(qlonglong(2)));
    QCOMPARE(units.value("Unit"), QVariant("件"));
    QCOMPARE(units.rowCount(), 3); // the two stored rows and the pending one
    QCOMPARE(m_books->db.transactionDepth(), 0);

    // The user corrects the key and posts again.
    QVERIFY(units.setValue("UnitID", 3).ok());
    QVERIFY(units.post().ok());
    QCOMPARE(m_books->scalar("SELECT Unit FROM Units WHERE UnitID = 3").toString(), QString("件"));

    // A failed edit keeps the pending values and the stored row as it was.
    QVERIFY(units.locate("UnitID", 3));
    QVERIFY(units.edit().ok());
    QVERIFY(units.setValue("UnitID", 1).ok());
    QVERIFY(units.post().failed());
    QCOMPARE(units.state(), Dataset::State::Edit);
    QCOMPARE(units.value("UnitID"), QVariant(qlonglong(1)));
    QCOMPARE(units.fieldByName("UnitID").oldValue(), QVariant(qlonglong(3)));
    QVERIFY(units.cancel().ok());
    QCOMPARE(test::ids(units, "UnitID"), (IdList{1, 2, 3}));
}

void TestDataset::postErrorHookCanCancel()
{
    TableDataset units(m_books->db, "Units", "Units");
    QStringList shown;
    units.hooks().onPostError = [&](Dataset &ds, const QSqlError &e) {
        shown << refusalMessage(e);
        ds.cancel();
        return true;
    };
    QVERIFY(units.open().ok());
    QVERIFY(units.append().ok());
    QVERIFY(units.setValue("UnitID", 1).ok());
    const DatasetError e = units.post();
    QVERIFY(e.failed());
    QVERIFY(e.isReported());
    QCOMPARE(shown, QStringList{"代码重复，请重新录入。"});
    QCOMPARE(units.state(), Dataset::State::Browse);
    QCOMPARE(units.rowCount(), 2);
}

void TestDataset::postInsideRolledBackTransaction()
{
    TableDataset units(m_books->db, "Units", "Units");
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(units.open().ok());
    QVERIFY(goods.open().ok());
    const QStringList unitsBefore = test::dump(units);
    const QStringList goodsBefore = test::dump(goods);
    {
        Transaction tx(m_books->db);
        QVERIFY(tx.isActive());
        QVERIFY(units.edit().ok());
        QVERIFY(units.setValue("Unit", "只").ok());
        QVERIFY(units.post().ok());
        QVERIFY(units.append().ok());
        QVERIFY(units.setValue("UnitID", 7).ok());
        QVERIFY(units.post().ok());
        QVERIFY(goods.locate("GoodID", 3));
        QVERIFY(goods.remove().ok());
        m_books->exec("UPDATE Goods SET HandInc = HandInc + 1 WHERE GoodID = 1");
        QVERIFY(goods.refreshRow(1).ok());
        QCOMPARE(goods.rowCount(), 5);
        QCOMPARE(units.rowCount(), 3);
        QCOMPARE(m_books->db.transactionDepth(), 1); // the posts joined the open transaction
        tx.rollback();
    }
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Units").toInt(), 2);
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Goods").toInt(), 6);
    QCOMPARE(test::dump(units), unitsBefore);
    QCOMPARE(test::dump(goods), goodsBefore);
    QCOMPARE(units.state(), Dataset::State::Browse);

    // Rows read again inside a rolled-back transaction are read once more afterwards.
    {
        Transaction tx(m_books->db);
        m_books->exec("UPDATE Units SET Unit = 'x'");
        QVERIFY(units.refresh().ok());
        QCOMPARE(units.value("Unit"), QVariant("x"));
    }
    QCOMPARE(test::dump(units), unitsBefore);
}

void TestDataset::postInsideCommittedTransaction()
{
    TableDataset units(m_books->db, "Units", "Units");
    QVERIFY(units.open().ok());
    {
        Transaction outer(m_books->db);
        {
            Transaction inner(m_books->db); // a rule inside a rule
            QVERIFY(units.append().ok());
            QVERIFY(units.setValue("UnitID", 8).ok());
            QVERIFY(units.post().ok());
            QVERIFY(inner.commit());
        }
        QVERIFY(outer.commit());
    }
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Units WHERE UnitID = 8").toInt(), 1);
    QCOMPARE(units.rowCount(), 3);
    // A later rollback of an unrelated transaction does not touch the committed row.
    {
        Transaction tx(m_books->db);
    }
    QCOMPARE(units.rowCount(), 3);
}

void TestDataset::onPostWriteRunsInsideThePost()
{
    TableDataset cata(m_books->db, "Cata", "Catalogs");
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(cata.open().ok());
    QVERIFY(goods.open().ok());
    bool refuse = true;
    QVariant keySeen;
    cata.hooks().onPostWrite = [&](Dataset &ds) {
        keySeen = ds.value("CataID");
        // The counters of a rule move in the same transaction as the row.
        QSqlError e;
        ds.database().exec("UPDATE Goods SET HandInc = HandInc + 1 WHERE GoodID = 1", {}, &e);
        return !refuse;
    };
    QVERIFY(cata.append().ok());
    QVERIFY(cata.setValue("Catalog", "干货").ok());
    QVERIFY(cata.post().isRefused());
    QCOMPARE(keySeen, QVariant(qlonglong(6)));
    QCOMPARE(cata.state(), Dataset::State::Insert);
    QCOMPARE(cata.value("CataID"), QVariant()); // the user's values, not the read-back ones
    QCOMPARE(cata.value("Catalog"), QVariant("干货"));
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Catalogs").toInt(), 2);
    QCOMPARE(m_books->scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 0.0);

    refuse = false;
    QVERIFY(cata.post().ok());
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Catalogs").toInt(), 3);
    QCOMPARE(m_books->scalar("SELECT HandInc FROM Goods WHERE GoodID = 1").toDouble(), 1.0);
}

void TestDataset::onDeleteWriteRunsInsideTheDelete()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.open().ok());
    bool refuse = true;
    goods.hooks().onDeleteWrite = [&](Dataset &ds) {
        // Reversing counters belongs to the same unit of work as the delete.
        QSqlError e;
        ds.database().exec("UPDATE Goods SET Sold = Sold + 1 WHERE GoodID = 1", {}, &e);
        ds.first(); // a rule may move around; the deleted row is still the one to go
        return !refuse;
    };
    QVERIFY(goods.locate("GoodID", 4));
    QVERIFY(goods.remove().isRefused());
    QCOMPARE(goods.rowCount(), 6);
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Goods").toInt(), 6);
    QCOMPARE(m_books->scalar("SELECT Sold FROM Goods WHERE GoodID = 1").toDouble(), 0.0);

    refuse = false;
    QVERIFY(goods.locate("GoodID", 4));
    QVERIFY(goods.remove().ok());
    QCOMPARE(test::ids(goods, "GoodID"), (IdList{1, 2, 3, 5, 6}));
    QCOMPARE(m_books->scalar("SELECT count(*) FROM Goods").toInt(), 5);
    QCOMPARE(m_books->scalar("SELECT Sold FROM Goods WHERE GoodID = 1").toDouble(), 1.0);
}

void TestDataset::batchApplyAndCancel()
{
    m_books->exec("INSERT INTO GoodsInCusts (GoodID, CustID, HandInc) VALUES (1, 7, 4), (2, 7, 1)");
    TableDataset gic(m_books->db, "GoodsInCusts1", "GoodsInCusts");
    gic.setBatchMode(true);
    QVERIFY(gic.open().ok());
    const QStringList before = test::dump(gic);

    QVERIFY(gic.locate({"GoodID", "CustID"}, {1, 7}));
    QVERIFY(gic.edit().ok());
    QVERIFY(gic.setValue("HandInc", 9).ok());
    QVERIFY(gic.post().ok());
    QVERIFY(gic.append().ok());
    QVERIFY(gic.setValue("GoodID", 3).ok());
    QVERIFY(gic.setValue("CustID", 7).ok());
    QVERIFY(gic.setValue("Sold", 2).ok());
    QVERIFY(gic.post().ok());
    QVERIFY(gic.locate("GoodID", 2));
    QVERIFY(gic.remove().ok());
    QVERIFY(gic.updatesPending());
    QCOMPARE(gic.rowCount(), 2);
    // Nothing reached the file yet.
    QCOMPARE(m_books->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 2);
    QCOMPARE(m_books->scalar("SELECT HandInc FROM GoodsInCusts WHERE GoodID = 1").toDouble(), 4.0);
    QVERIFY(gic.refresh().failed()); // a refresh would lose the pending changes

    gic.cancelUpdates();
    QVERIFY(!gic.updatesPending());
    QCOMPARE(test::dump(gic), before);

    // The same changes again, now written.
    QVERIFY(gic.locate({"GoodID", "CustID"}, {1, 7}));
    QVERIFY(gic.edit().ok());
    QVERIFY(gic.setValue("HandInc", 9).ok());
    QVERIFY(gic.post().ok());
    QVERIFY(gic.append().ok());
    QVERIFY(gic.setValue("GoodID", 3).ok());
    QVERIFY(gic.setValue("CustID", 7).ok());
    QVERIFY(gic.post().ok());
    QVERIFY(gic.locate("GoodID", 2));
    QVERIFY(gic.remove().ok());
    QVERIFY(gic.applyUpdates().ok());
    QVERIFY(!gic.updatesPending());
    QCOMPARE(m_books->scalar("SELECT group_concat(GoodID || ':' || HandInc || ':' || Sold, ' ') FROM "
                             "(SELECT * FROM GoodsInCusts ORDER BY GoodID)").toString(),
             QString("1:9.0:0.0 3:0.0:0.0"));
    QVERIFY(gic.locate("GoodID", 3));
    QVERIFY(gic.currentRowid() > 0); // the new row knows its rowid now
    QCOMPARE(gic.fieldByName("HandInc").value(), QVariant(0.0)); // the table's default, read back
    TableDataset fresh(m_books->db, "check", "GoodsInCusts");
    QVERIFY(fresh.open().ok());
    QCOMPARE(test::dump(gic), test::dump(fresh));
}

void TestDataset::batchSendsOnlyChangedColumns_data()
{
    QTest::addColumn<bool>("onlyChanged");
    QTest::addColumn<double>("handInc");
    QTest::newRow("only changed columns") << true << 14.0;
    QTest::newRow("every column") << false << 4.0;
}

void TestDataset::batchSendsOnlyChangedColumns()
{
    QFETCH(bool, onlyChanged);
    QFETCH(double, handInc);
    m_books->exec("INSERT INTO GoodsInCusts (GoodID, CustID, HandInc, Sold) VALUES (1, 7, 4, 0)");
    TableDataset gic(m_books->db, "GoodsInCusts1", "GoodsInCusts");
    gic.setBatchMode(true);
    gic.setUpdateChangedColumnsOnly(onlyChanged);
    QVERIFY(gic.open().ok());
    QVERIFY(gic.edit().ok());
    QVERIFY(gic.setValue("Sold", 3).ok());
    QVERIFY(gic.post().ok());
    // Another copy of the program adds to another column meanwhile.
    m_books->exec("UPDATE GoodsInCusts SET HandInc = HandInc + 10");
    QVERIFY(gic.applyUpdates().ok());
    QCOMPARE(m_books->scalar("SELECT Sold FROM GoodsInCusts").toDouble(), 3.0);
    QCOMPARE(m_books->scalar("SELECT HandInc FROM GoodsInCusts").toDouble(), handInc);
}

void TestDataset::batchApplyFailureKeepsChanges()
{
    m_books->exec("INSERT INTO GoodsInCusts (GoodID, CustID) VALUES (1, 7)");
    TableDataset gic(m_books->db, "GoodsInCusts1", "GoodsInCusts");
    gic.setBatchMode(true);
    QVERIFY(gic.open().ok());
    QVERIFY(gic.edit().ok());
    QVERIFY(gic.setValue("Sold", 5).ok());
    QVERIFY(gic.post().ok());
    QVERIFY(gic.append().ok());
    QVERIFY(gic.setValue("GoodID", 1).ok()); // the pair (1, 7) exists: refused by the unique index
    QVERIFY(gic.setValue("CustID", 7).ok());
    QVERIFY(gic.post().ok());
    const DatasetError e = gic.applyUpdates();
    QCOMPARE(e.code(), DatasetError::Code::Database);
    QVERIFY(gic.updatesPending());
    QCOMPARE(m_books->scalar("SELECT Sold FROM GoodsInCusts").toDouble(), 0.0); // nothing half written
    QCOMPARE(m_books->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 1);
    QCOMPARE(gic.rowCount(), 2);
    gic.last();
    QVERIFY(gic.remove().ok()); // drop the offending new row, apply the rest
    QVERIFY(gic.applyUpdates().ok());
    QCOMPARE(m_books->scalar("SELECT Sold FROM GoodsInCusts").toDouble(), 5.0);
}

void TestDataset::batchApplyInsideRolledBackTransaction()
{
    m_books->exec("INSERT INTO GoodsInCusts (GoodID, CustID) VALUES (1, 7)");
    TableDataset gic(m_books->db, "GoodsInCusts1", "GoodsInCusts");
    gic.setBatchMode(true);
    QVERIFY(gic.open().ok());
    {
        Transaction tx(m_books->db);
        QVERIFY(gic.edit().ok());
        QVERIFY(gic.setValue("HandInc", 3).ok());
        QVERIFY(gic.post().ok());
        QVERIFY(gic.append().ok());
        QVERIFY(gic.setValue("GoodID", 2).ok());
        QVERIFY(gic.setValue("CustID", 7).ok());
        QVERIFY(gic.post().ok());
        QVERIFY(gic.applyUpdates().ok());
        QVERIFY(!gic.updatesPending());
    } // rolled back
    QCOMPARE(m_books->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 1);
    QCOMPARE(m_books->scalar("SELECT HandInc FROM GoodsInCusts").toDouble(), 0.0);
    // The changes are pending again, as before the write.
    QVERIFY(gic.updatesPending());
    QVERIFY(gic.applyUpdates().ok());
    QCOMPARE(m_books->scalar("SELECT count(*) FROM GoodsInCusts").toInt(), 2);
    QCOMPARE(m_books->scalar("SELECT HandInc FROM GoodsInCusts WHERE GoodID = 1").toDouble(), 3.0);
}

void TestDataset::masterLinkFollowsMaster()
{
    m_books->addBills();
    TableDataset ruku(m_books->db, "RuKu", "RuKuDan");
    TableDataset mx(m_books->db, "RuKuMx", "RuKuMx");
    mx.setMasterLink(&ruku, {"TabID"}, {"TabID"});
    mx.addCalcField("Money", calc::product({"Price", "Qty"})).setDisplayFormat("0.0#");
    int detailScrolls = 0;
    mx.hooks().afterScroll = [&](Dataset &) { ++detailScrolls; };
    QVERIFY(ruku.open().ok());
    QVERIFY(mx.isOpen());
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{1, 2}));
    QCOMPARE(test::column(mx, "Money"), (QVariantList{25.0, 0.0})); // a NULL price counts as 0
    QCOMPARE(mx.displayText(0, mx.fieldIndex("Money")), QString("25.0"));

    ruku.next();
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{3}));
    ruku.next();
    QVERIFY(mx.isEmpty());
    ruku.first();
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{1, 2}));
    QVERIFY(detailScrolls >= 4);

    // A new header has no key yet: no lines.
    QVERIFY(ruku.append().ok());
    QVERIFY(mx.isEmpty());
    QVERIFY(ruku.setValue("BookID", "RK-4").ok());
    QVERIFY(ruku.post().ok());
    QCOMPARE(ruku.value("TabID"), QVariant(qlonglong(4)));
    QVERIFY(mx.isEmpty());

    // Lines added elsewhere show after the header's refresh.
    QVERIFY(ruku.locate("TabID", 2));
    m_books->exec("INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (2, 2, 4, 1, 1)");
    QCOMPARE(mx.rowCount(), 1);
    QVERIFY(ruku.refresh().ok());
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{3, 4}));

    // The header's filter moves it to a bill whose lines follow.
    QVERIFY(ruku.setFilter("BookID = 'RK-1'").ok());
    QVERIFY(ruku.setFiltered(true).ok());
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{1, 2}));

    // With the header's controls disabled the lines wait for the enable.
    QVERIFY(ruku.setFiltered(false).ok());
    ruku.disableControls();
    QVERIFY(ruku.locate("TabID", 2));
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{1, 2}));
    ruku.enableControls();
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{3, 4}));
}

void TestDataset::masterLinkFillsNewRows()
{
    m_books->addBills();
    TableDataset ruku(m_books->db, "RuKu", "RuKuDan");
    TableDataset mx(m_books->db, "RuKuMx", "RuKuMx");
    mx.setMasterLink(&ruku, {"TabID"}, {"TabID"});
    QVariant linkSeenInNewRecord;
    mx.hooks().onNewRecord = [&](Dataset &ds) { linkSeenInNewRecord = ds.value("TabID"); };
    QVERIFY(ruku.open().ok());
    QVERIFY(ruku.locate("TabID", 2));
    QVERIFY(mx.append().ok());
    QCOMPARE(linkSeenInNewRecord, QVariant(qlonglong(2)));
    QVERIFY(mx.setValue("GoodID", 5).ok());
    QVERIFY(mx.setValue("Qty", 1).ok());
    QVERIFY(mx.post().ok());
    QCOMPARE(m_books->scalar("SELECT TabID FROM RuKuMx WHERE GoodID = 5").toInt(), 2);
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{3, 5}));

    // A duplicate item on the bill is refused; the line stays pending with its values.
    QVERIFY(mx.append().ok());
    QVERIFY(mx.setValue("GoodID", 3).ok());
    const DatasetError e = mx.post();
    QCOMPARE(e.message(), QString("数据库:禁止单据中重复出现相同品名型号。"));
    QCOMPARE(mx.state(), Dataset::State::Insert);
    QCOMPARE(mx.value("TabID"), QVariant(qlonglong(2)));
    QCOMPARE(mx.value("GoodID"), QVariant(qlonglong(3)));
    QVERIFY(mx.cancel().ok());
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{3, 5}));
}

void TestDataset::masterLinkOpensAndClosesWithMaster()
{
    m_books->addBills();
    TableDataset ruku(m_books->db, "RuKu", "RuKuDan");
    TableDataset mx(m_books->db, "RuKuMx", "RuKuMx");
    TableDataset invoices(m_books->db, "Invoices", "Invoices");
    mx.setMasterLink(&ruku, {"TabID"}, {"TabID"});
    invoices.setMasterLink(&ruku, {"TabID"}, {"TabID"}, false);
    QStringList order;
    mx.hooks().afterOpen = [&](Dataset &) { order << "mx open"; };
    ruku.hooks().afterOpen = [&](Dataset &) { order << "ruku open"; };
    mx.hooks().beforeClose = [&](Dataset &) { order << "mx close"; };
    ruku.hooks().afterClose = [&](Dataset &) { order << "ruku closed"; };
    QVERIFY(ruku.open().ok());
    QVERIFY(!invoices.isOpen()); // not an open-first detail
    QVERIFY(invoices.open().ok());
    ruku.close();
    QVERIFY(!mx.isOpen());
    QVERIFY(!invoices.isOpen()); // a detail follows its master's close
    QCOMPARE(order, (QStringList{"mx open", "ruku open", "mx close", "ruku closed"}));

    // A detail opened on its own shows nothing until its master has a row.
    QVERIFY(mx.open().ok());
    QVERIFY(mx.isEmpty());
    QVERIFY(ruku.open().ok());
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{1, 2}));
}

void TestDataset::detailPostedWhenMasterMoves()
{
    m_books->addBills();
    TableDataset ruku(m_books->db, "RuKu", "RuKuDan");
    TableDataset mx(m_books->db, "RuKuMx", "RuKuMx");
    mx.setMasterLink(&ruku, {"TabID"}, {"TabID"});
    QVERIFY(ruku.open().ok());
    QVERIFY(mx.edit().ok());
    QVERIFY(mx.setValue("Qty", 11).ok());
    ruku.next();
    QCOMPARE(mx.state(), Dataset::State::Browse);
    QCOMPARE(m_books->scalar("SELECT Qty FROM RuKuMx WHERE TabID = 1 AND GoodID = 1").toDouble(), 11.0);

    // A pending line that cannot be posted is dropped, never left behind on another bill.
    QVERIFY(mx.append().ok());
    QVERIFY(mx.setValue("GoodID", 3).ok()); // already on bill 2
    ruku.first();
    QCOMPARE(mx.state(), Dataset::State::Browse);
    QCOMPARE(test::ids(mx, "GoodID"), (IdList{1, 2}));
    QCOMPARE(m_books->scalar("SELECT count(*) FROM RuKuMx").toInt(), 3);
}

void TestDataset::refreshKeepsCurrentRow()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.open().ok());
    QVERIFY(goods.setSort("Description ASC").ok());
    QVERIFY(goods.locate("GoodID", 3));
    m_books->exec("INSERT INTO Goods (GoodID, Description) VALUES (10, 'Aardvark'), (11, 'Abacus')");
    m_books->exec("UPDATE Goods SET CostPrice = 99 WHERE GoodID = 3");
    int taken = 0;
    goods.hooks().afterRefresh = [&](Dataset &) { ++taken; };
    QVERIFY(goods.refresh().ok());
    QCOMPARE(taken, 1);
    QCOMPARE(goods.rowCount(), 8);
    QCOMPARE(goods.fieldByName("GoodID").asInteger(), 3);
    QCOMPARE(goods.fieldByName("CostPrice").asFloat(), 99.0);
    QCOMPARE(goods.recNo(), 4); // Aardvark Abacus Apple Cherry ...

    // The current row gone: the cursor stays at the same position.
    m_books->exec("DELETE FROM Goods WHERE GoodID = 3");
    QVERIFY(goods.refresh().ok());
    QCOMPARE(goods.recNo(), 4);
    QCOMPARE(goods.fieldByName("Description").asString(), QString("O'Neil"));

    // A refresh can be taken over by the data module (and the standard one skipped).
    goods.hooks().beforeRefresh = [](Dataset &ds) {
        const Bookmark mark = ds.bookmark();
        ds.disableControls();
        ds.close();
        const bool reopened = ds.open().ok();
        ds.gotoBookmark(mark);
        ds.enableControls();
        return !reopened;
    };
    QVERIFY(goods.refresh().ok());
    QCOMPARE(goods.fieldByName("Description").asString(), QString("O'Neil"));
}

void TestDataset::refreshRowsRereadsChangedRows()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.open().ok());
    QVERIFY(goods.setFilter("flag=1").ok());
    QVERIFY(goods.setFiltered(true).ok());
    QVERIFY(goods.locate("GoodID", 3));
    QSignalSpy changed(&goods, &Dataset::rowChanged);
    m_books->exec("UPDATE Goods SET HandInc = HandInc + 2.5 WHERE GoodID IN (1, 3)");
    m_books->exec("INSERT INTO Goods (GoodID, Description, flag) VALUES (12, 'new', 1)");
    m_books->exec("DELETE FROM Goods WHERE GoodID = 5");
    QVERIFY(goods.refreshRows({1, 3, 5, 12, 999, 3}).ok()); // a rowid named twice is one row
    QCOMPARE(test::ids(goods, "GoodID"), (IdList{1, 3, 12}));
    QCOMPARE(test::column(goods, "HandInc"), (QVariantList{2.5, 2.5, 0.0}));
    QCOMPARE(goods.fieldByName("GoodID").asInteger(), 3); // the cursor stays
    QCOMPARE(changed.count(), 2);

    // A row being edited gets its stored values; the pending ones stay with the user.
    QVERIFY(goods.edit().ok());
    QVERIFY(goods.setValue("Description", "typed").ok());
    m_books->exec("UPDATE Goods SET HandInc = 7 WHERE GoodID = 3");
    QVERIFY(goods.refreshRow(3).ok());
    QCOMPARE(goods.fieldByName("HandInc").oldValue(), QVariant(7.0));
    QCOMPARE(goods.value("Description"), QVariant("typed"));
    QVERIFY(goods.post().ok());
    QCOMPARE(m_books->scalar("SELECT HandInc FROM Goods WHERE GoodID = 3").toDouble(), 7.0);

    QueryDataset q(m_books->db, "q", "SELECT 1");
    QVERIFY(q.open().ok());
    QCOMPARE(q.refreshRow(1).code(), DatasetError::Code::State);
}

void TestDataset::openDependenciesCascade()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    TableDataset lkGoods(m_books->db, "lkGoods", "Goods");
    TableDataset avg(m_books->db, "GoodAvgPrice", "GoodsAvgPrice");
    TableDataset stock(m_books->db, "TabData.Goods", "Goods");
    TableDataset gic(m_books->db, "GoodsInCusts", "GoodsInCusts");
    goods.addOpenDependency(&lkGoods);
    goods.addOpenDependency(&avg);
    goods.addOpenDependency(&stock);
    stock.addOpenDependency(&gic);
    QStringList order;
    for (Dataset *d : QList<Dataset *>{&goods, &lkGoods, &avg, &stock, &gic}) {
        d->hooks().afterOpen = [&order](Dataset &ds) { order << "open " + ds.name(); };
        d->hooks().afterClose = [&order](Dataset &ds) { order << "close " + ds.name(); };
    }
    QVERIFY(goods.open().ok());
    QCOMPARE(order, (QStringList{"open lkGoods", "open GoodAvgPrice", "open GoodsInCusts", "open TabData.Goods",
                                 "open Goods"}));
    order.clear();
    goods.close();
    QCOMPARE(order, (QStringList{"close lkGoods", "close GoodAvgPrice", "close GoodsInCusts", "close TabData.Goods",
                                 "close Goods"}));
    // A dependent that fails stops the open.
    TableDataset broken(m_books->db, "broken", "NoSuchTable");
    goods.addOpenDependency(&broken);
    QCOMPARE(goods.open().code(), DatasetError::Code::Definition);
    QVERIFY(!goods.isOpen());
}

void TestDataset::registryOpenLoop()
{
    DatasetRegistry registry;
    TableDataset cata(m_books->db, "Cata", "Catalogs");
    CommandDataset custExists(m_books->db, "CustExists",
                              "SELECT CustID FROM GoodsInCusts WHERE CustID = :CustID UNION "
                              "SELECT CustID FROM DiaoBoDan WHERE CustID = :CustID");
    QueryDataset qTest(m_books->db, "qTest", "SELECT 1");
    TableDataset broken(m_books->db, "Areas", "NoSuchTable");
    TableDataset units(m_books->db, "Units", "Units");
    for (Dataset *d : QList<Dataset *>{&cata, &custExists, &qTest, &broken, &units})
        registry.attach(d);
    registry.attach(&cata);
    QCOMPARE(registry.count(), 5);
    QCOMPARE(custExists.kindName(), QString("TADODataSet"));
    QCOMPARE(qTest.kindName(), QString("TADOQuery"));

    const auto failure = registry.openTables();
    QVERIFY(failure.has_value());
    QCOMPARE(failure->message(), QString("ClassName=TADOTableName=Areas"));
    QCOMPARE(failure->error.code(), DatasetError::Code::Definition);
    QVERIFY(cata.isOpen());
    QVERIFY(custExists.isOpen());
    QVERIFY(!qTest.isOpen()); // queries are opened by the code that uses them
    QVERIFY(!units.isOpen()); // the walk stopped at the failure

    QVERIFY(qTest.open().ok());
    registry.closeAll();
    for (Dataset *d : registry.datasets())
        QVERIFY(!d->isOpen());

    {
        TableDataset temporary(m_books->db, "temp", "Units");
        registry.attach(&temporary);
        QCOMPARE(registry.count(), 6);
    }
    QCOMPARE(registry.count(), 5); // a destroyed dataset drops out
    registry.detach(&broken);
    QVERIFY(!registry.openTables().has_value());
    QVERIFY(units.isOpen());
}

void TestDataset::rowsMadeByCode()
{
    // A source that makes one more row on every read, or fails when told to.
    int reads = 0;
    bool fail = false;
    QueryDataset q(m_books->db, "qMade");
    q.setRowSource({{"Code", "INTEGER"}, {"Name", "TEXT"}, {"Amount", "REAL"}, {"Note", ""}}, [&](std::vector<RowValues> *rows) {
        if (fail)
            return DatasetError(DatasetError::Code::Database, QStringLiteral("made to fail"));
        ++reads;
        RowValues::Builder row(4);
        for (int i = 1; i <= reads; ++i) {
            row.addInteger(i);
            row.addText("名", 3);
            row.addReal(i * 1.5);
            if (i == 1)
                row.addNull();
            else
                row.addInteger(i);
            rows->push_back(row.finish());
        }
        return DatasetError();
    });
    // Declared in another order and without Name: each field still gets its own column.
    q.addDataField("Note");
    q.addDataField("Amount");
    q.addDataField("Code");
    QVERIFY(q.open().ok());
    QCOMPARE(q.fieldCount(), 3);
    QCOMPARE(q.value("Amount"), QVariant(1.5));
    QCOMPARE(q.fieldByName("Code").dataType(), DataType::Integer);
    QCOMPARE(q.fieldByName("Amount").dataType(), DataType::Float);
    QVERIFY(q.refresh().ok());
    QCOMPARE(test::ids(q, "Code"), (IdList{1, 2}));
    QCOMPARE(q.fieldByName("Note").dataType(), DataType::Integer); // the type of its first value
    QVERIFY(q.locate("Amount", 3.0));
    QCOMPARE(q.value("Code"), QVariant(qlonglong(2)));
    QVERIFY(q.isReadOnly());

    // A source that fails leaves the rows as they were.
    fail = true;
    QCOMPARE(q.refresh().message(), QStringLiteral("made to fail"));
    QCOMPARE(test::ids(q, "Code"), (IdList{1, 2}));
    q.close();
    QCOMPARE(q.open().message(), QStringLiteral("made to fail"));
    QVERIFY(!q.isOpen());
}

void TestDataset::queryDatasetWithParameters()
{
    m_books->addBills();
    QueryDataset q(m_books->db, "qMaxRKMx", "select max(ItemNo) as M from RuKuMx where TabID=:TabID");
    q.setParam("TabID", 1);
    QVERIFY(q.open().ok());
    QCOMPARE(q.fieldCount(), 1);
    QCOMPARE(q.value("M"), QVariant(qlonglong(2)));
    QCOMPARE(q.fieldByName("M").dataType(), DataType::Integer);
    QVERIFY(q.isReadOnly());
    QCOMPARE(q.edit().code(), DatasetError::Code::State);
    q.setParam(":tabid", 3);
    QVERIFY(q.refresh().ok());
    QCOMPARE(q.value("M"), QVariant());
    q.close();

    // Positional parameters, and a new statement with other columns on the same dataset.
    q.setSql("SELECT GoodID, Description FROM Goods WHERE CataID = ? AND flag = ? ORDER BY GoodID");
    q.clearParams();
    q.setParam(0, 3);
    q.setParam(1, 1);
    QVERIFY(q.open().ok());
    QCOMPARE(q.fieldCount(), 2);
    QCOMPARE(test::ids(q, "GoodID"), IdList{1});
    QCOMPARE(q.fieldByName("Description").dataType(), DataType::Text);

    // Told to be editable, a query keeps its edits in memory (there is no table).
    q.close();
    q.setReadOnly(false);
    QVERIFY(q.open().ok());
    QVERIFY(q.edit().ok());
    QVERIFY(q.setValue("Description", "memo").ok());
    QVERIFY(q.post().ok());
    QCOMPARE(q.value("Description"), QVariant("memo"));
    QCOMPARE(m_books->scalar("SELECT Description FROM Goods WHERE GoodID = 1").toString(), QString("Apple"));

    QueryDataset bad(m_books->db, "bad", "SELEC nonsense");
    const DatasetError e = bad.open();
    QCOMPARE(e.code(), DatasetError::Code::Database);
    QVERIFY(e.message().contains("bad"));

    // A query parameter taken from a master's current row.
    TableDataset ruku(m_books->db, "RuKu", "RuKuDan");
    QueryDataset lines(m_books->db, "lines", "SELECT count(*) AS N FROM RuKuMx WHERE TabID = :TabID");
    lines.setMasterLink(&ruku, {"TabID"}, {"TabID"});
    QVERIFY(ruku.open().ok());
    QCOMPARE(lines.value("N"), QVariant(qlonglong(2)));
    ruku.next();
    QCOMPARE(lines.value("N"), QVariant(qlonglong(1)));
}

void TestDataset::disableControlsEmitsOneReset()
{
    TableDataset goods(m_books->db, "Goods", "Goods");
    QVERIFY(goods.open().ok());
    QSignalSpy resets(&goods, &Dataset::rowsReset);
    QSignalSpy current(&goods, &Dataset::currentChanged);
    QSignalSpy rowChanges(&goods, &Dataset::rowChanged);
    goods.disableControls();
    goods.disableControls();
    for (goods.first(); !goods.eof(); goods.next()) {
        QVERIFY(goods.edit().ok());
        QVERIFY(goods.setValue("HardOrder", goods.recNo()).ok());
        QVERIFY(goods.post().ok());
    }
    QVERIFY(goods.setSort("HardOrder DESC").ok());
    goods.enableControls();
    QVERIFY(goods.controlsDisabled());
    QCOMPARE(resets.count(), 0);
    goods.enableControls();
    QVERIFY(!goods.controlsDisabled());
    QCOMPARE(resets.count(), 1);
    QCOMPARE(current.count(), 1);
    QCOMPARE(rowChanges.count(), 0);
    QCOMPARE(test::ids(goods, "GoodID"), (IdList{6, 5, 4, 3, 2, 1}));

    // Outside the suspension every change is signalled.
    QSignalSpy inserted(&goods, &Dataset::rowInserted);
    QSignalSpy states(&goods, &Dataset::stateChanged);
    QVERIFY(goods.append().ok());
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(0).toInt(), 6);
    QVERIFY(goods.cancel().ok());
    QCOMPARE(states.count(), 2);
}

QTEST_GUILESS_MAIN(TestDataset)
#include "test_dataset.moc"
