#include "ui/analysis/tfrmcuststatement.h"

#include "core/analysis/custstatement.h"
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/reports/accountreportwindows.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/browsergrid.h"
#include "ui/widgets/commandbutton.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hemu {

namespace {

QDateEdit *dateEdit(QWidget *parent, const QString &name)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) + 40);
    return edit;
}

/// A quantity and an amount column under one title.
QList<GridColumn> figurePair(const QString &title, const char *qty, const char *mny)
{
    return {{.field = QString::fromLatin1(qty), .title = title + QStringLiteral("|数量"), .width = 46},
            {.field = QString::fromLatin1(mny), .title = title + QStringLiteral("|金额"), .width = 68}};
}

} // namespace

TfrmCustStatement::TfrmCustStatement(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmCustStatement"))
    , m_statement(new CustStatement(context.base.MyADOCnn(), this))
{
    setWindowTitle(QStringLiteral("客户对账单"));
    ui.btnCustomer = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("客户"), this);
    ui.btnCustomer->setObjectName(QStringLiteral("btnCustomer"));
    ui.lbCustomer = new QLabel(this);
    ui.lbCustomer->setObjectName(QStringLiteral("lbCustomer"));
    ui.lbCustomer->setMinimumWidth(fontMetrics().horizontalAdvance(QString(14, QChar(0x4E00))));
    ui.edFrom = dateEdit(this, QStringLiteral("edFrom"));
    ui.edTo = dateEdit(this, QStringLiteral("edTo"));
    ui.btPrint = commandButton(this, QStringLiteral("btPrint"), QStringLiteral("打印"), QStyle::SP_FileDialogDetailedView,
                               QStringLiteral("打印对账单"));

    ui.PageControl1 = new QTabWidget(this);
    ui.PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ui.PageControl1->addTab(statementPage(), QStringLiteral("对账单"));
    ui.PageControl1->addTab(agePage(), QStringLiteral("存货账龄"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(ui.btnCustomer);
    bar->addWidget(ui.lbCustomer);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("日期"), this));
    bar->addWidget(ui.edFrom);
    bar->addWidget(new QLabel(QStringLiteral("至"), this));
    bar->addWidget(ui.edTo);
    bar->addStretch(1);
    bar->addWidget(ui.btPrint);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(ui.PageControl1, 1);
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);

    const QDate today = QDate::currentDate();
    setRange(m_statement->proposedFrom(today), today);
    m_customer = m_statement->firstCustomer();

    connect(ui.btnCustomer, &QPushButton::clicked, this, &TfrmCustStatement::pickCustomer);
    connect(ui.btPrint, &QPushButton::clicked, this, &TfrmCustStatement::printStatement);
    connect(ui.edFrom, &QDateEdit::dateChanged, this, &TfrmCustStatement::refresh);
    connect(ui.edTo, &QDateEdit::dateChanged, this, &TfrmCustStatement::refresh);
    connect(ui.cbThisCustomer, &QCheckBox::toggled, this, &TfrmCustStatement::refresh);
}

TfrmCustStatement::~TfrmCustStatement()
{
    m_statement->close();
    m_statement->qHeldAge->close();
}

QWidget *TfrmCustStatement::statementPage()
{
    ui.tsStatement = new QWidget(this);
    ui.tsStatement->setObjectName(QStringLiteral("tsStatement"));
    // Every column within the window's width: six figures of two columns after the goods.
    QList<GridColumn> goods = {{.field = QStringLiteral("GoodID"), .width = 48},
                               {.field = QStringLiteral("Description"), .width = 112},
                               {.field = QStringLiteral("Unit"), .width = 36}};
    goods << figurePair(QStringLiteral("期初"), "startQty", "startMny") << figurePair(QStringLiteral("送货"), "deliveredQty", "deliveredMny")
          << figurePair(QStringLiteral("退货"), "returnedQty", "returnedMny") << figurePair(QStringLiteral("收款"), "paidQty", "paidMny")
          << figurePair(QStringLiteral("退款"), "refundedQty", "refundedMny") << figurePair(QStringLiteral("期末"), "endQty", "endMny");
    ui.DBGridGoods = BrowserGrid::make(ui.tsStatement, QStringLiteral("DBGridGoods"), m_statement->qStatement, goods,
                                       BrowserGrid::Rows::Banded);
    ui.lbTotals = new QLabel(ui.tsStatement);
    ui.lbTotals->setObjectName(QStringLiteral("lbTotals"));
    ui.DBGridBills = BrowserGrid::make(ui.tsStatement, QStringLiteral("DBGridBills"), m_statement->qStatementBills,
                                       {{.field = QStringLiteral("TabDate"), .width = 90},
                                        {.field = QStringLiteral("Kind"), .width = 60},
                                        {.field = QStringLiteral("BookID"), .width = 160},
                                        {.field = QStringLiteral("Qty"), .width = 70},
                                        {.field = QStringLiteral("Mny"), .width = 90}},
                                       BrowserGrid::Rows::Plain);

    auto *top = new QWidget(ui.tsStatement);
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(ui.DBGridGoods, 1);
    topLayout->addWidget(ui.lbTotals);
    ui.Splitter1 = new QSplitter(Qt::Vertical, ui.tsStatement);
    ui.Splitter1->setObjectName(QStringLiteral("Splitter1"));
    ui.Splitter1->addWidget(top);
    ui.Splitter1->addWidget(ui.DBGridBills);
    ui.Splitter1->setStretchFactor(0, 3);
    ui.Splitter1->setStretchFactor(1, 2);
    ui.Splitter1->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(ui.tsStatement);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(ui.Splitter1);
    return ui.tsStatement;
}

QWidget *TfrmCustStatement::agePage()
{
    ui.tsAge = new QWidget(this);
    ui.tsAge->setObjectName(QStringLiteral("tsAge"));
    ui.cbThisCustomer = new QCheckBox(QStringLiteral("仅本客户"), ui.tsAge);
    ui.cbThisCustomer->setObjectName(QStringLiteral("cbThisCustomer"));
    auto *note = new QLabel(QStringLiteral("结存货品按送货日期计龄，收款与退货先抵最早的送货；计至终止日期。"), ui.tsAge);
    ui.DBGridAge = BrowserGrid::make(ui.tsAge, QStringLiteral("DBGridAge"), m_statement->qHeldAge,
                                     {{.field = QStringLiteral("CustID"), .width = 52},
                                      {.field = QStringLiteral("CustName"), .width = 130},
                                      {.field = QStringLiteral("GoodID"), .width = 52},
                                      {.field = QStringLiteral("Description"), .width = 160},
                                      {.field = QStringLiteral("Unit"), .width = 40},
                                      {.field = QStringLiteral("heldQty"), .width = 70},
                                      {.field = QStringLiteral("heldMny"), .width = 90},
                                      {.field = QStringLiteral("age0"), .width = 70},
                                      {.field = QStringLiteral("age31"), .width = 70},
                                      {.field = QStringLiteral("age91"), .width = 70},
                                      {.field = QStringLiteral("age181"), .width = 76}},
                                     BrowserGrid::Rows::Banded);
    auto *bar = new QHBoxLayout;
    bar->addWidget(ui.cbThisCustomer);
    bar->addSpacing(12);
    bar->addWidget(note, 1);
    auto *layout = new QVBoxLayout(ui.tsAge);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(ui.DBGridAge, 1);
    return ui.tsAge;
}

TfrmCustStatement *TfrmCustStatement::showFor(AppContext &context, qint64 custId)
{
    context.main.openWindow(QStringLiteral("frmCustStatement"));
    auto *window = context.main.findChild<TfrmCustStatement *>(QStringLiteral("frmCustStatement"));
    if (window)
        window->setCustomer(custId);
    return window;
}

void TfrmCustStatement::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        refresh();
        centreOnMainWindow();
    }
}

void TfrmCustStatement::setCustomer(qint64 custId)
{
    m_customer = custId;
    refresh();
}

void TfrmCustStatement::setRange(const QDate &from, const QDate &to)
{
    {
        const QSignalBlocker quietFrom(ui.edFrom);
        const QSignalBlocker quietTo(ui.edTo);
        ui.edFrom->setDate(from);
        ui.edTo->setDate(to);
    }
    refresh();
}

void TfrmCustStatement::showCustomer()
{
    const QString name = m_statement->customerName(m_customer);
    ui.lbCustomer->setText(m_customer > 0 ? QStringLiteral("%1  %2").arg(m_customer).arg(name) : QString());
}

void TfrmCustStatement::refresh()
{
    // Nothing is read before the window first shows: the dates and customer settle first.
    if (!m_shown)
        return;
    showCustomer();
    ErrorReporter errors(this);
    const DatasetError e = m_statement->open(m_customer, ui.edFrom->date(), ui.edTo->date());
    if (e.ok())
        ui.lbTotals->setText(CustStatement::totalsText(m_statement->totals()));
    else if (e.code() == DatasetError::Code::Validation)
        ui.lbTotals->setText(e.message()); // dates being set one after the other: no box each time
    else
        errors.report(e);
    errors.report(m_statement->openAges(ui.edTo->date(), ui.cbThisCustomer->isChecked() ? m_customer : 0));
}

void TfrmCustStatement::pickCustomer()
{
    TfrmPickCusts *picker = context().pickers->frmPickCusts;
    if (picker->pick() != PickerDialog::Ok)
        return;
    setCustomer(picker->PickedID().toLongLong());
}

void TfrmCustStatement::printStatement()
{
    // A range that runs backwards has nothing to print: said in a box this time, as asked.
    if (ui.edTo->date() < ui.edFrom->date()) {
        ErrorReporter(this).report(DatasetError(DatasetError::Code::Validation, CustStatement::badRangeText()));
        return;
    }
    if (!m_statement->qStatement->isOpen())
        return; // the read failed, and said so
    accountreports::previewCustStatement(context(), *m_statement, this);
}

} // namespace hemu
