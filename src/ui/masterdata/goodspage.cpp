#include "ui/masterdata/goodspage.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/averageprices.h"
#include "core/masterdata/emptygoods.h"
#include "core/masterdata/listfilter.h"
#include "core/masterdata/printorder.h"
#include "core/prompter.h"
#include "ui/masterdata/editors.h"
#include "ui/masterdata/tfrmedcata.h"
#include "ui/masterdata/tfrmedgoods.h"
#include "ui/masterdata/tfrmedinitial.h"
#include "ui/widgets/arrowrelease.h"
#include "ui/widgets/barprogress.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/navigator.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace hemu {

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QString &text, QStyle::StandardPixmap icon,
                    const QString &hint = {})
{
    auto *b = new QPushButton(parent->style()->standardIcon(icon), text, parent);
    b->setObjectName(name);
    b->setToolTip(hint.isEmpty() ? text : hint);
    return b;
}

} // namespace

GoodsPage::GoodsPage(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("tsCatalogs"));
    buildCategories();
    buildGoods();

    auto *categoryButtons = new QHBoxLayout;
    categoryButtons->addWidget(ui.spInsert);
    categoryButtons->addWidget(ui.SpeedButton2);
    categoryButtons->addWidget(ui.spEdit);
    auto *categories = new QWidget(this);
    categories->setFixedWidth(ui.CataGrid->width());
    auto *left = new QVBoxLayout(categories);
    left->setContentsMargins(0, 0, 0, 0);
    left->addLayout(categoryButtons);
    left->addWidget(ui.CheckBox1);
    left->addWidget(ui.CataGrid, 1);

    auto *searchBar = new QHBoxLayout;
    searchBar->addWidget(ui.ComboBox1);
    searchBar->addWidget(ui.edSearch, 1);
    searchBar->addWidget(ui.spSearch);
    searchBar->addWidget(ui.spViewEmpty);
    searchBar->addSpacing(12);
    searchBar->addWidget(ui.SpeedButton7);
    searchBar->addWidget(ui.spAPrice);
    searchBar->addWidget(ui.spEdInitial);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(ui.DBNavigator2);
    bottom->addWidget(ui.ProgressBar1, 1);
    bottom->addStretch(1);
    bottom->addWidget(ui.SpeedButton10);
    bottom->addWidget(ui.edCount);
    auto *right = new QVBoxLayout;
    right->addLayout(searchBar);
    right->addWidget(ui.DBGridEh1, 1);
    right->addLayout(bottom);

    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addWidget(categories);
    page->addLayout(right, 1);
}

GoodsPage::~GoodsPage() = default;

void GoodsPage::buildCategories()
{
    ui.CataGrid = new DataGrid(this);
    ui.CataGrid->setObjectName(QStringLiteral("CataGrid"));
    ui.CataGrid->setReadOnly(true);
    const QColor tip = palette().color(QPalette::ToolTipBase);
    ui.CataGrid->setColumns({{.field = QStringLiteral("CataID"), .title = QStringLiteral("代码"), .width = 40, .background = tip},
                             {.field = QStringLiteral("Catalog"), .width = 80, .background = tip},
                             {.field = QStringLiteral("Remark"), .width = 56, .background = tip}});
    ui.CataGrid->setDataset(base().Cata);
    ui.CataGrid->setFixedWidth(204);
    ui.spInsert = button(this, QStringLiteral("spInsert"), QStringLiteral("添加"), QStyle::SP_FileDialogNewFolder);
    ui.SpeedButton2 = button(this, QStringLiteral("SpeedButton2"), QStringLiteral("删除"), QStyle::SP_TrashIcon);
    ui.spEdit = button(this, QStringLiteral("spEdit"), QStringLiteral("修改"), QStyle::SP_FileDialogDetailedView);
    for (QPushButton *b : {ui.spInsert, ui.SpeedButton2, ui.spEdit})
        b->setMinimumWidth(0);
    ui.CheckBox1 = new QCheckBox(QStringLiteral("过滤"), this);
    ui.CheckBox1->setObjectName(QStringLiteral("CheckBox1"));

    m_categoryFilter = std::make_unique<ListFilter>(ListFilter::Kind::Category, *base().Goods, QStringLiteral("CataID"),
                                                    *base().Cata, QStringLiteral("CataID"));
    auto chosen = [this] { ErrorReporter(this).report(m_categoryFilter->listChosen(ui.CheckBox1->isChecked())); };
    connect(ui.CataGrid, &DataGrid::clicked, this, chosen);
    whenArrowReleased(ui.CataGrid, chosen);
    connect(ui.CheckBox1, &QCheckBox::toggled, this,
            [this](bool on) { ErrorReporter(this).report(m_categoryFilter->boxToggled(on)); });
    connect(ui.spInsert, &QPushButton::clicked, this, [this] { editCategory(true); });
    connect(ui.spEdit, &QPushButton::clicked, this, [this] { editCategory(false); });
    // The delete rule of the categories asks first.
    connect(ui.SpeedButton2, &QPushButton::clicked, this, [this] { ErrorReporter(this).report(base().Cata->remove()); });
}

void GoodsPage::buildGoods()
{
    ui.DBGridEh1 = new DataGrid(this);
    ui.DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    ui.DBGridEh1->setReadOnly(true);
    ui.DBGridEh1->setColumns({
        {.field = QStringLiteral("lkCata"), .width = 52},
        {.field = QStringLiteral("Description"), .title = QStringLiteral("产品|品名型号"), .width = 124},
        {.field = QStringLiteral("GoodID"), .title = QStringLiteral("产品|代码"), .width = 40},
        {.field = QStringLiteral("BarCode"), .title = QStringLiteral("产品|条形码"), .width = 96},
        {.field = QStringLiteral("Unit"), .title = QStringLiteral("产品|单位"), .width = 36},
        {.field = QStringLiteral("TaxRate"), .width = 44},
        {.field = QStringLiteral("CostPrice"), .title = QStringLiteral("购入价|现价"), .width = 50},
        {.field = QStringLiteral("CostAvgPrice"), .title = QStringLiteral("购入价|均价"), .width = 50},
        {.field = QStringLiteral("SellPrice"), .title = QStringLiteral("销售价|现价"), .width = 50},
        {.field = QStringLiteral("SellAvgPrice"), .title = QStringLiteral("销售价|均价"), .width = 50},
        {.field = QStringLiteral("HardOrder"), .width = 46},
        {.field = QStringLiteral("InUse"), .width = 34},
        {.field = QStringLiteral("IsZero"), .width = 28},
        {.field = QStringLiteral("EnterDate"), .width = 76},
    });
    ui.DBGridEh1->setDataset(base().Goods);

    ui.ComboBox1 = new QComboBox(this);
    ui.ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ui.ComboBox1->addItems({QStringLiteral("品名型号"), QStringLiteral("代码")});
    ui.edSearch = new QLineEdit(this);
    ui.edSearch->setObjectName(QStringLiteral("edSearch"));
    ui.edSearch->setToolTip(QStringLiteral("查找输入框"));
    ui.spSearch = button(this, QStringLiteral("spSearch"), QString(), QStyle::SP_FileDialogContentsView,
                         QStringLiteral("查找品名型号"));
    ui.spViewEmpty = new QToolButton(this);
    ui.spViewEmpty->setObjectName(QStringLiteral("spViewEmpty"));
    ui.spViewEmpty->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    ui.spViewEmpty->setToolTip(QStringLiteral("查看没有使用的产品"));
    ui.spViewEmpty->setCheckable(true);
    ui.SpeedButton7 = button(this, QStringLiteral("SpeedButton7"), QString(), QStyle::SP_ArrowDown,
                             QStringLiteral("将当前显示顺序设置为打印顺序"));
    ui.spAPrice = button(this, QStringLiteral("spAPrice"), QStringLiteral("求均价"), QStyle::SP_BrowserReload);
    ui.spEdInitial = button(this, QStringLiteral("spEdInitial"), QStringLiteral("设期初"), QStyle::SP_FileDialogStart);
    ui.ProgressBar1 = new QProgressBar(this);
    ui.ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ui.ProgressBar1->setTextVisible(false);
    ui.ProgressBar1->hide();
    ui.DBNavigator2 = new Navigator(this);
    ui.DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    ui.DBNavigator2->setDataset(base().Goods);
    ui.SpeedButton10 = button(this, QStringLiteral("SpeedButton10"), QStringLiteral("产品数:"), QStyle::SP_FileDialogInfoView);
    ui.edCount = new QLineEdit(this);
    ui.edCount->setObjectName(QStringLiteral("edCount"));
    ui.edCount->setReadOnly(true);
    ui.edCount->setFixedWidth(70);
    // Enter in the search box searches; no button of the page is pressed by it.
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);

    connect(ui.spSearch, &QPushButton::clicked, this, &GoodsPage::search);
    connect(ui.edSearch, &QLineEdit::returnPressed, this, &GoodsPage::search);
    connect(ui.spViewEmpty, &QToolButton::toggled, this, &GoodsPage::viewEmpty);
    connect(ui.SpeedButton7, &QPushButton::clicked, this, &GoodsPage::setPrintOrder);
    connect(ui.spAPrice, &QPushButton::clicked, this, &GoodsPage::averagePrices);
    connect(ui.spEdInitial, &QPushButton::clicked, this, &GoodsPage::editOpeningBalance);
    connect(ui.SpeedButton10, &QPushButton::clicked, this,
            [this] { ui.edCount->setText(QString::number(base().Goods->rowCount())); });
    connect(ui.DBNavigator2, &Navigator::actionDone, this,
            [this](Navigator::Button which, bool ok) { goodsNavigated(int(which), ok); });
}

void GoodsPage::editCategory(bool append)
{
    m_context.editors->frmEdCata->editRow(append ? EditorDialog::Start::Append : EditorDialog::Start::Edit);
}

void GoodsPage::goodsNavigated(int which, bool ok)
{
    // The navigator has put the goods into insert or edit state: the editor takes over.
    if (!ok || (which != Navigator::Insert && which != Navigator::Edit) || !base().Goods->isEditing())
        return;
    m_context.editors->frmEdGoods->editRow(which == Navigator::Edit ? EditorDialog::Start::Edit : EditorDialog::Start::AsIs);
}

void GoodsPage::search()
{
    QString error;
    if (!base().FilterGoods(ui.ComboBox1->currentIndex(), ui.edSearch->text(), *base().Goods, &error))
        m_context.prompter.warning(error);
}

void GoodsPage::viewEmpty(bool down)
{
    QString error;
    if (!EmptyGoods::show(base(), down, &error))
        m_context.prompter.warning(error);
}

void GoodsPage::showBar(bool shown)
{
    BarProgress::reset(ui.ProgressBar1);
    ui.ProgressBar1->setVisible(shown);
    if (shown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void GoodsPage::setPrintOrder()
{
    if (!m_context.prompter.question(PrintOrder::questionText()))
        return;
    Dataset *goods = base().Goods;
    if (goods->isEditing())
        goods->cancel();
    showBar(true);
    BarProgress progress(ui.ProgressBar1);
    PrintOrder::apply(base(), *goods, progress);
    showBar(false);
}

void GoodsPage::averagePrices()
{
    if (!AveragePrices::applies(*m_context.tab.RuKuMx))
        return;
    showBar(true);
    BarProgress progress(ui.ProgressBar1);
    const AveragePrices::Result r = AveragePrices::rebuild(base().MyADOCnn(), progress);
    showBar(false);
    // The two average columns show the new figures.
    ErrorReporter errors(this);
    errors.report(base().GoodAvgPrice->refresh());
    errors.report(base().Goods->refresh());
    if (!r.ok)
        m_context.prompter.warning(r.error);
}

void GoodsPage::editOpeningBalance()
{
    if (base().Goods->currentRow() >= 0)
        m_context.editors->frmEdInitial->editRow(EditorDialog::Start::Edit);
}

} // namespace hemu
