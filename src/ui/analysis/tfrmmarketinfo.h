#pragma once

#include "ui/kit/childwindow.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabWidget;

namespace hemu {

class DataGrid;
class DateLineChart;
class ListFilter;
class MarketInfo;

/**
 * "市场行情": categories and goods with their latest and moving-average prices above, and
 * below the purchase history of the current goods item as line charts (price, quantity and
 * amount per stock-in date) beside the amount bought of all goods per date.
 */
class TfrmMarketInfo : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmMarketInfo(AppContext &context);
    ~TfrmMarketInfo() override;

    QSize sizeHint() const override { return {990, 570}; }

    MarketInfo &market() const { return *m_market; }

    struct
    {
        QComboBox *ComboBox1 = nullptr; // search kind
        QLineEdit *edSearch = nullptr;
        QPushButton *spSearch = nullptr;
        QCheckBox *CheckBox1 = nullptr; // 过滤类别
        DataGrid *DBGrid1 = nullptr;    // categories
        DataGrid *DBGrid2 = nullptr;    // goods
        QTabWidget *PageControl1 = nullptr;
        DateLineChart *DBChartPrice = nullptr;
        DateLineChart *DBChartQty = nullptr;
        DateLineChart *DBChart2 = nullptr;
        DateLineChart *DBChart1 = nullptr;
    } ui;

    /// The goods search of the search bar.
    void search();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildCharts();
    /// The current goods row changed: its charts read and drawn again.
    void goodsRowChanged();
    void drawTotals();

    MarketInfo *m_market;
    std::unique_ptr<ListFilter> m_categoryFilter;
    bool m_opened = false;
};

} // namespace hemu
