#include "ui/reports/tfrmreportsmenu.h"

#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/prompter.h"
#include "ui/masterdata/pickers.h"
#include "ui/masterdata/tfrmpickcata.h"
#include "ui/reports/reportwindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

#include <array>

namespace hemu {

namespace {

struct MenuEntry
{
    const char *title;
    const char *description;
    reports::StockReport report;
};

const std::array<MenuEntry, 4> &entries()
{
    static const std::array<MenuEntry, 4> table{{
        {"账面库存变动表", "库存变动表：本月库存进货、出货与结存账面数量与金额变动情况，没有进出或结存的不打印。A4纸纵向打印。",
         reports::StockReport::BookStock},
        {"账面实物盘存总表", "实物盘存表：本月实物结存数量与流向数量统计，没有进出或结存的不打印。A4纸纵向打印。",
         reports::StockReport::PhysicalStock},
        {"产品与库存列表", "打印所有产品名称型号及其库存，打印所有名称和型号。", reports::StockReport::GoodsList},
        {"主库库存变动表",
         "主库库存变动表只反映主库进货、发货所形成的库存变动，与账面库存变动的区别在于，不计客户结存和实际销售。",
         reports::StockReport::MainStore},
    }};
    return table;
}

} // namespace

TfrmReportsMenu::TfrmReportsMenu(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmReportsMenu"))
{
    setWindowTitle(QStringLiteral("报表"));
    setFont(QFont(QStringLiteral("宋体"), 10));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setHorizontalSpacing(14);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(40, 40));
    auto *heading = new QLabel(QStringLiteral("商务报表系统"), this);
    heading->setObjectName(QStringLiteral("Label3"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSize(14);
    heading->setFont(bold);
    auto *top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(picture);
    top->addWidget(heading);
    top->addStretch();
    grid->addLayout(top, 0, 0, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("选择报表"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("报表说明"), this), 1, 1);
    ui.ListBox1 = new QListWidget(this);
    ui.ListBox1->setObjectName(QStringLiteral("ListBox1"));
    for (const MenuEntry &entry : entries())
        ui.ListBox1->addItem(QString::fromUtf8(entry.title));
    ui.ListBox1->setCurrentRow(-1);
    ui.ListBox1->setFixedWidth(190);
    grid->addWidget(ui.ListBox1, 2, 0);
    ui.Memo1 = new QPlainTextEdit(this);
    ui.Memo1->setObjectName(QStringLiteral("Memo1"));
    ui.Memo1->setFixedWidth(260);
    grid->addWidget(ui.Memo1, 2, 1);

    ui.Button1 = new QPushButton(QStringLiteral("打印"), this);
    ui.Button1->setObjectName(QStringLiteral("Button1"));
    ui.Button2 = new QPushButton(QStringLiteral("关闭"), this);
    ui.Button2->setObjectName(QStringLiteral("Button2"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.Button1);
    buttons->addWidget(ui.Button2);
    grid->addLayout(buttons, 3, 0, 1, 2);

    connect(ui.ListBox1, &QListWidget::itemClicked, this, &TfrmReportsMenu::showDescription);
    connect(ui.ListBox1, &QListWidget::currentRowChanged, this, &TfrmReportsMenu::showDescription);
    connect(ui.ListBox1, &QListWidget::itemDoubleClicked, this, &TfrmReportsMenu::printSelected);
    connect(ui.Button1, &QPushButton::clicked, this, &TfrmReportsMenu::printSelected);
    connect(ui.Button2, &QPushButton::clicked, this, &ChildWindow::closeWindow);
    setFixedSize(sizeHint().expandedTo(QSize(500, 300)));
}

reports::StockReport TfrmReportsMenu::reportAt(int position)
{
    return entries().at(position).report;
}

QString TfrmReportsMenu::description(int position)
{
    return QString::fromUtf8(entries().at(position).description);
}

void TfrmReportsMenu::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    if (event->spontaneous())
        return;
    // The statements count on idle customer rows being gone and idle goods being marked.
    QString error;
    if (!tab().PurgeIdleCustStock(&error) || !base().MarkZeroGoods(&error))
        prompter().warning(error);
}

void TfrmReportsMenu::showDescription()
{
    ui.Memo1->clear();
    const int row = ui.ListBox1->currentRow();
    if (row >= 0 && row < int(entries().size()))
        ui.Memo1->appendPlainText(description(row));
}

void TfrmReportsMenu::printSelected()
{
    const int row = ui.ListBox1->currentRow();
    if (row < 0 || row >= int(entries().size()) || !context().pickers)
        return;
    TfrmPickCata *picker = context().pickers->frmPickCata;
    const PickerDialog::Result chosen = picker->pick();
    if (chosen == PickerDialog::Cancel)
        return;
    const reports::StockReport report = reportAt(row);
    std::optional<qint64> category;
    if (chosen == PickerDialog::Ok)
        category = picker->PickedID().toLongLong();
    auto *window = new ReportWindow(context(), report, reports::menuSelection(report, category), this);
    window->preview();
}

ReportWindow *TfrmReportsMenu::lastReport() const
{
    const QList<ReportWindow *> windows = findChildren<ReportWindow *>(QString(), Qt::FindDirectChildrenOnly);
    return windows.isEmpty() ? nullptr : windows.last();
}

} // namespace hemu
