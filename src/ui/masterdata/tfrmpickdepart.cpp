#include "ui/masterdata/tfrmpickdepart.h"

#include "core/data/basedata.h"

namespace hemu {

TfrmPickDepart::TfrmPickDepart(AppContext &context, QWidget *parent)
    : ListPicker(context, QStringLiteral("frmPickDepart"), QStringLiteral("选取部门"), context.base.Depart,
                 {{.field = QStringLiteral("CustID"), .title = QStringLiteral("代码"), .width = 60},
                  {.field = QStringLiteral("Department"), .title = QStringLiteral("部门名称"), .width = 140},
                  {.field = QStringLiteral("Address"), .title = QStringLiteral("位置"), .width = 160},
                  {.field = QStringLiteral("Telphone"), .title = QStringLiteral("电话"), .width = 110},
                  {.field = QStringLiteral("Manager"), .title = QStringLiteral("负责人"), .width = 80}},
                 parent)
{
    setActivation(Activation::SingleClick);
    resize(600, 360);
}

} // namespace hemu
