#include "ui/analysis/tfrmbrcustsdue.h"

#include "core/analysis/receivables.h"
#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "ui/analysis/billlookup.h"
#include "ui/analysis/tfrmcuststatement.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcusts.h"
#include "ui/widgets/arrowrelease.h"
#include "ui/widgets/browsergrid.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

namespace {

QLabel *areaTitle(QWidget *parent, const QString &name, const QString &text)
{
    auto *title = new QLabel(text, parent);
    title->setObjectName(name);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    return title;
}

} // namespace

TfrmBrCustsDue::TfrmBrCustsDue(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmBrCustsDue"))
    , m_receivables(new Receivables(context.base.MyADOCnn(), this))
{
    setWindowTitle(QStringLiteral("客户应收款统计"));
    // The first screen comes up without reading every line; the grids read on as they scroll.
    m_receivables->readInPages();
    ui.Splitter1 = new QSplitter(Qt::Horizontal, this);
    ui.Splitter1->setObjectName(QStringLiteral("Splitter1"));
    ui.Splitter1->addWidget(totalsArea());
    ui.Splitter1->addWidget(linesArea());
    ui.Splitter1->setStretchFactor(0, 0);
    ui.Splitter1->setStretchFactor(1, 1);
    // The totals take the room of their three columns; the lines the rest.
    int totalsWidth = ui.DBGrid4->verticalHeader()->width() + ui.DBGrid4->verticalScrollBar()->sizeHint().width() + 4;
    for (const GridColumn &c : ui.DBGrid4->columns())
        totalsWidth += c.width;
    ui.Splitter1->setSizes({totalsWidth, sizeHint().width() - totalsWidth});
    ui.Splitter1->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.Splitter1);
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);
}

TfrmBrCustsDue::~TfrmBrCustsDue()
{
    m_receivables->close();
}

QWidget *TfrmBrCustsDue::totalsArea()
{
    auto *area = new QWidget(this);
    ui.Panel1 = areaTitle(area, QStringLiteral("Panel1"), QStringLiteral(" 应收款统计"));
    ui.SpeedButton1 = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("客户"), area);
    ui.SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    ui.btnStatement = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogListView), QStringLiteral("对账单"), area);
    ui.btnStatement->setObjectName(QStringLiteral("btnStatement"));
    ui.CheckBox3 = new QCheckBox(QStringLiteral("过滤"), area);
    ui.CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    ui.DBGrid4 = BrowserGrid::make(area, QStringLiteral("DBGrid4"), m_receivables->qSumDue,
                      {{.field = QStringLiteral("CustID"), .width = 52},
                       // Twenty characters of a customer's name.
                       {.field = QStringLiteral("CustName"), .width = fontMetrics().horizontalAdvance(QString(10, QChar(0x4E00))) + 8},
                       {.field = QStringLiteral("smny"), .width = 90}},
                                     BrowserGrid::Rows::Plain);

    auto *bar = new QHBoxLayout;
    bar->addWidget(ui.Panel1);
    bar->addStretch(1);
    bar->addWidget(ui.SpeedButton1);
    bar->addWidget(ui.btnStatement);
    bar->addWidget(ui.CheckBox3);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(ui.DBGrid4, 1);

    connect(ui.SpeedButton1, &QPushButton::clicked, this, &TfrmBrCustsDue::findCustomer);
    connect(ui.btnStatement, &QPushButton::clicked, this, &TfrmBrCustsDue::showStatement);
    connect(ui.CheckBox3, &QCheckBox::toggled, this, &TfrmBrCustsDue::applyDetailFilter);
    // While "过滤" is on, the lines follow the customer the user goes to.
    auto follow = [this] {
        if (ui.CheckBox3->isChecked())
            applyDetailFilter();
    };
    connect(ui.DBGrid4, &DataGrid::clicked, this, follow);
    connect(ui.DBGrid4, &DataGrid::focusEntered, this, follow);
    whenArrowReleased(ui.DBGrid4, follow);
    return area;
}

QWidget *TfrmBrCustsDue::linesArea()
{
    auto *area = new QWidget(this);
    ui.Panel2 = areaTitle(area, QStringLiteral("Panel2"), QStringLiteral(" 应收款明细"));
    ui.SpeedButton3 = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("调阅单据"), area);
    ui.SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    ui.DBGridDue = BrowserGrid::make(area, QStringLiteral("DBGridDue"), m_receivables->qCustsDue,
                        {{.field = QStringLiteral("CustName"), .width = 130},
                         {.field = QStringLiteral("GoodID"), .width = 52},
                         {.field = QStringLiteral("Description"), .width = 200},
                         {.field = QStringLiteral("Unit"), .width = 40},
                         {.field = QStringLiteral("OnHand"), .width = 70},
                         {.field = QStringLiteral("OnHandMny"), .width = 90}},
                                       BrowserGrid::Rows::Plain);

    auto *bar = new QHBoxLayout;
    bar->addWidget(ui.Panel2);
    bar->addStretch(1);
    bar->addWidget(ui.SpeedButton3);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(ui.DBGridDue, 1);

    connect(ui.SpeedButton3, &QPushButton::clicked, this, &TfrmBrCustsDue::viewBills);
    connect(ui.DBGridDue, &DataGrid::rowActivated, this, &TfrmBrCustsDue::applyDetailFilter);
    return area;
}

void TfrmBrCustsDue::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        // Read afresh each time the window comes up; the box starts where the lists are.
        ErrorReporter(this).report(m_receivables->open());
        const QSignalBlocker quiet(ui.CheckBox3);
        ui.CheckBox3->setChecked(false);
    }
    ChildWindow::showEvent(event);
    if (!event->spontaneous())
        centreOnMainWindow();
}

void TfrmBrCustsDue::applyDetailFilter()
{
    ErrorReporter(this).report(m_receivables->filterDetails(ui.CheckBox3->isChecked()));
}

void TfrmBrCustsDue::findCustomer()
{
    TfrmPickCusts *picker = context().pickers->frmPickCusts;
    if (picker->pick() != PickerDialog::Ok)
        return;
    {
        // findCustomer switches the line filter off itself.
        const QSignalBlocker quiet(ui.CheckBox3);
        ui.CheckBox3->setChecked(false);
    }
    if (!m_receivables->findCustomer(picker->PickedID().toInt()))
        prompter().information(Receivables::noReceivablesText());
}

void TfrmBrCustsDue::showStatement()
{
    Dataset &owed = *m_receivables->qSumDue;
    if (owed.currentRow() < 0)
        return;
    TfrmCustStatement::showFor(context(), owed.value(QStringLiteral("CustID")).toLongLong());
}

void TfrmBrCustsDue::viewBills()
{
    Dataset &lines = *m_receivables->qCustsDue;
    if (lines.currentRow() < 0)
        return;
    BillLookup::show(context(), lines.value(QStringLiteral("GoodID")), lines.value(QStringLiteral("CustID")));
}

} // namespace hemu
