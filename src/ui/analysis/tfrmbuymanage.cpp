#include "ui/analysis/tfrmbuymanage.h"

#include "core/analysis/payables.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "ui/bills/tfrmbusiness.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickvendor.h"
#include "ui/reports/accountreportwindows.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/speedbutton.h"

#include <QHBoxLayout>
#include <QShowEvent>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace hemu {

TfrmBuyManage::TfrmBuyManage(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmBuyManage"))
    , m_payables(std::make_unique<Payables>(context.base.MyADOCnn()))
{
    setWindowTitle(QStringLiteral("进货管理"));
    ui.SpeedButton4 = makeSpeedButton(this, QStringLiteral("SpeedButton4"), QStringLiteral("总计"), QStyle::SP_FileDialogListView,
                                      QStringLiteral("打印"));
    ui.SpeedButton1 = makeSpeedButton(this, QStringLiteral("SpeedButton1"), QStringLiteral("明细"),
                                      QStyle::SP_FileDialogDetailedView, QStringLiteral("打印"));
    ui.SpeedButton2 = makeSpeedButton(this, QStringLiteral("SpeedButton2"), QStringLiteral("刷新"), QStyle::SP_BrowserReload);
    ui.SpeedButton3 = makeSpeedButton(this, QStringLiteral("SpeedButton3"), QStringLiteral("调阅单据"), QStyle::SP_FileIcon);
    ui.SpeedButton5 = makeSpeedButton(this, QStringLiteral("SpeedButton5"), QStringLiteral("供方"),
                                      QStyle::SP_FileDialogContentsView);

    const int character = fontMetrics().horizontalAdvance(QLatin1Char('0')); // one character of a column's width
    ui.DBGrid1 = new DataGrid(this);
    ui.DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    ui.DBGrid1->setReadOnly(true);
    ui.DBGrid1->setColumns({{.field = QStringLiteral("lkVendor"), .width = 26 * character},
                            {.field = QStringLiteral("DuePay"), .width = 13 * character}});
    ui.DBGrid1->setDataset(m_payables->qSum);

    ui.DBGrid2 = new DataGrid(this);
    ui.DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    ui.DBGrid2->setReadOnly(true);
    ui.DBGrid2->setColumns({{.field = QStringLiteral("TabDate"), .width = 12 * character},
                            {.field = QStringLiteral("TabID"), .width = 7 * character},
                            {.field = QStringLiteral("BookID"), .width = 20 * character},
                            {.field = QStringLiteral("due"), .width = 11 * character},
                            {.field = QStringLiteral("paid"), .width = 11 * character},
                            {.field = QStringLiteral("clear"), .width = 5 * character}});
    ui.DBGrid2->setDataset(m_payables->qStatistic);

    ui.Splitter1 = new QSplitter(Qt::Horizontal, this);
    ui.Splitter1->setObjectName(QStringLiteral("Splitter1"));
    ui.Splitter1->addWidget(ui.DBGrid1);
    ui.Splitter1->addWidget(ui.DBGrid2);
    ui.Splitter1->setStretchFactor(1, 1);
    ui.Splitter1->setSizes({44 * character, 66 * character});

    auto *tools = new QHBoxLayout;
    tools->setSpacing(2);
    for (QToolButton *b : {ui.SpeedButton4, ui.SpeedButton1, ui.SpeedButton2, ui.SpeedButton3, ui.SpeedButton5})
        tools->addWidget(b);
    tools->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(tools);
    layout->addWidget(ui.Splitter1, 1);

    connect(ui.SpeedButton4, &QToolButton::clicked, this, &TfrmBuyManage::printTotals);
    connect(ui.SpeedButton1, &QToolButton::clicked, this, &TfrmBuyManage::printBills);
    connect(ui.SpeedButton2, &QToolButton::clicked, this, &TfrmBuyManage::refresh);
    connect(ui.SpeedButton3, &QToolButton::clicked, this, &TfrmBuyManage::SpeedButton3Click);
    connect(ui.SpeedButton5, &QToolButton::clicked, this, &TfrmBuyManage::SpeedButton5Click);
}

TfrmBuyManage::~TfrmBuyManage()
{
    // The grids let go of the lists before they go.
    ui.DBGrid2->setDataset(nullptr);
    ui.DBGrid1->setDataset(nullptr);
}

QSize TfrmBuyManage::sizeHint() const
{
    return QSize(940, 460);
}

void TfrmBuyManage::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        refresh();
    ChildWindow::showEvent(event);
    if (!event->spontaneous())
        centreOnMainWindow();
}

void TfrmBuyManage::refresh()
{
    ErrorReporter(this).report(m_payables->open());
}

void TfrmBuyManage::printTotals()
{
    accountreports::previewPayablesTotal(context(), this);
}

void TfrmBuyManage::printBills()
{
    // The bills of the vendor on the totals list's current row, as the lower list shows them.
    const qint64 vendorId = m_payables->qSum->value(QStringLiteral("CustID")).toLongLong();
    accountreports::previewPayablesDetail(context(), vendorId, this);
}

void TfrmBuyManage::SpeedButton3Click()
{
    // The bill is looked for among the stock-in bills bill entry holds now: one its search
    // hides is not there.
    const QVariant tabId = m_payables->qStatistic->value(QStringLiteral("TabID"));
    Dataset *bills = tab().RuKu;
    if (tabId.isNull() || !bills->isOpen() || !bills->locate(QStringLiteral("TabID"), tabId)) {
        prompter().warning(Payables::missingBillText());
        return;
    }
    // Bill entry shows the bill as its current stock-in bill; a program without it says so.
    if (!mainWindow().openWindow(QStringLiteral("frmBusiness"))) {
        prompter().warning(QStringLiteral("单据录入不可用。"));
        return;
    }
    // Bill entry opens on its delivery page; the bill looked up is a stock-in bill.
    if (auto *entry = mainWindow().findChild<TfrmBusiness *>())
        entry->showPage(BillKind::StockIn);
}

void TfrmBuyManage::SpeedButton5Click()
{
    TfrmPickVendor *picker = context().pickers->frmPickVendor;
    if (picker->pick() != PickerDialog::Ok)
        return;
    if (!m_payables->findVendor(picker->PickedID().toInt()))
        prompter().information(Payables::noPayablesText());
}

} // namespace hemu
