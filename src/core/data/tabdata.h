#pragma once

#include "core/bills/billkind.h"

#include <QDate>
#include <QObject>
#include <QString>

namespace hemu {

class BaseData;
class Database;
class Dataset;
class Prompter;
class DatasetError;
class ProgressSink;

/**
 * The bill, stock and invoice datasets and their rules: bill defaults and numbering, price
 * and counterparty checks, bill totals, posting of every line into the period counters,
 * whole-bill deletion, invoices, and the period operations. Every user action is one
 * transaction: a line with its counters and bill total, a bill with all its lines and its
 * invoice. When a write fails nothing of the action stays and a pending line stays pending.
 */
class TabData : public QObject
{
    Q_OBJECT
public:
    explicit TabData(BaseData &base, QObject *parent = nullptr);
    ~TabData() override;

    BaseData &base() { return m_base; }

    /// The values of the detail line whose edit is in progress, as they were when it began
    /// (quantity and price in single precision); all zero for a new line.
    struct DetailValues
    {
        int GoodID = 0;
        int CustID = 0;
        double Qty = 0;
        double Price = 0;
    };
    DetailValues OldDetailValues;
    bool WholeBillDeleting = false;
    bool RowEditing = false;
    bool InvoiceCascadeDeleting = false;
    bool InvoiceRowEditing = false;

    Dataset *header(BillKind kind) const;
    Dataset *detail(BillKind kind) const;

    /// Shows every bill again: switches off the filters of the three header datasets.
    void ShowAllBills();
    /// Recomputes SumMoney of the current bill of `details` from its lines (single precision).
    bool RecalcBillSum(Dataset &details);
    /// Deletes every line the file holds for the current bill of `details`, reversing each
    /// posting, in one transaction.
    bool DeleteBillDetails(Dataset &details);
    /// Recomputes totalmny of the current invoice from its lines (single precision).
    bool RecalcInvoiceTotal(Dataset &lines);

    // Period operations with the views closed around them; false after a failure (the
    // message has been shown where the operation reports itself).
    bool RecalcTotals(const QString &start, const QString &end, ProgressSink &progress, QString *error = nullptr);
    /// With a valid `carriedOn` the date is stored as the last carry-forward in the same
    /// transaction: the date and the new period come together or not at all.
    bool CarryForward(const QDate &carriedOn = {});
    bool PurgeIdleCustStock(QString *error = nullptr);
    bool ClearTotals(QString *error = nullptr);
    bool ClearBills(QString *error = nullptr);
    /// Bills and totals cleared together: both or neither.
    bool ClearAll(QString *error = nullptr);

    // Datasets, in declaration order.
    Dataset *RuKu = nullptr;
    Dataset *DiaoBo = nullptr;
    Dataset *ChuKu = nullptr;
    Dataset *RuKuMx = nullptr;
    Dataset *DiaoBoMx = nullptr;
    Dataset *ChuKuMx = nullptr;
    Dataset *Goods = nullptr;
    Dataset *GoodsInCusts = nullptr;
    Dataset *GoodsInCusts1 = nullptr;
    Dataset *Goods2 = nullptr;
    Dataset *GoodsInCusts2 = nullptr;
    Dataset *Goods1 = nullptr;
    Dataset *GoodsCheck = nullptr;
    Dataset *Invoices = nullptr;
    Dataset *InvoiceMx = nullptr;

private:
    void createBillDatasets();
    void createStockDatasets();
    void createInvoiceDatasets();
    void installBillRules(BillKind kind);
    void installInvoiceRules();

    /// Posts the counters of a line change inside the current transaction; false when a write
    /// failed (the messages are shown).
    bool postLineChange(BillKind kind, const DetailValues &before, const DetailValues &after);
    /// Re-reads the rows of the open goods and customer views that a line change touched.
    void refreshCounters(const QList<int> &goodIds, const QList<QPair<int, int>> &goodCustPairs);
    DetailValues currentLine(BillKind kind, Dataset &details) const;
    /// Inside a write: the bill's customer as the file holds it into m_storedParty; a
    /// Conflict when the bill is gone.
    DatasetError readStoredParty(BillKind kind, const QVariant &tabId);
    /// Inside a write: the line at `rowid` as the file holds it into m_storedLine.
    DatasetError readStoredLine(BillKind kind, qint64 rowid);
    /// Inside a write: reverses and deletes every line the file holds for bill `tabId`
    /// (posted to m_storedParty).
    bool deleteStoredLines(BillKind kind, const QVariant &tabId);
    /// After another program changed a bill under this one: says so and shows the bill as
    /// the file holds it.
    void rereadBill(BillKind kind, const DatasetError &conflict);
    /// The automatic backup before a carry-forward or clearing; a failure is said and the
    /// operation goes on.
    void backUpFirst();
    /// Closes the stock views around a bulk statement and opens them again afterwards.
    template<typename Work> bool withStockViewsRefreshed(Work work);
    /// Closes the bill and invoice views around a bulk statement and opens them afterwards.
    template<typename Work> bool withBillViewsClosed(Work work);

    BaseData &m_base;
    Database &m_db;
    Prompter &m_prompter; // BaseData's: messages inside a write wait for its end
    // What the write in progress depends on, as the file held it inside the write.
    DetailValues m_storedLine;
    int m_storedParty = 0;
    // What the last line change touched, for refreshing the views after it is committed.
    QList<int> m_touchedGoods;
    QList<QPair<int, int>> m_touchedPairs;
};

} // namespace hemu
