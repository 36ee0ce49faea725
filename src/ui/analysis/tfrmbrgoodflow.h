#pragma once

#include "ui/kit/childwindow.h"

class QCheckBox;
class QPushButton;
class QWidget;

namespace hemu {

class DataGrid;
class GoodsFlow;

/**
 * "库存变动统计": every goods item's main-store line and below it the lines of the customers
 * holding it (GoodsFlow), read-only; it finds an item, filters by category, prints the list,
 * shows the bill totals and the bills of a line's goods item. Closing it removes the idle
 * customer-stock rows.
 */
class TfrmBrGoodFlow : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmBrGoodFlow(AppContext &context);
    ~TfrmBrGoodFlow() override;

    QSize sizeHint() const override { return {1000, 560}; }
    bool canClose() override;

    GoodsFlow &flow() const { return *m_flow; }

    struct
    {
        QWidget *plHead = nullptr;
        QPushButton *spSearch = nullptr;     // 检索
        QPushButton *SpeedButton1 = nullptr; // 刷新
        QPushButton *SpeedButton2 = nullptr; // 过滤类别
        QPushButton *spViewTabs = nullptr;   // 调阅单据
        QCheckBox *CheckBox1 = nullptr;      // 过滤
        DataGrid *DBGridEh1 = nullptr;
        QPushButton *BitBtn1 = nullptr; // 汇总
        QPushButton *Button1 = nullptr; // 打印
    } ui;

    /// "刷新" (and showing the window): the list read again.
    void refresh();
    /// "检索"
    void findGoods();
    /// "过滤类别"
    void filterCategory();
    /// "调阅单据" and a double-click on a line: the bills of the line's goods item.
    void viewBills();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setFilterBox(bool on);

    GoodsFlow *m_flow;
    bool m_centred = false;
};

} // namespace hemu
