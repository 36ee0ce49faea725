#include "ui/masterdata/tfrmedgoods.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "core/masterdata/goodscodelock.h"
#include "ui/kit/formbuilder.h"
#include "ui/masterdata/editors.h"
#include "ui/masterdata/tfrmedunit.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/navigator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace hemu {

TfrmEdGoods::TfrmEdGoods(AppContext &context, QWidget *parent)
    : EditorDialog(context, QStringLiteral("frmEdGoods"), QStringLiteral("登记商品"), context.base.Goods, parent)
{
    FormBuilder fields = form(new QFormLayout);
    ui.DBEdit31 = fields.line(QStringLiteral("品名型号"), QStringLiteral("DBEdit31"), QStringLiteral("Description"));
    ui.edGoodID = fields.line(QStringLiteral("代码"), QStringLiteral("edGoodID"), QStringLiteral("GoodID"));
    ui.Label4 = new QLabel(GoodsCodeLock::freeText());
    ui.Label4->setObjectName(QStringLiteral("Label4"));
    ui.Label4->setMinimumWidth(ui.Label4->fontMetrics().horizontalAdvance(GoodsCodeLock::lockedText()) + 8);
    fields.beside(ui.edGoodID, ui.Label4);
    ui.DBEdit3 = fields.line(QStringLiteral("条形码"), QStringLiteral("DBEdit3"), QStringLiteral("BarCode"));
    ui.DBLookupComboBox5 = fields.lookup(QStringLiteral("所属类别"), QStringLiteral("DBLookupComboBox5"), QStringLiteral("lkCata"));
    ui.DBEdit2 = new QLineEdit;
    ui.DBEdit2->setObjectName(QStringLiteral("DBEdit2"));
    ui.DBEdit2->setMaximumWidth(60);
    new LineEditBinder(ui.DBEdit2, dataset(), QStringLiteral("CataID"));
    fields.beside(ui.DBLookupComboBox5, ui.DBEdit2);
    ui.DBLookupComboBox4 = fields.lookup(QStringLiteral("计量单位"), QStringLiteral("DBLookupComboBox4"), QStringLiteral("Unit"));
    ui.SpeedButton1 = new QPushButton(QStringLiteral("添加,修改"));
    ui.SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    ui.SpeedButton1->setToolTip(QStringLiteral("添加,修改"));
    ui.SpeedButton1->setAutoDefault(false);
    fields.beside(ui.DBLookupComboBox4, ui.SpeedButton1);
    ui.DBEdit1 = fields.line(QStringLiteral("增值税率"), QStringLiteral("DBEdit1"), QStringLiteral("TaxRate"));
    ui.DBEdit8 = fields.line(QStringLiteral("打印顺序"), QStringLiteral("DBEdit8"), QStringLiteral("HardOrder"));
    ui.DBCheckBox2 = fields.check(QString(), QStringLiteral("DBCheckBox2"), QStringLiteral("InUse"));
    ui.DBCheckBox2->setText(QStringLiteral("停用"));
    ui.DBCheckBox2->setToolTip(QStringLiteral("录单据时隐藏暂不经营的产品"));
    static_cast<QLabel *>(fields.layout()->labelForField(ui.DBCheckBox2))->setText(QString());
    ui.DBNavigator1 = addNavigator(Navigator::First | Navigator::Prior | Navigator::Next | Navigator::Last | Navigator::Edit);

    connect(ui.DBEdit31, &QLineEdit::textChanged, this, &TfrmEdGoods::updateCodeLock);
    connect(ui.edGoodID, &QLineEdit::textChanged, this, &TfrmEdGoods::updateCodeLock);
    connect(ui.SpeedButton1, &QPushButton::clicked, this, &TfrmEdGoods::editUnits);
    resize(460, sizeHint().height());
}

void TfrmEdGoods::updateCodeLock()
{
    if (isVisible())
        showLock(GoodsCodeLock::isLocked(context().base, *dataset()));
}

void TfrmEdGoods::showLock(bool locked)
{
    ui.edGoodID->setEnabled(!locked);
    ui.Label4->setText(locked ? GoodsCodeLock::lockedText() : GoodsCodeLock::freeText());
    QPalette colours = ui.Label4->palette();
    colours.setColor(QPalette::WindowText, locked ? QColor(255, 0, 0) : QColor(Qt::black));
    ui.Label4->setPalette(colours);
}

void TfrmEdGoods::editUnits()
{
    TfrmEdUnit *units = context().editors->frmEdUnit;
    units->editRow(EditorDialog::Start::AsIs);
}

void TfrmEdGoods::showEvent(QShowEvent *event)
{
    EditorDialog::showEvent(event);
    if (!event->spontaneous())
        showLock(GoodsCodeLock::isLocked(context().base, *dataset()));
}

void TfrmEdGoods::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        showLock(false);
    EditorDialog::hideEvent(event);
}

} // namespace hemu
