#include "ui/masterdata/tfrmpickcata.h"

#include "core/data/basedata.h"

#include <QLayout>
#include <QPushButton>

namespace hemu {

TfrmPickCata::TfrmPickCata(AppContext &context, QWidget *parent)
    : ListPicker(context, QStringLiteral("frmPickCata"), QStringLiteral("商品类别"), context.base.Cata,
                 {{.field = QStringLiteral("CataID"), .title = QStringLiteral("类码"), .width = 60},
                  {.field = QStringLiteral("Catalog"), .title = QStringLiteral("类别"), .width = 180}},
                 parent)
{
    ui.Panel1 = new QPushButton(QStringLiteral("全体产品..."), this);
    ui.Panel1->setObjectName(QStringLiteral("Panel1"));
    ui.Panel1->setAutoDefault(false);
    ui.Panel1->setMinimumHeight(32);
    layout()->addWidget(ui.Panel1);
    connect(ui.Panel1, &QPushButton::clicked, this, &TfrmPickCata::pickAll);
    resize(300, 400);
}

void TfrmPickCata::rowPicked()
{
    pickFields(QStringLiteral("CataID"));
}

} // namespace hemu
