#pragma once

#include "ui/kit/childwindow.h"

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace hemu {

/** "为单据明细项编号": numbers every bill's lines 1, 2, 3... and counts them. */
class TfrmSetTabItemNo : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmSetTabItemNo(AppContext &context);

    struct Ui
    {
        QPlainTextEdit *Memo1;
        QProgressBar *ProgressBar1;
        QPushButton *Button2; // 执行
        QPushButton *Button1; // 关闭
    } ui;

    static QString explanationText();

private:
    void Button2Click();
};

} // namespace hemu
