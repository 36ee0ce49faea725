#include "ui/analysis/tfrmstorecheck.h"

#include "core/analysis/stockcheck.h"
#include "core/data/basedata.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/prompter.h"
#include "ui/reports/accountreportwindows.h"
#include "ui/widgets/arrowrelease.h"
#include "ui/widgets/commandbutton.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

TfrmStoreCheck::TfrmStoreCheck(AppContext &context)
    : ChildWindow(context, QStringLiteral("frmStoreCheck"))
{
    setWindowTitle(QStringLiteral("盘点调整"));

    ui.CheckBox1 = new QCheckBox(QStringLiteral("过滤"), this);
    ui.CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    ui.DBGrid1 = new DataGrid(this);
    ui.DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    ui.DBGrid1->setReadOnly(true);
    ui.DBGrid1->setColumns({{.field = QStringLiteral("CataID"), .title = QStringLiteral("代码"), .width = 40},
                            {.field = QStringLiteral("Catalog"), .width = 96}});
    ui.DBGrid1->setDataset(base().Cata);
    ui.DBGrid1->setFixedWidth(170);

    ui.DBGrid2 = new DataGrid(this);
    ui.DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    const QColor counted(170, 243, 217);
    auto fixed = [&](const char *field, const QString &title, int width) {
        return GridColumn{.field = QString::fromLatin1(field), .title = title, .width = width, .readOnly = true, .background = counted};
    };
    ui.DBGrid2->setColumns({fixed("CataID", {}, 50),
                            fixed("Description", {}, 180),
                            fixed("GoodID", {}, 56),
                            fixed("lkUnit", {}, 40),
                            fixed("PrevOnHand", {}, 70),
                            fixed("HandInc", {}, 70),
                            fixed("CustHandInc", QStringLiteral("发出数"), 70),
                            fixed("OnHand", {}, 70),
                            {.field = QStringLiteral("DiffCheck"), .width = 70}});
    ui.DBGrid2->setDataset(tab().GoodsCheck);
    ui.DBGrid2->setPrintTitle(StockCheck::sheetTitle());

    ui.SpeedButton1 = commandButton(this, QStringLiteral("SpeedButton1"), QStringLiteral("打印"), QStyle::SP_DialogSaveButton,
                             QStringLiteral("制作盘点准备表"));
    ui.SpeedButton3 = commandButton(this, QStringLiteral("SpeedButton3"), QStringLiteral("调整"), QStyle::SP_DialogApplyButton,
                             QStringLiteral("调整主库存数"));
    ui.btSave = commandButton(this, QStringLiteral("btSave"), QStringLiteral("保存"), QStyle::SP_DriveFDIcon, QStringLiteral("保存未决修改"));
    ui.Button1 = commandButton(this, QStringLiteral("Button1"), QStringLiteral("取消"), QStyle::SP_DialogCancelButton);
    ui.Button2 = commandButton(this, QStringLiteral("Button2"), QStringLiteral("刷新"), QStyle::SP_BrowserReload);

    auto *left = new QVBoxLayout;
    left->addWidget(ui.CheckBox1);
    left->addWidget(ui.DBGrid1, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {ui.SpeedButton1, ui.SpeedButton3, ui.btSave, ui.Button1, ui.Button2})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addWidget(ui.DBGrid2, 1);
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    auto chosen = [this] {
        ErrorReporter(this).report(StockCheck::categoryChosen(*tab().GoodsCheck, currentCategory(), ui.CheckBox1->isChecked()));
    };
    connect(ui.DBGrid1, &DataGrid::clicked, this, chosen);
    whenArrowReleased(ui.DBGrid1, chosen);
    connect(ui.CheckBox1, &QCheckBox::toggled, this,
            [this](bool on) { ErrorReporter(this).report(StockCheck::categoryBox(*tab().GoodsCheck, currentCategory(), on)); });
    connect(ui.SpeedButton1, &QPushButton::clicked, this, &TfrmStoreCheck::printSheet);
    connect(ui.SpeedButton3, &QPushButton::clicked, this, &TfrmStoreCheck::adjust);
    connect(ui.btSave, &QPushButton::clicked, this, &TfrmStoreCheck::save);
    connect(ui.Button1, &QPushButton::clicked, this, &TfrmStoreCheck::cancel);
    connect(ui.Button2, &QPushButton::clicked, this, &TfrmStoreCheck::refresh);
}

TfrmStoreCheck::~TfrmStoreCheck() = default;

void TfrmStoreCheck::showEvent(QShowEvent *event)
{
    ChildWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    centreOnMainWindow();
    refresh();
}

qint64 TfrmStoreCheck::currentCategory() const
{
    Dataset *cata = base().Cata;
    return cata->isOpen() && cata->currentRow() >= 0 ? cata->value(QStringLiteral("CataID")).toLongLong() : 0;
}

void TfrmStoreCheck::refresh()
{
    QString error;
    if (!base().MarkZeroGoods(&error))
        prompter().warning(error);
    ErrorReporter(this).report(StockCheck::showCounted(*tab().GoodsCheck));
}

bool TfrmStoreCheck::save()
{
    return ErrorReporter(this).report(tab().GoodsCheck->applyUpdates());
}

void TfrmStoreCheck::cancel()
{
    tab().GoodsCheck->cancelUpdates();
}

void TfrmStoreCheck::adjust()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const StockCheck::Result r =
        StockCheck::adjust(*tab().GoodsCheck, {tab().Goods, base().Goods, base().lkGoods, tab().Goods1, tab().Goods2});
    QApplication::restoreOverrideCursor();
    if (r.ok)
        prompter().information(StockCheck::doneText());
    if (!r.error.isEmpty())
        prompter().warning(r.error);
}

void TfrmStoreCheck::printSheet()
{
    // The count sheet prints the goods the window lists: one category while "过滤" is on,
    // else every item with quantities.
    reports::GoodsSelection selection{{}, true};
    if (ui.CheckBox1->isChecked() && currentCategory() > 0)
        selection = reports::GoodsSelection{currentCategory(), false};
    accountreports::previewStockCheck(context(), selection, this);
}

bool TfrmStoreCheck::canClose()
{
    // What was typed is saved; if it cannot be, the window stays with it.
    if (!save())
        return false;
    tab().GoodsCheck->setFiltered(false);
    return true;
}

} // namespace hemu
