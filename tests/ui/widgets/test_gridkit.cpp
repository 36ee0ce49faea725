// What a grid owns and offers every window: its column definitions (titles, widths,
// read-only, colours, editors) across dataset changes, the lookup and choice cell editors,
// double-click commands, focus signals, multi-row selection, and printing, export and copy.
#include "core/filechooser.h"
#include "support/goodsbooks.h"
#include "support/modaldriver.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/datagridheader.h"
#include "ui/widgets/gridactions.h"
#include "ui/widgets/gridexport.h"
#include "ui/widgets/gridprinter.h"
#include "ui/widgets/gridtable.h"
#include "ui/widgets/promptchannel.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using namespace hemu;

namespace {

const QColor cream(255, 250, 230);

QList<GridColumn> goodsColumns()
{
    return {
        {.field = "GoodID", .title = "商品|编码", .width = 70, .readOnly = true, .background = cream},
        {.field = "Description", .title = "商品|品名", .width = 120},
        {.field = "lkCata", .title = "类别", .width = 90, .editor = GridColumn::Editor::Lookup},
        {.field = "SellPrice", .title = "售价", .width = 80},
    };
}

/// Output of a program run on `file` (pdftotext, unzip); empty when it is missing.
QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

/// Compatibility forms folded: the CJK font maps some ideographs to radicals of the same
/// shape (⼀ for 一), which pdftotext then reports; "：" becomes ":".
QString fold(const QString &text)
{
    // Radicals without a compatibility mapping, as the font gives them.
    return text.normalized(QString::NormalizationForm_KC).replace(QChar(0x2EDA), QChar(0x9875)).replace(QChar(0x2EDD), QChar(0x98DF));
}

QString pdfText(const QString &pdf)
{
    return fold(runTool("pdftotext", {"-layout", pdf, "-"}));
}

} // namespace

class TestGridKit : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void columnsStayWithTheGrid();
    void lookupCellEditor_data();
    void lookupCellEditor();
    void choiceCellEditor();
    void lookupListOverManyGoods();
    void doubleClickAsCommand();
    void focusEnteredAndLeft();
    void multiRowSelection();
    void csvExport();
    void xlsxExport();
    void exportThroughTheWindowsFileChooser();
    void copySelectedCells();
    void printLayout();
    void contextMenuAndPreview();

private:
    void showGrid(const QList<GridColumn> &columns = goodsColumns());
    QModelIndex cell(int row, const QString &field) const
    {
        return m_grid->model()->index(row, m_grid->datasetModel()->columnOf(field));
    }
    /// A cell editor is open (closed ones are hidden until they are deleted).
    bool editorOpen() const
    {
        const QList<QLineEdit *> editors = m_grid->viewport()->findChildren<QLineEdit *>();
        return std::any_of(editors.begin(), editors.end(), [](QLineEdit *e) { return e->isVisible(); });
    }

    std::unique_ptr<test::GoodsBooks> m_books;
    std::unique_ptr<QWidget> m_window;
    DataGrid *m_grid = nullptr;
};

void TestGridKit::init()
{
    m_books = std::make_unique<test::GoodsBooks>();
    m_books->open();
}

void TestGridKit::cleanup()
{
    m_window.reset();
    m_books.reset();
}

void TestGridKit::showGrid(const QList<GridColumn> &columns)
{
    m_window = std::make_unique<QWidget>();
    m_window->setWindowTitle(QStringLiteral("商品一览"));
    PromptChannel::attach(m_window.get(), &m_books->prompter);
    auto *layout = new QVBoxLayout(m_window.get());
    m_grid = new DataGrid(m_window.get());
    layout->addWidget(m_grid);
    m_grid->setColumns(columns);
    m_grid->setDataset(m_books->goods.get());
    m_window->resize(700, 400);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestGridKit::columnsStayWithTheGrid()
{
    showGrid();
    const auto check = [this](const char *when) {
        const DatasetModel *model = m_grid->datasetModel();
        QStringList fields, captions;
        for (int c = 0; c < model->columnCount(); ++c) {
            fields << model->fieldAt(c)->name();
            captions << model->headerData(c, Qt::Horizontal, DatasetModel::CaptionRole).toString();
        }
        QVERIFY2(fields == QStringList({"GoodID", "Description", "lkCata", "SellPrice"}), when);
        QVERIFY2(captions == QStringList({"商品|编码", "商品|品名", "类别", "售价"}), when);
        QVERIFY2(m_grid->titleHeader()->upperSpan(0) == QList<int>({0, 1}), when);
        QCOMPARE(m_grid->columnWidth(0), 70);
        QCOMPARE(m_grid->columnWidth(3), 80);
        QVERIFY2(!(model->flags(cell(0, "GoodID")) & Qt::ItemIsEditable), when);
        QVERIFY2(model->flags(cell(0, "Description")) & Qt::ItemIsEditable, when);
        QCOMPARE(model->data(cell(0, "GoodID"), Qt::BackgroundRole).value<QColor>(), cream);
        // The row-colour rule wins over the column's colour.
        QCOMPARE(model->data(cell(2, "GoodID"), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
        QCOMPARE(model->data(cell(2, "Description"), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
    };
    m_grid->setRowColours([this](int row, int role) -> QVariant {
        if (role == Qt::BackgroundRole && m_books->goods->value(row, m_books->goods->fieldIndex("InUse")).toBool())
            return QColor(Qt::red);
        return {};
    });
    // Goods 3 is out of use.
    QCOMPARE(m_books->goodIds().at(2), 3);
    check("first dataset");

    // Another view of the goods, with fields of its own: the grid keeps its columns.
    TableDataset other(m_books->db, "Goods2", "Goods");
    other.addDataFields({"GoodID", "CataID", "Description", "SellPrice", "InUse", "HandInc"});
    other.addLookupField("lkCata", m_books->cata.get(), "CataID", "Catalog", "CataID");
    QVERIFY(other.open().ok());
    m_grid->setDataset(&other);
    check("second dataset");
    m_grid->setDataset(nullptr);
}

void TestGridKit::lookupCellEditor_data()
{
    QTest::addColumn<QString>("field");
    QTest::newRow("lookup field") << "lkCata";
    QTest::newRow("key field with a lookup") << "CataID";
}

void TestGridKit::lookupCellEditor()
{
    QFETCH(QString, field);
    QList<GridColumn> columns = goodsColumns();
    columns.append({.field = "CataID", .title = "类别码", .editor = GridColumn::Editor::Lookup, .lookup = m_books->cata.get(),
                    .lookupKey = "CataID", .lookupList = "Catalog"});
    showGrid(columns);
    // 饼干 (goods 2) is a 食品; it becomes 日用.
    const QModelIndex index = cell(1, field);
    m_grid->setCurrentIndex(index);
    m_grid->edit(index);
    auto *combo = m_grid->viewport()->findChild<QComboBox *>("cellLookup");
    QVERIFY(combo);
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->currentText(), QString("食品"));
    combo->setCurrentIndex(combo->findText("日用"));
    QTest::keyClick(combo, Qt::Key_Return);
    QTRY_COMPARE(m_books->stored("CataID", 2).toInt(), 3);
    QCOMPARE(m_books->goods->state(), Dataset::State::Browse);
    QCOMPARE(m_grid->model()->data(cell(1, "lkCata")).toString(), QString("日用"));
    QVERIFY(m_books->prompter.entries().isEmpty());
}

void TestGridKit::choiceCellEditor()
{
    // Stored numbers shown as words, chosen from a fixed list.
    QList<GridColumn> columns = goodsColumns();
    columns.append({.field = "HandInc", .title = "库存", .editor = GridColumn::Editor::Choice,
                    .choices = {{100, "充足"}, {20, "一般"}, {0, "缺货"}}});
    showGrid(columns);
    QCOMPARE(m_grid->model()->data(cell(0, "HandInc")).toString(), QString("充足"));
    QCOMPARE(m_grid->model()->data(cell(2, "HandInc")).toString(), QString("-5")); // none of the choices
    const QModelIndex index = cell(0, "HandInc");
    m_grid->setCurrentIndex(index);
    m_grid->edit(index);
    auto *combo = m_grid->viewport()->findChild<QComboBox *>("cellChoice");
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), QString("充足"));
    combo->setCurrentIndex(2);
    QTest::keyClick(combo, Qt::Key_Return);
    QTRY_COMPARE(m_books->stored("HandInc", 1).toInt(), 0);
    QCOMPARE(m_grid->model()->data(cell(0, "HandInc")).toString(), QString("缺货"));
}

void TestGridKit::lookupListOverManyGoods()
{
    m_books->addManyGoods(100000);
    QVERIFY(m_books->goods->refresh().ok());
    const int rows = m_books->goods->rowCount();
    QCOMPARE(rows, 100005);
    // Order lines pick goods from the whole list: the editor reads the goods view in place.
    TableDataset lines(m_books->db, "Lines", "Goods");
    lines.addDataFields({"GoodID", "Description"});
    QVERIFY(lines.open().ok());
    QList<GridColumn> columns = {{.field = "GoodID", .title = "商品", .width = 200, .editor = GridColumn::Editor::Lookup,
                                  .lookup = m_books->goods.get(), .lookupKey = "GoodID", .lookupList = "Description"}};
    m_window = std::make_unique<QWidget>();
    PromptChannel::attach(m_window.get(), &m_books->prompter);
    m_grid = new DataGrid(m_window.get());
    m_grid->setColumns(columns);
    m_grid->setDataset(&lines);
    m_window->show();
    QVERIFY(lines.locate("GoodID", 99999));
    const QModelIndex index = m_grid->model()->index(lines.currentRow(), 0);
    m_grid->setCurrentIndex(index);
    m_grid->edit(index);
    auto *combo = m_grid->viewport()->findChild<QComboBox *>("cellLookup");
    QVERIFY(combo);
    QCOMPARE(combo->count(), rows);
    QCOMPARE(combo->currentText(), QString("商品99994"));
    // A goods item added elsewhere is offered at once.
    m_books->goods->append();
    m_books->goods->setValue("Description", "新品");
    QCOMPARE(combo->count(), rows); // not until it is posted
    QVERIFY(m_books->goods->post().ok());
    QCOMPARE(combo->count(), rows + 1);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(combo, &escape);
}

void TestGridKit::doubleClickAsCommand()
{
    showGrid();
    QSignalSpy activated(m_grid, &DataGrid::rowActivated);
    const QRect rect = m_grid->visualRect(cell(3, "Description"));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(activated.count(), 0);
    QVERIFY(editorOpen()); // the default opens an editor
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(m_grid->viewport()->findChild<QLineEdit *>(), &escape);

    m_grid->setDoubleClickCommand(true);
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, m_grid->visualRect(cell(1, "Description")).center());
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.first().first().toInt(), 1);
    QVERIFY(!editorOpen());
    QCOMPARE(m_books->goods->state(), Dataset::State::Browse);
}

void TestGridKit::focusEnteredAndLeft()
{
    showGrid();
    auto *other = new QLineEdit(m_window.get());
    m_window->layout()->addWidget(other);
    other->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    other->setFocus();
    QSignalSpy entered(m_grid, &DataGrid::focusEntered);
    QSignalSpy left(m_grid, &DataGrid::focusLeft);
    m_grid->setFocus(Qt::TabFocusReason);
    QCOMPARE(entered.count(), 1);
    // The grid's own cell editor is still inside the grid.
    m_grid->setCurrentIndex(cell(0, "Description"));
    m_grid->edit(cell(0, "Description"));
    QTRY_VERIFY(m_grid->viewport()->findChild<QLineEdit *>());
    QCOMPARE(left.count(), 0);
    // Another window taking the keyboard (a picker filling the grid) is no leaving; the
    // keyboard back in the grid is no new entering.
    m_grid->setFocus(Qt::MouseFocusReason);
    QWidget beside;
    auto *besideEdit = new QLineEdit(&beside);
    beside.show();
    beside.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&beside));
    besideEdit->setFocus();
    QCOMPARE(left.count(), 0);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_grid->setFocus(Qt::MouseFocusReason);
    QCOMPARE(entered.count(), 1);
    other->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(left.count(), 1);
    QCOMPARE(entered.count(), 1);
}

void TestGridKit::multiRowSelection()
{
    showGrid();
    Dataset &goods = *m_books->goods;
    // Without multi-selection: the current row.
    QVERIFY(goods.setCurrentRow(1));
    QCOMPARE(m_grid->selectedRowIds(), QList<qint64>{goods.rowidAt(1)});
    m_grid->setMultiSelect(true);
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, m_grid->visualRect(cell(4, "Description")).center());
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::ControlModifier, m_grid->visualRect(cell(0, "Description")).center());
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::ControlModifier, m_grid->visualRect(cell(2, "Description")).center());
    QCOMPARE(m_grid->selectedRowIds(), QList<qint64>({goods.rowidAt(0), goods.rowidAt(2), goods.rowidAt(4)}));
    QCOMPARE(goods.currentRow(), 2); // the cursor follows the last click
}

void TestGridKit::csvExport()
{
    showGrid();
    m_books->goods->setSort("SellPrice DESC");
    m_grid->setColumnHidden(m_grid->datasetModel()->columnOf("lkCata"), true);
    const GridTable table = GridTable::of(*m_grid);
    QCOMPARE(table.title, QString("商品一览"));
    // Visible columns, rows in the grid's order, numbers in their display format.
    const QByteArray expected = "\xEF\xBB\xBF"
                                "商品 编码,商品 品名,售价\r\n"
                                "3,牙膏,8.0\r\n"
                                "5,面包,4.0\r\n"
                                "2,饼干,3.25\r\n"
                                "4,可乐,2.5\r\n"
                                "1,矿泉水,1.5\r\n";
    QCOMPARE(GridExport::csv(table), expected);

    // Quotes, commas and line breaks stay inside their field.
    QVERIFY(m_books->goods->locate("GoodID", 4));
    QVERIFY(m_books->goods->edit().ok());
    QVERIFY(m_books->goods->setValue("Description", "可乐, \"大\"\n瓶").ok());
    QVERIFY(m_books->goods->post().ok());
    QVERIFY(GridExport::csv(GridTable::of(*m_grid)).contains("4,\"可乐, \"\"大\"\"\n瓶\",2.5\r\n"));
}

void TestGridKit::xlsxExport()
{
    showGrid();
    QTemporaryDir dir;
    const QString path = dir.filePath("goods.xlsx");
    // An earlier file of the name is replaced whole, and no scratch file stays beside it.
    test::writeBytes(path, "old");
    QString error;
    QVERIFY2(GridExport::writeXlsx(GridTable::of(*m_grid), path, &error), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"goods.xlsx"});
    const QString strings = runTool("unzip", {"-p", path, "xl/sharedStrings.xml"});
    const QString sheet = runTool("unzip", {"-p", path, "xl/worksheets/sheet1.xml"});
    const QString styles = runTool("unzip", {"-p", path, "xl/styles.xml"});
    QVERIFY2(!sheet.isEmpty(), "unzip could not read the workbook");
    for (const char *text : {"商品", "编码", "品名", "类别", "售价", "矿泉水", "饮料", "日用"})
        QVERIFY2(strings.contains(QString::fromUtf8(text)), text);
    // Two title rows: 商品 over 编码 and 品名 in one cell; 类别 and 售价 over both rows.
    QVERIFY(sheet.contains("<mergeCell ref=\"A1:B1\"/>"));
    QVERIFY(sheet.contains("<mergeCell ref=\"C1:C2\"/>"));
    QVERIFY(sheet.contains("<mergeCell ref=\"D1:D2\"/>"));
    // Numbers stay numbers, in the column's display format.
    QVERIFY(sheet.contains("<c r=\"D3\" s=\"") && sheet.contains("<v>1.5</v>") && sheet.contains("<v>3.25</v>"));
    QVERIFY(sheet.contains("<c r=\"A7\"") && sheet.contains("<v>5</v>"));
    QVERIFY(styles.contains("formatCode=\"0.0#;&quot;-&quot;0.0#;#.##\""));
    QCOMPARE(GridExport::spreadsheetFormat("0.0#;'-'0.0#;#.##"), QString("0.0#;\"-\"0.0#;#.##"));
}

void TestGridKit::exportThroughTheWindowsFileChooser()
{
    showGrid();
    QTemporaryDir dir;
    ScriptedFileChooser files;
    PromptChannel::attachFiles(m_window.get(), &files);
    const QString path = dir.filePath("goods.csv");
    files.queue(path);
    m_grid->gridActions()->csvAction()->trigger();
    QCOMPARE(files.titles(), QStringList{"导出"});
    QCOMPARE(test::fileBytes(path), GridExport::csv(GridTable::of(*m_grid)));

    // A folder that does not exist: told, nothing written.
    files.queue(dir.filePath("no/such/folder/goods.xlsx"));
    QVERIFY(!m_grid->gridActions()->exportXlsx());
    QCOMPARE(m_books->prompter.entries().size(), 1);
    QCOMPARE(m_books->prompter.entries().first().kind, Prompter::Kind::Warning);
    QVERIFY(m_books->prompter.lastText().startsWith("导出失败："));

    // Cancelled: nothing happens.
    QVERIFY(!m_grid->gridActions()->exportCsv());
    QCOMPARE(m_books->prompter.entries().size(), 1);
    PromptChannel::attachFiles(m_window.get(), nullptr);
}

void TestGridKit::copySelectedCells()
{
    showGrid();
    m_grid->setMultiSelect(true);
    QItemSelection rows;
    rows.select(cell(0, "GoodID"), cell(0, "SellPrice"));
    rows.select(cell(3, "GoodID"), cell(3, "SellPrice"));
    m_grid->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    m_grid->gridActions()->copyAction()->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QString("1\t矿泉水\t饮料\t1.5\n4\t可乐\t饮料\t2.5\n"));
}

void TestGridKit::printLayout()
{
    m_books->addManyGoods(150);
    QVERIFY(m_books->goods->refresh().ok());
    showGrid();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("goods.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const GridPrinter printout(GridTable::of(*m_grid), QDate(2026, 5, 9));
    const int pages = printout.pageCount(printer);
    QVERIFY(pages >= 3 && pages <= 6);
    printout.print(&printer);

    const QString text = pdfText(pdf);
    QVERIFY2(!text.isEmpty(), "pdftotext could not read the printout");
    const QStringList pageTexts = text.split('\f', Qt::SkipEmptyParts);
    QCOMPARE(pageTexts.size(), pages);
    for (int page = 0; page < pages; ++page) {
        const QString &one = pageTexts.at(page);
        // Every page: the heading, the titles, the date and its number.
        QVERIFY2(one.contains(fold("商品一览")), qPrintable(one.left(200)));
        QVERIFY(one.contains(fold("编码")) && one.contains(fold("品名")) && one.contains(fold("售价")));
        QVERIFY(one.contains(fold("打印日期：2026-5-9")));
        QVERIFY2(one.contains(fold(GridPrinter::pageText(page + 1, pages))), qPrintable(one.right(200)));
    }
    QVERIFY(pageTexts.first().contains(fold("矿泉水")));
    QVERIFY(pageTexts.last().contains(fold("商品150")));
    QCOMPARE(GridPrinter::pageText(2, 7), QString("第2页/共7页"));

    // Columns wider than the page: scaled down to its width, every column still on it.
    QList<GridColumn> wide = goodsColumns();
    for (GridColumn &column : wide)
        column.width = 600;
    m_grid->setColumns(wide);
    const GridPrinter widePrintout(GridTable::of(*m_grid), QDate(2026, 5, 9));
    QVERIFY(widePrintout.pageCount(printer) < pages);
    QPrinter widePrinter(QPrinter::HighResolution);
    widePrinter.setOutputFormat(QPrinter::PdfFormat);
    widePrinter.setOutputFileName(dir.filePath("wide.pdf"));
    widePrinter.setPageSize(QPageSize(QPageSize::A4));
    widePrintout.print(&widePrinter);
    const QString wideText = pdfText(dir.filePath("wide.pdf"));
    QVERIFY(wideText.contains(fold("售价")) && wideText.contains("1.5") && wideText.contains(fold("饮料")));
}

void TestGridKit::contextMenuAndPreview()
{
    showGrid();
    QStringList names;
    for (QAction *action : m_grid->actions())
        names << action->objectName();
    QCOMPARE(names, QStringList({"acGridPrint", "acGridCsv", "acGridXlsx", "acGridCopy"}));
    QCOMPARE(m_grid->contextMenuPolicy(), Qt::ActionsContextMenu);
    QString title;
    int pages = 0;
    test::whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog *dialog) {
        title = dialog->windowTitle();
        QTest::qWait(50);
        pages = dialog->findChild<QPrintPreviewWidget *>()->pageCount();
        dialog->reject();
    });
    m_grid->gridActions()->printAction()->trigger();
    QCOMPARE(title, QString("打印预览"));
    QCOMPARE(pages, 1);
}

QTEST_MAIN(TestGridKit)
#include "test_gridkit.moc"
