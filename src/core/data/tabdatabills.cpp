// Bill rules of TabData: defaults and numbering, checks, totals, posting of lines into the
// period counters and deleting whole bills.
#include "core/bills/posting.h"
#include "core/bills/singleprecision.h"
#include "core/data/basedata.h"
#include "core/data/billguard.h"
#include "core/data/posterrors.h"
#include "core/data/tabdata.h"
#include "core/dataset/dataset.h"
#include "core/db/sqlstatement.h"
#include "core/db/database.h"
#include "core/db/refusals.h"
#include "core/format/datetext.h"
#include "core/prompter.h"

#include <QDate>
#include <sqlite3.h>

namespace hemu {

namespace {

QString lineDeleteQuestion() { return QStringLiteral("确实要删除吗?"); }
QString billDeleteQuestion() { return QStringLiteral("确实要删除吗？"); }
QString billDeletedText() { return QStringLiteral("单据已经删除。"); }
QString negativePriceText() { return QStringLiteral("价格不能<0 !"); }
QString billChangedText() { return QStringLiteral("该单据已被其他用户修改，已重新读取。"); }
QString partyLockedText()
{
    return QStringLiteral("字段验证:单据已经包含明细项，不能修改。若一定要修改，清先删除此单据，然后重新录入。");
}

bool sameLine(const TabData::DetailValues &a, const TabData::DetailValues &b)
{
    return a.GoodID == b.GoodID && a.CustID == b.CustID && a.Qty == b.Qty && a.Price == b.Price;
}

// The statements below run for every posted line: they use the connection's kept statements.

/// The first column of the first row of `sql`, or an invalid QVariant (no row, or an error).
QVariant keptScalar(Database &db, const QString &sql, const QVariantList &params)
{
    SqlStatement st(db, sql);
    if (!st.ok() || !st.bindAll(params) || st.step() != SQLITE_ROW)
        return {};
    return st.column(0);
}

/// Single-precision total of a bill's lines, in the order they were entered.
bool billTotal(Database &db, BillKind kind, qint64 tabId, double *total, QSqlError *error)
{
    SqlStatement st(db, QStringLiteral("SELECT Qty, Price FROM %1 WHERE TabID = ? ORDER BY rowid").arg(detailTable(kind)));
    double sum = 0;
    int rc = st.ok() && st.bind(1, tabId) ? st.step() : SQLITE_ERROR;
    for (; rc == SQLITE_ROW; rc = st.step())
        sum = addSingle(sum, sqlite3_column_double(st.handle(), 0) * sqlite3_column_double(st.handle(), 1));
    if (rc != SQLITE_DONE) {
        *error = st.error();
        return false;
    }
    *total = sum;
    return true;
}

bool writeBillTotal(Database &db, BillKind kind, qint64 tabId, Prompter &prompter)
{
    double total = 0;
    QSqlError error;
    if (billTotal(db, kind, tabId, &total, &error)) {
        SqlStatement update(db, QStringLiteral("UPDATE %1 SET SumMoney = ? WHERE TabID = ?").arg(headerTable(kind)));
        if (update.ok() && update.bindAll({total, tabId}) && update.run())
            return true;
        error = update.error();
    }
    // The line and its postings are rolled back with the total: say why.
    prompter.warning(QStringLiteral("异常:不能更新单据合计。") + error.databaseText());
    return false;
}

// A stored line as the posting needs it: the columns, and the values of the current row.
const char *const storedLineColumns = "coalesce(GoodID, 0), coalesce(Qty, 0), coalesce(Price, 0)";

TabData::DetailValues storedLine(const SqlStatement &st, int party)
{
    return {sqlite3_column_int(st.handle(), 0), party, sqlite3_column_double(st.handle(), 1), sqlite3_column_double(st.handle(), 2)};
}

DatasetError readFailure(const SqlStatement &st)
{
    const QSqlError error = st.error();
    return DatasetError(DatasetError::Code::Database, failureText(error), error);
}

} // namespace

TabData::DetailValues TabData::currentLine(BillKind kind, Dataset &details) const
{
    DetailValues v;
    v.GoodID = details.value(QStringLiteral("GoodID")).toInt();
    v.CustID = header(kind)->value(QStringLiteral("CustID")).toInt();
    v.Qty = nullAsZero(details.value(QStringLiteral("Qty")));
    v.Price = nullAsZero(details.value(QStringLiteral("Price")));
    return v;
}

DatasetError TabData::readStoredParty(BillKind kind, const QVariant &tabId)
{
    SqlStatement st(m_db, QStringLiteral("SELECT coalesce(CustID, 0) FROM %1 WHERE TabID = ?").arg(headerTable(kind)));
    const int rc = st.ok() && st.bind(1, tabId) ? st.step() : SQLITE_ERROR;
    if (rc == SQLITE_DONE)
        return DatasetError(DatasetError::Code::Conflict, billChangedText()); // the bill is gone
    if (rc != SQLITE_ROW)
        return readFailure(st);
    m_storedParty = sqlite3_column_int(st.handle(), 0);
    return {};
}

DatasetError TabData::readStoredLine(BillKind kind, qint64 rowid)
{
    SqlStatement st(m_db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(QLatin1String(storedLineColumns), detailTable(kind)));
    const int rc = st.ok() && st.bind(1, rowid) ? st.step() : SQLITE_ERROR;
    if (rc == SQLITE_DONE)
        return DatasetError(DatasetError::Code::Conflict, billChangedText());
    if (rc != SQLITE_ROW)
        return readFailure(st);
    m_storedLine = storedLine(st, m_storedParty);
    return {};
}

bool TabData::deleteStoredLines(BillKind kind, const QVariant &tabId)
{
    QList<DetailValues> lines;
    {
        SqlStatement st(m_db, QStringLiteral("SELECT %1 FROM %2 WHERE TabID = ? ORDER BY rowid")
                                  .arg(QLatin1String(storedLineColumns), detailTable(kind)));
        int rc = st.ok() && st.bind(1, tabId) ? st.step() : SQLITE_ERROR;
        for (; rc == SQLITE_ROW; rc = st.step())
            lines.append(storedLine(st, m_storedParty));
        if (rc != SQLITE_DONE) {
            m_prompter.warning(failureText(st.error()));
            return false;
        }
    }
    for (const DetailValues &line : std::as_const(lines)) {
        if (!postLineChange(kind, line, DetailValues{}))
            return false;
    }
    QSqlError error;
    if (!m_db.exec(QStringLiteral("DELETE FROM %1 WHERE TabID = ?").arg(detailTable(kind)), {tabId}, &error)) {
        m_prompter.warning(failureText(error));
        return false;
    }
    return true;
}

void TabData::rereadBill(BillKind kind, const DatasetError &conflict)
{
    RowEditing = false;
    m_touchedGoods.clear();
    m_touchedPairs.clear();
    m_prompter.warning(conflict.message());
    Dataset *h = header(kind);
    if (h->isEditing())
        return;
    if (h->currentRowid() != 0)
        h->refreshRow(h->currentRowid()); // a bill gone from the file leaves the view, its lines with it
    Dataset *d = detail(kind);
    if (!d->isEditing())
        d->refresh();
}

bool TabData::postLineChange(BillKind kind, const DetailValues &before, const DetailValues &after)
{
    if (sameLine(before, after))
        return true;
    auto post = [&](const DetailValues &line, double sign) {
        const Posting::Result r = Posting::PostGoodsChange(m_db, kind, line.GoodID, line.CustID, sign * line.Qty, line.Price);
        switch (r.outcome) {
        case Posting::Outcome::Skipped:
            return true;
        case Posting::Outcome::Posted:
            m_touchedGoods << line.GoodID;
            if (kind != BillKind::StockIn)
                m_touchedPairs << qMakePair(line.GoodID, line.CustID);
            return true;
        case Posting::Outcome::GoodsNotFound:
            // Nothing to keep in step for an item that is gone: the line change stands.
            m_prompter.warning(Posting::goodsNotFoundText());
            m_prompter.message(Posting::cannotUpdateGoodsText(line.GoodID));
            return true;
        case Posting::Outcome::Failed:
            m_prompter.message(Posting::cannotUpdateGoodsText(line.GoodID));
            return false;
        }
        return false;
    };
    return post(before, -1) && post(after, +1);
}

void TabData::refreshCounters(const QList<int> &goodIds, const QList<QPair<int, int>> &pairs)
{
    // The stock view drops any search filter whenever a line is posted.
    Goods->setFiltered(false);
    QList<qint64> goodsRows;
    for (int id : goodIds)
        if (!goodsRows.contains(id))
            goodsRows << id; // GoodID is the rowid of Goods
    for (Dataset *view : {Goods, m_base.lkGoods, m_base.Goods}) {
        if (view->isOpen() && !view->isEditing() && !goodsRows.isEmpty())
            view->refreshRows(goodsRows);
    }
    QList<qint64> custRows;
    for (const auto &p : pairs) {
        const QVariant rowid = keptScalar(m_db, QStringLiteral("SELECT rowid FROM GoodsInCusts WHERE GoodID = ? AND CustID = ?"),
                                          {p.first, p.second});
        if (rowid.isValid())
            custRows << rowid.toLongLong();
    }
    for (Dataset *view : {GoodsInCusts, GoodsInCusts1}) {
        if (view->isOpen() && !view->isEditing() && !custRows.isEmpty())
            view->refreshRows(custRows);
    }
}

bool TabData::RecalcBillSum(Dataset &details)
{
    BillKind kind;
    if (WholeBillDeleting || !billKindFromDetailName(details.name(), &kind))
        return true;
    const qint64 tabId = header(kind)->value(QStringLiteral("TabID")).toLongLong();
    Transaction tx(m_db);
    if (!tx.isActive() || !writeBillTotal(m_db, kind, tabId, m_prompter) || !tx.commit())
        return false;
    if (m_db.transactionDepth() == 0 && !header(kind)->isEditing())
        header(kind)->refreshRow(tabId);
    return true;
}

bool TabData::DeleteBillDetails(Dataset &details)
{
    BillKind kind;
    if (!billKindFromDetailName(details.name(), &kind))
        return false;
    if (details.isEditing())
        details.cancel();
    const QVariant tabId = header(kind)->value(QStringLiteral("TabID"));
    m_touchedGoods.clear();
    m_touchedPairs.clear();
    WholeBillDeleting = true;
    bool ok = false;
    {
        Transaction tx(m_db);
        ok = tx.isActive() && readStoredParty(kind, tabId).ok() && deleteStoredLines(kind, tabId)
            && writeBillTotal(m_db, kind, tabId.toLongLong(), m_prompter) && tx.commit();
    }
    WholeBillDeleting = false;
    if (m_db.transactionDepth() == 0) {
        refreshCounters(m_touchedGoods, m_touchedPairs);
        details.refresh();
    }
    return ok;
}

void TabData::installBillRules(BillKind kind)
{
    Dataset *h = header(kind);
    Dataset *d = detail(kind);
    const BillKindInfo &info = billKindInfo(kind);

    h->hooks().onNewRecord = [this, kind, &info](Dataset &ds) {
        const QDate today = QDate::currentDate();
        ds.setValue(QStringLiteral("BookID"), QString::fromLatin1(info.prefix) + billDateText(today));
        ds.setValue(QStringLiteral("TabDate"), isoDateText(today));
        ds.setValue(QStringLiteral("RegDate"), isoDateText(today));
        ds.setValue(QStringLiteral("PersonID"), m_base.CurUserID());
        ds.setValue(QStringLiteral("KindID"), int(kind));
        ds.setValue(QStringLiteral("SumMoney"), 0.0);
    };
    // An edit or delete goes through only while the file holds what the user saw.
    h->setConflictFields({QStringLiteral("CustID")});
    d->setConflictFields({QStringLiteral("TabID"), QStringLiteral("GoodID"), QStringLiteral("Qty"), QStringLiteral("Price")});
    for (Dataset *ds : {h, d})
        ds->setConflictText(billChangedText());
    h->hooks().onConflict = [this, kind](Dataset &, const DatasetError &e) { rereadBill(kind, e); };
    d->hooks().onConflict = h->hooks().onConflict;

    if (kind != BillKind::StockIn) {
        // A customer's bill with lines keeps its customer: the lines are posted to it.
        h->fieldByName(QStringLiteral("CustID")).setValidator([this, h, kind](Field &field, const QVariant &value) {
            if (h->state() == Dataset::State::Insert || value == field.value())
                return true;
            const int lines = m_db.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE TabID = ?").arg(detailTable(kind)),
                                          {h->value(QStringLiteral("TabID"))})
                                  .toInt();
            if (lines == 0)
                return true;
            m_prompter.warning(partyLockedText());
            return false;
        });
        // Asked again inside the write: another program may have added a line since.
        h->hooks().onPostBegin = [this, kind](Dataset &ds) -> DatasetError {
            if (ds.state() != Dataset::State::Edit)
                return {};
            const QVariant tabId = ds.value(QStringLiteral("TabID"));
            const DatasetError e = readStoredParty(kind, tabId);
            if (e.failed() || ds.value(QStringLiteral("CustID")).toInt() == m_storedParty)
                return e;
            const QVariant lines = keptScalar(m_db, QStringLiteral("SELECT count(*) FROM %1 WHERE TabID = ?").arg(detailTable(kind)), {tabId});
            if (lines.isValid() && lines.toInt() == 0)
                return {};
            m_prompter.warning(partyLockedText());
            return DatasetError(DatasetError::Code::Refused, QString());
        };
    }
    h->hooks().beforeDelete = [this, d](Dataset &) {
        if (!m_prompter.question(billDeleteQuestion()))
            return false;
        // A line still being entered goes with its bill.
        if (d->isEditing())
            d->cancel();
        return true;
    };
    // The lines the file holds, their postings and the invoice go in the header's own
    // delete: all or nothing.
    h->hooks().onDeleteBegin = [this, kind](Dataset &ds) {
        m_touchedGoods.clear();
        m_touchedPairs.clear();
        return readStoredParty(kind, ds.value(QStringLiteral("TabID")));
    };
    h->hooks().onDeleteWrite = [this, kind](Dataset &ds) {
        const QVariant tabId = ds.value(QStringLiteral("TabID"));
        WholeBillDeleting = true;
        bool ok = deleteStoredLines(kind, tabId);
        WholeBillDeleting = false;
        if (ok && kind == BillKind::StockIn) {
            InvoiceCascadeDeleting = true;
            QSqlError error;
            ok = m_db.exec(QStringLiteral("DELETE FROM InvoiceMx WHERE TabID IN (SELECT TabID FROM Invoices WHERE TabID = ?)"), {tabId}, &error)
                && m_db.exec(QStringLiteral("DELETE FROM Invoices WHERE TabID = ?"), {tabId}, &error);
            InvoiceCascadeDeleting = false;
            if (!ok)
                m_prompter.warning(failureText(error));
        }
        return ok;
    };
    h->hooks().afterDelete = [this](Dataset &) {
        refreshCounters(m_touchedGoods, m_touchedPairs);
        m_touchedGoods.clear();
        m_touchedPairs.clear();
        m_prompter.information(billDeletedText());
    };
    h->hooks().onDeleteError = [this](Dataset &, const QSqlError &) {
        // Nothing was deleted.
        m_touchedGoods.clear();
        m_touchedPairs.clear();
        return false;
    };

    d->hooks().onNewRecord = [this, h, kind](Dataset &ds) {
        OldDetailValues = {};
        // Shown while the line is typed; taken again inside the line's write.
        const QVariant max = keptScalar(m_db, QStringLiteral("SELECT max(ItemNo) FROM %1 WHERE TabID = ?").arg(detailTable(kind)),
                                        {h->value(QStringLiteral("TabID"))});
        ds.setValue(QStringLiteral("ItemNo"), max.isNull() ? 1 : max.toInt() + 1);
        RowEditing = true;
    };
    d->hooks().beforeEdit = [this, kind](Dataset &ds) {
        OldDetailValues = currentLine(kind, ds);
        OldDetailValues.Qty = toSingle(OldDetailValues.Qty);
        OldDetailValues.Price = toSingle(OldDetailValues.Price);
        RowEditing = true;
        return true;
    };
    d->fieldByName(QStringLiteral("Price")).setValidator([this, d](Field &, const QVariant &value) {
        if (value.isNull() || value.toDouble() >= 0)
            return true;
        m_prompter.warning(negativePriceText());
        d->cancel();
        return false;
    });
    // A line is posted to the customer and reverses the line the file holds, read inside
    // its own write; a line is added only to a bill that still exists, numbered after the
    // lines the file holds.
    d->hooks().onPostBegin = [this, kind](Dataset &ds) -> DatasetError {
        m_touchedGoods.clear();
        m_touchedPairs.clear();
        const QVariant tabId = ds.value(QStringLiteral("TabID"));
        DatasetError e = readStoredParty(kind, tabId);
        if (e.failed())
            return e;
        if (ds.state() == Dataset::State::Edit)
            return readStoredLine(kind, ds.currentRowid());
        m_storedLine = {};
        const QVariant max = keptScalar(m_db, QStringLiteral("SELECT max(ItemNo) FROM %1 WHERE TabID = ?").arg(detailTable(kind)), {tabId});
        return ds.setValue(QStringLiteral("ItemNo"), max.isNull() ? 1 : max.toInt() + 1);
    };
    d->hooks().onPostWrite = [this, kind](Dataset &ds) {
        DetailValues after = currentLine(kind, ds);
        after.CustID = m_storedParty;
        return postLineChange(kind, m_storedLine, after)
            && writeBillTotal(m_db, kind, ds.value(QStringLiteral("TabID")).toLongLong(), m_prompter);
    };
    auto afterLineChange = [this, h](Dataset &) {
        RowEditing = false;
        if (m_db.transactionDepth() > 0)
            return;
        refreshCounters(m_touchedGoods, m_touchedPairs);
        m_touchedGoods.clear();
        m_touchedPairs.clear();
        if (!h->isEditing())
            h->refreshRow(h->currentRowid());
    };
    d->hooks().afterPost = afterLineChange;
    d->hooks().afterDelete = afterLineChange;
    d->hooks().afterCancel = [this](Dataset &) { RowEditing = false; };
    d->hooks().beforeDelete = [this](Dataset &) { return m_prompter.question(lineDeleteQuestion()); };
    d->hooks().onDeleteBegin = [this, kind](Dataset &ds) {
        m_touchedGoods.clear();
        m_touchedPairs.clear();
        DatasetError e = readStoredParty(kind, ds.value(QStringLiteral("TabID")));
        return e.failed() ? e : readStoredLine(kind, ds.currentRowid());
    };
    d->hooks().onDeleteWrite = [this, kind](Dataset &ds) {
        return postLineChange(kind, m_storedLine, DetailValues{})
            && writeBillTotal(m_db, kind, ds.value(QStringLiteral("TabID")).toLongLong(), m_prompter);
    };

    // A refused line or header is dropped with its message, and nothing of it was posted.
    auto refused = [this, report = refusingPostErrors(m_prompter)](Dataset &ds, const QSqlError &error) {
        m_touchedGoods.clear();
        m_touchedPairs.clear();
        return report(ds, error);
    };
    h->hooks().onPostError = refused;
    d->hooks().onPostError = refused;

    BillGuard::install(*this, kind);
}

} // namespace hemu
