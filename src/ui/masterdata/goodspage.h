#pragma once

#include "ui/kit/appcontext.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace hemu {

class BaseData;
class DataGrid;
class ListFilter;
class Navigator;

/**
 * The goods page of the base-information window ("产品"): categories at the left with their
 * buttons and "过滤" box, the goods grid with its search, the empty-goods view, the print
 * order, average prices and opening balances. Goods and categories are edited in the
 * resident editors (frmEdGoods, frmEdCata, frmEdInitial).
 */
class GoodsPage : public QWidget
{
    Q_OBJECT
public:
    GoodsPage(AppContext &context, QWidget *parent = nullptr);
    ~GoodsPage() override;

    struct
    {
        DataGrid *CataGrid = nullptr;
        QPushButton *spInsert = nullptr;     // 添加 (category)
        QPushButton *SpeedButton2 = nullptr; // 删除 (category)
        QPushButton *spEdit = nullptr;       // 修改 (category)
        QCheckBox *CheckBox1 = nullptr;      // 过滤
        QComboBox *ComboBox1 = nullptr;      // search mode
        QLineEdit *edSearch = nullptr;
        QPushButton *spSearch = nullptr;
        QToolButton *spViewEmpty = nullptr;
        QPushButton *SpeedButton7 = nullptr; // print order
        QPushButton *spAPrice = nullptr;     // 求均价
        QPushButton *spEdInitial = nullptr;  // 设期初
        QProgressBar *ProgressBar1 = nullptr;
        DataGrid *DBGridEh1 = nullptr;
        Navigator *DBNavigator2 = nullptr;
        QPushButton *SpeedButton10 = nullptr; // 产品数:
        QLineEdit *edCount = nullptr;
    } ui;

    /// "添加" or "修改" of the categories: the category editor on a new or the current row.
    void editCategory(bool append);
    /// The goods search of the search bar.
    void search();
    /// "查看没有使用的产品" pressed or released.
    void viewEmpty(bool down);
    /// "将当前显示顺序设置为打印顺序"
    void setPrintOrder();
    /// "求均价"
    void averagePrices();
    /// "设期初"
    void editOpeningBalance();

private:
    BaseData &base() const { return m_context.base; }
    void buildCategories();
    void buildGoods();
    void goodsNavigated(int which, bool ok);
    void showBar(bool shown);

    AppContext &m_context;
    std::unique_ptr<ListFilter> m_categoryFilter;
};

} // namespace hemu
