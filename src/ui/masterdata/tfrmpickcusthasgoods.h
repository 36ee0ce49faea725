#pragma once

#include "ui/masterdata/pickerdialog.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QSplitter;

namespace hemu {

class CustHoldings;

/**
 * Chooses the customer of a receipt bill among those holding goods of non-zero value, with
 * the goods the current customer holds beside (竖式) or below (横式) the customers. OK (a
 * double-click on a customer, or "填入") gives PickedID the customer's CustID.
 */
class TfrmPickCustHasGoods : public PickerDialog
{
    Q_OBJECT
public:
    TfrmPickCustHasGoods(AppContext &context, QWidget *parent);
    ~TfrmPickCustHasGoods() override;

    CustHoldings &holdings() const { return *m_holdings; }
    /// The customers beside the goods (竖式) or above them (横式).
    bool isUpright() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void pickCustomer();
    void customerChanged();
    void applyLayout();

    CustHoldings *m_holdings;

    struct
    {
        QLabel *Panel1 = nullptr; // " 客户:" and the current customer
        QSplitter *Splitter = nullptr;
        DataGrid *DBGCusts = nullptr;
        DataGrid *DBGGoods = nullptr;
        QPushButton *BitBtn1 = nullptr; // 填入
        QPushButton *BitBtn2 = nullptr; // 取消
        QWidget *RadioGroup1 = nullptr;
        QRadioButton *rbUpright = nullptr;  // 竖式
        QRadioButton *rbLying = nullptr;    // 横式
    } ui;
};

} // namespace hemu
