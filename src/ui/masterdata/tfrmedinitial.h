#pragma once

#include "ui/masterdata/editordialog.h"

class QLabel;
class QLineEdit;

namespace hemu {

/** "设置期初": the opening balance of one goods item in the main store (quantity and value). */
class TfrmEdInitial : public EditorDialog
{
    Q_OBJECT
public:
    TfrmEdInitial(AppContext &context, QWidget *parent);

    struct
    {
        QLabel *lblCata = nullptr;        // 类别
        QLabel *lblDescription = nullptr; // 品名型号
        QLineEdit *DBEdit1 = nullptr;     // 期初数量
        QLineEdit *DBEdit2 = nullptr;     // 期初金额
        Navigator *DBNavigator1 = nullptr;
    } ui;
};

} // namespace hemu
