#pragma once

#include "ui/kit/childwindow.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSplitter;

namespace hemu {

class DataGrid;
class Receivables;

/**
 * "客户应收款统计": what every customer owes (left) and the goods lines behind it (right),
 * read from the customer stock when the window comes up. Read-only; a line's bills are
 * looked up through the bill search.
 */
class TfrmBrCustsDue : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmBrCustsDue(AppContext &context);
    ~TfrmBrCustsDue() override;

    QSize sizeHint() const override { return {960, 540}; }

    Receivables &receivables() const { return *m_receivables; }

    struct
    {
        QSplitter *Splitter1 = nullptr;
        QLabel *Panel1 = nullptr;             // " 应收款统计"
        QPushButton *SpeedButton1 = nullptr;  // 客户
        QCheckBox *CheckBox3 = nullptr;       // 过滤
        QPushButton *btnStatement = nullptr;  // 对账单
        DataGrid *DBGrid4 = nullptr;
        QLabel *Panel2 = nullptr;             // " 应收款明细"
        QPushButton *SpeedButton3 = nullptr;  // 调阅单据
        DataGrid *DBGridDue = nullptr;
    } ui;

    /// "客户": the picked customer's total made current, the lines unfiltered.
    void findCustomer();
    /// The lines follow the box "过滤" for the current customer.
    void applyDetailFilter();
    /// "对账单": the statement of the current customer.
    void showStatement();
    /// "调阅单据" for the current line.
    void viewBills();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *totalsArea();
    QWidget *linesArea();

    Receivables *m_receivables;
};

} // namespace hemu
