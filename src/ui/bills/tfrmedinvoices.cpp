#include "ui/bills/tfrmedinvoices.h"

#include "core/data/basedata.h"
#include "core/data/invoiceentry.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickdate.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/navigator.h"
#include "ui/widgets/promptchannel.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace hemu {

namespace {

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QWidget *whitePanel(QWidget *parent, const char *name)
{
    auto *panel = named(new QWidget(parent), name);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    return panel;
}

} // namespace

TfrmEdInvoices::TfrmEdInvoices(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_entry(std::make_unique<InvoiceEntry>(context.tab))
{
    setObjectName(QStringLiteral("frmEdInvoices"));
    setWindowTitle(QStringLiteral("登记发票"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    PromptChannel::attach(this, &context.prompter);
    PromptChannel::attachFiles(this, &context.files);
    Dataset *invoices = context.tab.Invoices;
    Dataset *lines = context.tab.InvoiceMx;

    ui.Panel2 = whitePanel(this, "Panel2");
    auto edit = [this, invoices](const char *name, const char *field, bool readOnly = false) {
        auto *box = named(new QLineEdit(ui.Panel2), name);
        auto *binder = new LineEditBinder(box, invoices, QString::fromLatin1(field));
        binder->setInsertOnAltInsert(false);
        binder->setReadOnly(readOnly);
        return box;
    };
    auto button = [this](const char *name, const QString &caption, const QString &hint) {
        auto *b = named(new QToolButton(ui.Panel2), name);
        b->setText(caption);
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    auto *title = new QLabel(QStringLiteral("发票"), ui.Panel2);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    ui.DBEdit2 = edit("DBEdit2", "invoice");
    ui.DBEdit1 = edit("DBEdit1", "date");
    ui.DBEdit1->setToolTip(QStringLiteral("单击鼠标右键，弹出日历，输入日期"));
    ui.SpeedButton1 = button("SpeedButton1", QStringLiteral("…"), QStringLiteral("选择日期"));
    ui.DBEdit5 = edit("DBEdit5", "Vendor", true);
    ui.DBEdit5->setFocusPolicy(Qt::NoFocus);
    ui.SpeedButton5 = button("SpeedButton5", QStringLiteral("填入"), QStringLiteral("填入供货方"));
    ui.DBEdit8 = edit("DBEdit8", "remark");
    ui.DBText2 = named(new QLabel(ui.Panel2), "DBText2");
    new LabelBinder(ui.DBText2, invoices, QStringLiteral("TabID"));
    ui.SpeedButton2 = named(new QPushButton(QStringLiteral("填入明细项"), ui.Panel2), "SpeedButton2");
    ui.SpeedButton2->setFocusPolicy(Qt::NoFocus);
    ui.SpeedButton2->setAutoDefault(false);
    ui.DBNavigator1 = named(new Navigator(ui.Panel2), "DBNavigator1");
    ui.DBNavigator1->setVisibleButtons(Navigator::Buttons(Navigator::Insert) | Navigator::Delete | Navigator::Edit
                                       | Navigator::Post | Navigator::Cancel | Navigator::Refresh);

    auto *head = new QGridLayout(ui.Panel2);
    head->setContentsMargins(8, 6, 8, 6);
    head->addWidget(title, 0, 0, 1, 6);
    head->addWidget(new QLabel(QStringLiteral("发票号"), ui.Panel2), 1, 0);
    head->addWidget(ui.DBEdit2, 1, 1);
    head->addWidget(new QLabel(QStringLiteral("日期"), ui.Panel2), 1, 2);
    head->addWidget(ui.DBEdit1, 1, 3);
    head->addWidget(ui.SpeedButton1, 1, 4);
    head->addWidget(new QLabel(QStringLiteral("供货方"), ui.Panel2), 2, 0);
    head->addWidget(ui.DBEdit5, 2, 1, 1, 3);
    head->addWidget(ui.SpeedButton5, 2, 4);
    head->addWidget(new QLabel(QStringLiteral("备注"), ui.Panel2), 3, 0);
    head->addWidget(ui.DBEdit8, 3, 1, 1, 4);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("入库单ID"), ui.Panel2));
    bottom->addWidget(ui.DBText2);
    bottom->addSpacing(12);
    bottom->addWidget(ui.SpeedButton2);
    bottom->addStretch(1);
    bottom->addWidget(ui.DBNavigator1);
    head->addLayout(bottom, 4, 0, 1, 6);
    head->setColumnStretch(1, 2);
    head->setColumnStretch(3, 1);

    ui.DBGridInvoice = named(new DataGrid(this), "DBGridInvoice");
    ui.DBGridInvoice->setColumns({{.field = QStringLiteral("GoodID"), .title = QStringLiteral("商品码"), .width = 64},
                                  {.field = QStringLiteral("lkGood"), .title = QStringLiteral("品名型号"), .width = 170,
                                   .editor = GridColumn::Editor::Lookup},
                                  {.field = QStringLiteral("paidqty"), .title = QStringLiteral("数量"), .width = 64},
                                  {.field = QStringLiteral("price"), .title = QStringLiteral("单价"), .width = 64},
                                  {.field = QStringLiteral("paidmny"), .title = QStringLiteral("金额"), .width = 80}});
    ui.DBGridInvoice->setDataset(lines);

    auto *totalBand = whitePanel(this, "Panel4");
    ui.DBText1 = named(new QLabel(totalBand), "DBText1");
    ui.DBText1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui.DBText1->setMinimumWidth(100);
    new LabelBinder(ui.DBText1, invoices, QStringLiteral("totalmny"));
    auto *total = new QHBoxLayout(totalBand);
    total->setContentsMargins(8, 4, 8, 4);
    total->addStretch(1);
    total->addWidget(new QLabel(QStringLiteral("合计金额"), totalBand));
    total->addWidget(ui.DBText1);

    auto *buttons = named(new QWidget(this), "Panel3");
    ui.BitBtn1 = named(new QPushButton(QStringLiteral("保存"), buttons), "BitBtn1");
    ui.BitBtn2 = named(new QPushButton(QStringLiteral("关闭"), buttons), "BitBtn2");
    for (QPushButton *b : {ui.BitBtn1, ui.BitBtn2})
        b->setAutoDefault(false);
    auto *bar = new QHBoxLayout(buttons);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addStretch(1);
    bar->addWidget(ui.BitBtn1);
    bar->addWidget(ui.BitBtn2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.Panel2);
    layout->addWidget(ui.DBGridInvoice, 1);
    layout->addWidget(totalBand);
    layout->addWidget(buttons);
    resize(520, 440);

    connect(ui.SpeedButton1, &QToolButton::clicked, this, &TfrmEdInvoices::chooseDate);
    connect(ui.SpeedButton5, &QToolButton::clicked, this, &TfrmEdInvoices::takeVendor);
    connect(ui.SpeedButton2, &QPushButton::clicked, this, &TfrmEdInvoices::copyLines);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfrmEdInvoices::save);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui.DBGridInvoice, &DataGrid::focusEntered, this, [this] {
        Dataset *invoices = m_context.tab.Invoices;
        FieldBinder::commitPending(invoices);
        if (invoices->isEditing())
            ErrorReporter(this).report(invoices->post());
        setActiveSource(m_context.tab.InvoiceMx);
    });
    connect(ui.DBGridInvoice, &DataGrid::focusLeft, this, [this] { setActiveSource(m_context.tab.Invoices); });
    setActiveSource(invoices);
}

TfrmEdInvoices::~TfrmEdInvoices() = default;

Dataset *TfrmEdInvoices::ActiveSource() const
{
    return m_activeSource;
}

void TfrmEdInvoices::setActiveSource(Dataset *dataset)
{
    m_activeSource = dataset;
    ui.DBNavigator1->setDataset(dataset);
}

void TfrmEdInvoices::editForCurrentBill()
{
    ErrorReporter errors(this);
    if (!errors.report(m_entry->openForBill()))
        return;
    setActiveSource(m_context.tab.Invoices);
    // Centred on the desktop.
    if (const QScreen *screen = QApplication::primaryScreen()) {
        QRect own = frameGeometry();
        own.moveCenter(screen->availableGeometry().center());
        move(own.topLeft());
    }
    ui.DBEdit2->setFocus();
    if (exec() != QDialog::Accepted)
        return;
    errors.report(m_entry->handOver());
}

void TfrmEdInvoices::chooseDate()
{
    Pickers *pickers = m_context.pickers;
    Dataset *invoices = m_context.tab.Invoices;
    if (!pickers || pickers->frmPickDate->pick() != PickerDialog::Ok || invoices->currentRow() < 0)
        return;
    ErrorReporter errors(this);
    if (!invoices->isEditing() && !errors.report(invoices->edit()))
        return;
    if (errors.report(invoices->setValue(QStringLiteral("date"), pickers->frmPickDate->PickedDate())))
        errors.report(invoices->post());
}

void TfrmEdInvoices::takeVendor()
{
    FieldBinder::commitPending(m_context.tab.Invoices);
    ErrorReporter(this).report(m_entry->takeBillVendor());
}

void TfrmEdInvoices::copyLines()
{
    FieldBinder::commitPending(m_context.tab.Invoices);
    ErrorReporter(this).report(m_entry->copyBillLines());
}

void TfrmEdInvoices::save()
{
    ErrorReporter errors(this);
    Dataset *invoices = m_context.tab.Invoices;
    Dataset *lines = m_context.tab.InvoiceMx;
    FieldBinder::commitPending(invoices);
    if (invoices->isEditing() && !errors.report(invoices->post()))
        return;
    if (lines->isEditing() && !errors.report(lines->post()))
        return;
    accept();
}

void TfrmEdInvoices::done(int result)
{
    if (result == QDialog::Accepted) {
        const QString refusal = m_entry->validityRefusal();
        if (!refusal.isEmpty()) {
            m_context.prompter.warning(refusal);
            return;
        }
    } else {
        // Closed without saving: what was typed and not posted is dropped.
        for (Dataset *ds : {m_context.tab.InvoiceMx, m_context.tab.Invoices}) {
            if (ds->isEditing())
                ds->cancel();
        }
    }
    QDialog::done(result);
}

} // namespace hemu
