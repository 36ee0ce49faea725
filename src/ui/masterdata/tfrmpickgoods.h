#pragma once

#include "core/dataset/dataset.h"
#include "ui/masterdata/pickerdialog.h"


class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hemu {

/**
 * Chooses goods from the goods view `lkGoods`, by category (goods out of use in grey, left
 * out unless "显示停用商品" is checked) or by a search on name or code. A modal pick ends
 * with OK and the caller reads the current row of `lkGoods`; a double-click on a category
 * ends with All. With a FillTarget (a bill's detail dataset) every double-click on goods
 * appends a line to that bill instead and the picker stays open beside the bill window.
 */
class TfrmPickGoods : public FillPicker
{
    Q_OBJECT
public:
    TfrmPickGoods(AppContext &context, QWidget *parent);

    /// The category filter as a click on the current category sets it.
    void filterByCurrentCategory();
    /// The goods search of the search bar.
    void search();
    /// Closes and reopens the goods view ("刷新").
    void refreshGoods();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void goodsPicked();
    void categoryActivated();

    struct
    {
        DataGrid *CataGrid = nullptr;
        DataGrid *GoodsGrid = nullptr;
        QLabel *lblSearch = nullptr;
        QComboBox *ComboBox1 = nullptr;
        QLineEdit *Edit1 = nullptr;
        QPushButton *spSearch = nullptr;
        QPushButton *SpeedButton1 = nullptr;
        QPushButton *SpeedButton2 = nullptr;
        QCheckBox *cbAll = nullptr;
    } ui;
};

} // namespace hemu
