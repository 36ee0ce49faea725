#include "ui/analysis/tfrmprofits.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/analysis/categorypie.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/speedbutton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace hemu {

TfrmProfits::TfrmProfits(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmProfits"))
    , m_profits(std::make_unique<Profits>(context.base.MyADOCnn()))
{
    setWindowTitle(QStringLiteral("经营状况"));
    ui.PageControl1 = new QTabWidget(this);
    ui.PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ui.PageControl1->setTabPosition(QTabWidget::South);
    ui.PageControl1->addTab(buildChartPage(), QStringLiteral("图表分析"));
    ui.PageControl1->addTab(buildListPage(), QStringLiteral("统计分析"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.PageControl1);

    connect(ui.PageControl1, &QTabWidget::currentChanged, this, &TfrmProfits::pageShown);
}

TfrmProfits::~TfrmProfits()
{
    ui.DBGrid1->setDataset(nullptr);
}

QWidget *TfrmProfits::buildChartPage()
{
    ui.TabSheet1 = new QWidget(this);
    ui.TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    ui.spDraw = makeSpeedButton(ui.TabSheet1, QStringLiteral("spDraw"), {}, QStyle::SP_BrowserReload, QStringLiteral("重新绘图"));
    ui.SpeedButton2 = makeSpeedButton(ui.TabSheet1, QStringLiteral("SpeedButton2"), {}, QStyle::SP_FileDialogInfoView,
                                      QStringLiteral("显示百分比"));
    ui.SpeedButton3 = makeSpeedButton(ui.TabSheet1, QStringLiteral("SpeedButton3"), {}, QStyle::SP_FileDialogDetailedView,
                                      QStringLiteral("显示数值"));
    ui.DBChart1 = new CategoryPie(ui.TabSheet1);
    ui.DBChart1->setObjectName(QStringLiteral("DBChart1"));

    auto *tools = new QHBoxLayout;
    tools->setSpacing(2);
    tools->addWidget(ui.spDraw);
    tools->addWidget(ui.SpeedButton2);
    tools->addWidget(ui.SpeedButton3);
    tools->addStretch();
    auto *page = new QVBoxLayout(ui.TabSheet1);
    page->setContentsMargins(4, 4, 4, 4);
    page->addLayout(tools);
    page->addWidget(ui.DBChart1, 1);

    connect(ui.spDraw, &QToolButton::clicked, this, &TfrmProfits::redraw);
    connect(ui.SpeedButton2, &QToolButton::clicked, this, [this] { ui.DBChart1->setLabels(PieLabels::Percent); });
    connect(ui.SpeedButton3, &QToolButton::clicked, this, [this] { ui.DBChart1->setLabels(PieLabels::Value); });
    return ui.TabSheet1;
}

QWidget *TfrmProfits::buildListPage()
{
    ui.TabSheet2 = new QWidget(this);
    ui.TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto *heading = new QLabel(QStringLiteral(" 当期经营状况"), ui.TabSheet2);
    heading->setObjectName(QStringLiteral("Panel1"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    ui.SpeedButton4 = makeSpeedButton(ui.TabSheet2, QStringLiteral("SpeedButton4"), QStringLiteral("类别过滤"),
                                      QStyle::SP_FileDialogContentsView);

    const int character = fontMetrics().horizontalAdvance(QLatin1Char('0')); // one character of a column's width
    ui.DBGrid1 = new DataGrid(ui.TabSheet2);
    ui.DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    ui.DBGrid1->setReadOnly(true);
    ui.DBGrid1->setMultiSelect(true);
    // Widths in characters, as the list was laid out; numbers need a little more room.
    ui.DBGrid1->setColumns({{.field = QStringLiteral("CataName"), .width = 11 * character},
                            {.field = QStringLiteral("Description"), .width = 20 * character},
                            {.field = QStringLiteral("SoldMny"), .width = 12 * character},
                            {.field = QStringLiteral("Sold"), .width = 10 * character},
                            {.field = QStringLiteral("CostAvgPrice"), .width = 12 * character},
                            {.field = QStringLiteral("CostMny"), .width = 12 * character},
                            {.field = QStringLiteral("surProfit"), .width = 11 * character},
                            {.field = QStringLiteral("proRate"), .width = 9 * character}});
    ui.DBGrid1->setDataset(m_profits->qProfits);
    ui.DBGrid1->setPrintTitle(QStringLiteral("当期经营状况"));

    ui.Memo1 = new QPlainTextEdit(ui.TabSheet2);
    ui.Memo1->setObjectName(QStringLiteral("Memo1"));
    ui.Memo1->setFixedHeight(8 * fontMetrics().height());
    ui.btRefresh = new QPushButton(QStringLiteral("刷新"), ui.TabSheet2);
    ui.btRefresh->setObjectName(QStringLiteral("btRefresh"));
    ui.btCompute = new QPushButton(QStringLiteral("统计选项"), ui.TabSheet2);
    ui.btCompute->setObjectName(QStringLiteral("btCompute"));
    ui.Button1 = new QPushButton(QStringLiteral("统计全体"), ui.TabSheet2);
    ui.Button1->setObjectName(QStringLiteral("Button1"));

    auto *bar = new QFrame(ui.TabSheet2);
    bar->setFrameShape(QFrame::StyledPanel);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(2, 2, 2, 2);
    barLayout->addWidget(heading);
    barLayout->addStretch();
    barLayout->addWidget(ui.SpeedButton4);
    auto *left = new QVBoxLayout;
    left->addWidget(bar);
    left->addWidget(ui.DBGrid1, 1);
    left->addWidget(ui.Memo1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ui.btRefresh);
    buttons->addWidget(ui.btCompute);
    buttons->addWidget(ui.Button1);
    buttons->addStretch();
    auto *page = new QHBoxLayout(ui.TabSheet2);
    page->setContentsMargins(4, 4, 4, 4);
    page->addLayout(left, 1);
    page->addLayout(buttons);

    connect(ui.SpeedButton4, &QToolButton::clicked, this, &TfrmProfits::SpeedButton4Click);
    connect(ui.btRefresh, &QPushButton::clicked, this, &TfrmProfits::refresh);
    connect(ui.btCompute, &QPushButton::clicked, this, &TfrmProfits::btComputeClick);
    connect(ui.Button1, &QPushButton::clicked, this, &TfrmProfits::Button1Click);
    return ui.TabSheet2;
}

QSize TfrmProfits::sizeHint() const
{
    return QSize(940, 540);
}

void TfrmProfits::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        refresh();
        pageShown(ui.PageControl1->currentIndex());
    }
    ChildWindow::showEvent(event);
    if (!event->spontaneous())
        centreOnMainWindow();
}

void TfrmProfits::pageShown(int page)
{
    if (page == ui.PageControl1->indexOf(ui.TabSheet1))
        redraw();
}

void TfrmProfits::redraw()
{
    ErrorReporter(this).report(m_profits->openCategories());
    ui.DBChart1->setSlices(m_profits->pieSlices());
}

void TfrmProfits::refresh()
{
    ErrorReporter(this).report(m_profits->open());
}

void TfrmProfits::SpeedButton4Click()
{
    TfrmPickCata *picker = context().pickers->frmPickCata;
    std::optional<int> category;
    if (picker->pick() == PickerDialog::Ok)
        category = picker->PickedID().toInt();
    ErrorReporter(this).report(m_profits->filterCategory(category));
}

void TfrmProfits::btComputeClick()
{
    const QStringList lines = m_profits->selectionLines(ui.DBGrid1->selectedRows());
    if (lines.isEmpty())
        return;
    ui.Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

void TfrmProfits::Button1Click()
{
    DatasetError error;
    const QStringList lines = m_profits->allProfitLines(&error);
    ui.Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    ErrorReporter(this).report(error);
}

} // namespace hemu
