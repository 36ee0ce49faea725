#pragma once

#include "core/bills/billkind.h"
#include "ui/kit/appcontext.h"

#include <QVariant>
#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QToolButton;

namespace hemu {

class DataGrid;
class Dataset;
class Navigator;
class PriceHistory;

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
    ~BillPage() override;

    BillKind kind() const { return m_kind; }
    Dataset *header() const { return m_header; }
    Dataset *details() const { return m_details; }

    /// Locks the detail grid (read-only, silver) or unlocks it (editable, light yellow).
    void setGridLocked(bool locked);
    bool isGridLocked() const;

    /// The earlier prices of the current line's goods item for this bill's counterpart.
    PriceHistory &prices() const { return *m_prices; }
    /// Shows them again (the bill, its counterpart or the current line changed).
    void refreshHistory();
    /// The light orange of a line whose price is far from the last one.
    static QColor priceOffColour();

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
        QLabel *historyCaption = nullptr;   // 价格记录
        QTableWidget *history = nullptr;    // date, bill number, quantity, price
    } ui;

private:
    void buildHeader(AppContext &context);
    void buildGrid();
    void buildBottom();

    BillKind m_kind;
    Dataset *m_header;
    Dataset *m_details;
    std::unique_ptr<PriceHistory> m_prices;
    QVariantList m_historyShown; // the bill, counterpart and goods item the history is of
};

} // namespace hemu
