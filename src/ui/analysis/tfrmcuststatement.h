#pragma once

#include "ui/kit/childwindow.h"

#include <QDate>

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSplitter;
class QTabWidget;

namespace hemu {

class CustStatement;
class DataGrid;

/**
 * "客户对账单": what one customer held, received, sent back and paid for over a date range,
 * with the bills behind it, and the age of the goods customers hold at the range's end.
 * Read-only; read again whenever the customer or a date changes.
 */
class TfrmCustStatement : public ChildWindow
{
    Q_OBJECT
public:
    explicit TfrmCustStatement(AppContext &context);
    ~TfrmCustStatement() override;

    QSize sizeHint() const override { return {960, 580}; }

    CustStatement &statement() const { return *m_statement; }

    /// Opens (or brings forward) the window of `context` on customer `custId`.
    static TfrmCustStatement *showFor(AppContext &context, qint64 custId);

    struct
    {
        QPushButton *btnCustomer = nullptr; // 客户
        QLabel *lbCustomer = nullptr;       // the customer's code and name
        QDateEdit *edFrom = nullptr;
        QDateEdit *edTo = nullptr;
        QPushButton *btPrint = nullptr;     // 打印: the printed statement in the preview
        QTabWidget *PageControl1 = nullptr;
        QWidget *tsStatement = nullptr;     // 对账单
        QSplitter *Splitter1 = nullptr;
        DataGrid *DBGridGoods = nullptr;
        QLabel *lbTotals = nullptr;
        DataGrid *DBGridBills = nullptr;
        QWidget *tsAge = nullptr;           // 存货账龄
        QCheckBox *cbThisCustomer = nullptr; // 仅本客户
        DataGrid *DBGridAge = nullptr;
    } ui;

    qint64 customer() const { return m_customer; }
    void setCustomer(qint64 custId);
    void setRange(const QDate &from, const QDate &to);
    /// Reads the statement and the ages again for the customer and days shown.
    void refresh();
    /// "客户": the picked customer's statement.
    void pickCustomer();
    /// "打印": the statement shown, printed, in the preview.
    void printStatement();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *statementPage();
    QWidget *agePage();
    void showCustomer();

    CustStatement *m_statement;
    qint64 m_customer = 0;
    bool m_shown = false;
};

} // namespace hemu
