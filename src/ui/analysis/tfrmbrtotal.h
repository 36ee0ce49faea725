#pragma once

#include "ui/kit/childwindow.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace hemu {

class DataGrid;

/**
 * "库存变动": the period figures of every goods item and, on the second page, of every
 * customer and goods item, over the shared stock views of TabData. Read-only: it searches,
 * filters, sorts and prints those views and hands a row to the bill search. Closing it
 * removes the customer rows that hold nothing.
 */
class TfrmBrTotal : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmBrTotal(AppContext &context);

    QSize sizeHint() const override { return {1000, 580}; }

    struct
    {
        QTabWidget *PageControl1 = nullptr;
        QWidget *TabSheetTotal = nullptr;
        QWidget *plHead = nullptr;
        QComboBox *ComboBox1 = nullptr;      // search kind
        QLineEdit *edSearch = nullptr;
        QPushButton *spSearch = nullptr;     // 检索
        QPushButton *SpeedButton1 = nullptr; // 刷新
        QPushButton *SpeedButton2 = nullptr; // 过滤类别
        QPushButton *spViewTabs = nullptr;   // 调阅单据
        QCheckBox *CheckBox2 = nullptr;      // 类别过滤
        DataGrid *DBGridEh1 = nullptr;
        QWidget *TabSheet1 = nullptr;
        QPushButton *SpeedButton4 = nullptr; // 过滤客户
        QPushButton *SpeedButton6 = nullptr; // 刷新
        QPushButton *spViewTabs1 = nullptr;  // 调阅单据
        QCheckBox *CheckBox1 = nullptr;      // 过滤品名型号
        DataGrid *DBGridEh2 = nullptr;
        QPushButton *BitBtn1 = nullptr;      // 汇总
        QPushButton *Button1 = nullptr;      // 打印
    } ui;

    /// The search of the head bar.
    void search();
    /// "过滤类别": the goods of the picked category, or every goods item.
    void filterCategory();
    /// "过滤客户": the rows of the picked customer, or every row.
    void filterCustomer();
    /// "刷新" of the goods page / of the customer page.
    void refreshGoods();
    void refreshCustomerStock();
    /// "调阅单据" of the goods page / of the customer page.
    void viewGoodsBills();
    void viewCustomerBills();
    /// "打印": the goods grid in the print preview.
    void print();

    /// Closing removes the idle customer rows; a failure keeps the window open once.
    bool canClose() override;

private:
    QWidget *goodsPage();
    QWidget *customerPage();
    void showGoodsFiltering();

    bool m_purgeFailed = false;
};

} // namespace hemu
