#include "ui/masterdata/tfrmpickduegoodsofcust.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/custholdings.h"
#include "ui/masterdata/holdingscolumns.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/fieldbinders.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace hemu {

TfrmPickDueGoodsOfCust::TfrmPickDueGoodsOfCust(AppContext &context, QWidget *parent)
    : FillPicker(context, QStringLiteral("frmPickDueGoodsOfCust"), QStringLiteral("客户应付款货物"), parent)
    , m_holdings(new CustHoldings(context.base.MyADOCnn(), CustHoldings::Lists::GoodsOnly, this))
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    base().registry().attach(m_holdings->qCustHasGoods);

    Dataset *receipt = context.tab.ChuKu;
    auto label = [this](const QString &name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    ui.Label1 = label(QStringLiteral("Label1"), QStringLiteral("客户代码；"));
    ui.DBText1 = label(QStringLiteral("DBText1"), QString());
    ui.Label2 = label(QStringLiteral("Label2"), QStringLiteral("客户名称:"));
    ui.DBText2 = label(QStringLiteral("DBText2"), QString());
    new LabelBinder(ui.DBText1, receipt, QStringLiteral("CustID"));
    new LabelBinder(ui.DBText2, receipt, QStringLiteral("lkCust"));
    ui.DBText1->setMinimumWidth(60);
    ui.DBGGoods = makeList(QStringLiteral("DBGGoods"), m_holdings->qCustHasGoods, holdingsColumns());
    ui.Button2 = new QPushButton(QStringLiteral("关闭"), this);
    ui.Button2->setObjectName(QStringLiteral("Button2"));
    ui.Button2->setAutoDefault(false);

    auto *header = new QHBoxLayout;
    header->addWidget(ui.Label1);
    header->addWidget(ui.DBText1);
    header->addSpacing(16);
    header->addWidget(ui.Label2);
    header->addWidget(ui.DBText2, 1);
    auto *bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(ui.Button2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(header);
    layout->addWidget(ui.DBGGoods, 1);
    layout->addLayout(bar);

    connect(ui.DBGGoods, &DataGrid::rowActivated, this, &TfrmPickDueGoodsOfCust::goodsPicked);
    connect(ui.Button2, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, 380);
}

TfrmPickDueGoodsOfCust::~TfrmPickDueGoodsOfCust()
{
    base().registry().detach(m_holdings->qCustHasGoods);
}

void TfrmPickDueGoodsOfCust::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && base().MyADOCnn().isOpen()) {
        Dataset *receipt = context().tab.ChuKu;
        const QVariant custId = receipt->isOpen() ? receipt->value(QStringLiteral("CustID")) : QVariant();
        ErrorReporter(this).report(m_holdings->showGoodsOf(custId));
    }
    FillPicker::showEvent(event);
}

void TfrmPickDueGoodsOfCust::goodsPicked()
{
    Dataset &goods = *m_holdings->qCustHasGoods;
    if (goods.currentRow() < 0)
        return;
    if (!FillTarget()) {
        pickCurrent();
        return;
    }
    if (CustHoldings::nothingHeld(goods)) {
        context().prompter.message(CustHoldings::zeroQtyText());
        return;
    }
    ErrorReporter(this).report(CustHoldings::appendLine(*FillTarget(), goods));
}

} // namespace hemu
