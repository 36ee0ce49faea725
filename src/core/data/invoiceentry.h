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
