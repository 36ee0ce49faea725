#pragma once

#include "ui/kit/childwindow.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace hemu {

/** "扫描单据明细孤行": lists, and on request deletes, bill lines whose bill is gone. */
class TfrmScanUselessRecords : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmScanUselessRecords(AppContext &context);

    struct Ui
    {
        QPlainTextEdit *Memo1;
        QPushButton *Button2;  // 扫描
        QCheckBox *CheckBox1;  // 扫描并删除
    } ui;

private:
    void Button2Click();
};

} // namespace hemu
