#include "ui/masterdata/tfrmpickcusthasgoods.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/custholdings.h"
#include "ui/masterdata/holdingscolumns.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/datasetwatcher.h"
#include "ui/widgets/errorreporter.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>

namespace hemu {

TfrmPickCustHasGoods::TfrmPickCustHasGoods(AppContext &context, QWidget *parent)
    : PickerDialog(context, QStringLiteral("frmPickCustHasGoods"), QStringLiteral("有应收款的客户"), parent)
    , m_holdings(new CustHoldings(context.base.MyADOCnn(), CustHoldings::Lists::CustomersAndGoods, this))
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    // Closing the account set closes the lists with the shared ones.
    base().registry().attach(m_holdings->qSumDue);
    base().registry().attach(m_holdings->qCustHasGoods);

    ui.Panel1 = new QLabel(this);
    ui.Panel1->setObjectName(QStringLiteral("Panel1"));
    ui.Panel1->setStyleSheet(QStringLiteral("QLabel { background: white; padding: 4px; }"));
    ui.DBGCusts = makeList(QStringLiteral("DBGCusts"), m_holdings->qSumDue,
                           {{.field = QStringLiteral("CustID"), .title = QStringLiteral("客户码"), .width = 56},
                            {.field = QStringLiteral("CustName"), .title = QStringLiteral("客户名称"), .width = 150},
                            {.field = QStringLiteral("smny"), .title = QStringLiteral("总金额"), .width = 80}});
    ui.DBGGoods = makeList(QStringLiteral("DBGGoods"), m_holdings->qCustHasGoods, holdingsColumns());
    ui.Splitter = new QSplitter(this);
    ui.Splitter->setObjectName(QStringLiteral("Splitter"));
    ui.Splitter->setChildrenCollapsible(false);
    ui.Splitter->addWidget(ui.DBGCusts);
    ui.Splitter->addWidget(ui.DBGGoods);

    ui.BitBtn1 = new QPushButton(QStringLiteral("填入"), this);
    ui.BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    ui.BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    ui.BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    ui.RadioGroup1 = new QWidget(this);
    ui.RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    ui.rbUpright = new QRadioButton(QStringLiteral("竖式"), ui.RadioGroup1);
    ui.rbUpright->setObjectName(QStringLiteral("rbUpright"));
    ui.rbLying = new QRadioButton(QStringLiteral("横式"), ui.RadioGroup1);
    ui.rbLying->setObjectName(QStringLiteral("rbLying"));
    ui.rbUpright->setChecked(true);
    auto *group = new QButtonGroup(ui.RadioGroup1);
    group->addButton(ui.rbUpright);
    group->addButton(ui.rbLying);
    auto *radios = new QHBoxLayout(ui.RadioGroup1);
    radios->setContentsMargins(0, 0, 0, 0);
    radios->addWidget(ui.rbUpright);
    radios->addWidget(ui.rbLying);
    for (QPushButton *button : {ui.BitBtn1, ui.BitBtn2})
        button->setAutoDefault(false);

    auto *bar = new QHBoxLayout;
    bar->addWidget(ui.RadioGroup1);
    bar->addStretch(1);
    bar->addWidget(ui.BitBtn1);
    bar->addWidget(ui.BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.Panel1);
    layout->addWidget(ui.Splitter, 1);
    layout->addLayout(bar);

    connect(ui.DBGCusts, &DataGrid::rowActivated, this, &TfrmPickCustHasGoods::pickCustomer);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfrmPickCustHasGoods::pickCustomer);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui.rbUpright, &QRadioButton::toggled, this, &TfrmPickCustHasGoods::applyLayout);
    DatasetWatcher::subscribe(m_holdings->qSumDue, this, DatasetWatcher::Current | DatasetWatcher::Rows,
                              [this] { customerChanged(); });
    resize(860, 440);
    applyLayout();
}

TfrmPickCustHasGoods::~TfrmPickCustHasGoods()
{
    base().registry().detach(m_holdings->qSumDue);
    base().registry().detach(m_holdings->qCustHasGoods);
}

bool TfrmPickCustHasGoods::isUpright() const
{
    return ui.rbUpright->isChecked();
}

void TfrmPickCustHasGoods::applyLayout()
{
    // The customers get the room their three columns need, the goods the rest.
    ui.Splitter->setOrientation(isUpright() ? Qt::Horizontal : Qt::Vertical);
    ui.Splitter->setSizes(isUpright() ? QList<int>{330, 520} : QList<int>{150, 230});
}

void TfrmPickCustHasGoods::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && base().MyADOCnn().isOpen())
        ErrorReporter(this).report(m_holdings->openCustomers());
    PickerDialog::showEvent(event);
}

void TfrmPickCustHasGoods::customerChanged()
{
    Dataset *customers = m_holdings->qSumDue;
    const bool any = customers->isOpen() && customers->currentRow() >= 0;
    ui.Panel1->setText(QStringLiteral(" 客户:")
                       + (any ? QStringLiteral("  %1  %2").arg(customers->value(QStringLiteral("CustID")).toString(),
                                                               customers->value(QStringLiteral("CustName")).toString())
                              : QString()));
    if (customers->isOpen())
        ErrorReporter(this).report(m_holdings->followCustomer());
}

void TfrmPickCustHasGoods::pickCustomer()
{
    Dataset *customers = m_holdings->qSumDue;
    if (customers->currentRow() < 0)
        return;
    pickRow(customers->value(QStringLiteral("CustID")), customers->value(QStringLiteral("CustName")).toString());
}

} // namespace hemu
