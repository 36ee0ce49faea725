#include "ui/masterdata/tfrmpickemps.h"

#include "core/data/basedata.h"

namespace hemu {

TfrmPickEmps::TfrmPickEmps(AppContext &context, QWidget *parent)
    : ListPicker(context, QStringLiteral("frmPickEmps"), QStringLiteral("选取人员"), context.base.Employees,
                 {{.field = QStringLiteral("EmpID"), .title = QStringLiteral("代码"), .width = 60},
                  {.field = QStringLiteral("Employee"), .title = QStringLiteral("人员"), .width = 120},
                  {.field = QStringLiteral("Dept"), .title = QStringLiteral("部门"), .width = 140}},
                 parent)
{
    resize(360, 400);
}

void TfrmPickEmps::rowPicked()
{
    pickFields(QStringLiteral("EmpID"), QStringLiteral("Employee"));
}

} // namespace hemu
