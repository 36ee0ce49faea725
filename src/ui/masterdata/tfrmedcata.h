#pragma once

#include "ui/masterdata/editordialog.h"

class QLineEdit;

namespace hemu {

/** "编辑类别": one category of `Cata`; its code is given by the file. Shown over the main window. */
class TfrmEdCata : public EditorDialog
{
    Q_OBJECT
public:
    TfrmEdCata(AppContext &context, QWidget *parent);

    struct
    {
        QLineEdit *DBEdit1 = nullptr; // 代码 (automatic)
        QLineEdit *DBEdit2 = nullptr; // 名称
        QLineEdit *DBEdit3 = nullptr; // 备注
        Navigator *DBNavigator1 = nullptr;
    } ui;
};

} // namespace hemu
