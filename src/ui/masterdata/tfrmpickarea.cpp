#include "ui/masterdata/tfrmpickarea.h"

#include "core/data/basedata.h"

namespace hemu {

TfrmPickArea::TfrmPickArea(AppContext &context, QWidget *parent)
    : ListPicker(context, QStringLiteral("frmPickArea"), QStringLiteral("选取地区"), context.base.Areas,
                 {{.field = QStringLiteral("AreaID"), .title = QStringLiteral("代码"), .width = 60},
                  {.field = QStringLiteral("AreaName"), .title = QStringLiteral("地区"), .width = 180}},
                 parent)
{
    setActivation(Activation::SingleClick);
    resize(300, 400);
}

} // namespace hemu
