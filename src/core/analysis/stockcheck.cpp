#include "core/analysis/stockcheck.h"

#include "core/bills/billvalues.h"
#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/db/refusals.h"
#include "core/db/sqlstatement.h"

#include <sqlite3.h>
#include <vector>

namespace hemu::StockCheck {

Counters adjusted(const Counters &before, double diff)
{
    const float c = static_cast<float>(before.CustHandInc);
    const float d = static_cast<float>(diff);
    Counters after = before;
    if (d >= 0 || -d <= c) {
        after.CustHandInc = double(c + d);
    } else {
        after.CustHandInc = 0;
        after.HandInc = before.HandInc + double(-d - c);
    }
    return after;
}

namespace {
DatasetError filterOn(Dataset &goodsCheck, const QString &text)
{
    DatasetError e = goodsCheck.setFilter(text);
    if (e.ok())
        e = goodsCheck.setFiltered(true);
    return e;
}

QString categoryExpression(qint64 cataId)
{
    return QStringLiteral("CataID=%1").arg(cataId);
}

QString sqliteError(sqlite3 *h)
{
    return QString::fromUtf8(sqlite3_errmsg(h));
}

struct Item
{
    qint64 goodId;
    Counters before;
    double diff;
};
} // namespace

DatasetError showCounted(Dataset &goodsCheck)
{
    goodsCheck.close();
    DatasetError e = filterOn(goodsCheck, QStringLiteral("IsZero=false"));
    if (e.ok())
        e = goodsCheck.open();
    return e;
}

DatasetError categoryChosen(Dataset &goodsCheck, qint64 cataId, bool boxChecked)
{
    if (!boxChecked)
        return {};
    return filterOn(goodsCheck, categoryExpression(cataId) + QStringLiteral(" and IsZero=false"));
}

DatasetError categoryBox(Dataset &goodsCheck, qint64 cataId, bool checked)
{
    if (!checked)
        return goodsCheck.setFiltered(false);
    return filterOn(goodsCheck, categoryExpression(cataId));
}

Result adjust(Dataset &goodsCheck, const QList<Dataset *> &otherViews)
{
    Result result;
    Database &db = goodsCheck.database();
    // The row being typed goes into the batch first, as a move off it would.
    if (const DatasetError posted = goodsCheck.checkBrowseMode(); posted.failed()) {
        result.error = posted.message();
        return result;
    }
    goodsCheck.setFiltered(false);
    QList<qint64> touched;
    {
        Transaction tx(db);
        if (!tx.isActive()) {
            result.error = isBusy(db.lastError()) ? busyText() : db.lastError().text();
            return result;
        }
        if (const DatasetError saved = goodsCheck.applyUpdates(); saved.failed()) {
            result.error = saved.message();
            return result;
        }
        sqlite3 *h = db.handle();
        std::vector<Item> items;
        {
            SqlStatement read(h, QStringLiteral("SELECT GoodID, HandInc, CustHandInc, DiffCheck FROM Goods "
                                                "WHERE DiffCheck IS NOT NULL AND DiffCheck <> 0 ORDER BY GoodID"));
            sqlite3_stmt *st = read.handle();
            int rc = read.ok() ? sqlite3_step(st) : SQLITE_ERROR;
            for (; rc == SQLITE_ROW; rc = sqlite3_step(st))
                items.push_back({sqlite3_column_int64(st, 0), {sqlite3_column_double(st, 1), sqlite3_column_double(st, 2)},
                                 sqlite3_column_double(st, 3)});
            if (rc != SQLITE_DONE) {
                result.error = sqliteError(h);
                return result;
            }
        }
        SqlStatement write(h, QStringLiteral("UPDATE Goods SET HandInc = ?, CustHandInc = ?, DiffCheck = 0 WHERE GoodID = ?"));
        if (!write.ok()) {
            result.error = sqliteError(h);
            return result;
        }
        sqlite3_stmt *st = write.handle();
        for (const Item &item : items) {
            // A difference single precision cannot hold would leave counters no later
            // booking can bring back.
            if (!BillValues::fitsSingle(item.diff)) {
                result.error = outOfRangeText(item.goodId);
                return result;
            }
            const Counters after = adjusted(item.before, item.diff);
            sqlite3_bind_double(st, 1, after.HandInc);
            sqlite3_bind_double(st, 2, after.CustHandInc);
            sqlite3_bind_int64(st, 3, item.goodId);
            const int rc = sqlite3_step(st);
            sqlite3_reset(st);
            if (rc != SQLITE_DONE) {
                result.error = refusalMessage(sqliteError(h));
                if (result.error.isEmpty())
                    result.error = sqliteError(h);
                return result;
            }
            touched << item.goodId;
        }
        if (!tx.commit()) {
            result.error = isBusy(db.lastError()) ? busyText() : db.lastError().text();
            return result;
        }
    }
    result.ok = true;
    result.adjusted = int(touched.size());
    // The view shows what was written: every goods item, back on the row it stood on, read
    // once whole on its next use (the window's grid reads it as soon as events are processed).
    goodsCheck.markStale();
    // Goods ids are the rowids of Goods. A view with most of its rows touched is read whole
    // on its next use; one with a pending edit keeps it and is read once it is posted or
    // dropped.
    for (Dataset *view : otherViews) {
        if (!view || view == &goodsCheck || !view->isOpen() || touched.isEmpty())
            continue;
        if (view->isEditing())
            view->markStale();
        else
            view->refreshRows(touched);
    }
    return result;
}

QString outOfRangeText(qint64 goodId)
{
    return QStringLiteral("商品 %1 的帐实差超出范围，没有调整。").arg(goodId);
}

QString doneText()
{
    return QStringLiteral("盘点调整完毕。");
}

QString sheetTitle()
{
    return QStringLiteral("盘点准备表");
}

} // namespace hemu::StockCheck
