#include "core/data/invoiceentry.h"

#include "core/data/basedata.h"
#include "core/data/posterrors.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/dataset/field.h"
#include "core/db/database.h"
#include "core/prompter.h"

namespace hemu {

namespace {
DatasetError refused()
{
    return DatasetError(DatasetError::Code::Refused, QString());
}
} // namespace

InvoiceEntry::InvoiceEntry(TabData &tab) : m_tab(tab)
{
}

QString InvoiceEntry::alreadyInvoicedText()
{
    return QStringLiteral("该单据已经登记了发票，不能重复登记。");
}

QString InvoiceEntry::invalidText()
{
    return QStringLiteral("发票无效：没有发票号或没有明细项，不予保存。");
}

QString InvoiceEntry::lineExistText()
{
    return QStringLiteral("明细项已经存在，请手动编辑。");
}

QString InvoiceEntry::notThisBillText()
{
    return QStringLiteral("此发票不是当前单据的。");
}

DatasetError InvoiceEntry::openForBill()
{
    Dataset &bill = *m_tab.RuKu;
    Dataset &inv = *m_tab.Invoices;
    if (!bill.isOpen() || bill.currentRow() < 0 || bill.state() == Dataset::State::Insert || !inv.isOpen())
        return refused();
    if (inv.isEditing())
        inv.cancel();
    if (inv.rowCount() > 0)
        return {};
    DatasetError e = inv.append();
    if (e.ok())
        e = inv.setValue(QStringLiteral("TabID"), bill.value(QStringLiteral("TabID")));
    if (e.ok())
        e = inv.setValue(QStringLiteral("vendorid"), bill.value(QStringLiteral("CustID")));
    if (e.ok())
        e = inv.post();
    if (e.failed() && inv.isEditing())
        inv.cancel();
    return e;
}

DatasetError InvoiceEntry::takeBillVendor()
{
    Dataset &inv = *m_tab.Invoices;
    if (!inv.isOpen() || (inv.currentRow() < 0 && !inv.isEditing()))
        return refused();
    DatasetError e = inv.isEditing() ? DatasetError() : inv.edit();
    if (e.ok())
        e = inv.setValue(QStringLiteral("vendorid"), m_tab.RuKu->value(QStringLiteral("CustID")));
    return e.ok() ? inv.post() : e;
}

DatasetError InvoiceEntry::copyBillLines()
{
    Dataset &inv = *m_tab.Invoices;
    Dataset &invLines = *m_tab.InvoiceMx;
    if (inv.isEditing()) {
        const DatasetError e = inv.post();
        if (e.failed())
            return e;
    }
    if (inv.currentRow() < 0)
        return refused();
    if (invLines.rowCount() > 0) {
        m_tab.base().prompter().warning(lineExistText());
        return refused();
    }
    const QList<Line> lines = billLines();
    Database &db = m_tab.base().MyADOCnn();
    DatasetError e;
    {
        // Each line updates the invoice total as it is posted; the lines come together or not at all.
        Transaction tx(db);
        if (!tx.isActive())
            return DatasetError(DatasetError::Code::Database, failureText(db.lastError()), db.lastError());
        for (const Line &l : lines) {
            e = invLines.append();
            if (e.ok())
                e = invLines.setValue(QStringLiteral("GoodID"), l.goods);
            if (e.ok())
                e = invLines.setValue(QStringLiteral("paidqty"), l.qty);
            if (e.ok())
                e = invLines.setValue(QStringLiteral("price"), l.price);
            if (e.ok())
                e = invLines.setValue(QStringLiteral("paidmny"), l.money);
            if (e.ok())
                e = invLines.post();
            if (e.failed())
                break;
        }
        if (e.ok() && !tx.commit())
            e = DatasetError(DatasetError::Code::Database, failureText(db.lastError()), db.lastError());
        if (e.failed() && invLines.isEditing())
            invLines.cancel();
    }
    if (e.ok())
        inv.refreshRow(inv.currentRowid());
    return e;
}

QString InvoiceEntry::validityRefusal() const
{
    const Dataset &inv = *m_tab.Invoices;
    const bool numbered = inv.currentRow() >= 0 && !inv.value(QStringLiteral("invoice")).toString().trimmed().isEmpty();
    return numbered && m_tab.InvoiceMx->rowCount() > 0 ? QString() : invalidText();
}

DatasetError InvoiceEntry::handOver()
{
    Dataset &bill = *m_tab.RuKu;
    Dataset &inv = *m_tab.Invoices;
    if (inv.currentRow() < 0 || bill.currentRow() < 0 || bill.value(QStringLiteral("TabID")) != inv.value(QStringLiteral("TabID"))) {
        m_tab.base().prompter().warning(notThisBillText());
        return refused();
    }
    Database &db = m_tab.base().MyADOCnn();
    DatasetError e;
    {
        Transaction tx(db);
        if (!tx.isActive())
            return DatasetError(DatasetError::Code::Database, failureText(db.lastError()), db.lastError());
        // The number and total as the file holds them: another program may have changed a line.
        const QVariant tabId = bill.value(QStringLiteral("TabID"));
        QSqlQuery q = db.query(QStringLiteral("SELECT invoice, totalmny FROM Invoices WHERE TabID = ?"), {tabId});
        if (!q.exec() || !q.next()) {
            e = q.lastError().isValid() ? DatasetError(DatasetError::Code::Database, failureText(q.lastError()), q.lastError())
                                        : refused();
            if (!q.lastError().isValid())
                m_tab.base().prompter().warning(notThisBillText());
        } else {
            const QVariant number = q.value(0);
            const QVariant total = q.value(1);
            e = bill.isEditing() ? DatasetError() : bill.edit();
            if (e.ok())
                e = bill.setValue(QStringLiteral("invoice"), number);
            if (e.ok())
                e = bill.setValue(QStringLiteral("invoiceMny"), total);
            if (e.ok())
                e = bill.post();
            if (e.ok() && !tx.commit())
                e = DatasetError(DatasetError::Code::Database, failureText(db.lastError()), db.lastError());
        }
        if (e.failed() && bill.isEditing())
            bill.cancel();
    }
    return e;
}

QString InvoiceEntry::billMissingText()
{
    return QStringLiteral("单据不存在。");
}

QList<InvoiceEntry::Line> InvoiceEntry::billLines() const
{
    Dataset &lines = *m_tab.RuKuMx;
    const int goods = lines.fieldIndex(QStringLiteral("GoodID"));
    const int qtyField = lines.fieldIndex(QStringLiteral("Qty"));
    const int priceField = lines.fieldIndex(QStringLiteral("Price"));
    QList<Line> out;
    for (int r = 0; r < lines.rowCount(); ++r) {
        const double qty = nullAsZero(lines.value(r, qtyField));
        const double price = nullAsZero(lines.value(r, priceField));
        out.append({lines.value(r, goods), qty, price, qty * price});
    }
    return out;
}

DatasetError InvoiceEntry::save(const QString &number, const QVariant &date, const QList<Line> &lines, bool copyBillLines,
                                double *total)
{
    Database &db = m_tab.base().MyADOCnn();
    Prompter &prompter = m_tab.base().prompter();
    const QVariant tabId = m_tab.RuKu->value(QStringLiteral("TabID"));
    // Asked before the write begins: no message is shown while the file is held.
    if (db.scalar(QStringLiteral("SELECT count(*) FROM Invoices WHERE TabID = ?"), {tabId}).toInt() > 0) {
        prompter.warning(alreadyInvoicedText());
        return refused();
    }
    const QList<Line> invoiced = copyBillLines ? billLines() : lines;
    if (number.trimmed().isEmpty() || invoiced.isEmpty()) {
        prompter.warning(invalidText());
        return refused();
    }
    DatasetError error;
    bool billGone = false;
    {
        Transaction tx(db);
        if (!tx.isActive())
            return DatasetError(DatasetError::Code::Database, failureText(db.lastError()), db.lastError());
        // Another program may have deleted the bill since it was read.
        billGone = db.scalar(QStringLiteral("SELECT count(*) FROM RuKuDan WHERE TabID = ?"), {tabId}).toInt() == 0;
        if (billGone) {
            error = refused();
        } else {
            error = write(number, date, invoiced);
            if (error.ok() && !tx.commit())
                error = DatasetError(DatasetError::Code::Database, failureText(db.lastError()), db.lastError());
        }
        for (Dataset *ds : {m_tab.Invoices, m_tab.InvoiceMx, m_tab.RuKu})
            if (error.failed() && ds->isEditing())
                ds->cancel();
    }
    if (billGone)
        prompter.warning(billMissingText());
    if (error.failed())
        return error;
    // The views re-read what the committed transaction wrote.
    m_tab.RuKu->refreshRow(m_tab.RuKu->currentRowid());
    m_tab.Invoices->refresh();
    m_tab.InvoiceMx->refresh();
    if (total)
        *total = m_tab.Invoices->value(QStringLiteral("totalmny")).toDouble();
    return {};
}

DatasetError InvoiceEntry::write(const QString &number, const QVariant &date, const QList<Line> &lines)
{
    Dataset &bill = *m_tab.RuKu;
    Dataset &inv = *m_tab.Invoices;
    Dataset &invLines = *m_tab.InvoiceMx;
    const QVariant tabId = bill.value(QStringLiteral("TabID"));
    auto steps = [](std::initializer_list<std::function<DatasetError()>> list) {
        for (const auto &step : list) {
            const DatasetError e = step();
            if (e.failed())
                return e;
        }
        return DatasetError();
    };
    DatasetError e = steps({[&] { return inv.append(); },
                            [&] { return inv.setValue(QStringLiteral("TabID"), tabId); },
                            [&] { return inv.setValue(QStringLiteral("invoice"), number); },
                            [&] { return inv.setValue(QStringLiteral("vendorid"), bill.value(QStringLiteral("CustID"))); },
                            [&] { return date.isValid() ? inv.setValue(QStringLiteral("date"), date) : DatasetError(); },
                            [&] { return inv.post(); }});
    for (const Line &l : lines) {
        if (e.failed())
            return e;
        e = steps({[&] { return invLines.append(); }, [&] { return invLines.setValue(QStringLiteral("GoodID"), l.goods); },
                   [&] { return invLines.setValue(QStringLiteral("paidqty"), l.qty); },
                   [&] { return invLines.setValue(QStringLiteral("price"), l.price); },
                   [&] { return invLines.setValue(QStringLiteral("paidmny"), l.money); }, [&] { return invLines.post(); }});
    }
    if (e.failed())
        return e;
    // Saving the invoice hands its number and total to the bill; the total is the one the
    // lines wrote into the file inside this transaction.
    const QVariant total =
        m_tab.base().MyADOCnn().scalar(QStringLiteral("SELECT totalmny FROM Invoices WHERE TabID = ?"), {tabId});
    return steps({[&] { return bill.edit(); }, [&] { return bill.setValue(QStringLiteral("invoice"), number); },
                  [&] { return bill.setValue(QStringLiteral("invoiceMny"), total); }, [&] { return bill.post(); }});
}

} // namespace hemu
