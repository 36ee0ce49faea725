#include "ui/analysis/tfrmbrgoodflow.h"

#include "core/analysis/goodsflow.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "ui/analysis/billlookup.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "ui/masterdata/tfrmpickgoods.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/browsergrid.h"
#include "ui/widgets/commandbutton.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/gridactions.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

TfrmBrGoodFlow::TfrmBrGoodFlow(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmBrGoodFlow"))
    , m_flow(new GoodsFlow(context.base.MyADOCnn(), this))
{
    setWindowTitle(QStringLiteral("库存变动统计"));
    // The first screen comes up without reading every line; the grid reads on as it scrolls.
    m_flow->readInPages();

    ui.plHead = new QWidget(this);
    ui.plHead->setObjectName(QStringLiteral("plHead"));
    ui.spSearch = commandButton(ui.plHead, QStringLiteral("spSearch"), QStringLiteral("检索"), QStyle::SP_FileDialogContentsView);
    ui.SpeedButton1 = commandButton(ui.plHead, QStringLiteral("SpeedButton1"), QStringLiteral("刷新"), QStyle::SP_BrowserReload,
                             QStringLiteral("刷新数据显示"));
    ui.SpeedButton2 = commandButton(ui.plHead, QStringLiteral("SpeedButton2"), QStringLiteral("过滤类别"), QStyle::SP_DirIcon);
    ui.spViewTabs = commandButton(ui.plHead, QStringLiteral("spViewTabs"), QStringLiteral("调阅单据"), QStyle::SP_FileDialogDetailedView);
    ui.CheckBox1 = new QCheckBox(QStringLiteral("过滤"), ui.plHead);
    ui.CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    auto *head = new QHBoxLayout(ui.plHead);
    head->setContentsMargins(0, 0, 0, 0);
    for (QWidget *w : {static_cast<QWidget *>(ui.spSearch), static_cast<QWidget *>(ui.SpeedButton1),
                       static_cast<QWidget *>(ui.SpeedButton2), static_cast<QWidget *>(ui.spViewTabs),
                       static_cast<QWidget *>(ui.CheckBox1)})
        head->addWidget(w);
    head->addStretch(1);

    QList<GridColumn> columns;
    const QHash<QString, int> widths{{"CustID", 44}, {"lkCust", 96}, {"CataID", 44}, {"lkCata", 60},
                                     {"GoodID", 44}, {"lkGood", 120}, {"lkUnit", 36}};
    for (const QString &field : GoodsFlow::shownFields())
        columns.append({.field = field, .width = widths.value(field, 62)});
    ui.DBGridEh1 = BrowserGrid::make(this, QStringLiteral("DBGridEh1"), m_flow->Qry, columns, BrowserGrid::Rows::Plain);
    BrowserGrid::band(ui.DBGridEh1, [flow = m_flow](int row) { return flow->isStoreLine(row); });
    ui.DBGridEh1->setPrintTitle(GoodsFlow::printTitle());

    ui.BitBtn1 = commandButton(this, QStringLiteral("BitBtn1"), QStringLiteral("汇总"), QStyle::SP_FileDialogListView);
    ui.Button1 = commandButton(this, QStringLiteral("Button1"), QStringLiteral("打印"), QStyle::SP_DialogSaveButton);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.plHead);
    layout->addWidget(ui.DBGridEh1, 1);
    layout->addLayout(commandRow({ui.BitBtn1, ui.Button1}));

    connect(ui.spSearch, &QPushButton::clicked, this, &TfrmBrGoodFlow::findGoods);
    connect(ui.SpeedButton1, &QPushButton::clicked, this, &TfrmBrGoodFlow::refresh);
    connect(ui.SpeedButton2, &QPushButton::clicked, this, &TfrmBrGoodFlow::filterCategory);
    connect(ui.CheckBox1, &QCheckBox::toggled, this, [this](bool on) { ErrorReporter(this).report(m_flow->setFiltered(on)); });
    connect(ui.spViewTabs, &QPushButton::clicked, this, &TfrmBrGoodFlow::viewBills);
    connect(ui.DBGridEh1, &DataGrid::rowActivated, this, &TfrmBrGoodFlow::viewBills);
    connect(ui.BitBtn1, &QPushButton::clicked, this, [this] { mainWindow().openWindow(QStringLiteral("frmTotalTabs")); });
    connect(ui.Button1, &QPushButton::clicked, ui.DBGridEh1->gridActions(), &GridActions::preview);
}

TfrmBrGoodFlow::~TfrmBrGoodFlow() = default;

void TfrmBrGoodFlow::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    refresh();
    centreOnMainWindow();
}

void TfrmBrGoodFlow::refresh()
{
    ErrorReporter(this).report(m_flow->open());
}

void TfrmBrGoodFlow::setFilterBox(bool on)
{
    const QSignalBlocker quiet(ui.CheckBox1);
    ui.CheckBox1->setChecked(on);
}

void TfrmBrGoodFlow::findGoods()
{
    // The category filter goes first, whatever the picker then says.
    ErrorReporter(this).report(m_flow->setFiltered(false));
    setFilterBox(false);
    TfrmPickGoods *picker = context().pickers->frmPickGoods;
    picker->setFillTarget(nullptr);
    if (picker->pick() != PickerDialog::Ok)
        return;
    const qint64 goodId = base().lkGoods->value(QStringLiteral("GoodID")).toLongLong();
    if (m_flow->findGoods(goodId))
        prompter().information(GoodsFlow::foundText());
    else
        prompter().warning(GoodsFlow::notFoundText());
}

void TfrmBrGoodFlow::filterCategory()
{
    TfrmPickCata *picker = context().pickers->frmPickCata;
    if (picker->pick() != PickerDialog::Ok)
        return;
    const DatasetError e = m_flow->filterCategory(picker->PickedID().toLongLong());
    ErrorReporter(this).report(e);
    if (e.ok())
        setFilterBox(true);
}

void TfrmBrGoodFlow::viewBills()
{
    // The goods item of the line only: a customer line's bills are found through the item.
    Dataset &lines = *m_flow->Qry;
    if (lines.isOpen() && lines.currentRow() >= 0)
        BillLookup::show(context(), lines.value(QStringLiteral("GoodID")));
}

bool TfrmBrGoodFlow::canClose()
{
    QString error;
    if (tab().PurgeIdleCustStock(&error))
        return true;
    prompter().warning(error);
    return false;
}

} // namespace hemu
