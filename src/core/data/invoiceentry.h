#pragma once

#include "core/dataset/dataseterror.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace hemu {

class TabData;

/**
 * Records a whole invoice for the current stock-in bill in one step: the invoice header, its
 * lines and the hand-over of its number and total to the bill form one transaction, so a bad
 * line, a bill another program deleted or a crash leaves no invoice, no used number and no
 * half-filled bill behind.
 */
class InvoiceEntry
{
public:
    struct Line
    {
        QVariant goods;
        double qty = 0;
        double price = 0;
        double money = 0;
    };

    explicit InvoiceEntry(TabData &tab);

    /// Saves invoice `number` (dated `date` when valid) with `lines`, or with a copy of the
    /// bill's own lines when `copyBillLines` is set; an invoice without a number or without
    /// lines is not saved. Refusals are shown through the prompter
    /// and come back as a refused error; the invoice total is in `total` on success.
    DatasetError save(const QString &number, const QVariant &date, const QList<Line> &lines, bool copyBillLines,
                      double *total = nullptr);

    // The invoice dialog's steps, each one user action on the invoice views of the current
    // stock-in bill (Invoices and InvoiceMx follow RuKu).

    /// The bill's invoice, made and saved with the bill's TabID and vendor when it has none,
    /// so that it exists from the first click on.
    DatasetError openForBill();
    /// Sets the invoice's vendor to the bill's and saves it.
    DatasetError takeBillVendor();
    /// Copies the bill's lines (goods, quantity, price, amount) into an invoice without lines,
    /// all of them or none; an invoice that has lines is refused with lineExistText().
    DatasetError copyBillLines();
    /// An invoice needs a number and at least one line: the refusal to show, empty when valid.
    QString validityRefusal() const;
    /// Hands the saved invoice's number and total (as the file holds it) to its bill and saves
    /// the bill; refused with notThisBillText() when the invoice shown is not the bill's.
    DatasetError handOver();

    static QString lineExistText();
    static QString notThisBillText();
    static QString alreadyInvoicedText();
    /// An invoice needs a number and at least one line.
    static QString invalidText();
    static QString billMissingText();

private:
    DatasetError write(const QString &number, const QVariant &date, const QList<Line> &lines);
    QList<Line> billLines() const;

    TabData &m_tab;
};

} // namespace hemu
