#include "ui/masterdata/tfrmedunit.h"

#include "core/data/basedata.h"
#include "core/dataset/dataset.h"
#include "ui/kit/formbuilder.h"
#include "ui/shell/titleband.h"
#include "ui/widgets/datagrid.h"
#include "ui/widgets/navigator.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

namespace hemu {

TfrmEdUnit::TfrmEdUnit(AppContext &context, QWidget *parent)
    : EditorDialog(context, QStringLiteral("frmEdUnit"), QStringLiteral("编辑计量单位"), context.base.Units, parent)
{
    auto *band = new TitleBand(QStringLiteral("计量单位"), style()->standardIcon(QStyle::SP_FileDialogListView).pixmap(32, 32), this);
    band->setObjectName(QStringLiteral("Panel1"));
    body()->addWidget(band);
    ui.DBNavigator1 = addNavigator(Navigator::MoveButtons | Navigator::Insert | Navigator::Delete | Navigator::Edit
                                   | Navigator::Refresh);
    ui.DBGrid1 = new DataGrid(this);
    ui.DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    ui.DBGrid1->setReadOnly(true);
    ui.DBGrid1->setColumns({{.field = QStringLiteral("UnitID"), .title = QStringLiteral("代码"), .width = 70},
                            {.field = QStringLiteral("Unit"), .title = QStringLiteral("单位量纲"), .width = 150}});
    ui.DBGrid1->setDataset(dataset());
    body()->addWidget(ui.DBGrid1, 1);
    FormBuilder fields = form(new QFormLayout);
    ui.DBEdit2 = fields.line(QStringLiteral("代码"), QStringLiteral("DBEdit2"), QStringLiteral("UnitID"));
    ui.DBEdit1 = fields.line(QStringLiteral("量纲"), QStringLiteral("DBEdit1"), QStringLiteral("Unit"));
    // A new unit is typed code first.
    connect(ui.DBNavigator1, &Navigator::actionDone, this, [this](Navigator::Button which, bool ok) {
        if (which == Navigator::Insert && ok)
            ui.DBEdit2->setFocus();
    });
    resize(320, 420);
}

} // namespace hemu
