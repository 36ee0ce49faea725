#pragma once

#include "ui/kit/childwindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace hemu {

/** "用户设置": the company name and address that head the printed bills, and the last carry-forward. */
class TfrmEdUserInfo : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmEdUserInfo(AppContext &context);

    struct Ui
    {
        QLineEdit *edName;     // 用户单位名称
        QLineEdit *edAddress;  // 地址
        QLabel *lbID;
        QLabel *lbCarryDate;   // 上次结转日期
        QPushButton *btnSave;
        QPushButton *btnCancel;
    } ui;

    /// Closed any other way than "保存", the typed changes are dropped.
    bool canClose() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void btnSaveClick();
    bool m_framed = false;
};

} // namespace hemu
