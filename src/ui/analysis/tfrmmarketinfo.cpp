#include "ui/analysis/tfrmmarketinfo.h"

#include "core/analysis/marketinfo.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/listfilter.h"
#include "core/prompter.h"
#include "ui/analysis/datelinechart.h"
#include "ui/widgets/arrowrelease.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hemu {

TfrmMarketInfo::TfrmMarketInfo(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmMarketInfo"))
    , m_market(new MarketInfo(context.base, this))
{
    setWindowTitle(QStringLiteral("市场行情"));

    auto *searchLabel = new QLabel(QStringLiteral("检索"), this);
    ui.ComboBox1 = new QComboBox(this);
    ui.ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ui.ComboBox1->addItems({QStringLiteral("品名型号"), QStringLiteral("代码")});
    ui.edSearch = new QLineEdit(this);
    ui.edSearch->setObjectName(QStringLiteral("edSearch"));
    ui.spSearch = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), QString(), this);
    ui.spSearch->setObjectName(QStringLiteral("spSearch"));
    ui.spSearch->setToolTip(QStringLiteral("检索"));
    ui.spSearch->setAutoDefault(false);
    ui.CheckBox1 = new QCheckBox(QStringLiteral("过滤类别"), this);
    ui.CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    auto *searchBar = new QHBoxLayout;
    searchBar->addWidget(searchLabel);
    searchBar->addWidget(ui.ComboBox1);
    searchBar->addWidget(ui.edSearch);
    searchBar->addWidget(ui.spSearch);
    searchBar->addSpacing(12);
    searchBar->addWidget(ui.CheckBox1);
    searchBar->addStretch(1);

    ui.DBGrid1 = new DataGrid(this);
    ui.DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    ui.DBGrid1->setReadOnly(true);
    ui.DBGrid1->setColumns({{.field = QStringLiteral("CataID"), .width = 46}, {.field = QStringLiteral("Catalog"), .width = 90}});
    ui.DBGrid1->setDataset(m_market->Cata);
    ui.DBGrid2 = new DataGrid(this);
    ui.DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    ui.DBGrid2->setReadOnly(true);
    ui.DBGrid2->setColumns({{.field = QStringLiteral("CataID"), .width = 46},
                            {.field = QStringLiteral("GoodID"), .width = 52},
                            {.field = QStringLiteral("Description"), .width = 200},
                            {.field = QStringLiteral("lkUnit"), .width = 40},
                            {.field = QStringLiteral("CostPrice"), .width = 76},
                            {.field = QStringLiteral("AvgCostPrice"), .width = 110},
                            {.field = QStringLiteral("SellPrice"), .width = 76},
                            {.field = QStringLiteral("AvgSellPrice"), .width = 110}});
    ui.DBGrid2->setDataset(m_market->Goods);

    auto *lists = new QSplitter(Qt::Horizontal, this);
    lists->setObjectName(QStringLiteral("Splitter1"));
    lists->addWidget(ui.DBGrid1);
    lists->addWidget(ui.DBGrid2);
    lists->setStretchFactor(1, 1);
    lists->setSizes({170, 800});
    auto *upper = new QWidget(this);
    auto *upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addLayout(searchBar);
    upperLayout->addWidget(lists, 1);

    auto *areas = new QSplitter(Qt::Vertical, this);
    areas->setObjectName(QStringLiteral("Splitter2"));
    areas->addWidget(upper);
    areas->addWidget(buildCharts());
    areas->setStretchFactor(1, 2);
    areas->setSizes({190, 400});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(areas);

    m_categoryFilter = std::make_unique<ListFilter>(ListFilter::Kind::Category, *m_market->Goods, QStringLiteral("CataID"),
                                                    *m_market->Cata, QStringLiteral("CataID"));
    auto chosen = [this] { ErrorReporter(this).report(m_categoryFilter->listChosen(ui.CheckBox1->isChecked())); };
    connect(ui.DBGrid1, &DataGrid::clicked, this, chosen);
    whenArrowReleased(ui.DBGrid1, chosen);
    connect(ui.CheckBox1, &QCheckBox::toggled, this, [this](bool on) { ErrorReporter(this).report(m_categoryFilter->boxToggled(on)); });
    connect(ui.spSearch, &QPushButton::clicked, this, &TfrmMarketInfo::search);
    connect(ui.edSearch, &QLineEdit::returnPressed, this, &TfrmMarketInfo::search);
    // The charts follow the goods row, also after a filter, search or sort put another first.
    connect(m_market->Goods, &Dataset::currentChanged, this, &TfrmMarketInfo::goodsRowChanged);
    connect(m_market->Goods, &Dataset::rowsReset, this, &TfrmMarketInfo::goodsRowChanged);
}

TfrmMarketInfo::~TfrmMarketInfo() = default;

QWidget *TfrmMarketInfo::buildCharts()
{
    ui.PageControl1 = new QTabWidget(this);
    ui.PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ui.PageControl1->setTabPosition(QTabWidget::South);

    ui.DBChartPrice = new DateLineChart(QStringLiteral("DBChartPrice"), QStringLiteral("价格"), QStringLiteral("价格"));
    ui.DBChartPrice->setTitle(QStringLiteral("行情"));
    ui.DBChartPrice->setValueLabels(MarketInfo::valueFormat());
    ui.DBChartPrice->setValueAxisLabelColour(Qt::red);
    ui.DBChartQty = new DateLineChart(QStringLiteral("DBChartQty"), QStringLiteral("采购数量"), QStringLiteral("数量"));
    ui.DBChartQty->setTitle(QStringLiteral("采购数量"));
    ui.DBChart2 = new DateLineChart(QStringLiteral("DBChart2"), QStringLiteral("单项采购金额"), QStringLiteral("价格"));
    ui.DBChart2->setTitle(QStringLiteral("单项采购金额"));
    ui.DBChart2->setValueLabels(MarketInfo::valueFormat());
    ui.DBChart1 = new DateLineChart(QStringLiteral("DBChart1"), QStringLiteral("采购金额"), QStringLiteral("金额"));
    ui.DBChart1->setTitle(QStringLiteral("采购总金额"));

    const QList<QPair<QString, QPair<DateLineChart *, DateLineChart *>>> pages{
        {QStringLiteral("行情"), {ui.DBChartPrice, ui.DBChartQty}}, {QStringLiteral("采购金额"), {ui.DBChart2, ui.DBChart1}}};
    for (const auto &[caption, charts] : pages) {
        auto *split = new QSplitter(Qt::Vertical, ui.PageControl1);
        split->addWidget(charts.first);
        split->addWidget(charts.second);
        ui.PageControl1->addTab(split, caption);
    }
    return ui.PageControl1;
}

void TfrmMarketInfo::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    centreOnMainWindow();
    if (m_market->open().failed()) {
        prompter().warning(MarketInfo::failedText());
        return;
    }
    drawTotals();
    goodsRowChanged();
}

void TfrmMarketInfo::closeEvent(QCloseEvent *event)
{
    ChildWindow::closeEvent(event);
    if (event->isAccepted())
        m_market->close();
}

void TfrmMarketInfo::drawTotals()
{
    ui.DBChart1->setPoints(MarketInfo::series(*m_market->qTotalMoney, QStringLiteral("smoney")));
}

void TfrmMarketInfo::goodsRowChanged()
{
    if (!m_opened || !m_market->Goods->isOpen())
        return;
    ui.DBChartPrice->setTitle(m_market->priceTitle());
    ui.DBChartQty->setTitle(m_market->quantityTitle());
    if (m_market->readItem().failed())
        prompter().warning(MarketInfo::failedText());
    // A failed read leaves the dates closed and the charts empty: never the previous item's
    // points under this item's title.
    Dataset &dates = *m_market->queryPrice;
    ui.DBChartPrice->setPoints(MarketInfo::series(dates, QStringLiteral("aPrice")));
    ui.DBChartQty->setPoints(MarketInfo::series(dates, QStringLiteral("sQty")));
    ui.DBChart2->setPoints(MarketInfo::series(dates, QStringLiteral("sMny")));
}

void TfrmMarketInfo::search()
{
    QString error;
    if (!m_market->search(ui.ComboBox1->currentIndex(), ui.edSearch->text(), &error))
        prompter().warning(error);
}

} // namespace hemu
