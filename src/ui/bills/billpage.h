#pragma once

#include "core/bills/billkind.h"
#include "ui/kit/appcontext.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace hemu {

class DataGrid;
class Dataset;
class Navigator;

/**
 * One page of the bill entry window: the header panel of one kind of bill (number, date,
 * counterpart, remark, the legends of the quantity's sign, the navigator), the detail grid
 * with its seven columns and the bottom band with the bill total. The page lays out and
 * binds; what the buttons and the grid's entry do is the window's.
 */
class BillPage : public QWidget
{
    Q_OBJECT
public:
    BillPage(AppContext &context, BillKind kind, QWidget *parent = nullptr);

    BillKind kind() const { return m_kind; }
    Dataset *header() const { return m_header; }
    Dataset *details() const { return m_details; }

    /// Locks the detail grid (read-only, silver) or unlocks it (editable, light yellow).
    void setGridLocked(bool locked);
    bool isGridLocked() const;

    struct Ui
    {
        QWidget *panel = nullptr;           // plRk / plDiaoBo / plChuKu
        QLabel *title = nullptr;            // 入库单 / 发货单 / 收款单
        QComboBox *howToPay = nullptr;      // DBComboBox1, receipts only
        QLineEdit *bookId = nullptr;
        QLineEdit *date = nullptr;
        QToolButton *dateButton = nullptr;
        QToolButton *partyButton = nullptr; // 供货方 / 客户
        QLineEdit *party = nullptr;
        QLineEdit *remark = nullptr;
        QLabel *tabId = nullptr;
        QLabel *legendPlus = nullptr;       // black: what a positive quantity is
        QLabel *legendMinus = nullptr;      // red: what a negative one is
        Navigator *navigator = nullptr;
        QLineEdit *scan = nullptr;          // 扫码录入
        DataGrid *grid = nullptr;
        QLabel *sumMoney = nullptr;
        QLabel *invoiceMny = nullptr;       // stock-in only: 已付款
        QToolButton *invoiceButton = nullptr; // stock-in only: 发票号
        QLabel *invoice = nullptr;
    } ui;

private:
    void buildHeader(AppContext &context);
    void buildGrid();
    void buildBottom();

    BillKind m_kind;
    Dataset *m_header;
    Dataset *m_details;
};

} // namespace hemu
