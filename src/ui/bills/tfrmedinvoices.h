#pragma once

#include "ui/kit/appcontext.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace hemu {

class DataGrid;
class Dataset;
class InvoiceEntry;
class Navigator;

/**
 * "登记发票": the vendor's invoice of the current stock-in bill, its lines and total. Made at
 * start-up and kept; editForCurrentBill() opens the bill's invoice (making it on the first
 * use), shows the dialog and, when it is saved, hands the invoice's number and total to the
 * bill ("已付款").
 */
class TfrmEdInvoices : public QDialog
{
    Q_OBJECT
public:
    TfrmEdInvoices(AppContext &context, QWidget *parent);
    ~TfrmEdInvoices() override;

    /// What the bill window's "发票号" does.
    void editForCurrentBill();

    /// The dataset the navigator acts on: the invoice, or its lines while the grid has the keyboard.
    Dataset *ActiveSource() const;

    struct Ui
    {
        QWidget *Panel2 = nullptr;
        QLineEdit *DBEdit2 = nullptr;   // invoice
        QLineEdit *DBEdit1 = nullptr;   // date
        QToolButton *SpeedButton1 = nullptr; // date picker
        QLineEdit *DBEdit5 = nullptr;   // Vendor
        QToolButton *SpeedButton5 = nullptr; // 填入供货方
        QLineEdit *DBEdit8 = nullptr;   // remark
        QLabel *DBText2 = nullptr;      // TabID
        QPushButton *SpeedButton2 = nullptr; // 填入明细项
        Navigator *DBNavigator1 = nullptr;
        DataGrid *DBGridInvoice = nullptr;
        QLabel *DBText1 = nullptr;      // totalmny
        QPushButton *BitBtn1 = nullptr; // 保存
        QPushButton *BitBtn2 = nullptr; // 关闭
    } ui;

public slots:
    void done(int result) override;

private:
    void setActiveSource(Dataset *dataset);
    void chooseDate();
    void takeVendor();
    void copyLines();
    void save();

    AppContext &m_context;
    std::unique_ptr<InvoiceEntry> m_entry;
    QPointer<Dataset> m_activeSource;
};

} // namespace hemu
