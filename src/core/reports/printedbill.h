#pragma once

#include "core/bills/billkind.h"

#include <QList>
#include <QString>

#include <optional>

namespace hemu {
class Database;
}

namespace hemu::reports {

/// One line of a printed bill.
struct PrintedBillLine
{
    QString goodId;
    QString description;
    QString unit;
    double qty = 0;
    double price = 0;
    double amount() const { return qty * price; }
};

/// Everything a printed bill shows, read from the file in one snapshot.
struct PrintedBill
{
    BillKind kind = BillKind::StockIn;
    QString company;     // the owner's name
    QString counterpart; // the vendor's or the customer's name
    QString tabDate;     // as printed: short date, with the time of day when one is stored
    QString bookId;
    qint64 tabId = 0;
    QString remark;      // as stored
    double sumMoney = 0;
    QList<PrintedBillLine> lines; // in the order they were entered

    /// "入库单", "送货单" or "收款单".
    QString kindWord() const;
    /// The company name followed by the kind word.
    QString title() const { return company + kindWord(); }
    /// "供货方:", "收货方:" or "缴款方:" followed by the counterpart (line printing).
    QString lineCounterpart() const;
    /// "供货方:" for stock-in, "客户名:" otherwise, followed by the counterpart (page printing).
    QString pageCounterpart() const;
    /// BookID, "-", TabID: "RK-2004-5-9-17".
    QString numberText() const { return bookId + QLatin1Char('-') + QString::number(tabId); }
};

/// A stored bill date as the bills print it: the short date, followed by the time of day
/// only when the stored text carries one; a text that is no date prints as it is.
QString printedBillDate(const QString &stored);

/// Reads bill `tabId` of `kind` with its lines; nullopt with `error` set when there is no such
/// bill or the file cannot be read.
std::optional<PrintedBill> readPrintedBill(Database &db, BillKind kind, qint64 tabId, QString *error = nullptr);

/// The TabID of the newest bill of `kind`; 0 when there is none.
qint64 newestBill(Database &db, BillKind kind);

} // namespace hemu::reports
