#include "ui/masterdata/tfrmedcata.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/kit/formbuilder.h"
#include "ui/widgets/fieldbinders.h"
#include "ui/widgets/navigator.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace hemu {

TfrmEdCata::TfrmEdCata(AppContext &context, QWidget *parent)
    : EditorDialog(context, QStringLiteral("frmEdCata"), QStringLiteral("编辑类别"), context.base.Cata, parent)
{
    FormBuilder fields = form(new QFormLayout);
    const FormBuilder::Row code = fields.add(QStringLiteral("代码"), QStringLiteral("DBEdit1"), QStringLiteral("CataID"),
                                             FormBuilder::Editor::Line);
    ui.DBEdit1 = static_cast<QLineEdit *>(code.editor);
    code.binder->setReadOnly(true);
    ui.DBEdit1->setMaximumWidth(80);
    auto *automatic = new QLabel(QStringLiteral("（自动）"));
    automatic->setObjectName(QStringLiteral("Label4"));
    fields.beside(ui.DBEdit1, automatic);
    ui.DBEdit2 = fields.line(QStringLiteral("名称"), QStringLiteral("DBEdit2"), QStringLiteral("Catalog"));
    ui.DBEdit3 = fields.line(QStringLiteral("备注"), QStringLiteral("DBEdit3"), QStringLiteral("Remark"));
    ui.DBNavigator1 = addNavigator(Navigator::MoveButtons | Navigator::Edit | Navigator::Post | Navigator::Cancel
                                   | Navigator::Refresh);
    resize(360, sizeHint().height());
}

} // namespace hemu
