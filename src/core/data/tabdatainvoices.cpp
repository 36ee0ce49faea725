// Invoice rules of TabData: the invoice total and the delete questions.
#include "core/bills/singleprecision.h"
#include "core/data/invoiceentry.h"
#include "core/data/posterrors.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/db/refusals.h"
#include "core/prompter.h"

namespace hemu {

namespace {

bool writeInvoiceTotal(Database &db, const QVariant &tabId)
{
    QSqlQuery q = db.query(QStringLiteral("SELECT paidmny FROM InvoiceMx WHERE TabID = ? ORDER BY rowid"), {tabId});
    if (!q.exec())
        return false;
    double total = 0;
    while (q.next())
        total = addSingle(total, q.value(0).toDouble());
    if (q.lastError().isValid()) // a scan cut short by a damaged page is no total
        return false;
    return db.exec(QStringLiteral("UPDATE Invoices SET totalmny = ? WHERE TabID = ?"), {total, tabId});
}

} // namespace

bool TabData::RecalcInvoiceTotal(Dataset &)
{
    const QVariant tabId = Invoices->value(QStringLiteral("TabID"));
    Transaction tx(m_db);
    if (!tx.isActive() || !writeInvoiceTotal(m_db, tabId) || !tx.commit())
        return false;
    if (m_db.transactionDepth() == 0 && !Invoices->isEditing())
        Invoices->refreshRow(Invoices->currentRowid());
    InvoiceRowEditing = false;
    return true;
}

void TabData::installInvoiceRules()
{
    InvoiceMx->hooks().beforeEdit = [this](Dataset &) {
        InvoiceRowEditing = true;
        return true;
    };
    // The total is written in the line's own transaction, so it always matches the lines.
    InvoiceMx->hooks().onPostWrite = [this](Dataset &) { return writeInvoiceTotal(m_db, Invoices->value(QStringLiteral("TabID"))); };
    InvoiceMx->hooks().onDeleteWrite = InvoiceMx->hooks().onPostWrite;
    auto afterLine = [this](Dataset &) {
        InvoiceRowEditing = false;
        if (m_db.transactionDepth() == 0 && !Invoices->isEditing())
            Invoices->refreshRow(Invoices->currentRowid());
    };
    InvoiceMx->hooks().afterPost = afterLine;
    InvoiceMx->hooks().afterDelete = afterLine;
    InvoiceMx->hooks().beforeDelete = [this](Dataset &) { return m_prompter.question(QStringLiteral("确实要删除吗？")); };
    InvoiceMx->hooks().onPostError = refusingPostErrors(m_prompter, QStringLiteral("数据库:禁止单据中重复出现相同品名型号。"));

    Invoices->hooks().beforeDelete = [this](Dataset &) {
        return InvoiceCascadeDeleting || m_prompter.question(QStringLiteral("确实删除发票吗？"));
    };
    // An invoice's lines go with it.
    Invoices->hooks().onDeleteWrite = [this](Dataset &ds) {
        return m_db.exec(QStringLiteral("DELETE FROM InvoiceMx WHERE TabID = ?"), {ds.value(QStringLiteral("TabID"))});
    };
    Invoices->hooks().afterDelete = [this](Dataset &) {
        if (InvoiceMx->isOpen())
            InvoiceMx->refresh();
    };
    // A bill has one invoice: a second one for it is refused in the program's words.
    Invoices->hooks().onPostError = [this, report = refusingPostErrors(m_prompter)](Dataset &ds, const QSqlError &error) {
        if (!error.databaseText().contains(QLatin1String("Invoices.TabID")))
            return report(ds, error);
        m_prompter.warning(InvoiceEntry::alreadyInvoicedText());
        ds.cancel();
        return true;
    };
}

} // namespace hemu
