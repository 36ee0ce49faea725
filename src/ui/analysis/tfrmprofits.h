#pragma once

#include "core/analysis/profits.h"
#include "ui/kit/childwindow.h"

#include <memory>

class QChartView;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace hemu {

class CategoryPie;
class DataGrid;

/** "经营状况": the period's sales, costs and margins per goods item, in totals and as a pie by category. */
class TfrmProfits : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmProfits(AppContext &context);
    ~TfrmProfits() override;

    struct Ui
    {
        QTabWidget *PageControl1;
        // 图表分析
        QWidget *TabSheet1;
        QToolButton *spDraw;       // 重新绘图
        QToolButton *SpeedButton2; // 显示百分比
        QToolButton *SpeedButton3; // 显示数值
        CategoryPie *DBChart1;
        // 统计分析
        QWidget *TabSheet2;
        QToolButton *SpeedButton4; // 类别过滤
        DataGrid *DBGrid1;
        QPlainTextEdit *Memo1;
        QPushButton *btRefresh;
        QPushButton *btCompute;    // 统计选项
        QPushButton *Button1;      // 统计全体
    } ui;

    Profits &profits() const { return *m_profits; }

    /// The size the window opens with in the work area.
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildChartPage();
    QWidget *buildListPage();
    void pageShown(int page);
    void redraw();
    void refresh();
    void SpeedButton4Click();
    void btComputeClick();
    void Button1Click();

    std::unique_ptr<Profits> m_profits;
};

} // namespace hemu
