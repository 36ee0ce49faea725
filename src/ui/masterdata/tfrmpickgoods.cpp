#include "ui/masterdata/tfrmpickgoods.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/goodspick.h"
#include "ui/shell/tfrmmain.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/errorreporter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

namespace {

QColor outOfUseColour()
{
    return QColor(192, 192, 192);
}

} // namespace

TfrmPickGoods::TfrmPickGoods(AppContext &context, QWidget *parent)
    : FillPicker(context, QStringLiteral("frmPickGoods"), QStringLiteral("选取商品"), parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint);
    Dataset *goods = base().lkGoods;
    ui.CataGrid = makeList(QStringLiteral("CataGrid"), base().Cata,
                           {{.field = QStringLiteral("CataID"), .title = QStringLiteral("类码"), .width = 50},
                            {.field = QStringLiteral("Catalog"), .title = QStringLiteral("类别"), .width = 110}});
    ui.CataGrid->setFixedWidth(185);
    const QColor white(Qt::white);
    ui.GoodsGrid = makeList(QStringLiteral("GoodsGrid"), goods,
                            {{.field = QStringLiteral("lkCata"), .title = QStringLiteral("类别"), .width = 80, .background = white},
                             {.field = QStringLiteral("Description"), .title = QStringLiteral("产品名称"), .width = 220, .background = white},
                             {.field = QStringLiteral("GoodID"), .title = QStringLiteral("代码"), .width = 60, .background = white},
                             {.field = QStringLiteral("OnHand"), .title = QStringLiteral("库存数"), .width = 70, .background = white},
                             {.field = QStringLiteral("SellPrice"), .title = QStringLiteral("销售价"), .width = 70, .background = white},
                             {.field = QStringLiteral("CostPrice"), .title = QStringLiteral("购入价"), .width = 70, .background = white}});
    ui.GoodsGrid->setShowGrid(true);
    ui.GoodsGrid->setRowColours([goods](int row, int role) -> QVariant {
        if (role == Qt::ForegroundRole && GoodsPick::outOfUse(*goods, row))
            return outOfUseColour();
        return {};
    });

    ui.lblSearch = new QLabel(QStringLiteral("检索"), this);
    ui.lblSearch->setObjectName(QStringLiteral("lblSearch"));
    ui.ComboBox1 = new QComboBox(this);
    ui.ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ui.ComboBox1->addItems({QStringLiteral("品名型号"), QStringLiteral("代码")});
    ui.Edit1 = new QLineEdit(this);
    ui.Edit1->setObjectName(QStringLiteral("Edit1"));
    ui.spSearch = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), QString(), this);
    ui.spSearch->setObjectName(QStringLiteral("spSearch"));
    ui.spSearch->setToolTip(QStringLiteral("检索"));
    ui.SpeedButton1 = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("刷新"), this);
    ui.SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    ui.SpeedButton1->setToolTip(QStringLiteral("显示新数据"));
    ui.SpeedButton2 = new QPushButton(style()->standardIcon(QStyle::SP_FileIcon), QStringLiteral("新产品"), this);
    ui.SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    ui.cbAll = new QCheckBox(QStringLiteral("显示停用商品"), this);
    ui.cbAll->setObjectName(QStringLiteral("cbAll"));
    // Enter searches in the search box; no button ends the dialog by default.
    for (QPushButton *button : {ui.spSearch, ui.SpeedButton1, ui.SpeedButton2})
        button->setAutoDefault(false);

    connect(ui.CataGrid, &DataGrid::clicked, this, &TfrmPickGoods::filterByCurrentCategory);
    whenArrowReleased(ui.CataGrid, [this] { filterByCurrentCategory(); });
    connect(ui.cbAll, &QCheckBox::clicked, this, &TfrmPickGoods::filterByCurrentCategory);
    connect(ui.CataGrid, &DataGrid::rowActivated, this, &TfrmPickGoods::categoryActivated);
    connect(ui.GoodsGrid, &DataGrid::rowActivated, this, &TfrmPickGoods::goodsPicked);
    connect(ui.spSearch, &QPushButton::clicked, this, &TfrmPickGoods::search);
    connect(ui.Edit1, &QLineEdit::returnPressed, this, &TfrmPickGoods::search);
    connect(ui.SpeedButton1, &QPushButton::clicked, this, &TfrmPickGoods::refreshGoods);
    connect(ui.SpeedButton2, &QPushButton::clicked, this, [this] {
        this->context().main.nEdBaseInfoClick();
        close();
    });

    auto *searchBar = new QHBoxLayout;
    searchBar->addWidget(ui.lblSearch);
    searchBar->addWidget(ui.ComboBox1);
    searchBar->addWidget(ui.Edit1, 1);
    searchBar->addWidget(ui.spSearch);
    auto *bottomBar = new QHBoxLayout;
    bottomBar->addWidget(ui.SpeedButton1);
    bottomBar->addWidget(ui.SpeedButton2);
    bottomBar->addStretch(1);
    bottomBar->addWidget(ui.cbAll);
    auto *right = new QVBoxLayout;
    right->addLayout(searchBar);
    right->addWidget(ui.GoodsGrid, 1);
    right->addLayout(bottomBar);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(ui.CataGrid);
    layout->addLayout(right, 1);
    resize(820, 480);
}

void TfrmPickGoods::filterByCurrentCategory()
{
    Dataset *cata = base().Cata;
    if (cata->currentRow() < 0)
        return;
    ErrorReporter(this).report(
        GoodsPick::filterByCategory(*base().lkGoods, cata->value(QStringLiteral("CataID")), ui.cbAll->isChecked()));
}

void TfrmPickGoods::search()
{
    QString error;
    if (!base().FilterGoods(ui.ComboBox1->currentIndex(), ui.Edit1->text(), *base().lkGoods, &error))
        context().prompter.warning(error);
}

void TfrmPickGoods::refreshGoods()
{
    Dataset *goods = base().lkGoods;
    goods->close();
    ErrorReporter(this).report(goods->open());
}

void TfrmPickGoods::categoryActivated()
{
    if (isModal())
        pickAll();
}

void TfrmPickGoods::goodsPicked()
{
    Dataset *goods = base().lkGoods;
    if (goods->currentRow() < 0)
        return;
    if (!FillTarget()) {
        pickCurrent();
        return;
    }
    ErrorReporter(this).report(GoodsPick::appendLine(*FillTarget(), *goods));
}

void TfrmPickGoods::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && base().MyADOCnn().isOpen())
        refreshGoods();
    FillPicker::showEvent(event);
}

} // namespace hemu
