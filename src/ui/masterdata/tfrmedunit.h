#pragma once

#include "ui/masterdata/editordialog.h"

class QLineEdit;

namespace hemu {

class DataGrid;

/**
 * "编辑计量单位": the units of measure (`Units`), whose codes the user types. A unit whose
 * code changes takes its goods with it (BaseData's rule); "保存" posts the pending unit.
 */
class TfrmEdUnit : public EditorDialog
{
    Q_OBJECT
public:
    TfrmEdUnit(AppContext &context, QWidget *parent);

    struct
    {
        Navigator *DBNavigator1 = nullptr;
        DataGrid *DBGrid1 = nullptr;
        QLineEdit *DBEdit2 = nullptr; // 代码
        QLineEdit *DBEdit1 = nullptr; // 量纲
    } ui;
};

} // namespace hemu
