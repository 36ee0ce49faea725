#pragma once

#include "ui/masterdata/pickerdialog.h"

class QLabel;
class QPushButton;

namespace hemu {

class CustHoldings;

/**
 * The goods the customer of the current receipt bill holds. A modal pick ends with OK and
 * the caller reads the current row of holdings().qCustHasGoods; with a FillTarget every
 * double-click appends a receipt line with the whole quantity held at its average value
 * per unit, and a goods item held in quantity 0 is refused with "数量为0，免选。".
 */
class TfrmPickDueGoodsOfCust : public FillPicker
{
    Q_OBJECT
public:
    TfrmPickDueGoodsOfCust(AppContext &context, QWidget *parent);
    ~TfrmPickDueGoodsOfCust() override;

    CustHoldings &holdings() const { return *m_holdings; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void goodsPicked();

    CustHoldings *m_holdings;

    struct
    {
        QLabel *Label1 = nullptr;   // 客户代码；
        QLabel *DBText1 = nullptr;  // CustID of the receipt bill
        QLabel *Label2 = nullptr;   // 客户名称:
        QLabel *DBText2 = nullptr;  // its customer's name
        DataGrid *DBGGoods = nullptr;
        QPushButton *Button2 = nullptr; // 关闭
    } ui;
};

} // namespace hemu
