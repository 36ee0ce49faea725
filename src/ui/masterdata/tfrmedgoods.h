#pragma once

#include "ui/masterdata/editordialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hemu {

/**
 * "登记商品": one goods item of `Goods`. Its code can be typed over only while no bill line
 * and no customer stock refers to it ("代码可修改。"; otherwise "已占用，代码不可修改。" in
 * red and the code field switched off). Units are added and changed through frmEdUnit.
 */
class TfrmEdGoods : public EditorDialog
{
    Q_OBJECT
public:
    TfrmEdGoods(AppContext &context, QWidget *parent);

    /// Shows whether the current item's code may change (on show, on every change of the
    /// name or code text, which includes moving to another item).
    void updateCodeLock();

    struct
    {
        QLineEdit *DBEdit31 = nullptr; // 品名型号
        QLineEdit *edGoodID = nullptr; // 代码
        QLabel *Label4 = nullptr;      // the code lock
        QLineEdit *DBEdit3 = nullptr;  // 条形码
        QComboBox *DBLookupComboBox5 = nullptr; // 所属类别
        QLineEdit *DBEdit2 = nullptr;           // the category code
        QComboBox *DBLookupComboBox4 = nullptr; // 计量单位
        QPushButton *SpeedButton1 = nullptr;    // 添加,修改
        QLineEdit *DBEdit1 = nullptr;           // 增值税率
        QLineEdit *DBEdit8 = nullptr;           // 打印顺序
        QCheckBox *DBCheckBox2 = nullptr;       // 停用
        Navigator *DBNavigator1 = nullptr;
    } ui;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showLock(bool locked);
    void editUnits();
};

} // namespace hemu
