#pragma once

#include "ui/kit/childwindow.h"

#include <memory>

class QSplitter;
class QToolButton;

namespace hemu {

class DataGrid;
class Payables;

/** "进货管理": what is owed to each vendor, and per bill what was paid and whether it is settled. */
class TfrmBuyManage : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmBuyManage(AppContext &context);
    ~TfrmBuyManage() override;

    struct Ui
    {
        QToolButton *SpeedButton4; // 总计
        QToolButton *SpeedButton1; // 明细
        QToolButton *SpeedButton2; // 刷新
        QToolButton *SpeedButton3; // 调阅单据
        QToolButton *SpeedButton5; // 供方
        DataGrid *DBGrid1;         // vendors
        QSplitter *Splitter1;
        DataGrid *DBGrid2;         // bills of the vendor
    } ui;

    Payables &payables() const { return *m_payables; }

    /// The size the window opens with in the work area.
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void printTotals();
    void printBills();
    void SpeedButton3Click();
    void SpeedButton5Click();

    std::unique_ptr<Payables> m_payables;
};

} // namespace hemu
