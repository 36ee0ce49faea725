#include "ui/bills/billpage.h"

#include "core/bills/billentry.h"
#include "core/bills/pricehistory.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/datasetwatcher.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/navigator.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace hemu {

namespace {

/// The names and texts that differ between the three pages.
struct PageTexts
{
    const char *panel;
    const char *title;
    const char *bookId;
    const char *date;
    const char *dateButton;
    const char *partyButton;
    const char *partyCaption;
    const char *party;
    const char *partyField;
    const char *remark;
    const char *tabId;
    const char *legendPlus;
    const char *legendMinus;
    const char *navigator;
    const char *grid;
    const char *scan;
    const char *sumCaption;
    const char *sum;
    bool dateHint;
};

const PageTexts &pageTexts(BillKind kind)
{
    static const PageTexts pages[] = {
        {"plRk", "入库单", "DBEdit2", "DBEdit1", "SpeedButton4", "SpeedButton5", "供货方", "DBEdit5", "lkVendor", "DBEdit8",
         "DBText5", "购入,调入,在途", "退回供货方,送修", "DBNavigator1", "DBGridRk", "edScanRk", "合计金额:", "DBText1", false},
        {"plDiaoBo", "发货单", "DBEdit10", "DBEdit9", "SpeedButton8", "SpeedButton6", "客户", "DBEdit6", "lkCust", "DBEdit11",
         "DBText7", "预提,暂借", "还货,退货", "DBNavigator3", "DBGridDb", "edScanDb", "合计金额：", "DBText4", true},
        {"plChuKu", "收款单", "DBEdit15", "DBEdit14", "SpeedButton9", "SpeedButton7", "客户", "DBEdit7", "lkCust", "DBEdit13",
         "DBText8", "收款", "退款", "DBNavigator4", "DBGridCk", "edScanCk", "合计金额:", "DBText6", true},
    };
    return pages[int(kind) - 1];
}

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QToolButton *speedButton(QWidget *parent, const char *name, const QString &caption, const QString &hint = {})
{
    auto *button = named(new QToolButton(parent), name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(false);
    // Speed buttons never take the keyboard: the grid or field the user is in keeps it.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

/// A value box that keeps its size whatever it shows: a new bill's number or total then
/// repaints the box alone, without laying the whole window out again.
void fixValueBox(QLabel *label, const QString &widest)
{
    label->setText(widest);
    const QSize hint = label->sizeHint();
    label->setFixedSize(qMax(label->minimumWidth(), hint.width() + 4), hint.height());
    label->clear();
}

} // namespace

QColor BillPage::priceOffColour()
{
    return QColor(255, 200, 120);
}

BillPage::BillPage(AppContext &context, BillKind kind, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_header(context.tab.header(kind))
    , m_details(context.tab.detail(kind))
    , m_prices(std::make_unique<PriceHistory>(context.base.MyADOCnn(), kind))
{
    buildHeader(context);
    buildGrid();
    buildBottom();
    const DatasetWatcher::Changes moves = DatasetWatcher::Current | DatasetWatcher::CurrentValues | DatasetWatcher::Active;
    DatasetWatcher::subscribe(m_header, this, moves | DatasetWatcher::RowsReset, [this] { refreshHistory(); });
    DatasetWatcher::subscribe(m_details, this, moves | DatasetWatcher::RowsReset, [this] { refreshHistory(); });
}

BillPage::~BillPage() = default;

void BillPage::refreshHistory()
{
    const bool any = m_header->isOpen() && m_header->currentRow() >= 0 && m_details->isOpen();
    const QVariant tabId = any ? m_header->value(QStringLiteral("TabID")) : QVariant();
    const QVariant custId = any ? m_header->value(QStringLiteral("CustID")) : QVariant();
    const QVariant goodId = any && m_details->currentRow() >= 0 ? m_details->value(QStringLiteral("GoodID")) : QVariant();
    const QVariantList now{tabId, custId, goodId};
    if (now == m_historyShown)
        return;
    m_historyShown = now;
    m_prices->setBill(tabId, custId);
    const QList<PriceHistory::Entry> entries = m_prices->recent(goodId);
    ui.history->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const PriceHistory::Entry &e = entries[row];
        const QStringList cells{e.date.toString(), e.bookId, QString::number(e.qty, 'g', 10), QString::number(e.price, 'f', 2)};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ui.history->setItem(row, column, item);
        }
    }
    // Lines whose price is far from the last one are drawn again with the new bill.
    ui.grid->viewport()->update();
}

void BillPage::buildHeader(AppContext &)
{
    const PageTexts &t = pageTexts(m_kind);
    ui.panel = named(new QWidget(this), t.panel);
    ui.panel->setAutoFillBackground(true);
    QPalette white = ui.panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui.panel->setPalette(white);

    auto lineEdit = [this](const char *name, const char *field, bool readOnly = false) {
        auto *edit = named(new QLineEdit(ui.panel), name);
        auto *binder = new LineEditBinder(edit, m_header, QString::fromLatin1(field));
        // A new bill is "新单据"; Alt+Insert belongs to the detail grid.
        binder->setInsertOnAltInsert(false);
        binder->setReadOnly(readOnly);
        return edit;
    };
    auto label = [this](const QString &caption) { return new QLabel(caption, ui.panel); };

    ui.title = new QLabel(text(t.title), ui.panel);
    ui.title->setObjectName(QStringLiteral("lbTitle"));
    QFont titleFont = ui.title->font();
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    ui.title->setFont(titleFont);
    ui.title->setAlignment(Qt::AlignCenter);

    ui.bookId = lineEdit(t.bookId, "BookID");
    ui.date = lineEdit(t.date, "TabDate");
    if (t.dateHint)
        ui.date->setToolTip(QStringLiteral("单击鼠标右键，弹出日历，输入日期"));
    ui.dateButton = speedButton(ui.panel, t.dateButton, QStringLiteral("…"), QStringLiteral("选择日期"));
    ui.partyButton = speedButton(ui.panel, t.partyButton, text(t.partyCaption),
                                 m_kind == BillKind::StockIn ? QStringLiteral("单击选择") : QString());
    ui.partyButton->setMinimumWidth(56);
    // The counterpart is chosen with its button, never typed.
    ui.party = lineEdit(t.party, t.partyField, true);
    ui.party->setFocusPolicy(Qt::NoFocus);
    ui.remark = lineEdit(t.remark, "Remark");
    ui.tabId = named(new QLabel(ui.panel), t.tabId);
    ui.tabId->setMinimumWidth(48);
    fixValueBox(ui.tabId, QStringLiteral("000000000"));
    new LabelBinder(ui.tabId, m_header, QStringLiteral("TabID"));
    ui.legendPlus = named(new QLabel(text(t.legendPlus), ui.panel), "lbLegendPlus");
    ui.legendMinus = named(new QLabel(text(t.legendMinus), ui.panel), "lbLegendMinus");
    QPalette red = ui.legendMinus->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    ui.legendMinus->setPalette(red);
    if (m_kind == BillKind::StockIn) {
        QFont underlined = ui.legendMinus->font();
        underlined.setUnderline(true);
        ui.legendMinus->setFont(underlined);
    }
    ui.navigator = named(new Navigator(ui.panel), t.navigator);
    ui.navigator->setToolTip(QStringLiteral("记录导航"));

    auto *grid = new QGridLayout(ui.panel);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto *idBox = new QHBoxLayout;
    idBox->addStretch(1);
    idBox->addWidget(label(QStringLiteral("ID:")));
    idBox->addWidget(ui.tabId);
    int row = 0;
    grid->addWidget(ui.title, row, 0, 1, 4);
    grid->addLayout(idBox, row, 4, 1, 2);
    ++row;
    if (m_kind == BillKind::Receipt) {
        ui.howToPay = named(new QComboBox(ui.panel), "DBComboBox1");
        auto *binder = new ChoiceComboBinder(ui.howToPay, m_header, QStringLiteral("HowToPay"),
                                             choicesOf({QStringLiteral("支票"), QStringLiteral("现金"), QStringLiteral("汇票"),
                                                        QStringLiteral("未付款"), QString()}));
        binder->setInsertOnAltInsert(false);
        grid->addWidget(label(QStringLiteral("付款方式")), row, 0);
        grid->addWidget(ui.howToPay, row, 1);
        ++row;
    }
    grid->addWidget(label(QStringLiteral("单号")), row, 0);
    grid->addWidget(ui.bookId, row, 1);
    grid->addWidget(label(QStringLiteral("日期")), row, 2);
    auto *dateBox = new QHBoxLayout;
    dateBox->setSpacing(2);
    dateBox->addWidget(ui.date, 1);
    dateBox->addWidget(ui.dateButton);
    grid->addLayout(dateBox, row, 3, 1, 3);
    ++row;
    grid->addWidget(ui.partyButton, row, 0);
    grid->addWidget(ui.party, row, 1, 1, 5);
    ++row;
    grid->addWidget(label(QStringLiteral("备注")), row, 0);
    grid->addWidget(ui.remark, row, 1, 1, 5);
    ++row;
    auto *legends = new QHBoxLayout;
    legends->addWidget(ui.legendPlus);
    legends->addSpacing(12);
    legends->addWidget(ui.legendMinus);
    legends->addStretch(1);
    legends->addWidget(ui.navigator);
    grid->addLayout(legends, row, 0, 1, 6);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
}

void BillPage::buildGrid()
{
    const PageTexts &t = pageTexts(m_kind);
    ui.scan = named(new QLineEdit(this), t.scan);
    ui.scan->setPlaceholderText(QStringLiteral("扫码录入"));
    ui.grid = named(new DataGrid(this), t.grid);
    const QColor silver = DataGrid::lockedColour();
    ui.grid->setColumns({
        {.field = QStringLiteral("ItemNo"), .title = QStringLiteral("项"), .width = 32, .background = silver},
        {.field = QStringLiteral("GoodID"), .title = QStringLiteral("商品码"), .width = 52},
        {.field = QStringLiteral("Description"), .title = QStringLiteral("品名型号"), .width = 128, .editor = GridColumn::Editor::Lookup},
        {.field = QStringLiteral("Qty"), .title = QStringLiteral("数量"), .width = 56},
        {.field = QStringLiteral("lkUnit"), .title = QStringLiteral("单位"), .width = 40, .readOnly = true},
        {.field = QStringLiteral("Price"), .title = QStringLiteral("价格"), .width = 64},
        {.field = QStringLiteral("Money"), .title = QStringLiteral("金额"), .width = 72, .readOnly = true},
    });
    ui.grid->setDataset(m_details);
    ui.grid->setModeColours(true);
    ui.grid->setDoubleClickCommand(true);
    ui.grid->setNextRowOnEnter(QStringLiteral("GoodID"));
    ui.grid->setPrintTitle(text(t.title));
    Dataset *details = m_details;
    PriceHistory *prices = m_prices.get();
    ui.grid->setRowColours([details, prices](int row, int role) -> QVariant {
        if (role == Qt::ForegroundRole && BillEntry::drawnRed(details->value(row, details->fieldIndex(QStringLiteral("Qty")))))
            return QColor(Qt::red);
        // A price far from the last one for this counterpart: worth a second look.
        if (role == Qt::BackgroundRole
            && prices->priceOff(details->value(row, details->fieldIndex(QStringLiteral("GoodID"))),
                                details->value(row, details->fieldIndex(QStringLiteral("Price")))))
            return priceOffColour();
        return {};
    });
    setGridLocked(true);
}

void BillPage::buildBottom()
{
    const PageTexts &t = pageTexts(m_kind);
    auto money = [this](const char *name, const char *field) {
        auto *value = named(new QLabel(this), name);
        value->setMinimumWidth(80);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFrameShape(QFrame::StyledPanel);
        fixValueBox(value, QStringLiteral("-000,000,000.00"));
        new LabelBinder(value, m_header, QString::fromLatin1(field));
        return value;
    };
    ui.sumMoney = money(t.sum, "SumMoney");
    auto *band = new QHBoxLayout;
    band->addWidget(new QLabel(text(t.sumCaption), this));
    band->addWidget(ui.sumMoney);
    if (m_kind == BillKind::StockIn) {
        ui.invoiceMny = money("DBText2", "invoiceMny");
        ui.invoiceButton = speedButton(this, "SpeedButton3", QStringLiteral("发票号"), QStringLiteral("登记发票"));
        ui.invoice = money("DBText3", "invoice");
        ui.invoice->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        ui.invoice->setMaximumWidth(QWIDGETSIZE_MAX); // an invoice number takes the rest of the band
        band->addSpacing(8);
        band->addWidget(new QLabel(QStringLiteral("已付款"), this));
        band->addWidget(ui.invoiceMny);
        band->addSpacing(8);
        band->addWidget(ui.invoiceButton);
        band->addWidget(ui.invoice, 1);
    }
    band->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(ui.panel);
    layout->addWidget(ui.scan);
    layout->addWidget(ui.grid, 1);
    ui.historyCaption = named(new QLabel(QStringLiteral("价格记录（本客户同类单据最近%1次）").arg(PriceHistory::shown), this),
                              "lbHistory");
    if (m_kind == BillKind::StockIn)
        ui.historyCaption->setText(QStringLiteral("价格记录（本供货方入库单最近%1次）").arg(PriceHistory::shown));
    ui.history = named(new QTableWidget(0, 4, this), "PriceHistory");
    ui.history->setHorizontalHeaderLabels({QStringLiteral("日期"), QStringLiteral("单号"), QStringLiteral("数量"),
                                           QStringLiteral("价格")});
    ui.history->verticalHeader()->hide();
    ui.history->verticalHeader()->setDefaultSectionSize(20);
    ui.history->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.history->setSelectionMode(QAbstractItemView::NoSelection);
    ui.history->setFocusPolicy(Qt::NoFocus);
    ui.history->horizontalHeader()->setStretchLastSection(true);
    for (int column = 0; column < 3; ++column)
        ui.history->setColumnWidth(column, column == 1 ? 140 : 90);
    ui.history->setFixedHeight(112);
    layout->addWidget(ui.historyCaption);
    layout->addWidget(ui.history);
    layout->addLayout(band);
}

void BillPage::setGridLocked(bool locked)
{
    ui.grid->setReadOnly(locked);
    ui.scan->setEnabled(!locked);
}

bool BillPage::isGridLocked() const
{
    return ui.grid->isReadOnly();
}

} // namespace hemu
