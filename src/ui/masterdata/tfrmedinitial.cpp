#include "ui/masterdata/tfrmedinitial.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/kit/formbuilder.h"
#include "ui/widgets/navigator.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace hemu {

TfrmEdInitial::TfrmEdInitial(AppContext &context, QWidget *parent)
    : EditorDialog(context, QStringLiteral("frmEdInitial"), QStringLiteral("设置期初"), context.base.Goods, parent)
{
    FormBuilder fields = form(new QFormLayout);
    ui.lblCata = fields.label(QStringLiteral("类别"), QStringLiteral("lblCata"), QStringLiteral("lkCata"));
    ui.lblDescription = fields.label(QStringLiteral("品名型号"), QStringLiteral("lblDescription"), QStringLiteral("Description"));
    ui.DBEdit1 = fields.line(QStringLiteral("期初数量"), QStringLiteral("DBEdit1"), QStringLiteral("PrevOnHand"));
    ui.DBEdit2 = fields.line(QStringLiteral("期初金额"), QStringLiteral("DBEdit2"), QStringLiteral("PrevOnHandMny"));
    ui.DBNavigator1 = addNavigator(Navigator::MoveButtons | Navigator::Edit | Navigator::Post | Navigator::Cancel);
    resize(360, sizeHint().height());
}

} // namespace hemu
