#include "ui/analysis/tfrmbrtotal.h"

#include "core/analysis/stockchange.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/db/database.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "ui/analysis/billlookup.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/browsergrid.h"
#include "ui/widgets/commandbutton.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/gridactions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hemu {

namespace {

QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &text)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

/// A read-only browser grid over `rows` with the list's columns: names and key columns
/// narrow, names wide, figures alike.
DataGrid *browser(QWidget *parent, const QString &name, Dataset *rows, const QList<StockChange::Column> &list)
{
    QList<GridColumn> columns;
    for (const StockChange::Column &c : list) {
        int width = 64;
        if (c.field == QLatin1String("Description") || c.field == QLatin1String("lkGoodName"))
            width = 160;
        else if (c.field == QLatin1String("lkCustName") || c.field == QLatin1String("lkCataName"))
            width = 90;
        else if (c.field.endsWith(QLatin1String("ID")) || c.field == QLatin1String("lkUnit") || c.field == QLatin1String("HardOrder"))
            width = 44;
        columns.append({.field = c.field, .title = c.title, .width = width});
    }
    return BrowserGrid::make(parent, name, rows, columns, BrowserGrid::Rows::Banded);
}

} // namespace

TfrmBrTotal::TfrmBrTotal(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmBrTotal"))
{
    setWindowTitle(QStringLiteral("库存变动"));
    ui.PageControl1 = new QTabWidget(this);
    ui.PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ui.PageControl1->addTab(goodsPage(), QStringLiteral("库存变动"));
    ui.PageControl1->addTab(customerPage(), QStringLiteral("应收款变动"));

    ui.BitBtn1 = commandButton(this, QStringLiteral("BitBtn1"), QStringLiteral("汇总"), QStyle::SP_BrowserReload);
    ui.Button1 = commandButton(this, QStringLiteral("Button1"), QStringLiteral("打印"), QStyle::SP_FileDialogDetailedView);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.PageControl1, 1);
    layout->addLayout(commandRow({ui.BitBtn1, ui.Button1}));

    connect(ui.BitBtn1, &QPushButton::clicked, this, [this] { mainWindow().openWindow(QStringLiteral("frmTotalTabs")); });
    connect(ui.Button1, &QPushButton::clicked, this, &TfrmBrTotal::print);
    // The filters belong to the shared views and outlive the window.
    showGoodsFiltering();
}

QWidget *TfrmBrTotal::goodsPage()
{
    ui.TabSheetTotal = new QWidget(this);
    QWidget *page = ui.TabSheetTotal;
    page->setObjectName(QStringLiteral("TabSheetTotal"));
    ui.plHead = new QWidget(page);
    ui.plHead->setObjectName(QStringLiteral("plHead"));
    ui.edSearch = new QLineEdit(ui.plHead);
    ui.edSearch->setObjectName(QStringLiteral("edSearch"));
    ui.ComboBox1 = new QComboBox(ui.plHead);
    ui.ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ui.ComboBox1->addItems({QStringLiteral("品名型号"), QStringLiteral("代码")});
    ui.spSearch = commandButton(ui.plHead, QStringLiteral("spSearch"), QStringLiteral("检索"), QStyle::SP_FileDialogContentsView);
    ui.SpeedButton1 = commandButton(ui.plHead, QStringLiteral("SpeedButton1"), QStringLiteral("刷新"), QStyle::SP_BrowserReload,
                             QStringLiteral("刷新数据显示"));
    ui.SpeedButton2 = commandButton(ui.plHead, QStringLiteral("SpeedButton2"), QStringLiteral("过滤类别"), QStyle::SP_DirIcon);
    ui.spViewTabs = commandButton(ui.plHead, QStringLiteral("spViewTabs"), QStringLiteral("调阅单据"), QStyle::SP_FileDialogInfoView);
    ui.CheckBox2 = checkBox(ui.plHead, QStringLiteral("CheckBox2"), QStringLiteral("类别过滤"));

    auto *head = new QHBoxLayout(ui.plHead);
    head->setContentsMargins(0, 0, 0, 0);
    head->addWidget(ui.edSearch, 1);
    head->addWidget(ui.ComboBox1);
    head->addWidget(ui.spSearch);
    head->addSpacing(12);
    head->addWidget(ui.SpeedButton1);
    head->addWidget(ui.SpeedButton2);
    head->addWidget(ui.spViewTabs);
    head->addWidget(ui.CheckBox2);
    head->addStretch(1);

    ui.DBGridEh1 = browser(page, QStringLiteral("DBGridEh1"), tab().Goods, StockChange::goodsColumns());
    ui.DBGridEh1->setPrintTitle(StockChange::printTitle());
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.plHead);
    layout->addWidget(ui.DBGridEh1, 1);

    connect(ui.spSearch, &QPushButton::clicked, this, &TfrmBrTotal::search);
    connect(ui.edSearch, &QLineEdit::returnPressed, this, &TfrmBrTotal::search);
    connect(ui.SpeedButton1, &QPushButton::clicked, this, &TfrmBrTotal::refreshGoods);
    connect(ui.SpeedButton2, &QPushButton::clicked, this, &TfrmBrTotal::filterCategory);
    connect(ui.spViewTabs, &QPushButton::clicked, this, &TfrmBrTotal::viewGoodsBills);
    connect(ui.DBGridEh1, &DataGrid::rowActivated, this, &TfrmBrTotal::viewGoodsBills);
    connect(ui.CheckBox2, &QCheckBox::toggled, this, [this](bool on) { ErrorReporter(this).report(tab().Goods->setFiltered(on)); });
    return page;
}

QWidget *TfrmBrTotal::customerPage()
{
    ui.TabSheet1 = new QWidget(this);
    QWidget *page = ui.TabSheet1;
    page->setObjectName(QStringLiteral("TabSheet1"));
    ui.SpeedButton4 = commandButton(page, QStringLiteral("SpeedButton4"), QStringLiteral("过滤客户"), QStyle::SP_DirIcon);
    ui.SpeedButton6 = commandButton(page, QStringLiteral("SpeedButton6"), QStringLiteral("刷新"), QStyle::SP_BrowserReload,
                             QStringLiteral("刷新数据显示"));
    ui.spViewTabs1 = commandButton(page, QStringLiteral("spViewTabs1"), QStringLiteral("调阅单据"), QStyle::SP_FileDialogInfoView);
    ui.CheckBox1 = checkBox(page, QStringLiteral("CheckBox1"), QStringLiteral("过滤品名型号"));
    auto *bar = new QHBoxLayout;
    bar->addWidget(ui.SpeedButton4);
    bar->addWidget(ui.SpeedButton6);
    bar->addWidget(ui.spViewTabs1);
    bar->addWidget(ui.CheckBox1);
    bar->addStretch(1);

    ui.DBGridEh2 = browser(page, QStringLiteral("DBGridEh2"), tab().GoodsInCusts, StockChange::customerColumns());
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(ui.DBGridEh2, 1);

    connect(ui.SpeedButton4, &QPushButton::clicked, this, &TfrmBrTotal::filterCustomer);
    connect(ui.SpeedButton6, &QPushButton::clicked, this, &TfrmBrTotal::refreshCustomerStock);
    connect(ui.spViewTabs1, &QPushButton::clicked, this, &TfrmBrTotal::viewCustomerBills);
    connect(ui.CheckBox1, &QCheckBox::toggled, this,
            [this](bool on) { ErrorReporter(this).report(StockChange::filterGoodsOf(*tab().GoodsInCusts, *tab().Goods, on)); });
    return page;
}

void TfrmBrTotal::search()
{
    QString error;
    if (!base().FilterGoods(ui.ComboBox1->currentIndex(), ui.edSearch->text(), *tab().Goods, &error))
        prompter().warning(error);
    showGoodsFiltering();
}

void TfrmBrTotal::filterCategory()
{
    TfrmPickCata *picker = context().pickers->frmPickCata;
    // Cancel and "全体产品..." alike show every goods item again.
    const int cataId = picker->pick() == PickerDialog::Ok ? picker->PickedID().toInt() : 0;
    ErrorReporter(this).report(StockChange::filterCategory(*tab().Goods, cataId));
    showGoodsFiltering();
}

void TfrmBrTotal::showGoodsFiltering()
{
    // The box switches the goods view's filter: it shows whether one is in force.
    const QSignalBlocker quiet(ui.CheckBox2);
    ui.CheckBox2->setChecked(tab().Goods->isFiltered());
}

void TfrmBrTotal::filterCustomer()
{
    TfrmPickCusts *picker = context().pickers->frmPickCusts;
    const int custId = picker->pick() == PickerDialog::Ok ? picker->PickedID().toInt() : 0;
    ErrorReporter(this).report(StockChange::filterCustomer(*tab().GoodsInCusts, custId));
}

void TfrmBrTotal::refreshGoods()
{
    ErrorReporter(this).report(tab().Goods->refresh());
}

void TfrmBrTotal::refreshCustomerStock()
{
    // The customer page shows the customer rows: they are read again with the goods.
    ErrorReporter errors(this);
    if (errors.report(tab().Goods->refresh()))
        errors.report(tab().GoodsInCusts->refresh());
}

void TfrmBrTotal::viewGoodsBills()
{
    Dataset &goods = *tab().Goods;
    if (goods.currentRow() >= 0)
        BillLookup::show(context(), goods.value(QStringLiteral("GoodID")));
}

void TfrmBrTotal::viewCustomerBills()
{
    Dataset &stock = *tab().GoodsInCusts;
    if (stock.currentRow() >= 0)
        BillLookup::show(context(), stock.value(QStringLiteral("GoodID")), stock.value(QStringLiteral("CustID")));
}

void TfrmBrTotal::print()
{
    ui.DBGridEh1->gridActions()->preview();
}

bool TfrmBrTotal::canClose()
{
    if (!base().MyADOCnn().isOpen())
        return true;
    QString error;
    if (tab().PurgeIdleCustStock(&error)) {
        m_purgeFailed = false;
        return true;
    }
    prompter().warning(error);
    // The rows stay where they are, which loses nothing: a second attempt after a failure
    // closes, so a file that refuses writes never keeps the user in the program.
    const bool closeAnyway = m_purgeFailed;
    m_purgeFailed = true;
    return closeAnyway;
}

} // namespace hemu
