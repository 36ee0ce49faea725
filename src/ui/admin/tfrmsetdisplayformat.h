#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace hemu {

struct AppContext;

/**
 * "设置数据显示格式": decimals and the texts in front of positive and negative numbers for the
 * goods figures. "应用" puts the format on the goods views until the program ends, "确定"
 * also stores it in the account set. Resident and not modal: it keeps its choices.
 */
class TfrmSetDisplayFormat : public QDialog
{
    Q_OBJECT
public:
    TfrmSetDisplayFormat(AppContext &context, QWidget *parent);

    struct Ui
    {
        QGroupBox *rdbSetDigital;
        QButtonGroup *digits; // the five entries, id = decimals
        QLineEdit *lePositive;
        QLineEdit *leNegative;
        QLineEdit *edResult;
        QPushButton *btApply;
        QPushButton *btConfirm;
        QPushButton *btCancel;
    } ui;

private:
    bool btApplyClick();
    void btConfirmClick();
    AppContext &m_context;
};

} // namespace hemu
